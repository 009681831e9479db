// What the store's SQLite files share: the index's layout and the conversions to and from it.
#pragma once

#include <sqlite3.h>
#include <windows.h>

#include <cstdint>
#include <string>

namespace platform::detail {

constexpr int kApplicationId = 0x546F6C76;  // "Tolv"

constexpr const char* kColumns =
    "url, file, type, use_count, hit_rate, size, modified, expire, access, sync, header, "
    "extension, exempt";

// The index as a new store starts it. `counters` came later: an older index gets it with its
// first new file name (Store::NextNumber).
constexpr const char* kSchema =
    "CREATE TABLE entries(url BLOB PRIMARY KEY NOT NULL, file BLOB NOT NULL, "
    "type INTEGER NOT NULL, use_count INTEGER NOT NULL, hit_rate INTEGER NOT NULL, "
    "size INTEGER NOT NULL, modified INTEGER NOT NULL, expire INTEGER NOT NULL, "
    "access INTEGER NOT NULL, sync INTEGER NOT NULL, header BLOB NOT NULL, "
    "extension BLOB NOT NULL, exempt INTEGER NOT NULL);"
    "CREATE INDEX entries_file ON entries(file);"
    "CREATE TABLE counters(name TEXT PRIMARY KEY NOT NULL, value INTEGER NOT NULL);"
    "PRAGMA application_id = 1416588406;";

constexpr const char* kCounters =
    "CREATE TABLE IF NOT EXISTS counters(name TEXT PRIMARY KEY NOT NULL, value INTEGER NOT NULL)";

inline DWORD ErrorFromSqlite(int code) {
  switch (code & 0xFF) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return ERROR_FILE_CORRUPT;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return ERROR_SHARING_VIOLATION;
    case SQLITE_FULL:
      return ERROR_DISK_FULL;
    case SQLITE_NOMEM:
      return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_READONLY:
      return ERROR_FILE_READ_ONLY;
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return ERROR_ACCESS_DENIED;
    case SQLITE_CANTOPEN:
      return ERROR_PATH_NOT_FOUND;
    case SQLITE_IOERR:
      return ERROR_GEN_FAILURE;
    default:
      return ERROR_DATABASE_FAILURE;
  }
}

inline FILETIME ToFileTime(sqlite3_int64 value) {
  const auto bits = static_cast<uint64_t>(value);
  return FILETIME{static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
}

inline sqlite3_int64 FromFileTime(const FILETIME& time) {
  return static_cast<sqlite3_int64>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                                    time.dwLowDateTime);
}

inline std::string BlobText(sqlite3_stmt* statement, int column) {
  const void* bytes = sqlite3_column_blob(statement, column);
  const int size = sqlite3_column_bytes(statement, column);
  return bytes != nullptr ? std::string(static_cast<const char*>(bytes), size) : std::string();
}

inline void BindBlob(sqlite3_stmt* statement, int index, const std::string& bytes) {
  sqlite3_bind_blob(statement, index, bytes.data(), static_cast<int>(bytes.size()),
                    SQLITE_TRANSIENT);
}

// Resets a cached statement whatever way the caller leaves.
struct Reset {
  sqlite3_stmt* statement;
  ~Reset() {
    if (statement != nullptr) {
      sqlite3_reset(statement);
      sqlite3_clear_bindings(statement);
    }
  }
};

}  // namespace platform::detail
