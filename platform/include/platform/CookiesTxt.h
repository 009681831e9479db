// Writing cookies to a new Netscape cookies.txt, for curl, wget, yt-dlp and Python.
#pragma once

#include <string>

namespace platform {

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
