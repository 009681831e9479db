// When a Firefox profile must not be written: Firefox runs, the schema is one Tolvane was not
// tested with, the table lacks a column, a cookie cannot be kept, or the rows changed since they
// were read. Nothing is written then, and reading still works; and reading never needs a lock,
// even while a writer keeps its newest rows in the WAL.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <wininet.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Backups.h"
#include "platform/CookieRecord.h"
#include "platform/StoreErrors.h"
#include "support/FirefoxProfileStore.h"
#include "support/KindStore.h"

namespace tolvane::test {
namespace {

using platform::CookieRecord;

const char kRow17[] =
    "INSERT INTO moz_cookies (name, value, host, path, expiry, lastAccessed, creationTime, "
    "isSecure, isHttpOnly) VALUES ('a', '1', 'site.localhost', '/', 2000000000000, 1, 1, 0, 0)";

struct Refusal {
  const char* name;
  int version;
  const char* table;  // "" for the version's own
  const char* row;
  bool firefoxRuns;
  DWORD error;
};

const Refusal kRefusals[] = {
    {"FirefoxRuns", 17, "", kRow17, true, ERROR_TOLVANE_STORE_IN_USE},
    {"Version11", 11,
     "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', "
     "name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER, "
     "creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER, inBrowserElement INTEGER "
     "DEFAULT 0, sameSite INTEGER DEFAULT 0, rawSameSite INTEGER DEFAULT 0)",
     "INSERT INTO moz_cookies (name, value, host, path, expiry, isSecure, isHttpOnly) VALUES "
     "('a', '1', 'site.localhost', '/', 2000000000, 0, 0)",
     false, ERROR_TOLVANE_STORE_UNTESTED},
    {"Version18", 18, "", kRow17, false, ERROR_TOLVANE_STORE_UNTESTED},
    {"Version17WithoutUpdateTime", 17,
     "CREATE TABLE moz_cookies (id INTEGER PRIMARY KEY, originAttributes TEXT NOT NULL DEFAULT '', "
     "name TEXT, value TEXT, host TEXT, path TEXT, expiry INTEGER, lastAccessed INTEGER, "
     "creationTime INTEGER, isSecure INTEGER, isHttpOnly INTEGER, inBrowserElement INTEGER "
     "DEFAULT 0, sameSite INTEGER DEFAULT 0, schemeMap INTEGER DEFAULT 0, "
     "isPartitionedAttributeSet INTEGER DEFAULT 0)",
     kRow17, false, ERROR_TOLVANE_STORE_UNTESTED},
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

class FirefoxRefusals : public testing::TestWithParam<Refusal> {};

TEST_P(FirefoxRefusals, ReadsButWritesNothing) {
  const Refusal& c = GetParam();
  FirefoxProfileStore store;
  ASSERT_TRUE(store.Make(c.version, c.table));
  ASSERT_TRUE(RunSql(store.Database(), c.row));
  std::unique_ptr<FirefoxStandIn> firefox;
  if (c.firefoxRuns) {
    firefox = std::make_unique<FirefoxStandIn>(store.Profile());
    ASSERT_TRUE(firefox->Holding());
  }
  const std::string before = store.Bytes();
  const std::string url = KindStore::UrlFor("site.localhost", "/");
  std::vector<CookieRecord> records = FirefoxProfileStore::Records(url);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(platform::UnixFromFileTime(records[0].expire), 2000000000);
  EXPECT_NE(platform::StoreReadOnlyReason(), "");
  if (c.firefoxRuns) {
    EXPECT_NE(platform::StoreReadOnlyReason().find(std::to_string(firefox->Pid())),
              std::string::npos);
  }

  records[0].value = "2";
  EXPECT_FALSE(FirefoxProfileStore::Commit(url, records));
  EXPECT_EQ(GetLastError(), c.error) << platform::LastUrlCacheErrorDetail();
  EXPECT_FALSE(DeleteUrlCacheEntry(url.c_str()));
  EXPECT_EQ(GetLastError(), c.error);
  EXPECT_EQ(store.Bytes(), before);
  EXPECT_TRUE(platform::ListBackups().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, FirefoxRefusals, testing::ValuesIn(kRefusals),
                         [](const testing::TestParamInfo<Refusal>& info) {
                           return info.param.name;
                         });

TEST(FirefoxStore, CookiesItCannotKeepAreRefusedBeforeAnythingIsWritten) {
  FirefoxProfileStore store;
  ASSERT_TRUE(store.Make(17));
  ASSERT_TRUE(RunSql(store.Database(), kRow17));
  const std::string url = KindStore::UrlFor("site.localhost", "/");
  const CookieRecord good = FirefoxProfileStore::Records(url).at(0);
  const std::vector<std::pair<const char*, std::function<void(CookieRecord&)>>> cases = {
      {"session", [](CookieRecord& r) { r.flags |= platform::kCookieBitSession; }},
      {"control byte", [](CookieRecord& r) { r.value = "a\x01"; }},
      {"semicolon", [](CookieRecord& r) { r.value = "a;b"; }},
      {"not UTF-8", [](CookieRecord& r) { r.value = "\x82\xa0"; }},
      {"capital host", [](CookieRecord& r) { r.domain = "Site.localhost/"; }},
      {"no name or value", [](CookieRecord& r) { r.name.clear(), r.value.clear(); }},
  };
  const std::string before = store.Bytes();
  for (const auto& [name, spoil] : cases) {
    CookieRecord bad = good;
    spoil(bad);
    CookieRecord edited = good;
    edited.value = "2";
    EXPECT_FALSE(FirefoxProfileStore::Commit(url, {edited, bad})) << name;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_TOLVANE_COOKIE_NOT_STORABLE)) << name;
  }
  // Twice the same cookie in one entry: the file keeps one.
  EXPECT_FALSE(FirefoxProfileStore::Commit(url, {good, good}));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_TOLVANE_COOKIE_NOT_STORABLE));
  EXPECT_EQ(store.Bytes(), before);
}

