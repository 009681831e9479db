// A URL cache store in a fresh temporary folder for one test: the platform layer points at it
// while the object lives, and the folder is removed afterwards. Faults and probes are cleared
// on both ends so one test's injections never reach the next.
#pragma once

#include <wininet.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/Faults.h"
#include "platform/UrlCacheStore.h"

namespace tolvane::test {

class TempStore {
 public:
  TempStore() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/tolvane-store-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();  // no store, no test
    m_root = pattern;
    platform::ClearFaults();
    platform::SetCommitProbe({});
    platform::SetUrlCacheRoot(m_root);
  }
  ~TempStore() {
    platform::ClearFaults();
    platform::SetCommitProbe({});
    platform::SetUrlCacheRoot("");
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
  }
  TempStore(const TempStore&) = delete;
  TempStore& operator=(const TempStore&) = delete;

  const std::string& Root() const { return m_root; }
  std::string CookieFolder() const { return platform::CookieFolder(); }

  // Adds (or replaces) an entry the way a program would: a new cache file holding `bytes`,
  // committed under `url`. Returns the local file, or "" when a call failed (last error set).
  std::string AddEntry(const std::string& url, const std::string& bytes,
                       DWORD type = NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY,
                       const std::string& header = {}, FILETIME expire = {},
                       FILETIME modified = {}) const {
    char file[MAX_PATH] = {};
    if (!CreateUrlCacheEntryA(url.c_str(), 0, "TXT", file, 0)) return {};
    HANDLE handle = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_ARCHIVE, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return {};
    DWORD written = 0;
    const bool wrote =
        bytes.empty() ||
        (WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size());
    if (!CloseHandle(handle) || !wrote) return {};
    std::string headerBytes = header;
    if (!CommitUrlCacheEntryA(url.c_str(), file, expire, modified, type,
                              reinterpret_cast<LPBYTE>(headerBytes.data()),
                              static_cast<DWORD>(headerBytes.size()), nullptr, url.c_str())) {
      return {};
    }
    return file;
  }

 private:
  std::string m_root;
};

}  // namespace tolvane::test
