#include "NetscapeBackend.h"

#include <sys/stat.h>
#include <unistd.h>
#include <wininet.h>

#include <cerrno>
#include <cstring>
#include <deque>
#include <string_view>
#include <unordered_set>

#include "../Internal.h"
#include "AtomicFile.h"
#include "Backup.h"
#include "VirtualFiles.h"
#include "platform/StoreErrors.h"

namespace platform::detail {
namespace {

constexpr off_t kMaxFileSize = off_t(256)
                               << 20;  // far beyond any real jar; refuses a stray disk image

FILETIME FromTimespec(const timespec& t) { return FileTimeFromUnix(t.tv_sec); }

// A file name for an entry, from its URL's site part: no separator, nothing hidden.
std::string FileNameFor(const std::string& url) {
  const size_t at = url.find('@');
  const std::string site = at == std::string::npos ? url : url.substr(at + 1);
  std::string name;
  for (const char c : site) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '.' || c == '_';
    name += plain ? c : '_';
    if (name.size() >= 120) break;
  }
  return (name.empty() || name[0] == '.' ? "_" + name : name) + ".txt";
}

}  // namespace

NetscapeBackend::NetscapeBackend(StoreLocation location) : m_location(std::move(location)) {
  AddVirtualRoot(m_location.path);
}

NetscapeBackend::~NetscapeBackend() { RemoveVirtualRoot(m_location.path); }

std::string NetscapeBackend::ReadOnlyReason() {
  // The owner's write bit counts even for root: a file made read-only on purpose stays so.
  struct stat st {};
  if (::access(m_location.path.c_str(), W_OK) != 0 ||
      (::stat(m_location.path.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0)) {
    return "ファイル " + m_location.path + " に書き込む権限がありません。";
  }
  const size_t slash = m_location.path.find_last_of('/');
  const std::string folder = slash == 0 ? "/" : m_location.path.substr(0, slash);
  // A commit writes a new file beside the old one and renames it over.
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    return "フォルダー " + folder + " に書き込めないため、ファイルを置き換えられません。";
  }
  return {};
}

bool NetscapeBackend::Load() {
  struct stat st {};
  if (::stat(m_location.path.c_str(), &st) != 0) {
    Fail(ERROR_FILE_NOT_FOUND, "cannot read " + m_location.path + ": " + std::strerror(errno));
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    Fail(ERROR_TOLVANE_NOT_A_STORE, m_location.path + " is not a regular file");
    return false;
  }
  if (st.st_size > kMaxFileSize) {
    Fail(ERROR_TOLVANE_NOT_A_STORE, m_location.path + " is " + std::to_string(st.st_size) +
                                        " bytes, too large for a cookies.txt");
    return false;
  }
  std::string bytes;
  std::string problem;
  if (!ReadRegularFile(m_location.path, bytes, problem)) {
    Fail(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT, problem);
    return false;
  }
  Parse(std::move(bytes));
  m_modified = FromTimespec(st.st_mtim);
  GetSystemTimeAsFileTime(&m_read);
  m_loaded = true;
  Regroup();
  return true;
}

void NetscapeBackend::Parse(std::string bytes) {
  m_bytes = std::move(bytes);
  m_file = NetscapeFile::Parse(m_bytes);
  m_records.assign(m_file.lines.size(), CookieRecord{});
  m_identities.assign(m_file.lines.size(), std::string());
  m_naturalUrls.assign(m_file.lines.size(), std::string());
  for (size_t i = 0; i < m_file.lines.size(); ++i) {
    if (m_file.lines[i].kind != NetscapeLine::Kind::Cookie) continue;
    m_records[i] = m_file.lines[i].ToRecord();
    m_identities[i] = NetscapeIdentity(m_records[i]);
    m_naturalUrls[i] = EntryUrlFor(m_records[i].Host(), m_records[i].Path());
  }
}

