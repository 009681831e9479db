// The profile of a Chromium-family browser (Chromium, Chrome, Brave, Edge, Vivaldi, Opera) as a
// store: its Cookies file in SQLite, values encrypted.
//
// Entries group the cookies by host and path as for a cookies.txt; a cookie's identity is the
// browser's own key less what a record cannot name (name, host_key and path, the records of one
// identity matched to its rows in order). A commit writes only the rows it changed, added or
// removed, in one transaction, after a backup, and only while no browser runs on the profile and
// for database versions proven with the browser. A changed row keeps the columns a record cannot
// hold and its encryption; a new one gets the browser's defaults and the encryption most rows
// have. A row whose value cannot be decrypted is shown locked and is never written.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "ChromiumCrypto.h"
#include "ChromiumDatabase.h"
#include "ChromiumProfiles.h"
#include "RecordsBackend.h"

namespace platform::detail {

class ChromiumBackend final : public RecordsBackend {
 public:
  explicit ChromiumBackend(StoreLocation location);
  ~ChromiumBackend() override;

  const StoreLocation& Location() const override { return m_location; }
  std::string DisplayPath() const override { return m_place.cookies; }
  std::string ReadOnlyReason() override;
  std::string InUseReason() override { return ChromiumRunning(m_place); }
  bool Commit(const UrlCacheRecord& record) override;
  bool Delete(const std::string& url) override;
  bool Check(UrlCacheCheck& report, bool repair) override;
  std::string CannotHold(const CookieRecord& record) const override;

  /** Database versions whose writes were proven with the browser. */
  static bool VersionTested(int version);

 private:
  struct Entry {
    std::string url;
    std::vector<size_t> rows;                     // indices into m_table.rows, in file order
    mutable std::optional<std::string> rendered;  // its file, once asked for
  };

  bool Load() override;
  bool Loaded() const override { return m_loaded; }
  std::string CommitFolder() const override { return m_place.cookies; }
  size_t EntryCount() const override { return m_entries.size(); }
  UrlCacheRecord EntryRecord(size_t index) const override { return RecordOf(m_entries[index]); }
  bool EntryFile(size_t index, std::string& bytes) const override;
  void Decrypt(ChromiumRow& row);
  const ChromiumCipher* V11Cipher(const ChromiumRow& sample);
  bool Encrypt(ChromiumRow& row, ChromiumRow::Scheme scheme) const;
  ChromiumRow::Scheme SchemeForNew() const;
  // Why nothing may be written now (error code and detail), or false when writing may go on.
  bool Refused(DWORD& error, std::string& detail);
  bool Write(const ChromiumChanges& changes);
  // The row of `entry` each record of a commit stands for, none for a new cookie.
  bool MatchRows(const Entry* entry, const std::vector<CookieRecord>& records,
                 std::vector<std::optional<size_t>>& matched, std::string& problem) const;
  void Regroup();
  const Entry* FindEntry(const std::string& url) const;
  UrlCacheRecord RecordOf(const Entry& entry) const;
  const std::string& Render(const Entry& entry) const;
  std::string Note(const ChromiumRow& row) const;
  // SHA-256 of a host_key; rows come grouped by host, so the last one is kept.
  const std::string& HostHash(const std::string& hostKey) const;

  StoreLocation m_location;
  ChromiumPlace m_place;
  bool m_loaded = false;
  ChromiumTable m_table;
  FILETIME m_read{};
  ChromiumCipher m_v10{kChromiumV10Password};
  std::unique_ptr<ChromiumCipher> m_v11;
  bool m_v11Asked = false;
  std::string m_v11Problem;
  mutable std::string m_hashedHost;
  mutable std::string m_hostHash;
  std::vector<Entry> m_entries;
  std::unordered_map<std::string, size_t> m_owner;  // identity -> its entry in m_entries
};

}  // namespace platform::detail
