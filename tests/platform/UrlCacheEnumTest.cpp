#include <gtest/gtest.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "support/CacheCalls.h"
#include "support/TempStore.h"

namespace {

using tolvane::test::EnumerateUrls;
using tolvane::test::TempStore;

TEST(UrlCacheEnum, EmptyStoreEndsAtOnceWith259) {
  TempStore store;
  DWORD size = 0;
  EXPECT_EQ(FindFirstUrlCacheEntryA("cookie:", nullptr, &size), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
}

TEST(UrlCacheEnum, PatternMatchesContainerPrefixInAnyCaseAndSkipsOtherContainers) {
  TempStore store;
  ASSERT_FALSE(store.AddEntry("Cookie:a@one.example/", "x\n").empty());
  ASSERT_FALSE(store.AddEntry("Visited:a@http://one.example/", "", URLHISTORY_CACHE_ENTRY).empty());
  ASSERT_FALSE(store.AddEntry("cookie:b@two.example/", "").empty());
  ASSERT_FALSE(store.AddEntry("http://three.example/", "", NORMAL_CACHE_ENTRY).empty());
  EXPECT_EQ(EnumerateUrls("cookie:"),
            (std::vector<std::string>{"Cookie:a@one.example/", "cookie:b@two.example/"}));
  EXPECT_EQ(EnumerateUrls("COOKIE:"), EnumerateUrls("cookie:"));
  EXPECT_EQ(EnumerateUrls("visited:"), std::vector<std::string>{"Visited:a@http://one.example/"});
  EXPECT_EQ(EnumerateUrls(nullptr), std::vector<std::string>{"http://three.example/"});
}

TEST(UrlCacheEnum, TooSmallBufferGives122AndTheRetryReturnsTheSameEntry) {
  TempStore store;
  ASSERT_FALSE(store.AddEntry("Cookie:a@short/", "").empty());
  ASSERT_FALSE(store.AddEntry("Cookie:a@" + std::string(300, 'x') + "/", "").empty());
  DWORD size = 0;
  ASSERT_EQ(FindFirstUrlCacheEntryA("cookie:", nullptr, &size), nullptr);
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  std::vector<char> buffer(size);
  auto* info = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data());
  HANDLE find = FindFirstUrlCacheEntryA("cookie:", info, &size);
  ASSERT_NE(find, nullptr);
  EXPECT_STREQ(info->lpszSourceUrlName, "Cookie:a@short/");
  for (int attempt = 0; attempt < 2; ++attempt) {  // asking twice changes nothing
    size = static_cast<DWORD>(buffer.size());
    EXPECT_FALSE(FindNextUrlCacheEntryA(find, info, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_GT(size, buffer.size());
  }
  buffer.resize(size);
  info = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data());
  ASSERT_TRUE(FindNextUrlCacheEntryA(find, info, &size));
  EXPECT_EQ(std::string(info->lpszSourceUrlName), "Cookie:a@" + std::string(300, 'x') + "/");
  EXPECT_FALSE(FindNextUrlCacheEntryA(find, info, &size));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  EXPECT_TRUE(FindCloseUrlCache(find));
  EXPECT_FALSE(FindCloseUrlCache(find));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
