// Store locations: what kind of store a path holds, found from its content.
#include "platform/StoreLocation.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "../Internal.h"
#include "Backend.h"

namespace platform {
namespace {

struct KindName {
  const char* name;
  StoreKind kind;
};
constexpr KindName kKindNames[] = {
    {"urlcache", StoreKind::UrlCache},
    {"netscape", StoreKind::Netscape},
    {"cookies.txt", StoreKind::Netscape},
    {"cookiestxt", StoreKind::Netscape},
    {"firefox", StoreKind::Firefox},
    {"chromium", StoreKind::Chromium},
    {"wine", StoreKind::Wine},
};

const char kExpected[] =
    "expected a Tolvane store folder (index.sqlite), a cookies.txt file, a Firefox profile "
    "(cookies.sqlite), a Chromium profile (Cookies) or a Wine prefix (drive_c)";

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderIsEmpty(const std::string& path) {
  bool empty = true;
  if (DIR* dir = ::opendir(path.c_str())) {
    while (const dirent* item = ::readdir(dir)) {
      if (std::strcmp(item->d_name, ".") != 0 && std::strcmp(item->d_name, "..") != 0) {
        empty = false;
        break;
      }
    }
    ::closedir(dir);
  }
  return empty;
}

// The first bytes of a file, read without blocking on a FIFO.
std::string Head(const std::string& path, size_t size) {
  std::string bytes;
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return bytes;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    bytes.resize(size);
    const ssize_t n = ::read(fd, bytes.data(), size);
    bytes.resize(n > 0 ? size_t(n) : 0);
  }
  ::close(fd);
  return bytes;
}

// A cookies.txt starts with its header, or its first line that is not blank or a comment is
// a cookie line of seven fields. An empty file is one too: nothing else is empty.
bool LooksLikeCookiesTxt(std::string_view head, bool whole) {
  if (head.find('\0') != std::string_view::npos) return false;
  size_t start = 0;
  bool first = true;
  while (start < head.size()) {
    size_t end = head.find('\n', start);
    if (end == std::string_view::npos) {
      if (!whole) return false;  // a line longer than what was read: not a cookie line
      end = head.size();
    }
    std::string_view line = head.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (first && (line.rfind("# Netscape HTTP Cookie File", 0) == 0 ||
                  line.rfind("# HTTP Cookie File", 0) == 0)) {
      return true;
    }
    first = false;
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    if (line.rfind("#HttpOnly_", 0) == 0) {
      line.remove_prefix(10);
    } else if (line.front() == '#') {
      continue;
    }
    size_t tabs = 0;
    for (const char c : line) tabs += c == '\t';
    return tabs == 6;
  }
  return true;
}

std::string Absolute(std::string path) {
  if (!path.empty() && path[0] != '/') {
    char cwd[PATH_MAX];
    if (::getcwd(cwd, sizeof cwd) != nullptr) path = std::string(cwd) + "/" + path;
  }
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The kind of store an existing path holds; false when it holds none.
bool Detect(const std::string& path, StoreKind& kind, std::string& storePath) {
  storePath = path;
  if (IsFolder(path)) {
    if (::access((path + "/index.sqlite").c_str(), F_OK) == 0 || IsFolder(path + "/Cookies")) {
      kind = StoreKind::UrlCache;
    } else if (IsFile(path + "/cookies.sqlite")) {
      kind = StoreKind::Firefox;
    } else if (IsFile(path + "/Cookies") || IsFile(path + "/Network/Cookies")) {
      kind = StoreKind::Chromium;
    } else if (IsFile(path + "/Default/Cookies")) {
      kind = StoreKind::Chromium;  // a browser's user-data folder: its first profile
      storePath = path + "/Default";
    } else if (IsFolder(path + "/drive_c") || IsFile(path + "/index.dat")) {
      kind = StoreKind::Wine;
    } else if (FolderIsEmpty(path)) {
      kind = StoreKind::UrlCache;  // a new store of our own
    } else {
      return false;
    }
    return true;
  }
  if (!IsFile(path)) return false;
  const size_t slash = path.find_last_of('/');
  const std::string name = path.substr(slash + 1);
  const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
  constexpr size_t kHead = 65536;
  const std::string head = Head(path, kHead);
  if (head.rfind(std::string("SQLite format 3\0", 16), 0) == 0) {
    if (name == "index.sqlite") {
      kind = StoreKind::UrlCache;
      storePath = folder;
    } else if (name == "cookies.sqlite") {
      kind = StoreKind::Firefox;
    } else if (name == "Cookies") {
      kind = StoreKind::Chromium;
    } else {
      return false;
    }
    return true;
  }
  if (name == "index.dat" && head.rfind("WINE URLCache", 0) == 0) {
    kind = StoreKind::Wine;
    return true;
  }
  struct stat st {};
  ::stat(path.c_str(), &st);
  if (LooksLikeCookiesTxt(head, off_t(head.size()) == st.st_size)) {
    kind = StoreKind::Netscape;
    return true;
  }
  return false;
}

std::string Real(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
}

}  // namespace

const char* StoreKindName(StoreKind kind) {
  for (const KindName& k : kKindNames) {
    if (k.kind == kind) return k.name;
  }
  return "urlcache";
}

const char* StoreKindTitle(StoreKind kind) {
  switch (kind) {
    case StoreKind::UrlCache:
      return "Tolvane store";
    case StoreKind::Netscape:
      return "cookies.txt";
    case StoreKind::Firefox:
      return "Firefox profile";
    case StoreKind::Chromium:
      return "Chromium profile";
    case StoreKind::Wine:
      return "Wine prefix";
  }
  return "";
}

std::string StoreLocation::Text() const { return std::string(StoreKindName(kind)) + ":" + path; }

bool ResolveStoreLocation(const std::string& text, StoreLocation& location, std::string& problem) {
  std::string path = text;
  bool forced = false;
  StoreKind kind = StoreKind::UrlCache;
  if (const size_t colon = text.find(':'); colon != std::string::npos && text[0] != '/') {
    for (const KindName& k : kKindNames) {
      if (text.compare(0, colon, k.name) == 0 && std::strlen(k.name) == colon) {
        forced = true;
        kind = k.kind;
        path = text.substr(colon + 1);
      }
    }
  }
  if (path.empty()) {
    problem = "no path given for the store";
    return false;
  }
  path = Absolute(path);
  struct stat st {};
  if (forced && kind == StoreKind::UrlCache && ::lstat(path.c_str(), &st) != 0 && errno == ENOENT) {
    // Named as Tolvane's own store: it is made there on first use.
    location = StoreLocation{kind, path};
    return true;
  }
  if (::stat(path.c_str(), &st) != 0) {
    problem = path + ": " + std::strerror(errno) + " (" + kExpected + ")";
    return false;
  }
  // Files are worked on where they really are (a commit replaces the file, not a link to it);
  // a store folder keeps the name it was given, and its own checks vet what it leads to.
  const std::string real = Real(path);
  std::string storePath;
  StoreKind found = StoreKind::UrlCache;
  const bool known = Detect(real, found, storePath);
  if (!forced) {
    if (!known) {
      problem = path + " holds no cookie store of a known kind (" + kExpected + ")";
      return false;
    }
    kind = found;
  } else if (kind == StoreKind::UrlCache ? !S_ISDIR(st.st_mode)
                                         : kind == StoreKind::Netscape && !S_ISREG(st.st_mode)) {
    problem = path + " is not " + (kind == StoreKind::UrlCache ? "a folder" : "a file") + " (" +
              StoreKindTitle(kind) + " expected)";
    return false;
  } else {
    storePath = real;
  }
  location.kind = kind;
  location.path = kind == StoreKind::UrlCache && storePath == real ? path : storePath;
  return true;
}

}  // namespace platform

namespace platform::detail {

std::string StoreBackend::LoginName() {
  static const std::string name = [] {
    if (const passwd* entry = ::getpwuid(::geteuid()); entry != nullptr && entry->pw_name[0]) {
      return std::string(entry->pw_name);
    }
    const char* user = std::getenv("USER");
    return std::string(user != nullptr && *user != '\0' ? user : "user");
  }();
  return name;
}

}  // namespace platform::detail
