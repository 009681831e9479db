#include "model/SiteCacheList.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "model/RecordBuffer.h"
#include "model/ShowLastError.h"
#include "model/TimeText.h"

SiteCacheList::SiteCacheList() {
  g_bGmtMode = 1;
  FindCookieFolder();
}

void SiteCacheList::FindCookieFolder() {
  char folder[MAX_PATH] = {};
  const HRESULT result =
      SHGetFolderPathA(nullptr, CSIDL_COOKIES, nullptr, SHGFP_TYPE_CURRENT, folder);
  if (result == S_FALSE || result == E_INVALIDARG) {
    const char* windir = std::getenv("WINDIR");
    std::snprintf(folder, sizeof folder, "%s\\Cookies", windir ? windir : "");
  }
  folder[MAX_PATH - 1] = '\0';
  m_strCookieFolder = folder;
}

SiteCacheList::~SiteCacheList() { DeleteAll(); }

int SiteCacheList::Load() {
  DeleteAll();
  DWORD size = 0;
  if (HANDLE find = FindFirstUrlCacheEntryA("cookie:", nullptr, &size)) {
    FindCloseUrlCache(find);
    return GetSize();
  }
  const DWORD error = GetLastError();
  if (error != ERROR_INSUFFICIENT_BUFFER) {
    // An empty cache is no failure; an unreadable one must not look empty without a word.
    if (error != ERROR_NO_MORE_ITEMS) ShowLastError(true);
    return GetSize();
  }
  RecordBuffer record;
  if (!record.Allocate(size)) {
    ShowOutOfMemory();
    return GetSize();
  }
  HANDLE find = FindFirstUrlCacheEntryA("cookie:", record.get(), &size);
  if (!find) {
    ShowLastError(true);
    return GetSize();
  }
  for (;;) {
    AddEntry(*record.get());
    size = record.size();
    if (FindNextUrlCacheEntryA(find, record.get(), &size)) continue;
    const DWORD nextError = GetLastError();
    if (nextError == ERROR_INSUFFICIENT_BUFFER) {
      if (!record.Allocate(size)) {
        ShowOutOfMemory(true);
        break;
      }
      if (FindNextUrlCacheEntryA(find, record.get(), &size)) continue;
      ShowLastError(true);
      break;
    }
    if (nextError != ERROR_NO_MORE_ITEMS) ShowLastError(true);
    break;
  }
  FindCloseUrlCache(find);
  return GetSize();
}

int SiteCacheList::AddEntry(const INTERNET_CACHE_ENTRY_INFOA& record) {
  if (!RecordBuffer::MayAllocate()) return -1;
  auto* entry = new (std::nothrow) SiteCache;
  if (!entry) return -1;
  entry->SetFromCacheInfo(record);
  return Add(entry);
}

int SiteCacheList::RetrieveEntry(SiteCache* entry) {
  entry->m_nState = kStateLoading;
  DWORD size = 0;
  if (RetrieveUrlCacheEntryFileA(entry->m_strUrlName, nullptr, &size, 0) == 1) {
    UnlockUrlCacheEntryFile(entry->m_strUrlName, 0);
    return -1;
  }
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return -2;
  RecordBuffer record;
  if (!record.Allocate(size)) {
    ShowOutOfMemory();
    return -3;
  }
  if (RetrieveUrlCacheEntryFileA(entry->m_strUrlName, record.get(), &size, 0) != 1) {
    ShowLastError(true);
    return -4;
  }
  UnlockUrlCacheEntryFile(entry->m_strUrlName, 0);
  entry->SetFromCacheInfo(*record.get());
  return 1;
}

int SiteCacheList::CommitEntry(SiteCache* entry, bool deleteOld) {
  if (entry->Commit(deleteOld) < 0) return -1;
  return RetrieveEntry(entry) == 1 ? 0 : -2;
}

int SiteCacheList::DeleteEntry(SiteCache* entry) {
  // The file goes only with its entry; a refused delete (a full disk, a read-only store) is
  // told, since the entry leaves the window but stays in the cache.
  if (DeleteUrlCacheEntry(entry->m_strUrlName)) {
    DeleteFileA(entry->m_strLocalFile);
  } else if (GetLastError() != ERROR_FILE_NOT_FOUND) {
    ShowLastError(true);
  }
  auto& all = items();
  const auto found = std::find(all.begin(), all.end(), entry);
  if (found != all.end()) {
    all.erase(found);
    delete entry;
  }
  return 0;
}

SiteCache* SiteCacheList::FindEntry(const CString& url) const {
  for (int i = 0; i < GetSize(); ++i) {
    if (GetEntry(i)->m_strUrlName == url) return GetEntry(i);
  }
  return nullptr;
}

void SiteCacheList::DeleteAll() {
  for (CObject* entry : items()) delete entry;
  RemoveAll();
}

namespace {

// The key's comparison of two entries: negative, zero or positive.
int CompareEntries(int key, const SiteCache& a, const SiteCache& b) {
  switch (key) {
    case SiteCacheList::kSortModifiedTime:
      return std::strcmp(a.m_strModifiedTime, b.m_strModifiedTime);
    case SiteCacheList::kSortSite:
      return std::strcmp(a.m_strSite, b.m_strSite);
    case SiteCacheList::kSortLastSyncTime:
      return std::strcmp(a.m_strLastSyncTime, b.m_strLastSyncTime);
    case SiteCacheList::kSortHitRate:
      return a.m_dwHitRate > b.m_dwHitRate ? 1 : a.m_dwHitRate < b.m_dwHitRate ? -1 : 0;
    case SiteCacheList::kSortExpireTime:
      return std::strcmp(a.m_strExpireTime, b.m_strExpireTime);
    default:
      return 0;
  }
}

}  // namespace

int SiteCacheList::Sort(int key, bool descending) {
  // A bubble sort that swaps neighbours only on strict order is a stable sort; stable_sort with
  // the same strict comparison gives the identical order without the quadratic cost.
  auto& all = items();
  std::stable_sort(all.begin(), all.end(), [key, descending](const CObject* a, const CObject* b) {
    const int c =
        CompareEntries(key, *static_cast<const SiteCache*>(a), *static_cast<const SiteCache*>(b));
    return descending ? c > 0 : c < 0;
  });
  return 0;
}

void SiteCacheList::WriteText(FILE* stream) {
  for (CObject* entry : items()) {
    std::fputs(g_bGmtMode ? "TimeZone : GMT.\n" : "TimeZone : Local Time.\n", stream);
    std::fputs("=============================\n", stream);
    static_cast<SiteCache*>(entry)->WriteText(stream);
  }
}
