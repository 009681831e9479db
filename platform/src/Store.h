// The store behind the URL cache calls: one SQLite connection per process, guarded by a lock.
#pragma once

#include <sqlite3.h>
#include <windows.h>

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/UrlCacheStore.h"

namespace platform::detail {

// Creates the root and cookie folder (owner only) when missing. False with last error set.
bool EnsureFolders();
// Drops this process's connection (the root changed, or tests are done with a store).
void CloseStore();
// Records a failure: last error and the readable detail.
void Fail(DWORD error, const std::string& detail);

class Store {
 public:
  // Every member runs under the lock OpenStore returns; each returns false with last error set.
  bool List(std::vector<UrlCacheRecord>& records);
  bool Get(const std::string& url, UrlCacheRecord& record);
  // As Get, without writing waiting hits first (the record's count lacks them).
  bool Peek(const std::string& url, UrlCacheRecord& record) { return Read(url, record); }
  // Counts a hit, sets the access time and gives the updated record. With `defer` the hit
  // waits in memory for the next FlushHits (an enumeration reads thousands of entries; one
  // write each would cost more than the reading), else it is written at once.
  bool Hit(const std::string& url, UrlCacheRecord& record, bool defer);
  // Writes the waiting hits in one transaction. Hits are bookkeeping: a failure drops them.
  void FlushHits();
  bool Commit(const UrlCacheRecord& record);
  bool Delete(const std::string& url);
  bool IntegrityCheck(std::vector<std::string>& problems);

  static Store* Open(const std::string& root, std::string& detail, DWORD& error);
  ~Store();
  const std::string& Root() const { return m_root; }
  pid_t Owner() const { return m_owner; }

 private:
  Store(sqlite3* db, std::string root);
  sqlite3_stmt* Statement(const char* sql);
  bool Failed(const char* what);
  bool Rollback();
  bool Exec(const char* sql);
  bool ReadRow(sqlite3_stmt* statement, UrlCacheRecord& record);
  bool FileReferenced(const std::string& file, bool& referenced);
  void RemoveFile(const std::string& name);
  bool Read(const std::string& url, UrlCacheRecord& record);

  struct PendingHit {
    DWORD count = 0;
    FILETIME access{};
  };

  sqlite3* m_db;
  std::string m_root;
  pid_t m_owner;
  std::vector<std::pair<const char*, sqlite3_stmt*>> m_statements;
  std::unordered_map<std::string, PendingHit> m_pendingHits;
};

// The store for the current root, opened on first use. Null (last error set) when it cannot
// be opened; `lock` then holds nothing.
Store* OpenStore(std::unique_lock<std::mutex>& lock);

// The bare file name of a local file inside the cookie folder; "" when the path is elsewhere.
std::string NameInCookieFolder(const std::string& path);

}  // namespace platform::detail
