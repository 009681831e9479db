// Firefox cookie databases built by hand, as Firefox lays out moz_cookies at each schema
// version (column lists from ../shared/stores.md and Firefox's own migrations), and a holder of
// the profile lock standing in for a running Firefox.
#pragma once

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/Child.h"

namespace tolvane::test {

/** moz_cookies as a fresh profile of the version creates it. */
inline std::string FirefoxCreateTable(int version) {
  std::string columns =
      "id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', name TEXT, value TEXT, "
      "host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER, creationTime INTEGER, "
      "isSecure INTEGER, isHttpOnly INTEGER, inBrowserElement INTEGER DEFAULT 0, "
      "sameSite INTEGER DEFAULT 0, ";
  if (version <= 14) columns += "rawSameSite INTEGER DEFAULT 0, ";
  columns += "schemeMap INTEGER DEFAULT 0, ";
  if (version >= 13) columns += "isPartitionedAttributeSet INTEGER DEFAULT 0, ";
  if (version >= 17) columns += "updateTime INTEGER, ";
  return "CREATE TABLE moz_cookies (" + columns +
         "CONSTRAINT moz_uniqueid UNIQUE (name, host, path, originAttributes))";
}

/** Runs SQL on a database (made when it is not there); false on any failure. */
inline bool RunSql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  bool ok = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

/** A cookies.sqlite of the version, in WAL mode as Firefox keeps it; `table` overrides the
 *  CREATE TABLE statement. */
inline bool MakeFirefoxDb(const std::string& path, int version, const std::string& table = "") {
  return RunSql(path, "PRAGMA journal_mode=WAL; PRAGMA user_version=" + std::to_string(version) +
                          "; " + (table.empty() ? FirefoxCreateTable(version) : table) + ";");
}

/** One text per row (id order) holding every column exactly: its type and value. */
inline std::vector<std::string> DumpRows(const std::string& path) {
  std::vector<std::string> rows;
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, "SELECT * FROM moz_cookies ORDER BY id", -1, &statement, nullptr) ==
          SQLITE_OK) {
    while (sqlite3_step(statement) == SQLITE_ROW) {
      std::string row;
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
        row += std::string(sqlite3_column_name(statement, i)) + "=" +
               std::to_string(sqlite3_column_type(statement, i)) + ":" + (text ? text : "") + "|";
      }
      rows.push_back(row);
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

/** A column of one row as text ("" when there is none). */
inline std::string Column(const std::string& path, const std::string& column,
                          const std::string& where) {
  sqlite3* db = nullptr;
  sqlite3_stmt* statement = nullptr;
  std::string value;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
      sqlite3_prepare_v2(db, ("SELECT " + column + " FROM moz_cookies WHERE " + where).c_str(), -1,
                         &statement, nullptr) == SQLITE_OK &&
      sqlite3_step(statement) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    value = text ? text : "NULL";
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return value;
}

/**
 * A child process holding the profile lock as a running Firefox does (an fcntl write lock over
 * .parentlock) until the object goes. Our own locks never conflict with ourselves: it takes
 * another process.
 */
class FirefoxStandIn {
 public:
  explicit FirefoxStandIn(const std::string& profile) {
    m_child = fork();
    if (m_child < 0) std::abort();
    if (m_child == 0) {
      const int fd = open((profile + "/.parentlock").c_str(), O_RDWR | O_CREAT, 0644);
      struct flock lock {};
      lock.l_type = F_WRLCK;
      lock.l_whence = SEEK_SET;
      if (fd < 0 || fcntl(fd, F_SETLK, &lock) != 0) _exit(1);
      m_locked.Send();
      m_release.Wait(60);
      _exit(0);
    }
    m_ok = m_locked.Wait(10);
  }
  ~FirefoxStandIn() {
    m_release.Send();
    int status = 0;
    waitpid(m_child, &status, 0);
  }
  FirefoxStandIn(const FirefoxStandIn&) = delete;
  FirefoxStandIn& operator=(const FirefoxStandIn&) = delete;

  bool Holding() const { return m_ok; }
  pid_t Pid() const { return m_child; }

 private:
  Signal m_locked;
  Signal m_release;
  pid_t m_child = -1;
  bool m_ok = false;
};

}  // namespace tolvane::test
