#include "StoreFolder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Internal.h"

namespace platform::detail {
namespace {

constexpr const char kCookies[] = "Cookies";

std::string Mode(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

// Creates the missing folders of `path` owner-only. A folder this call made gets 0700 whatever
// the umask; one that was there is left as it is.
void MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (::mkdir(folder.c_str(), 0700) == 0) ::chmod(folder.c_str(), 0700);
    if (slash == std::string::npos) break;
  }
}

// As ssh treats its folder: a store folder belongs to this user and nobody else may write in
// it. Read and search bits of others are taken away when the folder can be changed.
bool VetFolder(int fd, const std::string& path, std::string& readOnly, std::string& why) {
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) {
    why = "not a folder: " + path;
    return false;
  }
  if (st.st_uid != ::geteuid()) {
    why = "the store folder " + path + " belongs to user " + std::to_string(st.st_uid) +
          ", not to this user (" + std::to_string(::geteuid()) + "): refused";
    return false;
  }
  if ((st.st_mode & 022) != 0) {
    why = "the store folder " + path + " may be written by group or others (mode " +
          Mode(st.st_mode) + "): refused; make it 0700";
    return false;
  }
  if ((st.st_mode & S_IWUSR) == 0) {
    if (readOnly.empty())
      readOnly = path + " has no write permission (mode " + Mode(st.st_mode) + ")";
  } else if ((st.st_mode & 077) != 0 && readOnly.empty()) {
    ::fchmod(fd, st.st_mode & 0700);
  }
  return true;
}

}  // namespace

bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

StoreFolder::StoreFolder(std::string root, int rootFd)
    : m_root(std::move(root)), m_cookiePath(m_root + "/Cookies"), m_rootFd(rootFd) {}

StoreFolder::~StoreFolder() {
  if (m_cookieFd >= 0) ::close(m_cookieFd);
  ::close(m_rootFd);
}

