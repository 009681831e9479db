// The cookie folder's files as the index sees them: new names, deletions, orphans.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "Internal.h"
#include "Store.h"
#include "StoreSql.h"

namespace platform::detail {
namespace {

constexpr int kMaxNameAttempts = 1000;
constexpr size_t kMaxWriting = 256;

// The number in a name of the form "stem[n].ext", or 0.
uint64_t NameNumber(const std::string& name) {
  const size_t open = name.rfind('[');
  const size_t close = name.find(']', open == std::string::npos ? 0 : open);
  if (open == std::string::npos || close == std::string::npos || close == open + 1) return 0;
  uint64_t number = 0;
  for (size_t i = open + 1; i < close; ++i) {
    if (name[i] < '0' || name[i] > '9' || number > UINT64_MAX / 20) return 0;
    number = number * 10 + uint64_t(name[i] - '0');
  }
  return number;
}

// Whether another open file description holds a lock on the file: a process between making
// the file and committing it.
bool BeingWritten(int fd) {
  struct flock probe {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  return ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

}  // namespace

// The next number for a file name, from the counter the index keeps; an index that has none
// yet starts it above every number its entries and the folder already use, so no name that
// was ever handed out comes again.
bool Store::NextNumber(uint64_t& number) {
  if (!Exec(kCounters)) return false;
  sqlite3_stmt* s = Statement("SELECT value FROM counters WHERE name = 'file'");
  if (s == nullptr) return false;
  Reset reset{s};
  const int rc = sqlite3_step(s);
  if (rc == SQLITE_ROW) {
    number = static_cast<uint64_t>(sqlite3_column_int64(s, 0));
    return true;
  }
  if (rc != SQLITE_DONE) return Failed("read the name counter");
  number = 1;
  std::vector<std::string> names;
  if (!m_folder->ListFiles(names)) return false;
  sqlite3_stmt* files = Statement("SELECT file FROM entries");
  if (files == nullptr) return false;
  Reset resetFiles{files};
  while (sqlite3_step(files) == SQLITE_ROW) names.push_back(BlobText(files, 0));
  for (const std::string& name : names) number = std::max(number, NameNumber(name) + 1);
  return true;
}

bool Store::NewFile(const std::string& stem, const std::string& extension, std::string& name) {
  if (!BeginWrite(LockTimeoutMs())) return false;
  uint64_t number = 0;
  if (!NextNumber(number)) return Rollback();
  int fd = -1;
  for (int attempt = 0; attempt < kMaxNameAttempts && fd < 0; ++attempt, ++number) {
    name = stem + "[" + std::to_string(number) + "]" + (extension.empty() ? "" : "." + extension);
    fd = m_folder->OpenFile(name, O_RDWR | O_CREAT | O_EXCL);
    if (fd < 0 && GetLastError() != ERROR_FILE_EXISTS) return Rollback();
  }
  if (fd < 0) {
    Fail(ERROR_FILE_EXISTS, "no free file name for " + stem);
    return Rollback();
  }
  sqlite3_stmt* s = Statement("INSERT OR REPLACE INTO counters(name, value) VALUES('file', ?)");
  bool counted = s != nullptr;
  if (counted) {
    Reset reset{s};
    sqlite3_bind_int64(s, 1, static_cast<sqlite3_int64>(number));
    counted = sqlite3_step(s) == SQLITE_DONE || Failed("count the file name");
  }
  if (!counted) Rollback();
  if (!counted || !EndWrite()) {
    const DWORD error = GetLastError();
    const std::string detail = LastUrlCacheErrorDetail();
    m_folder->RemoveFile(name);
    ::close(fd);
    Fail(error, detail);
    return false;
  }
  // Marked as being written for as long as this process lives or until it is committed.
  struct flock hold {};
  hold.l_type = F_WRLCK;
  hold.l_whence = SEEK_SET;
  ::fcntl(fd, F_OFD_SETLK, &hold);
  if (m_writing.size() >= kMaxWriting) {
    ::close(m_writing.begin()->second);
    m_writing.erase(m_writing.begin());
  }
  m_writing[name] = fd;
  return true;
}

void Store::Release(const std::string& name) {
  const auto found = m_writing.find(name);
  if (found == m_writing.end()) return;
  ::close(found->second);
  m_writing.erase(found);
}

bool Store::DeleteFile(const std::string& name) {
  // Nothing there, nothing to guard: the usual end of a commit, whose old file the store
  // removed already.
  struct stat st {};
  if (!ReadOnly() && !m_folder->StatFile(name, st) && errno == ENOENT) {
    Release(name);
    Fail(ERROR_FILE_NOT_FOUND, "no such file: " + m_folder->CookiePath() + "/" + name);
    return false;
  }
  if (!BeginWrite(LockTimeoutMs())) return false;
  bool referenced = true;
  if (!FileReferenced(name, referenced)) return Rollback();
  if (referenced) {
    Fail(ERROR_ACCESS_DENIED, m_folder->CookiePath() + "/" + name +
                                  " holds the cookies of a cache entry: delete the entry instead");
    return Rollback();
  }
  if (!m_folder->RemoveFile(name)) return Rollback();
  Release(name);
  return EndWrite();
}

bool Store::ReadFile(const std::string& name, std::string& bytes) {
  const int fd = m_folder->OpenFile(name, O_RDONLY);
  if (fd < 0) return false;
  bytes.clear();
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      Fail(ERROR_READ_FAULT,
           "cannot read " + m_folder->CookiePath() + "/" + name + ": " + std::strerror(error));
      return false;
    }
    bytes.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

bool Store::RemoveOrphans(std::vector<std::string>& removed, std::vector<std::string>& left) {
  // Under the write lock: no commit can take up a file between the look and the removal.
  if (!BeginWrite(LockTimeoutMs())) return false;
  std::vector<std::string> names;
  if (!m_folder->ListFiles(names)) return Rollback();
  for (const std::string& name : names) {
    bool referenced = true;
    if (!FileReferenced(name, referenced)) return Rollback();
    if (referenced) continue;
    const std::string path = m_folder->CookiePath() + "/" + name;
    struct stat st {};
    if (!m_folder->StatFile(name, st)) continue;
    if (!S_ISREG(st.st_mode)) {
      left.push_back("not a regular file, left alone: " + path);
      continue;
    }
    const int fd = ::openat(m_folder->CookieFd(), name.c_str(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    const bool writing = fd >= 0 && BeingWritten(fd);
    if (fd >= 0) ::close(fd);
    if (writing) {
      left.push_back("being written by a running program, left alone: " + path);
      continue;
    }
    if (m_folder->RemoveFile(name)) removed.push_back(path);
  }
  return EndWrite();
}

}  // namespace platform::detail
