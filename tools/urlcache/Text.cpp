#include "Text.h"

#include <cstdio>

#include "codec/Cp932.h"

namespace urlcache {

std::string Printable(const std::string& bytes) {
  std::string out;
  std::string run;  // bytes waiting for conversion
  auto flush = [&] {
    out += codec::Cp932ToUtf8(run);
    run.clear();
  };
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F && byte != '\\') {
      run += c;
      continue;
    }
    flush();
    switch (byte) {
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\\':
        out += "\\\\";
        break;
      default: {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
        out += escaped;
      }
    }
  }
  flush();
  return out;
}

std::string TimeText(const FILETIME& time) {
  SYSTEMTIME st{};
  if (!FileTimeToSystemTime(&time, &st)) return "-";
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay,
                st.wHour, st.wMinute, st.wSecond);
  return text;
}

std::string TypeWords(DWORD type) {
  static const struct {
    DWORD bit;
    const char* word;
  } kWords[] = {{0x00000001, " Normal"},  {0x00000004, " Sticky"},    {0x00000008, " Edited"},
                {0x00000010, " Offline"}, {0x00000020, " Online"},    {0x00010000, " Sparse"},
                {0x00100000, " Cookie"},  {0x00200000, " URLHistory"}};
  std::string words;
  DWORD rest = type;
  for (const auto& entry : kWords) {
    if ((type & entry.bit) != 0) words += entry.word;
    rest &= ~entry.bit;
  }
  if (rest != 0) {
    char hex[16];
    std::snprintf(hex, sizeof hex, " 0x%08X", rest);
    words += hex;
  }
  return words;
}

}  // namespace urlcache
