#include <wininet.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "CacheRecord.h"
#include "Internal.h"
#include "Store.h"

using platform::Call;
using platform::UrlCacheRecord;
using platform::detail::AddHandle;
using platform::detail::Fail;
using platform::detail::FindHandleAs;
using platform::detail::OpenBackend;
using platform::detail::StoreBackend;
using platform::detail::TakeFault;
using platform::detail::TakeHandleAs;

namespace {

class FindHandle final : public platform::detail::HandleObject {
 public:
  static constexpr Kind kKind = Kind::Find;
  FindHandle() : HandleObject(kKind) {}
  std::vector<UrlCacheRecord> records;
  size_t next = 0;
};

class StreamHandle final : public platform::detail::HandleObject {
 public:
  static constexpr Kind kKind = Kind::Stream;
  StreamHandle() : HandleObject(kKind) {}
  std::string bytes;
};

bool MissingArgument(bool missing) {
  if (missing) SetLastError(ERROR_INVALID_PARAMETER);
  return missing;
}

// A retrieve: the sizing check first, so a call that only asks the size counts no hit.
// Open enumerations: while one is open, hits are written in batches (see Store::Hit).
std::atomic<int> g_openFinds{0};

// The file name of a record's local file (a path into the cookie folder).
std::string FileNameOf(const UrlCacheRecord& record) {
  return record.localFile.substr(record.localFile.find_last_of('/') + 1);
}

// With `bytes`, the entry's file is read too, under the same lock. A commit elsewhere can
// replace the file between the record and the read: the record is then read again.
bool RetrieveRecord(LPCSTR url, LPINTERNET_CACHE_ENTRY_INFOA info, LPDWORD size,
                    UrlCacheRecord& record, std::string* bytes = nullptr) {
  constexpr int kAttempts = 50;
  if (MissingArgument(url == nullptr || size == nullptr)) return false;
  std::unique_lock<std::mutex> lock;
  StoreBackend* store = OpenBackend(lock);
  if (store == nullptr || !store->Peek(url, record)) return false;
  if (platform::detail::RecordSize(record) > *size || info == nullptr) {
    return platform::detail::PackRecord(record, info, size);  // fails with 122
  }
  for (int attempt = 1; bytes != nullptr; ++attempt) {
    if (record.localFile.empty()) {
      Fail(ERROR_FILE_NOT_FOUND, "entry " + record.url + " has no file");
      return false;
    }
    const std::string name = FileNameOf(record);
    if (store->ReadEntryFile(record, *bytes)) break;
    const DWORD error = GetLastError();
    const std::string detail = platform::LastUrlCacheErrorDetail();
    if (error != ERROR_FILE_NOT_FOUND || attempt == kAttempts || !store->Peek(url, record) ||
        FileNameOf(record) == name) {
      Fail(error, detail);
      return false;
    }
  }
  return store->Hit(url, record, g_openFinds.load() > 0) &&
         platform::detail::PackRecord(record, info, size);
}

}  // namespace

HANDLE FindFirstUrlCacheEntryA(LPCSTR lpszUrlSearchPattern,
                               LPINTERNET_CACHE_ENTRY_INFOA lpFirstCacheEntryInfo,
                               LPDWORD lpcbCacheEntryInfo) {
  if (TakeFault(Call::FindFirstUrlCacheEntryA)) return nullptr;
  if (MissingArgument(lpcbCacheEntryInfo == nullptr)) return nullptr;
  auto find = std::make_unique<FindHandle>();
  {
    std::unique_lock<std::mutex> lock;
    StoreBackend* store = OpenBackend(lock);
    if (store == nullptr || !store->List(find->records)) return nullptr;
  }
  std::erase_if(find->records, [&](const UrlCacheRecord& r) {
    return !platform::detail::MatchesPattern(r.url, lpszUrlSearchPattern);
  });
  if (find->records.empty()) {
    Fail(ERROR_NO_MORE_ITEMS, "no entry matches");
    return nullptr;
  }
  if (!platform::detail::PackRecord(find->records.front(), lpFirstCacheEntryInfo,
                                    lpcbCacheEntryInfo)) {
    return nullptr;
  }
  find->next = 1;
  ++g_openFinds;
  return AddHandle(std::move(find));
}

