// A Chromium profile as a store: values of every encryption as the records show them, what a
// commit writes and keeps, and when it refuses.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Backups.h"
#include "platform/SecretService.h"
#include "platform/StoreCopy.h"
#include "platform/StoreErrors.h"
#include "platform/StoreLocation.h"
#include "support/ChromiumStore.h"

namespace tolvane::test {
namespace {

using platform::CookieRecord;
using Value = ChromiumTestRow::Value;

constexpr DWORD kLocked = 0x40000000;

ChromiumTestRow Row(const std::string& host, const std::string& name, const std::string& value,
                    Value kind = Value::V10) {
  ChromiumTestRow row;
  row.hostKey = host;
  row.name = name;
  row.value = value;
  row.kind = kind;
  return row;
}

std::vector<CookieRecord> Records(const std::string& url) {
  std::vector<CookieRecord> records;
  std::string problem;
  platform::ParseCookieRecords(KindStore::Stream(url), records, problem);
  return records;
}

class ChromiumStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetSecretLookupHandler([](const std::string& application) {
      return application == "chromium" ? std::optional<std::string>("sekrit") : std::nullopt;
    });
  }
  void TearDown() override { platform::SetSecretLookupHandler(nullptr); }
};

TEST_F(ChromiumStoreTest, ValuesShowAsTheBrowserReadsThem) {
  const struct {
    const char* name;
    Value kind;
    int version;
    bool secretAnswers;
    std::string shown;  // "" for a locked value
  } cases[] = {
      {"plain", Value::Plain, 24, true, "plain value"},
      {"v10", Value::V10, 24, true, "plain value"},
      {"v11", Value::V11, 24, true, "plain value"},
      {"v11 without a Secret Service", Value::V11, 24, false, ""},
      {"v10 without the host check", Value::V10WithoutHostHash, 24, true, ""},
      {"v10 before version 24", Value::V10WithoutHostHash, 23, true, "plain value"},
      {"v10 in a version 18 file", Value::V10WithoutHostHash, 18, true, "plain value"},
      {"unknown encryption", Value::Unknown, 24, true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.secretAnswers) {
      platform::SetSecretLookupHandler([](const std::string&) { return std::nullopt; });
    }
    ChromiumStore store({Row("a.example", "n", "plain value", c.kind)}, c.version, "sekrit");
    const auto records = Records(KindStore::UrlFor("a.example", "/"));
    ASSERT_EQ(records.size(), 1u);
    if (c.shown.empty()) {
      EXPECT_NE(records[0].flags & kLocked, 0u);
      EXPECT_EQ(records[0].value.front(), '[') << records[0].value;
    } else {
      EXPECT_EQ(records[0].value, c.shown);
      EXPECT_EQ(records[0].flags & kLocked, 0u);
    }
    SetUp();
  }
}

TEST_F(ChromiumStoreTest, RecordsCarryTheFlagsAndMicrosecondTimes) {
  ChromiumTestRow row = Row(".a.example", "n", "v");
  row.secure = row.httpOnly = 1;
  row.sameSite = 2;
  ChromiumTestRow session = Row("a.example", "s", "v");
  session.persistent = 0;
  session.sameSite = 1;
  ChromiumStore store({row, session});
  const auto records = Records(KindStore::UrlFor("a.example", "/"));
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].flags, platform::kCookieBitSecure | platform::kCookieBitHttpOnly |
                                  platform::kCookieBitSameSiteStrict);
  EXPECT_EQ(records[1].flags, platform::kCookieBitSession | platform::kCookieBitHostOnly |
                                  platform::kCookieBitSameSiteLax);
  auto ticks = [](const FILETIME& t) {
    return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  EXPECT_EQ(ticks(records[0].expire), uint64_t(row.expires) * 10);
  EXPECT_EQ(ticks(records[0].second), uint64_t(row.creation) * 10);
  EXPECT_EQ(ticks(records[1].expire), 0u);
}

