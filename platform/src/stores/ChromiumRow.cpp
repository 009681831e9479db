#include "ChromiumRow.h"

#include <strings.h>

#include <limits>
#include <string_view>

namespace platform::detail {
namespace {

constexpr uint64_t kTicksPerSecond = 10'000'000;

uint64_t Ticks(const FILETIME& time) {
  return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The microseconds a record's time stands for. The window shows whole seconds: a time that is
// the stored one cut to its second is the stored one, so untouched cookies lose nothing.
int64_t Microseconds(const FILETIME& time, int64_t stored) {
  const uint64_t ticks = Ticks(time);
  if (stored >= 0) {
    const uint64_t storedTicks = uint64_t(stored) * 10;
    if (ticks == storedTicks ||
        (ticks % kTicksPerSecond == 0 && ticks == storedTicks - storedTicks % kTicksPerSecond)) {
      return stored;
    }
  }
  return int64_t(ticks / 10);
}

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         ::strncasecmp(text.data(), prefix.data(), prefix.size()) == 0;
}

// What the browser's token parser would change about a name or value.
std::string TokenProblem(std::string_view text, const char* what, bool isName) {
  for (const char c : text) {
    if (IsControl(c)) return std::string("the ") + what + " holds a control character";
    if (c == ';' || (isName && c == '=')) {
      return std::string("the ") + what + (isName ? " holds ';' or '='" : " holds ';'");
    }
  }
  if (!text.empty() && (IsBlank(text.front()) || IsBlank(text.back()))) {
    return std::string("the ") + what + " starts or ends with a blank";
  }
  return {};
}

std::string HostProblem(const std::string& host) {
  if (host.empty()) return "the cookie has no host";
  if (host.front() == '[' && host.back() == ']' && host.size() > 2) {
    for (size_t i = 1; i + 1 < host.size(); ++i) {
      const char c = host[i];
      if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == ':' || c == '.')) {
        return "the host is no IPv6 address the browser would keep";
      }
    }
    return {};
  }
  char previous = '.';
  for (const char c : host) {
    if (c >= 'A' && c <= 'Z')
      return "the host has upper-case letters (the browser keeps lower case)";
    const bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!plain && c != '.') return "the host holds a character no host name has";
    if (c == '.' && previous == '.') return "the host has an empty label";
    previous = c;
  }
  if (previous == '.') return "the host ends with a dot";
  return {};
}

}  // namespace

std::string ChromiumRow::Identity() const { return name + '\t' + hostKey + '\t' + path; }

std::string ChromiumRow::Key() const {
  return Identity() + '\t' + topFrameSiteKey + '\t' + std::to_string(crossSiteAncestor);
}

bool ChromiumRow::SameColumns(const ChromiumRow& o) const {
  return hostKey == o.hostKey && topFrameSiteKey == o.topFrameSiteKey && name == o.name &&
         value == o.value && encrypted == o.encrypted && path == o.path && creation == o.creation &&
         expires == o.expires && lastAccess == o.lastAccess && lastUpdate == o.lastUpdate &&
         secure == o.secure && httpOnly == o.httpOnly && hasExpires == o.hasExpires &&
         persistent == o.persistent && priority == o.priority && sameSite == o.sameSite &&
         sourceScheme == o.sourceScheme && sourcePort == o.sourcePort &&
         sourceType == o.sourceType && crossSiteAncestor == o.crossSiteAncestor;
}

FILETIME FileTimeFromChromium(int64_t microseconds) {
  const uint64_t ticks = microseconds > 0 ? uint64_t(microseconds) * 10 : 0;
  return FILETIME{DWORD(ticks), DWORD(ticks >> 32)};
}