BOOL FindNextUrlCacheEntryA(HANDLE hEnumHandle, LPINTERNET_CACHE_ENTRY_INFOA lpNextCacheEntryInfo,
                            LPDWORD lpcbCacheEntryInfo) {
  if (TakeFault(Call::FindNextUrlCacheEntryA)) return FALSE;
  auto* find = FindHandleAs<FindHandle>(hEnumHandle);
  if (find == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (MissingArgument(lpcbCacheEntryInfo == nullptr)) return FALSE;
  if (find->next >= find->records.size()) {
    SetLastError(ERROR_NO_MORE_ITEMS);
    return FALSE;
  }
  if (!platform::detail::PackRecord(find->records[find->next], lpNextCacheEntryInfo,
                                    lpcbCacheEntryInfo)) {
    return FALSE;  // 122: the same entry comes again on the retry
  }
  ++find->next;
  return TRUE;
}

BOOL FindCloseUrlCache(HANDLE hEnumHandle) {
  if (TakeHandleAs<FindHandle>(hEnumHandle) == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (--g_openFinds == 0) {
    std::unique_lock<std::mutex> lock;
    if (StoreBackend* store = OpenBackend(lock)) store->FlushHits();
  }
  return TRUE;
}

BOOL RetrieveUrlCacheEntryFileA(LPCSTR lpszUrlName, LPINTERNET_CACHE_ENTRY_INFOA lpCacheEntryInfo,
                                LPDWORD lpcbCacheEntryInfo, DWORD /*dwReserved*/) {
  if (TakeFault(Call::RetrieveUrlCacheEntryFileA)) return FALSE;
  UrlCacheRecord record;
  return RetrieveRecord(lpszUrlName, lpCacheEntryInfo, lpcbCacheEntryInfo, record) ? TRUE : FALSE;
}

// Entries are never locked against deletion, so there is nothing to release.
BOOL UnlockUrlCacheEntryFile(LPCSTR lpszUrlName, DWORD /*dwReserved*/) {
  return MissingArgument(lpszUrlName == nullptr) ? FALSE : TRUE;
}

HANDLE RetrieveUrlCacheEntryStreamA(LPCSTR lpszUrlName,
                                    LPINTERNET_CACHE_ENTRY_INFOA lpCacheEntryInfo,
                                    LPDWORD lpcbCacheEntryInfo, BOOL /*fRandomRead*/,
                                    DWORD /*dwReserved*/) {
  if (TakeFault(Call::RetrieveUrlCacheEntryStreamA)) return nullptr;
  UrlCacheRecord record;
  // Read whole at open: callers read a byte per call, and cookie files are small.
  auto stream = std::make_unique<StreamHandle>();
  if (!RetrieveRecord(lpszUrlName, lpCacheEntryInfo, lpcbCacheEntryInfo, record, &stream->bytes)) {
    return nullptr;
  }
  return AddHandle(std::move(stream));
}

BOOL ReadUrlCacheEntryStream(HANDLE hUrlCacheStream, DWORD dwLocation, LPVOID lpBuffer,
                             LPDWORD lpdwLen, DWORD /*Reserved*/) {
  if (TakeFault(Call::ReadUrlCacheEntryStream)) return FALSE;
  auto* stream = FindHandleAs<StreamHandle>(hUrlCacheStream);
  if (stream == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lpdwLen == nullptr || (lpBuffer == nullptr && *lpdwLen > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const size_t size = stream->bytes.size();
  const size_t count =
      dwLocation >= size ? 0 : std::min<size_t>(*lpdwLen, size - static_cast<size_t>(dwLocation));
  if (count == 1) {
    *static_cast<char*>(lpBuffer) = stream->bytes[dwLocation];
  } else if (count > 0) {
    std::memcpy(lpBuffer, stream->bytes.data() + dwLocation, count);
  }
  *lpdwLen = static_cast<DWORD>(count);
  return TRUE;
}

BOOL UnlockUrlCacheEntryStream(HANDLE hUrlCacheStream, DWORD /*Reserved*/) {
  if (TakeHandleAs<StreamHandle>(hUrlCacheStream) == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
