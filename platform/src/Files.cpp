#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <windows.h>

#include <cerrno>
#include <string>

#include "Internal.h"
#include "Store.h"

using platform::Call;
using platform::detail::ErrorFromErrno;
using platform::detail::TakeFault;

namespace {

class FileHandle final : public platform::detail::HandleObject {
 public:
  static constexpr Kind kKind = Kind::File;
  explicit FileHandle(int fd) : HandleObject(kKind), m_fd(fd) {}
  ~FileHandle() override {
    if (m_fd >= 0) ::close(m_fd);
  }
  int Release() {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }
  int Fd() const { return m_fd; }

 private:
  int m_fd;
};

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
  std::string name;
  if (platform::detail::CookieFileName(lpFileName, name)) {
    // A file of the store: opened through the store's folder, never through a link.
    std::unique_lock<std::mutex> lock;
    platform::detail::Store* store = platform::detail::OpenStore(lock);
    if (store == nullptr) return INVALID_HANDLE_VALUE;
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
  if (::close(file->Release()) != 0 && errno != EINTR) {
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
  std::string name;
  if (platform::detail::CookieFileName(lpFileName, name)) {
    std::unique_lock<std::mutex> lock;
    platform::detail::Store* store = platform::detail::OpenStore(lock);
    return store != nullptr && store->DeleteFile(name) ? TRUE : FALSE;
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
