// A store kept in a form of its own (a cookies.txt, a browser's database, Wine's index) and shown
// as entries whose files are the nine-line records, made on demand. A commit's file lives in
// memory (VirtualFiles.h) under a folder below the store's own file, where nothing can exist on
// disk; the kind parses it and changes its store.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "Backend.h"
#include "platform/CookieRecord.h"

namespace platform::detail {

class RecordsBackend : public StoreBackend {
 public:
  bool List(std::vector<UrlCacheRecord>& records) final;
  bool Get(const std::string& url, UrlCacheRecord& record) final;
  bool ReadEntryFile(const UrlCacheRecord& record, std::string& bytes) final;
  bool CreateEntryFile(const std::string& url, const std::string& extension,
                       std::string& path) final;
  bool WriteEntryFile(const std::string& path, const std::string& bytes) final;
  void DropEntryFile(const std::string& path) final;

 protected:
  static constexpr size_t kNoEntry = SIZE_MAX;

  /** Reads the store anew; false with the last error set. */
  virtual bool Load() = 0;
  virtual bool Loaded() const = 0;
  bool EnsureLoaded() { return Loaded() || Load(); }
  /** The folder the commits' files are named under. */
  virtual std::string CommitFolder() const = 0;
  virtual size_t EntryCount() const = 0;
  /** The index of url's entry, kNoEntry when there is none. */
  size_t EntryIndex(const std::string& url) const {
    const auto found = m_entryIndex.find(url);
    return found == m_entryIndex.end() ? kNoEntry : found->second;
  }
  virtual UrlCacheRecord EntryRecord(size_t index) const = 0;
  /** The entry's records; false with the last error set when they cannot be made. */
  virtual bool EntryFile(size_t index, std::string& bytes) const = 0;

  /** The records of a commit's file, which it takes; false with the last error set. */
  bool TakeCommitRecords(const UrlCacheRecord& record, std::vector<CookieRecord>& records);

  // A commit may put a cookie into an entry that is not its own (a copy being moved to another
  // site) or leave an entry empty; until the run ends, each reload shows them where it put them.
  /** After a commit into url: the cookie of identity, whose own entry is naturalUrl. */
  void NotePlaced(const std::string& url, const std::string& identity,
                  const std::string& naturalUrl);
  /** After a commit of url's records, of which there were none when empty. */
  void NoteCommitted(const std::string& url, bool empty);
  void NoteDeleted(const std::string& url);
  std::unordered_map<std::string, size_t> m_entryIndex;  // URL -> entry, kept by the kind
  std::map<std::string, std::string> m_assigned;         // identity -> the entry a commit put it in
  std::set<std::string> m_emptyEntries;  // committed without cookies during this run

 private:
  unsigned m_nextFile = 1;
};

}  // namespace platform::detail
