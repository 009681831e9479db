// Shared inside the platform layer only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/Faults.h"

namespace platform::detail {

// True when an injected fault fires for this call; the last error is then set.
bool TakeFault(Call call);
void ProbeCommit(const char* point);

// errno to the nearest Windows error code.
DWORD ErrorFromErrno(int error);

// Records a failure: last error and the readable detail (LastUrlCacheErrorDetail).
void Fail(DWORD error, const std::string& detail);

// Everything a HANDLE can stand for. The HANDLE is the object's address, checked against the
// table of live handles before use, so a stale or foreign HANDLE fails instead of crashing.
class HandleObject {
 public:
  enum class Kind { File, Find, Stream };
  explicit HandleObject(Kind kind) : m_kind(kind) {}
  virtual ~HandleObject() = default;
  Kind GetKind() const { return m_kind; }

 private:
  const Kind m_kind;
};

HANDLE AddHandle(std::unique_ptr<HandleObject> object);
HandleObject* FindHandle(HANDLE handle);
std::unique_ptr<HandleObject> TakeHandle(HANDLE handle);

// T names its kind as T::kKind. (A tag, not dynamic_cast: stream reads come a byte at a time.)
template <class T>
T* FindHandleAs(HANDLE handle) {
  HandleObject* object = FindHandle(handle);
  return object != nullptr && object->GetKind() == T::kKind ? static_cast<T*>(object) : nullptr;
}

// Removes the handle when it is a T; null (and the handle stays) otherwise.
template <class T>
std::unique_ptr<T> TakeHandleAs(HANDLE handle) {
  if (FindHandleAs<T>(handle) == nullptr) return nullptr;
  return std::unique_ptr<T>(static_cast<T*>(TakeHandle(handle).release()));
}

}  // namespace platform::detail
