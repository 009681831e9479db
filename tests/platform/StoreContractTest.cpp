// What the model relies on from the URL cache calls, for every kind of store: the sizing rule
// and 122, 259 at the end, the "cookie:" pattern, absolute stream offsets, commit and delete.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <wininet.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "support/KindStore.h"

namespace tolvane::test {
namespace {

using platform::CookieRecord;

// The URLs under the pattern as the catalogue enumerates them, in order: kinds list in their own.
std::vector<std::string> Enumerate(const char* pattern) {
  std::vector<std::string> urls = EnumerateUrls(pattern);
  std::sort(urls.begin(), urls.end());
  return urls;
}

class StoreContract : public testing::TestWithParam<StoreKindCase> {
 protected:
  KindStore m_store{GetParam()};

  // Three entries of two hosts; the first host's entry holds two cookies.
  void Fill() {
    m_a = KindStore::UrlFor("a.example", "/");
    m_b = KindStore::UrlFor("b.example", "/");
    m_deep = KindStore::UrlFor("a.example", "/deep");
    m_aRecords = {m_store.Cookie("one", "1", "a.example/"),
                  m_store.Cookie("two", "2%20two", "a.example/",
                                 platform::kCookieBitSecure | platform::kCookieBitHttpOnly)};
    ASSERT_TRUE(m_store.Commit(m_a, m_aRecords)) << platform::LastUrlCacheErrorDetail();
    ASSERT_TRUE(m_store.Commit(
        m_b, {m_store.Cookie("three", "3", "b.example/", platform::kCookieBitHostOnly)}));
    ASSERT_TRUE(m_store.Commit(
        m_deep, {m_store.Cookie("four", "", "a.example/deep", platform::kCookieBitSession)}));
  }

  static std::vector<CookieRecord> Records(const std::string& bytes) {
    std::vector<CookieRecord> records;
    std::string problem;
    EXPECT_TRUE(platform::ParseCookieRecords(bytes, records, problem)) << problem;
    return records;
  }

