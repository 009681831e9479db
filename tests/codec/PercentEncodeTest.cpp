#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/Percent.h"

namespace {

using namespace std::string_literals;

struct EncodeCase {
  char code;
  std::string input;
  std::string expected;
};

std::string Encode(char code, const std::string& input) {
  std::string out = "stale";
  PercentEncode(code, input.data(), static_cast<int>(input.size()), out);
  return out;
}

TEST(PercentEncode, Examples) {
  const std::vector<EncodeCase> cases = {
      {' ', "", ""},
      {' ', "a b\r\nc", "a+b&c"},
      {' ', "50%", "50%"},
      {' ', "+&=%", "+&=%"},
      {' ', "\t", "%09"},
      {' ', "\x82\xA0", "%82%A0"},
      {' ', "a\0b"s, "a%00b"},
      {' ', "\r ", "%0D%20"},
      {' ', "\r\x82\xA0", "%0D%82%A0"},
      {' ', "a\r\n", "a&"},
      {' ', "a\n", "a&"},
      {' ', "a\r", "a"},
      {' ', "\x81 ", "%81%20"},
      {' ', "\x81\r\n", "%81%0D&"},
      {' ', "\x81", "%81"},
      {' ', "\xB1", "%B1"},
      {'S', "a b\r\n\x82\xA0", "a+b&%82%A0"},
      {'x', "a b\r\n\x82\xA0", "a+b&%82%A0"},
      {'E', "\x82\xA0", "%A4%A2"},
      {'E', "\xB1", "%8E%B1"},
      {'E', "a b\r\nc", "a+b&c"},
      {'E', "\xF0\x40", "%80%80"},
      {'E', "\x81 ", "%81%20"},
      {'E', "x\x81", "x"},
      {'E', "\x87\x40", "%AD%A1"},
      {'J', "\x82\xA0", "%1B$B$\"%1B(B"},
      {'J', "\x82\xA0x", "%1B$B$\"%1B(Bx"},
      {'J',
       "a\x82\xA0\x82\xA2"
       "b",
       "a%1B$B$\"$$%1B(Bb"},
      {'J', "\x82\xA0 \x82\xA0", "%1B$B$\"%1B(B+%1B$B$\"%1B(B"},
      {'J', "\x82\xA0\r\n\x82\xA0", "%1B$B$\"%1B(B&%1B$B$\"%1B(B"},
      {'J', "\xF0\x40", "%1B$B%00%00%1B(B"},
      {'J', "x\x81", "x"},
      {'J', "\x82\xA0\x81", "%1B$B$\"%1B(B"},
      {'J', "\x82\xA0\x81 ", "%1B$B$\"%1B(B%81%20"},
      // Half-width katakana are widened one at a time: 0xB6 0xDE becomes KA and the mark.
      {'J', "\xB6\xDE", "%1B$B%25%2B!%2B%1B(B"},
      // Pair bytes "%", "&" and "+" are escaped inside a kanji run so they decode back.
      {'J', "\x82\xA4\x83\x54", "%1B$B$%26%255%1B(B"},
      {'U', "\x82\xA0", "%E3%81%82"},
      {'U', "\xB1", "%EF%BD%B1"},
      {'U', "a b\r\n\xFA\x40", "a+b&%E2%85%B0"},
      {'U', "\x81\x5F", "%EF%BC%BC"},
      {'U', "\x81", "%EF%BF%BD"},
      {'U',
       "a\x85\x40"
       "b",
       "a%EF%BF%BDb"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.code) + " " + testing::PrintToString(c.input));
    EXPECT_EQ(Encode(c.code, c.input), c.expected);
  }
}

TEST(PercentCoding, NegativeLengthIsEmpty) {
  std::string out = "stale";
  PercentEncode(' ', "abc", -1, out);
  EXPECT_EQ(out, "");
  out = "stale";
  PercentDecode(' ', "abc", -1, out);
  EXPECT_EQ(out, "");
}

TEST(SjisToJis, EscapesOnlyAroundKanjiRuns) {
  std::string out = "stale";
  SjisToJis("\x82\xA0x\x82\xA0", out);
  EXPECT_EQ(out, "\x1B$B$\"\x1B(Bx\x1B$B$\"\x1B(B");
  SjisToJis("\x82\xA0\x81!", out);
  EXPECT_EQ(out, "\x1B$B$\"\x1B(B\x81!");
  SjisToJis("abc", out);
  EXPECT_EQ(out, "abc");
}

TEST(SjisToEuc, PassesHalfWidthAndStrayBytes) {
  std::string out = "stale";
  SjisToEuc(
      "\xA0\xDF\x80\xFD"
      "a",
      out);
  EXPECT_EQ(out,
            "\x8E\xA0\x8E\xDF\x80\xFD"
            "a");
}

TEST(SjisToUtf8, ConvertsAroundInvalidText) {
  std::string out = "stale";
  SjisToUtf8("\x82\xA0\x81!\xA0", out);
  EXPECT_EQ(out, "\xE3\x81\x82\xEF\xBF\xBD!\xEF\xBF\xBD");
}

}  // namespace
