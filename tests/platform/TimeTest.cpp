#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

namespace {

uint64_t Ticks(const FILETIME& ft) {
  return (uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
}
FILETIME Ft(uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}
SYSTEMTIME St(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(y);
  st.wMonth = static_cast<WORD>(mo);
  st.wDay = static_cast<WORD>(d);
  st.wHour = static_cast<WORD>(h);
  st.wMinute = static_cast<WORD>(mi);
  st.wSecond = static_cast<WORD>(s);
  st.wMilliseconds = static_cast<WORD>(ms);
  return st;
}

TEST(Time, FileTimesConvertToCalendarDatesBothWays) {
  struct Case {
    uint64_t ticks;
    SYSTEMTIME st;
    int dayOfWeek;
  } cases[] = {
      {0, St(1601, 1, 1), 1},                      // Monday
      {116444736000000000ull, St(1970, 1, 1), 4},  // Thursday
      {125911584000000000ull, St(2000, 1, 1), 6},  // Saturday
      {126037152000000000ull, St(2000, 5, 25, 8), 4},
      {(31000000ull << 32) | 2743031808u, St(2022, 12, 1, 20, 8, 11, 903), 4},
      {0x7FFFFFFFFFFFFFFFull - 5807, St(30828, 9, 14, 2, 48, 5, 477), 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ticks);
    FILETIME ft = Ft(c.ticks);
    SYSTEMTIME st{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ(st.wYear, c.st.wYear);
    EXPECT_EQ(st.wMonth, c.st.wMonth);
    EXPECT_EQ(st.wDay, c.st.wDay);
    EXPECT_EQ(st.wHour, c.st.wHour);
    EXPECT_EQ(st.wMinute, c.st.wMinute);
    EXPECT_EQ(st.wSecond, c.st.wSecond);
    EXPECT_EQ(st.wMilliseconds, c.st.wMilliseconds);
    EXPECT_EQ(st.wDayOfWeek, c.dayOfWeek);
    FILETIME back{};
    // The last representable year is beyond the years a system time may name.
    ASSERT_EQ(SystemTimeToFileTime(&st, &back), st.wYear <= 30827);
    if (st.wYear <= 30827) {
      EXPECT_EQ(Ticks(back), c.ticks - c.ticks % 10000);
    }
  }
}

TEST(Time, ValuesFrom2To63CannotBecomeSystemTimes) {
  for (uint64_t ticks : {1ull << 63, (1ull << 63) + 1, ~0ull}) {
    FILETIME ft = Ft(ticks);
    SYSTEMTIME st{};
    SetLastError(0);
    EXPECT_FALSE(FileTimeToSystemTime(&ft, &st));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
}

TEST(Time, SystemTimesWithAFieldOutOfRangeAreRejected) {
  const SYSTEMTIME bad[] = {St(2023, 2, 29),
                            St(2024, 2, 30),
                            St(2024, 2, 31),
                            St(1900, 2, 29),
                            St(2024, 4, 31),
                            St(2024, 0, 1),
                            St(2024, 13, 1),
                            St(2024, 1, 0),
                            St(2024, 1, 32),
                            St(2024, 1, 1, 24),
                            St(2024, 1, 1, 0, 60),
                            St(2024, 1, 1, 0, 0, 60),
                            St(2024, 1, 1, 0, 0, 0, 1000),
                            St(1600, 12, 31),
                            St(30828, 1, 1)};
  for (const SYSTEMTIME& st : bad) {
    SCOPED_TRACE(std::to_string(st.wYear) + "-" + std::to_string(st.wMonth) + "-" +
                 std::to_string(st.wDay));
    FILETIME ft{123, 456};
    SetLastError(0);
    EXPECT_FALSE(SystemTimeToFileTime(&st, &ft));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  const SYSTEMTIME good[] = {St(2000, 2, 29), St(2024, 2, 29), St(1601, 1, 1),
                             St(30827, 12, 31, 23, 59, 59, 999)};
  for (const SYSTEMTIME& st : good) {
    FILETIME ft{};
    EXPECT_TRUE(SystemTimeToFileTime(&st, &ft));
  }
}

// Sets TZ for one test and restores it after.
class ZoneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TZ");
    m_hadTz = old != nullptr;
    if (m_hadTz) m_oldTz = old;
  }
  void TearDown() override {
    if (m_hadTz) {
      setenv("TZ", m_oldTz.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  static void Zone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
  }

 private:
  bool m_hadTz = false;
  std::string m_oldTz;
};

TEST_F(ZoneTest, LocalTimesApplyTheCurrentBiasWhateverTheDate) {
  constexpr int64_t kHour = 36'000'000'000;
  // JST has no daylight saving; New York has, and its bias now is what counts for every date.
  const time_t now = time(nullptr);
  struct tm local {};
  Zone("America/New_York");
  localtime_r(&now, &local);
  const int64_t newYorkBias = static_cast<int64_t>(local.tm_gmtoff) * 10'000'000;
  const struct {
    const char* tz;
    int64_t bias;
  } zones[] = {{"UTC0", 0}, {"JST-9", 9 * kHour}, {"America/New_York", newYorkBias}};
  for (const auto& zone : zones) {
    SCOPED_TRACE(zone.tz);
    Zone(zone.tz);
    for (uint64_t ticks : {125911584000000000ull, 133300000000000000ull, 129000000000000000ull}) {
      FILETIME utc = Ft(ticks), local{}, back{};
      ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
      EXPECT_EQ(static_cast<int64_t>(Ticks(local) - ticks), zone.bias);
      ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
      EXPECT_EQ(Ticks(back), ticks);
    }
  }
}

TEST_F(ZoneTest, LocalTimeBeforeTheEpochWrapsAndThenCannotConvert) {
  Zone("EST5");
  FILETIME zero{0, 0}, local{};
  ASSERT_TRUE(FileTimeToLocalFileTime(&zero, &local));
  SYSTEMTIME st{};
  EXPECT_FALSE(FileTimeToSystemTime(&local, &st));
}

TEST(Time, SystemTimeNowMatchesTheClock) {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const int64_t seconds = static_cast<int64_t>(Ticks(now) / 10'000'000) - 11644473600;
  EXPECT_LE(std::llabs(seconds - static_cast<int64_t>(time(nullptr))), 2);
}

TEST(LastError, IsKeptPerThread) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  DWORD seenByOther = 1;
  std::thread other([&] {
    seenByOther = GetLastError();
    SetLastError(ERROR_ACCESS_DENIED);
  });
  other.join();
  EXPECT_EQ(seenByOther, 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
