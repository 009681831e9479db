#include "AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace platform::detail {
namespace {

std::string Reason(const std::string& what, int error) {
  return what + ": " + std::strerror(error);
}

// Keeps errno across the clean-up that follows a failure.
struct SavedErrno {
  int value = errno;
  ~SavedErrno() { errno = value; }
};

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      return false;
    }
    done += size_t(n);
  }
  return true;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, const std::string& bytes, mode_t newMode,
                           std::string& problem) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) {
    problem = Reason("cannot open the folder " + folder, errno);
    return false;
  }
  struct stat old {};
  const bool replacing = ::fstatat(dir, base.c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0;
  if (replacing && !S_ISREG(old.st_mode)) {
    ::close(dir);
    errno = EINVAL;
    problem = path + " is not a regular file";
    return false;
  }
  std::random_device random;
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = "." + base.substr(0, 200) + ".tolvane-" + std::to_string(random());
    fd = ::openat(dir, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    SavedErrno saved;
    ::close(dir);
    problem = Reason("cannot create a file in " + folder, saved.value);
    return false;
  }
  const mode_t mode = replacing ? (old.st_mode & 07777) : newMode;
  bool ok = ::fchmod(fd, mode) == 0;
  if (ok && replacing && ::geteuid() == 0) ok = ::fchown(fd, old.st_uid, old.st_gid) == 0;
  ok = ok && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  if (!ok) {
    SavedErrno saved;
    problem = Reason("cannot write " + folder + temp, saved.value);
    ::close(fd);
    ::unlinkat(dir, temp.c_str(), 0);
    ::close(dir);
    return false;
  }
  if (::close(fd) != 0 || ::renameat(dir, temp.c_str(), dir, base.c_str()) != 0) {
    SavedErrno saved;
    problem = Reason("cannot replace " + path, saved.value);
    ::unlinkat(dir, temp.c_str(), 0);
    ::close(dir);
    return false;
  }
  ::fsync(dir);  // the rename itself, on file systems that need it
  ::close(dir);
  return true;
}

bool ReadRegularFile(const std::string& path, std::string& bytes, std::string& problem) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    problem = Reason("cannot open " + path, errno);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    problem = path + " is not a regular file";
    return false;
  }
  bytes.clear();
  bytes.reserve(size_t(st.st_size));
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      SavedErrno saved;
      ::close(fd);
      problem = Reason("cannot read " + path, saved.value);
      return false;
    }
    bytes.append(chunk, size_t(n));
  }
  ::close(fd);
  return true;
}

}  // namespace platform::detail
