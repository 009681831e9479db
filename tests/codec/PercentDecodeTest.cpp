#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/Percent.h"

namespace {

struct DecodeCase {
  char code;
  std::string input;
  std::string expected;
};

std::string Decode(char code, const std::string& input) {
  std::string out = "stale";
  PercentDecode(code, input.data(), static_cast<int>(input.size()), out);
  return out;
}

using namespace std::string_literals;

TEST(PercentDecode, Examples) {
  const std::vector<DecodeCase> cases = {
      {' ', "a+b%41&c", "a bA\r\nc"},
      {' ', "", ""},
      {' ', "&", "\r\n"},
      {' ', "a&", "a\r\n"},
      {' ', "a&&b", "a\r\n\r\nb"},
      {' ', "%zz", "%zz"},
      {' ', "%4g", "%4g"},
      {' ', "%4&b", "%4&b"},
      {' ', "%41%", "A"},
      {' ', "x%4", "x"},
      {' ', "%&", "%&"},
      {' ', "%+", "%+"},
      {' ', "%%", "%%"},
      {' ', "%26", "&"},
      {' ', "%2B", "+"},
      {' ', "%25%34%31", "%41"},
      {' ', "%e3", "\xE3"},
      {' ', "%u0041", "A"},
      {' ', "%U0041", "A"},
      {' ', "%u3042", "\x82\xA0"},
      {' ', "%uFF71", "\xB1"},
      {' ', "%uZZ41", "A"},
      // The four bytes after "u" are 4, 1, & and b: b is a digit, so the unit is U+041B.
      {' ', "%u41&b", "\x84\x4C"},
      {' ', "%u41&x", "A"},
      {' ', "%uD800", "%uD800"},
      {' ', "%ud800", "%uD800"},
      {' ', "%u00e9", "%u00E9"},
      {' ', "%u0000x", "x"},
      {' ', "a%u004", "a"},
      {' ', "x%00y", "x\0y"s},
      {'S', "a+b%41&c", "a bA\r\nc"},
      {'?', "a+b%41&%82%A0", "a bA\r\n\x82\xA0"},
      {'E', "%A4%A2", "\x82\xA0"},
      {'E', "%8E%B1", "\xB1"},
      {'E', "%8F%B0%A1x", "\x81\xA1x"},
      {'E', "%A4%A2%00%A4%A2", "\x82\xA0"},
      {'E', "%A4%A2&%B4%C1", "\x82\xA0\r\n\x8A\xBF"},
      {'E', "%u3042", "\0\0"s},  // the CP932 bytes are read again as EUC
      {'J', "%1B$B$\"%1B(B", "\x82\xA0"},
      {'J', "%1B$(D", "\x1B$(D"},
      {'U', "%E3%81%82", "\x82\xA0"},
      {'U', "a%F0%9F%98%80b", "ab"},
      {'U', "%C3", ""},
      {'U', "x%00y", "x"},
      {'U', "%E3%81%82&%EF%BD%B1", "\x82\xA0\r\n\xB1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.code) + " " + testing::PrintToString(c.input));
    EXPECT_EQ(Decode(c.code, c.input), c.expected);
  }
}

TEST(PercentDecode, ScansEveryByteOfTheGivenLength) {
  const std::string input = "a\0b+%41"s;
  EXPECT_EQ(Decode(' ', input), "a\0b A"s);
  std::string out;
  PercentDecode(' ', "abc", 2, out);
  EXPECT_EQ(out, "ab");
}

struct ConvertCase {
  std::string input;
  std::string expected;
};

template <typename Convert>
void ExpectConversions(Convert convert, const std::vector<ConvertCase>& cases) {
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.input));
    std::string out = "stale";
    convert(c.input.c_str(), out);
    EXPECT_EQ(out, c.expected);
  }
}

TEST(EucToSjis, Conversions) {
  ExpectConversions(EucToSjis, {
                                   {"\xA4\xA2", "\x82\xA0"},
                                   {"\x8E\xB1", "\xB1"},
                                   {"\x8F\xB0\xA1x", "\x81\xA1x"},
                                   {"\x8F\xB0", "\x81\xA1"},
                                   {"\x8F", "\x81\xA1"},
                                   {"a\xA4", "a"},
                                   {"\xA4x\xA2", "x"},
                                   {"\xA4\x8E\xB1\xA2", "\xB1\x82\xA0"},
                                   {"\xA4\xFF", "\0\0"s},
                                   {"\xAD\xA1", "\x87\x40"},
                               });
}

TEST(JisToSjis, Conversions) {
  ExpectConversions(JisToSjis,
                    {
                        {"\x1B$B$\"\x1B(B", "\x82\xA0"},
                        {"\x1B$@$\"$$\x1B(J", "\x82\xA0\x82\xA2"},
                        {"\x1B$(D", "\x1B$(D"},
                        {"\x1B$B\x1B$(D$\"", "\x1B$(\x92\xA2\""},  // kanji stays in force
                        {"\x1B(I1", "\x1B(I1"},
                        {"\x1Bx", "\x1Bx"},
                        {"a\x1B", "a"},
                        {"a\x1B$", "a"},
                        {"\x1B$B$", "$"},
                        {"\x1B$B$\x1B(Bx", "$x"},
                        {"\xB1\x0E", "\xB1\x0E"},
                        {"\x1B$B\x0E\x0F", "\0\0"s},
                        {"\x1B$B\xA4\xA2", "\x82\xA0"},
                    });
}

TEST(Utf8ToSjis, Conversions) {
  ExpectConversions(Utf8ToSjis, {
                                    {"\xE3\x81\x82", "\x82\xA0"},
                                    {"a\xF0\x9F\x98\x80"
                                     "b",
                                     "ab"},
                                    {"\xC3", ""},
                                    {"\xE3\x81", ""},
                                    {"\x80\xBF"
                                     "a",
                                     "a"},
                                    {"\xC3\xA9", ""},   // CP932 has no e-acute
                                    {"\xC1\x81", "A"},  // overlong, taken as it comes
                                    {"\xC0\x80", ""},
                                    {"\xE3"
                                     "A"
                                     "\x82",
                                     "\x82\xA0"},          // 'A' & 0x3F == 0x01
                                    {"\xED\xA0\x80", ""},  // a surrogate
                                    {"\xE2\x85\xB0", "\xFA\x40"},
                                });
}

}  // namespace
