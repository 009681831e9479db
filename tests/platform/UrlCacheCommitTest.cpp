#include <gtest/gtest.h>
#include <shlobj.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wininet.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/TempStore.h"

namespace {

using tolvane::test::TempStore;
namespace fs = std::filesystem;

bool Exists(const std::string& path) { return fs::exists(fs::symlink_status(path)); }

TEST(UrlCacheCommit, ReplacesTheEntryOfTheSameUrlAndRemovesTheFileNoLongerReferenced) {
  TempStore store;
  const std::string first = store.AddEntry("Cookie:u@a.example/", "one\n");
  const std::string second = store.AddEntry("Cookie:u@a.example/", "second\n");
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  EXPECT_FALSE(Exists(first));
  platform::UrlCacheRecord record;
  ASSERT_TRUE(platform::FindUrlCacheEntry("Cookie:u@a.example/", record));
  EXPECT_EQ(record.localFile, second);
  EXPECT_EQ(record.size, 7u);
  std::vector<platform::UrlCacheRecord> all;
  ASSERT_TRUE(platform::ListUrlCacheEntries(all));
  EXPECT_EQ(all.size(), 1u);
}

TEST(UrlCacheCommit, AFileSharedByTwoEntriesStaysUntilTheLastGoes) {
  TempStore store;
  const std::string file = store.AddEntry("Cookie:u@a.example/", "x\n");
  ASSERT_TRUE(CommitUrlCacheEntryA("Cookie:u@b.example/", file.c_str(), {}, {}, COOKIE_CACHE_ENTRY,
                                   nullptr, 0, nullptr, nullptr));
  ASSERT_TRUE(DeleteUrlCacheEntry("Cookie:u@a.example/"));
  EXPECT_TRUE(Exists(file));
  ASSERT_TRUE(DeleteUrlCacheEntry("Cookie:u@b.example/"));
  EXPECT_FALSE(Exists(file));
  EXPECT_FALSE(DeleteUrlCacheEntry("Cookie:u@b.example/"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(UrlCacheCommit, RejectsFilesTheCacheDidNotMake) {
  TempStore store;
  const std::string outside = store.Root() + "/outside.txt";
  std::ofstream(outside) << "secret\n";
  const struct {
    std::string file;
    DWORD error;
  } cases[] = {
      {outside, ERROR_INVALID_PARAMETER},
      {store.CookieFolder() + "/../outside.txt", ERROR_INVALID_PARAMETER},
      {"/etc/passwd", ERROR_INVALID_PARAMETER},
      {store.CookieFolder() + "/missing[1].txt", ERROR_FILE_NOT_FOUND},
      {store.CookieFolder(), ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_FALSE(CommitUrlCacheEntryA("Cookie:u@a.example/", c.file.c_str(), {}, {},
                                      COOKIE_CACHE_ENTRY, nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_FALSE(CommitUrlCacheEntryA(nullptr, nullptr, {}, {}, 0, nullptr, 0, nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  std::vector<platform::UrlCacheRecord> all;
  ASSERT_TRUE(platform::ListUrlCacheEntries(all));
  EXPECT_TRUE(all.empty());
  EXPECT_TRUE(Exists(outside));
}

// Every name the cache makes lies in the cookie folder and is harmless there, whatever the URL.
TEST(UrlCacheCommit, HostileUrlsNeverReachOutsideTheCookieFolder) {
  TempStore store;
  const std::string sentinel = store.Root() + "/x";
  std::ofstream(sentinel) << "keep\n";
  const std::string urls[] = {
      "Cookie:u@../../x",
      "Cookie:u@/etc/passwd",
      "Cookie:u@..",
      "Cookie:u@.",
      "Cookie:u@a\\..\\..\\x",
      "Cookie:u@a/../../../x",
      "Cookie:u@\x01\x1F\x7F\n\r\t",
      std::string("Cookie:u@") + std::string(1000, 'z'),
      "Cookie:u@\x83\x5C\x95\x5C",  // CP932 characters whose trail byte is a backslash
      "..",
      "Cookie:",
      "@",
  };
  for (const std::string& url : urls) {
    SCOPED_TRACE(url);
    char name[MAX_PATH] = {};
    ASSERT_TRUE(CreateUrlCacheEntryA(url.c_str(), 0, "../TXT", name, 0));
    const fs::path path(name);
    EXPECT_EQ(path.parent_path(), fs::path(store.CookieFolder()));
    const std::string file = path.filename().string();
    EXPECT_LE(file.size(), 80u);
    EXPECT_EQ(file.find(".."), std::string::npos);
    for (const char c : file) EXPECT_TRUE(c > 0x20 && c < 0x7F && c != '\\') << int(c);
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(CommitUrlCacheEntryA(url.c_str(), name, {}, {}, COOKIE_CACHE_ENTRY, nullptr, 0,
                                     nullptr, url.c_str()));
    ASSERT_TRUE(DeleteUrlCacheEntry(url.c_str()));
    EXPECT_FALSE(Exists(name));
  }
  EXPECT_TRUE(Exists(sentinel));
  platform::UrlCacheCheck check;
  ASSERT_TRUE(platform::CheckUrlCache(check));
  EXPECT_TRUE(check.problems.empty());
}

TEST(UrlCacheCommit, NamesAreUniqueAndTheStoreIsOwnerOnly) {
  TempStore store;
  char a[MAX_PATH], b[MAX_PATH];
  ASSERT_TRUE(CreateUrlCacheEntryA("Cookie:u@a.example/", 0, "TXT", a, 0));
  ASSERT_TRUE(CreateUrlCacheEntryA("Cookie:u@a.example/", 0, "TXT", b, 0));
  EXPECT_STRNE(a, b);
  ASSERT_FALSE(store.AddEntry("Cookie:u@c.example/", "x\n").empty());
  for (const std::string& folder : {store.Root(), store.CookieFolder()}) {
    struct stat st {};
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << folder;
  }
  for (const auto& item : fs::directory_iterator(store.Root())) {
    if (item.is_regular_file()) {
      EXPECT_EQ(item.status().permissions() & fs::perms::all,
                fs::perms::owner_read | fs::perms::owner_write)
          << item.path();
    }
  }
  char folder[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_COOKIES, nullptr, 0, folder), S_OK);
  EXPECT_EQ(folder, store.CookieFolder());
}

TEST(UrlCacheCommit, CheckFindsMissingAndOrphanFiles) {
  TempStore store;
  const std::string file = store.AddEntry("Cookie:u@a.example/", "x\n");
  char orphan[MAX_PATH];
  ASSERT_TRUE(CreateUrlCacheEntryA("Cookie:u@b.example/", 0, "TXT", orphan, 0));
  ASSERT_EQ(unlink(file.c_str()), 0);  // behind the store's back
  platform::UrlCacheCheck check;
  ASSERT_TRUE(platform::CheckUrlCache(check));
  ASSERT_EQ(check.problems.size(), 2u);
  EXPECT_NE(check.problems[0].find("file missing"), std::string::npos);
  EXPECT_NE(check.problems[1].find("orphan"), std::string::npos);
}

}  // namespace