  std::string m_a, m_b, m_deep;
  std::vector<CookieRecord> m_aRecords;
};

TEST_P(StoreContract, AnEmptyStoreEndsAtOnceWith259) {
  DWORD size = 0;
  EXPECT_EQ(FindFirstUrlCacheEntryA("cookie:", nullptr, &size), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
}

TEST_P(StoreContract, EveryEntryComesOnceUnderTheCookiePatternInAnyCase) {
  Fill();
  std::vector<std::string> all = {m_a, m_b, m_deep};
  std::sort(all.begin(), all.end());
  EXPECT_EQ(Enumerate("cookie:"), all);
  EXPECT_EQ(Enumerate("COOKIE:"), all);
  EXPECT_EQ(Enumerate("visited:"), std::vector<std::string>{});
  EXPECT_EQ(Enumerate(nullptr), std::vector<std::string>{});
}

TEST_P(StoreContract, ATooSmallBufferGives122AndTheRetryGetsTheSameEntry) {
  Fill();
  DWORD size = 0;
  ASSERT_EQ(FindFirstUrlCacheEntryA("cookie:", nullptr, &size), nullptr);
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  std::vector<char> buffer(size);
  auto* info = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data());
  HANDLE find = FindFirstUrlCacheEntryA("cookie:", info, &size);
  ASSERT_NE(find, nullptr);
  std::set<std::string> seen = {info->lpszSourceUrlName};
  for (;;) {
    DWORD tiny = sizeof(INTERNET_CACHE_ENTRY_INFOA) - 1;
    if (FindNextUrlCacheEntryA(find, info, &tiny)) FAIL() << "a record fit in too few bytes";
    if (GetLastError() == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    std::vector<char> bigger(tiny);
    auto* again = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(bigger.data());
    ASSERT_TRUE(FindNextUrlCacheEntryA(find, again, &tiny));
    EXPECT_TRUE(seen.insert(again->lpszSourceUrlName).second) << again->lpszSourceUrlName;
  }
  EXPECT_EQ(seen, (std::set<std::string>{m_a, m_b, m_deep}));
  EXPECT_TRUE(FindCloseUrlCache(find));
}

TEST_P(StoreContract, ARetrieveFillsTheRecordAndTheStreamReadsAtAbsoluteOffsets) {
  Fill();
  DWORD size = 0;
  EXPECT_FALSE(RetrieveUrlCacheEntryFileA(m_a.c_str(), nullptr, &size, 0));
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  std::vector<char> buffer(size);
  auto* info = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data());
  ASSERT_EQ(RetrieveUrlCacheEntryFileA(m_a.c_str(), info, &size, 0), TRUE);
  EXPECT_TRUE(UnlockUrlCacheEntryFile(m_a.c_str(), 0));
  EXPECT_STREQ(info->lpszSourceUrlName, m_a.c_str());
  EXPECT_NE(info->CacheEntryType & COOKIE_CACHE_ENTRY, 0u);
  ASSERT_NE(info->lpszLocalFileName, nullptr);
  EXPECT_NE(std::string(info->lpszLocalFileName), "");

  const std::string bytes = KindStore::Stream(m_a);
  EXPECT_EQ(Records(bytes), m_aRecords);
  EXPECT_EQ(info->dwSizeLow, bytes.size());

  size = 0;
  ASSERT_EQ(RetrieveUrlCacheEntryStreamA(m_a.c_str(), nullptr, &size, FALSE, 0), nullptr);
  std::vector<char> record(size);
  HANDLE stream = RetrieveUrlCacheEntryStreamA(
      m_a.c_str(), reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(record.data()), &size, FALSE, 0);
  ASSERT_NE(stream, nullptr);
  for (const DWORD offset : {DWORD(bytes.size() - 1), DWORD(0), DWORD(bytes.size() / 2)}) {
    char byte = 0;
    DWORD length = 1;
    ASSERT_TRUE(ReadUrlCacheEntryStream(stream, offset, &byte, &length, 0));
    EXPECT_EQ(length, 1u);
    EXPECT_EQ(byte, bytes[offset]) << offset;
  }
  char byte = 0;
  DWORD length = 1;
  EXPECT_TRUE(ReadUrlCacheEntryStream(stream, DWORD(bytes.size()), &byte, &length, 0));
  EXPECT_EQ(length, 0u);
  EXPECT_TRUE(UnlockUrlCacheEntryStream(stream, 0));
}

TEST_P(StoreContract, ACommitReplacesOnlyItsEntry) {
  Fill();
  const std::string before = KindStore::Stream(m_b);
  const std::vector<CookieRecord> changed = {m_store.Cookie("one", "changed", "a.example/"),
                                             m_store.Cookie("five", "5", "a.example/")};
  ASSERT_TRUE(m_store.Commit(m_a, changed)) << platform::LastUrlCacheErrorDetail();
  EXPECT_EQ(Records(KindStore::Stream(m_a)), changed);
  EXPECT_EQ(KindStore::Stream(m_b), before);
  EXPECT_EQ(Enumerate("cookie:").size(), 3u);
}

TEST_P(StoreContract, ADeleteRemovesOnlyItsEntry) {
  Fill();
  const std::string before = KindStore::Stream(m_b);
  ASSERT_TRUE(DeleteUrlCacheEntry(m_a.c_str())) << platform::LastUrlCacheErrorDetail();
  std::vector<std::string> left = {m_b, m_deep};
  std::sort(left.begin(), left.end());
  EXPECT_EQ(Enumerate("cookie:"), left);
  EXPECT_EQ(KindStore::Stream(m_b), before);
  EXPECT_FALSE(DeleteUrlCacheEntry(m_a.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_P(StoreContract, AnUnknownUrlIsNotFound) {
  Fill();
  const std::string unknown = KindStore::UrlFor("c.example", "/");
  DWORD size = 0;
  EXPECT_FALSE(RetrieveUrlCacheEntryFileA(unknown.c_str(), nullptr, &size, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(RetrieveUrlCacheEntryStreamA(unknown.c_str(), nullptr, &size, FALSE, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_P(StoreContract, TheShellNamesTheStoreForTheTitle) {
  char folder[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_COOKIES, nullptr, 0, folder), S_OK);
  platform::StoreLocation location;
  std::string problem;
  ASSERT_TRUE(platform::CurrentStoreLocation(location, problem)) << problem;
  EXPECT_EQ(std::string(folder).rfind(location.path, 0), 0u) << folder;
}

INSTANTIATE_TEST_SUITE_P(Kinds, StoreContract, testing::ValuesIn(StoreKinds()), KindName);

}  // namespace
}  // namespace tolvane::test
