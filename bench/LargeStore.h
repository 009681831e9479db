// A temporary store of many cookie entries for the benchmarks, removed with the object.
// Entry i is "Cookie:user@site<i>.example.com/"; its file is the records the maker gives for it.
#pragma once

#include <wininet.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "support/TempStore.h"

namespace bench {

// The text of one record (nine lines, one variable) of an entry.
using RecordMaker = std::string (*)(int entry, int record);

// How each entry is committed; the file's records are what the loads read.
struct EntryCommit {
  DWORD type = COOKIE_CACHE_ENTRY;
  std::string header;
  FILETIME expire{};
  FILETIME modified{};
};

inline std::string EntryUrl(int entry) {
  return "Cookie:user@site" + std::to_string(entry) + ".example.com/";
}

inline std::string EntryText(int entry, int records, RecordMaker record) {
  std::string text;
  for (int r = 0; r < records; ++r) text += record(entry, r);
  return text;
}

class LargeStore {
 public:
  explicit LargeStore(EntryCommit commit = {}) : m_commit(std::move(commit)) {}
  LargeStore(int entries, int recordsPerEntry, RecordMaker record, EntryCommit commit = {})
      : LargeStore(std::move(commit)) {
    Fill(entries, recordsPerEntry, record);
  }

  // Adds entries 0 to entries - 1.
  void Fill(int entries, int recordsPerEntry, RecordMaker record) {
    for (int entry = 0; entry < entries; ++entry) {
      AddEntry(EntryUrl(entry), EntryText(entry, recordsPerEntry, record));
    }
  }

  // Adds one entry holding `text`; aborts when the store refuses it.
  void AddEntry(const std::string& url, const std::string& text) {
    const std::string file = m_store.AddEntry(url, text, m_commit.type, m_commit.header,
                                              m_commit.expire, m_commit.modified);
    if (file.empty()) std::abort();
    m_bytes += text.size();
    m_files.push_back(file);
  }

  const std::string& Root() const { return m_store.Root(); }
  size_t Bytes() const { return m_bytes; }
  const std::vector<std::string>& Files() const { return m_files; }

 private:
  tolvane::test::TempStore m_store;
  EntryCommit m_commit;
  size_t m_bytes = 0;
  std::vector<std::string> m_files;
};

}  // namespace bench
