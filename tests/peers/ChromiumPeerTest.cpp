// Tolvane and the real browser on one profile, driven by scripts/test-chromium.sh: each test is
// one step of the script, run between the browser's own runs (never by ctest). The model is
// driven exactly as the window drives it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/PersetCookie.h"
#include "model/SiteCacheList.h"
#include "platform/Hooks.h"
#include "platform/StoreLocation.h"
#include "platform/UrlCacheStore.h"
#include "support/ChromiumProfile.h"

namespace tolvane::test {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

PersetCookie* Variable(SiteCache& entry, const std::string& name) {
  for (int i = 0; i < entry.GetSize(); ++i) {
    if (entry.GetVariable(i)->m_strName.str() == name) return entry.GetVariable(i);
  }
  return nullptr;
}

class ChromiumPeer : public testing::Test {
 protected:
  void SetUp() override {
    m_profile = Env("TOLVANE_PEER_PROFILE");
    m_site = Env("TOLVANE_PEER_SITE");
    m_copy = Env("TOLVANE_PEER_COPY");
    if (m_profile.empty() || m_site.empty() || m_copy.empty()) {
      GTEST_SKIP() << "run by scripts/test-chromium.sh";
    }
    platform::SetStoreLocation(m_profile);
    platform::SetMessageBoxHandler([this](HWND, const char* text, const char*, UINT) {
      m_boxes.push_back(text != nullptr ? text : "");
      return IDOK;
    });
  }
  void TearDown() override {
    platform::SetMessageBoxHandler(nullptr);
    platform::SetStoreLocation("");
  }

  std::string Url(const std::string& host) const { return platform::StoreEntryUrl(host, "/"); }
  std::string CookiesFile() const { return m_profile + "/Cookies"; }

  // The names of the cookies the server saw in a dumped /echo page.
  static std::string Echoed(const std::string& dump) {
    const std::string page = ReadAll(dump);
    const size_t start = page.find("<pre");
    const size_t open = page.find('>', start);
    const size_t end = page.find("</pre>", open);
    return start == std::string::npos || end == std::string::npos
               ? page
               : page.substr(open + 1, end - open - 1);
  }

