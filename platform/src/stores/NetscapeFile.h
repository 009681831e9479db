// A Netscape cookies.txt file as lines: every line kept with its own bytes, cookies understood,
// everything else (comments, blanks, lines no reader would take as a cookie) carried along.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CookieRecord.h"

namespace platform::detail {

struct NetscapeLine {
  enum class Kind { Blank, Comment, Cookie, Bad };
  Kind kind = Kind::Blank;
  std::string raw;      // the line's bytes with its ending (LF, CR LF, or none at the end)
  std::string problem;  // why a Bad line is not a cookie
  // A cookie's fields, as written.
  bool httpOnly = false;
  std::string domain;  // after any "#HttpOnly_" prefix, leading dot kept
  std::string includeSubdomains;
  std::string path;
  bool secure = false;
  bool session = false;
  int64_t expiry = 0;  // seconds since 1970; 0 for a session cookie
  std::string name;
  std::string value;

  /** Name, host with its dot (none for a host-only cookie) and path: what makes two lines
   *  the same cookie. */
  std::string Identity() const;
  /** The cookie as a nine-line record. */
  CookieRecord ToRecord() const;
};

/** The identity a record has in a cookies.txt file (see NetscapeLine::Identity). */
std::string NetscapeIdentity(const CookieRecord& record);

struct NetscapeFile {
  std::vector<NetscapeLine> lines;
  std::string eol = "\n";  // for new lines: the ending most lines of the file use

  static NetscapeFile Parse(std::string_view bytes);
  std::string Bytes() const;
};

/**
 * The line a record is written as, in the form every reader accepts (a dot and TRUE exactly
 * for domain cookies, upper-case TRUE/FALSE, integer expiry, seven fields). False, with the
 * reason, when the record holds what a cookies.txt line cannot (TAB, control bytes, bytes that
 * are not UTF-8, no host, a line of 4 KB or more).
 */
bool NetscapeLineFromRecord(const CookieRecord& record, const std::string& eol, NetscapeLine& line,
                            std::string& problem);

/** The header a file written anew starts with. */
extern const char kNetscapeHeader[];

}  // namespace platform::detail
