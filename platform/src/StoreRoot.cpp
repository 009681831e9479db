#include <shlobj.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "Store.h"
#include "platform/UrlCacheStore.h"

namespace platform {
namespace {

std::mutex g_rootMutex;
std::string g_rootOverride;

std::string FromEnvironment() {
  if (const char* root = std::getenv("TOLVANE_URLCACHE"); root != nullptr && *root != '\0') {
    return root;
  }
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data == '/') {
    return std::string(data) + "/tolvane/urlcache";
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr && *home != '\0' ? home : ".") +
         "/.local/share/tolvane/urlcache";
}

// Absolute and without a trailing slash, so the paths the store hands out stay valid whatever
// the working folder becomes and compare equal however the root was spelt.
std::string Normalized(std::string root) {
  if (!root.empty() && root[0] != '/') {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) != nullptr) root = std::string(cwd) + "/" + root;
  }
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

}  // namespace

void SetUrlCacheRoot(const std::string& root) {
  {
    std::lock_guard lock(g_rootMutex);
    g_rootOverride = root.empty() ? root : Normalized(root);
  }
  detail::CloseStore();
}

std::string UrlCacheRoot() {
  {
    std::lock_guard lock(g_rootMutex);
    if (!g_rootOverride.empty()) return g_rootOverride;
  }
  return Normalized(FromEnvironment());
}

std::string CookieFolder() { return UrlCacheRoot() + "/Cookies"; }

std::string IndexPath() { return UrlCacheRoot() + "/index.sqlite"; }

}  // namespace platform

HRESULT SHGetFolderPathA(HWND /*hwnd*/, int csidl, HANDLE /*hToken*/, DWORD /*dwFlags*/,
                         LPSTR pszPath) {
  constexpr int kFlagMask = 0xFF00;  // CSIDL_FLAG_CREATE and friends
  if (pszPath == nullptr || (csidl & ~kFlagMask) != CSIDL_COOKIES) return E_INVALIDARG;
  const std::string folder = platform::CookieFolder();
  if (folder.size() >= MAX_PATH) return E_FAIL;
  platform::detail::EnsureFolders();  // the folder is the store's; it exists once asked for
  std::memcpy(pszPath, folder.c_str(), folder.size() + 1);
  return S_OK;
}
