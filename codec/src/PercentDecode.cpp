#include "codec/Mbcs.h"
#include "codec/Percent.h"

namespace {

constexpr char kEsc = 0x1B;

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendCode(unsigned int code, std::string& out) {
  out += static_cast<char>((code >> 8) & 0xFF);
  out += static_cast<char>(code & 0xFF);
}

// Runs the charset conversion of the code over one segment. The converters see the segment as
// a zero-terminated string, so a decoded zero byte ends what they see of it.
void FlushSegment(char chEncoding, std::string& segment, std::string& output) {
  if (segment.empty()) {
    return;
  }
  std::string converted;
  switch (chEncoding) {
    case 'E':
      EucToSjis(segment.c_str(), converted);
      output += converted;
      break;
    case 'J':
      JisToSjis(segment.c_str(), converted);
      output += converted;
      break;
    case 'U':
      Utf8ToSjis(segment.c_str(), converted);
      output += converted;
      break;
    default:
      output += segment;
      break;
  }
  segment.clear();
}

// A %u code unit joins the segment as its CP932 bytes, or stays as a normalised "%uXXXX" escape
// when CP932 lacks it. Unit 0 adds nothing.
void AppendUnit(char16_t unit, std::string& segment) {
  if (unit == 0) {
    return;
  }
  char bytes[2];
  const int n = codec::Cp932WcToMb(bytes, unit);
  if (n > 0) {
    segment.append(bytes, n);
  } else {
    static constexpr char kHex[] = "0123456789ABCDEF";
    segment += "%u";
    for (int shift = 12; shift >= 0; shift -= 4) {
      segment += kHex[(unit >> shift) & 0xF];
    }
  }
}

}  // namespace

void PercentDecode(char chEncoding, const char* input, int length, std::string& output) {
  enum class State { kPlain, kPercent, kFirstDigit, kUnicode };
  output.clear();
  std::string segment;
  State state = State::kPlain;
  char firstDigit = 0;
  unsigned int accumulator = 0;
  int consumed = 0;
  for (int i = 0; i < length; ++i) {
    const char ch = input[i];
    const auto b = static_cast<unsigned char>(ch);
    switch (state) {
      case State::kPlain:
        if (ch == '+') {
          segment += ' ';
        } else if (ch == '%') {
          state = State::kPercent;
        } else if (ch == '&') {
          FlushSegment(chEncoding, segment, output);
          output += "\r\n";
        } else {
          segment += ch;
        }
        break;
      case State::kPercent:
        if (HexValue(b) >= 0) {
          firstDigit = ch;
          state = State::kFirstDigit;
        } else if (ch == 'u' || ch == 'U') {
          accumulator = 0;
          consumed = 0;
          state = State::kUnicode;
        } else {
          segment += '%';
          segment += ch;
          state = State::kPlain;
        }
        break;
      case State::kFirstDigit:
        if (HexValue(b) >= 0) {
          segment += static_cast<char>(HexValue(static_cast<unsigned char>(firstDigit)) * 16 +
                                       HexValue(b));
        } else {
          segment += '%';
          segment += firstDigit;
          segment += ch;
        }
        state = State::kPlain;
        break;
      case State::kUnicode:
        // Exactly four bytes belong to the escape; a non-digit is swallowed but still counts.
        if (HexValue(b) >= 0) {
          accumulator = (accumulator * 16 + HexValue(b)) & 0xFFFF;
        }
        if (++consumed == 4) {
          AppendUnit(static_cast<char16_t>(accumulator), segment);
          state = State::kPlain;
        }
        break;
    }
  }
  FlushSegment(chEncoding, segment, output);  // an unfinished escape is dropped
}

void EucToSjis(const char* segment, std::string& output) {
  output.clear();
  int pending = -1;
  bool singleShift = false;
  int skip = 0;
  for (const char* p = segment; *p != 0; ++p) {
    const auto b = static_cast<unsigned char>(*p);
    if (skip > 0) {
      --skip;
    } else if (singleShift) {
      output += *p;  // half-width katakana: the same byte in Shift_JIS
      singleShift = false;
    } else if (b < 0x80) {
      output += *p;
      pending = -1;
    } else if (b == 0x8E) {
      singleShift = true;
    } else if (b == 0x8F) {
      output += "\x81\xA1";  // JIS X 0212 has no Shift_JIS form: a black square stands in
      pending = -1;
      skip = 2;
    } else if (pending >= 0) {
      AppendCode(_mbcjistojms(((pending & 0x7F) << 8) | (b & 0x7F)), output);
      pending = -1;
    } else {
      pending = b;
    }
  }
}

void JisToSjis(const char* segment, std::string& output) {
  enum class Escape { kNone, kEsc, kEscDollar, kEscParen };
  output.clear();
  Escape escape = Escape::kNone;
  bool kanji = false;
  int pending = -1;
  for (const char* p = segment; *p != 0; ++p) {
    const char ch = *p;
    const auto b = static_cast<unsigned char>(ch);
    switch (escape) {
      case Escape::kNone:
        if (ch == kEsc) {
          if (pending >= 0) {
            output += static_cast<char>(pending);
            pending = -1;
          }
          escape = Escape::kEsc;
        } else if (kanji) {
          if (pending >= 0) {
            AppendCode(_mbcjistojms((pending << 8) | (b & 0x7F)), output);
            pending = -1;
          } else {
            pending = b & 0x7F;
          }
        } else {
          output += ch;
        }
        break;
      case Escape::kEsc:
        if (ch == '$') {
          escape = Escape::kEscDollar;
        } else if (ch == '(') {
          escape = Escape::kEscParen;
        } else {
          output += kEsc;
          output += ch;
          escape = Escape::kNone;
        }
        break;
      case Escape::kEscDollar:
        if (ch == '@' || ch == 'B') {
          kanji = true;
        } else {
          output += kEsc;
          output += '$';
          output += ch;
        }
        escape = Escape::kNone;
        break;
      case Escape::kEscParen:
        if (ch == 'J' || ch == 'B') {
          kanji = false;
        } else {
          output += kEsc;
          output += '(';
          output += ch;
        }
        escape = Escape::kNone;
        break;
    }
  }
  if (pending >= 0) {
    output += static_cast<char>(pending);
  }
}

void Utf8ToSjis(const char* segment, std::string& output) {
  output.clear();
  int remaining = 0;
  unsigned int code = 0;
  for (const char* p = segment; *p != 0; ++p) {
    const auto b = static_cast<unsigned char>(*p);
    if (remaining == 0) {
      if (b < 0x80) {
        output += *p;
      } else if ((b & 0xE0) == 0xC0) {
        code = (b & 0x1Fu) << 6;
        remaining = 1;
      } else if ((b & 0xF0) == 0xE0) {
        code = (b & 0x0Fu) << 12;
        remaining = 2;
      }
      // Stray continuation bytes and four-byte lead bytes are dropped.
    } else if (remaining == 2) {
      code |= (b & 0x3Fu) << 6;  // taken as a continuation whatever its top bits
      remaining = 1;
    } else {
      code |= b & 0x3Fu;
      remaining = 0;
      // As for %u, a (necessarily overlong) zero adds nothing; a character CP932 lacks is dropped.
      char bytes[2];
      const int n = code == 0 ? 0 : codec::Cp932WcToMb(bytes, static_cast<char16_t>(code));
      if (n > 0) {
        output.append(bytes, n);
      }
    }
  }
}
