#include "codec/Mbcs.h"

#include <cstring>

#include "Cp932Tables.h"

namespace {

// JIS-Roman 0x20..0x7E to JIS X 0208 (0x5C is the yen sign, 0x7E the overline).
constexpr unsigned short kRomanToFull[95] = {
    0x8140, 0x8149, 0x8168, 0x8194, 0x8190, 0x8193, 0x8195, 0x8166, 0x8169, 0x816A, 0x8196, 0x817B,
    0x8143, 0x817C, 0x8144, 0x815E, 0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148, 0x8197, 0x8260, 0x8261, 0x8262,
    0x8263, 0x8264, 0x8265, 0x8266, 0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E,
    0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276, 0x8277, 0x8278, 0x8279, 0x816D,
    0x818F, 0x816E, 0x814F, 0x8151, 0x8165, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287,
    0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F, 0x8290, 0x8291, 0x8292, 0x8293,
    0x8294, 0x8295, 0x8296, 0x8297, 0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8150,
};

bool InJisRange(unsigned int b) { return b >= 0x21 && b <= 0x7E; }

// The character code at p (a double-byte character as one value; a lead byte before the
// terminator counts as 0) and the bytes it spans.
unsigned int NextChar(const unsigned char*& p) {
  unsigned int c = *p++;
  if (codec::detail::IsLead(static_cast<unsigned char>(c))) {
    c = *p == 0 ? 0 : (c << 8) | *p++;
  }
  return c;
}

}  // namespace

unsigned int _mbcjistojms(unsigned int c) {
  unsigned int hi = c >> 8;
  unsigned int lo = c & 0xFF;
  if (c > 0xFFFF || !InJisRange(hi) || !InJisRange(lo)) {
    return 0;
  }
  if (hi & 1) {
    lo += lo <= 0x5F ? 0x1F : 0x20;
  } else {
    lo += 0x7E;
  }
  hi = ((hi - 0x21) >> 1) + 0x81;
  if (hi > 0x9F) {
    hi += 0x40;
  }
  return (hi << 8) | lo;
}

unsigned int _mbcjmstojis(unsigned int c) {
  unsigned int hi = c >> 8;
  const unsigned int lo = c & 0xFF;
  if (c > 0xFFFF || !codec::detail::IsLead(static_cast<unsigned char>(hi)) ||
      !codec::detail::IsTrail(static_cast<unsigned char>(lo))) {
    return 0;
  }
  hi -= hi >= 0xE0 ? 0xC1 : 0x81;
  unsigned int jis;
  if (lo >= 0x9F) {
    jis = ((hi << 9) + 0x2200) | (lo - 0x7E);
  } else {
    jis = ((hi << 9) + 0x2100) | (lo - (lo <= 0x7E ? 0x1F : 0x20));
  }
  return InJisRange(jis >> 8) && InJisRange(jis & 0xFF) ? jis : 0;
}

unsigned int _mbbtombc(unsigned int c) {
  if (c >= 0xA1 && c <= 0xDF) {
    return codec::detail::kHalfKanaToFull[c - 0xA1];
  }
  if (c >= 0x20 && c <= 0x7E) {
    return kRomanToFull[c - 0x20];
  }
  return c;
}

const unsigned char* _mbsstr(const unsigned char* str, const unsigned char* sub) {
  const auto* needle = reinterpret_cast<const char*>(sub);
  const std::size_t n = std::strlen(needle);
  if (n == 0) {
    return str;
  }
  for (const unsigned char* p = str; *p != 0; ++p) {
    if (std::strncmp(reinterpret_cast<const char*>(p), needle, n) == 0) {
      return p;
    }
    if (codec::detail::IsLead(*p) && p[1] != 0) {
      ++p;  // never start a match on a trail byte
    }
  }
  return nullptr;
}

int _mbscmp(const unsigned char* a, const unsigned char* b) {
  for (;;) {
    const unsigned int ca = NextChar(a);
    const unsigned int cb = NextChar(b);
    if (ca != cb) {
      return ca < cb ? -1 : 1;
    }
    if (ca == 0) {
      return 0;
    }
  }
}

namespace codec {

std::size_t MbsFind(std::string_view hay, std::string_view needle) {
  for (std::size_t i = 0; i + needle.size() <= hay.size();) {
    if (hay.compare(i, needle.size(), needle) == 0) {
      return i;
    }
    i += detail::IsLead(static_cast<unsigned char>(hay[i])) && i + 1 < hay.size() ? 2 : 1;
  }
  return std::string_view::npos;
}

}  // namespace codec
