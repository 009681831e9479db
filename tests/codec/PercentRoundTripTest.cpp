// Properties over generated text: what the encoder writes is printable ASCII, and text that
// follows the encoder's conventions under a code comes back from decoding unchanged.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codec/Cp932.h"
#include "codec/Mbcs.h"
#include "codec/Percent.h"

namespace {

std::string Encode(char code, const std::string& text) {
  std::string out;
  PercentEncode(code, text.data(), static_cast<int>(text.size()), out);
  return out;
}

std::string Decode(char code, const std::string& stored) {
  std::string out;
  PercentDecode(code, stored.data(), static_cast<int>(stored.size()), out);
  return out;
}

// Double-byte characters each code can carry: EUC and JIS need a JIS X 0208 code; UTF-8 needs
// the pair to be the one CP932 writes for its Unicode character (not a duplicate).
std::vector<std::string> Pairs(char code) {
  std::vector<std::string> pairs;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
      if (!codec::IsCp932LeadByte(lead) || !codec::IsCp932TrailByte(trail)) continue;
      const std::u16string unit = codec::Cp932ToUtf16(pair);
      if (unit[0] == 0xFFFD) continue;
      if ((code == 'E' || code == 'J') && _mbcjmstojis(lead << 8 | trail) == 0) continue;
      if (code == 'U' && codec::Utf16ToCp932(unit) != pair) continue;
      pairs.push_back(pair);
    }
  }
  return pairs;
}

// Printable ASCII except the three characters that carry meaning in the stored form.
std::string RandomText(char code, const std::vector<std::string>& pairs, std::mt19937& rng) {
  std::string text;
  const int length = std::uniform_int_distribution<>(0, 24)(rng);
  for (int i = 0; i < length; ++i) {
    switch (std::uniform_int_distribution<>(0, 5)(rng)) {
      case 0:
        text += ' ';
        break;
      case 1:
        text += "\r\n";
        break;
      case 2: {
        const char c = static_cast<char>(std::uniform_int_distribution<>(0x21, 0x7E)(rng));
        text += (c == '+' || c == '&' || c == '%') ? 'x' : c;
        break;
      }
      case 3:
        if (code != 'J') {  // JIS widens half-width katakana
          text += static_cast<char>(std::uniform_int_distribution<>(0xA1, 0xDF)(rng));
          break;
        }
        [[fallthrough]];
      default:
        text += pairs[std::uniform_int_distribution<std::size_t>(0, pairs.size() - 1)(rng)];
        break;
    }
  }
  return text;
}

class PercentRoundTrip : public testing::TestWithParam<char> {};

TEST_P(PercentRoundTrip, ConventionalTextComesBack) {
  const char code = GetParam();
  const std::vector<std::string> pairs = Pairs(code);
  std::mt19937 rng(static_cast<unsigned>(code));
  for (int i = 0; i < 3000; ++i) {
    const std::string text = RandomText(code, pairs, rng);
    const std::string stored = Encode(code, text);
    for (const char c : stored) {
      ASSERT_TRUE(c >= 0x21 && c <= 0x7E) << testing::PrintToString(stored);
    }
    ASSERT_EQ(Decode(code, stored), text) << testing::PrintToString(stored);
    ASSERT_EQ(Encode(code, Decode(code, stored)), stored);
  }
}

TEST_P(PercentRoundTrip, EncoderWritesOnlyPrintableAscii) {
  const char code = GetParam();
  std::mt19937 rng(static_cast<unsigned>(code) + 1);
  std::uniform_int_distribution<> byte(0, 255);
  for (int i = 0; i < 3000; ++i) {
    std::string text(std::uniform_int_distribution<>(0, 16)(rng), '\0');
    for (char& c : text) c = static_cast<char>(byte(rng));
    for (const char c : Encode(code, text)) {
      ASSERT_TRUE(c >= 0x21 && c <= 0x7E) << testing::PrintToString(text);
    }
  }
}

// Every JIS X 0208 character survives JIS, including those whose JIS bytes are "%", "&" or "+".
TEST(PercentRoundTripJis, EveryKanjiComesBack) {
  for (const std::string& pair : Pairs('J')) {
    const std::string text = "a" + pair + "b";
    ASSERT_EQ(Decode('J', Encode('J', text)), text) << testing::PrintToString(pair);
  }
}

INSTANTIATE_TEST_SUITE_P(Codes, PercentRoundTrip, testing::Values(' ', 'S', 'E', 'J', 'U'),
                         [](const testing::TestParamInfo<char>& info) {
                           return info.param == ' ' ? std::string("SevenBit")
                                                    : std::string(1, info.param);
                         });

}  // namespace
