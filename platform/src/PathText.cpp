#include "platform/PathText.h"

#include <cstdint>

#include "codec/Cp932.h"

namespace platform {
namespace {

constexpr char16_t kEscapeBase = 0xE000;  // U+E000 + byte: a byte CP932 cannot carry

// The length of the UTF-8 sequence at `at` and its code point; 0 when it is not one.
size_t Utf8Sequence(std::string_view text, size_t at, uint32_t& code) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = lead < 0x80                    ? 1
                  : lead >= 0xC2 && lead <= 0xDF ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  code = length == 1 ? lead : lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

void AppendEscaped(std::string& out, std::string_view bytes) {
  for (const unsigned char byte : bytes) {
    out += codec::Utf16ToCp932(std::u16string(1, char16_t(kEscapeBase + byte)));
  }
}

}  // namespace

std::string PathToProgram(std::string_view fileSystemPath) {
  bool ascii = true;
  for (const char c : fileSystemPath) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(fileSystemPath);
  std::string out;
  out.reserve(fileSystemPath.size());
  for (size_t at = 0; at < fileSystemPath.size();) {
    uint32_t code = 0;
    const size_t length = Utf8Sequence(fileSystemPath, at, code);
    if (length == 0) {  // not UTF-8: the byte itself travels
      AppendEscaped(out, fileSystemPath.substr(at, 1));
      ++at;
      continue;
    }
    const std::string_view sequence = fileSystemPath.substr(at, length);
    at += length;
    if (code < 0x80) {
      out += static_cast<char>(code);
      continue;
    }
    const std::string cp932 =
        code <= 0xFFFF ? codec::Utf16ToCp932(std::u16string(1, char16_t(code))) : "?";
    // Escapes must stay unambiguous: a user-defined character of the name is escaped too.
    const bool escapeRange = code >= kEscapeBase && code <= kEscapeBase + 0xFF;
    if (cp932 == "?" || escapeRange || codec::Cp932ToUtf8(cp932) != sequence) {
      AppendEscaped(out, sequence);
    } else {
      out += cp932;
    }
  }
  return out;
}

std::string PathFromProgram(std::string_view programPath) {
  bool ascii = true;
  for (const char c : programPath) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) return std::string(programPath);
  std::string out;
  out.reserve(programPath.size() + programPath.size() / 2);
  const std::u16string text = codec::Cp932ToUtf16(programPath);
  for (const char16_t unit : text) {  // CP932 holds no character beyond the BMP
    if (unit >= kEscapeBase && unit <= kEscapeBase + 0xFF) {
      out += static_cast<char>(unit - kEscapeBase);
    } else if (unit < 0x80) {
      out += static_cast<char>(unit);
    } else if (unit < 0x800) {
      out += static_cast<char>(0xC0 | (unit >> 6));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (unit >> 12));
      out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (unit & 0x3F));
    }
  }
  return out;
}

}  // namespace platform