std::unique_ptr<StoreFolder> StoreFolder::Open(const std::string& root, std::string& detail,
                                               DWORD& error) {
  auto refuse = [&](DWORD code, const std::string& why) -> std::unique_ptr<StoreFolder> {
    error = code;
    detail = why;
    return nullptr;
  };
  // The root itself may be reached through a link (a data folder on another disk); what is
  // inside it never is.
  int rootFd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (rootFd < 0 && errno == ENOENT) {
    MakeFolders(root);
    rootFd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  if (rootFd < 0) {
    const int e = errno;
    return refuse(e == ENOTDIR ? ERROR_PATH_NOT_FOUND : ErrorFromErrno(e),
                  "cannot open the store folder " + root + ": " + std::strerror(e));
  }
  std::unique_ptr<StoreFolder> folder(new StoreFolder(root, rootFd));
  struct statvfs fs {};
  if (::fstatvfs(rootFd, &fs) == 0 && (fs.f_flag & ST_RDONLY) != 0) {
    folder->m_readOnly = root + " is on a read-only file system";
  }
  std::string why;
  if (!VetFolder(rootFd, root, folder->m_readOnly, why)) return refuse(ERROR_ACCESS_DENIED, why);

  const std::string cookies = folder->CookiePath();
  struct stat st {};
  if (::fstatat(rootFd, kCookies, &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT &&
      !folder->ReadOnly() && ::mkdirat(rootFd, kCookies, 0700) == 0) {
    ::fchmodat(rootFd, kCookies, 0700, 0);
  }
  if (::fstatat(rootFd, kCookies, &st, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT && folder->ReadOnly()) return folder;  // nothing stored yet
    const int e = errno;
    return refuse(ErrorFromErrno(e),
                  "cannot use the cookie folder " + cookies + ": " + std::strerror(e));
  }
  if (S_ISLNK(st.st_mode)) {
    return refuse(ERROR_ACCESS_DENIED,
                  "the cookie folder " + cookies + " is a symbolic link: refused, not followed");
  }
  folder->m_cookieFd = ::openat(rootFd, kCookies, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (folder->m_cookieFd < 0) {
    const int e = errno;
    return refuse(e == ENOTDIR ? ERROR_ACCESS_DENIED : ErrorFromErrno(e),
                  "cannot open the cookie folder " + cookies + ": " + std::strerror(e));
  }
  if (!VetFolder(folder->m_cookieFd, cookies, folder->m_readOnly, why)) {
    return refuse(ERROR_ACCESS_DENIED, why);
  }
  return folder;
}

int StoreFolder::OpenFile(const std::string& name, int flags, bool inRoot) {
  const auto path = [&] { return PathOf(name, inRoot); };  // for messages only
  if (!IsPlainName(name)) {
    Fail(ERROR_INVALID_NAME, "not a plain file name: " + path());
    return -1;
  }
  const bool writes = (flags & O_ACCMODE) != O_RDONLY || (flags & (O_CREAT | O_TRUNC)) != 0;
  if (writes && ReadOnly()) {
    Fail(ERROR_FILE_READ_ONLY, "the store is read-only (" + m_readOnly + "): " + path());
    return -1;
  }
  if (FolderFd(inRoot) < 0) {
    Fail(ERROR_FILE_NOT_FOUND, "no such file: " + path());
    return -1;
  }
  const bool truncate = (flags & O_TRUNC) != 0;
  // O_NONBLOCK: a FIFO or device in the folder must not hold the program up.
  const int fd =
      ::openat(FolderFd(inRoot), name.c_str(),
               (flags & ~O_TRUNC) | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
  if (fd < 0) {
    const int e = errno;
    if (e == ELOOP) {
      Fail(ERROR_ACCESS_DENIED, path() + " is a symbolic link: refused, not followed");
    } else if (e == ENXIO || e == ENODEV) {
      Fail(ERROR_ACCESS_DENIED, path() + " is not a regular file: refused");
    } else {
      Fail(ErrorFromErrno(e), "cannot open " + path() + ": " + std::strerror(e));
    }
    return -1;
  }
  struct stat st {};
  std::string why;
  if (::fstat(fd, &st) != 0) {
    why = std::string("cannot read its status: ") + std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    why = "is not a regular file: refused";
  } else if (st.st_nlink > 1) {
    why = "has " + std::to_string(st.st_nlink) + " hard links: refused";
  } else if (st.st_uid != ::geteuid()) {
    why = "belongs to user " + std::to_string(st.st_uid) + ": refused";
  }
  if (!why.empty()) {
    ::close(fd);
    Fail(ERROR_ACCESS_DENIED, path() + " " + why);
    return -1;
  }
  if ((st.st_mode & 0777) != 0600 && !ReadOnly() &&
      ((st.st_mode & 077) != 0 || (flags & O_CREAT) != 0)) {
    ::fchmod(fd, 0600);
  }
  // O_NONBLOCK stays: a regular file takes no notice of it.
  if (truncate && ::ftruncate(fd, 0) != 0) {
    const int e = errno;
    ::close(fd);
    Fail(ErrorFromErrno(e), "cannot open " + path() + ": " + std::strerror(e));
    return -1;
  }
  return fd;
}

bool StoreFolder::StatFile(const std::string& name, struct stat& st, bool inRoot) const {
  if (!IsPlainName(name) || FolderFd(inRoot) < 0) {
    errno = ENOENT;
    return false;
  }
  return ::fstatat(FolderFd(inRoot), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool StoreFolder::RemoveFile(const std::string& name) {
  const std::string path = PathOf(name, false);
  if (ReadOnly()) {
    Fail(ERROR_FILE_READ_ONLY, "the store is read-only (" + m_readOnly + "): " + path);
    return false;
  }
  struct stat st {};
  if (!StatFile(name, st)) {
    Fail(ERROR_FILE_NOT_FOUND, "no such file: " + path);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    Fail(ERROR_ACCESS_DENIED, path + " is a folder");
    return false;
  }
  if (::unlinkat(m_cookieFd, name.c_str(), 0) != 0) {
    const int e = errno;
    Fail(ErrorFromErrno(e), "cannot remove " + path + ": " + std::strerror(e));
    return false;
  }
  return true;
}

bool StoreFolder::ListFiles(std::vector<std::string>& names) const {
  names.clear();
  if (m_cookieFd < 0) return true;
  const int fd = ::openat(m_cookieFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
  if (dir == nullptr) {
    const int e = errno;
    if (fd >= 0) ::close(fd);
    Fail(ErrorFromErrno(e), "cannot list " + CookiePath() + ": " + std::strerror(e));
    return false;
  }
  while (const dirent* item = ::readdir(dir)) {
    const std::string name = item->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  ::closedir(dir);
  return true;
}

}  // namespace platform::detail