TEST(FirefoxStore, ARowChangedSinceItWasReadRefusesTheCommit) {
  FirefoxProfileStore store;
  ASSERT_TRUE(store.Make(17));
  ASSERT_TRUE(RunSql(store.Database(), kRow17));
  const std::string url = KindStore::UrlFor("site.localhost", "/");
  std::vector<CookieRecord> records = FirefoxProfileStore::Records(url);
  ASSERT_EQ(records.size(), 1u);
  // Firefox ran meanwhile and changed the cookie.
  ASSERT_TRUE(RunSql(store.Database(), "UPDATE moz_cookies SET value = 'browser'"));
  records[0].value = "mine";
  EXPECT_FALSE(FirefoxProfileStore::Commit(url, records));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_TOLVANE_STORE_CHANGED));
  EXPECT_EQ(Column(store.Database(), "value", "id = 1"), "browser");

  // A cookie of the same identity added meanwhile: the new one is not written over it.
  FirefoxProfileStore::Urls();  // a reload, as the window's
  records = FirefoxProfileStore::Records(url);
  CookieRecord added = records[0];
  added.name = "b";
  ASSERT_TRUE(RunSql(store.Database(),
                     "INSERT INTO moz_cookies (name, value, host, path, expiry) VALUES ('b', "
                     "'browser', 'site.localhost', '/', 2000000000000)"));
  records.push_back(added);
  EXPECT_FALSE(FirefoxProfileStore::Commit(url, records));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_TOLVANE_STORE_CHANGED));
  EXPECT_EQ(Column(store.Database(), "count(*)", "1"), "2");
}

// Firefox keeps the database in exclusive locking mode with its newest transactions in the
// WAL: no other connection may open it, and the main file alone misses what the WAL holds.
TEST(FirefoxStore, ADatabaseAWriterHoldsIsReadFromACopyOfTheMainFileAndItsWal) {
  FirefoxProfileStore store;
  ASSERT_TRUE(store.Make(17));
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(store.Database().c_str(), &writer), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(writer,
                         "PRAGMA locking_mode=EXCLUSIVE; PRAGMA wal_autocheckpoint=0; BEGIN; "
                         "INSERT INTO moz_cookies (name, value, host, path, expiry) VALUES "
                         "('a', '1', 'site.localhost', '/', 2000000000000), "
                         "('b', '2', 'site.localhost', '/', 2000000000000); COMMIT;",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  EXPECT_EQ(Column(store.Database(), "count(*)", "1"), "");  // "database is locked"
  sqlite3* main = nullptr;
  ASSERT_EQ(sqlite3_open_v2(("file:" + store.Database() + "?immutable=1").c_str(), &main,
                            SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr),
            SQLITE_OK);
  sqlite3_stmt* count = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(main, "SELECT count(*) FROM moz_cookies", -1, &count, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(count), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(count, 0), 0);  // the main file alone
  sqlite3_finalize(count);
  sqlite3_close(main);

  const std::string before = store.Bytes();
  EXPECT_EQ(FirefoxProfileStore::Records(KindStore::UrlFor("site.localhost", "/")).size(), 2u);
  EXPECT_EQ(store.Bytes(), before);
  // Without .parentlock held the writer is still in the way: SQLite's own lock refuses.
  std::vector<CookieRecord> records =
      FirefoxProfileStore::Records(KindStore::UrlFor("site.localhost", "/"));
  records[0].value = "3";
  EXPECT_FALSE(FirefoxProfileStore::Commit(KindStore::UrlFor("site.localhost", "/"), records));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_TOLVANE_STORE_IN_USE));
  sqlite3_close(writer);
}

TEST(FirefoxStore, TheFirstWriteIsBackedUpAndARestoreWaitsForFirefoxToExit) {
  FirefoxProfileStore store;
  ASSERT_TRUE(store.Make(17));
  ASSERT_TRUE(RunSql(store.Database(), kRow17));
  const std::string original = FirefoxProfileStore::Read(store.Database());
  const std::string url = KindStore::UrlFor("site.localhost", "/");
  for (const char* value : {"2", "3"}) {
    std::vector<CookieRecord> records = FirefoxProfileStore::Records(url);
    records[0].value = value;
    ASSERT_TRUE(FirefoxProfileStore::Commit(url, records)) << platform::LastUrlCacheErrorDetail();
  }
  const std::vector<platform::StoreBackup> backups = platform::ListBackups();
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(backups[0].location.kind, platform::StoreKind::Firefox);
  EXPECT_EQ(backups[0].files, std::vector<std::string>{store.Database()});

  std::string problem;
  {
    FirefoxStandIn firefox(store.Profile());
    ASSERT_TRUE(firefox.Holding());
    EXPECT_FALSE(platform::RestoreBackup(backups[0].id, problem));
    EXPECT_NE(problem.find("Firefox"), std::string::npos) << problem;
  }
  ASSERT_TRUE(platform::RestoreBackup(backups[0].id, problem)) << problem;
  EXPECT_EQ(FirefoxProfileStore::Read(store.Database()), original);
  FirefoxProfileStore::Urls();
  EXPECT_EQ(FirefoxProfileStore::Records(url).at(0).value, "1");
}

}  // namespace
}  // namespace tolvane::test
