#include "platform/CookiesTxt.h"

#include <cerrno>
#include <vector>

#include "AtomicFile.h"
#include "NetscapeFile.h"
#include "platform/CookieRecord.h"

namespace platform {

CookiesTxtContent ReadCookiesTxt(std::string_view bytes) {
  CookiesTxtContent content;
  const detail::NetscapeFile file = detail::NetscapeFile::Parse(bytes);
  for (size_t i = 0; i < file.lines.size(); ++i) {
    const detail::NetscapeLine& line = file.lines[i];
    if (line.kind == detail::NetscapeLine::Kind::Cookie) {
      content.cookies.push_back(line.ToRecord());
    } else if (line.kind == detail::NetscapeLine::Kind::Bad) {
      content.problems.push_back("line " + std::to_string(i + 1) + ": " + line.problem);
    }
  }
  content.unchanged = file.Bytes();
  return content;
}

std::string CookiesTxtLine(const CookieRecord& cookie) {
  detail::NetscapeLine line;
  std::string problem;
  return detail::NetscapeLineFromRecord(cookie, "\n", line, problem) ? line.raw : std::string();
}

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
