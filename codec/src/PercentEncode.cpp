#include <string_view>

#include "Cp932Tables.h"
#include "codec/Mbcs.h"
#include "codec/Percent.h"

namespace {

constexpr char kEsc = 0x1B;
constexpr std::string_view kToKanji = "\x1B$B";
constexpr std::string_view kToAscii = "\x1B(B";

bool IsLead(char c) { return codec::detail::IsLead(static_cast<unsigned char>(c)); }
bool IsTrail(char c) { return codec::detail::IsTrail(static_cast<unsigned char>(c)); }

unsigned int Pair(char lead, char trail) {
  return (static_cast<unsigned char>(lead) << 8) | static_cast<unsigned char>(trail);
}

void AppendCode(unsigned int code, std::string& out) {
  out += static_cast<char>((code >> 8) & 0xFF);
  out += static_cast<char>(code & 0xFF);
}

// Stage 1: spaces to "+", line breaks to "&", and under JIS half-width katakana widened, one
// character at a time. Second bytes are never examined.
std::string Prepare(char chEncoding, const char* input, int length) {
  enum class State { kNormal, kAfterLead, kAfterCr };
  std::string out;
  out.reserve(length > 0 ? static_cast<std::size_t>(length) : 0);
  State state = State::kNormal;
  for (int i = 0; i < length; ++i) {
    const char ch = input[i];
    const auto b = static_cast<unsigned char>(ch);
    switch (state) {
      case State::kNormal:
        if (ch == ' ') {
          out += '+';
        } else if (ch == '\r') {
          state = State::kAfterCr;
        } else if (ch == '\n') {
          out += '&';
        } else if (IsLead(ch)) {
          out += ch;
          state = State::kAfterLead;
        } else if (chEncoding == 'J' && b >= 0xA1 && b <= 0xDF) {
          AppendCode(_mbbtombc(b), out);
        } else {
          out += ch;
        }
        break;
      case State::kAfterLead:
        out += ch;
        state = State::kNormal;
        break;
      case State::kAfterCr:
        if (ch == '\n') {
          out += '&';
        } else {
          out += '\r';
          out += ch;
        }
        state = State::kNormal;
        break;
    }
  }
  return out;  // a CR at the very end is dropped
}

// Stage 3. Inside a JIS X 0208 run the bytes "%", "&" and "+" are pair bytes, not syntax, so
// they are escaped too; left literal, the decoder would read them as an escape, a line break or
// a space and the character would not come back.
void Escape(std::string_view converted, bool jis, std::string& output) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  output.reserve(converted.size() * 3);
  bool kanji = false;
  for (std::size_t i = 0; i < converted.size(); ++i) {
    const auto c = static_cast<unsigned char>(converted[i]);
    if (jis && c == kEsc) {
      if (converted.substr(i, 3) == kToKanji) kanji = true;
      if (converted.substr(i, 3) == kToAscii) kanji = false;
    }
    const bool special = kanji && (c == '%' || c == '&' || c == '+');
    if (c >= 0x21 && c <= 0x7E && !special) {
      output += static_cast<char>(c);
    } else {
      output += '%';
      output += kHex[c >> 4];
      output += kHex[c & 0x0F];
    }
  }
}

}  // namespace

void PercentEncode(char chEncoding, const char* input, int length, std::string& output) {
  output.clear();
  const std::string prepared = Prepare(chEncoding, input, length);
  std::string converted;
  switch (chEncoding) {
    case 'E':
      SjisToEuc(prepared.c_str(), converted);
      break;
    case 'J':
      SjisToJis(prepared.c_str(), converted);
      break;
    case 'U':
      SjisToUtf8(prepared.c_str(), converted);
      break;
    default:
      Escape(prepared, false, output);
      return;
  }
  Escape(converted, chEncoding == 'J', output);
}

void SjisToEuc(const char* text, std::string& output) {
  output.clear();
  char lead = 0;
  for (const char* p = text; *p != 0; ++p) {
    const char ch = *p;
    const auto b = static_cast<unsigned char>(ch);
    if (lead == 0) {
      if (IsLead(ch)) {
        lead = ch;
      } else if (b >= 0xA0 && b <= 0xDF) {
        output += '\x8E';
        output += ch;
      } else {
        output += ch;
      }
    } else if (IsTrail(ch)) {
      const unsigned int jis = _mbcjmstojis(Pair(lead, ch));
      output += static_cast<char>((jis >> 8) | 0x80);  // a rejected pair gives 0x80 0x80
      output += static_cast<char>((jis & 0xFF) | 0x80);
      lead = 0;
    } else {
      output += lead;
      output += ch;
      lead = 0;
    }
  }
}

void SjisToJis(const char* text, std::string& output) {
  output.clear();
  bool kanji = false;
  char lead = 0;
  for (const char* p = text; *p != 0; ++p) {
    const char ch = *p;
    if (lead == 0) {
      if (IsLead(ch)) {
        lead = ch;
      } else {
        if (kanji) {
          output += kToAscii;
          kanji = false;
        }
        output += ch;
      }
    } else if (IsTrail(ch)) {
      if (!kanji) {
        output += kToKanji;
        kanji = true;
      }
      AppendCode(_mbcjmstojis(Pair(lead, ch)), output);  // a rejected pair gives 0x00 0x00
      lead = 0;
    } else {
      if (kanji) {
        output += kToAscii;
        kanji = false;
      }
      output += lead;
      output += ch;
      lead = 0;
    }
  }
  if (kanji) {
    output += kToAscii;  // the output always ends in ASCII; a pending first byte is dropped
  }
}

// Text that is not valid CP932 cannot go through mbstowcs as a whole. Rather than lose all of
// it, each character that converts is written and each one that does not (a first byte without
// a valid second byte, an unmapped pair or byte) is written as U+FFFD, so the loss is visible
// in the stored string. Valid text converts exactly as mbstowcs would.
void SjisToUtf8(const char* text, std::string& output) {
  output.clear();
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  while (*p != 0) {
    char16_t u;
    p += codec::detail::DecodeChar(p, p[1] == 0 ? 1 : 2, u);
    if (u == codec::detail::kUnmapped) {
      u = 0xFFFD;
    }
    if (u <= 0x7F) {
      output += static_cast<char>(u);
    } else if (u <= 0x7FF) {
      output += static_cast<char>(0xC0 | (u >> 6));
      output += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      output += static_cast<char>(0xE0 | (u >> 12));
      output += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      output += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
}
