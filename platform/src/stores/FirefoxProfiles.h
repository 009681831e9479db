// Finding the Firefox profiles of this user, for `urlcache stores`.
#pragma once

#include <string>
#include <vector>

#include "platform/StoreLocation.h"

namespace platform::detail {

/**
 * Every profile the profiles.ini files name, in ~/.mozilla/firefox,
 * $XDG_CONFIG_HOME/mozilla/firefox (default ~/.config), Flatpak's
 * ~/.var/app/org.mozilla.firefox/.mozilla/firefox and Snap's
 * ~/snap/firefox/common/.mozilla/firefox: its name, cookie count and whether Firefox is using it. A
 * folder named twice comes once.
 */
std::vector<FoundStore> FindFirefoxProfiles();

/** The profiles one profiles.ini names: (name, folder) pairs, folders absolute. */
std::vector<std::pair<std::string, std::string>> ReadProfilesIni(const std::string& root);

}  // namespace platform::detail
