#include "platform/CookiesTxt.h"

#include <cerrno>
#include <vector>

#include "AtomicFile.h"
#include "NetscapeFile.h"
#include "platform/CookieRecord.h"

namespace platform {

bool WriteCookiesTxt(const std::string& path, const std::string& records, int& count,
                     CookiesTxtFailure& failure) {
  failure = CookiesTxtFailure{};
  count = 0;
  std::vector<CookieRecord> cookies;
  if (!ParseCookieRecords(records, cookies, failure.detail)) {
    failure.kind = CookiesTxtFailure::Kind::NotRecords;
    return false;
  }
  std::string bytes = detail::kNetscapeHeader;
  for (const CookieRecord& cookie : cookies) {
    detail::NetscapeLine line;
    std::string why;
    if (!detail::NetscapeLineFromRecord(cookie, "\n", line, why)) {
      failure.kind = CookiesTxtFailure::Kind::NotStorable;
      failure.cookie = cookie.name + " (" + cookie.domain + ")";
      failure.detail = "cookie \"" + cookie.name + "\" of " + cookie.domain + ": " + why;
      return false;
    }
    bytes += line.raw;
  }
  if (!detail::ReplaceFileAtomically(path, bytes, 0600, failure.detail)) {
    failure.kind = CookiesTxtFailure::Kind::NotWritten;
    failure.error = errno;
    return false;
  }
  count = int(cookies.size());
  return true;
}

}  // namespace platform
