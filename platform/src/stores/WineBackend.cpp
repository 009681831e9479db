#include "WineBackend.h"

#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wininet.h>

#include <cerrno>
#include <cstring>
#include <unordered_set>

#include "../Internal.h"
#include "AtomicFile.h"
#include "VirtualFiles.h"
#include "platform/StoreErrors.h"

namespace platform::detail {
namespace {

constexpr off_t kMaxIndexSize = off_t(32) << 20;  // beyond the largest index Wine makes
constexpr off_t kMaxCookieFile = off_t(16) << 20;

// A file name of the cookie folder: plain, so that no index can lead a read elsewhere.
bool PlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\\') == std::string::npos;
}

}  // namespace

WineBackend::WineBackend(StoreLocation location, WinePlace place)
    : m_location(std::move(location)), m_place(std::move(place)) {
  m_user = m_place.user.empty() ? LoginName() : m_place.user;
  // Cookie files shown to the model live under index.dat, where nothing exists on disk: the
  // model's own file calls on them never reach Wine's files.
  AddVirtualRoot(m_place.IndexPath());
}

WineBackend::~WineBackend() { RemoveVirtualRoot(m_place.IndexPath()); }

std::string WineBackend::InUseReason() {
  if (m_place.prefix.empty()) return {};
  const std::string running = WineServerRunning(m_place.prefix);
  if (running.empty()) return {};
  return "Wine のプレフィックス " + m_place.prefix +
         " の wineserver が動いているため、書き込めません (Windows のプログラムを終え、"
         "wineserver -k などで止めてから開き直してください)。";
}

std::string WineBackend::ReadOnlyReason() {
  if (m_place.prefix.empty()) {
    return "この index.dat は Wine のプレフィックスの中にないため、Wine が使っているかを確かめ"
           "られません。読み取り専用です。";
  }
  if (std::string inUse = InUseReason(); !inUse.empty()) return inUse;
  if (!m_loaded) Load();
  if (m_loaded && m_indexPresent && !m_index.WriteProblem().empty()) {
    return m_place.IndexPath() + " には Tolvane で試していない形 (" + m_index.WriteProblem() +
           ") があるため、書き込みません。";
  }
  // A commit writes new files into the cookie folder and replaces index.dat there.
  std::string folder = m_place.cookieFolder;
  while (::access(folder.c_str(), F_OK) != 0 && folder.find('/') != std::string::npos) {
    folder = folder.substr(0, folder.find_last_of('/'));
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0 ||
      (m_indexPresent && ::access(m_place.IndexPath().c_str(), W_OK) != 0)) {
    return "フォルダー " + folder + " に書き込む権限がありません。";
  }
  return {};
}

std::string WineBackend::FilePath(const WineEntry& entry) const {
  return m_place.cookieFolder + "/" + entry.localName;
}

bool WineBackend::ReadIndex(std::string& bytes, bool& present) {
  const std::string path = m_place.IndexPath();
  struct stat st {};
  present = ::lstat(path.c_str(), &st) == 0;
  if (!present) {
    if (errno == ENOENT || errno == ENOTDIR) return true;  // no cookie saved yet
    Fail(ERROR_ACCESS_DENIED, "cannot read " + path + ": " + std::strerror(errno));
    return false;
  }
  if (!S_ISREG(st.st_mode) || st.st_size > kMaxIndexSize) {
    Fail(ERROR_TOLVANE_NOT_A_STORE, path + " is not an index Wine makes");
    return false;
  }
  std::string problem;
  if (!ReadRegularFile(path, bytes, problem)) {
    Fail(errno == EACCES ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT, problem);
    return false;
  }
  return true;
}

