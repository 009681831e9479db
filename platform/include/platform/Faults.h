// Failure injection, so that tests can reach the failure paths of callers.
#pragma once

#include <windows.h>

#include <functional>

namespace platform {

enum class Call {
  CreateFileA,
  WriteFile,
  CloseHandle,
  DeleteFileA,
  FindFirstUrlCacheEntryA,
  FindNextUrlCacheEntryA,
  RetrieveUrlCacheEntryFileA,
  RetrieveUrlCacheEntryStreamA,
  ReadUrlCacheEntryStream,
  CreateUrlCacheEntryA,
  CommitUrlCacheEntryA,
  DeleteUrlCacheEntry
};

// After `skip` calls of `call` pass, the next `times` calls fail with `error` as last error
// (WriteFile: writes nothing and reports 0 bytes written, like a full disk). One rule per call;
// a new rule for the same call replaces the old one.
void InjectFault(Call call, DWORD error, int skip = 0, int times = 1);
void ClearFaults();

// Called at named points inside CommitUrlCacheEntryA ("begin", "written", "committed"), so a
// test can kill the process there. Empty removes it.
using CommitProbe = std::function<void(const char* point)>;
void SetCommitProbe(CommitProbe probe);

// How long a write waits for another process's lock on the index before it fails with
// ERROR_SHARING_VIOLATION: 15 s, or what a test sets; 0 restores 15 s.
void SetLockTimeout(int milliseconds);

}  // namespace platform
