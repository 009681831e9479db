#include "CacheRecord.h"

#include <cstring>

#include "platform/PathText.h"

namespace platform::detail {
namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix, size_t length) {
  if (text.size() < length) return false;
  for (size_t i = 0; i < length; ++i) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (lower(text[i]) != lower(prefix[i])) return false;
  }
  return true;
}

}  // namespace

DWORD RecordSize(const UrlCacheRecord& r) {
  return static_cast<DWORD>(sizeof(INTERNET_CACHE_ENTRY_INFOA) + r.url.size() + 1 +
                            PathToProgram(r.localFile).size() + 1 + r.header.size() + 1 +
                            r.extension.size() + 1);
}

bool PackRecord(const UrlCacheRecord& r, LPINTERNET_CACHE_ENTRY_INFOA info, LPDWORD size) {
  // The size asked for has room for a longer file number: a commit elsewhere between a sizing
  // call and its retry gives the entry a new file, whose number may have more digits.
  constexpr DWORD kNumberSlack = 20;
  const DWORD needed = RecordSize(r);
  if (info == nullptr || *size < needed) {
    *size = needed + (r.localFile.empty() ? 0 : kNumberSlack);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return false;
  }
  char* cursor = reinterpret_cast<char*>(info) + sizeof(INTERNET_CACHE_ENTRY_INFOA);
  auto put = [&cursor](const std::string& bytes) {
    char* start = cursor;
    std::memcpy(cursor, bytes.data(), bytes.size());
    cursor[bytes.size()] = '\0';
    cursor += bytes.size() + 1;
    return start;
  };
  INTERNET_CACHE_ENTRY_INFOA out{};
  out.dwStructSize = sizeof(INTERNET_CACHE_ENTRY_INFOA);
  out.lpszSourceUrlName = put(r.url);
  out.lpszLocalFileName = put(PathToProgram(r.localFile));  // the program's paths are CP932
  out.CacheEntryType = r.type;
  out.dwUseCount = r.useCount;
  out.dwHitRate = r.hitRate;
  out.dwSizeLow = static_cast<DWORD>(r.size);
  out.dwSizeHigh = static_cast<DWORD>(r.size >> 32);
  out.LastModifiedTime = r.modified;
  out.ExpireTime = r.expire;
  out.LastAccessTime = r.access;
  out.LastSyncTime = r.sync;
  out.lpHeaderInfo = put(r.header);
  out.dwHeaderInfoSize = static_cast<DWORD>(r.header.size());
  out.lpszFileExtension = put(r.extension);
  out.dwExemptDelta = r.exemptDelta;
  *info = out;
  *size = needed;
  return true;
}

bool MatchesPattern(const std::string& url, const char* pattern) {
  static const char* const kContainers[] = {"cookie:", "visited:"};
  if (pattern == nullptr || *pattern == '\0' || std::strcmp(pattern, "*") == 0) {
    for (const char* container : kContainers) {
      if (StartsWithNoCase(url, container, std::strlen(container))) return false;
    }
    return true;
  }
  return StartsWithNoCase(url, pattern, std::strlen(pattern));
}

}  // namespace platform::detail
