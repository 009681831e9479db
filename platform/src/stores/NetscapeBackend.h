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

#include "Backend.h"
#include "NetscapeFile.h"
#include "VirtualFiles.h"

namespace platform::detail {

class NetscapeBackend final : public StoreBackend {
 public:
  explicit NetscapeBackend(StoreLocation location);
  ~NetscapeBackend() override;

  const StoreLocation& Location() const override { return m_location; }
  std::string DisplayPath() const override { return m_location.path; }
  std::string ReadOnlyReason() override;
  bool List(std::vector<UrlCacheRecord>& records) override;
  bool Get(const std::string& url, UrlCacheRecord& record) override;
  bool ReadEntryFile(const UrlCacheRecord& record, std::string& bytes) override;
  bool CreateEntryFile(const std::string& url, const std::string& extension,
                       std::string& path) override;
  bool WriteEntryFile(const std::string& path, const std::string& bytes) override;
  void DropEntryFile(const std::string& path) override { DeleteVirtualFile(path); }
  bool Commit(const UrlCacheRecord& record) override;
  bool Delete(const std::string& url) override;
  bool Check(UrlCacheCheck& report, bool repair) override;
  std::string CannotHold(const CookieRecord& record) const override;

 private:
  struct Entry {
    std::string url;
    std::vector<size_t> lines;  // indices of its cookies in m_file.lines, in file order
  };

  bool Load();
  bool EnsureLoaded() { return m_loaded || Load(); }
  // False (last error set) when the file on disk is no longer what was read.
  bool Unchanged();
  bool Write(const NetscapeFile& file);
  void Regroup();
  const Entry* FindEntry(const std::string& url) const;
  UrlCacheRecord RecordOf(const Entry& entry) const;
  std::string Render(const Entry& entry) const;

  StoreLocation m_location;
  bool m_loaded = false;
  std::string m_bytes;  // the file as last read or written
  NetscapeFile m_file;
  FILETIME m_modified{};
  FILETIME m_read{};
  std::vector<Entry> m_entries;
  std::unordered_map<std::string, size_t> m_entryIndex;
  std::unordered_map<std::string, std::string> m_owner;  // cookie identity -> its entry's URL
  // Where a commit put a cookie when that is not its natural entry; kept for this run.
  std::map<std::string, std::string> m_assigned;
  std::set<std::string> m_emptyEntries;  // committed without cookies during this run
  unsigned m_nextFile = 1;
};

}  // namespace platform::detail
