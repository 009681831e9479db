#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "support/TempStore.h"

namespace {

using tolvane::test::TempStore;

uint64_t Ticks(const FILETIME& ft) {
  return (uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime;
}

// The sizing call, then the real one; the record buffer comes back.
std::vector<char> Retrieve(const std::string& url) {
  DWORD size = 0;
  EXPECT_FALSE(RetrieveUrlCacheEntryFileA(url.c_str(), nullptr, &size, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  std::vector<char> buffer(size);
  EXPECT_TRUE(RetrieveUrlCacheEntryFileA(
      url.c_str(), reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data()), &size, 0));
  EXPECT_TRUE(UnlockUrlCacheEntryFile(url.c_str(), 0));
  return buffer;
}

const INTERNET_CACHE_ENTRY_INFOA& Info(const std::vector<char>& buffer) {
  return *reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
}

TEST(UrlCacheRetrieve, RecordCarriesWhatWasCommittedAndCountsOneHitPerRetrieve) {
  TempStore store;
  const std::string header("H\0\r\n", 4);
  const FILETIME expire{2743031808u, 31000000}, modified{1u, 0x7FFFFFFFu};
  const std::string file =
      store.AddEntry("Cookie:u@a.example/", "abc\n", 0x0010100Cu, header, expire, modified);
  ASSERT_FALSE(file.empty());
  FILETIME before{};
  GetSystemTimeAsFileTime(&before);
  const auto first = Retrieve("Cookie:u@a.example/");
  const auto& info = Info(first);
  EXPECT_EQ(info.dwStructSize, sizeof(INTERNET_CACHE_ENTRY_INFOA));
  EXPECT_STREQ(info.lpszSourceUrlName, "Cookie:u@a.example/");
  EXPECT_EQ(info.lpszLocalFileName, file);
  EXPECT_EQ(info.CacheEntryType, 0x0010100Cu);
  EXPECT_EQ(info.dwSizeLow, 4u);
  EXPECT_EQ(info.dwSizeHigh, 0u);
  EXPECT_EQ(Ticks(info.ExpireTime), Ticks(expire));
  EXPECT_EQ(Ticks(info.LastModifiedTime), Ticks(modified));
  EXPECT_EQ(std::string(info.lpHeaderInfo, info.dwHeaderInfoSize), header);
  EXPECT_EQ(info.dwHitRate, 1u);
  EXPECT_GE(Ticks(info.LastAccessTime), Ticks(before) - 10'000'000);
  EXPECT_EQ(Info(Retrieve("Cookie:u@a.example/")).dwHitRate, 2u);
  // Asking for the size only counts nothing.
  DWORD size = 0;
  RetrieveUrlCacheEntryFileA("Cookie:u@a.example/", nullptr, &size, 0);
  EXPECT_EQ(Info(Retrieve("Cookie:u@a.example/")).dwHitRate, 3u);
}

TEST(UrlCacheRetrieve, UnknownUrlFailsWithFileNotFound) {
  TempStore store;
  ASSERT_FALSE(store.AddEntry("Cookie:u@a.example/", "").empty());
  for (const char* url : {"Cookie:u@b.example/", "cookie:u@a.example/", ""}) {
    DWORD size = 0;
    EXPECT_FALSE(RetrieveUrlCacheEntryFileA(url, nullptr, &size, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RetrieveUrlCacheEntryStreamA(url, nullptr, &size, FALSE, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  }
}

HANDLE OpenStream(const std::string& url) {
  DWORD size = 0;
  EXPECT_EQ(RetrieveUrlCacheEntryStreamA(url.c_str(), nullptr, &size, FALSE, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  std::vector<char> buffer(size);
  return RetrieveUrlCacheEntryStreamA(
      url.c_str(), reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data()), &size, FALSE, 0);
}

TEST(UrlCacheStream, ReadsAtTheAbsoluteOffsetAndGivesNoByteAtOrAfterTheEnd) {
  TempStore store;
  const std::string bytes("ab\r\n\0\xFF", 6);
  ASSERT_FALSE(store.AddEntry("Cookie:u@s.example/", bytes).empty());
  HANDLE stream = OpenStream("Cookie:u@s.example/");
  ASSERT_NE(stream, nullptr);
  for (DWORD offset : {5u, 0u, 3u, 3u, 1u, 4u, 2u}) {  // any order, any repetition
    char byte = 'x';
    DWORD length = 1;
    ASSERT_TRUE(ReadUrlCacheEntryStream(stream, offset, &byte, &length, 0));
    EXPECT_EQ(length, 1u);
    EXPECT_EQ(byte, bytes[offset]);
  }
  for (DWORD offset : {6u, 7u, 0xFFFFFFFFu}) {
    char byte = 'x';
    DWORD length = 1;
    ReadUrlCacheEntryStream(stream, offset, &byte, &length, 0);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(byte, 'x');
  }
  char several[8] = {};
  DWORD length = sizeof several;
  ASSERT_TRUE(ReadUrlCacheEntryStream(stream, 2, several, &length, 0));
  EXPECT_EQ(std::string(several, length), bytes.substr(2));
  EXPECT_TRUE(UnlockUrlCacheEntryStream(stream, 0));
  length = 1;
  EXPECT_FALSE(ReadUrlCacheEntryStream(stream, 0, several, &length, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(UnlockUrlCacheEntryStream(stream, 0));
}

TEST(UrlCacheStream, KeepsTheBytesItOpenedWithWhenTheFileChangesLater) {
  TempStore store;
  const std::string file = store.AddEntry("Cookie:u@s.example/", "old\n");
  HANDLE stream = OpenStream("Cookie:u@s.example/");
  ASSERT_NE(stream, nullptr);
  ASSERT_TRUE(DeleteUrlCacheEntry("Cookie:u@s.example/"));
  char byte = 0;
  DWORD length = 1;
  ASSERT_TRUE(ReadUrlCacheEntryStream(stream, 2, &byte, &length, 0));
  EXPECT_EQ(byte, 'd');
  UnlockUrlCacheEntryStream(stream, 0);
}

TEST(UrlCacheStream, EntryWhoseFileIsGoneOrMissingFailsCleanly) {
  TempStore store;
  const std::string file = store.AddEntry("Cookie:u@s.example/", "x\n");
  ASSERT_EQ(unlink(file.c_str()), 0);  // behind the store's back
  EXPECT_EQ(OpenStream("Cookie:u@s.example/"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  ASSERT_TRUE(CommitUrlCacheEntryA("Visited:u@x/", nullptr, {}, {}, URLHISTORY_CACHE_ENTRY, nullptr,
                                   0, nullptr, nullptr));
  EXPECT_EQ(OpenStream("Visited:u@x/"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(UrlCacheRetrieve, HitsCountedDuringAnEnumerationAreStoredWhenItEnds) {
  TempStore store;
  ASSERT_FALSE(store.AddEntry("Cookie:u@a.example/", "x\n").empty());
  DWORD size = 4096;
  std::vector<char> buffer(size);
  auto* info = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data());
  HANDLE find = FindFirstUrlCacheEntryA("cookie:", info, &size);
  ASSERT_NE(find, nullptr);
  HANDLE stream = OpenStream("Cookie:u@a.example/");
  ASSERT_NE(stream, nullptr);
  UnlockUrlCacheEntryStream(stream, 0);
  EXPECT_EQ(Info(Retrieve("Cookie:u@a.example/")).dwHitRate, 2u);
  ASSERT_TRUE(FindCloseUrlCache(find));
  // Another process sees them: only what reached the index counts there.
  const pid_t child = fork();
  if (child == 0) {
    platform::UrlCacheRecord record;
    _exit(platform::FindUrlCacheEntry("Cookie:u@a.example/", record) ? record.hitRate : 99);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace

namespace {

TEST(UrlCacheRetrieve, HitsStillWaitingWhenAProgramEndsAreStored) {
  TempStore store;
  ASSERT_FALSE(store.AddEntry("Cookie:u@a.example/", "x\n").empty());
  const pid_t child = fork();
  if (child == 0) {
    DWORD size = 4096;
    std::vector<char> buffer(size);
    // An enumeration left open defers the hits; the program then just ends.
    FindFirstUrlCacheEntryA(
        "cookie:", reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data()), &size);
    Retrieve("Cookie:u@a.example/");
    Retrieve("Cookie:u@a.example/");
    std::exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  platform::UrlCacheRecord record;
  ASSERT_TRUE(platform::FindUrlCacheEntry("Cookie:u@a.example/", record));
  EXPECT_EQ(record.hitRate, 2u);
}

}  // namespace
