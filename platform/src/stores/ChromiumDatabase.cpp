#include "ChromiumDatabase.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <set>
#include <string_view>

#include "platform/StoreErrors.h"

namespace platform::detail {
namespace {

struct CloseDb {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;

struct Finalize {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

// The columns read, in the order ChromiumRow holds them, each with what an older table that
// lacks it stands for.
struct Column {
  const char* name;
  const char* missing;
};
constexpr Column kColumns[] = {
    {"host_key", nullptr},     {"top_frame_site_key", "''"},     {"name", nullptr},
    {"value", nullptr},        {"encrypted_value", "X''"},       {"path", nullptr},
    {"creation_utc", nullptr}, {"expires_utc", nullptr},         {"last_access_utc", "0"},
    {"last_update_utc", "0"},  {"is_secure", nullptr},           {"is_httponly", nullptr},
    {"has_expires", "1"},      {"is_persistent", "1"},           {"priority", "1"},
    {"samesite", "-1"},        {"source_scheme", "0"},           {"source_port", "-1"},
    {"source_type", "0"},      {"has_cross_site_ancestor", "0"},
};
constexpr size_t kColumnCount = sizeof kColumns / sizeof kColumns[0];

// The columns versions 23 and 24 have, all NOT NULL without a default: what a write fills.
constexpr const char* kWrittenColumns[] = {
    "creation_utc",
    "host_key",
    "top_frame_site_key",
    "name",
    "value",
    "encrypted_value",
    "path",
    "expires_utc",
    "is_secure",
    "is_httponly",
    "last_access_utc",
    "has_expires",
    "is_persistent",
    "priority",
    "samesite",
    "source_scheme",
    "source_port",
    "last_update_utc",
    "source_type",
    "has_cross_site_ancestor",
};

// An SQLite URI for a path: the characters a URI gives meaning to are escaped.
std::string UriOf(const std::string& path, const char* query) {
  std::string uri = "file:";
  for (const char c : path) {
    if (c == '%' || c == '?' || c == '#') {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
      uri += escaped;
    } else {
      uri += c;
    }
  }
  return uri + "?" + query;
}

Db Open(const std::string& path, const char* query, int flags, std::string& problem) {
  sqlite3* raw = nullptr;
  // One thread uses a connection: no mutex around every column read.
  const int rc = sqlite3_open_v2(UriOf(path, query).c_str(), &raw,
                                 flags | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
  Db db(raw);
  if (rc != SQLITE_OK) {
    problem = path + ": " + (raw != nullptr ? sqlite3_errmsg(raw) : sqlite3_errstr(rc));
    return nullptr;
  }
  sqlite3_busy_timeout(raw, 2000);
  sqlite3_extended_result_codes(raw, 1);
  return db;
}

Statement Prepare(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
  return Statement(s);
}

std::set<std::string> TableColumns(sqlite3* db) {
  std::set<std::string> names;
  Statement s = Prepare(db, "PRAGMA table_info(cookies)");
  while (s != nullptr && sqlite3_step(s.get()) == SQLITE_ROW) {
    names.insert(reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 1)));
  }
  return names;
}

int MetaNumber(sqlite3* db, const char* key) {
  Statement s = Prepare(db, "SELECT value FROM meta WHERE key = ?");
  if (s == nullptr) return 0;
  sqlite3_bind_text(s.get(), 1, key, -1, SQLITE_STATIC);
  return sqlite3_step(s.get()) == SQLITE_ROW ? sqlite3_column_int(s.get(), 0) : 0;
}

// Mixes one field into the fingerprint; its length goes in too, so fields cannot shift.
void Mix(uint64_t& hash, const void* data, size_t size) {
  const size_t field =
      std::hash<std::string_view>{}(std::string_view(static_cast<const char*>(data), size));
  hash = (hash ^ field ^ (uint64_t(size) << 48)) * 1099511628211ull;
}

std::string Text(sqlite3_stmt* s, int i) {
  const void* data = sqlite3_column_blob(s, i);
  const int size = sqlite3_column_bytes(s, i);
  return data != nullptr ? std::string(static_cast<const char*>(data), size_t(size))
                         : std::string();
}

// Reads the rows (or, with `rows` null, only the fingerprint). 0 or an SQLite error code.
int ReadRows(sqlite3* db, ChromiumTable& table, std::vector<ChromiumRow>* rows,
             std::string& problem) {
  const std::set<std::string> present = TableColumns(db);
  if (present.empty()) {
    problem = "no cookies table";
    return SQLITE_NOTFOUND;
  }
  std::string sql = "SELECT rowid";
  for (const Column& column : kColumns) {
    const bool there =
        present.count(column.name) != 0 ||
        (std::strcmp(column.name, "samesite") == 0 && present.count("firstpartyonly"));
    if (!there && column.missing == nullptr) {
      problem = std::string("the cookies table has no column ") + column.name;
      return SQLITE_NOTFOUND;
    }
    sql += ", ";
    sql += there ? (present.count(column.name) ? column.name : "firstpartyonly") : column.missing;
  }
  sql += " FROM cookies ORDER BY rowid";
  table.version = MetaNumber(db, "version");
  table.compatible = MetaNumber(db, "last_compatible_version");
  Statement s = Prepare(db, sql);
  if (s == nullptr) {
    problem = sqlite3_errmsg(db);
    return sqlite3_errcode(db);
  }
  if (rows != nullptr) {
    // Growing a vector of rows this large moves every row many times over.
    Statement count = Prepare(db, "SELECT count(*) FROM cookies");
    if (count != nullptr && sqlite3_step(count.get()) == SQLITE_ROW) {
      rows->reserve(size_t(sqlite3_column_int64(count.get(), 0)));
    }
  }
  uint64_t hash = 14695981039346656037ull;
  Mix(hash, &table.version, sizeof table.version);
  int rc;
  while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
    for (int i = 0; i <= int(kColumnCount); ++i) {
      if (sqlite3_column_type(s.get(), i) == SQLITE_INTEGER) {
        const int64_t n = sqlite3_column_int64(s.get(), i);
        Mix(hash, &n, sizeof n);
      } else {
        Mix(hash, sqlite3_column_blob(s.get(), i), size_t(sqlite3_column_bytes(s.get(), i)));
      }
    }
    if (rows == nullptr) continue;
    ChromiumRow& row = rows->emplace_back();
    sqlite3_stmt* r = s.get();
    row.rowid = sqlite3_column_int64(r, 0);
    row.hostKey = Text(r, 1);
    row.topFrameSiteKey = Text(r, 2);
    row.name = Text(r, 3);
    row.value = Text(r, 4);
    row.encrypted = Text(r, 5);
    row.path = Text(r, 6);
    int64_t* numbers[] = {
        &row.creation,     &row.expires,    &row.lastAccess, &row.lastUpdate,       &row.secure,
        &row.httpOnly,     &row.hasExpires, &row.persistent, &row.priority,         &row.sameSite,
        &row.sourceScheme, &row.sourcePort, &row.sourceType, &row.crossSiteAncestor};
    for (int i = 0; i < int(std::size(numbers)); ++i) *numbers[i] = sqlite3_column_int64(r, 7 + i);
  }
  table.fingerprint = hash;
  if (rc != SQLITE_DONE) {
    problem = sqlite3_errmsg(db);
    return rc;
  }
  return SQLITE_OK;
}

DWORD ErrorOf(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_FULL:
      return ERROR_DISK_FULL;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return ERROR_TOLVANE_STORE_READ_ONLY;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ERROR_TOLVANE_STORE_IN_USE;
    case SQLITE_CONSTRAINT:
      return ERROR_TOLVANE_COOKIE_NOT_STORABLE;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return ERROR_FILE_CORRUPT;
    default:
      return ERROR_WRITE_FAULT;
  }
}

void BindRow(sqlite3_stmt* s, const ChromiumRow& row) {
  const int64_t numbers[] = {row.creation};
  sqlite3_bind_int64(s, 1, numbers[0]);
  sqlite3_bind_text(s, 2, row.hostKey.data(), int(row.hostKey.size()), SQLITE_STATIC);
  sqlite3_bind_text(s, 3, row.topFrameSiteKey.data(), int(row.topFrameSiteKey.size()),
                    SQLITE_STATIC);
  sqlite3_bind_text(s, 4, row.name.data(), int(row.name.size()), SQLITE_STATIC);
  sqlite3_bind_text(s, 5, row.value.data(), int(row.value.size()), SQLITE_STATIC);
  if (row.encrypted.empty()) {
    sqlite3_bind_zeroblob(s, 6, 0);  // an empty blob, never NULL: the column is NOT NULL
  } else {
    sqlite3_bind_blob(s, 6, row.encrypted.data(), int(row.encrypted.size()), SQLITE_STATIC);
  }
  sqlite3_bind_text(s, 7, row.path.data(), int(row.path.size()), SQLITE_STATIC);
  const int64_t rest[] = {row.expires,          row.secure,     row.httpOnly,   row.lastAccess,
                          row.hasExpires,       row.persistent, row.priority,   row.sameSite,
                          row.sourceScheme,     row.sourcePort, row.lastUpdate, row.sourceType,
                          row.crossSiteAncestor};
  for (int i = 0; i < int(std::size(rest)); ++i) sqlite3_bind_int64(s, 8 + i, rest[i]);
}

}  // namespace

