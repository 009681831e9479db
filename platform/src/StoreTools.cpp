// What the urlcache tool and tests need beyond the WinINet-shaped calls, for the store in use.
#include "Internal.h"
#include "stores/Backend.h"

namespace platform {
namespace {

bool Check(UrlCacheCheck& report, bool repair) {
  report = UrlCacheCheck{};
  std::unique_lock<std::mutex> lock;
  detail::StoreBackend* store = detail::OpenBackend(lock);
  return store != nullptr && store->Check(report, repair);
}

}  // namespace

bool ListUrlCacheEntries(std::vector<UrlCacheRecord>& records) {
  std::unique_lock<std::mutex> lock;
  detail::StoreBackend* store = detail::OpenBackend(lock);
  return store != nullptr && store->List(records);
}

bool FindUrlCacheEntry(const std::string& url, UrlCacheRecord& record) {
  std::unique_lock<std::mutex> lock;
  detail::StoreBackend* store = detail::OpenBackend(lock);
  return store != nullptr && store->Get(url, record);
}

bool ReadUrlCacheFile(const UrlCacheRecord& record, std::string& bytes) {
  std::unique_lock<std::mutex> lock;
  detail::StoreBackend* store = detail::OpenBackend(lock);
  return store != nullptr && store->ReadEntryFile(record, bytes);
}

bool UrlCacheIsReadOnly() {
  std::unique_lock<std::mutex> lock;
  detail::StoreBackend* store = detail::OpenBackend(lock);
  return store != nullptr && !store->ReadOnlyReason().empty();
}

std::string StoreReadOnlyReason() {
  std::unique_lock<std::mutex> lock;
  detail::StoreBackend* store = detail::OpenBackend(lock);
  return store != nullptr ? store->ReadOnlyReason() : std::string();
}

std::string StoreEntryUrl(const std::string& host, const std::string& path) {
  std::unique_lock<std::mutex> lock;
  detail::StoreBackend* store = detail::OpenBackend(lock);
  return store != nullptr ? store->EntryUrlFor(host, path)
                          : "Cookie:" + detail::StoreBackend::LoginName() + "@" + host + path;
}

bool CheckUrlCache(UrlCacheCheck& report) { return Check(report, false); }

bool RepairUrlCache(UrlCacheCheck& report) { return Check(report, true); }

}  // namespace platform
