// Which store the URL cache calls work on: Tolvane's own store, a Netscape cookies.txt, a
// Firefox or Chromium profile, a Wine prefix. A location is a path whose kind is found from its
// content, or "KIND:PATH" to force a kind.
#pragma once

#include <string>
#include <vector>

namespace platform {

enum class StoreKind { UrlCache, Netscape, Firefox, Chromium, Wine };

struct StoreLocation {
  StoreKind kind = StoreKind::UrlCache;
  std::string path;  // absolute, without a trailing slash

  /** "KIND:PATH", which resolves to this location again. */
  std::string Text() const;
  bool operator==(const StoreLocation& other) const {
    return kind == other.kind && path == other.path;
  }
};

/** The name KIND:PATH uses for a kind ("urlcache", "netscape", "firefox", ...). */
const char* StoreKindName(StoreKind kind);
/** A kind's name for people ("Tolvane store", "cookies.txt", ...). */
const char* StoreKindTitle(StoreKind kind);

/**
 * Finds the store a text names. Nothing is created or changed. False with a message naming the
 * path and what was expected when the path does not exist or holds no store of a known kind.
 * An empty folder is a new store of Tolvane's own, and so is "urlcache:PATH" for a PATH that is
 * not there yet (the store makes it on first use).
 */
bool ResolveStoreLocation(const std::string& text, StoreLocation& location, std::string& problem);

/** Makes the URL cache calls of this process use the store the text names ("" goes back to
 *  $TOLVANE_URLCACHE or the default). The text is resolved on first use. */
void SetStoreLocation(const std::string& text);
/** The text of the store in use: as set, else $TOLVANE_URLCACHE, else the default store. */
std::string StoreLocationText();
/**
 * The store in use, resolved. False with a message when it cannot be (the URL cache calls then
 * fail with that message as their detail).
 */
bool CurrentStoreLocation(StoreLocation& location, std::string& problem);

/** Empty when the store in use accepts commits; otherwise why not, in the user's words. */
std::string StoreReadOnlyReason();
/** The URL name the store in use gives the entry of a new cookie of this host and path. */
std::string StoreEntryUrl(const std::string& host, const std::string& path);

/** A store found on this machine. */
struct FoundStore {
  StoreLocation location;
  std::string name;    // profile or prefix name; empty for the own store
  long cookies = -1;   // -1 when they could not be counted
  bool inUse = false;  // its owner (browser, wineserver) runs
  std::string note;    // anything else worth a word, e.g. why it cannot be counted
};
/** Every store of every kind found in the usual places (cookies.txt files are not searched). */
std::vector<FoundStore> FindStores();

}  // namespace platform
