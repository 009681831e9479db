// Writing cookies to a new Netscape cookies.txt, for curl, wget, yt-dlp and Python.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/CookieRecord.h"

namespace platform {

/** What a cookies.txt holds, as a store reads it. */
struct CookiesTxtContent {
  std::vector<CookieRecord> cookies;  // in file order
  std::vector<std::string> problems;  // a note for each line that is no cookie (never its bytes)
  std::string unchanged;              // the bytes the store writes back when nothing changed
};
CookiesTxtContent ReadCookiesTxt(std::string_view bytes);
/** The line a cookie is written as (with its LF), or "" when a cookies.txt cannot hold it. */
std::string CookiesTxtLine(const CookieRecord& cookie);

/** Why WriteCookiesTxt wrote nothing. */
struct CookiesTxtFailure {
  enum class Kind { None, NotRecords, NotStorable, NotWritten };
  Kind kind = Kind::None;
  std::string cookie;  // NotStorable: the cookie's name and its host and path
  std::string detail;  // readable, for tools (never a cookie's value)
  int error = 0;       // NotWritten: errno
};

/**
 * Writes the cookies of a cookie file's bytes (nine-line records, as an entry's file holds them)
 * to `path` as a cookies.txt in the form every reader accepts, replacing the file whole and
 * atomically (a new file is the owner's alone). False, and nothing written, when a cookie cannot
 * be held by a cookies.txt or the file cannot be written. `count` gets the cookies written.
 */
bool WriteCookiesTxt(const std::string& path, const std::string& records, int& count,
                     CookiesTxtFailure& failure);

}  // namespace platform