CookieRecord ChromiumRecordOf(const ChromiumRow& row, const std::string& note) {
  CookieRecord record;
  record.name = row.name;
  record.value = row.readable ? row.plain : note;
  const size_t start = row.hostKey.find_first_not_of('.');
  record.domain =
      (start == std::string::npos ? std::string() : row.hostKey.substr(start)) + row.path;
  DWORD flags = 0;
  if (row.secure != 0) flags |= kCookieBitSecure;
  if (row.persistent == 0) flags |= kCookieBitSession;
  if (row.httpOnly != 0) flags |= kCookieBitHttpOnly;
  if (row.hostKey.empty() || row.hostKey.front() != '.') flags |= kCookieBitHostOnly;
  if (row.sameSite == 2) flags |= kCookieBitSameSiteStrict;
  if (row.sameSite == 1) flags |= kCookieBitSameSiteLax;
  if (!row.readable) flags |= kChromiumLockedBit;
  record.flags = flags;
  record.expire = FileTimeFromChromium(row.expires);
  record.second = FileTimeFromChromium(row.creation);
  return record;
}

std::string ChromiumIdentity(const CookieRecord& record) {
  const bool hostOnly = (record.flags & kCookieBitHostOnly) != 0;
  return record.name + '\t' + (hostOnly ? "" : ".") + record.Host() + '\t' + record.Path();
}

std::string ChromiumCannotHold(const CookieRecord& record) {
  if ((record.flags & kChromiumLockedBit) != 0) {
    return "its value is locked (it could not be decrypted), so it cannot be written";
  }
  if (std::string why = TokenProblem(record.name, "name", true); !why.empty()) return why;
  if (std::string why = TokenProblem(record.value, "value", false); !why.empty()) return why;
  if (record.name.empty()) {
    const size_t start = record.value.find_first_not_of(" \t");
    const std::string_view value = start == std::string::npos
                                       ? std::string_view()
                                       : std::string_view(record.value).substr(start);
    if (StartsWithNoCase(value, "__Host-") || StartsWithNoCase(value, "__Secure-")) {
      return "a cookie without a name may not have a value that starts like a prefixed name";
    }
  }
  if (std::string why = HostProblem(record.Host()); !why.empty()) return why;
  const std::string path = record.Path();
  for (const char c : path) {
    if (IsControl(c)) return "the path holds a control character";
  }
  const bool secure = (record.flags & kCookieBitSecure) != 0;
  if (StartsWithNoCase(record.name, "__Host-") &&
      (!secure || path != "/" || (record.flags & kCookieBitHostOnly) == 0)) {
    return "a __Host- cookie must be secure, host-only and have the path /";
  }
  if (StartsWithNoCase(record.name, "__Secure-") && !secure) {
    return "a __Secure- cookie must be secure";
  }
  return {};
}

void ApplyRecord(const CookieRecord& record, ChromiumRow& row) {
  const DWORD flags = record.flags;
  row.plain = record.value;
  row.secure = (flags & kCookieBitSecure) != 0;
  row.httpOnly = (flags & kCookieBitHttpOnly) != 0;
  if ((flags & kCookieBitSameSiteStrict) != 0) {
    row.sameSite = 2;
  } else if ((flags & kCookieBitSameSiteLax) != 0) {
    row.sameSite = 1;
  } else if (row.sameSite != 0) {
    row.sameSite = -1;  // "none" and "unspecified" look alike in a record: a none stays none
  }
  if ((flags & kCookieBitSession) != 0 || Ticks(record.expire) == 0) {
    row.persistent = row.hasExpires = row.expires = 0;
  } else {
    row.persistent = row.hasExpires = 1;
    row.expires = Microseconds(record.expire, row.expires);
  }
  row.creation = Microseconds(record.second, row.creation);
  // The browser refuses a cookie last used but never made.
  if (row.creation == 0) row.lastAccess = 0;
}

ChromiumRow NewChromiumRow(const CookieRecord& record, int64_t crossSiteAncestor) {
  ChromiumRow row;
  row.hostKey = ((record.flags & kCookieBitHostOnly) != 0 ? "" : ".") + record.Host();
  row.name = record.name;
  row.path = record.Path();
  row.creation = -1;  // no stored time to keep
  ApplyRecord(record, row);
  row.lastAccess = row.lastUpdate = row.creation;
  row.priority = 1;  // medium
  // As the browser writes a cookie it did not see set: scheme unset unless secure, no port.
  row.sourceScheme = row.secure != 0 ? 2 : 0;
  row.sourcePort = -1;
  row.sourceType = 0;
  row.crossSiteAncestor = crossSiteAncestor;
  return row;
}

}  // namespace platform::detail
