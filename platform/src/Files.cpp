#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <cerrno>
#include <mutex>
#include <string>

#include "Internal.h"
#include "Store.h"
#include "platform/PathText.h"
#include "stores/VirtualFiles.h"

using platform::Call;
using platform::detail::ErrorFromErrno;
using platform::detail::TakeFault;

namespace {

// A file on disk, or (fd -1) a file kept in memory for a store that keeps no files of its own.
class FileHandle final : public platform::detail::HandleObject {
 public:
  static constexpr Kind kKind = Kind::File;
  explicit FileHandle(int fd, std::string memoryPath = {})
      : HandleObject(kKind), m_fd(fd), m_memoryPath(std::move(memoryPath)) {}
  ~FileHandle() override {
    if (m_fd >= 0) ::close(m_fd);
  }
  int Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }
  int Fd() const { return m_fd; }
  const std::string& MemoryPath() const { return m_memoryPath; }

 private:
  int m_fd;
  std::string m_memoryPath;
};

// The store in use when it is Tolvane's own and the path names a file of its cookie folder.
platform::detail::Store* StoreOwning(const char* path, std::string& name,
                                     std::unique_lock<std::mutex>& lock) {
  const DWORD error = GetLastError();
  platform::detail::StoreBackend* backend = platform::detail::OpenBackend(lock);
  auto* store = dynamic_cast<platform::detail::Store*>(backend);
  if (store != nullptr && store->OwnsFile(path, name)) return store;
  if (lock.owns_lock()) lock.unlock();
  SetLastError(error);  // a store that cannot be opened is no reason to fail other files
  return nullptr;
}

