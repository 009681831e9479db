// Firefox cookie databases of every schema version Tolvane writes (12 to 17), built by hand:
// rows read as records, containers kept apart, and a commit that changes only what it must.
#include <gtest/gtest.h>
#include <wininet.h>

#include <ctime>
#include <string>
#include <vector>

#include "platform/CookieRecord.h"
#include "platform/StoreErrors.h"
#include "support/FirefoxProfileStore.h"
#include "support/KindStore.h"

namespace tolvane::test {
namespace {

using platform::CookieRecord;
using platform::FileTimeFromUnix;

constexpr int64_t kExpirySeconds = 2000000000;  // 2033-05-18
constexpr int64_t kCreated = 1700000000222222;  // microseconds
constexpr int64_t kAccessed = 1700000000111111;
constexpr int64_t kUpdated = 1700000000333333;

std::string ContainerUrl(const std::string& host, const std::string& path, int context) {
  std::string url = KindStore::UrlFor(host, path);
  return url.insert(url.find('@'), "+userContextId=" + std::to_string(context));
}

// A row with every column set, as Firefox writes one.
std::string Insert(int version, int id, const std::string& origin, const std::string& name,
                   const std::string& value, const std::string& host, int sameSite) {
  const bool ms = version >= 16;
  std::string columns =
      "id, originAttributes, name, value, host, path, expiry, lastAccessed, creationTime, "
      "isSecure, isHttpOnly, inBrowserElement, sameSite, schemeMap";
  std::string values =
      std::to_string(id) + ", '" + origin + "', '" + name + "', '" + value + "', '" + host +
      "', '/', " +
      (ms ? std::to_string(kExpirySeconds * 1000 + 123) : std::to_string(kExpirySeconds)) + ", " +
      std::to_string(kAccessed + id) + ", " + std::to_string(kCreated + id) + ", 1, 1, 1, " +
      std::to_string(sameSite) + ", 2";
  // Lax without the attribute given (lax by default): the raw column says "none".
  const int raw = sameSite == 1 ? 0 : sameSite;
  if (version <= 14) columns += ", rawSameSite", values += ", " + std::to_string(raw);
  if (version >= 13) columns += ", isPartitionedAttributeSet", values += ", 0";
  if (version >= 17) columns += ", updateTime", values += ", " + std::to_string(kUpdated);
  return "INSERT INTO moz_cookies (" + columns + ") VALUES (" + values + ");";
}

class FirefoxSchemas : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    const int v = GetParam();
    ASSERT_TRUE(m_store.Make(v));
    ASSERT_TRUE(RunSql(m_store.Database(),
                       Insert(v, 1, "", "sid", "one", ".site.localhost", 1) +
                           Insert(v, 2, "", "pref", "two", "site.localhost", 2) +
                           Insert(v, 3, "^userContextId=2", "sid", "three", ".site.localhost", 0) +
                           Insert(v, 4, "", "keep", "four", "other.localhost", 0)));
    m_site = KindStore::UrlFor("site.localhost", "/");
    m_container = ContainerUrl("site.localhost", "/", 2);
  }

  FirefoxProfileStore m_store;
  std::string m_site, m_container;
};

TEST_P(FirefoxSchemas, RowsReadAsRecordsGroupedByContainerHostAndPath) {
  std::vector<std::string> urls = {m_site, m_container, KindStore::UrlFor("other.localhost", "/")};
  std::sort(urls.begin(), urls.end());
  EXPECT_EQ(FirefoxProfileStore::Urls(), urls);

  const std::vector<CookieRecord> site = FirefoxProfileStore::Records(m_site);
  ASSERT_EQ(site.size(), 2u);
  const CookieRecord& domain = site[0];
  EXPECT_EQ(domain.name, "sid");
  EXPECT_EQ(domain.value, "one");
  EXPECT_EQ(domain.domain, "site.localhost/");
  EXPECT_EQ(domain.flags, platform::kCookieBitSecure | platform::kCookieBitHttpOnly |
                              platform::kCookieBitSameSiteLax);
  // Whole seconds, whatever unit the version counts in.
  EXPECT_EQ(platform::UnixFromFileTime(domain.expire), kExpirySeconds);
  EXPECT_EQ(platform::UnixFromFileTime(domain.second), kCreated / 1000000);
  EXPECT_EQ(site[1].flags, platform::kCookieBitSecure | platform::kCookieBitHttpOnly |
                               platform::kCookieBitHostOnly | platform::kCookieBitSameSiteStrict);

  const std::vector<CookieRecord> container = FirefoxProfileStore::Records(m_container);
  ASSERT_EQ(container.size(), 1u);
  EXPECT_EQ(container[0].value, "three");
  EXPECT_EQ(platform::StoreReadOnlyReason(), "");
}

