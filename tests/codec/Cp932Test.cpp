#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/Cp932.h"
#include "codec/Mbcs.h"

namespace {

using namespace std::string_literals;

TEST(Cp932, Windows31JMappings) {
  EXPECT_EQ(codec::Utf16ToCp932(u"\u2170"), "\xFA\x40");
  EXPECT_EQ(codec::Cp932ToUtf16("\x81\x60"), u"\uFF5E");
  EXPECT_EQ(codec::Cp932ToUtf16("\x81\x7C"), u"\uFF0D");
  EXPECT_EQ(codec::Cp932ToUtf16("\x5C\x7E"), u"\\~");
  EXPECT_EQ(codec::Cp932ToUtf16("\xB1\xDF"), u"\uFF71\uFF9F");
}

TEST(Cp932ToUtf16, MalformedInput) {
  struct Case {
    std::string bytes;
    std::u16string expected;
  };
  const std::vector<Case> cases = {
      {"", u""},
      {"a\0b"s, u"a\0b"s},
      {"\x82", u"\uFFFD"},          // lead byte at the end
      {"\x82 ", u"\uFFFD "},        // the byte after a bad lead is kept
      {"\x82\x7F", u"\uFFFD\x7F"},  // 0x7F is never a trail byte
      {"\x85\x40", u"\uFFFD"},      // a valid pair that is unassigned
      {"\x80\xA0\xFD\xFE\xFF", u"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"\x82\xA0\x82", u"\u3042\uFFFD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.bytes));
    EXPECT_EQ(codec::Cp932ToUtf16(c.bytes), c.expected);
  }
}

TEST(Utf16ToCp932, UnmappableBecomesQuestionMark) {
  EXPECT_EQ(codec::Utf16ToCp932(u"a\u00E9b"), "a?b");
  EXPECT_EQ(codec::Utf16ToCp932(u"\U0001F600x"), "?x");  // one '?' for the pair
  EXPECT_EQ(codec::Utf16ToCp932(u"\xD800x\xDC00"), "?x?");
  EXPECT_EQ(codec::Utf16ToCp932(u"\0"s), "\0"s);
}

TEST(Utf8ToCp932, LiteralTexts) {
  EXPECT_EQ(codec::Utf8ToCp932("ﾒﾓﾘが足りません"),
            "\xD2\xD3\xD8\x82\xAA\x91\xAB\x82\xE8\x82\xDC\x82\xB9\x82\xF1");
  EXPECT_EQ(codec::Utf8ToCp932("Error"), "Error");
  EXPECT_EQ(codec::Utf8ToCp932("\xC3"), "?");
  EXPECT_EQ(codec::Utf8ToCp932("\xC0\x80"
                               "a"),
            "??a");                                      // overlong
  EXPECT_EQ(codec::Utf8ToCp932("\xED\xA0\x80"), "???");  // surrogate
  EXPECT_EQ(codec::Utf8ToCp932("\xF0\x9F\x98\x80"), "?");
}

TEST(Cp932ToUtf8, RoundTripsMappedText) {
  const std::string utf8 = "変更が保存されませんが、よろしいですか？ ⅰ～－";
  EXPECT_EQ(codec::Cp932ToUtf8(codec::Utf8ToCp932(utf8)), utf8);
  EXPECT_EQ(codec::Cp932ToUtf8("\x82"), "\xEF\xBF\xBD");
}

TEST(Cp932WcToMb, Results) {
  char out[2] = {'x', 'x'};
  EXPECT_EQ(codec::Cp932WcToMb(out, 0), 1);
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(codec::Cp932WcToMb(out, u'\u3042'), 2);
  EXPECT_EQ(std::string(out, 2), "\x82\xA0");
  EXPECT_EQ(codec::Cp932WcToMb(out, u'\uFF61'), 1);
  EXPECT_EQ(out[0], '\xA1');
  EXPECT_EQ(codec::Cp932WcToMb(out, 0xD800), -1);
  EXPECT_EQ(codec::Cp932WcToMb(out, 0xFFFD), -1);
}

TEST(Cp932MbsToWcs, CountsConvertsAndRejects) {
  const char* text = "a\x82\xA0\xB1";
  EXPECT_EQ(codec::Cp932MbsToWcs(nullptr, text, 0), 3u);
  char16_t buffer[4] = {1, 1, 1, 1};
  EXPECT_EQ(codec::Cp932MbsToWcs(buffer, text, 4), 3u);
  EXPECT_EQ(std::u16string(buffer, 4), u"a\u3042\uFF71\0"s);
  char16_t small[2] = {1, 1};
  EXPECT_EQ(codec::Cp932MbsToWcs(small, text, 2), 2u);  // no room for the terminator
  EXPECT_EQ(std::u16string(small, 2), u"a\u3042");
  EXPECT_EQ(codec::Cp932MbsToWcs(nullptr, "ab\x82", 0), static_cast<std::size_t>(-1));
  EXPECT_EQ(codec::Cp932MbsToWcs(nullptr, "\x85\x40", 0), static_cast<std::size_t>(-1));
  EXPECT_EQ(codec::Cp932MbsToWcs(nullptr, "\x80", 0), static_cast<std::size_t>(-1));
  EXPECT_EQ(codec::Cp932MbsToWcs(nullptr, "", 0), 0u);
}

}  // namespace
