// One row of a Chromium-family Cookies table, and how it meets the nine-line record: which
// columns a record holds, what a changed or new cookie writes, and what the browser would refuse
// to load (it drops every cookie of the site for one such row).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/CookieRecord.h"

namespace platform::detail {

// Set on the records of cookies whose value could not be decrypted; the record then shows a
// note instead of the value, and a commit that would change such a cookie is refused.
inline constexpr DWORD kChromiumLockedBit = 0x40000000;

struct ChromiumRow {
  enum class Scheme { Plain, V10, V11, Other };

  int64_t rowid = 0;
  std::string hostKey;  // with the leading dot of a domain cookie
  std::string topFrameSiteKey;
  std::string name;
  std::string value;      // the plain column (empty when the value is encrypted)
  std::string encrypted;  // encrypted_value as stored
  std::string path;
  int64_t creation = 0, expires = 0, lastAccess = 0, lastUpdate = 0;  // us since 1601
  int64_t secure = 0, httpOnly = 0, hasExpires = 0, persistent = 0;
  int64_t priority = 1, sameSite = -1, sourceScheme = 0, sourcePort = -1, sourceType = 0;
  int64_t crossSiteAncestor = 0;

  // What the back end made of the value.
  Scheme scheme = Scheme::Plain;
  bool readable = true;
  std::string plain;  // the cookie's value, when readable

  /** name, host_key and path: the cookie a record names. */
  std::string Identity() const;
  /** The browser's own key of the cookie, less the source scheme and port. */
  std::string Key() const;
  /** Whether the stored columns are the same (the derived members are not compared). */
  bool SameColumns(const ChromiumRow& other) const;
};

/** The record of a row; a row whose value is unreadable shows `note` as its value. */
CookieRecord ChromiumRecordOf(const ChromiumRow& row, const std::string& note);
/** A record's identity as ChromiumRow::Identity gives it for the row it would make. */
std::string ChromiumIdentity(const CookieRecord& record);

/**
 * Empty when the browser would load a cookie of this record; otherwise why not, in English,
 * never with the value. Its rules: name and value without control bytes or ';' (and no '='
 * in the name) and without blanks at either end, a lower-case host, the __Host- and __Secure-
 * prefixes' demands, and no cookie whose value was locked.
 */
std::string ChromiumCannotHold(const CookieRecord& record);

/** Writes what the record holds into the row: value (into `plain`), flags and times. A time
 *  the record gives as the whole second of the stored one keeps the stored microseconds. */
void ApplyRecord(const CookieRecord& record, ChromiumRow& row);

/** A new row for a record, with the browser's defaults for what the record cannot hold. */
ChromiumRow NewChromiumRow(const CookieRecord& record, int64_t crossSiteAncestor);

/** Microseconds since 1601 and FILETIME ticks. */
FILETIME FileTimeFromChromium(int64_t microseconds);

}  // namespace platform::detail
