#include "codec/Cp932.h"

#include "Cp932Tables.h"
#include "codec/Mbcs.h"

namespace codec {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

void AppendUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Strict UTF-8 decoding: returns the code point at s[i] and advances i, or returns -1 and
// advances one byte for a malformed, overlong or surrogate sequence.
long NextUtf8(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  int extra = 0;
  char32_t cp = 0;
  char32_t min = 0;
  if (b0 < 0x80) {
    ++i;
    return b0;
  } else if ((b0 & 0xE0) == 0xC0) {
    extra = 1, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, cp = b0 & 0x07, min = 0x10000;
  } else {
    ++i;
    return -1;
  }
  if (s.size() - i <= static_cast<std::size_t>(extra)) {
    ++i;
    return -1;
  }
  for (int k = 1; k <= extra; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return -1;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return -1;
  }
  i += extra + 1;
  return static_cast<long>(cp);
}

void AppendCp932(char16_t unit, std::string& out) {
  char bytes[2];
  const int n = Cp932WcToMb(bytes, unit);
  if (n < 0) {
    out += '?';
  } else {
    out.append(bytes, n);
  }
}

}  // namespace

std::u16string Cp932ToUtf16(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  char16_t* o = out.data();
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = p + bytes.size();
  while (p < end) {
    char16_t unit;
    p += detail::DecodeChar(p, static_cast<std::size_t>(end - p), unit);
    *o++ = unit == detail::kUnmapped ? kReplacement : unit;
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

std::string Utf16ToCp932(std::u16string_view text) {
  std::string out(text.size() * 2, '\0');
  char* o = out.data();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    const std::uint16_t code = detail::FromUnicode(unit);
    if (code > 0xFF) {
      *o++ = static_cast<char>(code >> 8);
      *o++ = static_cast<char>(code & 0xFF);
    } else if (code != 0 || unit == 0) {
      *o++ = static_cast<char>(code);
    } else {
      // Beyond the BMP CP932 has nothing: a surrogate pair is one unmappable character.
      if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) ++i;
      *o++ = '?';
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

std::string Utf8ToCp932(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const long cp = NextUtf8(utf8, i);
    if (cp < 0 || cp > 0xFFFF) {
      out += '?';
    } else {
      AppendCp932(static_cast<char16_t>(cp), out);
    }
  }
  return out;
}

std::string Cp932ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  for (const char16_t unit : Cp932ToUtf16(bytes)) {
    AppendUtf8(unit, out);
  }
  return out;
}

int Cp932WcToMb(char* out2, char16_t unit) {
  const std::uint16_t code = detail::FromUnicode(unit);
  if (code == 0 && unit != 0) {
    return -1;
  }
  if (code <= 0xFF) {
    out2[0] = static_cast<char>(code);
    return 1;
  }
  out2[0] = static_cast<char>(code >> 8);
  out2[1] = static_cast<char>(code & 0xFF);
  return 2;
}

std::size_t Cp932MbsToWcs(char16_t* dest, const char* src, std::size_t max) {
  const auto* p = reinterpret_cast<const unsigned char*>(src);
  std::size_t count = 0;
  while (*p != 0 && (dest == nullptr || count < max)) {
    char16_t unit;
    p += detail::DecodeChar(p, p[1] == 0 ? 1 : 2, unit);
    if (unit == detail::kUnmapped) {
      return static_cast<std::size_t>(-1);
    }
    if (dest != nullptr) {
      dest[count] = unit;
    }
    ++count;
  }
  if (dest != nullptr && count < max) {
    dest[count] = 0;
  }
  return count;
}

bool IsCp932LeadByte(unsigned char b) { return detail::IsLead(b); }

bool IsCp932TrailByte(unsigned char b) { return detail::IsTrail(b); }

}  // namespace codec
