#include "FirefoxBackend.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wininet.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <deque>
#include <unordered_set>

#include "../Internal.h"
#include "Backup.h"
#include "FirefoxProfile.h"
#include "VirtualFiles.h"
#include "platform/StoreErrors.h"

namespace platform::detail {
namespace {

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

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

std::string InUseText(pid_t holder, const std::string& folder) {
  return holder > 0
             ? "Firefox (プロセス " + std::to_string(holder) + ") がプロファイル " + folder +
                   " を使用中です。"
             : "プロファイル " + folder +
                   " のロック (.parentlock) を確かめられないため、Firefox が使用中とみなします。";
}

}  // namespace

FirefoxBackend::FirefoxBackend(StoreLocation location) : m_location(std::move(location)) {
  m_database = IsFolder(m_location.path) ? m_location.path + "/cookies.sqlite" : m_location.path;
  const size_t slash = m_database.find_last_of('/');
  m_folder = slash == 0 ? "/" : m_database.substr(0, slash);
  // Files of commits live in memory below the database file, where nothing can be on disk.
  AddVirtualRoot(m_database);
}

FirefoxBackend::~FirefoxBackend() { RemoveVirtualRoot(m_database); }

std::string FirefoxBackend::EntryUrl(const std::string& originAttributes, std::string_view host,
                                     std::string_view path) {
  std::string user = LoginName();
  if (!originAttributes.empty()) {
    user += '+';
    for (const char c : originAttributes.substr(originAttributes[0] == '^' ? 1 : 0)) {
      // The user part ends at the first '@'.
      if (c == '@') {
        user += "%40";
      } else {
        user += c;
      }
    }
  }
  std::string url;
  url.reserve(8 + user.size() + host.size() + path.size());
  url += "Cookie:";
  url += user;
  url += '@';
  url += host;
  url += path;
  return url;
}

std::string FirefoxBackend::OriginOf(const std::string& url) const {
  if (const Entry* entry = FindEntry(url)) return entry->originAttributes;
  const size_t at = url.find('@');
  const size_t colon = url.find(':');
  if (at == std::string::npos || colon == std::string::npos || colon > at) return {};
  const std::string user = url.substr(colon + 1, at - colon - 1);
  const std::string own = LoginName() + "+";
  size_t plus = user.rfind(own, 0) == 0 ? own.size() - 1 : user.find('+');
  if (plus == std::string::npos || plus + 1 >= user.size()) return {};
  return "^" + user.substr(plus + 1);
}

std::string FirefoxBackend::InUseReason() {
  const pid_t holder = FirefoxHoldingProfile(m_folder);
  return holder == 0 ? std::string() : InUseText(holder, m_folder);
}

std::string FirefoxBackend::ReadOnlyReason() {
  if (const std::string inUse = InUseReason(); !inUse.empty()) {
    return inUse + "Firefox の実行中は読み取り専用です。Firefox を終了してから再読込してください。";
  }
  if (::access(m_database.c_str(), W_OK) != 0) {
    return "ファイル " + m_database + " に書き込む権限がありません。";
  }
  // SQLite makes its journal files beside the database.
  if (::access(m_folder.c_str(), W_OK | X_OK) != 0) {
    return "フォルダー " + m_folder + " に書き込めないため、データベースを書き換えられません。";
  }
  if (m_loaded && !m_schema.WhyNotWritable().empty()) {
    return "この cookies.sqlite の形式 (スキーマ バージョン " + std::to_string(m_schema.version) +
           ") は確認されていないため、読み取り専用です。";
  }
  return {};
}

bool FirefoxBackend::Load() {
  struct stat st {};
  if (::stat(m_database.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    Fail(ERROR_FILE_NOT_FOUND, "cannot read " + m_database + ": " +
                                   (errno != 0 ? std::strerror(errno) : "not a regular file"));
    return false;
  }
  DatabaseSnapshot snapshot;
  std::string problem;
  if (!snapshot.Take(m_database, problem)) {
    Fail(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT, problem);
    return false;
  }
  sqlite3* db = nullptr;
  FirefoxSchema schema;
  // Read beside what is held, so a failed reload leaves the last good state (and m_owner's keys)
  // as they were.
  std::deque<Cookie> cookies;
  const bool read =
      sqlite3_open_v2(snapshot.Path().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK &&
      ReadFirefoxSchema(db, schema, problem) &&
      ReadFirefoxRows(
          db, schema, [&cookies](FirefoxRow&& row) { cookies.push_back(Cookie{std::move(row)}); },
          problem);
  if (!read && problem.empty()) problem = db != nullptr ? sqlite3_errmsg(db) : "no memory";
  sqlite3_close(db);
  if (!read) {
    Fail(ERROR_TOLVANE_NOT_A_STORE,
         m_database + " cannot be read as Firefox's cookies: " + problem);
    return false;
  }
  m_schema = std::move(schema);
  // A swap moves no element: the strings stay where they are. m_owner still points into the old
  // ones until Regroup, which rebuilds it before they go with `cookies`.
  m_cookies.swap(cookies);
  m_modified = FileTimeFromUnix(st.st_mtim.tv_sec);
  GetSystemTimeAsFileTime(&m_read);
  m_loaded = true;
  Regroup();
  return true;
}

FirefoxBackend::Entry& FirefoxBackend::EntryFor(const std::string& url,
                                                const std::string& originAttributes) {
  const auto [it, added] = m_entryIndex.emplace(url, m_entries.size());
  if (added) m_entries.push_back(Entry{url, originAttributes, {}});
  return m_entries[it->second];
}

void FirefoxBackend::Regroup() {
  m_entries.clear();
  m_entryIndex.clear();
  m_owner.clear();
  m_owner.reserve(m_cookies.size());
  m_alive = 0;
  std::string url;
  std::string previous;  // cookies of one entry mostly come together
  size_t entry = 0;
  const std::string prefix = "Cookie:" + LoginName();
  for (size_t i = 0; i < m_cookies.size(); ++i) {
    const Cookie& cookie = m_cookies[i];
    if (!cookie.alive) continue;
    ++m_alive;
    const FirefoxRow& row = cookie.row;
    const auto assigned =
        m_assigned.empty()
            ? m_assigned.end()
            : m_assigned.find(FirefoxIdentity(row.name, row.host, row.path, row.originAttributes));
    if (assigned != m_assigned.end()) {
      url = assigned->second;
    } else if (row.originAttributes.empty()) {
      // The same as EntryUrl, into a buffer that keeps its memory.
      url.assign(prefix);
      url += '@';
      url.append(row.host, std::min(row.host.size(), row.host.find_first_not_of('.')));
      url += row.path.empty() ? "/" : row.path;
    } else {
      const size_t start = std::min(row.host.size(), row.host.find_first_not_of('.'));
      url = EntryUrl(row.originAttributes, std::string_view(row.host).substr(start),
                     row.path.empty() ? "/" : row.path);
    }
    if (m_entries.empty() || url != previous) {
      entry = size_t(&EntryFor(url, row.originAttributes) - m_entries.data());
      previous = url;
    }
    m_entries[entry].cookies.push_back(i);
    m_owner.emplace(KeyOf(row), entry);
  }
  // Cookies gone from the file take their placement with them.
  std::erase_if(m_assigned, [&](const auto& item) {
    std::string_view parts[4];
    std::string_view text = item.first;
    for (std::string_view& part : parts) {
      const size_t tab = std::min(text.size(), text.find('\t'));
      part = text.substr(0, tab);
      text.remove_prefix(std::min(text.size(), tab + 1));
    }
    return m_owner.count(FirefoxKey{parts[0], parts[1], parts[2], parts[3]}) == 0;
  });
  for (const std::string& url : m_emptyEntries) {
    if (m_entryIndex.count(url) == 0) EntryFor(url, OriginOf(url));
  }
}

const FirefoxBackend::Entry* FirefoxBackend::FindEntry(const std::string& url) const {
  const size_t index = EntryIndex(url);
  return index == kNoEntry ? nullptr : &m_entries[index];
}

bool FirefoxBackend::EntryFile(size_t index, std::string& bytes) const {
  bytes = Render(m_entries[index]);
  return true;
}

std::string FirefoxBackend::Render(const Entry& entry) const {
  std::vector<CookieRecord> records;
  records.reserve(entry.cookies.size());
  for (const size_t i : entry.cookies) records.push_back(FirefoxRecord(m_cookies[i].row, m_schema));
  return RenderCookieRecords(records);
}

UrlCacheRecord FirefoxBackend::RecordOf(const Entry& entry) const {
  UrlCacheRecord r;
  r.url = entry.url;
  r.localFile = m_database + "/" + FileNameFor(entry.url);
  r.type = NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY;
  r.size = 0;
  for (const size_t i : entry.cookies) r.size += FirefoxRecordSize(m_cookies[i].row, m_schema);
  r.modified = m_modified;
  r.sync = m_read;
  return r;
}

bool FirefoxBackend::MayWrite() {
  if (const pid_t holder = FirefoxHoldingProfile(m_folder); holder != 0) {
    Fail(ERROR_TOLVANE_STORE_IN_USE,
         holder > 0 ? "Firefox (process " + std::to_string(holder) + ") is using the profile " +
                          m_folder + "; nothing is written while it runs"
                    : "cannot tell whether Firefox is using " + m_folder + " (.parentlock)");
    return false;
  }
  if (!EnsureLoaded()) return false;
  if (const std::string why = m_schema.WhyNotWritable(); !why.empty()) {
    Fail(ERROR_TOLVANE_STORE_UNTESTED, m_database + " is not written: " + why);
    return false;
  }
  if (!ReadOnlyReason().empty()) {
    Fail(ERROR_TOLVANE_STORE_READ_ONLY, m_database + " or its folder cannot be written");
    return false;
  }
  return true;
}

}  // namespace platform::detail
