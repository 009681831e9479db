#include "WinePrefix.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "AtomicFile.h"
#include "Backend.h"

namespace platform::detail {
namespace {

constexpr const char* kCookieFolders[] = {"AppData/Local/Microsoft/Windows/INetCookies",
                                          "AppData/Roaming/Microsoft/Windows/Cookies"};

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::vector<std::string> Children(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (const dirent* item = ::readdir(dir)) {
      if (item->d_name[0] != '.') names.emplace_back(item->d_name);
    }
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Real(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

// The cookie folder the prefix's registry names ("Shell Folders", as Wine resolved it), when it
// lies on drive C.
std::string RegistryCookieFolder(const std::string& prefix) {
  std::string text, problem;
  if (!ReadRegularFile(prefix + "/user.reg", text, problem)) return {};
  const size_t section = text.find(
      "\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders]");
  if (section == std::string::npos) return {};
  const size_t end = text.find("\n[", section + 2);
  const size_t key = text.find("\n\"Cookies\"=\"", section);
  if (key == std::string::npos || key > end) return {};
  const size_t start = key + 12;
  const size_t quote = text.find('"', start);
  if (quote == std::string::npos || quote > end) return {};
  std::string windows;
  for (size_t i = start; i < quote; ++i) {
    if (text[i] == '\\' && i + 1 < quote) ++i;
    windows += text[i];
  }
  if (windows.size() < 3 || (windows[0] != 'C' && windows[0] != 'c') || windows[1] != ':') {
    return {};
  }
  std::string path = prefix + "/drive_c";
  for (size_t i = 2; i < windows.size(); ++i) path += windows[i] == '\\' ? '/' : windows[i];
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path.find("/../") == std::string::npos ? path : std::string();
}

// The user a cookie folder under drive_c/users belongs to.
std::string UserOf(const std::string& cookieFolder) {
  const size_t users = cookieFolder.find("/drive_c/users/");
  if (users == std::string::npos) return {};
  const size_t start = users + 15;
  return cookieFolder.substr(start, cookieFolder.find('/', start) - start);
}

// The lock files a wineserver of the prefix would take; `own` says which one it would make when
// none is there.
struct LockPlace {
  std::string folder;  // the server folder
  bool debian = false;
};

std::vector<LockPlace> LockPlaces(const std::string& prefix, std::string& serverName) {
  std::vector<LockPlace> places;
  struct stat st {};
  if (::stat(prefix.c_str(), &st) != 0) return places;
  char name[64];
  std::snprintf(name, sizeof name, "server-%llx-%llx", static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  serverName = name;
  std::string text, problem;
  if (ReadRegularFile(prefix + "/wineserver", text, problem)) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\0')) text.pop_back();
    // Only a plain folder name: the file must not lead anywhere else.
    if (!text.empty() && text.size() < 64 && text.find('/') == std::string::npos && text != "." &&
        text != "..") {
      const char* tmp = std::getenv("TMPDIR");
      std::vector<std::string> bases;
      if (tmp != nullptr && *tmp == '/') bases.emplace_back(tmp);
      bases.emplace_back("/tmp");
      for (const std::string& base : bases) {
        places.push_back({base + "/" + text + "/" + name, true});
      }
    }
  }
  places.push_back({"/tmp/.wine-" + std::to_string(::getuid()) + "/" + name, false});
  return places;
}

// The pid holding a write lock on the file, 0 when none does, -1 when it cannot be told.
pid_t LockHolder(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT ? 0 : -1;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  const int result = ::fcntl(fd, F_GETLK, &lock);
  ::close(fd);
  if (result != 0) return -1;
  return lock.l_type == F_UNLCK ? 0 : (lock.l_pid > 0 ? lock.l_pid : 1);
}

bool MakePrivateFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

}  // namespace

bool FindWinePlace(const std::string& path, WinePlace& place, std::string& problem) {
  place = WinePlace{};
  std::string folder = path;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
    folder = path.substr(0, path.find_last_of('/'));
  }
  if (IsFolder(folder + "/drive_c")) {
    const std::vector<WinePlace> places = WinePlacesOf(folder);
    if (!places.empty()) {
      place = places.front();
      return true;
    }
    // No cookie folder yet: the login user's default one, made when cookies are first written.
    place.prefix = folder;
    place.user = StoreBackend::LoginName();
    place.cookieFolder = folder + "/drive_c/users/" + place.user + "/" + kCookieFolders[0];
    return true;
  }
  if (!IsFolder(folder)) {
    problem = path + " is neither a Wine prefix nor a cookie folder in one";
    return false;
  }
  place.cookieFolder = folder;
  const size_t drive = folder.find("/drive_c/");
  if (drive != std::string::npos && IsFolder(folder.substr(0, drive) + "/drive_c")) {
    place.prefix = folder.substr(0, drive);
  }
  place.user = UserOf(folder);
  return true;
}

std::vector<WinePlace> WinePlacesOf(const std::string& prefix) {
  std::vector<WinePlace> places;
  std::set<std::string> seen;
  auto add = [&](const std::string& folder) {
    if (!IsFolder(folder) || !seen.insert(Real(folder)).second) return;
    places.push_back(WinePlace{prefix, UserOf(folder), folder});
  };
  if (const std::string named = RegistryCookieFolder(prefix); !named.empty()) add(named);
  const std::string users = prefix + "/drive_c/users";
  std::vector<std::string> names = Children(users);
  // The login user first: Wine names the user's folder after it.
  const auto login = std::find(names.begin(), names.end(), StoreBackend::LoginName());
  if (login != names.end()) std::rotate(names.begin(), login, login + 1);
  for (const std::string& user : names) {
    if (user == "Public") continue;
    for (const char* folder : kCookieFolders) add(users + "/" + user + "/" + folder);
  }
  return places;
}

std::string WineServerRunning(const std::string& prefix) {
  std::string serverName;
  for (const LockPlace& place : LockPlaces(prefix, serverName)) {
    const pid_t holder = LockHolder(place.folder + "/lock");
    if (holder > 0) return "a wineserver (pid " + std::to_string(holder) + ") runs for " + prefix;
    if (holder < 0) return "whether a wineserver runs for " + prefix + " cannot be told";
  }
  return {};
}

WineServerLock::~WineServerLock() {
  for (const int fd : m_fds) ::close(fd);
}

bool WineServerLock::Acquire(const std::string& prefix, std::string& problem) {
  std::string serverName;
  const std::vector<LockPlace> places = LockPlaces(prefix, serverName);
  if (places.empty()) {
    problem = "cannot read " + prefix + ": " + std::strerror(errno);
    return false;
  }
  const bool debian = places.front().debian;
  for (const LockPlace& place : places) {
    // A server folder that is not there is made where the prefix's own Wine would make it, so
    // that a server starting now finds the lock taken.
    const bool own = place.debian ? &place == &places.front() : !debian;
    if (!IsFolder(place.folder)) {
      if (!own) continue;
      const std::string parent = place.folder.substr(0, place.folder.find_last_of('/'));
      if (!MakePrivateFolder(parent) || !MakePrivateFolder(place.folder)) {
        problem = "cannot make " + place.folder +
                  " to hold the wineserver's lock: " + std::strerror(errno);
        return false;
      }
    }
    const std::string path = place.folder + "/lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
      problem = "cannot open " + path + ": " + std::strerror(errno);
      return false;
    }
    m_fds.push_back(fd);
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 1;  // the byte a wineserver locks
    if (::fcntl(fd, F_SETLK, &lock) != 0) {
      const pid_t holder = LockHolder(path);
      problem = errno == EAGAIN || errno == EACCES
                    ? "a wineserver (pid " + std::to_string(holder) + ") runs for " + prefix
                    : "cannot lock " + path + ": " + std::strerror(errno);
      return false;
    }
  }
  return true;
}

std::vector<std::string> FindWinePrefixes() {
  std::vector<std::string> prefixes;
  std::set<std::string> seen;
  auto add = [&](const std::string& folder) {
    if (IsFolder(folder + "/drive_c") && seen.insert(Real(folder)).second) {
      prefixes.push_back(folder);
    }
  };
  auto addChildren = [&](const std::string& folder, const char* below = "") {
    for (const std::string& name : Children(folder)) add(folder + "/" + name + below);
  };
  const char* home = std::getenv("HOME");
  const std::string h = home != nullptr && *home == '/' ? home : "";
  if (const char* named = std::getenv("WINEPREFIX"); named != nullptr && *named == '/') {
    add(named);
  }
  if (h.empty()) return prefixes;
  add(h + "/.wine");
  addChildren(h + "/.local/share/wineprefixes");     // winetricks
  addChildren(h + "/.local/share/bottles/bottles");  // Bottles
  addChildren(h + "/.var/app/com.usebottles.bottles/data/bottles/bottles");
  addChildren(h + "/.PlayOnLinux/wineprefix");                          // PlayOnLinux
  addChildren(h + "/.cxoffice");                                        // CrossOver
  addChildren(h + "/Games");                                            // Lutris
  addChildren(h + "/Games/Heroic/Prefixes/default");                    // Heroic
  for (const char* steam : {"/.steam/steam", "/.local/share/Steam"}) {  // Proton
    addChildren(h + steam + "/steamapps/compatdata", "/pfx");
  }
  return prefixes;
}

}  // namespace platform::detail
