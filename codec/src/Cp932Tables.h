#pragma once

// Lookups over the tables generated from glibc's CP932 converter (Cp932Tables.cpp).

#include <cstddef>
#include <cstdint>

namespace codec::detail {

constexpr char16_t kUnmapped = 0xFFFF;  // never the Unicode value of a CP932 character
constexpr int kLeadCount = 60;          // 0x81..0x9F, 0xE0..0xFC
constexpr int kTrailCount = 189;        // 0x40..0xFC (0x7F is never mapped)

extern const char16_t kSingleToUnicode[256];
extern const char16_t kDoubleToUnicode[kLeadCount * kTrailCount];
extern const std::uint8_t kFromUnicodePage[256];
extern const std::uint16_t kFromUnicode[][256];
extern const std::uint16_t kHalfKanaToFull[63];

inline bool IsLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

inline bool IsTrail(unsigned char b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

/** Unicode of a lead and trail byte (both valid), or kUnmapped. */
inline char16_t DoubleToUnicode(unsigned char lead, unsigned char trail) {
  const int row = lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31;
  return kDoubleToUnicode[row * kTrailCount + (trail - 0x40)];
}

/** CP932 code of a unit (a byte value, or lead << 8 | trail), 0 when unmapped (or unit is 0). */
inline std::uint16_t FromUnicode(char16_t unit) {
  return kFromUnicode[kFromUnicodePage[unit >> 8]][unit & 0xFF];
}

/** Decodes the character at p (n > 0 bytes available): sets unit (kUnmapped when invalid or
 *  unmapped) and returns the bytes it spans. An invalid lead byte spans one byte. */
inline int DecodeChar(const unsigned char* p, std::size_t n, char16_t& unit) {
  if (IsLead(p[0])) {
    if (n < 2 || !IsTrail(p[1])) {
      unit = kUnmapped;
      return 1;
    }
    unit = DoubleToUnicode(p[0], p[1]);
    return 2;
  }
  unit = kSingleToUnicode[p[0]];
  return 1;
}

}  // namespace codec::detail
