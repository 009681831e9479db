// The store the URL cache calls of this process work on, and its back end.
#include <shlobj.h>
#include <unistd.h>

#include <cstdlib>
#include <mutex>

#include "../Store.h"
#include "Backend.h"
#include "NetscapeBackend.h"
#include "platform/StoreErrors.h"
#include "platform/StoreLocation.h"

namespace platform {
namespace {

std::mutex g_locationMutex;
std::string g_locationOverride;

std::string DefaultStorePath() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
    return std::string(data) + "/tolvane/urlcache";
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr && *home != '\0' ? home : ".") +
         "/.local/share/tolvane/urlcache";
}

}  // namespace

void SetStoreLocation(const std::string& text) {
  {
    std::lock_guard lock(g_locationMutex);
    g_locationOverride = text;
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

}  // namespace platform

namespace platform {

bool CurrentStoreLocation(StoreLocation& location, std::string& problem) {
  const std::string text = StoreLocationText();
  if (text == "urlcache:" + DefaultStorePath()) {
    // The default store is made on first use; only a store someone named must exist.
    location = StoreLocation{StoreKind::UrlCache, DefaultStorePath()};
    return true;
  }
  return ResolveStoreLocation(text, location, problem);
}

std::string StoreReadOnlyReason() { return {}; }

std::vector<FoundStore> FindStores() {
  FoundStore own;
  own.location = StoreLocation{StoreKind::UrlCache, DefaultStorePath()};
  return {own};
}

}  // namespace platform
