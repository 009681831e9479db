// Where Chromium-family browsers keep their profiles, and whether a browser runs on one.
#pragma once

#include <string>
#include <vector>

#include "platform/StoreLocation.h"

namespace platform::detail {

struct ChromiumPlace {
  std::string cookies;                    // the Cookies file
  std::string profile;                    // the profile folder ("Default", "Profile 1", ...)
  std::string userData;                   // the folder the browser's SingletonLock is in
  std::string browser;                    // for people: "Chromium", "Google Chrome", ...
  std::vector<std::string> applications;  // its names in the Secret Service
};

/** The place of a location path: a profile folder, its Cookies file, or a user-data folder
 *  holding Default/Cookies. The Cookies file need not exist yet for a folder. */
ChromiumPlace LocateChromiumProfile(const std::string& path);

/** Empty when no browser runs on the user-data folder; otherwise which one, in the user's
 *  words. A SingletonLock left by a browser that was killed is no running browser; one made
 *  on another host is (it cannot be checked from here). */
std::string ChromiumRunning(const ChromiumPlace& place);

/** Every profile of every Chromium-family browser in the usual places of this user. */
std::vector<FoundStore> FindChromiumStores();

}  // namespace platform::detail