void NetscapeBackend::Regroup() {
  m_entries.clear();
  m_entryIndex.clear();
  auto entryFor = [this](const std::string& url) -> Entry& {
    const auto [it, added] = m_entryIndex.emplace(url, m_entries.size());
    if (added) m_entries.push_back(Entry{url, {}, {}, false});
    return m_entries[it->second];
  };
  std::unordered_set<std::string_view> present;
  for (size_t i = 0; i < m_file.lines.size(); ++i) {
    if (m_file.lines[i].kind != NetscapeLine::Kind::Cookie) continue;
    const std::string& identity = m_identities[i];
    const auto assigned = m_assigned.empty() ? m_assigned.end() : m_assigned.find(identity);
    if (assigned != m_assigned.end()) present.insert(identity);
    entryFor(assigned != m_assigned.end() ? assigned->second : m_naturalUrls[i]).lines.push_back(i);
  }
  // Cookies gone from the file (someone else removed them) take their placement with them.
  std::erase_if(m_assigned, [&](const auto& item) { return present.count(item.first) == 0; });
  for (const std::string& empty : m_emptyEntries) entryFor(empty);
}

std::string NetscapeBackend::OwnerOf(const std::string& identity,
                                     const CookieRecord& record) const {
  const auto assigned = m_assigned.find(identity);
  const Entry* entry = FindEntry(
      assigned != m_assigned.end() ? assigned->second : EntryUrlFor(record.Host(), record.Path()));
  if (entry != nullptr) {
    for (const size_t i : entry->lines) {
      if (m_identities[i] == identity) return entry->url;
    }
  }
  return {};
}

const NetscapeBackend::Entry* NetscapeBackend::FindEntry(const std::string& url) const {
  const size_t index = EntryIndex(url);
  return index == kNoEntry ? nullptr : &m_entries[index];
}

bool NetscapeBackend::EntryFile(size_t index, std::string& bytes) const {
  bytes = Render(m_entries[index]);
  return true;
}

const std::string& NetscapeBackend::Render(const Entry& entry) const {
  if (!entry.rendered) {
    std::vector<CookieRecord> records;
    records.reserve(entry.lines.size());
    for (const size_t i : entry.lines) records.push_back(m_records[i]);
    entry.file = RenderCookieRecords(records);
    entry.rendered = true;
  }
  return entry.file;
}

UrlCacheRecord NetscapeBackend::RecordOf(const Entry& entry) const {
  UrlCacheRecord r;
  r.url = entry.url;
  r.localFile = m_location.path + "/" + FileNameFor(entry.url);
  r.type = NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY;
  r.size = Render(entry).size();
  r.modified = m_modified;
  r.sync = m_read;
  return r;
}

bool NetscapeBackend::Unchanged() {
  std::string now;
  std::string problem;
  if (!ReadRegularFile(m_location.path, now, problem)) {
    Fail(ERROR_TOLVANE_STORE_CHANGED, problem);
    return false;
  }
  if (now != m_bytes) {
    Fail(ERROR_TOLVANE_STORE_CHANGED,
         m_location.path + " changed on disk since it was read; reload to see what it holds now");
    return false;
  }
  return true;
}