TEST_P(FirefoxSchemas, ACommitChangesOnlyTheRowsItsEntryChanged) {
  const int v = GetParam();
  const std::vector<std::string> before = DumpRows(m_store.Database());
  ASSERT_EQ(before.size(), 4u);

  // One value edited, one cookie removed, one added: one commit.
  std::vector<CookieRecord> records = FirefoxProfileStore::Records(m_site);
  ASSERT_EQ(records.size(), 2u);
  records[0].value = "edited";
  records[1].name = "added";
  records[1].flags = platform::kCookieBitHostOnly;
  records[1].expire = FileTimeFromUnix(1893456000);
  records[1].second = FileTimeFromUnix(1800000000);
  ASSERT_TRUE(FirefoxProfileStore::Commit(m_site, records)) << platform::LastUrlCacheErrorDetail();

  const std::vector<std::string> after = DumpRows(m_store.Database());
  ASSERT_EQ(after.size(), 4u);
  // The edited row: its value, nothing else (expiry keeps its milliseconds, the times and the
  // columns a record cannot show keep theirs).
  std::string edited = before[0];
  edited.replace(edited.find("value=3:one|"), 12, "value=3:edited|");
  EXPECT_EQ(after[0], edited);
  EXPECT_EQ(after[1], before[2]);  // the container's cookie of the same name, host and path
  EXPECT_EQ(after[2], before[3]);  // another site's
  EXPECT_EQ(Column(m_store.Database(), "count(*)", "name = 'pref'"), "0");

  // The new row: the record's fields, Firefox's values for the rest.
  const std::string where = "name = 'added'";
  const std::string db = m_store.Database();
  EXPECT_EQ(Column(db, "host || path || originAttributes", where), "site.localhost/");
  EXPECT_EQ(Column(db, "expiry", where), v >= 16 ? "1893456000000" : "1893456000");
  EXPECT_EQ(Column(db, "creationTime", where), "1800000000000000");
  EXPECT_EQ(Column(db, "isSecure || isHttpOnly || inBrowserElement", where), "000");
  EXPECT_EQ(Column(db, "sameSite", where), v >= 15 ? "256" : "0");
  EXPECT_EQ(Column(db, "schemeMap", where), "1");
  const int64_t now = int64_t(std::time(nullptr)) * 1000000;
  EXPECT_NEAR(std::stod(Column(db, "lastAccessed", where)), double(now), 60e6);
  if (v <= 14) {
    EXPECT_EQ(Column(db, "rawSameSite", where), "0");
  }
  if (v >= 13) {
    EXPECT_EQ(Column(db, "isPartitionedAttributeSet", where), "0");
  }
  if (v >= 17) {
    EXPECT_NEAR(std::stod(Column(db, "updateTime", where)), double(now), 60e6);
  }

  // Read back as committed.
  const std::vector<CookieRecord> reread = FirefoxProfileStore::Records(m_site);
  ASSERT_EQ(reread.size(), 2u);
  EXPECT_EQ(reread[0], records[0]);
  EXPECT_EQ(reread[1], records[1]);
}

