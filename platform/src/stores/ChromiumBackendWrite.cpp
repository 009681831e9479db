// Writing a profile: a commit's records become row changes, checked against what the browser
// would refuse, and go to the file in one transaction.
#include <wininet.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <unordered_set>

#include "../Internal.h"
#include "Backup.h"
#include "ChromiumBackend.h"
#include "platform/StoreErrors.h"

namespace platform::detail {

bool ChromiumBackend::Refused(DWORD& error, std::string& detail) {
  if (std::string running = ChromiumRunning(m_place); !running.empty()) {
    error = ERROR_TOLVANE_STORE_IN_USE;
    detail = m_place.browser + " runs on " + m_place.userData + "; " + m_place.cookies +
             " is written only while it does not";
    return true;
  }
  if (!VersionTested(m_table.version)) {
    error = ERROR_TOLVANE_STORE_UNTESTED;
    detail = m_place.cookies + ": Cookies database version " + std::to_string(m_table.version) +
             " was not proven with the browser; only version 24 is written";
    return true;
  }
  if (!ReadOnlyReason().empty()) {
    error = ERROR_TOLVANE_STORE_READ_ONLY;
    detail = m_place.cookies + " or its folder cannot be written";
    return true;
  }
  return false;
}

bool ChromiumBackend::Write(const ChromiumChanges& changes) {
  std::string problem;
  const std::string& file = m_place.cookies;
  if (!BackUpOnce(m_location, {file, file + "-journal", file + "-wal"}, problem)) {
    Fail(ERROR_WRITE_FAULT,
         "no backup of " + file + " could be made, so it is not written: " + problem);
    return false;
  }
  DWORD error = 0;
  if (!WriteChromiumChanges(
          file, m_table.fingerprint, changes, [this] { return ChromiumRunning(m_place); }, error,
          problem)) {
    Fail(error, problem);
    return false;
  }
  return Load();
}

// The rows of one identity differ only in what a record cannot show (the partition): a record
// exactly as its row shows keeps that row, the others take the rest in file order, and when
// that cannot tell which row a removal meant, nothing is guessed.
bool ChromiumBackend::MatchRows(const Entry* entry, const std::vector<CookieRecord>& records,
                                std::vector<std::optional<size_t>>& matched,
                                std::string& problem) const {
  matched.assign(records.size(), std::nullopt);
  std::map<std::string, std::vector<size_t>> own;  // identity -> this entry's rows
  if (entry != nullptr) {
    for (const size_t i : entry->rows) own[m_table.rows[i].Identity()].push_back(i);
  }
  std::map<std::string, std::vector<size_t>> recordsOf;  // identity -> records, in order
  for (size_t k = 0; k < records.size(); ++k) {
    recordsOf[ChromiumIdentity(records[k])].push_back(k);
  }
  for (const auto& [identity, ks] : recordsOf) {
    const auto found = own.find(identity);
    if (found == own.end()) continue;  // all new
    std::vector<size_t> rowsLeft = found->second;
    std::vector<size_t> recordsLeft;
    if (rowsLeft.size() < 2) {
      recordsLeft = ks;
    } else {
      for (const size_t k : ks) {
        const auto same = std::find_if(rowsLeft.begin(), rowsLeft.end(), [&](size_t i) {
          return ChromiumRecordOf(m_table.rows[i], Note(m_table.rows[i])) == records[k];
        });
        if (same == rowsLeft.end()) {
          recordsLeft.push_back(k);
        } else {
          matched[k] = *same;
          rowsLeft.erase(same);
        }
      }
      if (rowsLeft.size() > 1 && rowsLeft.size() != recordsLeft.size()) {
        const CookieRecord& r = records[ks.front()];
        problem = "cookie \"" + r.name + "\" for " + r.domain + " is kept " +
                  std::to_string(found->second.size()) +
                  " times (in different partitions) and it cannot be told which one was " +
                  "removed; remove or change one at a time";
        return false;
      }
    }
    for (size_t n = 0; n < recordsLeft.size() && n < rowsLeft.size(); ++n) {
      matched[recordsLeft[n]] = rowsLeft[n];
    }
  }
  return true;
}

bool ChromiumBackend::Commit(const UrlCacheRecord& record) {
  std::vector<CookieRecord> records;
  if (!TakeCommitRecords(record, records)) return false;
  if (!EnsureLoaded()) return false;
  DWORD error = 0;
  std::string problem;
  if (Refused(error, problem)) {
    Fail(error, problem);
    return false;
  }
  for (const CookieRecord& r : records) {
    const auto owner = m_owner.find(ChromiumIdentity(r));
    if (owner != m_owner.end() && m_entries[owner->second].url != record.url) {
      Fail(ERROR_TOLVANE_COOKIE_OF_OTHER_ENTRY, "entry " + record.url + ", cookie \"" + r.name +
                                                    "\" for " + r.domain + " belongs to entry " +
                                                    m_entries[owner->second].url);
      return false;
    }
  }
  const Entry* entry = FindEntry(record.url);
  std::vector<std::optional<size_t>> matched;
  if (!MatchRows(entry, records, matched, problem)) {
    Fail(ERROR_TOLVANE_COOKIE_NOT_STORABLE, "entry " + record.url + ": " + problem);
    return false;
  }
  auto refuse = [&](DWORD code, const CookieRecord& r, const std::string& why) {
    Fail(code, "entry " + record.url + ", cookie \"" + r.name + "\" for " + r.domain + ": " + why);
    return false;
  };

  int64_t crossSite = 1;  // what the browser writes for a cookie of no partition
  for (const ChromiumRow& row : m_table.rows) {
    if (row.topFrameSiteKey.empty()) {
      crossSite = row.crossSiteAncestor;
      break;
    }
  }
  ChromiumChanges changes;
  std::set<size_t> kept;
  for (size_t k = 0; k < records.size(); ++k) {
    const CookieRecord& r = records[k];
    if (!matched[k]) {
      if (const std::string why = ChromiumCannotHold(r); !why.empty()) {
        return refuse(ERROR_TOLVANE_COOKIE_NOT_STORABLE, r, why);
      }
      ChromiumRow row = NewChromiumRow(r, crossSite);
      if (!Encrypt(row, SchemeForNew())) {
        return refuse(ERROR_TOLVANE_COOKIE_NOT_STORABLE, r, "its value could not be encrypted");
      }
      changes.inserted.push_back(std::move(row));
      continue;
    }
    const size_t i = *matched[k];
    kept.insert(i);
    const ChromiumRow& old = m_table.rows[i];
    ChromiumRow next = old;
    ApplyRecord(r, next);
    if (!old.readable) {
      if (!next.SameColumns(old) || r.value != Note(old)) {
        return refuse(
            ERROR_TOLVANE_VALUES_LOCKED, r,
            "its value could not be decrypted (" + m_v11Problem + "), so it stays as it is");
      }
      continue;
    }
    if (next.SameColumns(old) && next.plain == old.plain) continue;  // untouched
    if (const std::string why = ChromiumCannotHold(r); !why.empty()) {
      return refuse(ERROR_TOLVANE_COOKIE_NOT_STORABLE, r, why);
    }
    if (!next.topFrameSiteKey.empty() && next.secure == 0) {
      return refuse(ERROR_TOLVANE_COOKIE_NOT_STORABLE, r,
                    "a cookie of a partition (" + next.topFrameSiteKey + ") must stay secure");
    }
    if (!Encrypt(next, old.scheme)) {
      return refuse(ERROR_TOLVANE_VALUES_LOCKED, r, "its value could not be encrypted again");
    }
    changes.updated.push_back(std::move(next));
  }
  if (entry != nullptr) {
    for (const size_t i : entry->rows) {
      if (kept.count(i) != 0) continue;
      const ChromiumRow& gone = m_table.rows[i];
      if (!gone.readable) {
        return refuse(ERROR_TOLVANE_VALUES_LOCKED, ChromiumRecordOf(gone, Note(gone)),
                      "its value could not be decrypted, so it is not removed either");
      }
      changes.deleted.push_back(gone.rowid);
    }
  }
  // The browser keeps one cookie of a name, host, path and partition: a second would be
  // dropped at its next start.
  std::unordered_set<size_t> ownRows;
  if (entry != nullptr) ownRows.insert(entry->rows.begin(), entry->rows.end());
  std::unordered_set<std::string> keys;
  for (size_t i = 0; i < m_table.rows.size(); ++i) {
    if (ownRows.count(i) == 0 || kept.count(i) != 0) keys.insert(m_table.rows[i].Key());
  }
  for (const ChromiumRow& row : changes.inserted) {
    if (!keys.insert(row.Key()).second) {
      Fail(ERROR_TOLVANE_COOKIE_NOT_STORABLE, "entry " + record.url + ": two cookies named \"" +
                                                  row.name + "\" for " + row.hostKey + row.path +
                                                  "; the browser keeps only one");
      return false;
    }
  }
  if (!changes.Empty() && !Write(changes)) return false;

  for (const CookieRecord& r : records) {
    const std::string identity = ChromiumIdentity(r);
    NotePlaced(record.url, identity, EntryUrlFor(r.Host(), r.Path()));
  }
  NoteCommitted(record.url, records.empty());
  Regroup();
  return true;
}

bool ChromiumBackend::Delete(const std::string& url) {
  if (!EnsureLoaded()) return false;
  const Entry* entry = FindEntry(url);
  if (entry == nullptr) {
    Fail(ERROR_FILE_NOT_FOUND, "no entry " + url);
    return false;
  }
  if (!entry->rows.empty()) {
    DWORD error = 0;
    std::string problem;
    if (Refused(error, problem)) {
      Fail(error, problem);
      return false;
    }
    ChromiumChanges changes;
    for (const size_t i : entry->rows) {
      if (!m_table.rows[i].readable) {
        Fail(ERROR_TOLVANE_VALUES_LOCKED,
             "entry " + url + " holds cookies whose values could not be decrypted; not removed");
        return false;
      }
      changes.deleted.push_back(m_table.rows[i].rowid);
    }
    if (!Write(changes)) return false;
  }
  NoteDeleted(url);
  Regroup();
  return true;
}

}  // namespace platform::detail
