#include "model/TimeText.h"

#include <algorithm>
#include <cstdio>

int g_bGmtMode = 1;

void FileTimeToText(const FILETIME* time, CString& text) {
  text.Empty();
  FILETIME local = *time;
  if (!g_bGmtMode && !FileTimeToLocalFileTime(time, &local)) return;
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&local, &st)) return;
  text.Format("%04d-%02d-%02d %02d:%02d:%02d", st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute,
              st.wSecond);
}

namespace {

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Converts in the current mode; false when the platform refuses the fields or the zone shift.
bool Convert(const SYSTEMTIME& st, FILETIME* time) {
  if (g_bGmtMode) return SystemTimeToFileTime(&st, time) != 0;
  FILETIME local;
  if (!SystemTimeToFileTime(&st, &local) || !LocalFileTimeToFileTime(&local, time)) return false;
  // Local times just after 1601 wrap around below zero: a value no one could read back.
  return (time->dwHighDateTime & 0x80000000u) == 0;
}

}  // namespace

bool TextToFileTime(const char* text, FILETIME* time) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  std::sscanf(text ? text : "", "%4d-%2d-%2d %2d:%2d:%2d", &year, &month, &day, &hour, &minute,
              &second);
  SYSTEMTIME st{};
  auto fill = [&st](int y, int mo, int d, int h, int mi, int s) {
    st.wYear = WORD(y);
    st.wMonth = WORD(mo);
    st.wDay = WORD(d);
    st.wHour = WORD(h);
    st.wMinute = WORD(mi);
    st.wSecond = WORD(s);
    st.wMilliseconds = 0;
  };
  const bool inRange = year >= 1601 && year <= 30827 && month >= 1 && month <= 12 && day >= 1 &&
                       day <= DaysInMonth(year, month) && hour >= 0 && hour < 24 && minute >= 0 &&
                       minute < 60 && second >= 0 && second < 60;
  if (inRange) {
    fill(year, month, day, hour, minute, second);
    if (Convert(st, time)) return true;
  }
  // A text that is no valid time (a typed 02-31, an empty text from an unconvertible stamp) is
  // still written by the commit: the nearest valid time keeps every field that was right, so
  // "2003-02-31 12:00:00" becomes 2003-02-28 12:00:00 and an empty text 1601-01-01 (zero).
  year = std::clamp(year, 1601, 30827);
  month = std::clamp(month, 1, 12);
  fill(year, month, std::clamp(day, 1, DaysInMonth(year, month)), std::clamp(hour, 0, 23),
       std::clamp(minute, 0, 59), std::clamp(second, 0, 59));
  // Only a local time before the first UTC instant can still fail: zero is the nearest.
  if (!Convert(st, time)) *time = FILETIME{0, 0};
  return false;
}
