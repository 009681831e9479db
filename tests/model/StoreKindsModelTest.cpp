// The catalogue over every kind of store, exactly as the window drives it: load, edit a value,
// add and delete a variable, commit, delete an entry, and read it all back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "model/PersetCookie.h"
#include "model/SiteCacheList.h"
#include "model/TimeText.h"
#include "platform/Hooks.h"
#include "support/KindStore.h"

namespace tolvane::test {
namespace {

class StoreKindsModel : public testing::TestWithParam<StoreKindCase> {
 protected:
  void SetUp() override {
    platform::SetMessageBoxHandler([this](HWND, const char* text, const char*, UINT) {
      m_boxes.push_back(text ? text : "");
      return IDOK;
    });
    g_bGmtMode = 1;
    m_a = KindStore::UrlFor("a.example", "/");
    m_b = KindStore::UrlFor("b.example", "/");
    ASSERT_TRUE(m_store.Commit(
        m_a, {m_store.Cookie("one", "1", "a.example/"),
              m_store.Cookie("two", "2", "a.example/", platform::kCookieBitSecure)}));
    ASSERT_TRUE(m_store.Commit(
        m_b, {m_store.Cookie("three", "3", "b.example/", platform::kCookieBitHostOnly)}));
  }
  void TearDown() override { platform::SetMessageBoxHandler(nullptr); }

  static std::vector<std::string> Names(const SiteCache& entry) {
    std::vector<std::string> names;
    for (int i = 0; i < entry.GetSize(); ++i)
      names.push_back(entry.GetVariable(i)->m_strName.str());
    return names;
  }

  KindStore m_store{GetParam()};
  std::vector<std::string> m_boxes;
  std::string m_a, m_b;
};

TEST_P(StoreKindsModel, EditsAdditionsAndDeletionsSurviveAReload) {
  SiteCacheList list;
  ASSERT_EQ(list.Load(), 2);
  SiteCache* a = list.FindEntry(CString(m_a));
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(Names(*a), (std::vector<std::string>{"one", "two"}));
  const std::string otherBefore = KindStore::Stream(m_b);

  // A value edited, a variable copied and renamed, another deleted: one commit.
  a->GetVariable(0)->m_strValue = "edited";
  a->GetVariable(0)->m_nState = kStateModified;
  auto* copy = new PersetCookie;
  copy->CopyFrom(*a->GetVariable(0));
  copy->m_strName = "copied";
  a->InsertAt(1, copy);
  a->DeleteVariable(a->GetVariable(2));
  a->m_nState = kStateModified;
  ASSERT_EQ(list.CommitEntry(a, true), 0) << platform::LastUrlCacheErrorDetail();
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_EQ(a->m_nState, kStateUnchanged);
  EXPECT_EQ(Names(*a), (std::vector<std::string>{"one", "copied"}));

  SiteCacheList again;
  ASSERT_EQ(again.Load(), 2);
  SiteCache* reread = again.FindEntry(CString(m_a));
  ASSERT_NE(reread, nullptr);
  EXPECT_EQ(Names(*reread), (std::vector<std::string>{"one", "copied"}));
  EXPECT_EQ(reread->GetVariable(0)->m_strValue, "edited");
  EXPECT_EQ(reread->GetVariable(1)->m_strValue, "edited");
  EXPECT_EQ(KindStore::Stream(m_b), otherBefore);

  // Deleting an entry removes it and nothing else.
  again.DeleteEntry(reread);
  SiteCacheList last;
  ASSERT_EQ(last.Load(), 1);
  EXPECT_EQ(last.GetEntry(0)->m_strUrlName, m_b.c_str());
  EXPECT_TRUE(m_boxes.empty());
}

TEST_P(StoreKindsModel, AnUnchangedEntryCommitsWithoutChangingAByte) {
  SiteCacheList list;
  ASSERT_EQ(list.Load(), 2);
  const std::string before = KindStore::Stream(m_a);
  SiteCache* a = list.FindEntry(CString(m_a));
  ASSERT_NE(a, nullptr);
  // Times shown as local text (nine hours ahead here) go back to the same instants.
  const char* zone = std::getenv("TZ");
  const std::string savedZone = zone != nullptr ? zone : "";
  ::setenv("TZ", "JST-9", 1);
  ::tzset();
  for (const int gmt : {1, 0}) {
    g_bGmtMode = gmt;
    ASSERT_EQ(list.RetrieveEntry(a), 1);
    ASSERT_EQ(list.CommitEntry(a, true), 0) << platform::LastUrlCacheErrorDetail();
    EXPECT_EQ(KindStore::Stream(m_a), before) << "GMT mode " << gmt;
  }
  g_bGmtMode = 1;
  if (zone != nullptr) {
    ::setenv("TZ", savedZone.c_str(), 1);
  } else {
    ::unsetenv("TZ");
  }
  ::tzset();
}

INSTANTIATE_TEST_SUITE_P(Kinds, StoreKindsModel, testing::ValuesIn(StoreKinds()), KindName);

}  // namespace
}  // namespace tolvane::test
