// The cookie cache of Windows programs under Wine: a prefix's index.dat and one file of
// nine-line records per site and path.
//
// Wine reads an entry only under its URL, "Cookie:<user>@<host><path>", so a cookie lives in the
// entry of its record's host and path. A commit of an entry under another name (a copy) writes
// its cookies to their own entries and keeps showing them under that name for this run, as the
// cookies.txt back end does. Nothing is written while a wineserver runs for the prefix, and a
// write holds the lock a starting wineserver needs, so none starts in the middle of it. Reading
// counts no hits: that would write the index on every look.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "RecordsBackend.h"
#include "WineIndex.h"
#include "WinePrefix.h"

namespace platform::detail {

class WineBackend final : public RecordsBackend {
 public:
  WineBackend(StoreLocation location, WinePlace place);
  ~WineBackend() override;

  const StoreLocation& Location() const override { return m_location; }
  std::string DisplayPath() const override { return m_location.path; }
  std::string ReadOnlyReason() override;
  std::string InUseReason() override;
  bool Commit(const UrlCacheRecord& record) override;
  bool Delete(const std::string& url) override;
  bool Check(UrlCacheCheck& report, bool repair) override;
  std::string CannotHold(const CookieRecord& record) const override;
  std::string EntryUrlFor(const std::string& host, const std::string& path) const override;

 private:
  // An entry of the index and its file.
  struct Stored {
    WineEntry entry;
    std::string bytes;
    bool readable = false;  // the file is there and holds whole records
    std::vector<CookieRecord> records;
  };
  // An entry as shown: cookies of stored entries, by (stored, record) index.
  struct Shown {
    std::string url;
    std::vector<std::pair<size_t, size_t>> cookies;
    const Stored* home = nullptr;  // the stored entry of the same URL
  };
  using Plan = std::map<std::string, std::vector<CookieRecord>>;  // stored URL -> its records

  bool Load() override;
  bool Loaded() const override { return m_loaded; }
  std::string CommitFolder() const override { return m_place.IndexPath(); }
  size_t EntryCount() const override { return m_shown.size(); }
  UrlCacheRecord EntryRecord(size_t index) const override { return RecordOf(m_shown[index]); }
  bool EntryFile(size_t index, std::string& bytes) const override;
  bool ReadIndex(std::string& bytes, bool& present);
  void Regroup();
  const Shown* FindShown(const std::string& url) const;
  const Stored* FindStored(const std::string& url) const;
  std::string Identity(const std::string& storedUrl, const std::string& name) const;
  UrlCacheRecord RecordOf(const Shown& shown) const;
  std::string Render(const Shown& shown) const;
  static std::string RenderRecords(const std::vector<CookieRecord>& records);
  std::string FilePath(const WineEntry& entry) const;
  // The stored entries a commit (records) or delete (null) of a shown entry changes.
  bool PlanFor(const std::string& url, const std::vector<CookieRecord>* records, Plan& plan);
  // The write of a plan, holding the wineserver's lock: unchanged check, backup, new files,
  // index, old files removed.
  bool Apply(const Plan& plan);
  bool Unchanged();
  bool WriteCookieFile(const std::vector<CookieRecord>& records, std::string& name,
                       FILETIME& written, std::string& problem);

  StoreLocation m_location;
  WinePlace m_place;
  bool m_loaded = false;
  bool m_indexPresent = false;
  std::string m_indexBytes;
  WineIndex m_index;
  std::vector<Stored> m_stored;
  std::vector<Shown> m_shown;
  std::unordered_map<std::string, std::string> m_owner;  // cookie identity -> shown URL
  std::string m_user;                                    // of the entries' URLs
};

/** The back end of a Wine location (prefix, cookie folder or index.dat); null with the error
 *  and detail set when the path is none of them. */
std::unique_ptr<StoreBackend> MakeWineBackend(const StoreLocation& location, DWORD& error,
                                              std::string& detail);
/** Adds the cookie folder of every user of every prefix in the usual places. */
void FindWineStores(std::vector<FoundStore>& found);

}  // namespace platform::detail
