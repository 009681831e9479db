// Encodes arbitrary text under every encoding code: the stored form must hold only printable
// ASCII, and decoding it again must be safe.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "codec/Percent.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 1 << 16) return 0;
  const auto* input = reinterpret_cast<const char*>(data);
  std::string stored;
  std::string text;
  for (const char code : {' ', 'S', 'E', 'J', 'U', 'x'}) {
    PercentEncode(code, input, static_cast<int>(size), stored);
    for (const char c : stored) {
      if (c < 0x21 || c > 0x7E) std::abort();
    }
    PercentDecode(code, stored.data(), static_cast<int>(stored.size()), text);
  }
  return 0;
}