bool NetscapeBackend::Write(Edit& edit) {
  const size_t count = m_file.lines.size();
  // The last line needs its end before another follows it.
  const bool endLast = edit.insertAt == count && !edit.added.empty() && count > 0 &&
                       !m_file.lines.back().raw.empty() && m_file.lines.back().raw.back() != '\n';
  auto lineAt = [&](size_t i) -> const std::string& {
    const auto replaced = edit.replaced.find(i);
    return replaced != edit.replaced.end() ? replaced->second.raw : m_file.lines[i].raw;
  };
  std::string bytes;
  bytes.reserve(m_bytes.size() + 256 * (edit.added.size() + 1));
  for (size_t i = 0; i <= count; ++i) {
    if (i == edit.insertAt) {
      for (const NetscapeLine& line : edit.added) bytes += line.raw;
    }
    if (i == count || !edit.keep[i]) continue;
    bytes += lineAt(i);
    if (endLast && i + 1 == count) bytes += m_file.eol;
  }
  std::string problem;
  if (!BackUpOnce(m_location, {m_location.path}, problem)) {
    Fail(ERROR_WRITE_FAULT,
         "no backup of " + m_location.path + " could be made, so it is not written: " + problem);
    return false;
  }
  if (!ReplaceFileAtomically(m_location.path, bytes, 0600, problem)) {
    const int error = errno;
    Fail(error == ENOSPC || error == EDQUOT                    ? ERROR_DISK_FULL
         : error == EACCES || error == EPERM || error == EROFS ? ERROR_ACCESS_DENIED
                                                               : ERROR_WRITE_FAULT,
         problem);
    return false;
  }
  struct stat st {};
  if (::stat(m_location.path.c_str(), &st) == 0) m_modified = FromTimespec(st.st_mtim);

  // What was written becomes what is known, line by line: only new lines are read again.
  NetscapeFile file;
  file.eol = m_file.eol;
  std::vector<CookieRecord> records;
  std::vector<std::string> identities, urls;
  auto adopt = [&](NetscapeLine&& line, CookieRecord&& record, std::string&& identity,
                   std::string&& url) {
    file.lines.push_back(std::move(line));
    records.push_back(std::move(record));
    identities.push_back(std::move(identity));
    urls.push_back(std::move(url));
  };
  auto adoptNew = [&](NetscapeLine&& line) {
    CookieRecord record = line.ToRecord();
    std::string identity = NetscapeIdentity(record);
    std::string url = EntryUrlFor(record.Host(), record.Path());
    adopt(std::move(line), std::move(record), std::move(identity), std::move(url));
  };
  for (size_t i = 0; i <= count; ++i) {
    if (i == edit.insertAt) {
      for (NetscapeLine& line : edit.added) adoptNew(std::move(line));
    }
    if (i == count || !edit.keep[i]) continue;
    if (const auto replaced = edit.replaced.find(i); replaced != edit.replaced.end()) {
      adoptNew(std::move(replaced->second));
    } else {
      adopt(std::move(m_file.lines[i]), std::move(m_records[i]), std::move(m_identities[i]),
            std::move(m_naturalUrls[i]));
    }
    if (endLast && i + 1 == count) file.lines.back().raw += file.eol;
  }
  m_file = std::move(file);
  m_records = std::move(records);
  m_identities = std::move(identities);
  m_naturalUrls = std::move(urls);
  m_bytes = std::move(bytes);
  return true;
}

