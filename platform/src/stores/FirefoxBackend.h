// A Firefox profile's cookies.sqlite as a store.
//
// Reading never touches the database Firefox may have open: a private copy of the main file and
// its WAL is read (FirefoxProfile.h). Entries group cookies by container, host and path; the
// URL's user part names the container: "Cookie:<login>@host/path" for the default one,
// "Cookie:<login>+userContextId=2@host/path" for originAttributes "^userContextId=2". A
// cookie's identity is its name, host (with the dot of a domain cookie), path and
// originAttributes; cookies of different containers never meet. A commit writes the changed,
// added and removed rows of its entry in one transaction, holding the profile lock so Firefox
// cannot start meanwhile, and only while Firefox does not hold it; untouched rows, and the
// columns a record cannot show, stay as they are.
#pragma once

#include <sys/types.h>

#include <deque>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "FirefoxCookies.h"
#include "FirefoxWrite.h"
#include "RecordsBackend.h"

namespace platform::detail {

class FirefoxBackend final : public RecordsBackend {
 public:
  explicit FirefoxBackend(StoreLocation location);
  ~FirefoxBackend() override;

  const StoreLocation& Location() const override { return m_location; }
  std::string DisplayPath() const override { return m_location.path; }
  std::string ReadOnlyReason() override;
  std::string InUseReason() override;
  bool Commit(const UrlCacheRecord& record) override;
  bool Delete(const std::string& url) override;
  bool Check(UrlCacheCheck& report, bool repair) override;
  std::string CannotHold(const CookieRecord& record) const override;

  /** The cookies read by the last load (-1 before one). */
  long CookieCount() const { return m_loaded ? long(m_alive) : -1; }
  /** The database file and the profile folder it lies in. */
  const std::string& Database() const { return m_database; }
  const std::string& Folder() const { return m_folder; }

  /** The URL of an entry of this container, host (without a dot) and path. */
  static std::string EntryUrl(const std::string& originAttributes, std::string_view host,
                              std::string_view path);

 private:
  struct Cookie {
    FirefoxRow row;     // its name, host, path and originAttributes never change: m_owner's keys
    bool alive = true;  // false once deleted: indices into m_cookies stay valid until a load
  };
  struct Entry {
    std::string url;
    std::string originAttributes;
    std::vector<size_t> cookies;  // indices into m_cookies
  };

  bool Load() override;
  bool Loaded() const override { return m_loaded; }
  std::string CommitFolder() const override { return m_database; }
  size_t EntryCount() const override { return m_entries.size(); }
  UrlCacheRecord EntryRecord(size_t index) const override { return RecordOf(m_entries[index]); }
  bool EntryFile(size_t index, std::string& bytes) const override;
  void Regroup();
  Entry& EntryFor(const std::string& url, const std::string& originAttributes);
  const Entry* FindEntry(const std::string& url) const;
  std::string OriginOf(const std::string& url) const;
  UrlCacheRecord RecordOf(const Entry& entry) const;
  std::string Render(const Entry& entry) const;
  // Refuses (last error set) when the store must not be written now.
  bool MayWrite();
  // Writes the changes under the profile lock, after the backup, and takes them into memory:
  // `updated` and `deleted` are the cookies' indices (in the order of the changes), `inserted`
  // gets those of the new ones.
  bool Apply(FirefoxChanges& changes, const std::vector<size_t>& updated,
             const std::vector<size_t>& deleted, std::vector<size_t>& inserted);

  StoreLocation m_location;
  std::string m_database;
  std::string m_folder;
  bool m_loaded = false;
  FirefoxSchema m_schema;
  // A deque: its elements never move, so m_owner's keys may point into them.
  std::deque<Cookie> m_cookies;
  size_t m_alive = 0;
  FILETIME m_modified{};
  FILETIME m_read{};
  std::vector<Entry> m_entries;
  std::unordered_map<FirefoxKey, size_t, FirefoxKeyHash> m_owner;  // cookie -> its entry's index
};

}  // namespace platform::detail
