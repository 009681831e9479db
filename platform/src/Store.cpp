#include "Store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Internal.h"

namespace platform::detail {
namespace {

constexpr int kApplicationId = 0x546F6C76;  // "Tolv"
constexpr int kBusyTimeoutMs = 15000;
constexpr size_t kMaxPendingHits = 1024;

constexpr const char* kColumns =
    "url, file, type, use_count, hit_rate, size, modified, expire, access, sync, header, "
    "extension, exempt";

// A plain buffer, not a std::string: hits are still written from an exit handler, after the
// exiting thread's thread_local objects are gone.
thread_local char t_detail[1024];

std::string Detail() { return t_detail; }

std::mutex g_storeMutex;
Store* g_store = nullptr;

bool MakeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    Fail(ErrorFromErrno(errno), "cannot create folder " + path + ": " + std::strerror(errno));
    return false;
  }
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    Fail(ERROR_PATH_NOT_FOUND, "not a folder: " + path);
    return false;
  }
  // Cookies are credentials: nobody but the owner may list or read them.
  if ((st.st_mode & 077) != 0 && st.st_uid == ::geteuid()) ::chmod(path.c_str(), 0700);
  return true;
}

bool MakeParents(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string parent = path.substr(0, slash);
    if (::mkdir(parent.c_str(), 0700) != 0 && errno != EEXIST) {
      Fail(ErrorFromErrno(errno), "cannot create folder " + parent + ": " + std::strerror(errno));
      return false;
    }
  }
  return true;
}

DWORD ErrorFromSqlite(int code) {
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

FILETIME ToFileTime(sqlite3_int64 value) {
  const auto bits = static_cast<uint64_t>(value);
  return FILETIME{static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
}

sqlite3_int64 FromFileTime(const FILETIME& time) {
  return static_cast<sqlite3_int64>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                                    time.dwLowDateTime);
}

std::string BlobText(sqlite3_stmt* statement, int column) {
  const void* bytes = sqlite3_column_blob(statement, column);
  const int size = sqlite3_column_bytes(statement, column);
  return bytes != nullptr ? std::string(static_cast<const char*>(bytes), size) : std::string();
}

void BindBlob(sqlite3_stmt* statement, int index, const std::string& bytes) {
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

// A name within the cookie folder. An index edited by hand could hold anything else, and the
// file of a record is what callers delete.
bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

void Fail(DWORD error, const std::string& detail) {
  const size_t length = std::min(detail.size(), sizeof t_detail - 1);
  std::memcpy(t_detail, detail.data(), length);
  t_detail[length] = '\0';
  SetLastError(error);
}

bool EnsureFolders() {
  const std::string root = UrlCacheRoot();
  return MakeParents(root) && MakeFolder(root) && MakeFolder(CookieFolder());
}

std::string NameInCookieFolder(const std::string& path) {
  const std::string folder = CookieFolder() + "/";
  if (path.size() <= folder.size() || path.compare(0, folder.size(), folder) != 0) return {};
  std::string name = path.substr(folder.size());
  if (name.find('/') != std::string::npos || name == "." || name == "..") return {};
  return name;
}

Store::Store(sqlite3* db, std::string root)
    : m_db(db), m_root(std::move(root)), m_owner(::getpid()) {}

Store::~Store() {
  FlushHits();
  for (auto& [sql, statement] : m_statements) sqlite3_finalize(statement);
  sqlite3_close(m_db);
}

Store* Store::Open(const std::string& root, std::string& detail, DWORD& error) {
  if (!EnsureFolders()) {
    detail = Detail();
    error = GetLastError();
    return nullptr;
  }
  const std::string path = IndexPath();
  // Made here, owner-only, so SQLite's journal files inherit the same mode.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) {
    error = ErrorFromErrno(errno);
    detail = "cannot open index " + path + ": " + std::strerror(errno);
    return nullptr;
  }
  ::close(fd);
  sqlite3* db = nullptr;
  int rc =
      sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
  if (rc != SQLITE_OK) {
    error = ErrorFromSqlite(rc);
    detail = "cannot open index " + path + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
    sqlite3_close(db);
    return nullptr;
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  sqlite3_extended_result_codes(db, 1);
  std::unique_ptr<Store> store(new Store(db, root));
  auto fail = [&](DWORD code, const std::string& what) -> Store* {
    error = code;
    detail = "index " + path + ": " + what;
    return nullptr;
  };
  // Reading the header tells a damaged file apart before anything is written to it.
  sqlite3_stmt* query = nullptr;
  rc = sqlite3_prepare_v2(db, "PRAGMA application_id", -1, &query, nullptr);
  int applicationId = -1;
  if (rc == SQLITE_OK && (rc = sqlite3_step(query)) == SQLITE_ROW) {
    applicationId = sqlite3_column_int(query, 0);
  }
  sqlite3_finalize(query);
  if (applicationId == -1) {
    return fail(ErrorFromSqlite(rc),
                std::string("not a readable index (") + sqlite3_errmsg(db) + ")");
  }
  if (applicationId != kApplicationId) {
    // Only a file with nothing in it becomes our index; anything else is left alone.
    if (!store->Exec("BEGIN IMMEDIATE")) return fail(GetLastError(), Detail());
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, &count, nullptr);
    const int tables =
        count && sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int(count, 0) : -1;
    sqlite3_finalize(count);
    sqlite3_stmt* again = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA application_id", -1, &again, nullptr);
    const int idNow =
        again && sqlite3_step(again) == SQLITE_ROW ? sqlite3_column_int(again, 0) : -1;
    sqlite3_finalize(again);
    if (idNow == kApplicationId) {
      store->Exec("COMMIT");  // another process set it up meanwhile
    } else if (tables != 0 || idNow != 0) {
      store->Exec("ROLLBACK");
      return fail(ERROR_INVALID_DATA,
                  "the file is another program's database, not a URL cache index");
    } else {
      const bool made =
          store->Exec(
              "CREATE TABLE entries(url BLOB PRIMARY KEY NOT NULL, file BLOB NOT NULL, "
              "type INTEGER NOT NULL, use_count INTEGER NOT NULL, hit_rate INTEGER NOT NULL, "
              "size INTEGER NOT NULL, modified INTEGER NOT NULL, expire INTEGER NOT NULL, "
              "access INTEGER NOT NULL, sync INTEGER NOT NULL, header BLOB NOT NULL, "
              "extension BLOB NOT NULL, exempt INTEGER NOT NULL)") &&
          store->Exec("CREATE INDEX entries_file ON entries(file)") &&
          store->Exec("PRAGMA application_id = 1416588406") && store->Exec("COMMIT");
      if (!made) {
        const DWORD code = GetLastError();
        const std::string why = Detail();
        store->Exec("ROLLBACK");
        return fail(code, why);
      }
    }
  }
  // WAL: readers never wait for the writer and a killed writer leaves the index whole.
  // NORMAL syncs at checkpoints only, so bookkeeping writes cost no fsync each.
  if (!store->Exec("PRAGMA journal_mode = WAL") || !store->Exec("PRAGMA synchronous = NORMAL")) {
    return fail(GetLastError(), Detail());
  }
  return store.release();
}

sqlite3_stmt* Store::Statement(const char* sql) {
  for (auto& [text, statement] : m_statements) {
    if (text == sql) return statement;
  }
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) !=
      SQLITE_OK) {
    Failed("prepare");
    return nullptr;
  }
  m_statements.emplace_back(sql, statement);
  return statement;
}

