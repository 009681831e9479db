// Opening the index: nothing is written to it before it is known to be ours and sound.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstring>

#include "Internal.h"
#include "Store.h"
#include "StoreSql.h"

namespace platform::detail {
namespace {

constexpr const char kIndex[] = "index.sqlite";

// The path as an SQLite URI path: everything but unreserved bytes and '/' escaped.
std::string UriPath(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

int QueryInt(sqlite3* db, const char* sql, int& rc) {
  sqlite3_stmt* s = nullptr;
  int value = -1;
  rc = sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
  if (rc == SQLITE_OK && (rc = sqlite3_step(s)) == SQLITE_ROW) {
    value = sqlite3_column_int(s, 0);
    rc = SQLITE_OK;
  }
  sqlite3_finalize(s);
  return value;
}

std::string QueryText(sqlite3* db, const char* sql, int& rc) {
  sqlite3_stmt* s = nullptr;
  std::string value;
  rc = sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
  if (rc == SQLITE_OK && (rc = sqlite3_step(s)) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    value = text != nullptr ? text : "";
    rc = SQLITE_OK;
  } else if (rc == SQLITE_DONE) {
    rc = SQLITE_OK;
  }
  sqlite3_finalize(s);
  return value;
}

}  // namespace

Store* Store::Open(const std::string& root, std::string& detail, DWORD& error) {
  std::unique_ptr<StoreFolder> folder = StoreFolder::Open(root, detail, error);
  if (folder == nullptr) return nullptr;
  const std::string path = root + "/" + kIndex;
  auto fail = [&](DWORD code, const std::string& what) -> Store* {
    error = code;
    detail = what;
    return nullptr;
  };
  auto failHere = [&]() { return fail(GetLastError(), LastUrlCacheErrorDetail()); };

  // The index, and what SQLite keeps beside it, must be regular files of ours with one link:
  // SQLite would follow a link, block on a FIFO, and write through a hard link.
  struct stat st {};
  const bool exists = folder->StatFile(kIndex, st, true);
  if (exists && ((st.st_mode & S_IWUSR) == 0 ||
                 ::faccessat(folder->RootFd(), kIndex, W_OK, AT_EACCESS) != 0)) {
    folder->SetReadOnly(path + " has no write permission");
  }
  if (exists) {
    const int fd = folder->OpenFile(kIndex, folder->ReadOnly() ? O_RDONLY : O_RDWR, true);
    if (fd < 0) return failHere();
    ::fstat(fd, &st);
    ::close(fd);
  }
  const off_t size = exists ? st.st_size : 0;
  off_t besides = 0;  // bytes in the WAL or a rollback journal
  for (const char* suffix : {"-wal", "-journal", "-shm"}) {
    const std::string name = std::string(kIndex) + suffix;
    struct stat other {};
    if (!folder->StatFile(name, other, true)) continue;
    const int fd = folder->OpenFile(name, O_RDONLY, true);
    if (fd < 0) return failHere();
    ::close(fd);
    if (std::strcmp(suffix, "-shm") != 0) besides += other.st_size;
  }
  // An empty index is a new store only while the cookie folder is empty too; beside cookie
  // files it is a lost index, and adopting it would make every cookie file an orphan.
  if (size == 0 && besides == 0) {
    std::vector<std::string> names;
    if (!folder->ListFiles(names)) return failHere();
    if (!names.empty()) {
      return fail(ERROR_FILE_CORRUPT,
                  "index " + path + " is empty or missing but the cookie folder holds " +
                      std::to_string(names.size()) +
                      " files: the index is damaged, not new; restore it, or move the "
                      "cookie folder away to start afresh");
    }
  }
  if (!exists && !folder->ReadOnly()) {
    // Made here, owner-only, so SQLite's files beside it take the same mode.
    const int fd = folder->OpenFile(kIndex, O_RDWR | O_CREAT, true);
    if (fd < 0) return failHere();
    ::close(fd);
  }

  const bool readOnly = folder->ReadOnly();
  const bool empty = size == 0 && besides == 0;
  sqlite3* db = nullptr;
  int rc;
  if (readOnly && empty) {
    // Nothing stored, nothing to write: an empty index in memory.
    rc = sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, kSchema, nullptr, nullptr, nullptr);
  } else if (readOnly) {
    // Without a WAL or journal to read, immutable: SQLite then creates no file beside it.
    const std::string uri =
        "file:" + UriPath(path) + "?mode=ro" + (besides == 0 ? "&immutable=1" : "");
    rc = sqlite3_open_v2(uri.c_str(), &db,
                         SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOFOLLOW, nullptr);
  } else {
    rc = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
  }
  if (rc != SQLITE_OK) {
    const std::string why = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    return fail(ErrorFromSqlite(rc), "cannot open index " + path + ": " + why);
  }
  sqlite3_busy_timeout(db, LockTimeoutMs());
  sqlite3_extended_result_codes(db, 1);
  std::unique_ptr<Store> store(new Store(db, std::move(folder)));
  if (readOnly && empty) return store.release();