  std::string m_profile, m_site, m_copy;
  std::vector<std::string> m_boxes;
};

// Step 1 and 2: the browser left v10 values; one value edited, one cookie deleted, one entry
// copied and its cookies moved to another site, all committed.
TEST_F(ChromiumPeer, EditDeleteAndCopyThroughTheModel) {
  const ChromiumProfile file = ChromiumProfile::Existing(CookiesFile());
  const auto rows = file.Rows();
  ASSERT_FALSE(rows.empty());
  for (const auto& row : rows) {
    EXPECT_EQ(row.at("encrypted_value").substr(0, 6), "763130") << row.at("name");  // "v10"
    EXPECT_EQ(row.at("value"), "") << row.at("name");
  }
  EXPECT_TRUE(platform::StoreReadOnlyReason().empty()) << platform::StoreReadOnlyReason();

  SiteCacheList list;
  ASSERT_GT(list.Load(), 0);
  ASSERT_TRUE(m_boxes.empty()) << m_boxes.front();
  SiteCache* site = list.FindEntry(CString(Url(m_site)));
  ASSERT_NE(site, nullptr);
  PersetCookie* lasting = Variable(*site, "lasting");
  ASSERT_NE(lasting, nullptr);
  EXPECT_EQ(lasting->m_strValue.str(), "one");
  lasting->m_strValue = "edited";
  lasting->m_nState = kStateModified;
  PersetCookie* gone = Variable(*site, "httponly");
  ASSERT_NE(gone, nullptr);
  site->DeleteVariable(gone);
  site->m_nState = kStateModified;
  ASSERT_EQ(list.CommitEntry(site, true), 0) << platform::LastUrlCacheErrorDetail();

  // Copy-add as the tree does it: the first commit is refused (the cookies are the source's).
  auto* copy = new SiteCache;
  copy->CopyFrom(*site);
  do {
    copy->m_strSite += "_Copy_";
    copy->m_strUrlName += "_Copy_";
  } while (list.FindEntry(copy->CommitUrlName()) != nullptr);
  list.InsertAt(list.GetSize(), copy);
  m_boxes.clear();
  EXPECT_EQ(list.CommitEntry(copy, false), -1);
  // The box said why; the detail names the entry the cookies belong to.
  EXPECT_NE(platform::LastUrlCacheErrorDetail().find("belongs to entry"), std::string::npos)
      << platform::LastUrlCacheErrorDetail();
  EXPECT_EQ(m_boxes.size(), 1u);
  for (int i = 0; i < copy->GetSize(); ++i) {
    PersetCookie* v = copy->GetVariable(i);
    const std::string domain = v->m_strDomain.str();
    v->m_strDomain = m_copy + domain.substr(domain.find('/'));
    v->m_nState = kStateModified;
  }
  ASSERT_EQ(list.CommitEntry(copy, true), 0) << platform::LastUrlCacheErrorDetail();

  SiteCacheList again;
  again.Load();
  SiteCache* reread = again.FindEntry(CString(Url(m_site)));
  ASSERT_NE(reread, nullptr);
  EXPECT_EQ(Variable(*reread, "lasting")->m_strValue.str(), "edited");
  EXPECT_EQ(Variable(*reread, "httponly"), nullptr);
  for (const auto& row : file.Rows()) {
    EXPECT_EQ(row.at("encrypted_value").substr(0, 6), "763130") << row.at("name");
  }
}

// Step 3: the browser ran again and visited both sites.
TEST_F(ChromiumPeer, TheBrowserSentWhatWasCommitted) {
  const std::string site = Echoed(Env("TOLVANE_PEER_ECHO_SITE"));
  const std::string copied = Echoed(Env("TOLVANE_PEER_ECHO_COPY"));
  EXPECT_NE(site.find("lasting=edited"), std::string::npos) << site;
  EXPECT_EQ(site.find("httponly="), std::string::npos) << site;
  EXPECT_NE(site.find("secure=four"), std::string::npos) << site;
  EXPECT_NE(site.find("domain=six"), std::string::npos) << site;
  EXPECT_NE(copied.find("lasting=edited"), std::string::npos) << copied;
  EXPECT_NE(copied.find("secure=four"), std::string::npos) << copied;

  // Nothing else of those sites was dropped: the path cookie the page never saw is there too.
  SiteCacheList list;
  list.Load();
  SiteCache* deep = list.FindEntry(CString(platform::StoreEntryUrl(m_site, "/deep")));
  ASSERT_NE(deep, nullptr);
  EXPECT_NE(Variable(*deep, "deep"), nullptr);
  SiteCache* parent = list.FindEntry(CString(Url(m_site.substr(m_site.find('.') + 1))));
  ASSERT_NE(parent, nullptr);
  EXPECT_NE(Variable(*parent, "domain"), nullptr);
}

// Step 4: while the browser runs, a commit is refused and the file stays as it was.
TEST_F(ChromiumPeer, ACommitIsRefusedWhileTheBrowserRuns) {
  const std::string before = ReadAll(CookiesFile());
  EXPECT_TRUE(platform::UrlCacheIsReadOnly());
  EXPECT_FALSE(platform::StoreReadOnlyReason().empty());
  SiteCacheList list;
  ASSERT_GT(list.Load(), 0);
  SiteCache* site = list.FindEntry(CString(Url(m_site)));
  ASSERT_NE(site, nullptr);
  Variable(*site, "lasting")->m_strValue = "while-running";
  Variable(*site, "lasting")->m_nState = kStateModified;
  site->m_nState = kStateModified;
  m_boxes.clear();
  EXPECT_EQ(list.CommitEntry(site, true), -1);
  EXPECT_NE(platform::LastUrlCacheErrorDetail().find("runs on"), std::string::npos)
      << platform::LastUrlCacheErrorDetail();
  EXPECT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(ReadAll(CookiesFile()), before);
}

// After SIGTERM the browser's lock stays behind; it names no running browser.
TEST_F(ChromiumPeer, AStaleLockIsNoRunningBrowser) {
  EXPECT_TRUE(platform::StoreReadOnlyReason().empty()) << platform::StoreReadOnlyReason();
  EXPECT_FALSE(platform::UrlCacheIsReadOnly());
}

// v11 values: the browser wrote them under its password in a real Secret Service
// (gnome-keyring on a session bus of the script's own).
class ChromiumPeerV11 : public ChromiumPeer {
 protected:
  void SetUp() override {
    m_profile = Env("TOLVANE_PEER_V11_PROFILE");
    m_site = Env("TOLVANE_PEER_V11_SITE");
    if (m_profile.empty() || m_site.empty()) GTEST_SKIP() << "run by scripts/test-chromium.sh";
    platform::SetStoreLocation(m_profile);
    platform::SetMessageBoxHandler([this](HWND, const char* text, const char*, UINT) {
      m_boxes.push_back(text != nullptr ? text : "");
      return IDOK;
    });
  }

