#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "Internal.h"
#include "Store.h"

using platform::Call;
using platform::detail::Fail;
using platform::detail::TakeFault;

namespace {

constexpr size_t kMaxNameStem = 64;
constexpr size_t kNumberLength = 22;  // "[" and 20 digits and "]"

// A file name stem from a URL name: its site part, restricted to bytes that mean nothing to a
// file system. No separator, no "..", no control byte, bounded length.
std::string NameStem(const std::string& url, size_t limit) {
  size_t start = url.find('@');
  if (start == std::string::npos) start = url.find(':');
  std::string site = start == std::string::npos ? url : url.substr(start + 1);
  std::string stem;
  for (const char c : site) {
    if (stem.size() >= limit) break;
    const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || (c == '.' && !stem.empty() && stem.back() != '.');
    stem += safe ? c : '_';
  }
  return stem.empty() ? std::string("cookie") : stem;
}

std::string SafeExtension(const char* extension) {
  std::string out;
  for (const char* p = extension; p != nullptr && *p != '\0' && out.size() < 8; ++p) {
    if ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z') || (*p >= '0' && *p <= '9')) {
      out += *p;
    }
  }
  return out;
}

}  // namespace

BOOL CreateUrlCacheEntryA(LPCSTR lpszUrlName, DWORD /*dwExpectedFileSize*/,
                          LPCSTR lpszFileExtension, LPSTR lpszFileName, DWORD /*dwReserved*/) {
  if (TakeFault(Call::CreateUrlCacheEntryA)) return FALSE;
  if (lpszUrlName == nullptr || *lpszUrlName == '\0' || lpszFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::unique_lock<std::mutex> lock;
  platform::detail::Store* store = platform::detail::OpenStore(lock);
  if (store == nullptr) return FALSE;
  const std::string folder = platform::CookieFolder() + "/";
  const std::string extension = SafeExtension(lpszFileExtension);
  const size_t suffix = kNumberLength + extension.size() + 1;  // "[n]" and ".ext"
  if (folder.size() + suffix + 1 >= MAX_PATH) {
    Fail(ERROR_FILENAME_EXCED_RANGE, "cookie folder path too long: " + folder);
    return FALSE;
  }
  const std::string stem =
      NameStem(lpszUrlName, std::min(kMaxNameStem, MAX_PATH - 1 - folder.size() - suffix));
  std::string name;
  if (!store->NewFile(stem, extension, name)) return FALSE;
  const std::string path = folder + name;
  std::memcpy(lpszFileName, path.c_str(), path.size() + 1);
  return TRUE;
}

BOOL CommitUrlCacheEntryA(LPCSTR lpszUrlName, LPCSTR lpszLocalFileName, FILETIME ExpireTime,
                          FILETIME LastModifiedTime, DWORD CacheEntryType, LPBYTE lpHeaderInfo,
                          DWORD dwHeaderSize, LPCSTR lpszFileExtension,
                          LPCSTR /*lpszOriginalUrl*/) {
  if (TakeFault(Call::CommitUrlCacheEntryA)) return FALSE;
  if (lpszUrlName == nullptr || *lpszUrlName == '\0' ||
      (lpHeaderInfo == nullptr && dwHeaderSize > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::unique_lock<std::mutex> lock;
  platform::detail::Store* store = platform::detail::OpenStore(lock);
  if (store == nullptr) return FALSE;
  platform::UrlCacheRecord record;
  record.url = lpszUrlName;
  std::string file;
  // Only a file the cache made may back an entry: anything else could make a later delete
  // remove a file outside the cookie folder.
  if (lpszLocalFileName != nullptr && *lpszLocalFileName != '\0' &&
      !platform::detail::CookieFileName(lpszLocalFileName, file)) {
    Fail(ERROR_INVALID_PARAMETER,
         std::string("not a file of the cookie folder: ") + lpszLocalFileName);
    return FALSE;
  }
  record.type = CacheEntryType;
  record.expire = ExpireTime;
  record.modified = LastModifiedTime;
  GetSystemTimeAsFileTime(&record.sync);
  record.access = record.sync;
  if (dwHeaderSize > 0) {
    record.header.assign(reinterpret_cast<const char*>(lpHeaderInfo), dwHeaderSize);
  }
  if (lpszFileExtension != nullptr) record.extension = lpszFileExtension;
  return store->Commit(record, file) ? TRUE : FALSE;
}

BOOL DeleteUrlCacheEntry(LPCSTR lpszUrlName) {
  if (TakeFault(Call::DeleteUrlCacheEntry)) return FALSE;
  if (lpszUrlName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::unique_lock<std::mutex> lock;
  platform::detail::Store* store = platform::detail::OpenStore(lock);
  return store != nullptr && store->Delete(lpszUrlName) ? TRUE : FALSE;
}