// A row edited keeps its encryption and every column the record cannot hold; rows not edited
// stay as they were, byte for byte.
TEST_F(ChromiumStoreTest, ACommitRewritesOnlyTheChangedRowsInTheirOwnEncryption) {
  ChromiumTestRow odd = Row("a.example", "odd", "1");
  odd.sourcePort = 8443, odd.priority = 2, odd.sameSite = 0, odd.sourceType = 2;
  ChromiumStore store({odd, Row("a.example", "plain", "2", Value::Plain),
                       Row("a.example", "v11", "3", Value::V11), Row("b.example", "other", "4")},
                      24, "sekrit");
  const auto before = store.File().Rows();
  const std::string url = KindStore::UrlFor("a.example", "/");
  auto records = Records(url);
  ASSERT_EQ(records.size(), 3u);
  for (CookieRecord& r : records) r.value += "-edited";
  ASSERT_TRUE(store.Store().Commit(url, records)) << platform::LastUrlCacheErrorDetail();

  const auto after = store.File().Rows();
  ASSERT_EQ(after.size(), before.size());
  for (const char* column : {"creation_utc", "expires_utc", "last_access_utc", "last_update_utc",
                             "source_port", "priority", "samesite", "source_type", "source_scheme",
                             "has_cross_site_ancestor", "top_frame_site_key"}) {
    for (size_t i = 0; i < after.size(); ++i) {
      EXPECT_EQ(after[i].at(column), before[i].at(column)) << column << " of row " << i;
    }
  }
  ChromiumTestRow expected = odd;
  expected.value = "1-edited";
  EXPECT_EQ(after[0].at("encrypted_value").substr(0, 6), "763130");
  EXPECT_EQ(after[0].at("value"), "");
  EXPECT_EQ(after[1].at("value"), "2-edited");
  EXPECT_EQ(after[1].at("encrypted_value"), "");
  EXPECT_EQ(after[2].at("encrypted_value").substr(0, 6), "763131");  // still v11
  EXPECT_EQ(after[3], before[3]);
  const auto reread = Records(url);
  ASSERT_EQ(reread.size(), 3u);
  EXPECT_EQ(reread[0].value, "1-edited");
  EXPECT_EQ(reread[2].value, "3-edited");
}

TEST_F(ChromiumStoreTest, NewCookiesTakeTheEncryptionMostRowsHave) {
  for (const Value kind : {Value::Plain, Value::V10, Value::V11}) {
    ChromiumStore store({Row("a.example", "x", "1", kind), Row("a.example", "y", "2", kind)}, 24,
                        "sekrit");
    const std::string url = KindStore::UrlFor("a.example", "/");
    auto records = Records(url);
    records.push_back(store.Store().Cookie("new", "3", "a.example/"));
    ASSERT_TRUE(store.Store().Commit(url, records)) << platform::LastUrlCacheErrorDetail();
    const auto added = store.File().Row("new");
    const std::string tag = added.at("encrypted_value").substr(0, 6);
    EXPECT_EQ(tag, kind == Value::Plain ? "" : kind == Value::V10 ? "763130" : "763131");
    EXPECT_EQ(added.at("is_persistent"), "1");
    EXPECT_EQ(added.at("source_port"), "-1");
    EXPECT_EQ(Records(url).back().value, "3");
  }
}

