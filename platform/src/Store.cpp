#include "Store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "Internal.h"
#include "StoreSql.h"
#include "platform/StoreErrors.h"

namespace platform::detail {
namespace {

constexpr int kDefaultLockTimeoutMs = 15000;
constexpr size_t kMaxPendingHits = 1024;
// Hits kept while another process holds the index; beyond this they are dropped.
constexpr size_t kMaxHeldHits = 100000;

// A plain buffer, not a std::string: hits are still written from an exit handler, after the
// exiting thread's thread_local objects are gone.
thread_local char t_detail[1024];

std::string Detail() { return t_detail; }

std::mutex g_storeMutex;
StoreBackend* g_backend = nullptr;
std::string g_backendText;  // the location text g_backend was opened for
std::atomic<int> g_lockTimeoutMs{kDefaultLockTimeoutMs};

}  // namespace

void Fail(DWORD error, const std::string& detail) {
  const size_t length = std::min(detail.size(), sizeof t_detail - 1);
  std::memcpy(t_detail, detail.data(), length);
  t_detail[length] = '\0';
  SetLastError(error);
}

int LockTimeoutMs() { return g_lockTimeoutMs.load(); }

bool EnsureFolders(const std::string& root) {
  std::string detail;
  DWORD error = ERROR_SUCCESS;
  if (StoreFolder::Open(root, detail, error) != nullptr) return true;
  Fail(error, detail);
  return false;
}

bool Store::OwnsFile(const char* path, std::string& name) const {
  const std::string text = path != nullptr ? path : "";
  const size_t slash = text.find_last_of('/');
  if (slash == std::string::npos || !IsPlainName(text.substr(slash + 1))) return false;
  // The store's own records name the folder as it was opened: no look at the disk is needed for
  // them (a load asks thousands of times). Files are still opened through the folder's fd.
  const std::string& own = m_folder->CookiePath();
  if (text.compare(0, slash, own) == 0 && slash == own.size()) {
    name = text.substr(slash + 1);
    return true;
  }
  struct stat parent {
  }, folder{};
  if (::stat(slash == 0 ? "/" : text.substr(0, slash).c_str(), &parent) != 0 ||
      ::fstat(m_folder->CookieFd(), &folder) != 0 || parent.st_dev != folder.st_dev ||
      parent.st_ino != folder.st_ino) {
    return false;
  }
  name = text.substr(slash + 1);
  return true;
}

Store::Store(sqlite3* db, std::unique_ptr<StoreFolder> folder)
    : m_db(db), m_folder(std::move(folder)), m_location{StoreKind::UrlCache, m_folder->Root()} {}

Store::~Store() {
  FlushHits();
  for (const auto& [name, fd] : m_writing) ::close(fd);
  for (auto& [sql, statement] : m_statements) sqlite3_finalize(statement);
  sqlite3_close(m_db);
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
  Fail(ErrorFromSqlite(rc), "index " + IndexName() + ": " + what + ": " + sqlite3_errmsg(m_db));
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

bool Store::FailReadOnly(const std::string& what) {
  Fail(ERROR_FILE_READ_ONLY,
       "the store " + Root() + " is read-only (" + m_folder->ReadOnlyReason() + "): " + what);
  return false;
}

bool Store::BeginWrite(int timeoutMs) {
  if (ReadOnly()) return FailReadOnly("nothing can be written");
  sqlite3_busy_timeout(m_db, timeoutMs);
  char* message = nullptr;
  const int rc = sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, &message);
  sqlite3_busy_timeout(m_db, LockTimeoutMs());
  if (rc != SQLITE_OK) {
    const bool busy = (rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED;
    Fail(ErrorFromSqlite(rc),
         busy ? "the index " + IndexName() + " is locked by another process (waited " +
                    std::to_string(timeoutMs) + " ms for it)"
              : "index " + IndexName() + ": begin: " + (message ? message : sqlite3_errstr(rc)));
    sqlite3_free(message);
    return false;
  }
  // Hits waiting since the index was last free go along with this write.
  if (!m_pendingHits.empty() && !WriteHits()) m_pendingHits.clear();
  return true;
}

bool Store::EndWrite() {
  if (!Exec("COMMIT")) return Rollback();
  m_pendingHits.clear();
  return true;
}

// Ends a failed write transaction, keeping the error that failed it rather than the rollback's.
bool Store::Rollback() {
  const DWORD error = GetLastError();
  const std::string detail = Detail();
  Exec("ROLLBACK");
  Fail(error, detail);
  return false;
}

bool Store::ReadRow(sqlite3_stmt* s, UrlCacheRecord& r) {
  r.url = BlobText(s, 0);
  const std::string file = BlobText(s, 1);
  r.localFile = IsPlainName(file) ? m_folder->CookiePath() + "/" + file : std::string();
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
  if (ReadOnly()) return true;  // read, but nothing to count it in
  PendingHit& pending = m_pendingHits[url];
  ++pending.count;
  GetSystemTimeAsFileTime(&pending.access);
  record.hitRate += pending.count;  // wraps at 2^32 as the stored count does
  record.access = pending.access;
  if (!defer || m_pendingHits.size() >= kMaxPendingHits) FlushHits();
  return true;
}

bool Store::WriteHits() {
  sqlite3_stmt* s = Statement(
      "UPDATE entries SET hit_rate = (hit_rate + ?) & 4294967295, access = ? WHERE url = ?");
  if (s == nullptr) return false;
  for (const auto& [url, pending] : m_pendingHits) {
    Reset reset{s};
    sqlite3_bind_int64(s, 1, pending.count);
    sqlite3_bind_int64(s, 2, FromFileTime(pending.access));
    BindBlob(s, 3, url);
    if (sqlite3_step(s) != SQLITE_DONE) return false;
  }
  return true;
}

void Store::FlushHits() {
  if (m_pendingHits.empty()) return;
  const DWORD error = GetLastError();
  const std::string detail = Detail();
  if (ReadOnly()) {
    m_pendingHits.clear();
  } else if (BeginWrite(0)) {
    EndWrite();
    m_pendingHits.clear();  // written, or dropped with a failed write
  } else if (GetLastError() != ERROR_SHARING_VIOLATION || m_pendingHits.size() > kMaxHeldHits) {
    m_pendingHits.clear();
  }
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

bool Store::CommitFile(const UrlCacheRecord& input, const std::string& file) {
  UrlCacheRecord r = input;
  if (!BeginWrite(LockTimeoutMs())) return false;
  ProbeCommit("begin");
  if (!file.empty()) {
    // Checked under the lock: the file cannot go between this look and the commit.
    struct stat st {};
    if (!m_folder->StatFile(file, st) || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
      Fail(ERROR_FILE_NOT_FOUND, "no such file in the cookie folder: " + file);
      return Rollback();
    }
    r.size = static_cast<uint64_t>(st.st_size);
  }
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
    // Replaced in place: the entry keeps its place in the enumeration, so a reader's sizing
    // call and its retry meet the same entry while others commit.
    static const std::string sql =
        std::string("INSERT INTO entries(") + kColumns +
        ") VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT(url) DO UPDATE SET "
        "file = excluded.file, type = excluded.type, use_count = excluded.use_count, "
        "hit_rate = excluded.hit_rate, size = excluded.size, modified = excluded.modified, "
        "expire = excluded.expire, access = excluded.access, sync = excluded.sync, "
        "header = excluded.header, extension = excluded.extension, exempt = excluded.exempt";
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
  if (!EndWrite()) return false;
  ProbeCommit("committed");
  Release(file);
  // Only after the commit: a crash before it leaves the old entry with its file. The file
  // removed is the one the replaced entry held, whatever name the caller remembers.
  if (!referenced && IsPlainName(oldFile)) m_folder->RemoveFile(oldFile);
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool Store::Delete(const std::string& url) {
  if (!BeginWrite(LockTimeoutMs())) return false;
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
  if (!EndWrite()) return false;
  if (!referenced && IsPlainName(file)) m_folder->RemoveFile(file);
  SetLastError(ERROR_SUCCESS);
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

// Drops the current store. One inherited over fork belongs to the parent: closing it in the
// child could disturb the parent's files, so the child keeps it, untouched, for good.
void DropStore() {
  if (g_backend == nullptr) return;
  if (g_backend->Owner() == ::getpid()) {
    delete g_backend;
  } else {
    static auto* inherited = new std::vector<StoreBackend*>;
    inherited->push_back(g_backend);
  }
  g_backend = nullptr;
  g_backendText.clear();
}

void CloseStore() {
  std::lock_guard lock(g_storeMutex);
  DropStore();
}

// Hits still waiting when the program ends are written if the store is free, not waited for.
void FlushAtExit() {
  std::lock_guard lock(g_storeMutex);
  if (g_backend != nullptr && g_backend->Owner() == ::getpid()) g_backend->FlushHits();
}

StoreBackend* OpenBackend(std::unique_lock<std::mutex>& lock) {
  static const bool registered = std::atexit(FlushAtExit) == 0;
  (void)registered;
  lock = std::unique_lock(g_storeMutex);
  const std::string text = StoreLocationText();
  if (g_backend != nullptr && (g_backendText != text || g_backend->Owner() != ::getpid())) {
    DropStore();
  }
  if (g_backend == nullptr) {
    StoreLocation location;
    std::string detail;
    DWORD error = ERROR_TOLVANE_NOT_A_STORE;
    std::unique_ptr<StoreBackend> backend;
    if (CurrentStoreLocation(location, detail)) backend = MakeBackend(location, error, detail);
    if (backend == nullptr) {
      lock.unlock();
      Fail(error, detail);
      return nullptr;
    }
    g_backend = backend.release();
    g_backendText = text;
  }
  return g_backend;
}

Store* OpenStore(std::unique_lock<std::mutex>& lock) {
  StoreBackend* backend = OpenBackend(lock);
  if (backend == nullptr) return nullptr;
  if (auto* store = dynamic_cast<Store*>(backend)) return store;
  lock.unlock();
  Fail(ERROR_TOLVANE_NOT_A_STORE, backend->Location().path + " is a " +
                                      StoreKindTitle(backend->Location().kind) +
                                      ", not a Tolvane store folder");
  return nullptr;
}

}  // namespace platform::detail

namespace platform {
std::string LastUrlCacheErrorDetail() { return detail::Detail(); }

void SetLockTimeout(int milliseconds) {
  detail::g_lockTimeoutMs = milliseconds > 0 ? milliseconds : detail::kDefaultLockTimeoutMs;
}
}  // namespace platform
