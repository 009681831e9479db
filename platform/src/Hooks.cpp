#include "platform/Hooks.h"

#include <fcntl.h>
#include <shellapi.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/PathText.h"

namespace platform {
namespace {

std::mutex g_mutex;
MessageBoxHandler g_messageBox;
ShellExecuteHandler g_shellExecute;

int DefaultButton(UINT type) {
  const unsigned index = (type & MB_DEFMASK) >> 8;  // 0, 1, 2: first, second, third button
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return index == 0 ? IDOK : IDCANCEL;
    case MB_YESNO:
      return index == 0 ? IDYES : IDNO;
    case MB_YESNOCANCEL:
      return index == 0 ? IDYES : index == 1 ? IDNO : IDCANCEL;
    default:
      return IDOK;
  }
}

// Detached, so the program neither waits for the viewer nor leaves a zombie behind.
bool OpenWithXdg(const char* file) {
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    setsid();
    if (fork() == 0) {
      const int null = open("/dev/null", O_RDWR);
      if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
      }
      execlp("xdg-open", "xdg-open", file, static_cast<char*>(nullptr));
      _exit(127);
    }
    _exit(0);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

void SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard lock(g_mutex);
  g_messageBox = std::move(handler);
}

void SetShellExecuteHandler(ShellExecuteHandler handler) {
  std::lock_guard lock(g_mutex);
  g_shellExecute = std::move(handler);
}

}  // namespace platform

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  platform::MessageBoxHandler handler;
  {
    std::lock_guard lock(platform::g_mutex);
    handler = platform::g_messageBox;
  }
  const char* text = lpText != nullptr ? lpText : "";
  const char* caption = lpCaption != nullptr ? lpCaption : "Error";
  if (handler) return handler(hWnd, text, caption, uType);
  std::fprintf(stderr, "[%s] %s\n", caption, text);
  return platform::DefaultButton(uType);
}

HINSTANCE ShellExecuteA(HWND /*hwnd*/, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR /*lpParameters*/,
                        LPCSTR /*lpDirectory*/, INT /*nShowCmd*/) {
  constexpr intptr_t kNoAssociation = 31;  // SE_ERR_NOASSOC
  constexpr intptr_t kFileNotFound = 2;    // SE_ERR_FNF
  constexpr intptr_t kDone = 42;
  auto result = [](intptr_t code) { return reinterpret_cast<HINSTANCE>(code); };
  const char* verb = lpOperation != nullptr ? lpOperation : "open";
  if (lpFile == nullptr || *lpFile == '\0') return result(kFileNotFound);
  // The program names the file in CP932; what opens it needs the file system's bytes.
  const std::string file = platform::PathFromProgram(lpFile);
  lpFile = file.c_str();
  platform::ShellExecuteHandler handler;
  {
    std::lock_guard lock(platform::g_mutex);
    handler = platform::g_shellExecute;
  }
  if (handler) return result(handler(verb, lpFile) ? kDone : kNoAssociation);
  if (std::strcmp(verb, "open") != 0) return result(kNoAssociation);
  struct stat st {};
  if (stat(lpFile, &st) != 0) return result(kFileNotFound);
  return result(platform::OpenWithXdg(lpFile) ? kDone : kNoAssociation);
}
