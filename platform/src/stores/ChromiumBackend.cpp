#include "ChromiumBackend.h"

#include <sys/stat.h>
#include <unistd.h>
#include <wininet.h>

#include <algorithm>
#include <unordered_set>

#include "../Internal.h"
#include "ChromiumSecret.h"
#include "VirtualFiles.h"
#include "platform/StoreErrors.h"

namespace platform::detail {
namespace {

constexpr int kTestedVersions[] = {24};
// From version 24 the plaintext starts with SHA-256 of the row's host_key.
constexpr int kHostHashVersion = 24;

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

std::string Folder(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool ChromiumBackend::VersionTested(int version) {
  for (const int tested : kTestedVersions) {
    if (version == tested) return true;
  }
  return false;
}

ChromiumBackend::ChromiumBackend(StoreLocation location)
    : m_location(std::move(location)), m_place(LocateChromiumProfile(m_location.path)) {
  AddVirtualRoot(m_place.cookies);
}

ChromiumBackend::~ChromiumBackend() { RemoveVirtualRoot(m_place.cookies); }

std::string ChromiumBackend::ReadOnlyReason() {
  if (std::string running = ChromiumRunning(m_place); !running.empty()) {
    return running + " ブラウザーの終了後に書き込めます。";
  }
  // Asked at any time (the window's title): a file that cannot be read leaves the last error.
  const DWORD error = GetLastError();
  const bool loaded = EnsureLoaded();
  SetLastError(error);
  if (loaded && !VersionTested(m_table.version)) {
    return "Cookies ファイルの形式 (バージョン " + std::to_string(m_table.version) +
           ") は確認されていないため、書き込めません。";
  }
  if (::access(m_place.cookies.c_str(), W_OK) != 0) {
    return "ファイル " + m_place.cookies + " に書き込む権限がありません。";
  }
  // SQLite writes its journal beside the file.
  if (::access(Folder(m_place.cookies).c_str(), W_OK | X_OK) != 0) {
    return "フォルダー " + Folder(m_place.cookies) + " に書き込めません。";
  }
  return {};
}

const ChromiumCipher* ChromiumBackend::V11Cipher(const ChromiumRow& sample) {
  if (m_v11Asked) return m_v11.get();
  m_v11Asked = true;
  m_v11Problem = "no Secret Service gave the browser's password";
  const std::string_view body = std::string_view(sample.encrypted).substr(3);
  for (const std::string& application : m_place.applications) {
    const std::optional<std::string> password = BrowserPassword(application);
    if (!password) continue;
    auto cipher = std::make_unique<ChromiumCipher>(*password);
    std::string plain;
    // A wrong key almost always fails the padding; from version 24 the host check settles it.
    if (cipher->Decrypt(body, plain) &&
        (m_table.version < kHostHashVersion || plain.rfind(HostHash(sample.hostKey), 0) == 0)) {
      m_v11 = std::move(cipher);
      m_v11Problem.clear();
      return m_v11.get();
    }
    m_v11Problem = "the Secret Service's password does not decrypt the values";
  }
  return nullptr;
}

void ChromiumBackend::Decrypt(ChromiumRow& row) {
  row.readable = true;
  if (row.encrypted.empty()) {
    row.scheme = ChromiumRow::Scheme::Plain;
    row.plain = row.value;
    return;
  }
  const std::string_view tag = std::string_view(row.encrypted).substr(0, 3);
  const ChromiumCipher* cipher = nullptr;
  if (tag == "v10") {
    row.scheme = ChromiumRow::Scheme::V10;
    cipher = &m_v10;
  } else if (tag == "v11") {
    row.scheme = ChromiumRow::Scheme::V11;
    cipher = V11Cipher(row);
  } else {
    row.scheme = ChromiumRow::Scheme::Other;
  }
  if (cipher == nullptr || !cipher->Decrypt(std::string_view(row.encrypted).substr(3), row.plain)) {
    row.readable = false;
    row.plain.clear();
    return;
  }
  if (m_table.version >= kHostHashVersion) {
    const std::string& hash = HostHash(row.hostKey);
    if (row.plain.compare(0, hash.size(), hash) != 0) {
      row.readable = false;  // the browser drops such a row, and its whole site with it
      row.plain.clear();
      return;
    }
    row.plain.erase(0, hash.size());
  }
}

const std::string& ChromiumBackend::HostHash(const std::string& hostKey) const {
  if (m_hostHash.empty() || hostKey != m_hashedHost) {
    m_hashedHost = hostKey;
    m_hostHash = Sha256(hostKey);
  }
  return m_hostHash;
}

std::string ChromiumBackend::Note(const ChromiumRow& row) const {
  if (row.readable) return {};
  if (row.scheme == ChromiumRow::Scheme::V11 && m_v11 == nullptr) {
    return "[locked: v11 value, no key from the Secret Service]";
  }
  if (row.scheme == ChromiumRow::Scheme::Other) return "[unreadable: unknown encryption]";
  return "[unreadable: the value does not decrypt]";
}

bool ChromiumBackend::Encrypt(ChromiumRow& row, ChromiumRow::Scheme scheme) const {
  row.scheme = scheme;
  if (scheme == ChromiumRow::Scheme::Plain) {
    row.value = row.plain;
    row.encrypted.clear();
    return true;
  }
  const ChromiumCipher* cipher = scheme == ChromiumRow::Scheme::V10   ? &m_v10
                                 : scheme == ChromiumRow::Scheme::V11 ? m_v11.get()
                                                                      : nullptr;
  std::string body;
  const std::string plain =
      (m_table.version >= kHostHashVersion ? HostHash(row.hostKey) : std::string()) + row.plain;
  if (cipher == nullptr || !cipher->Encrypt(plain, body)) return false;
  row.encrypted = (scheme == ChromiumRow::Scheme::V10 ? "v10" : "v11") + body;
  row.value.clear();  // the browser refuses a row with both
  return true;
}

ChromiumRow::Scheme ChromiumBackend::SchemeForNew() const {
  size_t plain = 0, v10 = 0, v11 = 0;
  for (const ChromiumRow& row : m_table.rows) {
    plain += row.scheme == ChromiumRow::Scheme::Plain;
    v10 += row.scheme == ChromiumRow::Scheme::V10;
    v11 += row.scheme == ChromiumRow::Scheme::V11;
  }
  if (v11 > v10 && v11 > plain && m_v11 != nullptr) return ChromiumRow::Scheme::V11;
  if (plain > v10 && plain > v11) return ChromiumRow::Scheme::Plain;
  return ChromiumRow::Scheme::V10;
}

bool ChromiumBackend::Load() {
  DWORD error = 0;
  std::string problem;
  ChromiumTable table;
  if (!ReadChromiumTable(m_place.cookies, table, error, problem)) {
    Fail(error, problem);
    return false;
  }
  m_table = std::move(table);
  for (ChromiumRow& row : m_table.rows) Decrypt(row);
  GetSystemTimeAsFileTime(&m_read);
  m_loaded = true;
  Regroup();
  return true;
}

void ChromiumBackend::Regroup() {
  m_entries.clear();
  m_entryIndex.clear();
  m_owner.clear();
  auto entryFor = [this](const std::string& url) -> Entry& {
    const auto [it, added] = m_entryIndex.emplace(url, m_entries.size());
    if (added) m_entries.push_back(Entry{url, {}, std::nullopt});
    return m_entries[it->second];
  };
  m_owner.reserve(m_table.rows.size());
  std::unordered_set<std::string> present;
  for (size_t i = 0; i < m_table.rows.size(); ++i) {
    const ChromiumRow& row = m_table.rows[i];
    std::string identity = row.Identity();
    const auto assigned = m_assigned.find(identity);
    const size_t start = row.hostKey.find_first_not_of('.');
    const std::string host = start == std::string::npos ? std::string() : row.hostKey.substr(start);
    Entry& entry =
        entryFor(assigned != m_assigned.end() ? assigned->second : EntryUrlFor(host, row.path));
    entry.rows.push_back(i);
    if (!m_assigned.empty()) present.insert(identity);
    m_owner.emplace(std::move(identity), size_t(&entry - m_entries.data()));
  }
  std::erase_if(m_assigned, [&](const auto& item) { return present.count(item.first) == 0; });
  for (const std::string& url : m_emptyEntries) entryFor(url);
}

const ChromiumBackend::Entry* ChromiumBackend::FindEntry(const std::string& url) const {
  const size_t index = EntryIndex(url);
  return index == kNoEntry ? nullptr : &m_entries[index];
}

bool ChromiumBackend::EntryFile(size_t index, std::string& bytes) const {
  bytes = Render(m_entries[index]);
  return true;
}

// An entry's file is asked for twice (its size in the listing, then its bytes): made once.
const std::string& ChromiumBackend::Render(const Entry& entry) const {
  if (!entry.rendered) {
    std::vector<CookieRecord> records;
    records.reserve(entry.rows.size());
    for (const size_t i : entry.rows) {
      records.push_back(ChromiumRecordOf(m_table.rows[i], Note(m_table.rows[i])));
    }
    entry.rendered = RenderCookieRecords(records);
  }
  return *entry.rendered;
}

UrlCacheRecord ChromiumBackend::RecordOf(const Entry& entry) const {
  UrlCacheRecord r;
  r.url = entry.url;
  r.localFile = m_place.cookies + "/" + FileNameFor(entry.url);
  r.type = NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY;
  r.size = Render(entry).size();
  int64_t newest = 0;
  for (const size_t i : entry.rows) newest = std::max(newest, m_table.rows[i].lastUpdate);
  r.modified = FileTimeFromChromium(newest);
  r.sync = m_read;
  return r;
}

std::string ChromiumBackend::CannotHold(const CookieRecord& record) const {
  return ChromiumCannotHold(record);
}

bool ChromiumBackend::Check(UrlCacheCheck& report, bool /*repair*/) {
  if (!Load()) return false;
  report.entries = int(m_entries.size());
  report.files = 1;
  size_t locked = 0;
  for (const ChromiumRow& row : m_table.rows) {
    if (row.readable) continue;
    if (++locked <= 20) {
      report.problems.push_back("cookie \"" + row.name + "\" for " + row.hostKey + row.path + ": " +
                                Note(row) + "; kept as it is");
    }
  }
  if (locked > 20) {
    report.problems.push_back(std::to_string(locked - 20) + " more cookies cannot be decrypted");
  }
  if (!VersionTested(m_table.version)) {
    report.problems.push_back("Cookies database version " + std::to_string(m_table.version) +
                              " was not proven with the browser; it is not written");
  }
  struct stat st {};
  if (::stat(m_place.cookies.c_str(), &st) == 0 && (st.st_mode & 077) != 0) {
    report.problems.push_back("file readable by others: " + m_place.cookies);
  }
  report.readOnly = !ReadOnlyReason().empty();
  return true;
}

}  // namespace platform::detail