bool ReadChromiumTable(const std::string& path, ChromiumTable& table, DWORD& error,
                       std::string& problem) {
  table = ChromiumTable{};
  // A browser that runs may hold the file locked: then it is read as it stands on disk.
  for (const char* query : {"mode=ro", "mode=ro&immutable=1"}) {
    Db db = Open(path, query, SQLITE_OPEN_READONLY, problem);
    if (db == nullptr) {
      error = ERROR_FILE_NOT_FOUND;
      return false;
    }
    table.rows.clear();
    const int rc = ReadRows(db.get(), table, &table.rows, problem);
    if (rc == SQLITE_OK) return true;
    if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED) continue;
    error = (rc & 0xFF) == SQLITE_NOTFOUND || (rc & 0xFF) == SQLITE_NOTADB
                ? ERROR_TOLVANE_NOT_A_STORE
                : ERROR_FILE_CORRUPT;
    problem = path + ": " + problem;
    return false;
  }
  error = ERROR_TOLVANE_STORE_IN_USE;
  problem = path + ": the file is locked";
  return false;
}

long CountChromiumCookies(const std::string& path) {
  std::string problem;
  for (const char* query : {"mode=ro", "mode=ro&immutable=1"}) {
    Db db = Open(path, query, SQLITE_OPEN_READONLY, problem);
    if (db == nullptr) return -1;
    sqlite3_busy_timeout(db.get(), 100);
    Statement s = Prepare(db.get(), "SELECT count(*) FROM cookies");
    if (s == nullptr) return -1;
    const int rc = sqlite3_step(s.get());
    if (rc == SQLITE_ROW) return long(sqlite3_column_int64(s.get(), 0));
    if ((rc & 0xFF) != SQLITE_BUSY) return -1;
  }
  return -1;
}

