#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wininet.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "Internal.h"
#include "Store.h"

using platform::Call;
using platform::detail::Fail;
using platform::detail::TakeFault;

namespace {

constexpr size_t kMaxNameStem = 64;
constexpr int kMaxAttempts = 100000;

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
  if (!platform::detail::EnsureFolders()) return FALSE;
  const std::string folder = platform::CookieFolder() + "/";
  const std::string extension = SafeExtension(lpszFileExtension);
  const size_t suffix = 8 + extension.size() + 1;  // "[nnnnnn]" and ".ext"
  if (folder.size() + suffix + 1 >= MAX_PATH) {
    Fail(ERROR_FILENAME_EXCED_RANGE, "cookie folder path too long: " + folder);
    return FALSE;
  }
  const std::string stem =
      NameStem(lpszUrlName, std::min(kMaxNameStem, MAX_PATH - 1 - folder.size() - suffix));
  for (int n = 1; n <= kMaxAttempts; ++n) {
    std::string path = folder + stem + "[" + std::to_string(n) + "]";
    if (!extension.empty()) path += "." + extension;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      std::memcpy(lpszFileName, path.c_str(), path.size() + 1);
      return TRUE;
    }
    if (errno != EEXIST) {
      Fail(platform::detail::ErrorFromErrno(errno),
           "cannot create " + path + ": " + std::strerror(errno));
      return FALSE;
    }
  }
  Fail(ERROR_FILE_EXISTS, "no free file name for " + stem);
  return FALSE;
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
  platform::UrlCacheRecord record;
  record.url = lpszUrlName;
  if (lpszLocalFileName != nullptr && *lpszLocalFileName != '\0') {
    // Only a file the cache made may back an entry: anything else could make a later
    // delete remove a file outside the cookie folder.
    if (platform::detail::NameInCookieFolder(lpszLocalFileName).empty()) {
      Fail(ERROR_INVALID_PARAMETER,
           std::string("not a file of the cookie folder: ") + lpszLocalFileName);
      return FALSE;
    }
    struct stat st {};
    if (::lstat(lpszLocalFileName, &st) != 0 || !S_ISREG(st.st_mode)) {
      Fail(ERROR_FILE_NOT_FOUND, std::string("no such file: ") + lpszLocalFileName);
      return FALSE;
    }
    record.localFile = lpszLocalFileName;
    record.size = static_cast<uint64_t>(st.st_size);
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
  std::unique_lock<std::mutex> lock;
  platform::detail::Store* store = platform::detail::OpenStore(lock);
  return store != nullptr && store->Commit(record) ? TRUE : FALSE;
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
