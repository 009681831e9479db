// Tolvane's own store as a back end: the names of new files, reading an entry's file, the
// commit of a file the store made, and the store's check.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "Internal.h"
#include "Store.h"

namespace platform::detail {
namespace {

constexpr size_t kMaxNameStem = 64;
constexpr size_t kNumberLength = 22;  // "[" and 20 digits and "]"

// A file name stem from a URL name: its site part, restricted to bytes that mean nothing to a
// file system. No separator, no "..", no control byte, bounded length.
std::string NameStem(const std::string& url, size_t limit) {
  size_t start = url.find('@');
  if (start == std::string::npos) start = url.find(':');
  std::string site = start == std::string::npos ? url : url.substr(start + 1);
  std::string stem;
  for (const char c : site) {
    if (stem.size() >= limit) break;
    const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '_' || (c == '.' && !stem.empty() && stem.back() != '.');
    stem += safe ? c : '_';
  }
  return stem.empty() ? std::string("cookie") : stem;
}

std::string SafeExtension(const char* extension) {
  std::string out;
  for (const char* p = extension; p != nullptr && *p != '\0' && out.size() < 8; ++p) {
    if ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z') || (*p >= '0' && *p <= '9')) {
      out += *p;
    }
  }
  return out;
}

std::string FileNameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

void CheckEntryFiles(const StoreFolder& folder, const std::vector<UrlCacheRecord>& records,
                     std::set<std::string>& referenced, UrlCacheCheck& report) {
  for (const UrlCacheRecord& record : records) {
    if (record.localFile.empty()) continue;
    const std::string name = FileNameOf(record.localFile);
    referenced.insert(name);
    struct stat st {};
    const std::string entry = "entry " + record.url + ": ";
    if (!folder.StatFile(name, st)) {
      report.problems.push_back(entry + "file missing: " + record.localFile);
    } else if (!S_ISREG(st.st_mode)) {
      report.problems.push_back(entry + "not a regular file: " + record.localFile);
    } else if (st.st_nlink > 1) {
      report.problems.push_back(entry + "file has " + std::to_string(st.st_nlink) +
                                " hard links: " + record.localFile);
    } else if (static_cast<uint64_t>(st.st_size) != record.size) {
      report.problems.push_back(entry + "size " + std::to_string(record.size) +
                                " but the file has " + std::to_string(st.st_size));
    }
  }
}

void CheckModes(const StoreFolder& folder, UrlCacheCheck& report) {
  const struct {
    int fd;
    std::string path;
  } folders[] = {{folder.RootFd(), folder.Root()}, {folder.CookieFd(), folder.CookiePath()}};
  for (const auto& f : folders) {
    struct stat st {};
    if (f.fd >= 0 && ::fstat(f.fd, &st) == 0 && (st.st_mode & 077) != 0) {
      report.problems.push_back("folder readable by others: " + f.path);
    }
  }
  for (const char* name : {"index.sqlite", "index.sqlite-wal", "index.sqlite-shm"}) {
    struct stat st {};
    if (folder.StatFile(name, st, true) && (st.st_mode & 077) != 0) {
      report.problems.push_back("file readable by others: " + folder.Root() + "/" + name);
    }
  }
}

}  // namespace

std::string Store::ReadOnlyReason() {
  return ReadOnly() ? "ストア " + Root() + " は読み取り専用です。" : std::string();
}

bool Store::ReadEntryFile(const UrlCacheRecord& record, std::string& bytes) {
  std::string name;
  if (record.localFile.empty() || !OwnsFile(record.localFile.c_str(), name)) {
    Fail(ERROR_FILE_NOT_FOUND, "entry " + record.url + " has no file of the cookie folder");
    return false;
  }
  return ReadFile(name, bytes);
}

bool Store::CreateEntryFile(const std::string& url, const std::string& extension,
                            std::string& path) {
  const std::string folder = m_folder->CookiePath() + "/";
  const std::string safeExtension = SafeExtension(extension.c_str());
  const size_t suffix = kNumberLength + safeExtension.size() + 1;  // "[n]" and ".ext"
  if (folder.size() + suffix + 1 >= MAX_PATH) {
    Fail(ERROR_FILENAME_EXCED_RANGE, "cookie folder path too long: " + folder);
    return false;
  }
  const std::string stem =
      NameStem(url, std::min(kMaxNameStem, MAX_PATH - 1 - folder.size() - suffix));
  std::string name;
  if (!NewFile(stem, safeExtension, name)) return false;
  path = folder + name;
  return true;
}

bool Store::WriteEntryFile(const std::string& path, const std::string& bytes) {
  std::string name;
  if (!OwnsFile(path.c_str(), name)) {
    Fail(ERROR_INVALID_PARAMETER, "not a file of the cookie folder: " + path);
    return false;
  }
  const int fd = OpenFile(name, O_WRONLY | O_TRUNC);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int error = n < 0 ? errno : ENOSPC;
      ::close(fd);
      Fail(ErrorFromErrno(error), "cannot write " + path + ": " + std::strerror(error));
      return false;
    }
    done += size_t(n);
  }
  if (::close(fd) != 0) {
    Fail(ErrorFromErrno(errno), "cannot write " + path + ": " + std::strerror(errno));
    return false;
  }
  return true;
}

bool Store::Commit(const UrlCacheRecord& record) {
  std::string file;
  // Only a file the cache made may back an entry: anything else could make a later delete
  // remove a file outside the cookie folder.
  if (!record.localFile.empty() && !OwnsFile(record.localFile.c_str(), file)) {
    Fail(ERROR_INVALID_PARAMETER, "not a file of the cookie folder: " + record.localFile);
    return false;
  }
  return CommitFile(record, file);
}

bool Store::Check(UrlCacheCheck& report, bool repair) {
  Store* store = this;
  report.readOnly = ReadOnly();
  if (repair) {
    std::vector<std::string> removed, left;
    if (!store->RemoveOrphans(removed, left)) return false;
    report.removed = static_cast<int>(removed.size());
    for (const std::string& path : removed) {
      report.repairs.push_back("removed orphan file: " + path);
    }
    report.repairs.insert(report.repairs.end(), left.begin(), left.end());
  }
  std::vector<UrlCacheRecord> records;
  if (!store->IntegrityCheck(report.problems) || !store->List(records)) return false;
  report.entries = static_cast<int>(records.size());
  const StoreFolder& folder = store->Folder();
  std::set<std::string> referenced;
  CheckEntryFiles(folder, records, referenced, report);
  CheckModes(folder, report);
  std::vector<std::string> names;
  if (!folder.ListFiles(names)) {
    report.problems.push_back("cannot list the cookie folder " + folder.CookiePath());
    return true;
  }
  for (const std::string& name : names) {
    ++report.files;
    const std::string path = folder.CookiePath() + "/" + name;
    struct stat st {};
    const bool found = folder.StatFile(name, st);
    if (referenced.count(name) == 0) {
      report.problems.push_back(found && !S_ISREG(st.st_mode)
                                    ? "not a regular file, of no entry: " + path
                                    : "orphan file: " + path);
    }
    if (found && (st.st_mode & 077) != 0 && !S_ISLNK(st.st_mode)) {
      report.problems.push_back("file readable by others: " + path);
    }
  }
  return true;
}

}  // namespace platform::detail