// A cookie file of a store that keeps none on disk: only the files the store made exist.
HANDLE OpenMemoryFile(const char* path, DWORD disposition) {
  if (!platform::detail::VirtualFileExists(path)) {
    SetLastError(disposition == CREATE_NEW || disposition == CREATE_ALWAYS ||
                         disposition == OPEN_ALWAYS
                     ? ERROR_ACCESS_DENIED
                     : ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  if (disposition == CREATE_NEW) {
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
  }
  if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) {
    platform::detail::TruncateVirtualFile(path);
  }
  const bool reports = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
  SetLastError(reports ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return platform::detail::AddHandle(std::make_unique<FileHandle>(-1, path));
}

// ENOENT means a missing folder on the way as often as a missing file; Windows tells them apart.
DWORD OpenError(int error, const char* path) {
  if (error != ENOENT) return ErrorFromErrno(error);
  std::string parent(path);
  const auto slash = parent.find_last_of('/');
  if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
  parent.resize(slash == 0 ? 1 : slash);
  struct stat st {};
  return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND
                                                                 : ERROR_PATH_NOT_FOUND;
}

}  // namespace

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD /*dwShareMode*/,
                   LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, DWORD dwCreationDisposition,
                   DWORD /*dwFlagsAndAttributes*/, HANDLE /*hTemplateFile*/) {
  if (TakeFault(Call::CreateFileA)) return INVALID_HANDLE_VALUE;
  if (lpFileName == nullptr || *lpFileName == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  // The program names files in CP932; the file system has its own bytes.
  const std::string fileSystemPath = platform::PathFromProgram(lpFileName);
  lpFileName = fileSystemPath.c_str();
  const bool read = (dwDesiredAccess & GENERIC_READ) != 0;
  const bool write = (dwDesiredAccess & GENERIC_WRITE) != 0;
  int flags = O_CLOEXEC | (read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY);
  switch (dwCreationDisposition) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
      flags |= O_CREAT | O_TRUNC;
      break;
    case OPEN_EXISTING:
      break;
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case TRUNCATE_EXISTING:
      flags |= O_TRUNC;
      break;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return INVALID_HANDLE_VALUE;
  }
  const bool reports =
      dwCreationDisposition == CREATE_ALWAYS || dwCreationDisposition == OPEN_ALWAYS;
  if (platform::detail::IsVirtualPath(lpFileName)) {
    return OpenMemoryFile(lpFileName, dwCreationDisposition);
  }
  std::string name;
  std::unique_lock<std::mutex> lock;
  if (platform::detail::Store* store = StoreOwning(lpFileName, name, lock)) {
    // A file of the store: opened through the store's folder, never through a link.
    struct stat before {};
    const bool existed = store->Folder().StatFile(name, before);
    if (existed && S_ISDIR(before.st_mode)) {
      SetLastError(ERROR_ACCESS_DENIED);
      return INVALID_HANDLE_VALUE;
    }
    const int fd = store->OpenFile(name, flags & ~O_CLOEXEC);
    if (fd < 0) return INVALID_HANDLE_VALUE;
    SetLastError(reports && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return platform::detail::AddHandle(std::make_unique<FileHandle>(fd));
  }
  struct stat before {};
  const bool existed = ::stat(lpFileName, &before) == 0;
  if (existed && S_ISDIR(before.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return INVALID_HANDLE_VALUE;
  }
  // Whatever the program writes holds cookies: readable by its owner only.
  const int fd = ::open(lpFileName, flags, 0600);
  if (fd < 0) {
    SetLastError(OpenError(errno, lpFileName));
    return INVALID_HANDLE_VALUE;
  }
  SetLastError(reports && existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return platform::detail::AddHandle(std::make_unique<FileHandle>(fd));
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
               LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED /*lpOverlapped*/) {
  if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = 0;
  if (TakeFault(Call::WriteFile)) return FALSE;
  auto* file = platform::detail::FindHandleAs<FileHandle>(hFile);
  if (file == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (lpBuffer == nullptr && nNumberOfBytesToWrite > 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const char* bytes = static_cast<const char*>(lpBuffer);
  if (file->Fd() < 0) {
    if (!platform::detail::AppendVirtualFile(file->MemoryPath(), bytes, nNumberOfBytesToWrite)) {
      SetLastError(ERROR_FILE_NOT_FOUND);  // the store took or dropped the file meanwhile
      return FALSE;
    }
    if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = nNumberOfBytesToWrite;
    return TRUE;
  }
  DWORD done = 0;
  while (done < nNumberOfBytesToWrite) {
    const ssize_t n = ::write(file->Fd(), bytes + done, nNumberOfBytesToWrite - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = done;
      SetLastError(error == EBADF ? ERROR_ACCESS_DENIED : ErrorFromErrno(error));
      return FALSE;
    }
    done += static_cast<DWORD>(n);
  }
  if (lpNumberOfBytesWritten != nullptr) *lpNumberOfBytesWritten = done;
  return TRUE;
}

BOOL CloseHandle(HANDLE hObject) {
  if (TakeFault(Call::CloseHandle)) return FALSE;
  auto file = platform::detail::TakeHandleAs<FileHandle>(hObject);
  if (file == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  // close() can report a write that failed late (NFS, quotas).
  if (file->Fd() >= 0 && ::close(file->Release()) != 0 && errno != EINTR) {
    SetLastError(ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL DeleteFileA(LPCSTR lpFileName) {
  if (TakeFault(Call::DeleteFileA)) return FALSE;
  if (lpFileName == nullptr || *lpFileName == '\0') {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return FALSE;
  }
  const std::string fileSystemPath = platform::PathFromProgram(lpFileName);
  lpFileName = fileSystemPath.c_str();
  if (platform::detail::IsVirtualPath(lpFileName)) {
    // Never the disk: below a store's own file nothing exists there.
    if (platform::detail::DeleteVirtualFile(lpFileName)) return TRUE;
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  std::string name;
  std::unique_lock<std::mutex> lock;
  if (platform::detail::Store* store = StoreOwning(lpFileName, name, lock)) {
    return store->DeleteFile(name) ? TRUE : FALSE;
  }
  struct stat st {};
  if (::lstat(lpFileName, &st) == 0 && S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (::unlink(lpFileName) != 0) {
    SetLastError(OpenError(errno, lpFileName));
    return FALSE;
  }
  return TRUE;
}