bool Store::Failed(const char* what) {
  const int rc = sqlite3_extended_errcode(m_db);
  Fail(ErrorFromSqlite(rc),
       std::string("index ") + m_root + "/index.sqlite: " + what + ": " + sqlite3_errmsg(m_db));
  return false;
}

bool Store::Exec(const char* sql) {
  char* message = nullptr;
  const int rc = sqlite3_exec(m_db, sql, nullptr, nullptr, &message);
  if (rc != SQLITE_OK) {
    Fail(ErrorFromSqlite(rc), std::string(sql) + ": " + (message ? message : sqlite3_errstr(rc)));
    sqlite3_free(message);
    return false;
  }
  return true;
}

bool Store::ReadRow(sqlite3_stmt* s, UrlCacheRecord& r) {
  r.url = BlobText(s, 0);
  const std::string file = BlobText(s, 1);
  r.localFile = IsPlainName(file) ? CookieFolder() + "/" + file : std::string();
  r.type = static_cast<DWORD>(sqlite3_column_int64(s, 2));
  r.useCount = static_cast<DWORD>(sqlite3_column_int64(s, 3));
  r.hitRate = static_cast<DWORD>(sqlite3_column_int64(s, 4));
  r.size = static_cast<uint64_t>(sqlite3_column_int64(s, 5));
  r.modified = ToFileTime(sqlite3_column_int64(s, 6));
  r.expire = ToFileTime(sqlite3_column_int64(s, 7));
  r.access = ToFileTime(sqlite3_column_int64(s, 8));
  r.sync = ToFileTime(sqlite3_column_int64(s, 9));
  r.header = BlobText(s, 10);
  r.extension = BlobText(s, 11);
  r.exemptDelta = static_cast<DWORD>(sqlite3_column_int64(s, 12));
  return true;
}

