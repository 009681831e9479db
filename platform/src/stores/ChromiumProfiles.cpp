#include "ChromiumProfiles.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "ChromiumDatabase.h"

namespace platform::detail {
namespace {

struct Browser {
  const char* folder;  // under the configuration folder, or the home for a Snap
  const char* name;
  std::vector<std::string> applications;
  bool underHome = false;
};

const std::vector<Browser>& Browsers() {
  static const std::vector<Browser> browsers = {
      {"chromium", "Chromium", {"chromium", "chrome"}},
      {"google-chrome", "Google Chrome", {"chrome"}},
      {"BraveSoftware/Brave-Browser", "Brave", {"brave", "chrome"}},
      {"microsoft-edge", "Microsoft Edge", {"microsoft-edge", "chrome"}},
      {"vivaldi", "Vivaldi", {"vivaldi", "chrome"}},
      {"opera", "Opera", {"opera", "chrome"}},
      {"snap/chromium/common/chromium", "Chromium (Snap)", {"chromium", "chrome"}, true},
  };
  return browsers;
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::string Parent(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

std::string Home() {
  const char* home = std::getenv("HOME");
  return home != nullptr && *home != '\0' ? home : ".";
}

std::string ConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  return config != nullptr && *config == '/' ? config : Home() + "/.config";
}

// The Cookies file of a profile folder: at its top, or (newer builds) under Network/.
std::string CookiesOf(const std::string& profile) {
  if (IsFile(profile + "/Cookies")) return profile + "/Cookies";
  if (IsFile(profile + "/Network/Cookies")) return profile + "/Network/Cookies";
  return {};
}

}  // namespace

ChromiumPlace LocateChromiumProfile(const std::string& path) {
  ChromiumPlace place;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    place.profile = path;
    place.cookies = CookiesOf(path);
    if (place.cookies.empty() && IsFile(path + "/Default/Cookies")) {
      place.profile = path + "/Default";  // a user-data folder: its first profile
      place.cookies = place.profile + "/Cookies";
    } else if (place.cookies.empty()) {
      place.cookies = path + "/Cookies";
    }
  } else {
    place.cookies = path;
    place.profile = Parent(path);
    if (BaseName(place.profile) == "Network") place.profile = Parent(place.profile);
  }
  // Opera keeps its one profile in the user-data folder itself.
  place.userData =
      Exists(place.profile + "/SingletonLock") || IsFile(place.profile + "/Local State")
          ? place.profile
          : Parent(place.profile);
  place.browser = "Chromium";
  place.applications = {"chromium", "chrome"};
  for (const Browser& browser : Browsers()) {
    const std::string suffix = std::string("/") + browser.folder;
    if (place.userData.size() >= suffix.size() &&
        place.userData.compare(place.userData.size() - suffix.size(), suffix.size(), suffix) == 0) {
      place.browser = browser.name;
      place.applications = browser.applications;
    }
  }
  return place;
}

std::string ChromiumRunning(const ChromiumPlace& place) {
  char target[PATH_MAX];
  const std::string lock = place.userData + "/SingletonLock";
  const ssize_t n = ::readlink(lock.c_str(), target, sizeof target - 1);
  if (n <= 0) return {};
  const std::string text(target, size_t(n));
  const size_t dash = text.find_last_of('-');
  const std::string host = dash == std::string::npos ? std::string() : text.substr(0, dash);
  char* end = nullptr;
  const long pid = dash == std::string::npos ? 0 : std::strtol(text.c_str() + dash + 1, &end, 10);
  char self[HOST_NAME_MAX + 1] = {};
  ::gethostname(self, sizeof self - 1);
  if (pid <= 0 || end == nullptr || *end != '\0') {
    return place.browser + " のロック " + lock + " を読めないため、実行中とみなします。";
  }
  if (host != self) {
    return place.browser + " が別のホスト (" + host + ") で実行中の可能性があります (" + lock +
           ")。";
  }
  if (::kill(pid_t(pid), 0) == 0 || errno == EPERM) {
    return place.browser + " が実行中です (プロセス " + std::to_string(pid) + ")。";
  }
  return {};  // left behind by a browser that was killed
}

std::vector<FoundStore> FindChromiumStores() {
  std::vector<FoundStore> found;
  for (const Browser& browser : Browsers()) {
    const std::string userData =
        (browser.underHome ? Home() : ConfigFolder()) + "/" + browser.folder;
    std::vector<std::string> profiles;
    if (!CookiesOf(userData).empty()) profiles.push_back(userData);
    if (DIR* dir = ::opendir(userData.c_str())) {
      while (const dirent* item = ::readdir(dir)) {
        if (item->d_name[0] == '.') continue;
        const std::string folder = userData + "/" + item->d_name;
        if (!CookiesOf(folder).empty()) profiles.push_back(folder);
      }
      ::closedir(dir);
    }
    std::sort(profiles.begin(), profiles.end());
    for (const std::string& profile : profiles) {
      const ChromiumPlace place = LocateChromiumProfile(profile);
      FoundStore store;
      store.location = StoreLocation{StoreKind::Chromium, profile};
      store.name = std::string(browser.name) + " / " + BaseName(profile);
      store.cookies = CountChromiumCookies(place.cookies);
      const std::string running = ChromiumRunning(place);
      store.inUse = !running.empty();
      if (store.cookies < 0) store.note = "its Cookies file cannot be read";
      found.push_back(std::move(store));
    }
  }
  return found;
}

}  // namespace platform::detail