bool WriteChromiumChanges(const std::string& path, uint64_t fingerprint,
                          const ChromiumChanges& changes, const std::function<std::string()>& inUse,
                          DWORD& error, std::string& problem) {
  Db db = Open(path, "mode=rw", SQLITE_OPEN_READWRITE, problem);
  if (db == nullptr) {
    error = ERROR_ACCESS_DENIED;
    return false;
  }
  sqlite3* d = db.get();
  auto failed = [&](int rc, const std::string& what) {
    error = ErrorOf(rc);
    problem = path + ": " + what + ": " + sqlite3_errmsg(d);
    sqlite3_exec(d, "ROLLBACK", nullptr, nullptr, nullptr);
    return false;
  };
  if (std::string why = inUse(); !why.empty()) {
    error = ERROR_TOLVANE_STORE_IN_USE;
    problem = why;
    return false;
  }
  if (int rc = sqlite3_exec(d, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr); rc != SQLITE_OK) {
    return failed(rc, "cannot take the write lock");
  }
  ChromiumTable now;
  std::string why;
  if (int rc = ReadRows(d, now, nullptr, why); rc != SQLITE_OK) return failed(rc, why);
  if (now.fingerprint != fingerprint) {
    sqlite3_exec(d, "ROLLBACK", nullptr, nullptr, nullptr);
    error = ERROR_TOLVANE_STORE_CHANGED;
    problem = path + " changed on disk since it was read; reload to see what it holds now";
    return false;
  }
  std::set<std::string> expected(std::begin(kWrittenColumns), std::end(kWrittenColumns));
  if (TableColumns(d) != expected) {
    sqlite3_exec(d, "ROLLBACK", nullptr, nullptr, nullptr);
    error = ERROR_TOLVANE_STORE_UNTESTED;
    problem = path + ": the cookies table has columns this version does not know; not written";
    return false;
  }
  if (std::string running = inUse(); !running.empty()) {
    sqlite3_exec(d, "ROLLBACK", nullptr, nullptr, nullptr);
    error = ERROR_TOLVANE_STORE_IN_USE;
    problem = running;
    return false;
  }
  std::string columns, marks, sets;
  for (const char* column : kWrittenColumns) {
    columns += std::string(columns.empty() ? "" : ", ") + column;
    marks += marks.empty() ? "?" : ", ?";
    sets += std::string(sets.empty() ? "" : ", ") + column + " = ?";
  }
  Statement remove = Prepare(d, "DELETE FROM cookies WHERE rowid = ?");
  Statement update = Prepare(d, "UPDATE cookies SET " + sets + " WHERE rowid = ?");
  Statement insert = Prepare(d, "INSERT INTO cookies (" + columns + ") VALUES (" + marks + ")");
  if (remove == nullptr || update == nullptr || insert == nullptr) {
    return failed(sqlite3_errcode(d), "cannot prepare the changes");
  }
  const int rowidSlot = int(std::size(kWrittenColumns)) + 1;
  for (const int64_t rowid : changes.deleted) {
    sqlite3_bind_int64(remove.get(), 1, rowid);
    if (int rc = sqlite3_step(remove.get()); rc != SQLITE_DONE) return failed(rc, "delete");
    sqlite3_reset(remove.get());
  }
  for (const ChromiumRow& row : changes.updated) {
    BindRow(update.get(), row);
    sqlite3_bind_int64(update.get(), rowidSlot, row.rowid);
    if (int rc = sqlite3_step(update.get()); rc != SQLITE_DONE) return failed(rc, "update");
    sqlite3_reset(update.get());
  }
  for (const ChromiumRow& row : changes.inserted) {
    BindRow(insert.get(), row);
    if (int rc = sqlite3_step(insert.get()); rc != SQLITE_DONE) return failed(rc, "insert");
    sqlite3_reset(insert.get());
  }
  remove.reset();
  update.reset();
  insert.reset();
  if (int rc = sqlite3_exec(d, "COMMIT", nullptr, nullptr, nullptr); rc != SQLITE_OK) {
    return failed(rc, "commit");
  }
  return true;
}

}  // namespace platform::detail