  void ExpectV11Rows() const {
    const auto rows = ChromiumProfile::Existing(CookiesFile()).Rows();
    ASSERT_FALSE(rows.empty());
    for (const auto& row : rows) {
      EXPECT_EQ(row.at("encrypted_value").substr(0, 6), "763131") << row.at("name");  // "v11"
    }
  }
};

// With the Secret Service: the values read, one edited, still v11.
TEST_F(ChromiumPeerV11, ValuesAreReadAndWrittenWithTheSecretService) {
  ExpectV11Rows();
  SiteCacheList list;
  ASSERT_GT(list.Load(), 0);
  SiteCache* site = list.FindEntry(CString(Url(m_site)));
  ASSERT_NE(site, nullptr);
  PersetCookie* lasting = Variable(*site, "lasting");
  ASSERT_NE(lasting, nullptr);
  EXPECT_EQ(lasting->m_strValue.str(), "one");
  lasting->m_strValue = "edited-v11";
  lasting->m_nState = kStateModified;
  site->m_nState = kStateModified;
  ASSERT_EQ(list.CommitEntry(site, true), 0) << platform::LastUrlCacheErrorDetail();
  ExpectV11Rows();
}

TEST_F(ChromiumPeerV11, TheBrowserReadTheEditedV11Value) {
  const std::string echoed = Echoed(Env("TOLVANE_PEER_ECHO_V11"));
  EXPECT_NE(echoed.find("lasting=edited-v11"), std::string::npos) << echoed;
  EXPECT_NE(echoed.find("httponly=three"), std::string::npos) << echoed;
  EXPECT_NE(echoed.find("secure=four"), std::string::npos) << echoed;
}

// Without a session bus the values are locked: shown as such, and an edit is refused.
TEST_F(ChromiumPeerV11, WithoutTheSecretServiceTheValuesAreLocked) {
  const std::string before = ReadAll(CookiesFile());
  SiteCacheList list;
  ASSERT_GT(list.Load(), 0);
  SiteCache* site = list.FindEntry(CString(Url(m_site)));
  ASSERT_NE(site, nullptr);
  PersetCookie* lasting = Variable(*site, "lasting");
  ASSERT_NE(lasting, nullptr);
  EXPECT_EQ(lasting->m_strValue.str().rfind("[locked", 0), 0u) << lasting->m_strValue.str();
  lasting->m_strValue = "guess";
  lasting->m_nState = kStateModified;
  site->m_nState = kStateModified;
  EXPECT_EQ(list.CommitEntry(site, true), -1);
  EXPECT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(ReadAll(CookiesFile()), before);
}

}  // namespace
}  // namespace tolvane::test
