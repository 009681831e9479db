#include <dirent.h>
#include <sys/stat.h>

#include <set>

#include "Store.h"

namespace platform {

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

bool CheckUrlCache(UrlCacheCheck& report) {
  report = UrlCacheCheck{};
  std::vector<UrlCacheRecord> records;
  {
    std::unique_lock<std::mutex> lock;
    detail::Store* store = detail::OpenStore(lock);
    if (store == nullptr || !store->IntegrityCheck(report.problems) || !store->List(records)) {
      return false;
    }
  }
  report.entries = static_cast<int>(records.size());
  std::set<std::string> referenced;
  for (const UrlCacheRecord& record : records) {
    if (record.localFile.empty()) continue;
    referenced.insert(detail::NameInCookieFolder(record.localFile));
    struct stat st {};
    if (::lstat(record.localFile.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
      report.problems.push_back("entry " + record.url + ": file missing: " + record.localFile);
    } else if (static_cast<uint64_t>(st.st_size) != record.size) {
      report.problems.push_back("entry " + record.url + ": size " + std::to_string(record.size) +
                                " but the file has " + std::to_string(st.st_size));
    }
  }
  const std::string folder = CookieFolder();
  for (const std::string& path : {UrlCacheRoot(), folder}) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && (st.st_mode & 077) != 0) {
      report.problems.push_back("folder readable by others: " + path);
    }
  }
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) {
    report.problems.push_back("cannot list the cookie folder " + folder);
    return true;
  }
  while (const dirent* item = ::readdir(dir)) {
    const std::string name = item->d_name;
    if (name == "." || name == "..") continue;
    ++report.files;
    const std::string path = folder + "/" + name;
    if (referenced.count(name) == 0) report.problems.push_back("orphan file: " + path);
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && (st.st_mode & 077) != 0) {
      report.problems.push_back("file readable by others: " + path);
    }
  }
  ::closedir(dir);
  return true;
}

}  // namespace platform
