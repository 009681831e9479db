// The index: damaged, foreign or empty ones are never written; file names are never reused.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wininet.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
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

void Reopen(const TempStore& store) {
  platform::SetUrlCacheRoot("");
  platform::SetUrlCacheRoot(store.Root());
}

bool Sql(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  const bool done = sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
                    sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return done;
}

int SqlInt(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  sqlite3_stmt* s = nullptr;
  int value = -1;
  if (sqlite3_open(path.c_str(), &db) == SQLITE_OK &&
      sqlite3_prepare_v2(db, sql, -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW) {
    value = sqlite3_column_int(s, 0);
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
  return value;
}

// Overwrites `count` bytes at `offset` of the file.
void Scribble(const std::string& path, long offset, size_t count) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(offset);
  file << std::string(count, '\0');
}

// A store of `entries` entries, closed, so its index is one file.
std::string FilledIndex(const TempStore& store, int entries) {
  for (int i = 0; i < entries; ++i) {
    store.AddEntry("Cookie:u@site" + std::to_string(1000 + i) + "/", "x\n", COOKIE_CACHE_ENTRY,
                   std::string(200, 'h'));
  }
  platform::SetUrlCacheRoot("");
  return store.Root() + "/index.sqlite";
}

// The first leaf page of the entries table: an insert of a new entry never touches it.
int FirstLeafOfEntries(const std::string& index) {
  return SqlInt(index,
                "SELECT pageno FROM dbstat WHERE name = 'entries' AND pagetype = 'leaf' "
                "ORDER BY path LIMIT 1");
}

TEST(UrlCacheIndex, ADamagedIndexIsNeverWritten) {
  const struct {
    const char* label;
    const char* journal;  // the journal mode the index was left in
  } cases[] = {{"rollback journal", "DELETE"}, {"write-ahead log", "WAL"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempStore store;
    const std::string index = FilledIndex(store, 200);
    ASSERT_TRUE(Sql(index, (std::string("PRAGMA journal_mode = ") + c.journal).c_str()));
    const int page = FirstLeafOfEntries(index);
    ASSERT_GT(page, 1);
    // The leaf's cell pointers zeroed: its rows point nowhere.
    Scribble(index, long(page - 1) * 4096 + 8, 16);
    const std::string damaged = ReadAll(index);
    platform::SetUrlCacheRoot(store.Root());
    DWORD size = 0;
    EXPECT_EQ(FindFirstUrlCacheEntryA("cookie:", nullptr, &size), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_CORRUPT));
    EXPECT_NE(platform::LastUrlCacheErrorDetail().find("damaged"), std::string::npos);
    // A new entry would go to other pages: still refused.
    char name[MAX_PATH];
    EXPECT_FALSE(CreateUrlCacheEntryA("Cookie:u@zzz/", 0, "TXT", name, 0));
    EXPECT_FALSE(CommitUrlCacheEntryA("Cookie:u@zzz/", nullptr, {}, {}, URLHISTORY_CACHE_ENTRY,
                                      nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_CORRUPT));
    platform::SetUrlCacheRoot("");
    EXPECT_EQ(ReadAll(index), damaged);  // header bytes 18-19 (the journal mode) included
  }
}

TEST(UrlCacheIndex, AFileThatIsNotOurIndexIsRefusedUntouched) {
  const struct {
    const char* label;
    const char* sql;
  } cases[] = {
      {"an empty database of another program", "PRAGMA user_version = 7"},
      {"an empty database with a page of nothing", "CREATE TABLE t(x); DROP TABLE t"},
      {"a database with tables", "CREATE TABLE moz_cookies(id INTEGER)"},
      {"our mark without our table", "PRAGMA application_id = 1416588406; CREATE TABLE t(x)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempStore store;
    const std::string index = store.Root() + "/index.sqlite";
    ASSERT_TRUE(Sql(index, c.sql));
    const std::string before = ReadAll(index);
    ASSERT_FALSE(before.empty());
    DWORD size = 0;
    EXPECT_EQ(FindFirstUrlCacheEntryA("cookie:", nullptr, &size), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    platform::SetUrlCacheRoot("");
    EXPECT_EQ(ReadAll(index), before);
    EXPECT_EQ(SqlInt(index, "SELECT count(*) FROM sqlite_master WHERE name = 'entries'"), 0);
  }
}

// An index that lost its contents beside cookie files is a damaged store, not a new one:
// taken as new, every cookie file would be an orphan for the next repair to remove.
TEST(UrlCacheIndex, AnEmptyIndexBesideCookieFilesIsDamagedNotNew) {
  const struct {
    const char* label;
    bool removeIndex;  // else truncate it to 0 bytes
    bool cookieFiles;
    DWORD error;  // 0: a new, empty store
  } cases[] = {
      {"0 bytes beside cookie files", false, true, ERROR_FILE_CORRUPT},
      {"missing beside cookie files", true, true, ERROR_FILE_CORRUPT},
      {"0 bytes in an empty store", false, false, 0},
      {"missing in an empty store", true, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempStore store;
    const std::string file = store.AddEntry("Cookie:u@a.example/", "kept\n");
    ASSERT_FALSE(file.empty());
    platform::SetUrlCacheRoot("");
    const std::string index = store.Root() + "/index.sqlite";
    if (c.removeIndex) {
      ASSERT_EQ(unlink(index.c_str()), 0);
    } else {
      ASSERT_EQ(truncate(index.c_str(), 0), 0);
    }
    if (!c.cookieFiles) {
      ASSERT_EQ(unlink(file.c_str()), 0);
    }
    platform::SetUrlCacheRoot(store.Root());
    DWORD size = 0;
    EXPECT_EQ(FindFirstUrlCacheEntryA("cookie:", nullptr, &size), nullptr);
    EXPECT_EQ(GetLastError(), c.error ? c.error : DWORD(ERROR_NO_MORE_ITEMS));
    platform::UrlCacheCheck check;
    EXPECT_EQ(platform::RepairUrlCache(check), c.error == 0);
    platform::SetUrlCacheRoot("");
    if (c.cookieFiles) {
      EXPECT_EQ(ReadAll(file), "kept\n");
      EXPECT_FALSE(c.removeIndex && std::filesystem::exists(index));
    }
    platform::SetUrlCacheRoot(store.Root());
  }
}

// A name freed by one commit must never come back for another entry: a window that loaded
// the old entry still remembers it.
TEST(UrlCacheIndex, FileNamesAreNeverHandedOutTwice) {
  TempStore store;
  std::set<std::string> names;
  size_t handedOut = 0;
  const auto take = [&](const std::string& file) {
    ASSERT_FALSE(file.empty());
    names.insert(file.substr(file.rfind('/') + 1));
    ++handedOut;
  };
  for (int round = 0; round < 20; ++round) {
    // Replaced, deleted and made again, on two user parts of one site.
    take(store.AddEntry("Cookie:alice@site.example/", "a\n"));
    take(store.AddEntry("Cookie:bob@site.example/", "b\n"));
    ASSERT_TRUE(DeleteUrlCacheEntry("Cookie:bob@site.example/"));
    if (round % 5 == 4) Reopen(store);
  }
  // Another process takes names from the same counter.
  char chunk[MAX_PATH] = {};
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t child = fork();
  if (child == 0) {
    for (int i = 0; i < 10; ++i) {
      const std::string file = store.AddEntry("Cookie:carol@site.example/", "c\n");
      const std::string line = file.substr(file.rfind('/') + 1) + "\n";
      (void)!write(fds[1], line.data(), line.size());
    }
    _exit(0);
  }
  close(fds[1]);
  std::string fromChild;
  ssize_t n;
  while ((n = read(fds[0], chunk, sizeof chunk)) > 0) fromChild.append(chunk, size_t(n));
  close(fds[0]);
  waitpid(child, nullptr, 0);
  for (size_t start = 0, end; (end = fromChild.find('\n', start)) != std::string::npos;
       start = end + 1) {
    take(fromChild.substr(start, end - start));
  }
  take(store.AddEntry("Cookie:alice@site.example/", "a\n"));
  EXPECT_EQ(handedOut, 51u);
  EXPECT_EQ(names.size(), handedOut);
  platform::UrlCacheCheck check;
  ASSERT_TRUE(platform::CheckUrlCache(check));
  EXPECT_TRUE(check.problems.empty());
}

// An index made before the counter existed keeps working, and its new names start above every
// name its entries and its folder use.
TEST(UrlCacheIndex, AnOlderIndexGetsTheCounterAboveEveryNameInUse) {
  TempStore store;
  const std::string kept = store.AddEntry("Cookie:u@a.example/", "kept\n");
  ASSERT_FALSE(kept.empty());
  platform::SetUrlCacheRoot("");
  ASSERT_TRUE(Sql(store.Root() + "/index.sqlite", "DROP TABLE counters"));
  std::ofstream(store.Root() + "/Cookies/left.over_[57].TXT") << "";
  platform::SetUrlCacheRoot(store.Root());
  const std::string file = store.AddEntry("Cookie:u@b.example/", "new\n");
  EXPECT_NE(file.find("[58]"), std::string::npos) << file;
  platform::UrlCacheRecord record;
  ASSERT_TRUE(platform::FindUrlCacheEntry("Cookie:u@a.example/", record));
  EXPECT_EQ(ReadAll(record.localFile), "kept\n");
}

// A remembered name can never take an entry's cookies with it.
TEST(UrlCacheIndex, DeleteFileRefusesAFileAnEntryHolds) {
  TempStore store;
  const std::string held = store.AddEntry("Cookie:u@a.example/", "held\n");
  char fresh[MAX_PATH];
  ASSERT_TRUE(CreateUrlCacheEntryA("Cookie:u@b.example/", 0, "TXT", fresh, 0));
  const struct {
    std::string file;
    bool deleted;
    DWORD error;
  } cases[] = {
      {held, false, ERROR_ACCESS_DENIED},
      {store.CookieFolder() + "/../Cookies/" + held.substr(held.rfind('/') + 1), false,
       ERROR_ACCESS_DENIED},
      {fresh, true, ERROR_SUCCESS},
      {fresh, false, ERROR_FILE_NOT_FOUND},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(DeleteFileA(c.file.c_str()) != FALSE, c.deleted);
    EXPECT_EQ(GetLastError(), c.error);
  }
  EXPECT_EQ(ReadAll(held), "held\n");
  ASSERT_TRUE(DeleteUrlCacheEntry("Cookie:u@a.example/"));
  EXPECT_FALSE(std::filesystem::exists(held));
}

}  // namespace
