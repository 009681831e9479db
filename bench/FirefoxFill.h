// A Firefox profile of made-up cookies for the benchmarks: schema 17, every column set as
// Firefox sets it, in one transaction.
#pragma once

#include <sqlite3.h>
#include <sys/stat.h>

#include <string>

namespace bench {

/** Makes <folder>/cookies.sqlite with sites x perSite cookies ("site<i>.example.com", half of
 *  them domain cookies). False with `problem` on failure. */
inline bool FillFirefoxProfile(const std::string& folder, int sites, int perSite,
                               std::string& problem) {
  ::mkdir(folder.c_str(), 0700);
  sqlite3* db = nullptr;
  auto fail = [&](const char* what) {
    problem = std::string(what) + ": " + (db != nullptr ? sqlite3_errmsg(db) : "no memory");
    sqlite3_close(db);
    return false;
  };
  if (sqlite3_open((folder + "/cookies.sqlite").c_str(), &db) != SQLITE_OK) return fail("open");
  const char* schema =
      "PRAGMA journal_mode=WAL; PRAGMA user_version=17; CREATE TABLE moz_cookies (id INTEGER "
      "PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', name TEXT, value TEXT, host TEXT, "
      "path TEXT, expiry INTEGER, lastAccessed INTEGER, creationTime INTEGER, isSecure INTEGER, "
      "isHttpOnly INTEGER, inBrowserElement INTEGER DEFAULT 0, sameSite INTEGER DEFAULT 0, "
      "schemeMap INTEGER DEFAULT 0, isPartitionedAttributeSet INTEGER DEFAULT 0, updateTime "
      "INTEGER, CONSTRAINT moz_uniqueid UNIQUE (name, host, path, originAttributes)); BEGIN;";
  if (sqlite3_exec(db, schema, nullptr, nullptr, nullptr) != SQLITE_OK) return fail("schema");
  sqlite3_stmt* insert = nullptr;
  if (sqlite3_prepare_v2(db,
                         "INSERT INTO moz_cookies (originAttributes, name, value, host, path, "
                         "expiry, lastAccessed, creationTime, isSecure, isHttpOnly, "
                         "inBrowserElement, sameSite, schemeMap, isPartitionedAttributeSet, "
                         "updateTime) VALUES ('', ?, ?, ?, '/', ?, ?, ?, ?, ?, 0, 256, 2, 0, ?)",
                         -1, &insert, nullptr) != SQLITE_OK) {
    return fail("prepare");
  }
  const long long now = 1765000000000000LL;  // microseconds
  for (int i = 0; i < sites; ++i) {
    for (int k = 0; k < perSite; ++k) {
      const std::string name = "name" + std::to_string(k);
      const std::string value = std::string(40, char('a' + k % 26)) + std::to_string(i);
      const std::string host =
          (k % 2 == 0 ? "." : "") + ("site" + std::to_string(i)) + ".example.com";
      sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 2, value.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 3, host.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int64(insert, 4, 1800000000123LL + i);
      sqlite3_bind_int64(insert, 5, now + i);
      sqlite3_bind_int64(insert, 6, now - 1000000LL * (i * perSite + k));
      sqlite3_bind_int(insert, 7, k % 3 == 0);
      sqlite3_bind_int(insert, 8, k % 4 == 0);
      sqlite3_bind_int64(insert, 9, now + i);
      if (sqlite3_step(insert) != SQLITE_DONE) {
        sqlite3_finalize(insert);
        return fail("insert");
      }
      sqlite3_reset(insert);
    }
  }
  sqlite3_finalize(insert);
  if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) return fail("commit");
  sqlite3_close(db);
  // Made-up cookies, but a cookie store all the same: the owner's alone.
  if (::chmod((folder + "/cookies.sqlite").c_str(), 0600) != 0) {
    problem = "cannot make " + folder + "/cookies.sqlite 0600";
    return false;
  }
  return true;
}

}  // namespace bench
