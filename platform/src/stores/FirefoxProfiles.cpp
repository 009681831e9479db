#include "FirefoxProfiles.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstdlib>
#include <set>
#include <sstream>

#include "AtomicFile.h"
#include "FirefoxBackend.h"
#include "FirefoxProfile.h"

namespace platform::detail {
namespace {

std::string Trim(const std::string& text) {
  const size_t start = text.find_first_not_of(" \t\r");
  if (start == std::string::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t\r") - start + 1);
}

std::string Real(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

std::vector<std::string> Roots() {
  const char* homeText = std::getenv("HOME");
  const std::string home = homeText != nullptr && *homeText != '\0' ? homeText : ".";
  const char* config = std::getenv("XDG_CONFIG_HOME");
  return {home + "/.mozilla/firefox",
          (config != nullptr && *config == '/' ? std::string(config) : home + "/.config") +
              "/mozilla/firefox",
          home + "/.var/app/org.mozilla.firefox/.mozilla/firefox",
          home + "/snap/firefox/common/.mozilla/firefox"};
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ReadProfilesIni(const std::string& root) {
  std::vector<std::pair<std::string, std::string>> profiles;
  std::string text, problem;
  if (!ReadRegularFile(root + "/profiles.ini", text, problem)) return profiles;
  std::istringstream lines(text);
  std::string line;
  bool inProfile = false;
  std::string name, path;
  bool relative = true;
  auto finish = [&] {
    if (inProfile && !path.empty()) {
      profiles.emplace_back(name, relative && path[0] != '/' ? root + "/" + path : path);
    }
    name.clear();
    path.clear();
    relative = true;
  };
  while (std::getline(lines, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      finish();
      inProfile = line.rfind("[Profile", 0) == 0;
      continue;
    }
    const size_t equals = line.find('=');
    if (!inProfile || equals == std::string::npos) continue;
    const std::string key = Trim(line.substr(0, equals));
    const std::string value = Trim(line.substr(equals + 1));
    if (key == "Name") name = value;
    if (key == "Path") path = value;
    if (key == "IsRelative") relative = value != "0";
  }
  finish();
  return profiles;
}

std::vector<FoundStore> FindFirefoxProfiles() {
  std::vector<FoundStore> found;
  std::set<std::string> seen;
  for (const std::string& root : Roots()) {
    for (const auto& [name, folder] : ReadProfilesIni(root)) {
      const std::string real = Real(folder);
      if (!seen.insert(real).second) continue;
      FoundStore store;
      store.name = name;
      store.location = StoreLocation{StoreKind::Firefox, real};
      const pid_t holder = FirefoxHoldingProfile(real);
      store.inUse = holder != 0;
      struct stat st {};
      if (::stat((real + "/cookies.sqlite").c_str(), &st) != 0) {
        store.cookies = 0;
        store.note = "no cookies.sqlite yet";
      } else {
        FirefoxBackend backend(store.location);
        std::vector<UrlCacheRecord> records;
        if (backend.List(records)) {
          store.cookies = backend.CookieCount();
        } else {
          store.note = "cannot be read";
        }
      }
      found.push_back(std::move(store));
    }
  }
  return found;
}

}  // namespace platform::detail
