// Real Wine as a peer. A Windows program (tests/peers/wine_cookies.c) sets cookies through the
// system's cookie calls and prints what they return; Tolvane reads them, and edits, deletes and
// copies them through the catalogue as the window does; the program then gets what Tolvane
// wrote. scripts/test-wine.sh installs Wine, builds the program (TOLVANE_WINE_PROGRAM) and
// names a fresh prefix (WINEPREFIX). The steps build on each other and run in order.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "model/EditState.h"
#include "model/PersetCookie.h"
#include "model/SiteCache.h"
#include "model/SiteCacheList.h"
#include "model/TimeText.h"
#include "platform/Backups.h"
#include "platform/Hooks.h"
#include "platform/StoreCopy.h"
#include "platform/StoreLocation.h"
#include "platform/UrlCacheStore.h"
#include "platform/WineCache.h"

namespace tolvane::test {
namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// Runs a shell command, bounded in time; its standard output.
std::string Shell(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(("timeout 120 " + command).c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  EXPECT_EQ(::pclose(pipe), 0) << command;
  return out;
}

// Runs the Windows program; what it printed, by URL. Returns once Wine has ended: Tolvane
// writes nothing while a wineserver runs.
std::map<std::string, std::string> Program(const std::string& args) {
  const std::string out =
      Shell("wine " + Env("TOLVANE_WINE_PROGRAM") + " " + args + " 2>/dev/null");
  Shell("wineserver -w");
  std::map<std::string, std::string> answers;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t tab = line.find('\t');
    if (tab != std::string::npos) answers[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return answers;
}

std::string Url(const std::string& host) { return platform::StoreEntryUrl(host, "/"); }

// Every file of the cookie folder and its bytes.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& item : fs::directory_iterator(folder)) {
    std::ifstream in(item.path(), std::ios::binary);
    files[item.path().filename()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

// Waits until the store's read-only reason is (or is not) there.
bool WaitReadOnly(bool wanted) {
  for (int i = 0; i < 100; ++i) {
    if (platform::StoreReadOnlyReason().empty() != wanted) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

class WinePeer : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    ASSERT_FALSE(Env("WINEPREFIX").empty());
    ASSERT_FALSE(Env("TOLVANE_WINE_PROGRAM").empty());
  }
  void SetUp() override {
    platform::SetMessageBoxHandler([this](HWND, const char* text, const char*, UINT) {
      m_boxes.push_back(text != nullptr ? text : "");
      return IDOK;
    });
    g_bGmtMode = 1;
    m_prefix = Env("WINEPREFIX");
    platform::SetStoreLocation("wine:" + m_prefix);
  }
  void TearDown() override { platform::SetMessageBoxHandler(nullptr); }

  static std::map<std::string, std::vector<std::string>> Cookies(SiteCacheList& list) {
    std::map<std::string, std::vector<std::string>> cookies;
    for (int i = 0; i < list.GetSize(); ++i) {
      SiteCache* entry = list.GetEntry(i);
      auto& pairs = cookies[entry->m_strUrlName.str()];
      for (int k = 0; k < entry->GetSize(); ++k) {
        const PersetCookie* v = entry->GetVariable(k);
        pairs.push_back(v->m_strName.str() + "=" + v->m_strValue.str() + " @" +
                        v->m_strDomain.str());
      }
    }
    return cookies;
  }

  std::string CookieFolder() const {
    return m_prefix + "/drive_c/users/" + Url("x").substr(7, Url("x").find('@') - 7) +
           "/AppData/Local/Microsoft/Windows/INetCookies";
  }

  std::string m_prefix;
  std::vector<std::string> m_boxes;
};

TEST_F(WinePeer, TolvaneShowsExactlyTheCookiesTheProgramSet) {
  const auto got = Program(
      "set http://a.example/ one=1 two=2 three=3 http://b.example/ four=4 http://c.example/ "
      "gone=x get http://a.example/");
  ASSERT_EQ(got.at("http://a.example/"), "one=1; two=2; three=3");
  SiteCacheList list;
  ASSERT_EQ(list.Load(), 3) << platform::LastUrlCacheErrorDetail();
  const std::map<std::string, std::vector<std::string>> expected = {
      {Url("a.example"), {"one=1 @a.example/", "two=2 @a.example/", "three=3 @a.example/"}},
      {Url("b.example"), {"four=4 @b.example/"}},
      {Url("c.example"), {"gone=x @c.example/"}}};
  EXPECT_EQ(Cookies(list), expected);
  EXPECT_TRUE(platform::StoreReadOnlyReason().empty()) << platform::StoreReadOnlyReason();
}

TEST_F(WinePeer, EditsADeletionAndACopyReachTheProgram) {
  SiteCacheList list;
  ASSERT_EQ(list.Load(), 3);
  SiteCache* a = list.FindEntry(CString(Url("a.example")));
  ASSERT_NE(a, nullptr);
  a->GetVariable(1)->m_strValue = "edited";
  a->GetVariable(1)->m_nState = kStateModified;
  a->DeleteVariable(a->GetVariable(2));
  a->m_nState = kStateModified;
  ASSERT_EQ(list.CommitEntry(a, true), 0) << platform::LastUrlCacheErrorDetail();
  list.DeleteEntry(list.FindEntry(CString(Url("c.example"))));

  // A copy of b.example, as the tree makes one: its cookies are still b.example's, so its
  // first commit is refused; with another domain it goes in.
  SiteCache* b = list.FindEntry(CString(Url("b.example")));
  ASSERT_NE(b, nullptr);
  auto owned = std::make_unique<SiteCache>();
  SiteCache* copy = owned.get();
  copy->CopyFrom(*b);
  copy->m_strSite += "_Copy_";
  copy->m_strUrlName += "_Copy_";
  list.InsertAt(list.GetSize(), owned.release());
  EXPECT_NE(list.CommitEntry(copy, false), 0);
  EXPECT_EQ(m_boxes.size(), 1u);
  for (int k = 0; k < copy->GetSize(); ++k) {
    copy->GetVariable(k)->m_strDomain = "d.example/";
    copy->GetVariable(k)->m_nState = kStateModified;
  }
  copy->m_nState = kStateModified;
  ASSERT_EQ(list.CommitEntry(copy, false), 0) << platform::LastUrlCacheErrorDetail();

  // Wine, started afresh, reads what Tolvane wrote, and keeps the rest of its cache.
  const auto got =
      Program("get http://a.example/ http://b.example/ http://c.example/ http://d.example/");
  EXPECT_EQ(got.at("http://a.example/"), "one=1; two=edited");
  EXPECT_EQ(got.at("http://b.example/"), "four=4");
  EXPECT_EQ(got.at("http://c.example/"), "-");
  EXPECT_EQ(got.at("http://d.example/"), "four=4");
}

TEST_F(WinePeer, WineRewritesAnEntryTolvaneWroteWithoutLeavingItsOldFile) {
  const auto got = Program("set http://a.example/ added=1 get http://a.example/");
  EXPECT_EQ(got.at("http://a.example/"), "one=1; two=edited; added=1");
  // Wine removes an entry's old file only when its write time matches the one the index
  // records: every file left is one the index names.
  std::vector<platform::UrlCacheRecord> records;
  ASSERT_TRUE(platform::ListUrlCacheEntries(records));
  std::set<std::string> named = {"index.dat"};
  for (const auto& r : records) named.insert(r.localFile.substr(r.localFile.rfind('/') + 1));
  for (const auto& [name, bytes] : Snapshot(CookieFolder())) {
    EXPECT_EQ(named.count(name), 1u) << name << " is left over";
  }
}

TEST_F(WinePeer, WhileAWineserverRunsACommitIsRefusedAndNothingChanges) {
  Shell("wineserver -p >/dev/null 2>&1");  // stays, as while a Windows program runs
  ASSERT_TRUE(WaitReadOnly(true));
  EXPECT_TRUE(platform::UrlCacheIsReadOnly());
  const auto before = Snapshot(CookieFolder());
  SiteCacheList list;
  ASSERT_GE(list.Load(), 1);
  SiteCache* a = list.FindEntry(CString(Url("a.example")));
  ASSERT_NE(a, nullptr);
  a->GetVariable(0)->m_strValue = "refused";
  a->GetVariable(0)->m_nState = kStateModified;
  a->m_nState = kStateModified;
  EXPECT_NE(list.CommitEntry(a, true), 0);
  EXPECT_NE(platform::LastUrlCacheErrorDetail().find("wineserver"), std::string::npos)
      << platform::LastUrlCacheErrorDetail();
  EXPECT_EQ(Snapshot(CookieFolder()), before);
  Shell("wineserver -k");
  Shell("wineserver -w");
  EXPECT_TRUE(WaitReadOnly(false));
}

TEST_F(WinePeer, TheBackupOfTheFirstWriteRestoresWhatTheProgramSet) {
  std::string id;
  for (const platform::StoreBackup& backup : platform::ListBackups()) {
    if (backup.location.kind == platform::StoreKind::Wine) id = backup.id;
  }
  ASSERT_FALSE(id.empty());
  std::string problem;
  ASSERT_TRUE(platform::RestoreBackup(id, problem)) << problem;
  const auto got = Program("get http://a.example/ http://c.example/");
  EXPECT_EQ(got.at("http://a.example/"), "one=1; two=2; three=3");
  EXPECT_EQ(got.at("http://c.example/"), "gone=x");
}

TEST_F(WinePeer, ACopyThatOutgrowsTheIndexAndABucketIsReadByWine) {
  // Eight sites whose URLs share a hash bucket (a second hash table), and sixty more: the index
  // outgrows its first 128 blocks.
  std::vector<std::string> crowd, others;
  for (int n = 0; crowd.size() < 8 || others.size() < 60; ++n) {
    const std::string host = "g" + std::to_string(n) + ".example";
    const bool shared = platform::WineUrlCacheKey(Url(host)) % 64 == 5;
    if (shared && crowd.size() < 8) crowd.push_back(host);
    if (!shared && others.size() < 60) others.push_back(host);
  }
  const std::string txt = m_prefix + "/../sites.txt";
  {
    std::ofstream out(txt);
    out << "# Netscape HTTP Cookie File\n";
    const long expiry = long(::time(nullptr)) + 7 * 86400;
    for (const auto* list : {&crowd, &others}) {
      for (const std::string& host : *list) {
        out << host << "\tFALSE\t/\tFALSE\t" << expiry << "\tg\t" << host << "\n";
      }
    }
  }
  platform::CopyReport report;
  std::string problem;
  ASSERT_TRUE(platform::CopyCookies(txt, "wine:" + m_prefix, "", report, problem)) << problem;
  EXPECT_EQ(report.copied, 68);
  EXPECT_TRUE(report.failures.empty());
  std::ifstream in(CookieFolder() + "/index.dat", std::ios::binary);
  const std::string index(std::istreambuf_iterator<char>(in), {});
  EXPECT_GT(index.size(), 32768u);
  int tables = 0;
  for (size_t at = 0x4000; at + 4 <= index.size(); at += 128)
    tables += index.compare(at, 4, "HASH") == 0;
  EXPECT_EQ(tables, 2);
  const auto got =
      Program("get http://" + crowd.back() + "/ http://" + others.back() + "/ http://a.example/");
  EXPECT_EQ(got.at("http://" + crowd.back() + "/"), "g=" + crowd.back());
  EXPECT_EQ(got.at("http://" + others.back() + "/"), "g=" + others.back());
  EXPECT_EQ(got.at("http://a.example/"), "one=1; two=2; three=3");
}

}  // namespace
}  // namespace tolvane::test
