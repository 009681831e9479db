#include "FirefoxProfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform::detail {
namespace {

constexpr int kSnapshotTries = 20;
constexpr size_t kWalHeader = 32;  // magic, version, page size, checkpoint sequence, salts

struct flock WholeFile(short type) {
  struct flock lock {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0;
  lock.l_len = 0;
  return lock;
}

// The WAL's header: it changes when SQLite restarts the WAL over its old frames. "" when absent.
// (Growth alone does no harm: a frame torn at the end of the copy is ignored.)
std::string WalState(const std::string& wal) {
  const int fd = ::open(wal.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return {};
  std::string state(kWalHeader, '\0');
  const ssize_t n = ::pread(fd, state.data(), kWalHeader, 0);
  state.resize(n > 0 ? size_t(n) : 0);
  ::close(fd);
  return "wal:" + state;
}

// What changes when the main file is written.
std::string FileState(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return {};
  return std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) + ":" +
         std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
}

// Copies a file into a new file of mode 0600. `absent` is set when the source is not there.
bool CopyInto(const std::string& from, const std::string& to, bool& absent, std::string& problem) {
  absent = false;
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (in < 0) {
    absent = errno == ENOENT;
    if (!absent) problem = "cannot read " + from + ": " + std::strerror(errno);
    return absent;
  }
  struct stat st {};
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    problem = from + " is not a regular file";
    return false;
  }
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (out < 0) {
    problem = "cannot create " + to + ": " + std::strerror(errno);
    ::close(in);
    return false;
  }
  std::vector<char> buffer(1 << 20);
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      problem = "cannot read " + from + ": " + std::strerror(errno);
      ok = false;
      break;
    }
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::write(out, buffer.data() + done, size_t(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        problem = "cannot write " + to + ": " + std::strerror(errno);
        ok = false;
        break;
      }
      done += w;
    }
    if (!ok) break;
  }
  ::close(in);
  if (::close(out) != 0 && ok) {
    problem = "cannot write " + to + ": " + std::strerror(errno);
    ok = false;
  }
  return ok;
}

}  // namespace

pid_t FirefoxHoldingProfile(const std::string& folder) {
  const int fd = ::open((folder + "/.parentlock").c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return errno == ENOENT ? 0 : -1;
  struct flock lock = WholeFile(F_WRLCK);
  const int rc = ::fcntl(fd, F_GETLK, &lock);
  ::close(fd);
  if (rc != 0) return -1;
  return lock.l_type == F_UNLCK ? 0 : (lock.l_pid > 0 ? lock.l_pid : -1);
}

ProfileLock::~ProfileLock() {
  if (m_fd >= 0) ::close(m_fd);  // closing drops the lock
}

bool ProfileLock::Take(const std::string& folder, pid_t& holder, std::string& problem) {
  holder = 0;
  const std::string path = folder + "/.parentlock";
  // Firefox makes the file on its first start; a profile without one gets it as Firefox would.
  m_fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (m_fd < 0) {
    holder = -1;
    problem = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  struct flock lock = WholeFile(F_WRLCK);
  if (::fcntl(m_fd, F_SETLK, &lock) == 0) return true;
  const int error = errno;
  struct flock probe = WholeFile(F_WRLCK);
  holder = ::fcntl(m_fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK && probe.l_pid > 0
               ? probe.l_pid
               : -1;
  problem = path + " is locked" +
            (holder > 0 ? " by process " + std::to_string(holder)
                        : std::string(": ") + std::strerror(error));
  ::close(m_fd);
  m_fd = -1;
  return false;
}

DatabaseSnapshot::~DatabaseSnapshot() { Remove(); }

void DatabaseSnapshot::Remove() {
  if (m_folder.empty()) return;
  if (DIR* dir = ::opendir(m_folder.c_str())) {
    while (const dirent* item = ::readdir(dir)) {
      if (std::strcmp(item->d_name, ".") != 0 && std::strcmp(item->d_name, "..") != 0) {
        ::unlinkat(::dirfd(dir), item->d_name, 0);
      }
    }
    ::closedir(dir);
  }
  ::rmdir(m_folder.c_str());
  m_folder.clear();
  m_path.clear();
}

bool DatabaseSnapshot::Take(const std::string& database, std::string& problem) {
  Remove();
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base == '/' ? base : "/tmp") + "/tolvane-snapshot-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {  // made 0700
    problem =
        "cannot make a private folder for a copy of " + database + ": " + std::strerror(errno);
    return false;
  }
  m_folder = pattern;
  m_path = m_folder + "/cookies.sqlite";
  const std::string wal = database + "-wal";
  for (int attempt = 0; attempt < kSnapshotTries; ++attempt) {
    const std::string walBefore = WalState(wal);
    const std::string mainBefore = FileState(database);
    bool absent = false;
    if (!CopyInto(database, m_path, absent, problem)) return false;
    if (absent) {
      problem = "cannot read " + database + ": no such file";
      return false;
    }
    ::unlink((m_path + "-wal").c_str());
    ::unlink((m_path + "-shm").c_str());
    if (!CopyInto(wal, m_path + "-wal", absent, problem)) return false;
    // Unchanged around both copies: the copied WAL holds every transaction since the main
    // file's state, and SQLite ignores a frame torn at its end.
    if (WalState(wal) == walBefore && FileState(database) == mainBefore) return true;
    ::usleep(useconds_t(2000 * (attempt + 1)));
  }
  problem = database + " kept changing while it was copied; try again";
  return false;
}

}  // namespace platform::detail
