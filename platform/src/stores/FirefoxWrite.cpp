#include "FirefoxWrite.h"

#include <sqlite3.h>
#include <sys/time.h>

#include "platform/StoreErrors.h"

namespace platform::detail {
namespace {

constexpr int kBusyMilliseconds = 2000;
constexpr int64_t kSchemeHttp = 1;
constexpr int64_t kSchemeHttps = 2;

int64_t NowMicroseconds() {
  timeval now{};
  ::gettimeofday(&now, nullptr);
  return int64_t(now.tv_sec) * 1000000 + now.tv_usec;
}

class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &m_statement, nullptr) != SQLITE_OK) {
      m_statement = nullptr;
    }
  }
  ~Statement() { sqlite3_finalize(m_statement); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool Ok() const { return m_statement != nullptr; }
  void Text(int i, const std::string& text) {
    sqlite3_bind_text(m_statement, i, text.data(), int(text.size()), SQLITE_TRANSIENT);
  }
  void Int(int i, int64_t value) { sqlite3_bind_int64(m_statement, i, value); }
  // Runs it once; SQLITE_ROW or SQLITE_DONE, and ready to run again.
  int Step() {
    const int rc = sqlite3_step(m_statement);
    if (rc != SQLITE_ROW) sqlite3_reset(m_statement);
    return rc;
  }
  void Reset() {
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
  }

 private:
  sqlite3_stmt* m_statement = nullptr;
};

struct Connection {
  sqlite3* db = nullptr;
  bool open = false;  // a transaction to roll back
  ~Connection() {
    if (open) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
};

std::string InsertSql(const std::vector<std::string>& columns) {
  std::string names, marks;
  for (const std::string& column : columns) {
    names += (names.empty() ? "" : ", ") + column;
    marks += marks.empty() ? "?" : ", ?";
  }
  return "INSERT INTO moz_cookies (" + names + ") VALUES (" + marks + ")";
}

// What the columns of a new row hold, in the order WrittenColumns names them.
void BindNew(Statement& insert, const std::vector<std::string>& columns, const FirefoxRow& row,
             int64_t now) {
  for (size_t i = 0; i < columns.size(); ++i) {
    const std::string& c = columns[i];
    const int at = int(i) + 1;
    if (c == "originAttributes")
      insert.Text(at, row.originAttributes);
    else if (c == "name")
      insert.Text(at, row.name);
    else if (c == "value")
      insert.Text(at, row.value);
    else if (c == "host")
      insert.Text(at, row.host);
    else if (c == "path")
      insert.Text(at, row.path);
    else if (c == "expiry")
      insert.Int(at, row.expiry);
    else if (c == "creationTime")
      insert.Int(at, row.creationTime);
    else if (c == "isSecure")
      insert.Int(at, row.isSecure);
    else if (c == "isHttpOnly")
      insert.Int(at, row.isHttpOnly);
    else if (c == "sameSite" || c == "rawSameSite")
      insert.Int(at, row.sameSite);
    else if (c == "schemeMap")
      insert.Int(at, row.isSecure != 0 ? kSchemeHttps : kSchemeHttp);
    else if (c == "lastAccessed" || c == "updateTime")
      insert.Int(at, now);
    else
      insert.Int(at, 0);  // inBrowserElement, isPartitionedAttributeSet
  }
}

}  // namespace

