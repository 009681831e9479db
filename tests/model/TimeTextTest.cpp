#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <cstdint>
#include <string>

#include "ModelTestSupport.h"
#include "model/TimeText.h"

namespace {

using modeltest::MakeFileTime;
using modeltest::ToUint64;

constexpr uint64_t kSecond = 10'000'000;
constexpr uint64_t k20030228_123456 = 126909092960000000;  // 2003-02-28 12:34:56 UTC

class TimeTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedGmt = g_bGmtMode;
    const char* tz = getenv("TZ");
    m_hadTz = tz != nullptr;
    if (tz) m_savedTz = tz;
    g_bGmtMode = 1;
  }
  void TearDown() override {
    g_bGmtMode = m_savedGmt;
    if (m_hadTz) {
      setenv("TZ", m_savedTz.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  static void SetZone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
  }
  int m_savedGmt = 1;
  bool m_hadTz = false;
  std::string m_savedTz;
};

std::string Text(uint64_t value) {
  FILETIME time = MakeFileTime(value);
  CString text("stale");
  FileTimeToText(&time, text);
  return text.str();
}

TEST_F(TimeTextTest, FileTimeToTextInGmt) {
  struct Case {
    uint64_t value;
    const char* text;
  } const cases[] = {
      {0, "1601-01-01 00:00:00"},
      {k20030228_123456, "2003-02-28 12:34:56"},
      {k20030228_123456 + kSecond - 1, "2003-02-28 12:34:56"},  // fractions dropped
      {uint64_t(1) << 63, ""},                                  // beyond the platform: empty
      {~uint64_t(0), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Text(c.value), c.text) << c.value;
}

TEST_F(TimeTextTest, TextToFileTimeInGmt) {
  struct Case {
    const char* text;
    bool converts;
    const char* stored;  // the time the result stands for
  } const cases[] = {
      {"2003-02-28 12:34:56", true, "2003-02-28 12:34:56"},
      {"2004-02-29 00:00:00", true, "2004-02-29 00:00:00"},
      {"2003-2-3 4:5:6", true, "2003-02-03 04:05:06"},
      {"1601-01-01 00:00:00", true, "1601-01-01 00:00:00"},
      // Not a valid time: the nearest valid one, never an undefined value.
      {"2003-02-31 00:00:00", false, "2003-02-28 00:00:00"},
      {"2100-02-29 10:00:00", false, "2100-02-28 10:00:00"},
      {"2003-13-01 25:61:61", false, "2003-12-01 23:59:59"},
      {"1600-06-15 00:00:00", false, "1601-06-15 00:00:00"},
      {"2003-04-05", true, "2003-04-05 00:00:00"},  // missing fields are 0
      {"", false, "1601-01-01 00:00:00"},
      {"garbage", false, "1601-01-01 00:00:00"},
  };
  for (const Case& c : cases) {
    FILETIME time{0xDEADBEEF, 0xDEADBEEF};
    EXPECT_EQ(TextToFileTime(c.text, &time), c.converts) << c.text;
    EXPECT_EQ(Text(ToUint64(time)), c.stored) << c.text;
  }
}

TEST_F(TimeTextTest, LocalModeShiftsByTheCurrentBias) {
  SetZone("JST-9");
  g_bGmtMode = 0;
  EXPECT_EQ(Text(k20030228_123456 + 1234), "2003-02-28 21:34:56");
  FILETIME back{};
  EXPECT_TRUE(TextToFileTime("2003-02-28 21:34:56", &back));
  EXPECT_EQ(ToUint64(back), k20030228_123456);

  // Local 1601-01-01 00:00 lies before the first FILETIME: still a defined result.
  EXPECT_FALSE(TextToFileTime("1601-01-01 00:00:00", &back));
  EXPECT_EQ(ToUint64(back), 0u);

  SetZone("EST5");
  EXPECT_EQ(Text(0), "");  // local time before 1601 cannot be shown
  EXPECT_EQ(Text(k20030228_123456), "2003-02-28 07:34:56");
}

}  // namespace
