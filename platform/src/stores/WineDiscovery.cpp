// Opening a Wine location, and finding the prefixes of this user.
#include <algorithm>

#include "../Internal.h"
#include "WineBackend.h"
#include "platform/StoreErrors.h"
#include "platform/WineCache.h"

namespace platform::detail {

std::unique_ptr<StoreBackend> MakeWineBackend(const StoreLocation& location, DWORD& error,
                                              std::string& detail) {
  WinePlace place;
  if (!FindWinePlace(location.path, place, detail)) {
    error = ERROR_TOLVANE_NOT_A_STORE;
    return nullptr;
  }
  return std::make_unique<WineBackend>(location, place);
}

void FindWineStores(std::vector<FoundStore>& found) {
  for (const std::string& prefix : FindWinePrefixes()) {
    std::vector<WinePlace> places = WinePlacesOf(prefix);
    const std::string running = WineServerRunning(prefix);
    for (const WinePlace& place : places) {
      FoundStore store;
      // The prefix itself names its first user's cookies; others are named by their folder.
      store.location =
          StoreLocation{StoreKind::Wine, &place == &places.front() ? prefix : place.cookieFolder};
      store.name = place.user;
      store.inUse = !running.empty();
      WineBackend backend(StoreLocation{StoreKind::Wine, place.cookieFolder}, place);
      std::vector<UrlCacheRecord> entries;
      if (backend.List(entries)) {
        long cookies = 0;
        for (const UrlCacheRecord& entry : entries) {
          std::string bytes;
          if (backend.ReadEntryFile(entry, bytes)) {
            cookies += long(std::count(bytes.begin(), bytes.end(), '\n') / 9);
          }
        }
        store.cookies = cookies;
        store.note = "expiry and sync times of the index in 2 s steps (DOS dates)";
      } else {
        store.note = LastUrlCacheErrorDetail();
      }
      found.push_back(std::move(store));
    }
  }
}

}  // namespace platform::detail

namespace platform {
uint32_t WineUrlCacheKey(std::string_view url) { return detail::WineIndex::HashKey(url); }
}  // namespace platform
