// How the tool prints store contents on a terminal.
#pragma once

#include <windows.h>

#include <string>

namespace urlcache {

// CP932 bytes as UTF-8, control bytes as \r, \n, \t or \xNN so every line stays one line.
std::string Printable(const std::string& bytes);
// "YYYY-MM-DD hh:mm:ss" in UTC, or "-" for a value that has no calendar date.
std::string TimeText(const FILETIME& time);
// The words of the cache type bits, each with its leading blank, then any unnamed bits in hex.
std::string TypeWords(DWORD type);

}  // namespace urlcache