TEST_F(ChromiumStoreTest, CommitsAreRefusedWithTheirReason) {
  const std::string url = KindStore::UrlFor("a.example", "/");
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);  // a pid no process has now
  const struct {
    const char* name;
    std::function<void(ChromiumStore&)> prepare;
    std::function<void(std::vector<CookieRecord>&)> edit;
    DWORD error;  // 0: committed
    int version = 24;
  } cases[] = {
      {"the browser runs", [](ChromiumStore& s) { s.Lock(ChromiumStore::Host(), ::getpid()); },
       nullptr, ERROR_TOLVANE_STORE_IN_USE},
      {"a browser on another host", [](ChromiumStore& s) { s.Lock("elsewhere", 1); }, nullptr,
       ERROR_TOLVANE_STORE_IN_USE},
      {"a lock a killed browser left",
       [&](ChromiumStore& s) { s.Lock(ChromiumStore::Host(), child); }, nullptr, 0},
      {"an untested version", nullptr, nullptr, ERROR_TOLVANE_STORE_UNTESTED, 23},
      {"changed on disk",
       [](ChromiumStore& s) { s.File().Exec("UPDATE cookies SET priority = 2"); }, nullptr,
       ERROR_TOLVANE_STORE_CHANGED},
      {"a locked value edited", nullptr, [](std::vector<CookieRecord>& r) { r[1].value = "x"; },
       ERROR_TOLVANE_VALUES_LOCKED},
      {"a locked cookie removed", nullptr, [](std::vector<CookieRecord>& r) { r.pop_back(); },
       ERROR_TOLVANE_VALUES_LOCKED},
      {"a locked cookie copied", nullptr,
       [](std::vector<CookieRecord>& r) {
         r.push_back(r[1]);
         r.back().name = "copy";
       },
       ERROR_TOLVANE_COOKIE_NOT_STORABLE},
      {"the same cookie twice", nullptr, [](std::vector<CookieRecord>& r) { r.push_back(r[0]); },
       ERROR_TOLVANE_COOKIE_NOT_STORABLE},
      {"a locked cookie left as it is", nullptr, nullptr, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    platform::SetSecretLookupHandler([](const std::string&) { return std::nullopt; });
    ChromiumStore store({Row("a.example", "one", "1"), Row("a.example", "locked", "2", Value::V11)},
                        c.version, "sekrit");
    auto records = Records(url);
    ASSERT_EQ(records.size(), 2u);
    if (c.prepare) c.prepare(store);
    const auto before = store.File().Rows();
    records[0].value = "edited";
    if (c.edit) c.edit(records);
    const bool committed = store.Store().Commit(url, records);
    EXPECT_EQ(committed, c.error == 0) << platform::LastUrlCacheErrorDetail();
    if (c.error != 0) {
      EXPECT_EQ(GetLastError(), c.error) << platform::LastUrlCacheErrorDetail();
      EXPECT_EQ(store.File().Rows(), before);
    } else {
      EXPECT_EQ(store.File().Rows()[1], before[1]);  // the locked row, untouched
    }
  }
}

// A cookie set in a third-party frame (a partition) shares its name, host and path with the
// site's own: the records cannot name the partition, so an unchanged record keeps its row, and a
// change that cannot say which of the two was removed is refused. The browser keeps a cookie of a
// partition only while it is secure.
TEST_F(ChromiumStoreTest, CookiesOfOneNameInTwoPartitionsKeepTheirRows) {
  const std::string url = KindStore::UrlFor("a.example", "/");
  const std::string partition = "https://b.example";
  const struct {
    const char* name;
    std::function<void(std::vector<CookieRecord>&)> edit;
    bool committed;
    std::vector<std::pair<std::string, std::string>> left;  // top_frame_site_key, value
  } cases[] = {
      {"the site's own removed",
       [](auto& r) { r.erase(r.begin()); },
       true,
       {{partition, "framed"}}},
      {"the partitioned one removed", [](auto& r) { r.pop_back(); }, true, {{"", "own"}}},
      {"the partitioned one edited",
       [](auto& r) { r[1].value = "framed2"; },
       true,
       {{"", "own"}, {partition, "framed2"}}},
      {"both edited",
       [](auto& r) { r[0].value = "own2", r[1].value = "framed2"; },
       true,
       {{"", "own2"}, {partition, "framed2"}}},
      {"the partitioned one made insecure",
       [](auto& r) { r[1].flags &= ~DWORD(platform::kCookieBitSecure); },
       false,
       {{"", "own"}, {partition, "framed"}}},
      {"one removed, the other edited",
       [](auto& r) {
         r.erase(r.begin());
         r[0].value = "framed2";
       },
       false,
       {{"", "own"}, {partition, "framed"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ChromiumTestRow own = Row("a.example", "n", "own");
    ChromiumTestRow framed = Row("a.example", "n", "framed");
    own.secure = framed.secure = 1;
    framed.topFrame = partition;
    ChromiumStore store({own, framed});
    auto records = Records(url);
    ASSERT_EQ(records.size(), 2u);
    c.edit(records);
    EXPECT_EQ(store.Store().Commit(url, records), c.committed)
        << platform::LastUrlCacheErrorDetail();
    std::vector<std::pair<std::string, std::string>> left;
    const auto rows = store.File().Rows();
    const auto shown = Records(url);
    ASSERT_EQ(rows.size(), shown.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      left.emplace_back(rows[i].at("top_frame_site_key"), shown[i].value);
    }
    EXPECT_EQ(left, c.left);
  }
}

// The window asks why the store is read-only after a failed call, before it shows that call's
// error: a profile that cannot be read must not put its own error in its place.
TEST_F(ChromiumStoreTest, AskingWhyItIsReadOnlyKeepsTheLastError) {
  ChromiumStore store({Row("a.example", "one", "1")});
  store.File().Exec("DROP TABLE cookies");
  SetLastError(ERROR_TOLVANE_STORE_CHANGED);
  platform::StoreReadOnlyReason();
  EXPECT_EQ(GetLastError(), DWORD(ERROR_TOLVANE_STORE_CHANGED));
}

TEST_F(ChromiumStoreTest, CookiesTheBrowserWouldDropAreNotWritten) {
  const struct {
    const char* name;
    std::string cookie, value, domain;
    DWORD flags;
  } cases[] = {
      {"';' in a value", "n", "a;b", "a.example/", 0},
      {"a control byte in a value", "n", "a\tb", "a.example/", 0},
      {"a blank at the end of a value", "n", "ab ", "a.example/", 0},
      {"'=' in a name", "n=m", "v", "a.example/", 0},
      {"an upper-case host", "n", "v", "A.example/", 0},
      {"an empty label", "n", "v", "a..example/", 0},
      {"__Host- without secure", "__Host-n", "v", "a.example/", platform::kCookieBitHostOnly},
      {"__Host- for a domain", "__Host-n", "v", "a.example/", platform::kCookieBitSecure},
      {"__Secure- without secure", "__Secure-n", "v", "a.example/", 0},
      {"no name, a value like a prefixed name", "", "__Host-x=1", "a.example/", 0},
  };
  ChromiumStore store({});
  const std::string url = KindStore::UrlFor("a.example", "/");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CookieRecord record = store.Store().Cookie(c.cookie, c.value, c.domain);
    record.flags = c.flags;
    EXPECT_FALSE(store.Store().Commit(url, {record}));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_TOLVANE_COOKIE_NOT_STORABLE));
  }
  EXPECT_TRUE(store.File().Rows().empty());
}

