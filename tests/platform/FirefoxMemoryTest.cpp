// What the Firefox back end keeps between commits of one run: which entry holds each cookie, and
// where a commit placed cookies, must survive many added cookies and a reload that fails.
#include <gtest/gtest.h>
#include <wininet.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/CookieRecord.h"
#include "platform/StoreErrors.h"
#include "support/FirefoxProfileStore.h"
#include "support/KindStore.h"

namespace tolvane::test {
namespace {

using platform::CookieRecord;

CookieRecord Cookie(const std::string& name, const std::string& site) {
  CookieRecord r;
  r.name = name;
  r.value = "v";
  r.domain = site + "/";
  r.flags = platform::kCookieBitHostOnly;
  r.expire = platform::FileTimeFromUnix(2000000000);
  r.second = platform::FileTimeFromUnix(1700000000);
  return r;
}

// Short names and paths live inside the cookies' own objects: growing the store's memory must
// not lose track of whose they are.
TEST(FirefoxMemory, CookiesAddedOverManyCommitsStayTheirEntrysOwn) {
  FirefoxProfileStore store;
  ASSERT_TRUE(store.Make(17));
  const std::string first = KindStore::UrlFor("a.localhost", "/");
  const std::string second = KindStore::UrlFor("b.localhost", "/");
  std::vector<CookieRecord> records;
  for (int round = 0; round < 6; ++round) {
    for (int i = 0; i < 200; ++i) {
      records.push_back(Cookie("n" + std::to_string(round * 200 + i), "a.localhost"));
    }
    ASSERT_TRUE(FirefoxProfileStore::Commit(first, records)) << platform::LastUrlCacheErrorDetail();
  }
  EXPECT_EQ(Column(store.Database(), "count(*)", "1"), "1200");
  for (const size_t k : {size_t(0), size_t(599), size_t(1199)}) {
    EXPECT_FALSE(FirefoxProfileStore::Commit(second, {records[k]})) << k;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_TOLVANE_COOKIE_OF_OTHER_ENTRY)) << k;
  }
  records[7].value = "changed";
  records.erase(records.begin() + 3);
  ASSERT_TRUE(FirefoxProfileStore::Commit(first, records)) << platform::LastUrlCacheErrorDetail();
  EXPECT_EQ(FirefoxProfileStore::Records(first), records);
  EXPECT_EQ(Column(store.Database(), "value", "name = 'n7'"), "changed");
  EXPECT_EQ(Column(store.Database(), "count(*)", "name = 'n3'"), "0");
}

// A reload that fails (the file briefly not a database) keeps what was read and where the copy-add
// put its cookies.
TEST(FirefoxMemory, AFailedReloadKeepsTheCookiesACommitPlaced) {
  FirefoxProfileStore store;
  ASSERT_TRUE(store.Make(17));
  const std::string source = KindStore::UrlFor("a.localhost", "/");
  ASSERT_TRUE(FirefoxProfileStore::Commit(source, {Cookie("sid", "a.localhost")}));
  const std::string copy = source + "_Copy_";
  const std::vector<CookieRecord> copied = {Cookie("sid", "copy.localhost")};
  ASSERT_TRUE(FirefoxProfileStore::Commit(copy, copied)) << platform::LastUrlCacheErrorDetail();

  const std::string aside = store.Folder() + "/aside.sqlite";
  std::filesystem::rename(store.Database(), aside);
  std::ofstream(store.Database()) << "not a database";
  EXPECT_EQ(FirefoxProfileStore::Urls(), std::vector<std::string>{"<cannot list>"});
  EXPECT_EQ(GetLastError(), DWORD(ERROR_TOLVANE_NOT_A_STORE));
  std::filesystem::rename(aside, store.Database());

  EXPECT_EQ(FirefoxProfileStore::Urls(), (std::vector<std::string>{source, copy}));
  EXPECT_EQ(FirefoxProfileStore::Records(copy), copied);
}

}  // namespace
}  // namespace tolvane::test
