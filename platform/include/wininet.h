// The URL cache calls the program makes, as WinINet declares them. Implemented over the
// store in platform/src (SQLite index, cookie files under the cookie folder).
#pragma once

#include <windows.h>

#define NORMAL_CACHE_ENTRY 0x00000001u
#define STICKY_CACHE_ENTRY 0x00000004u
#define EDITED_CACHE_ENTRY 0x00000008u
#define TRACK_OFFLINE_CACHE_ENTRY 0x00000010u
#define TRACK_ONLINE_CACHE_ENTRY 0x00000020u
#define SPARSE_CACHE_ENTRY 0x00010000u
#define COOKIE_CACHE_ENTRY 0x00100000u
#define URLHISTORY_CACHE_ENTRY 0x00200000u

typedef struct _INTERNET_CACHE_ENTRY_INFOA {
  DWORD dwStructSize;
  LPSTR lpszSourceUrlName;
  LPSTR lpszLocalFileName;
  DWORD CacheEntryType;
  DWORD dwUseCount;
  DWORD dwHitRate;
  DWORD dwSizeLow;
  DWORD dwSizeHigh;
  FILETIME LastModifiedTime;
  FILETIME ExpireTime;
  FILETIME LastAccessTime;
  FILETIME LastSyncTime;
  LPSTR lpHeaderInfo;
  DWORD dwHeaderInfoSize;
  LPSTR lpszFileExtension;
  union {
    DWORD dwReserved;
    DWORD dwExemptDelta;
  };
} INTERNET_CACHE_ENTRY_INFOA, *LPINTERNET_CACHE_ENTRY_INFOA;

HANDLE FindFirstUrlCacheEntryA(LPCSTR lpszUrlSearchPattern,
                               LPINTERNET_CACHE_ENTRY_INFOA lpFirstCacheEntryInfo,
                               LPDWORD lpcbCacheEntryInfo);
BOOL FindNextUrlCacheEntryA(HANDLE hEnumHandle, LPINTERNET_CACHE_ENTRY_INFOA lpNextCacheEntryInfo,
                            LPDWORD lpcbCacheEntryInfo);
BOOL FindCloseUrlCache(HANDLE hEnumHandle);

BOOL RetrieveUrlCacheEntryFileA(LPCSTR lpszUrlName, LPINTERNET_CACHE_ENTRY_INFOA lpCacheEntryInfo,
                                LPDWORD lpcbCacheEntryInfo, DWORD dwReserved);
BOOL UnlockUrlCacheEntryFile(LPCSTR lpszUrlName, DWORD dwReserved);

HANDLE RetrieveUrlCacheEntryStreamA(LPCSTR lpszUrlName,
                                    LPINTERNET_CACHE_ENTRY_INFOA lpCacheEntryInfo,
                                    LPDWORD lpcbCacheEntryInfo, BOOL fRandomRead, DWORD dwReserved);
BOOL ReadUrlCacheEntryStream(HANDLE hUrlCacheStream, DWORD dwLocation, LPVOID lpBuffer,
                             LPDWORD lpdwLen, DWORD Reserved);
BOOL UnlockUrlCacheEntryStream(HANDLE hUrlCacheStream, DWORD Reserved);

BOOL CreateUrlCacheEntryA(LPCSTR lpszUrlName, DWORD dwExpectedFileSize, LPCSTR lpszFileExtension,
                          LPSTR lpszFileName, DWORD dwReserved);
BOOL CommitUrlCacheEntryA(LPCSTR lpszUrlName, LPCSTR lpszLocalFileName, FILETIME ExpireTime,
                          FILETIME LastModifiedTime, DWORD CacheEntryType, LPBYTE lpHeaderInfo,
                          DWORD dwHeaderSize, LPCSTR lpszFileExtension, LPCSTR lpszOriginalUrl);
BOOL DeleteUrlCacheEntry(LPCSTR lpszUrlName);
#define DeleteUrlCacheEntryA DeleteUrlCacheEntry