  // Reading the header tells a damaged or foreign file apart before anything is written.
  int pages = QueryInt(db, "PRAGMA page_count", rc);
  if (rc != SQLITE_OK) {
    return fail(ErrorFromSqlite(rc),
                "index " + path + " is not a readable index (" + sqlite3_errmsg(db) + ")");
  }
  if (pages == 0 && !readOnly) {
    // A new index (or one rolled back to nothing): made in one transaction, so another
    // process starting at the same time finds it either empty or whole.
    // (Inside the write transaction SQLite counts the page it starts the file with.)
    if (!store->Exec("BEGIN IMMEDIATE")) return failHere();
    const int tables = QueryInt(db, "SELECT count(*) FROM sqlite_master", rc);
    if (tables == 0 && !store->Exec(kSchema)) {
      store->Rollback();
      return failHere();
    }
    if (!store->Exec("COMMIT")) {
      store->Rollback();
      return failHere();
    }
  }
  const int applicationId = QueryInt(db, "PRAGMA application_id", rc);
  if (rc != SQLITE_OK) {
    return fail(ErrorFromSqlite(rc),
                "index " + path + " is not a readable index (" + sqlite3_errmsg(db) + ")");
  }
  if (applicationId != kApplicationId) {
    return fail(ERROR_INVALID_DATA, "index " + path +
                                        " is another program's database, not a URL cache "
                                        "index: left untouched");
  }
  {
    sqlite3_stmt* s = nullptr;
    const std::string sql = std::string("SELECT ") + kColumns + " FROM entries LIMIT 0";
    rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr);
    sqlite3_finalize(s);
    if (rc != SQLITE_OK) {
      return fail((rc & 0xFF) == SQLITE_CORRUPT ? ERROR_FILE_CORRUPT : ERROR_INVALID_DATA,
                  "index " + path + " lacks the entries this program keeps (" + sqlite3_errmsg(db) +
                      "): left untouched");
    }
  }
  if (!readOnly) {
    // A damaged page must be found before the first write, which could spread the damage.
    std::vector<std::string> problems;
    sqlite3_stmt* s = nullptr;
    rc = sqlite3_prepare_v2(db, "PRAGMA quick_check", -1, &s, nullptr);
    while (rc == SQLITE_OK && (rc = sqlite3_step(s)) == SQLITE_ROW) {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
      if (text != nullptr && std::strcmp(text, "ok") != 0) problems.emplace_back(text);
      rc = SQLITE_OK;
    }
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE || !problems.empty()) {
      return fail(ERROR_FILE_CORRUPT,
                  "index " + path + " is damaged (" +
                      (problems.empty() ? std::string(sqlite3_errmsg(db)) : problems.front()) +
                      "): left untouched");
    }
    // WAL: readers never wait for the writer and a killed writer leaves the index whole.
    // NORMAL syncs at checkpoints only, so bookkeeping writes cost no fsync each.
    if (QueryText(db, "PRAGMA journal_mode", rc) != "wal" &&
        !store->Exec("PRAGMA journal_mode = WAL")) {
      return failHere();
    }
    if (!store->Exec("PRAGMA synchronous = NORMAL")) return failHere();
  }
  return store.release();
}

}  // namespace platform::detail
