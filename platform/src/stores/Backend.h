// What every store kind provides behind the URL cache calls. A back end presents its cookies
// as cache entries (one per site and path, "Cookie:<user>@<host><path>") whose files are the
// nine-line records; the calls in UrlCache.cpp and CacheWrite.cpp keep their contract for
// every back end. Members that fail set the last error and the readable detail (Fail). Every
// member runs under the lock OpenBackend returns.
#pragma once

#include <unistd.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/CookieRecord.h"
#include "platform/StoreLocation.h"
#include "platform/UrlCacheStore.h"

namespace platform::detail {

class StoreBackend {
 public:
  StoreBackend() : m_owner(::getpid()) {}
  virtual ~StoreBackend() = default;
  StoreBackend(const StoreBackend&) = delete;
  StoreBackend& operator=(const StoreBackend&) = delete;

  /** The process that opened it (a child after fork must not use or close it). */
  pid_t Owner() const { return m_owner; }

  virtual const StoreLocation& Location() const = 0;
  /** The path the window shows for the store (its title). */
  virtual std::string DisplayPath() const = 0;
  /** Empty when commits can be made; otherwise why not, in the user's words (UTF-8). */
  virtual std::string ReadOnlyReason() = 0;
  /** Empty when the store's owner (a browser, a wineserver) is not running; otherwise which
   *  one is, in the user's words. Nothing is written to a store in use. */
  virtual std::string InUseReason() { return {}; }

  /** Every entry, read afresh from the store (a reload sees what others changed). */
  virtual bool List(std::vector<UrlCacheRecord>& records) = 0;
  /** One entry by its exact URL name; counts no hit. */
  virtual bool Get(const std::string& url, UrlCacheRecord& record) = 0;
  /** As Get, without first writing anything that waits (the sizing call of a retrieve). */
  virtual bool Peek(const std::string& url, UrlCacheRecord& record) { return Get(url, record); }
  /** Counts a retrieve of the entry the record holds, where the store keeps hit counts. */
  virtual bool Hit(const std::string& url, UrlCacheRecord& record, bool defer) {
    (void)url, (void)record, (void)defer;
    return true;
  }
  /** Writes hits that wait in memory. */
  virtual void FlushHits() {}
  /** The bytes of an entry's cookie file (nine-line records). */
  virtual bool ReadEntryFile(const UrlCacheRecord& record, std::string& bytes) = 0;
  /** A new, empty file for an entry about to be committed; its full path. */
  virtual bool CreateEntryFile(const std::string& url, const std::string& extension,
                               std::string& path) = 0;
  /** Fills a file CreateEntryFile made (what a caller would write with WriteFile). */
  virtual bool WriteEntryFile(const std::string& path, const std::string& bytes) = 0;
  /** Removes a file CreateEntryFile made that will not be committed. */
  virtual void DropEntryFile(const std::string& path) = 0;
  /** Inserts or replaces the entry of record.url from the file record.localFile. */
  virtual bool Commit(const UrlCacheRecord& record) = 0;
  virtual bool Delete(const std::string& url) = 0;
  /** Problems of the store as lines of text; with `repair`, mends what is safe to mend. */
  virtual bool Check(UrlCacheCheck& report, bool repair) = 0;
  /** Empty when the store can hold the cookie as it is; otherwise why not (never its value). */
  virtual std::string CannotHold(const CookieRecord& record) const {
    (void)record;
    return {};
  }
  /** The URL of the entry a cookie of this host and path belongs to when it is new. */
  virtual std::string EntryUrlFor(const std::string& host, const std::string& path) const {
    return "Cookie:" + LoginName() + "@" + host + path;
  }

  /** The login name the URL names carry ("Cookie:<user>@..."). */
  static std::string LoginName();

 private:
  pid_t m_owner;
};

/**
 * The back end of the store in use, opened on first use and kept while the location stays the
 * same. Null (last error and detail set) when the location names no store or it cannot be
 * opened; `lock` then holds nothing.
 */
StoreBackend* OpenBackend(std::unique_lock<std::mutex>& lock);
/** Opens a back end for a location; null with `error` and `detail` set. */
std::unique_ptr<StoreBackend> MakeBackend(const StoreLocation& location, DWORD& error,
                                          std::string& detail);

}  // namespace platform::detail
