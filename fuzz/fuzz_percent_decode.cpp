// Decodes arbitrary stored strings under every encoding code; also feeds the charset converters
// directly. Decoding never fails, so only crashes, sanitizer reports and broken bounds count.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "codec/Percent.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 16) return 0;
  const auto* input = reinterpret_cast<const char*>(data);
  const int length = static_cast<int>(size);
  std::string out;
  for (const char code : {' ', 'S', 'E', 'J', 'U', 'x'}) {
    PercentDecode(code, input, length, out);
    // A byte of input yields at most two bytes of output ("&" gives CR LF, "%u" and four
    // bytes give at most the six-byte escape; charset conversion never grows a segment).
    if (out.size() > 2 * size) std::abort();
  }
  const std::string segment(input, size);  // converters stop at the first zero byte
  EucToSjis(segment.c_str(), out);
  JisToSjis(segment.c_str(), out);
  Utf8ToSjis(segment.c_str(), out);
  return 0;
}
