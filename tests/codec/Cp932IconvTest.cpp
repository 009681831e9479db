// The codec's CP932 against the host's glibc converter it was generated from, on every input.

#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <optional>
#include <string>

#include "codec/Cp932.h"
#include "codec/Mbcs.h"

namespace {

class Iconv {
 public:
  Iconv(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(m_cd);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

  // The whole conversion, or nothing when any of the input is rejected.
  std::optional<std::string> Convert(std::string in) {
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    char out[16];
    char* inPtr = in.data();
    char* outPtr = out;
    std::size_t inLeft = in.size();
    std::size_t outLeft = sizeof out;
    if (iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
        inLeft != 0) {
      return std::nullopt;
    }
    return std::string(out, outPtr);
  }

 private:
  iconv_t m_cd;
};

std::string Utf16Le(char16_t u) { return {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)}; }

std::optional<char16_t> IconvDecode(Iconv& dec, const std::string& bytes) {
  const auto out = dec.Convert(bytes);
  if (!out || out->size() != 2) return std::nullopt;
  return static_cast<char16_t>(static_cast<unsigned char>((*out)[0]) |
                               static_cast<unsigned char>((*out)[1]) << 8);
}

class Cp932Iconv : public testing::Test {
 protected:
  void SetUp() override {
    if (!m_decoder.ok() || !m_encoder.ok()) {
      GTEST_SKIP() << "this system's iconv has no CP932 converter; nothing to compare with";
    }
  }
  Iconv m_decoder{"UTF-16LE", "CP932"};
  Iconv m_encoder{"CP932", "UTF-16LE"};
};

TEST_F(Cp932Iconv, EveryUtf16CodeUnitEncodesAlike) {
  int mismatches = 0;
  for (unsigned u = 0; u <= 0xFFFF; ++u) {
    const auto unit = static_cast<char16_t>(u);
    const auto expected = m_encoder.Convert(Utf16Le(unit));
    char bytes[2];
    const int n = codec::Cp932WcToMb(bytes, unit);
    const auto actual = n < 0 ? std::nullopt : std::optional<std::string>(std::string(bytes, n));
    if (actual != expected && ++mismatches <= 10) {
      ADD_FAILURE() << "U+" << std::hex << u;
    }
    const std::string stored = codec::Utf16ToCp932(std::u16string(1, unit));
    if (stored != expected.value_or("?") && ++mismatches <= 10) {
      ADD_FAILURE() << "Utf16ToCp932 U+" << std::hex << u;
    }
  }
  EXPECT_EQ(mismatches, 0);
}

TEST_F(Cp932Iconv, EverySingleByteAndDoubleBytePairDecodesAlike) {
  int mismatches = 0;
  auto check = [&](const std::string& bytes) {
    const auto expected = IconvDecode(m_decoder, bytes);
    const std::u16string actual = codec::Cp932ToUtf16(bytes);
    const std::u16string wanted(1, expected.value_or(u'\uFFFD'));
    char16_t units[3] = {};
    const std::size_t count = codec::Cp932MbsToWcs(units, bytes.c_str(), 3);
    const bool countOk =
        expected ? count == 1 && units[0] == *expected : count == static_cast<std::size_t>(-1);
    if ((actual != wanted || !countOk) && ++mismatches <= 10) {
      ADD_FAILURE() << "bytes " << testing::PrintToString(bytes);
    }
  };
  for (int b = 1; b < 0x100; ++b) {
    if (!codec::IsCp932LeadByte(static_cast<unsigned char>(b))) {
      check(std::string(1, static_cast<char>(b)));
    }
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!codec::IsCp932LeadByte(static_cast<unsigned char>(lead))) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const std::string pair = {static_cast<char>(lead), static_cast<char>(trail)};
      if (codec::IsCp932TrailByte(static_cast<unsigned char>(trail))) {
        check(pair);
      } else if (IconvDecode(m_decoder, pair) && ++mismatches <= 10) {
        ADD_FAILURE() << "iconv takes a pair the codec splits: " << testing::PrintToString(pair);
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
