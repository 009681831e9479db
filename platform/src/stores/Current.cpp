// The store the URL cache calls of this process work on, and the back end of each kind.
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "../Internal.h"
#include "../Store.h"
#include "Backend.h"
#include "ChromiumBackend.h"
#include "ChromiumProfiles.h"
#include "FirefoxBackend.h"
#include "FirefoxProfiles.h"
#include "NetscapeBackend.h"
#include "WineBackend.h"
#include "platform/StoreErrors.h"
#include "platform/StoreLocation.h"

namespace platform {
namespace {

std::mutex g_locationMutex;
std::string g_locationOverride;
// The last text resolved and what it named: resolving reads the disk, the calls come often.
std::optional<std::pair<std::string, StoreLocation>> g_resolved;

std::string DefaultStorePath() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
    return std::string(data) + "/tolvane/urlcache";
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr && *home != '\0' ? home : ".") +
         "/.local/share/tolvane/urlcache";
}

// The cookies of a store, or -1 when it cannot be read.
long CountCookies(const StoreLocation& location) {
  DWORD error = 0;
  std::string detail;
  std::unique_ptr<detail::StoreBackend> store = detail::MakeBackend(location, error, detail);
  std::vector<UrlCacheRecord> records;
  if (store == nullptr || !store->List(records)) return -1;
  long cookies = 0;
  for (const UrlCacheRecord& record : records) {
    std::string bytes;
    if (!store->ReadEntryFile(record, bytes)) return -1;
    cookies += long(std::count(bytes.begin(), bytes.end(), '\n') / 9);
  }
  return cookies;
}

}  // namespace

void SetStoreLocation(const std::string& text) {
  {
    std::lock_guard lock(g_locationMutex);
    g_locationOverride = text;
    g_resolved.reset();
  }
  detail::CloseStore();
}

std::string StoreLocationText() {
  {
    std::lock_guard lock(g_locationMutex);
    if (!g_locationOverride.empty()) return g_locationOverride;
  }
  if (const char* text = std::getenv("TOLVANE_URLCACHE"); text != nullptr && *text != '\0') {
    return text;
  }
  return "urlcache:" + DefaultStorePath();
}

bool CurrentStoreLocation(StoreLocation& location, std::string& problem) {
  const std::string text = StoreLocationText();
  std::lock_guard lock(g_locationMutex);
  if (g_resolved && g_resolved->first == text) {
    location = g_resolved->second;
    return true;
  }
  if (text == "urlcache:" + DefaultStorePath()) {
    // The default store is made on first use; only a store someone named must exist.
    location = StoreLocation{StoreKind::UrlCache, DefaultStorePath()};
  } else if (!ResolveStoreLocation(text, location, problem)) {
    return false;
  }
  g_resolved.emplace(text, location);
  return true;
}

std::vector<FoundStore> FindStores() {
  std::vector<FoundStore> found;
  struct stat st {};
  if (const std::string own = DefaultStorePath(); ::stat(own.c_str(), &st) == 0) {
    FoundStore store;
    store.location = StoreLocation{StoreKind::UrlCache, own};
    store.cookies = CountCookies(store.location);
    found.push_back(store);
  }
  detail::FindWineStores(found);
  for (FoundStore& store : detail::FindFirefoxProfiles()) found.push_back(std::move(store));
  for (FoundStore& store : detail::FindChromiumStores()) found.push_back(std::move(store));
  return found;
}

std::string UrlCacheRoot() {
  StoreLocation location;
  std::string problem;
  if (CurrentStoreLocation(location, problem) && location.kind == StoreKind::UrlCache) {
    return location.path;
  }
  return {};
}

}  // namespace platform

namespace platform::detail {

std::unique_ptr<StoreBackend> MakeBackend(const StoreLocation& location, DWORD& error,
                                          std::string& detail) {
  switch (location.kind) {
    case StoreKind::UrlCache:
      return std::unique_ptr<StoreBackend>(Store::Open(location.path, detail, error));
    case StoreKind::Netscape:
      return std::make_unique<NetscapeBackend>(location);
    case StoreKind::Wine:
      return MakeWineBackend(location, error, detail);
    case StoreKind::Firefox:
      return std::make_unique<FirefoxBackend>(location);
    case StoreKind::Chromium:
      return std::make_unique<ChromiumBackend>(location);
    default:
      error = ERROR_TOLVANE_NOT_A_STORE;
      detail = location.path + ": opening a " + StoreKindTitle(location.kind) +
               " is not supported by this version";
      return nullptr;
  }
}

}  // namespace platform::detail
