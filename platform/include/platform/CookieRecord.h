// One cookie as the nine-line record of a cookie file holds it, and the conversions between
// those records and their bytes. Every store back end speaks this form to the URL cache calls.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Flag bits the back ends give meaning to. Bits without a meaning in a store survive as they
// are where the store can keep them.
inline constexpr DWORD kCookieBitSecure = 0x1;
inline constexpr DWORD kCookieBitSession = 0x2;
inline constexpr DWORD kCookieBitNonScript = 0x1000;
inline constexpr DWORD kCookieBitHttpOnly = 0x2000;
inline constexpr DWORD kCookieBitHostOnly = 0x4000;
inline constexpr DWORD kCookieBitSameSiteStrict = 0x100000;
inline constexpr DWORD kCookieBitSameSiteLax = 0x200000;

struct CookieRecord {
  std::string name;
  std::string value;
  std::string domain;  // host and path, "example.com/path"
  DWORD flags = 0;
  FILETIME expire{};
  FILETIME second{};  // the record's second time stamp
  std::string terminator = "*";

  /** The host part of the domain line: up to the first '/', without leading dots. */
  std::string Host() const;
  /** The path part of the domain line: from the first '/', "/" when there is none. */
  std::string Path() const;
  bool operator==(const CookieRecord& other) const;
};

/** Unix seconds to FILETIME and back (whole seconds, floored). */
FILETIME FileTimeFromUnix(int64_t seconds);
int64_t UnixFromFileTime(const FILETIME& time);

/**
 * Parses the bytes of a cookie file: nine LF-ended lines a record, numbers as decimal with an
 * optional sign (the low 32 bits count). False when the bytes end inside a record; `problem`
 * says where, and `records` holds the complete ones before it.
 */
bool ParseCookieRecords(std::string_view bytes, std::vector<CookieRecord>& records,
                        std::string& problem);
/** The bytes of a cookie file holding the records, numbers as signed decimals. */
std::string RenderCookieRecords(const std::vector<CookieRecord>& records);

}  // namespace platform
