#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wininet.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempStore.h"

namespace {

using tolvane::test::TempStore;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

int WaitFor(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

// The store is sound: integrity check passes, every entry has its file, nothing is orphaned.
void ExpectSound() {
  platform::UrlCacheCheck check;
  ASSERT_TRUE(platform::CheckUrlCache(check));
  for (const std::string& problem : check.problems) ADD_FAILURE() << problem;
}

TEST(UrlCacheRobust, TwoProcessesCommittingAtOnceLoseNothing) {
  TempStore store;
  constexpr int kEach = 150;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = fork();
    if (children[c] == 0) {
      int failures = 0;
      for (int i = 0; i < kEach; ++i) {
        // Own URLs, and one URL both replace over and over.
        const std::string mine = "Cookie:p" + std::to_string(c) + "@site" + std::to_string(i) + "/";
        failures += store.AddEntry(mine, "v" + std::to_string(i) + "\n").empty();
        failures += store.AddEntry("Cookie:shared@both/", std::to_string(c) + "\n").empty();
      }
      _exit(failures > 0 ? 1 : 0);
    }
  }
  for (pid_t child : children) {
    const int status = WaitFor(child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  std::vector<platform::UrlCacheRecord> all;
  ASSERT_TRUE(platform::ListUrlCacheEntries(all));
  EXPECT_EQ(all.size(), 2u * kEach + 1);
  for (const auto& record : all) {
    if (record.url.find("@site") == std::string::npos) continue;
    const std::string index = record.url.substr(record.url.find("@site") + 5);
    EXPECT_EQ(ReadAll(record.localFile), "v" + index.substr(0, index.size() - 1) + "\n");
  }
  ExpectSound();
}

// A process killed at each point of a commit leaves either the old entry or the new one.
TEST(UrlCacheRobust, AProcessKilledMidCommitLeavesASoundIndex) {
  const struct {
    const char* point;
    bool newEntry;
  } points[] = {{"begin", false}, {"written", false}, {"committed", true}};
  for (const auto& p : points) {
    SCOPED_TRACE(p.point);
    TempStore store;
    const std::string old = store.AddEntry("Cookie:u@a.example/", "old\n");
    ASSERT_FALSE(old.empty());
    const pid_t child = fork();
    if (child == 0) {
      const std::string point = p.point;
      platform::SetCommitProbe([point](const char* at) {
        if (point == at) raise(SIGKILL);
      });
      store.AddEntry("Cookie:u@a.example/", "new\n");
      _exit(0);
    }
    const int status = WaitFor(child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    platform::UrlCacheRecord record;
    ASSERT_TRUE(platform::FindUrlCacheEntry("Cookie:u@a.example/", record));
    EXPECT_EQ(ReadAll(record.localFile), p.newEntry ? "new\n" : "old\n");
    platform::UrlCacheCheck check;
    ASSERT_TRUE(platform::CheckUrlCache(check));
    // The killed process's new file (or, after its commit, the old one) is the only leftover.
    for (const std::string& problem : check.problems) {
      EXPECT_NE(problem.find("orphan file"), std::string::npos) << problem;
    }
    EXPECT_EQ(check.problems.size(), 1u);
  }
}

TEST(UrlCacheRobust, DamagedOrForeignIndexGivesAClearErrorAndIsNeverWiped) {
  const auto makeForeign = [](const std::string& path) {
    for (const char* suffix : {"", "-wal", "-shm"}) unlink((path + suffix).c_str());
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE moz_cookies(id INTEGER); INSERT INTO moz_cookies VALUES(1)",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
  };
  const auto makeTruncated = [](const std::string& path) {
    // A real index cut off after its first page.
    const std::string bytes = ReadAll(path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes.substr(0, 4096 + 100);
  };
  const struct {
    const char* name;
    std::function<void(const std::string&)> damage;
    DWORD error;
  } cases[] = {
      {"garbage",
       [](const std::string& path) {
         std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(5000, '\xA5');
       },
       ERROR_FILE_CORRUPT},
      {"text", [](const std::string& path) { std::ofstream(path) << "hello\n"; },
       ERROR_FILE_CORRUPT},
      {"foreign", makeForeign, ERROR_INVALID_DATA},
      {"truncated", makeTruncated, ERROR_FILE_CORRUPT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempStore store;
    for (int i = 0; i < 40; ++i) {
      store.AddEntry("Cookie:u@site" + std::to_string(i) + "/", std::string(200, 'x'));
    }
    platform::SetUrlCacheRoot("");  // closes the connection, checkpoints the index
    platform::SetUrlCacheRoot(store.Root());
    const std::string index = platform::IndexPath();
    c.damage(index);
    const std::string damaged = ReadAll(index);
    DWORD size = 0;
    SetLastError(0);
    EXPECT_EQ(FindFirstUrlCacheEntryA("cookie:", nullptr, &size), nullptr);
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_FALSE(platform::LastUrlCacheErrorDetail().empty());
    char* text = nullptr;
    EXPECT_GT(
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                           FORMAT_MESSAGE_ALLOCATE_BUFFER,
                       nullptr, GetLastError(), 0, reinterpret_cast<LPSTR>(&text), 0, nullptr),
        0u);
    LocalFree(text);
    char name[MAX_PATH];
    EXPECT_FALSE(CreateUrlCacheEntryA("Cookie:u@new/", 0, "TXT", name, 0));
    EXPECT_EQ(GetLastError(), c.error);
    EXPECT_FALSE(CommitUrlCacheEntryA("Cookie:u@new/", nullptr, {}, {}, URLHISTORY_CACHE_ENTRY,
                                      nullptr, 0, nullptr, nullptr));
    EXPECT_FALSE(DeleteUrlCacheEntry("Cookie:u@site1/"));
    platform::UrlCacheCheck check;
    platform::CheckUrlCache(check);
    EXPECT_EQ(ReadAll(index), damaged);
  }
}

TEST(UrlCacheRobust, InjectedFaultsFailTheChosenCallsOnly) {
  TempStore store;
  ASSERT_FALSE(store.AddEntry("Cookie:u@a/", "x\n").empty());
  ASSERT_FALSE(store.AddEntry("Cookie:u@b/", "y\n").empty());
  platform::InjectFault(platform::Call::FindNextUrlCacheEntryA, ERROR_NOT_ENOUGH_MEMORY, 0, 1);
  DWORD size = 4096;
  std::vector<char> buffer(size);
  auto* info = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data());
  HANDLE find = FindFirstUrlCacheEntryA("cookie:", info, &size);
  ASSERT_NE(find, nullptr);
  EXPECT_FALSE(FindNextUrlCacheEntryA(find, info, &size));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
  EXPECT_TRUE(FindNextUrlCacheEntryA(find, info, &size));  // once only, nothing skipped
  EXPECT_STREQ(info->lpszSourceUrlName, "Cookie:u@b/");
  FindCloseUrlCache(find);

  // WriteFile: the second and third writes fail like a full disk, writing nothing.
  platform::InjectFault(platform::Call::WriteFile, ERROR_DISK_FULL, 1, 2);
  char name[MAX_PATH];
  ASSERT_TRUE(CreateUrlCacheEntryA("Cookie:u@c/", 0, "TXT", name, 0));
  HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const bool results[] = {true, false, false, true};
  for (bool expected : results) {
    DWORD written = 99;
    EXPECT_EQ(WriteFile(file, "ab", 2, &written, nullptr) != FALSE, expected);
    EXPECT_EQ(written, expected ? 2u : 0u);
    if (!expected) {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    }
  }
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(ReadAll(name), "abab");

  platform::InjectFault(platform::Call::CommitUrlCacheEntryA, ERROR_ACCESS_DENIED);
  EXPECT_FALSE(CommitUrlCacheEntryA("Cookie:u@c/", name, {}, {}, COOKIE_CACHE_ENTRY, nullptr, 0,
                                    nullptr, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  platform::ClearFaults();
  EXPECT_TRUE(CommitUrlCacheEntryA("Cookie:u@c/", name, {}, {}, COOKIE_CACHE_ENTRY, nullptr, 0,
                                   nullptr, nullptr));
}

}  // namespace

namespace {

TEST(UrlCacheRobust, AnIndexEditedToPointOutsideTheFolderNeverYieldsThatPath) {
  TempStore store;
  ASSERT_FALSE(store.AddEntry("Cookie:u@a/", "x\n").empty());
  const std::string victim = store.Root() + "/victim";
  std::ofstream(victim) << "keep\n";
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(platform::IndexPath().c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "UPDATE entries SET file = CAST('../victim' AS BLOB)", nullptr,
                         nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(db);
  platform::UrlCacheRecord record;
  ASSERT_TRUE(platform::FindUrlCacheEntry("Cookie:u@a/", record));
  EXPECT_EQ(record.localFile, "");
  EXPECT_TRUE(DeleteUrlCacheEntry("Cookie:u@a/"));
  EXPECT_EQ(ReadAll(victim), "keep\n");
}

}  // namespace
