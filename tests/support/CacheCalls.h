// The URL cache calls as the program makes them, for tests of any store kind: the catalogue's
// enumeration, a commit of an entry's records, and an entry's file read through its stream.
#pragma once

#include <gtest/gtest.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "platform/CookieRecord.h"

namespace tolvane::test {

/** The URLs under the pattern, enumerated as the catalogue does: a sizing call, then a buffer
 *  grown on 122. Marks that cannot be URLs say which call failed. */
inline std::vector<std::string> EnumerateUrls(const char* pattern) {
  std::vector<std::string> urls;
  DWORD size = 0;
  if (FindFirstUrlCacheEntryA(pattern, nullptr, &size) != nullptr) return {"<sizing succeeded>"};
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return urls;
  std::vector<char> buffer(size);
  auto* info = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data());
  HANDLE find = FindFirstUrlCacheEntryA(pattern, info, &size);
  if (find == nullptr) return {"<second call failed>"};
  for (;;) {
    urls.push_back(info->lpszSourceUrlName);
    size = static_cast<DWORD>(buffer.size());
    if (FindNextUrlCacheEntryA(find, info, &size)) continue;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    buffer.resize(size);
    info = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data());
    if (!FindNextUrlCacheEntryA(find, info, &size)) break;
  }
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  FindCloseUrlCache(find);
  return urls;
}

/** Commits an entry of these records as the catalogue does; a refused commit's file is removed
 *  and the last error kept. */
inline bool CommitRecords(const std::string& url,
                          const std::vector<platform::CookieRecord>& records) {
  char file[MAX_PATH] = {};
  if (!CreateUrlCacheEntryA(url.c_str(), 0, "TXT", file, 0)) return false;
  HANDLE handle =
      CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const std::string bytes = platform::RenderCookieRecords(records);
  DWORD written = 0;
  const bool wrote =
      bytes.empty() || (WriteFile(handle, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                        written == bytes.size());
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

/** The bytes of an entry's cookie file as its stream reads them, a byte a call; "<none>" when
 *  the stream cannot be opened. */
inline std::string StreamBytes(const std::string& url) {
  DWORD size = 0;
  if (RetrieveUrlCacheEntryStreamA(url.c_str(), nullptr, &size, FALSE, 0) != nullptr ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    return "<none>";
  }
  std::vector<char> buffer(size);
  HANDLE stream = RetrieveUrlCacheEntryStreamA(
      url.c_str(), reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data()), &size, FALSE, 0);
  if (stream == nullptr) return "<none>";
  std::string bytes;
  for (DWORD offset = 0;; ++offset) {
    char byte = 0;
    DWORD length = 1;
    if (!ReadUrlCacheEntryStream(stream, offset, &byte, &length, 0) || length != 1) break;
    bytes.push_back(byte);
  }
  UnlockUrlCacheEntryStream(stream, 0);
  return bytes;
}

}  // namespace tolvane::test