bool Store::List(std::vector<UrlCacheRecord>& records) {
  static const std::string sql = std::string("SELECT ") + kColumns + " FROM entries ORDER BY rowid";
  FlushHits();
  sqlite3_stmt* s = Statement(sql.c_str());
  if (s == nullptr) return false;
  Reset reset{s};
  records.clear();
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    records.emplace_back();
    ReadRow(s, records.back());
  }
  return rc == SQLITE_DONE || Failed("list");
}

bool Store::Get(const std::string& url, UrlCacheRecord& record) {
  FlushHits();
  return Read(url, record);
}

bool Store::Read(const std::string& url, UrlCacheRecord& record) {
  static const std::string sql = std::string("SELECT ") + kColumns + " FROM entries WHERE url = ?";
  sqlite3_stmt* s = Statement(sql.c_str());
  if (s == nullptr) return false;
  Reset reset{s};
  BindBlob(s, 1, url);
  const int rc = sqlite3_step(s);
  if (rc == SQLITE_ROW) return ReadRow(s, record);
  if (rc != SQLITE_DONE) return Failed("read entry");
  Fail(ERROR_FILE_NOT_FOUND, "no entry " + url);
  return false;
}

bool Store::Hit(const std::string& url, UrlCacheRecord& record, bool defer) {
  if (!Read(url, record)) return false;
  PendingHit& pending = m_pendingHits[url];
  ++pending.count;
  GetSystemTimeAsFileTime(&pending.access);
  record.hitRate += pending.count;  // wraps at 2^32 as the stored count does
  record.access = pending.access;
  if (!defer || m_pendingHits.size() >= kMaxPendingHits) FlushHits();
  return true;
}

void Store::FlushHits() {
  if (m_pendingHits.empty()) return;
  const DWORD error = GetLastError();
  const std::string detail = Detail();
  if (Exec("BEGIN IMMEDIATE")) {
    bool written = true;
    sqlite3_stmt* s = Statement(
        "UPDATE entries SET hit_rate = (hit_rate + ?) & 4294967295, access = ? WHERE url = ?");
    for (const auto& [url, pending] : m_pendingHits) {
      if (s == nullptr) break;
      Reset reset{s};
      sqlite3_bind_int64(s, 1, pending.count);
      sqlite3_bind_int64(s, 2, FromFileTime(pending.access));
      BindBlob(s, 3, url);
      written = written && sqlite3_step(s) == SQLITE_DONE;
    }
    if (s == nullptr || !written || !Exec("COMMIT")) Exec("ROLLBACK");
  }
  m_pendingHits.clear();
  Fail(error, detail);  // bookkeeping leaves the caller's error as it was
}

bool Store::FileReferenced(const std::string& file, bool& referenced) {
  sqlite3_stmt* s = Statement("SELECT 1 FROM entries WHERE file = ? LIMIT 1");
  if (s == nullptr) return false;
  Reset reset{s};
  BindBlob(s, 1, file);
  const int rc = sqlite3_step(s);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return Failed("find file");
  referenced = rc == SQLITE_ROW;
  return true;
}

void Store::RemoveFile(const std::string& name) {
  if (IsPlainName(name)) ::unlink((CookieFolder() + "/" + name).c_str());
}

// Ends a failed write transaction, keeping the error that failed it rather than the rollback's.
bool Store::Rollback() {
  const DWORD error = GetLastError();
  const std::string detail = Detail();
  Exec("ROLLBACK");
  Fail(error, detail);
  return false;
}

