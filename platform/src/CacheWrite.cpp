#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "Internal.h"
#include "Store.h"
#include "platform/PathText.h"

using platform::Call;
using platform::detail::Fail;
using platform::detail::OpenBackend;
using platform::detail::StoreBackend;
using platform::detail::TakeFault;

BOOL CreateUrlCacheEntryA(LPCSTR lpszUrlName, DWORD /*dwExpectedFileSize*/,
                          LPCSTR lpszFileExtension, LPSTR lpszFileName, DWORD /*dwReserved*/) {
  if (TakeFault(Call::CreateUrlCacheEntryA)) return FALSE;
  if (lpszUrlName == nullptr || *lpszUrlName == '\0' || lpszFileName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::unique_lock<std::mutex> lock;
  StoreBackend* store = OpenBackend(lock);
  std::string path;
  if (store == nullptr ||
      !store->CreateEntryFile(lpszUrlName, lpszFileExtension ? lpszFileExtension : "", path)) {
    return FALSE;
  }
  // The program's paths are CP932 (platform/PathText.h).
  const std::string name = platform::PathToProgram(path);
  if (name.size() >= MAX_PATH) {
    store->DropEntryFile(path);
    Fail(ERROR_FILENAME_EXCED_RANGE, "file name too long: " + path);
    return FALSE;
  }
  std::memcpy(lpszFileName, name.c_str(), name.size() + 1);
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
  StoreBackend* store = OpenBackend(lock);
  if (store == nullptr) return FALSE;
  platform::UrlCacheRecord record;
  record.url = lpszUrlName;
  if (lpszLocalFileName != nullptr) record.localFile = platform::PathFromProgram(lpszLocalFileName);
  record.type = CacheEntryType;
  record.expire = ExpireTime;
  record.modified = LastModifiedTime;
  GetSystemTimeAsFileTime(&record.sync);
  record.access = record.sync;
  if (dwHeaderSize > 0) {
    record.header.assign(reinterpret_cast<const char*>(lpHeaderInfo), dwHeaderSize);
  }
  if (lpszFileExtension != nullptr) record.extension = lpszFileExtension;
  return store->Commit(record) ? TRUE : FALSE;
}

BOOL DeleteUrlCacheEntry(LPCSTR lpszUrlName) {
  if (TakeFault(Call::DeleteUrlCacheEntry)) return FALSE;
  if (lpszUrlName == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::unique_lock<std::mutex> lock;
  StoreBackend* store = OpenBackend(lock);
  return store != nullptr && store->Delete(lpszUrlName) ? TRUE : FALSE;
}
