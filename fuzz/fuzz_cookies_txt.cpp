// The cookies.txt reader on any bytes: it never crashes, loses or changes a byte of a file it
// writes back unchanged, and every cookie it reads that a cookies.txt can hold reads back alike.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/CookiesTxt.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const platform::CookiesTxtContent content = platform::ReadCookiesTxt(bytes);
  if (content.unchanged != bytes) std::abort();
  for (const platform::CookieRecord& cookie : content.cookies) {
    const std::string line = platform::CookiesTxtLine(cookie);
    if (line.empty()) continue;
    const platform::CookiesTxtContent again = platform::ReadCookiesTxt(line);
    if (again.cookies.size() != 1 || !(again.cookies[0] == cookie)) std::abort();
  }
  return 0;
}
