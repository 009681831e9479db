// A Netscape cookies.txt (curl, wget, yt-dlp, Python's http.cookiejar) as a store.
//
// Entries group the file's cookies by host and path. A cookie's identity is its name, host (with
// the dot of a domain cookie) and path, taken from its record; the entry's URL only groups. A
// commit rewrites only the lines of the cookies it changed, added or removed: every other line
// comes back byte for byte. It is refused when the file changed on disk since it was read, and
// when a record has the identity of a cookie that belongs to another entry (an entry copied
// whole keeps its records' domains until they are edited, so its first commit is refused).
#pragma once

#include <sys/types.h>

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "NetscapeFile.h"
#include "RecordsBackend.h"

namespace platform::detail {

class NetscapeBackend final : public RecordsBackend {
 public:
  explicit NetscapeBackend(StoreLocation location);
  ~NetscapeBackend() override;

  const StoreLocation& Location() const override { return m_location; }
  std::string DisplayPath() const override { return m_location.path; }
  std::string ReadOnlyReason() override;
  bool Commit(const UrlCacheRecord& record) override;
  bool Delete(const std::string& url) override;
  bool Check(UrlCacheCheck& report, bool repair) override;
  std::string CannotHold(const CookieRecord& record) const override;

 private:
  struct Entry {
    std::string url;
    std::vector<size_t> lines;  // indices of its cookies in m_file.lines, in file order
    mutable std::string file;   // its records' bytes, made when first asked for
    mutable bool rendered = false;
  };

  bool Load() override;
  bool Loaded() const override { return m_loaded; }
  std::string CommitFolder() const override { return m_location.path; }
  size_t EntryCount() const override { return m_entries.size(); }
  UrlCacheRecord EntryRecord(size_t index) const override { return RecordOf(m_entries[index]); }
  bool EntryFile(size_t index, std::string& bytes) const override;
  // False (last error set) when the file on disk is no longer what was read.
  bool Unchanged();
  // A commit's or a delete's change to the file: which lines stay, which are replaced, what
  // comes in where.
  struct Edit {
    std::vector<bool> keep;
    std::map<size_t, NetscapeLine> replaced;
    size_t insertAt = 0;
    std::vector<NetscapeLine> added;
  };
  // Writes the file as the edit leaves it and takes that as what is known.
  bool Write(Edit& edit);
  void Regroup();
  // The URL of the entry that holds a cookie of this identity; "" when none does.
  std::string OwnerOf(const std::string& identity, const CookieRecord& record) const;
  const Entry* FindEntry(const std::string& url) const;
  UrlCacheRecord RecordOf(const Entry& entry) const;
  const std::string& Render(const Entry& entry) const;
  void Parse(std::string bytes);

  StoreLocation m_location;
  bool m_loaded = false;
  std::string m_bytes;  // the file as last read or written
  NetscapeFile m_file;
  // For each line of m_file that is a cookie: its record, its identity and the URL of the
  // entry it belongs to when nothing placed it elsewhere (worked out once).
  std::vector<CookieRecord> m_records;
  std::vector<std::string> m_identities;
  std::vector<std::string> m_naturalUrls;
  FILETIME m_modified{};
  FILETIME m_read{};
  std::vector<Entry> m_entries;
};

}  // namespace platform::detail
