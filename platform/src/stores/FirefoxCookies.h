// Firefox's cookies.sqlite: its schema versions, a row of moz_cookies, and how a row and a
// nine-line record turn into each other.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CookieRecord.h"

namespace platform::detail {

/** What a database's moz_cookies looks like: PRAGMA user_version and its columns. */
struct FirefoxSchema {
  int version = 0;
  std::set<std::string> columns;

  bool Has(const std::string& column) const { return columns.count(column) != 0; }
  /** Schema 16 counts expiry in milliseconds; earlier ones in seconds. */
  bool ExpiryInMilliseconds() const { return version >= 16; }
  /** The value sameSite holds for a cookie set without the attribute. */
  int SameSiteUnset() const { return version >= 15 ? 256 : 0; }
  /** The columns a commit writes under this version. */
  std::vector<std::string> WrittenColumns() const;
  /** Empty when commits are made under this schema; otherwise why not (English). */
  std::string WhyNotWritable() const;
  bool operator==(const FirefoxSchema& other) const {
    return version == other.version && columns == other.columns;
  }
};

/** The versions whose files were built and written by the tests, and proven with Firefox. */
inline constexpr int kFirefoxOldestWritten = 12;
inline constexpr int kFirefoxNewestWritten = 17;

/** The columns of a row a record is made from (the rest stay in the file as they are). */
struct FirefoxRow {
  int64_t id = 0;
  std::string originAttributes;
  std::string name;
  std::string value;
  std::string host;  // a leading dot for a domain cookie
  std::string path;
  int64_t expiry = 0;        // seconds or milliseconds by schema
  int64_t creationTime = 0;  // microseconds since 1970
  int64_t isSecure = 0;
  int64_t isHttpOnly = 0;
  int64_t sameSite = 0;

  bool operator==(const FirefoxRow& other) const = default;
  /**
   * Takes every column but the identity (name, host, path, originAttributes) from `other`,
   * whose identity is the same: views into this row's identity strings stay valid. A column
   * added above belongs here too.
   */
  void TakeValues(const FirefoxRow& other) {
    id = other.id;
    value = other.value;
    expiry = other.expiry;
    creationTime = other.creationTime;
    isSecure = other.isSecure;
    isHttpOnly = other.isHttpOnly;
    sameSite = other.sameSite;
  }
};

/** A cookie's identity as views into strings that outlive it. */
struct FirefoxKey {
  std::string_view name;
  std::string_view host;
  std::string_view path;
  std::string_view originAttributes;
  bool operator==(const FirefoxKey& other) const = default;
};
struct FirefoxKeyHash {
  size_t operator()(const FirefoxKey& key) const;
};
inline FirefoxKey KeyOf(const FirefoxRow& row) {
  return {row.name, row.host, row.path, row.originAttributes};
}

/** Reads the schema; false with `problem` when the database holds no moz_cookies. */
bool ReadFirefoxSchema(sqlite3* db, FirefoxSchema& schema, std::string& problem);
/** Every row, in the table's order, handed over one at a time. */
bool ReadFirefoxRows(sqlite3* db, const FirefoxSchema& schema,
                     const std::function<void(FirefoxRow&&)>& take, std::string& problem);
/** One row by id; false when it is not there (or cannot be read). */
bool ReadFirefoxRow(sqlite3* db, const FirefoxSchema& schema, int64_t id, FirefoxRow& row);

/** The record a row shows as (times in whole seconds, as the record's users keep them). */
CookieRecord FirefoxRecord(const FirefoxRow& row, const FirefoxSchema& schema);
/** The size of the nine lines RenderCookieRecords makes of the row's record, made without them. */
size_t FirefoxRecordSize(const FirefoxRow& row, const FirefoxSchema& schema);
/** The flag bits a Firefox cookie can carry. */
DWORD FirefoxKeptFlags();
/** The host as the row stores it: a dot before a domain cookie's host. */
std::string FirefoxHost(const CookieRecord& record);
/** Empty when a row can hold the record; otherwise why not (never its value). */
std::string FirefoxCannotHold(const CookieRecord& record);

/**
 * The row a record makes: for an existing row only what the record changed (the times keep
 * what the record cannot show below a second), for a new row (old.id == 0) everything.
 */
FirefoxRow FirefoxRowFrom(const CookieRecord& record, const FirefoxRow& old,
                          const CookieRecord& oldRecord, const FirefoxSchema& schema,
                          const std::string& originAttributes);

/** A cookie's identity in the file: name, host with its dot, path, originAttributes. */
std::string FirefoxIdentity(const std::string& name, const std::string& host,
                            const std::string& path, const std::string& originAttributes);

}  // namespace platform::detail