bool Store::Commit(const UrlCacheRecord& r) {
  const std::string file = r.localFile.empty() ? std::string() : NameInCookieFolder(r.localFile);
  FlushHits();
  if (!Exec("BEGIN IMMEDIATE")) return false;
  ProbeCommit("begin");
  std::string oldFile;
  {
    sqlite3_stmt* s = Statement("SELECT file FROM entries WHERE url = ?");
    if (s == nullptr) return Rollback();
    Reset reset{s};
    BindBlob(s, 1, r.url);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
      oldFile = BlobText(s, 0);
    } else if (rc != SQLITE_DONE) {
      Failed("read entry");
      return Rollback();
    }
  }
  {
    static const std::string sql = std::string("INSERT OR REPLACE INTO entries(") + kColumns +
                                   ") VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
    sqlite3_stmt* s = Statement(sql.c_str());
    if (s == nullptr) return Rollback();
    Reset reset{s};
    BindBlob(s, 1, r.url);
    BindBlob(s, 2, file);
    sqlite3_bind_int64(s, 3, r.type);
    sqlite3_bind_int64(s, 4, r.useCount);
    sqlite3_bind_int64(s, 5, r.hitRate);
    sqlite3_bind_int64(s, 6, static_cast<sqlite3_int64>(r.size));
    sqlite3_bind_int64(s, 7, FromFileTime(r.modified));
    sqlite3_bind_int64(s, 8, FromFileTime(r.expire));
    sqlite3_bind_int64(s, 9, FromFileTime(r.access));
    sqlite3_bind_int64(s, 10, FromFileTime(r.sync));
    BindBlob(s, 11, r.header);
    BindBlob(s, 12, r.extension);
    sqlite3_bind_int64(s, 13, r.exemptDelta);
    if (sqlite3_step(s) != SQLITE_DONE) {
      Failed("write entry");
      return Rollback();
    }
  }
  ProbeCommit("written");
  bool referenced = true;
  if (!oldFile.empty() && oldFile != file && !FileReferenced(oldFile, referenced)) {
    return Rollback();
  }
  if (!Exec("COMMIT")) return Rollback();
  ProbeCommit("committed");
  // Only after the commit: a crash before it leaves the old entry with its file.
  if (!referenced) RemoveFile(oldFile);
  return true;
}

bool Store::Delete(const std::string& url) {
  FlushHits();
  if (!Exec("BEGIN IMMEDIATE")) return false;
  std::string file;
  {
    sqlite3_stmt* s = Statement("DELETE FROM entries WHERE url = ? RETURNING file");
    if (s == nullptr) return Rollback();
    Reset reset{s};
    BindBlob(s, 1, url);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE) {
      Fail(ERROR_FILE_NOT_FOUND, "no entry " + url);
      return Rollback();
    }
    if (rc != SQLITE_ROW) {
      Failed("delete entry");
      return Rollback();
    }
    file = BlobText(s, 0);
    while (sqlite3_step(s) == SQLITE_ROW) {
    }
  }
  bool referenced = true;
  if (!file.empty() && !FileReferenced(file, referenced)) return Rollback();
  if (!Exec("COMMIT")) return Rollback();
  if (!referenced) RemoveFile(file);
  return true;
}

bool Store::IntegrityCheck(std::vector<std::string>& problems) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(m_db, "PRAGMA integrity_check", -1, &s, nullptr) != SQLITE_OK) {
    return Failed("integrity check");
  }
  int rc;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    const char* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    if (text != nullptr && std::strcmp(text, "ok") != 0)
      problems.push_back(std::string("index: ") + text);
  }
  sqlite3_finalize(s);
  return rc == SQLITE_DONE || Failed("integrity check");
}

// Drops the current connection. One inherited over fork belongs to the parent: closing it in
// the child could disturb the parent's files, so the child keeps it, untouched, for good.
void DropStore() {
  if (g_store == nullptr) return;
  if (g_store->Owner() == ::getpid()) {
    delete g_store;
  } else {
    static auto* inherited = new std::vector<Store*>;
    inherited->push_back(g_store);
  }
  g_store = nullptr;
}

void CloseStore() {
  std::lock_guard lock(g_storeMutex);
  DropStore();
}

// Hits still waiting when the program ends are written, not lost.
void FlushAtExit() {
  std::lock_guard lock(g_storeMutex);
  if (g_store != nullptr && g_store->Owner() == ::getpid()) g_store->FlushHits();
}

Store* OpenStore(std::unique_lock<std::mutex>& lock) {
  static const bool registered = std::atexit(FlushAtExit) == 0;
  (void)registered;
  lock = std::unique_lock(g_storeMutex);
  const std::string root = UrlCacheRoot();
  if (g_store != nullptr && (g_store->Root() != root || g_store->Owner() != ::getpid())) {
    DropStore();
  }
  if (g_store == nullptr) {
    std::string detail;
    DWORD error = ERROR_DATABASE_FAILURE;
    g_store = Store::Open(root, detail, error);
    if (g_store == nullptr) {
      lock.unlock();
      Fail(error, detail);
      return nullptr;
    }
  }
  return g_store;
}

}  // namespace platform::detail

namespace platform {
std::string LastUrlCacheErrorDetail() { return detail::Detail(); }
}  // namespace platform
