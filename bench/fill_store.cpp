// Fills a new, empty store with made-up sites, to time the program itself on it:
//   bench_fill_store DIR SITES COOKIES_PER_SITE
//   TOLVANE_URLCACHE=DIR /usr/bin/time -v build/tolvane   (with TOLVANE_SCREENSHOT set)
// Site i is "Cookie:user@site<i>.example.com/"; its cookies are named name0, name1, ...
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/UrlCacheStore.h"

namespace {

std::string CookieFile(int cookies, const std::string& domain) {
  std::string text;
  for (int k = 0; k < cookies; ++k) {
    text += "name" + std::to_string(k) + "\nvalue%20" + std::to_string(k) + "\n" + domain +
            "\n1024\n2743031808\n31000000\n1551935488\n29500000\n*\n";
  }
  return text;
}

bool AddSite(const std::string& url, const std::string& text) {
  char file[MAX_PATH] = {};
  if (!CreateUrlCacheEntryA(url.c_str(), 0, "TXT", file, 0)) return false;
  HANDLE handle =
      CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool wrote =
      text.empty() || (WriteFile(handle, text.data(), DWORD(text.size()), &written, nullptr) &&
                       written == text.size());
  if (!CloseHandle(handle) || !wrote) return false;
  return CommitUrlCacheEntryA(url.c_str(), file, FILETIME{}, FILETIME{},
                              NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY, nullptr, 0, nullptr,
                              url.c_str()) != FALSE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s DIR SITES COOKIES_PER_SITE\n", argv[0]);
    return 2;
  }
  const std::string root = argv[1];
  const int sites = std::atoi(argv[2]);
  const int cookies = std::atoi(argv[3]);
  std::error_code error;
  // Never someone's store: only a folder that does not exist yet, or is empty.
  if (std::filesystem::exists(root, error) && !std::filesystem::is_empty(root, error)) {
    std::fprintf(stderr, "%s: %s is not empty; give a new folder\n", argv[0], root.c_str());
    return 1;
  }
  platform::SetUrlCacheRoot(root);
  for (int i = 0; i < sites; ++i) {
    const std::string domain = "site" + std::to_string(i) + ".example.com/";
    if (!AddSite("Cookie:user@" + domain, CookieFile(cookies, domain))) {
      std::fprintf(stderr, "%s: could not add %s (error %lu)\n", argv[0], domain.c_str(),
                   static_cast<unsigned long>(GetLastError()));
      return 1;
    }
  }
  std::printf("%d sites of %d cookies in %s\n", sites, cookies, root.c_str());
  return 0;
}