bool NetscapeBackend::Commit(const UrlCacheRecord& record) {
  std::vector<CookieRecord> records;
  if (!TakeCommitRecords(record, records)) return false;
  if (const std::string why = ReadOnlyReason(); !why.empty()) {
    Fail(ERROR_TOLVANE_STORE_READ_ONLY, m_location.path + " cannot be written");
    return false;
  }
  if (!EnsureLoaded() || !Unchanged()) return false;

  // Every record's line first: a record the file cannot hold stops the commit before anything
  // is written.
  std::vector<NetscapeLine> lines(records.size());
  std::string problem;
  for (size_t k = 0; k < records.size(); ++k) {
    if (!NetscapeLineFromRecord(records[k], m_file.eol, lines[k], problem)) {
      Fail(ERROR_TOLVANE_COOKIE_NOT_STORABLE,
           "entry " + record.url + ", cookie \"" + records[k].name + "\": " + problem);
      return false;
    }
  }
  const Entry* entry = FindEntry(record.url);
  std::map<std::string, std::deque<size_t>> own;  // this entry's lines by identity
  if (entry != nullptr) {
    for (const size_t i : entry->lines) own[m_identities[i]].push_back(i);
  }
  for (size_t k = 0; k < records.size(); ++k) {
    const std::string identity = NetscapeIdentity(records[k]);
    if (own.count(identity) != 0) continue;
    const std::string owner = OwnerOf(identity, records[k]);
    if (!owner.empty() && owner != record.url) {
      Fail(ERROR_TOLVANE_COOKIE_OF_OTHER_ENTRY,
           "entry " + record.url + ", cookie \"" + records[k].name + "\" for " + records[k].domain +
               " belongs to entry " + owner);
      return false;
    }
  }

  Edit edit;
  edit.keep.assign(m_file.lines.size(), true);
  for (size_t k = 0; k < records.size(); ++k) {
    auto found = own.find(NetscapeIdentity(records[k]));
    if (found == own.end() || found->second.empty()) {
      edit.added.push_back(std::move(lines[k]));
      continue;
    }
    const size_t i = found->second.front();
    found->second.pop_front();
    if (m_records[i] == records[k]) continue;  // untouched: its bytes stay
    // A changed cookie keeps its place and the line ending it had.
    const std::string& old = m_file.lines[i].raw;
    const std::string ending = old.size() >= 2 && old.compare(old.size() - 2, 2, "\r\n") == 0
                                   ? "\r\n"
                               : old.back() == '\n' ? "\n"
                                                    : "";
    lines[k].raw.resize(lines[k].raw.size() - m_file.eol.size());
    lines[k].raw += ending;
    edit.replaced.emplace(i, std::move(lines[k]));
  }
  for (const auto& [identity, left] : own) {
    for (const size_t i : left) edit.keep[i] = false;
  }
  // New cookies go after the entry's last line, or at the end of the file.
  edit.insertAt = m_file.lines.size();
  if (entry != nullptr && !entry->lines.empty()) edit.insertAt = entry->lines.back() + 1;
  if (!Write(edit)) return false;

  for (const CookieRecord& r : records) {
    const std::string identity = NetscapeIdentity(r);
    NotePlaced(record.url, identity, EntryUrlFor(r.Host(), r.Path()));
  }
  NoteCommitted(record.url, records.empty());
  Regroup();
  return true;
}

bool NetscapeBackend::Delete(const std::string& url) {
  if (!EnsureLoaded()) return false;
  const Entry* entry = FindEntry(url);
  if (entry == nullptr) {
    Fail(ERROR_FILE_NOT_FOUND, "no entry " + url);
    return false;
  }
  if (!entry->lines.empty()) {
    if (!ReadOnlyReason().empty()) {
      Fail(ERROR_TOLVANE_STORE_READ_ONLY, m_location.path + " cannot be written");
      return false;
    }
    if (!Unchanged()) return false;
    Edit edit;
    edit.keep.assign(m_file.lines.size(), true);
    for (const size_t i : entry->lines) edit.keep[i] = false;
    edit.insertAt = m_file.lines.size();
    if (!Write(edit)) return false;
  }
  NoteDeleted(url);
  Regroup();
  return true;
}

std::string NetscapeBackend::CannotHold(const CookieRecord& record) const {
  NetscapeLine line;
  std::string problem;
  return NetscapeLineFromRecord(record, "\n", line, problem) ? std::string() : problem;
}

bool NetscapeBackend::Check(UrlCacheCheck& report, bool /*repair*/) {
  if (!Load()) return false;
  report.entries = int(m_entries.size());
  report.files = 1;
  for (size_t i = 0; i < m_file.lines.size(); ++i) {
    const NetscapeLine& line = m_file.lines[i];
    if (line.kind == NetscapeLine::Kind::Bad) {
      report.problems.push_back("line " + std::to_string(i + 1) + ": not a cookie (" +
                                line.problem + "); kept as it is");
    }
  }
  struct stat st {};
  if (::stat(m_location.path.c_str(), &st) == 0 && (st.st_mode & 077) != 0) {
    report.problems.push_back("file readable by others: " + m_location.path);
  }
  return true;
}

}  // namespace platform::detail
