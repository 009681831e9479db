// Tolvane's half of the proof with the real Firefox (scripts/test-firefox.sh runs the browser
// between these steps). The profile is $TOLVANE_PEER_PROFILE; the browser visited the test
// server as www.site.localhost, which set host cookies there and a domain cookie for
// site.localhost. Each step drives the catalogue exactly as the window does.
#include <gtest/gtest.h>
#include <wininet.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "model/PersetCookie.h"
#include "model/SiteCache.h"
#include "model/SiteCacheList.h"
#include "platform/Hooks.h"
#include "platform/StoreErrors.h"
#include "platform/StoreLocation.h"
#include "platform/UrlCacheStore.h"

namespace {

std::string Profile() {
  const char* profile = std::getenv("TOLVANE_PEER_PROFILE");
  return profile != nullptr ? profile : "";
}

using Jar = std::map<std::string, std::string>;  // name -> value

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// The system's text for an error, as the message box shows it.
std::string Text(DWORD error) {
  char text[1024] = {};
  FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error, 0, text, sizeof text, nullptr);
  return text;
}

class FirefoxPeer : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Profile().empty()) << "TOLVANE_PEER_PROFILE names the profile";
    platform::SetStoreLocation(Profile());
    platform::SetMessageBoxHandler([this](HWND, const char* text, const char*, UINT) {
      m_boxes.push_back(text != nullptr ? text : "");
      return IDOK;
    });
    m_login = platform::StoreEntryUrl("x", "/");
    m_login = m_login.substr(0, m_login.find('@') + 1);  // "Cookie:<login>@"
  }
  void TearDown() override {
    platform::SetMessageBoxHandler(nullptr);
    platform::SetStoreLocation("");
  }

  // Every variable of the entry of this site.
  Jar Cookies(SiteCacheList& list, const std::string& site) {
    Jar cookies;
    if (SiteCache* entry = list.FindEntry(CString(m_login + site))) {
      for (int i = 0; i < entry->GetSize(); ++i) {
        cookies[entry->GetVariable(i)->m_strName.str()] = entry->GetVariable(i)->m_strValue.str();
      }
    }
    return cookies;
  }

  std::string m_login;
  std::vector<std::string> m_boxes;
};

TEST_F(FirefoxPeer, EditDeleteAndCopyAreCommittedThroughTheCatalogue) {
  EXPECT_EQ(platform::StoreReadOnlyReason(), "");
  SiteCacheList list;
  list.Load();
  ASSERT_EQ(Cookies(list, "www.site.localhost/"),
            (Jar{{"lasting", "one"}, {"httponly", "three"}, {"secure", "four"}}));
  ASSERT_EQ(Cookies(list, "www.site.localhost/deep"), (Jar{{"deep", "five"}}));
  ASSERT_EQ(Cookies(list, "site.localhost/"), (Jar{{"domain", "six"}}));

  // One value edited and one cookie deleted, as the forms and the context menu do.
  SiteCache* entry = list.FindEntry(CString(m_login + "www.site.localhost/"));
  for (int i = entry->GetSize() - 1; i >= 0; --i) {
    PersetCookie* variable = entry->GetVariable(i);
    if (variable->m_strName == "lasting") {
      variable->m_strValue = "edited";
      variable->m_nState = kStateModified;
    } else if (variable->m_strName == "httponly") {
      entry->DeleteVariable(variable);
    }
  }
  entry->m_nState = kStateModified;
  ASSERT_EQ(list.CommitEntry(entry, true), 0) << platform::LastUrlCacheErrorDetail();
  EXPECT_TRUE(m_boxes.empty());

  // The entry copied as the tree's copy-add does: its first commit is refused, since its
  // cookies are the source's; with their domain changed to another site it goes in.
  auto* copy = new SiteCache;
  copy->CopyFrom(*entry);
  do {
    copy->m_strSite += "_Copy_";
    copy->m_strUrlName += "_Copy_";
  } while (list.FindEntry(copy->CommitUrlName()) != nullptr);
  list.InsertAt(0, copy);
  EXPECT_EQ(list.CommitEntry(copy, false), -1);
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_NE(m_boxes[0].find(Text(ERROR_TOLVANE_COOKIE_OF_OTHER_ENTRY)), std::string::npos);
  for (int i = 0; i < copy->GetSize(); ++i) {
    copy->GetVariable(i)->m_strDomain = "other.localhost/";
    copy->GetVariable(i)->m_nState = kStateModified;
  }
  copy->m_nState = kStateModified;
  ASSERT_EQ(list.CommitEntry(copy, true), 0) << platform::LastUrlCacheErrorDetail();

  SiteCacheList again;
  again.Load();
  EXPECT_EQ(Cookies(again, "www.site.localhost/"),
            (Jar{{"lasting", "edited"}, {"secure", "four"}}));
  // In this run they stay in the entry they were committed to; the next run finds them under
  // their own site.
  EXPECT_EQ(Cookies(again, "www.site.localhost/_Copy_"),
            (Jar{{"lasting", "edited"}, {"secure", "four"}}));
  EXPECT_EQ(Cookies(again, "site.localhost/"), (Jar{{"domain", "six"}}));
}

TEST_F(FirefoxPeer, EveryCookieIsThereAfterFirefoxRanAgain) {
  SiteCacheList list;
  list.Load();
  EXPECT_EQ(Cookies(list, "www.site.localhost/"), (Jar{{"lasting", "edited"}, {"secure", "four"}}));
  EXPECT_EQ(Cookies(list, "www.site.localhost/deep"), (Jar{{"deep", "five"}}));
  EXPECT_EQ(Cookies(list, "site.localhost/"), (Jar{{"domain", "six"}}));
  EXPECT_EQ(Cookies(list, "other.localhost/"), (Jar{{"lasting", "edited"}, {"secure", "four"}}));
}

TEST_F(FirefoxPeer, ACommitWhileFirefoxRunsIsRefusedAndChangesNoByte) {
  EXPECT_TRUE(platform::UrlCacheIsReadOnly());
  EXPECT_NE(platform::StoreReadOnlyReason().find("Firefox"), std::string::npos);
  SiteCacheList list;
  list.Load();
  SiteCache* entry = list.FindEntry(CString(m_login + "www.site.localhost/"));
  ASSERT_NE(entry, nullptr);  // read while Firefox holds the database
  entry->GetVariable(0)->m_strValue = "while-running";
  entry->GetVariable(0)->m_nState = kStateModified;
  entry->m_nState = kStateModified;
  const std::string db = Profile() + "/cookies.sqlite";
  const std::string before = ReadAll(db) + '\0' + ReadAll(db + "-wal");
  EXPECT_EQ(list.CommitEntry(entry, true), -1);
  EXPECT_EQ(ReadAll(db) + '\0' + ReadAll(db + "-wal"), before);
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_NE(m_boxes[0].find(Text(ERROR_TOLVANE_STORE_IN_USE)), std::string::npos);
}

}  // namespace
