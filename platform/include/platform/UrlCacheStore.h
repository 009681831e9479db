// The store's own interface beyond the WinINet-shaped calls: Tolvane's own store and where it
// lives, and what the `urlcache` tool needs for the store in use, of any kind (listing every
// container without counting hits, checking). platform/StoreLocation.h chooses the store.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Uses Tolvane's own store in the folder `root` (made there when it is not yet) for this
// process: SetStoreLocation("urlcache:" + root). "" goes back to the environment.
void SetUrlCacheRoot(const std::string& root);
// The folder of the store in use when it is Tolvane's own: as set, else $TOLVANE_URLCACHE, else
// $XDG_DATA_HOME/tolvane/urlcache (default ~/.local/share/...); "" for a store of another kind.
std::string UrlCacheRoot();
// The folder the cookie files live in, under the root.
std::string CookieFolder();
// The SQLite index file under the root.
std::string IndexPath();

struct UrlCacheRecord {
  std::string url;
  std::string localFile;  // full path; empty for an entry without a file
  DWORD type = 0;
  DWORD useCount = 0;
  DWORD hitRate = 0;
  uint64_t size = 0;
  FILETIME modified{};
  FILETIME expire{};
  FILETIME access{};
  FILETIME sync{};
  std::string header;
  std::string extension;
  DWORD exemptDelta = 0;
};

// Every entry of every container, in enumeration order; counts no hit. False with the last
// error set when the store cannot be read.
bool ListUrlCacheEntries(std::vector<UrlCacheRecord>& records);
// One entry by its exact URL name; counts no hit. False (ERROR_FILE_NOT_FOUND, ...) otherwise.
bool FindUrlCacheEntry(const std::string& url, UrlCacheRecord& record);

struct UrlCacheCheck {
  std::vector<std::string> problems;  // empty when the store is sound
  std::vector<std::string> repairs;   // what RepairUrlCache did or left, one line each
  int removed = 0;                    // files RepairUrlCache removed
  int entries = 0;
  int files = 0;
  bool readOnly = false;
};
// Index integrity, every entry's file present, no unreferenced file in the cookie folder,
// owner-only permissions. False only when the store cannot be opened (last error set; the
// detail says why, e.g. a folder that belongs to another user).
bool CheckUrlCache(UrlCacheCheck& report);
// Removes the regular files of the cookie folder that no entry references (and nothing else,
// and no file a running program is still writing), each named in `repairs`; then checks.
bool RepairUrlCache(UrlCacheCheck& report);

// The bytes of an entry's file, read as the store reads it (no link followed, nothing but a
// regular file); counts no hit. False with the last error set.
bool ReadUrlCacheFile(const UrlCacheRecord& record, std::string& bytes);

// Whether the store can only be read (a read-only mount, or its owner took the write
// permission away): every entry is shown, every write is refused with ERROR_FILE_READ_ONLY.
bool UrlCacheIsReadOnly();

// A readable account of the last store failure on this thread (path and SQLite's words), for
// tools and logs; the error code itself is in GetLastError.
std::string LastUrlCacheErrorDetail();

}  // namespace platform
