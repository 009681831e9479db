#include "VirtualFiles.h"

#include <map>
#include <mutex>
#include <set>

namespace platform::detail {
namespace {

struct Table {
  std::mutex mutex;
  // Counted: a store opened for a moment (a copy, a listing of stores) may share its root with
  // the store in use, whose files must outlive it.
  std::multiset<std::string> roots;
  std::map<std::string, std::string> files;
};

Table& Files() {
  static Table* table = new Table;  // lives to the very end: exit handlers may still ask
  return *table;
}

bool UnderRoot(const Table& table, const std::string& path) {
  for (const std::string& root : table.roots) {
    if (path.size() > root.size() + 1 && path.compare(0, root.size(), root) == 0 &&
        path[root.size()] == '/') {
      return true;
    }
  }
  return false;
}

}  // namespace

void AddVirtualRoot(const std::string& root) {
  Table& t = Files();
  std::lock_guard lock(t.mutex);
  t.roots.insert(root);
}

void RemoveVirtualRoot(const std::string& root) {
  Table& t = Files();
  std::lock_guard lock(t.mutex);
  const auto found = t.roots.find(root);
  if (found == t.roots.end()) return;
  t.roots.erase(found);
  if (t.roots.count(root) != 0) return;
  const std::string prefix = root + "/";
  for (auto it = t.files.lower_bound(prefix);
       it != t.files.end() && it->first.compare(0, prefix.size(), prefix) == 0;) {
    it = t.files.erase(it);
  }
}

bool IsVirtualPath(const std::string& path) {
  Table& t = Files();
  std::lock_guard lock(t.mutex);
  return UnderRoot(t, path);
}

bool CreateVirtualFile(const std::string& path) {
  Table& t = Files();
  std::lock_guard lock(t.mutex);
  return UnderRoot(t, path) && t.files.emplace(path, std::string()).second;
}

bool VirtualFileExists(const std::string& path) {
  Table& t = Files();
  std::lock_guard lock(t.mutex);
  return t.files.count(path) != 0;
}

bool TruncateVirtualFile(const std::string& path) {
  Table& t = Files();
  std::lock_guard lock(t.mutex);
  const auto found = t.files.find(path);
  if (found == t.files.end()) return false;
  found->second.clear();
  return true;
}

bool AppendVirtualFile(const std::string& path, const char* bytes, size_t size) {
  Table& t = Files();
  std::lock_guard lock(t.mutex);
  const auto found = t.files.find(path);
  if (found == t.files.end()) return false;
  found->second.append(bytes, size);
  return true;
}

bool TakeVirtualFile(const std::string& path, std::string& bytes) {
  Table& t = Files();
  std::lock_guard lock(t.mutex);
  const auto found = t.files.find(path);
  if (found == t.files.end()) return false;
  bytes = std::move(found->second);
  t.files.erase(found);
  return true;
}

bool DeleteVirtualFile(const std::string& path) {
  Table& t = Files();
  std::lock_guard lock(t.mutex);
  return t.files.erase(path) != 0;
}

}  // namespace platform::detail
