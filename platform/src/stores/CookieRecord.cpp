#include "platform/CookieRecord.h"

#include <algorithm>
#include <cstdint>

namespace platform {
namespace {

constexpr uint64_t kUnixEpochTicks = 116444736000000000ull;
constexpr uint64_t kTicksPerSecond = 10000000ull;

uint64_t Ticks(const FILETIME& time) {
  return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

DWORD ParseNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + uint64_t(text[i] - '0');
  }
  return DWORD(negative ? 0 - value : value);
}

void AppendNumber(std::string& out, DWORD value) {
  out += std::to_string(int32_t(value));
  out += '\n';
}

}  // namespace

std::string CookieRecord::Host() const {
  const size_t slash = domain.find('/');
  std::string host = domain.substr(0, slash);
  const size_t start = host.find_first_not_of('.');
  return start == std::string::npos ? std::string() : host.substr(start);
}

std::string CookieRecord::Path() const {
  const size_t slash = domain.find('/');
  return slash == std::string::npos ? std::string("/") : domain.substr(slash);
}

bool CookieRecord::operator==(const CookieRecord& o) const {
  return name == o.name && value == o.value && domain == o.domain && flags == o.flags &&
         Ticks(expire) == Ticks(o.expire) && Ticks(second) == Ticks(o.second) &&
         terminator == o.terminator;
}

FILETIME FileTimeFromUnix(int64_t seconds) {
  // A FILETIME holds 1601 to about 60056; times beyond either end (a cookies.txt may say
  // anything) are held at that end rather than wrapped.
  constexpr int64_t kEarliest = -int64_t(kUnixEpochTicks / kTicksPerSecond);
  constexpr int64_t kLatest = int64_t((UINT64_MAX - kUnixEpochTicks) / kTicksPerSecond);
  const int64_t clamped = std::clamp(seconds, kEarliest, kLatest);
  const uint64_t ticks = clamped >= 0 ? kUnixEpochTicks + uint64_t(clamped) * kTicksPerSecond
                                      : kUnixEpochTicks - uint64_t(-clamped) * kTicksPerSecond;
  return FILETIME{DWORD(ticks), DWORD(ticks >> 32)};
}

int64_t UnixFromFileTime(const FILETIME& time) {
  // In unsigned ticks: a FILETIME's upper half can be any bits.
  const uint64_t ticks = Ticks(time);
  if (ticks >= kUnixEpochTicks) return int64_t((ticks - kUnixEpochTicks) / kTicksPerSecond);
  // Floor, so that times before 1970 stay before it.
  return -int64_t((kUnixEpochTicks - ticks + kTicksPerSecond - 1) / kTicksPerSecond);
}

bool ParseCookieRecords(std::string_view bytes, std::vector<CookieRecord>& records,
                        std::string& problem) {
  records.clear();  // the complete records stay even when the bytes end inside one
  CookieRecord record;
  int line = 0;
  size_t start = 0;
  for (size_t end; (end = bytes.find('\n', start)) != std::string_view::npos; start = end + 1) {
    const std::string_view text = bytes.substr(start, end - start);
    switch (line % 9) {
      case 0:
        record = CookieRecord{};
        record.name = text;
        break;
      case 1:
        record.value = text;
        break;
      case 2:
        record.domain = text;
        break;
      case 3:
        record.flags = ParseNumber(text);
        break;
      case 4:
        record.expire.dwLowDateTime = ParseNumber(text);
        break;
      case 5:
        record.expire.dwHighDateTime = ParseNumber(text);
        break;
      case 6:
        record.second.dwLowDateTime = ParseNumber(text);
        break;
      case 7:
        record.second.dwHighDateTime = ParseNumber(text);
        break;
      case 8:
        record.terminator = text;
        records.push_back(std::move(record));
        break;
    }
    ++line;
  }
  if (line % 9 != 0 || start != bytes.size()) {
    problem = "the records end inside record " + std::to_string(line / 9 + 1);
    return false;
  }
  return true;
}

std::string RenderCookieRecords(const std::vector<CookieRecord>& records) {
  std::string out;
  for (const CookieRecord& r : records) {
    out += r.name + '\n' + r.value + '\n' + r.domain + '\n';
    AppendNumber(out, r.flags);
    AppendNumber(out, r.expire.dwLowDateTime);
    AppendNumber(out, r.expire.dwHighDateTime);
    AppendNumber(out, r.second.dwLowDateTime);
    AppendNumber(out, r.second.dwHighDateTime);
    out += r.terminator + '\n';
  }
  return out;
}

}  // namespace platform