bool WineBackend::Load() {
  m_loaded = false;
  std::string bytes;
  bool present = false;
  if (!ReadIndex(bytes, present)) return false;
  m_indexPresent = present;
  m_indexBytes = bytes;
  m_index = WineIndex{};
  if (present) {
    std::string problem;
    WineIndex::Fault fault = WineIndex::Fault::None;
    if (!m_index.Parse(std::move(bytes), problem, &fault)) {
      Fail(fault == WineIndex::Fault::Untested  ? ERROR_TOLVANE_STORE_UNTESTED
           : fault == WineIndex::Fault::Foreign ? ERROR_TOLVANE_NOT_A_STORE
                                                : ERROR_INVALID_DATA,
           m_place.IndexPath() + ": " + problem);
      return false;
    }
  }
  m_stored.clear();
  for (const WineEntry& entry : m_index.Entries()) {
    Stored stored;
    stored.entry = entry;
    struct stat st {};
    std::string problem;
    if (PlainName(entry.localName) && ::lstat(FilePath(entry).c_str(), &st) == 0 &&
        S_ISREG(st.st_mode) && st.st_size <= kMaxCookieFile &&
        ReadRegularFile(FilePath(entry), stored.bytes, problem)) {
      stored.readable = ParseCookieRecords(stored.bytes, stored.records, problem);
    }
    m_stored.push_back(std::move(stored));
  }
  // URLs carry the name Wine gave the user, which the entries show best.
  for (const Stored& stored : m_stored) {
    const std::string& url = stored.entry.url;
    const size_t at = url.find('@');
    if (strncasecmp(url.c_str(), "Cookie:", 7) == 0 && at != std::string::npos && at > 7) {
      m_user = url.substr(7, at - 7);
      break;
    }
  }
  Regroup();
  m_loaded = true;
  return true;
}

std::string WineBackend::Identity(const std::string& storedUrl, const std::string& name) const {
  // Wine tells a site's cookies apart by name, ignoring case.
  std::string lower = name;
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  return storedUrl + '\t' + lower;
}

void WineBackend::Regroup() {
  m_shown.clear();
  m_entryIndex.clear();
  m_owner.clear();
  auto shownFor = [this](const std::string& url) -> Shown& {
    const auto [it, added] = m_entryIndex.emplace(url, m_shown.size());
    if (added) m_shown.push_back(Shown{url, {}, FindStored(url)});
    return m_shown[it->second];
  };
  std::unordered_set<std::string> present;
  for (size_t s = 0; s < m_stored.size(); ++s) {
    const Stored& stored = m_stored[s];
    // An entry whose cookies all show under a copy's name is not shown empty beside it.
    if (!stored.readable || stored.records.empty()) {
      shownFor(stored.entry.url);
      continue;
    }
    for (size_t r = 0; r < stored.records.size(); ++r) {
      const std::string identity = Identity(stored.entry.url, stored.records[r].name);
      present.insert(identity);
      const auto assigned = m_assigned.find(identity);
      Shown& shown = shownFor(assigned != m_assigned.end() ? assigned->second : stored.entry.url);
      shown.cookies.emplace_back(s, r);
      m_owner.emplace(identity, shown.url);
    }
  }
  std::erase_if(m_assigned, [&](const auto& item) { return present.count(item.first) == 0; });
  for (const std::string& url : m_emptyEntries) shownFor(url);
  // Entries of copies, shown under a name Wine never reads, have no stored entry of their own.
  for (Shown& shown : m_shown) shown.home = FindStored(shown.url);
}

const WineBackend::Shown* WineBackend::FindShown(const std::string& url) const {
  const size_t index = EntryIndex(url);
  return index == kNoEntry ? nullptr : &m_shown[index];
}

bool WineBackend::EntryFile(size_t index, std::string& bytes) const {
  const Shown& shown = m_shown[index];
  if (shown.home != nullptr && !shown.home->readable && shown.home->bytes.empty()) {
    Fail(ERROR_FILE_NOT_FOUND,
         "entry " + shown.url + ": its file " + FilePath(shown.home->entry) + " cannot be read");
    return false;
  }
  bytes = Render(shown);
  return true;
}

