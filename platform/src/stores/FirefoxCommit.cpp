// The writing half of FirefoxBackend: commits, deletes, and what a commit may hold.
#include <wininet.h>

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "../Internal.h"
#include "Backup.h"
#include "FirefoxBackend.h"
#include "FirefoxProfile.h"
#include "platform/StoreErrors.h"

namespace platform::detail {

bool FirefoxBackend::Apply(FirefoxChanges& changes, const std::vector<size_t>& updated,
                           const std::vector<size_t>& deleted, std::vector<size_t>& inserted) {
  ProfileLock lock;
  pid_t holder = 0;
  std::string problem;
  if (!lock.Take(m_folder, holder, problem)) {
    Fail(ERROR_TOLVANE_STORE_IN_USE, problem + "; nothing is written while Firefox runs");
    return false;
  }
  // The database with its WAL and index as they are: together they are the state Firefox
  // would open.
  if (!BackUpOnce(m_location, {m_database, m_database + "-wal", m_database + "-shm"}, problem)) {
    Fail(ERROR_WRITE_FAULT,
         "no backup of " + m_database + " could be made, so it is not written: " + problem);
    return false;
  }
  DWORD error = 0;
  if (!WriteFirefoxChanges(m_database, m_schema, changes, error, problem)) {
    Fail(error, problem);
    return false;
  }
  // Memory follows the file: rows changed in place, removed, added.
  for (size_t k = 0; k < updated.size(); ++k) {
    // Not the identity's strings: m_owner's keys point into them.
    m_cookies[updated[k]].row.TakeValues(changes.updates[k].row);
  }
  for (const size_t i : deleted) {
    m_cookies[i].alive = false;
    m_owner.erase(KeyOf(m_cookies[i].row));
    --m_alive;
  }
  inserted.clear();
  for (const FirefoxRow& row : changes.inserts) {
    inserted.push_back(m_cookies.size());
    m_cookies.push_back(Cookie{row});
    ++m_alive;
  }
  return true;
}

bool FirefoxBackend::Commit(const UrlCacheRecord& record) {
  std::vector<CookieRecord> records;
  if (!TakeCommitRecords(record, records)) return false;
  if (!MayWrite()) return false;
  for (const CookieRecord& r : records) {
    if (const std::string why = FirefoxCannotHold(r); !why.empty()) {
      Fail(ERROR_TOLVANE_COOKIE_NOT_STORABLE,
           "entry " + record.url + ", cookie \"" + r.name + "\": " + why);
      return false;
    }
  }
  const std::string origin = OriginOf(record.url);
  const Entry* entry = FindEntry(record.url);
  std::map<std::string, std::deque<size_t>> own;  // this entry's cookies by identity
  if (entry != nullptr) {
    for (const size_t i : entry->cookies) {
      const FirefoxRow& row = m_cookies[i].row;
      own[FirefoxIdentity(row.name, row.host, row.path, row.originAttributes)].push_back(i);
    }
  }
  std::vector<std::string> identities(records.size());
  std::set<std::string> seen;
  for (size_t k = 0; k < records.size(); ++k) {
    const CookieRecord& r = records[k];
    const std::string host = FirefoxHost(r);
    const std::string path = r.Path();
    identities[k] = FirefoxIdentity(r.name, host, path, origin);
    const auto owner = m_owner.find(FirefoxKey{r.name, host, path, origin});
    if (owner != m_owner.end() && m_entries[owner->second].url != record.url) {
      Fail(ERROR_TOLVANE_COOKIE_OF_OTHER_ENTRY, "entry " + record.url + ", cookie \"" + r.name +
                                                    "\" for " + r.domain + " belongs to entry " +
                                                    m_entries[owner->second].url);
      return false;
    }
    if (!seen.insert(identities[k]).second) {
      Fail(ERROR_TOLVANE_COOKIE_NOT_STORABLE,
           "entry " + record.url + " holds cookie \"" + r.name + "\" for " + r.domain +
               " twice; cookies.sqlite keeps one cookie of a name, host and path");
      return false;
    }
  }

  const DWORD kept = FirefoxKeptFlags();
  FirefoxChanges changes;
  std::vector<size_t> updated, deleted, inserted;
  std::vector<size_t> order(records.size(), SIZE_MAX);  // each record's cookie; new ones later
  for (size_t k = 0; k < records.size(); ++k) {
    auto found = own.find(identities[k]);
    if (found == own.end() || found->second.empty()) {
      changes.inserts.push_back(
          FirefoxRowFrom(records[k], FirefoxRow{}, CookieRecord{}, m_schema, origin));
      continue;
    }
    order[k] = found->second.front();
    found->second.pop_front();
    const Cookie& cookie = m_cookies[order[k]];
    const CookieRecord stored = FirefoxRecord(cookie.row, m_schema);
    CookieRecord compared = records[k];
    compared.flags &= kept;
    if (compared == stored) continue;  // untouched: its row stays as it is
    FirefoxRow row = FirefoxRowFrom(records[k], cookie.row, stored, m_schema, origin);
    if (row == cookie.row) continue;
    changes.updates.push_back({cookie.row, std::move(row)});
    updated.push_back(order[k]);
  }
  for (const auto& [identity, left] : own) {
    for (const size_t i : left) {
      changes.deletes.push_back(m_cookies[i].row);
      deleted.push_back(i);
    }
  }
  if (!changes.Empty() && !Apply(changes, updated, deleted, inserted)) return false;

  // The entry now holds the committed cookies, in the records' order.
  const size_t index = size_t(&EntryFor(record.url, origin) - m_entries.data());
  std::vector<size_t>& cookies = m_entries[index].cookies;
  cookies.clear();
  size_t next = 0;
  for (size_t k = 0; k < records.size(); ++k) {
    if (order[k] == SIZE_MAX) order[k] = inserted[next++];
    cookies.push_back(order[k]);
    m_owner[KeyOf(m_cookies[order[k]].row)] = index;
    const CookieRecord& r = records[k];
    NotePlaced(record.url, identities[k], EntryUrl(origin, r.Host(), r.Path()));
  }
  NoteCommitted(record.url, records.empty());
  return true;
}

bool FirefoxBackend::Delete(const std::string& url) {
  if (!EnsureLoaded()) return false;
  const Entry* entry = FindEntry(url);
  if (entry == nullptr) {
    Fail(ERROR_FILE_NOT_FOUND, "no entry " + url);
    return false;
  }
  if (!entry->cookies.empty()) {
    FirefoxChanges changes;
    for (const size_t i : entry->cookies) changes.deletes.push_back(m_cookies[i].row);
    std::vector<size_t> inserted;
    if (!MayWrite() || !Apply(changes, {}, entry->cookies, inserted)) return false;
  }
  NoteDeleted(url);
  Regroup();
  return true;
}

std::string FirefoxBackend::CannotHold(const CookieRecord& record) const {
  return FirefoxCannotHold(record);
}

bool FirefoxBackend::Check(UrlCacheCheck& report, bool /*repair*/) {
  if (!Load()) return false;
  report.entries = int(m_entries.size());
  report.files = 1;
  if (const std::string why = m_schema.WhyNotWritable(); !why.empty()) {
    report.problems.push_back(why + "; it is read only");
  }
  if (const pid_t holder = FirefoxHoldingProfile(m_folder); holder != 0) {
    report.problems.push_back(
        holder > 0 ? "Firefox (process " + std::to_string(holder) +
                         ") is using the profile; "
                         "it is read only until Firefox exits"
                   : "cannot tell whether Firefox is using the profile (.parentlock)");
  }
  report.readOnly = !ReadOnlyReason().empty();
  return true;
}

}  // namespace platform::detail