bool WriteFirefoxChanges(const std::string& database, const FirefoxSchema& schema,
                         FirefoxChanges& changes, DWORD& error, std::string& problem) {
  Connection c;
  error = ERROR_DATABASE_FAILURE;
  if (sqlite3_open_v2(database.c_str(), &c.db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    problem = "cannot open " + database + ": " + (c.db ? sqlite3_errmsg(c.db) : "no memory");
    return false;
  }
  sqlite3_busy_timeout(c.db, kBusyMilliseconds);
  // The close that follows checkpoints and syncs the WAL and the file: one sync fewer on the
  // commit itself loses no durability, and a crash before it still leaves a whole transaction
  // or none.
  sqlite3_exec(c.db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  auto sqlFailed = [&](const char* what) {
    problem = std::string(what) + " in " + database + " failed: " + sqlite3_errmsg(c.db);
    if (sqlite3_errcode(c.db) == SQLITE_BUSY) error = ERROR_TOLVANE_STORE_IN_USE;
    return false;
  };
  if (sqlite3_exec(c.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return sqlFailed("starting a transaction");
  }
  c.open = true;

  FirefoxSchema now;
  if (!ReadFirefoxSchema(c.db, now, problem) || !(now == schema)) {
    error = ERROR_TOLVANE_STORE_CHANGED;
    problem = "the table of " + database + " changed since it was read; reload it";
    return false;
  }
  auto unchanged = [&](const FirefoxRow& old) {
    FirefoxRow current;
    if (ReadFirefoxRow(c.db, schema, old.id, current) && current == old) return true;
    error = ERROR_TOLVANE_STORE_CHANGED;
    problem = "cookie \"" + old.name + "\" of " + old.host + " changed in " + database +
              " since it was read; reload it";
    return false;
  };
  for (const FirefoxChanges::Update& update : changes.updates) {
    if (!unchanged(update.old)) return false;
  }
  for (const FirefoxRow& old : changes.deletes) {
    if (!unchanged(old)) return false;
  }

  Statement remove(c.db, "DELETE FROM moz_cookies WHERE id = ?");
  const bool raw = schema.Has("rawSameSite") && schema.version <= 14;
  Statement update(c.db,
                   std::string("UPDATE moz_cookies SET value = ?, expiry = ?, "
                               "creationTime = ?, isSecure = ?, isHttpOnly = ?, "
                               "sameSite = ?") +
                       (raw ? ", rawSameSite = CASE WHEN ? THEN ? ELSE rawSameSite END" : "") +
                       " WHERE id = ?");
  const std::vector<std::string> columns = schema.WrittenColumns();
  Statement insert(c.db, InsertSql(columns));
  Statement taken(c.db,
                  "SELECT 1 FROM moz_cookies WHERE name = ? AND host = ? AND path = ? AND "
                  "originAttributes = ?");
  if (!remove.Ok() || !update.Ok() || !insert.Ok() || !taken.Ok()) {
    return sqlFailed("preparing the changes");
  }
  for (const FirefoxRow& old : changes.deletes) {
    remove.Int(1, old.id);
    if (remove.Step() != SQLITE_DONE) return sqlFailed("deleting a cookie");
    remove.Reset();
  }
  for (const FirefoxChanges::Update& u : changes.updates) {
    const FirefoxRow& row = u.row;
    update.Text(1, row.value);
    update.Int(2, row.expiry);
    update.Int(3, row.creationTime);
    update.Int(4, row.isSecure);
    update.Int(5, row.isHttpOnly);
    update.Int(6, row.sameSite);
    int at = 7;
    // The attribute as it was given: only where the record changed the SameSite bits.
    if (raw) {
      update.Int(at++, row.sameSite != u.old.sameSite ? 1 : 0);
      update.Int(at++, row.sameSite);
    }
    update.Int(at, row.id);
    if (update.Step() != SQLITE_DONE) return sqlFailed("changing a cookie");
    update.Reset();
  }
  const int64_t time = NowMicroseconds();
  for (FirefoxRow& row : changes.inserts) {
    taken.Text(1, row.name);
    taken.Text(2, row.host);
    taken.Text(3, row.path);
    taken.Text(4, row.originAttributes);
    const int rc = taken.Step();
    taken.Reset();
    if (rc == SQLITE_ROW) {
      error = ERROR_TOLVANE_STORE_CHANGED;
      problem = "cookie \"" + row.name + "\" of " + row.host + " was added to " + database +
                " since it was read; reload it";
      return false;
    }
    BindNew(insert, columns, row, time);
    if (insert.Step() != SQLITE_DONE) return sqlFailed("adding a cookie");
    insert.Reset();
    row.id = sqlite3_last_insert_rowid(c.db);
  }
  if (sqlite3_exec(c.db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
    return sqlFailed("committing the changes");
  }
  c.open = false;
  return true;
}

}  // namespace platform::detail
