// The store behind the URL cache calls: one SQLite connection per process, guarded by a lock,
// over the store's folders held open (StoreFolder).
#pragma once

#include <sqlite3.h>
#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "StoreFolder.h"
#include "platform/UrlCacheStore.h"
#include "stores/Backend.h"

namespace platform::detail {

// Creates the root and cookie folder (owner only) when missing. False with last error set.
bool EnsureFolders(const std::string& root);
// Drops this process's store (the location changed, or tests are done with a store).
void CloseStore();
// How long a write waits for another process's lock (see platform/Faults.h).
int LockTimeoutMs();

// Tolvane's own store: the back end a store folder (index.sqlite and Cookies/) names.
class Store final : public StoreBackend {
 public:
  // Every member runs under the lock OpenBackend returns; each returns false with last error
  // set.
  bool List(std::vector<UrlCacheRecord>& records) override;
  bool Get(const std::string& url, UrlCacheRecord& record) override;
  // As Get, without writing waiting hits first (the record's count lacks them).
  bool Peek(const std::string& url, UrlCacheRecord& record) override { return Read(url, record); }
  // Counts a hit, sets the access time and gives the updated record. With `defer` the hit
  // waits in memory for the next FlushHits (an enumeration reads thousands of entries; one
  // write each would cost more than the reading), else it is written at once if it can be.
  bool Hit(const std::string& url, UrlCacheRecord& record, bool defer) override;
  // Writes the waiting hits in one transaction when the index is free this instant: hits are
  // bookkeeping and never hold a read up. Held by another process, they wait for the next
  // write; a failure drops them.
  void FlushHits() override;
  // Makes a new, empty file in the cookie folder whose name was never handed out before in
  // this store, and keeps it marked as being written until it is committed or deleted.
  bool NewFile(const std::string& stem, const std::string& extension, std::string& name);
  // Inserts or replaces the entry of record.url, backed by `file` of the cookie folder ("" for
  // none), whose size it takes; the file the replaced entry held goes once nothing holds it.
  bool CommitFile(const UrlCacheRecord& record, const std::string& file);
  bool Delete(const std::string& url) override;
  // A file of the cookie folder opened safely (StoreFolder::OpenFile); writes refused in a
  // read-only store. -1 with last error set.
  int OpenFile(const std::string& name, int flags) { return m_folder->OpenFile(name, flags); }
  // Removes a file of the cookie folder that no entry references; a file an entry holds is
  // refused, so a remembered name can never take another entry's cookies with it.
  bool DeleteFile(const std::string& name);
  // The bytes of a file of the cookie folder (an entry's, as its record names it).
  bool ReadFile(const std::string& name, std::string& bytes);
  bool IntegrityCheck(std::vector<std::string>& problems);
  // Removes the regular files of the cookie folder that no entry references and that no live
  // process is still writing; `removed` gets their paths, `left` what else it found there.
  bool RemoveOrphans(std::vector<std::string>& removed, std::vector<std::string>& left);

  // The back-end face of the calls above.
  const StoreLocation& Location() const override { return m_location; }
  std::string DisplayPath() const override { return m_folder->CookiePath(); }
  std::string ReadOnlyReason() override;
  bool ReadEntryFile(const UrlCacheRecord& record, std::string& bytes) override;
  // A new file named after the URL's site, numbered store-wide (NewFile).
  bool CreateEntryFile(const std::string& url, const std::string& extension,
                       std::string& path) override;
  bool WriteEntryFile(const std::string& path, const std::string& bytes) override;
  void DropEntryFile(const std::string& path) override {
    if (std::string name; OwnsFile(path.c_str(), name)) DeleteFile(name);
  }
  // Only a file the store made may back an entry (CommitFile).
  bool Commit(const UrlCacheRecord& record) override;
  bool Check(UrlCacheCheck& report, bool repair) override;
  // The name of a file inside the cookie folder however the path spells that folder; false
  // when the path is elsewhere.
  bool OwnsFile(const char* path, std::string& name) const;

  static Store* Open(const std::string& root, std::string& detail, DWORD& error);
  ~Store() override;
  const std::string& Root() const { return m_folder->Root(); }
  bool ReadOnly() const { return m_folder->ReadOnly(); }
  const StoreFolder& Folder() const { return *m_folder; }

 private:
  Store(sqlite3* db, std::unique_ptr<StoreFolder> folder);
  sqlite3_stmt* Statement(const char* sql);
  bool Failed(const char* what);
  // BEGIN IMMEDIATE, waiting up to the lock timeout (0: not at all), then the waiting hits.
  bool BeginWrite(int timeoutMs);
  bool EndWrite();  // COMMIT; false (rolled back) on failure
  bool Rollback();
  bool FailReadOnly(const std::string& what);
  bool Exec(const char* sql);
  bool ReadRow(sqlite3_stmt* statement, UrlCacheRecord& record);
  bool FileReferenced(const std::string& file, bool& referenced);
  bool WriteHits();
  bool NextNumber(uint64_t& number);
  void Release(const std::string& name);  // the file is no longer being written
  bool Read(const std::string& url, UrlCacheRecord& record);
  std::string IndexName() const { return Root() + "/index.sqlite"; }

  struct PendingHit {
    DWORD count = 0;
    FILETIME access{};
  };

  sqlite3* m_db;
  std::unique_ptr<StoreFolder> m_folder;
  StoreLocation m_location;
  std::vector<std::pair<const char*, sqlite3_stmt*>> m_statements;
  std::unordered_map<std::string, PendingHit> m_pendingHits;
  // Files made by NewFile and not yet committed, each held open under a lock that lives as
  // long as this process holds it: `urlcache check --repair` leaves them alone.
  std::map<std::string, int> m_writing;
};

// The store in use when it is Tolvane's own; null otherwise (last error set), and `lock` then
// holds nothing.
Store* OpenStore(std::unique_lock<std::mutex>& lock);

}  // namespace platform::detail
