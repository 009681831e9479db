// A Firefox profile in a fresh temporary folder, in use as the store while the object lives,
// with its backups kept inside it; and reading and committing entries through the URL cache
// calls as a program does.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <wininet.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/CookieRecord.h"
#include "platform/Faults.h"
#include "platform/StoreLocation.h"
#include "platform/UrlCacheStore.h"
#include "support/FirefoxDb.h"
#include "support/KindStore.h"

namespace tolvane::test {

class FirefoxProfileStore {
 public:
  FirefoxProfileStore() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tolvane-ff-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    m_folder = pattern;
    m_profile = m_folder + "/profile";
    std::filesystem::create_directory(m_profile);
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr) m_oldState = state;
    ::setenv("XDG_STATE_HOME", (m_folder + "/state").c_str(), 1);
    platform::ClearFaults();
  }
  ~FirefoxProfileStore() {
    platform::SetStoreLocation("");
    if (m_oldState.empty()) {
      ::unsetenv("XDG_STATE_HOME");
    } else {
      ::setenv("XDG_STATE_HOME", m_oldState.c_str(), 1);
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }
  FirefoxProfileStore(const FirefoxProfileStore&) = delete;
  FirefoxProfileStore& operator=(const FirefoxProfileStore&) = delete;

  const std::string& Folder() const { return m_folder; }
  const std::string& Profile() const { return m_profile; }
  std::string Database() const { return m_profile + "/cookies.sqlite"; }

  /** Makes the database and makes the profile the store in use. */
  bool Make(int version, const std::string& table = "") {
    if (!MakeFirefoxDb(Database(), version, table)) return false;
    Use();
    return true;
  }
  void Use() const { platform::SetStoreLocation(m_profile); }

  /** The database file's bytes, and its WAL's after a NUL ("" when there is none). */
  std::string Bytes() const { return Read(Database()) + '\0' + Read(Database() + "-wal"); }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

  /** An entry's records as the stream gives them. */
  static std::vector<platform::CookieRecord> Records(const std::string& url) {
    std::vector<platform::CookieRecord> records;
    std::string problem;
    platform::ParseCookieRecords(KindStore::Stream(url), records, problem);
    return records;
  }

  /** Commits an entry of these records, as the catalogue does. */
  static bool Commit(const std::string& url, const std::vector<platform::CookieRecord>& records) {
    char file[MAX_PATH] = {};
    if (!CreateUrlCacheEntryA(url.c_str(), 0, "TXT", file, 0)) return false;
    HANDLE handle = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const std::string bytes = platform::RenderCookieRecords(records);
    DWORD written = 0;
    const bool wrote =
        bytes.empty() || WriteFile(handle, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    if (!CloseHandle(handle) || !wrote) return false;
    if (CommitUrlCacheEntryA(url.c_str(), file, {}, {}, NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY,
                             nullptr, 0, nullptr, url.c_str()) == TRUE) {
      return true;
    }
    const DWORD error = GetLastError();
    DeleteFileA(file);
    SetLastError(error);
    return false;
  }

  /** Every entry's URL under the "cookie:" pattern, sorted. */
  static std::vector<std::string> Urls() {
    std::vector<platform::UrlCacheRecord> records;
    std::vector<std::string> urls;
    if (!platform::ListUrlCacheEntries(records)) return {"<cannot list>"};
    for (const platform::UrlCacheRecord& record : records) urls.push_back(record.url);
    std::sort(urls.begin(), urls.end());
    return urls;
  }

 private:
  std::string m_folder;
  std::string m_profile;
  std::string m_oldState;
};

}  // namespace tolvane::test
