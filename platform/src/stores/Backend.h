// What every store kind provides behind the URL cache calls. A back end presents its cookies
// as cache entries (one per site and path, "Cookie:<user>@<host><path>") whose files are the
// nine-line records; the calls in UrlCache.cpp and CacheWrite.cpp keep their contract for
// every back end. Members that fail set the last error and the readable detail (Fail).
#pragma once

#include <string>
#include <vector>

#include "platform/StoreLocation.h"
#include "platform/UrlCacheStore.h"

namespace platform::detail {

class StoreBackend {
 public:
  virtual ~StoreBackend() = default;

  virtual const StoreLocation& Location() const = 0;
  /** The path the window shows for the store (its title). */
  virtual std::string DisplayPath() const = 0;
  /** Empty when commits can be made; otherwise why not, in the user's words (UTF-8). */
  virtual std::string ReadOnlyReason() = 0;

  /** Every entry, read afresh from the store (a reload sees what others changed). */
  virtual bool List(std::vector<UrlCacheRecord>& records) = 0;
  /** One entry by its exact URL name, from what List last read; counts no hit. */
  virtual bool Get(const std::string& url, UrlCacheRecord& record) = 0;
  /** As Get, and counts a hit where the store keeps them (see Store::Hit for `defer`). */
  virtual bool Hit(const std::string& url, UrlCacheRecord& record, bool defer) {
    (void)defer;
    return Get(url, record);
  }
  /** Writes hits that wait in memory. */
  virtual void FlushHits() {}
  /** The bytes of an entry's cookie file (nine-line records). */
  virtual bool ReadEntryFile(const UrlCacheRecord& record, std::string& bytes) = 0;
  /** A new, empty file for an entry about to be committed; its full path. */
  virtual bool CreateEntryFile(const std::string& url, const std::string& extension,
                               std::string& path) = 0;
  /** Inserts or replaces the entry of record.url from the file record.localFile. */
  virtual bool Commit(const UrlCacheRecord& record) = 0;
  virtual bool Delete(const std::string& url) = 0;
  /** Problems of the store as lines of text; with `repair`, mends what is safe to mend. */
  virtual bool Check(UrlCacheCheck& report, bool repair) = 0;
  /** The URL of the entry a cookie of this host and path belongs to when it is new. */
  virtual std::string EntryUrlFor(const std::string& host, const std::string& path) const = 0;
};

/** The login name the URL names carry ("Cookie:<user>@..."). */
std::string LoginName();

}  // namespace platform::detail
