// Copying cookies from one store to another of any kind: how users hand their cookies to curl,
// wget and yt-dlp (a browser profile into a cookies.txt), or back.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct CopyReport {
  int copied = 0;    // cookies written to the target
  int replaced = 0;  // of those, the ones that replaced a cookie of the same identity
  // What was not copied and why: entries that could not be read or written, cookies the target
  // cannot hold (named, never with their values).
  std::vector<std::string> failures;
};

/**
 * Copies every cookie of the store `from` names (or those whose host matches `domainPattern`:
 * a shell pattern such as "*.example.com", or a plain domain, which matches it and every host
 * below it) into the store `to` names, replacing cookies of the same name, host and path. A `to`
 * that does not exist yet is made as a new cookies.txt when it is named "netscape:PATH" or ends
 * in ".txt". Each entry of the target is committed on its own; a cookie the target cannot hold,
 * or an entry that fails, is reported and the rest goes on. False with `problem` when either
 * store cannot be opened or read.
 */
bool CopyCookies(const std::string& from, const std::string& to, const std::string& domainPattern,
                 CopyReport& report, std::string& problem);

}  // namespace platform
