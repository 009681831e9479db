#include <atomic>
#include <mutex>
#include <unordered_map>

#include "Internal.h"

namespace platform::detail {
namespace {

struct Table {
  std::mutex mutex;
  std::unordered_map<HANDLE, std::unique_ptr<HandleObject>> objects;
};

Table& TheTable() {
  static Table* table = new Table;  // never destroyed: handles may be closed during exit
  return *table;
}

// Stream reads come one byte at a time; a per-thread memo of the last handle found saves the
// table lock on each. Any removal invalidates every memo.
std::atomic<uint64_t> g_removals{0};
struct Memo {
  HANDLE handle = nullptr;
  HandleObject* object = nullptr;
  uint64_t removals = 0;
};
thread_local Memo t_memo;

}  // namespace

HANDLE AddHandle(std::unique_ptr<HandleObject> object) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  HANDLE handle = object.get();
  table.objects.emplace(handle, std::move(object));
  return handle;
}

HandleObject* FindHandle(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return nullptr;
  const uint64_t removals = g_removals.load(std::memory_order_acquire);
  if (t_memo.handle == handle && t_memo.removals == removals) return t_memo.object;
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  auto found = table.objects.find(handle);
  if (found == table.objects.end()) return nullptr;
  t_memo = Memo{handle, found->second.get(), removals};
  return found->second.get();
}

std::unique_ptr<HandleObject> TakeHandle(HANDLE handle) {
  Table& table = TheTable();
  std::lock_guard lock(table.mutex);
  auto found = table.objects.find(handle);
  if (found == table.objects.end()) return nullptr;
  std::unique_ptr<HandleObject> object = std::move(found->second);
  table.objects.erase(found);
  g_removals.fetch_add(1, std::memory_order_acq_rel);
  return object;
}

}  // namespace platform::detail
