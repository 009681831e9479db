#include <sys/stat.h>

#include <set>

#include "Internal.h"
#include "Store.h"

namespace platform {
namespace {

std::string FileNameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

void CheckEntryFiles(const detail::StoreFolder& folder, const std::vector<UrlCacheRecord>& records,
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

void CheckModes(const detail::StoreFolder& folder, UrlCacheCheck& report) {
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

bool Check(UrlCacheCheck& report, bool repair) {
  report = UrlCacheCheck{};
  std::unique_lock<std::mutex> lock;
  detail::Store* store = detail::OpenStore(lock);
  if (store == nullptr) return false;
  report.readOnly = store->ReadOnly();
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
  const detail::StoreFolder& folder = store->Folder();
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

}  // namespace

bool ListUrlCacheEntries(std::vector<UrlCacheRecord>& records) {
  std::unique_lock<std::mutex> lock;
  detail::Store* store = detail::OpenStore(lock);
  return store != nullptr && store->List(records);
}

bool FindUrlCacheEntry(const std::string& url, UrlCacheRecord& record) {
  std::unique_lock<std::mutex> lock;
  detail::Store* store = detail::OpenStore(lock);
  return store != nullptr && store->Get(url, record);
}

bool ReadUrlCacheFile(const UrlCacheRecord& record, std::string& bytes) {
  std::string name;
  if (record.localFile.empty() || !detail::CookieFileName(record.localFile.c_str(), name)) {
    detail::Fail(ERROR_FILE_NOT_FOUND, "not a file of the cookie folder: " + record.localFile);
    return false;
  }
  std::unique_lock<std::mutex> lock;
  detail::Store* store = detail::OpenStore(lock);
  return store != nullptr && store->ReadFile(name, bytes);
}

bool UrlCacheIsReadOnly() {
  std::unique_lock<std::mutex> lock;
  detail::Store* store = detail::OpenStore(lock);
  return store != nullptr && store->ReadOnly();
}

bool CheckUrlCache(UrlCacheCheck& report) { return Check(report, false); }

bool RepairUrlCache(UrlCacheCheck& report) { return Check(report, true); }

}  // namespace platform