const WineBackend::Stored* WineBackend::FindStored(const std::string& url) const {
  for (const Stored& stored : m_stored) {
    if (stored.entry.url == url) return &stored;
  }
  return nullptr;
}

std::string WineBackend::Render(const Shown& shown) const {
  if (shown.home != nullptr && !shown.home->readable) return shown.home->bytes;
  std::vector<CookieRecord> records;
  records.reserve(shown.cookies.size());
  for (const auto& [s, r] : shown.cookies) records.push_back(m_stored[s].records[r]);
  return RenderRecords(records);
}

std::string WineBackend::RenderRecords(const std::vector<CookieRecord>& records) {
  // Wine writes its numbers unsigned; so do we, so that its files read back byte for byte.
  std::string out;
  for (const CookieRecord& c : records) {
    out += c.name + '\n' + c.value + '\n' + c.domain + '\n';
    for (const DWORD n : {c.flags, c.expire.dwLowDateTime, c.expire.dwHighDateTime,
                          c.second.dwLowDateTime, c.second.dwHighDateTime}) {
      out += std::to_string(n) + '\n';
    }
    out += c.terminator + '\n';
  }
  return out;
}

UrlCacheRecord WineBackend::RecordOf(const Shown& shown) const {
  UrlCacheRecord r;
  r.url = shown.url;
  r.type = COOKIE_CACHE_ENTRY;
  std::string name = "copy-" + std::to_string(m_entryIndex.at(shown.url)) + ".txt";
  if (shown.home != nullptr) {
    const WineEntry& e = shown.home->entry;
    if (PlainName(e.localName)) name = e.localName;
    r.type = e.type;
    r.modified = e.modified;
    r.access = e.access;
    r.expire = e.expire;
    r.sync = e.sync;
    r.hitRate = e.hitRate;
    r.useCount = e.useCount;
    r.exemptDelta = e.exemptDelta;
    r.extension = "txt";
  }
  r.localFile = m_place.IndexPath() + "/" + name;
  r.size = Render(shown).size();
  return r;
}

std::string WineBackend::CannotHold(const CookieRecord& record) const {
  if ((record.flags & kCookieBitSession) != 0 ||
      (record.expire.dwLowDateTime == 0 && record.expire.dwHighDateTime == 0)) {
    return "Wine keeps only cookies with an expiry date; it drops session cookies";
  }
  if (record.Host().empty()) return "the cookie names no host";
  return {};
}

std::string WineBackend::EntryUrlFor(const std::string& host, const std::string& path) const {
  // Wine files a site's cookies under its path in lower case.
  std::string lower = path;
  for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
  return "Cookie:" + m_user + "@" + host + lower;
}

bool WineBackend::Check(UrlCacheCheck& report, bool /*repair*/) {
  if (!Load()) return false;
  report.entries = int(m_shown.size());
  report.files = int(m_stored.size()) + (m_indexPresent ? 1 : 0);
  report.readOnly = !ReadOnlyReason().empty();
  for (const Stored& stored : m_stored) {
    const std::string entry = "entry " + stored.entry.url + ": ";
    if (!PlainName(stored.entry.localName)) {
      report.problems.push_back(entry + "its file name \"" + stored.entry.localName +
                                "\" is not a plain name; not read");
    } else if (stored.bytes.empty() && !stored.readable) {
      report.problems.push_back(entry + "file missing: " + FilePath(stored.entry));
    } else if (!stored.readable) {
      report.problems.push_back(entry + "its file does not hold whole nine-line records");
    } else if (stored.bytes.size() != stored.entry.size) {
      report.problems.push_back(entry + "size " + std::to_string(stored.entry.size) +
                                " but the file has " + std::to_string(stored.bytes.size()));
    }
  }
  if (!m_index.WriteProblem().empty()) {
    report.problems.push_back("not written by Tolvane: " + m_index.WriteProblem());
  }
  report.repairs.push_back(
      "note: index.dat keeps expiry and sync times as DOS dates, in steps of 2 seconds");
  return true;
}

}  // namespace platform::detail