TEST_F(ChromiumStoreTest, TheFirstWriteIsBackedUpAndARestoreBringsItBack) {
  ChromiumStore store({Row("a.example", "one", "1")});
  const auto before = store.File().Rows();
  const std::string url = KindStore::UrlFor("a.example", "/");
  ASSERT_TRUE(DeleteUrlCacheEntry(url.c_str())) << platform::LastUrlCacheErrorDetail();
  EXPECT_TRUE(store.File().Rows().empty());
  const auto backups = platform::ListBackups();
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(backups[0].location.kind, platform::StoreKind::Chromium);
  std::string problem;
  platform::SetStoreLocation("");
  ASSERT_TRUE(platform::RestoreBackup(backups[0].id, problem)) << problem;
  EXPECT_EQ(store.File().Rows(), before);
}

TEST_F(ChromiumStoreTest, CookiesCopyToACookiesTxtAndBack) {
  ChromiumStore store({Row("a.example", "one", "1"), Row(".b.example", "two", "2")});
  const std::string profile = store.Store().Location();
  const std::string txt = store.Store().Folder() + "/jar.txt";
  platform::SetStoreLocation("");
  platform::CopyReport report;
  std::string problem;
  ASSERT_TRUE(platform::CopyCookies(profile, txt, "", report, problem)) << problem;
  EXPECT_EQ(report.copied, 2);
  EXPECT_TRUE(report.failures.empty());
  store.File().Exec("DELETE FROM cookies");
  ASSERT_TRUE(platform::CopyCookies(txt, profile, "", report, problem)) << problem;
  EXPECT_EQ(report.copied, 2);
  EXPECT_TRUE(report.failures.empty()) << report.failures.front();
  EXPECT_EQ(store.File().Row("one").at("host_key"), "a.example");
  EXPECT_EQ(store.File().Row("two").at("host_key"), ".b.example");
  EXPECT_EQ(store.File().Row("two").at("encrypted_value").substr(0, 6), "763130");
}

}  // namespace
}  // namespace tolvane::test
