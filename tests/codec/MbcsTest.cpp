#include <gtest/gtest.h>

#include <string>

#include "codec/Mbcs.h"

namespace {

TEST(MbcJisToJms, StandardArithmetic) {
  EXPECT_EQ(_mbcjistojms(0x2121), 0x8140u);
  EXPECT_EQ(_mbcjistojms(0x2422), 0x82A0u);
  EXPECT_EQ(_mbcjistojms(0x2460), 0x82DEu);  // odd row: 0x60 moves past 0x7F
  EXPECT_EQ(_mbcjistojms(0x2D21), 0x8740u);
  EXPECT_EQ(_mbcjistojms(0x5D21), 0x9F40u);
  EXPECT_EQ(_mbcjistojms(0x5E21), 0x9F9Fu);
  EXPECT_EQ(_mbcjistojms(0x5F21), 0xE040u);
  EXPECT_EQ(_mbcjistojms(0x7E7E), 0xEFFCu);
  for (unsigned bad : {0x2020u, 0x207Fu, 0x7F21u, 0x217Fu, 0x0000u, 0x12422u, 0xA4A2u}) {
    EXPECT_EQ(_mbcjistojms(bad), 0u) << std::hex << bad;
  }
}

TEST(MbcJmsToJis, InverseOverTheWholeCodeSpace) {
  for (unsigned hi = 0x21; hi <= 0x7E; ++hi) {
    for (unsigned lo = 0x21; lo <= 0x7E; ++lo) {
      const unsigned jis = hi << 8 | lo;
      const unsigned sjis = _mbcjistojms(jis);
      ASSERT_TRUE(codec::IsCp932LeadByte(sjis >> 8)) << std::hex << jis;
      ASSERT_TRUE(codec::IsCp932TrailByte(sjis & 0xFF)) << std::hex << jis;
      ASSERT_EQ(_mbcjmstojis(sjis), jis) << std::hex << jis;
    }
  }
}

TEST(MbcJmsToJis, Rejections) {
  EXPECT_EQ(_mbcjmstojis(0xF040), 0u);
  EXPECT_EQ(_mbcjmstojis(0xFA40), 0u);
  EXPECT_EQ(_mbcjmstojis(0xFCFC), 0u);
  EXPECT_EQ(_mbcjmstojis(0x827F), 0u);
  EXPECT_EQ(_mbcjmstojis(0x8230), 0u);
  EXPECT_EQ(_mbcjmstojis(0xA0A0), 0u);
  EXPECT_EQ(_mbcjmstojis(0x182A0), 0u);
  EXPECT_EQ(_mbcjmstojis(0xEFFC), 0x7E7Eu);
}

TEST(MbbToMbc, WidensHalfWidthAndRoman) {
  EXPECT_EQ(_mbbtombc(0xB1), 0x8341u);  // a
  EXPECT_EQ(_mbbtombc(0xB6), 0x834Au);  // ka
  EXPECT_EQ(_mbbtombc(0xDE), 0x814Au);  // voiced mark stands alone
  EXPECT_EQ(_mbbtombc(0xDF), 0x814Bu);
  EXPECT_EQ(_mbbtombc(0xA1), 0x8142u);
  EXPECT_EQ(_mbbtombc(0xA6), 0x8392u);  // wo
  EXPECT_EQ(_mbbtombc(0xB0), 0x815Bu);
  EXPECT_EQ(_mbbtombc(0xDD), 0x8393u);  // n
  EXPECT_EQ(_mbbtombc('A'), 0x8260u);
  EXPECT_EQ(_mbbtombc(' '), 0x8140u);
  EXPECT_EQ(_mbbtombc(0x80), 0x80u);
  EXPECT_EQ(_mbbtombc(0xE0), 0xE0u);
}

const unsigned char* U(const char* s) { return reinterpret_cast<const unsigned char*>(s); }

TEST(MbsStr, NeverMatchesOnATrailByte) {
  // 0x83 0x5C (katakana so) holds a backslash as its trail byte.
  const unsigned char* str = U("\x83\x5C\x5C");
  EXPECT_EQ(_mbsstr(str, U("\\")), str + 2);
  EXPECT_EQ(_mbsstr(U("\x83\x5C"), U("\\")), nullptr);
  EXPECT_EQ(_mbsstr(str, U("")), str);
  const unsigned char* abc = U("abc");
  EXPECT_EQ(_mbsstr(abc, U("bc")), abc + 1);
  EXPECT_EQ(_mbsstr(U("ab"), abc), nullptr);
  const unsigned char* lead = U("\x81");
  EXPECT_EQ(_mbsstr(lead, U("\x81")), lead);
}

TEST(MbsFind, LengthExplicit) {
  using namespace std::string_literals;
  EXPECT_EQ(codec::MbsFind("\x83\x5C\x5C", "\\"), 2u);
  EXPECT_EQ(codec::MbsFind("a\0b\x83\x5C"s, "\\"), std::string_view::npos);
  EXPECT_EQ(codec::MbsFind("a\0b"s, "\0b"s), 1u);
  EXPECT_EQ(codec::MbsFind("abc", ""), 0u);
  EXPECT_EQ(codec::MbsFind("", "a"), std::string_view::npos);
  EXPECT_EQ(codec::MbsFind("a\x82", "\x82"), 1u);
}

TEST(MbsCmp, ComparesCharacters) {
  EXPECT_EQ(_mbscmp(U("abc"), U("abc")), 0);
  EXPECT_LT(_mbscmp(U("ab"), U("abc")), 0);
  EXPECT_GT(_mbscmp(U("\x82\xA0"), U("a")), 0);
  EXPECT_LT(_mbscmp(U("\x82\xA0"), U("\x82\xA2")), 0);
  EXPECT_EQ(_mbscmp(U("a\x82"), U("a")), 0);  // a lead byte before the end counts as the end
}

}  // namespace
