#include <shlobj.h>

#include <cstring>

#include "Store.h"
#include "platform/PathText.h"
#include "platform/StoreLocation.h"
#include "platform/UrlCacheStore.h"

namespace platform {

// The root of Tolvane's own store, whatever the folder holds yet.
void SetUrlCacheRoot(const std::string& root) {
  SetStoreLocation(root.empty() ? root : "urlcache:" + root);
}

std::string CookieFolder() { return UrlCacheRoot() + "/Cookies"; }

std::string IndexPath() { return UrlCacheRoot() + "/index.sqlite"; }

}  // namespace platform

HRESULT SHGetFolderPathA(HWND /*hwnd*/, int csidl, HANDLE /*hToken*/, DWORD /*dwFlags*/,
                         LPSTR pszPath) {
  constexpr int kFlagMask = 0xFF00;  // CSIDL_FLAG_CREATE and friends
  if (pszPath == nullptr || (csidl & ~kFlagMask) != CSIDL_COOKIES) return E_INVALIDARG;
  // The store in use names the folder: the own store's cookie folder, or the other store's
  // own path. One that cannot be resolved keeps the text it was named by.
  platform::StoreLocation location;
  std::string problem;
  std::string folder = platform::StoreLocationText();
  if (platform::CurrentStoreLocation(location, problem)) {
    folder = location.path;
    if (location.kind == platform::StoreKind::UrlCache) {
      folder += "/Cookies";
      platform::detail::EnsureFolders(location.path);  // the folder is the store's; it exists
    }
  }
  folder = platform::PathToProgram(folder);  // the program's paths are CP932
  if (folder.size() >= MAX_PATH) return E_FAIL;
  std::memcpy(pszPath, folder.c_str(), folder.size() + 1);
  return S_OK;
}