TEST_P(FirefoxSchemas, AContainersCookiesStayInItsContainer) {
  const std::vector<std::string> before = DumpRows(m_store.Database());
  std::vector<CookieRecord> records = FirefoxProfileStore::Records(m_container);
  ASSERT_EQ(records.size(), 1u);
  records[0].value = "contained";
  CookieRecord added = records[0];
  added.name = "new";
  records.push_back(added);
  ASSERT_TRUE(FirefoxProfileStore::Commit(m_container, records))
      << platform::LastUrlCacheErrorDetail();

  const std::vector<std::string> after = DumpRows(m_store.Database());
  EXPECT_EQ(after[0], before[0]);  // the default container's "sid" is untouched
  EXPECT_EQ(Column(m_store.Database(), "value", "id = 3"), "contained");
  EXPECT_EQ(Column(m_store.Database(), "originAttributes", "name = 'new'"), "^userContextId=2");
  EXPECT_EQ(FirefoxProfileStore::Records(m_container).size(), 2u);
  EXPECT_EQ(FirefoxProfileStore::Records(m_site).size(), 2u);
}

TEST_P(FirefoxSchemas, AnEntryCommittedUnchangedLeavesTheFileAsItWas) {
  const std::string before = m_store.Bytes();
  for (const std::string& url : {m_site, m_container}) {
    ASSERT_TRUE(FirefoxProfileStore::Commit(url, FirefoxProfileStore::Records(url)))
        << platform::LastUrlCacheErrorDetail();
  }
  EXPECT_EQ(m_store.Bytes(), before);
}

TEST_P(FirefoxSchemas, ChangedSameSiteBitsAndFlagsReachTheirColumnsOnly) {
  const int v = GetParam();
  std::vector<CookieRecord> records = FirefoxProfileStore::Records(m_site);
  records[0].flags = platform::kCookieBitSameSiteStrict;  // was secure, HttpOnly, lax
  records[0].expire = FileTimeFromUnix(1900000000);
  ASSERT_TRUE(FirefoxProfileStore::Commit(m_site, records)) << platform::LastUrlCacheErrorDetail();
  const std::string db = m_store.Database();
  EXPECT_EQ(Column(db, "isSecure || isHttpOnly || sameSite", "id = 1"), "002");
  EXPECT_EQ(Column(db, "expiry", "id = 1"), v >= 16 ? "1900000000000" : "1900000000");
  EXPECT_EQ(Column(db, "lastAccessed", "id = 1"), std::to_string(kAccessed + 1));
  EXPECT_EQ(Column(db, "creationTime", "id = 1"), std::to_string(kCreated + 1));
  if (v <= 14) {
    EXPECT_EQ(Column(db, "rawSameSite", "id = 1"), "2");
  }
}

// The tree's copy-add: the copy's first commit is refused (its cookies are the source's); with
// their site changed it goes in, and the cookies stay in the copied entry, and in its container,
// for the rest of the run.
TEST_P(FirefoxSchemas, ACopiedEntryGoesInOnceItsCookiesHaveASiteOfTheirOwn) {
  for (const std::string& source : {m_site, m_container}) {
    const std::string copy = source + "_Copy_";
    std::vector<CookieRecord> records = FirefoxProfileStore::Records(source);
    EXPECT_FALSE(FirefoxProfileStore::Commit(copy, records));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_TOLVANE_COOKIE_OF_OTHER_ENTRY));
    for (CookieRecord& record : records) record.domain = "copy.localhost/";
    ASSERT_TRUE(FirefoxProfileStore::Commit(copy, records)) << platform::LastUrlCacheErrorDetail();
    FirefoxProfileStore::Urls();  // a reload within the run
    EXPECT_EQ(FirefoxProfileStore::Records(copy), records);
    EXPECT_EQ(FirefoxProfileStore::Records(source).size(), source == m_site ? 2u : 1u);
  }
  EXPECT_EQ(Column(m_store.Database(), "count(*)",
                   "host = '.copy.localhost' AND "
                   "originAttributes = '^userContextId=2'"),
            "1");
  EXPECT_EQ(Column(m_store.Database(), "count(*)", "host LIKE '%copy.localhost'"), "3");
}

INSTANTIATE_TEST_SUITE_P(Versions, FirefoxSchemas, testing::Range(12, 18),
                         [](const testing::TestParamInfo<int>& info) {
                           return "v" + std::to_string(info.param);
                         });

}  // namespace
}  // namespace tolvane::test
