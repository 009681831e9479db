// A store that can only be read: the window shows all of it, says it is read-only, and a
// commit is refused with a message saying why, losing the edit nowhere.
#include <sys/stat.h>

#include <QMainWindow>

#include "TreeHelpers.h"

namespace tolvane::test {
namespace {

const char kUrlA[] = "Cookie:user@a.example.com/";

class AppReadOnlyTest : public TreeFixture {
 protected:
  // The default three sites, then the owner takes the write permission away.
  void FillStore() override {
    UiFixture::FillStore();
    platform::SetUrlCacheRoot("");
    ASSERT_EQ(chmod(m_store->Root().c_str(), 0500), 0);
    platform::SetUrlCacheRoot(m_store->Root());
  }
  void TearDown() override {
    chmod(m_store->Root().c_str(), 0700);
    TreeFixture::TearDown();
  }
};

TEST_F(AppReadOnlyTest, ShowsEverythingSaysReadOnlyAndRefusesCommits) {
  const std::string folder = Utf8(Catalogue()->m_strCookieFolder.str());
  EXPECT_EQ(Utf8(Doc()->GetTitle().str()), folder + " [読み取り専用]");
  EXPECT_EQ(Frame()->GetMainWindow()->windowTitle().toStdString(),
            folder + " [読み取り専用] - Tolvane");
  ASSERT_EQ(Roots().size(), 3u);
  EXPECT_EQ(Children(Item("c.example.com/")).size(), 3u);
  EXPECT_TRUE(m_boxes.empty());

  const std::string stored = StoredFile(kUrlA);
  Select("a.example.com/ alpha");
  auto* variable = Data<PersetCookie>(TreeCtrl().GetSelectedItem());
  variable->m_strValue = "new";
  variable->m_nState = 2;
  Tree()->RefreshVariableItem(TreeCtrl().GetSelectedItem(), variable);
  Select("a.example.com/");
  Command(ID_COMMIT);
  ASSERT_EQ(m_boxes.size(), 2u);
  EXPECT_EQ(m_boxes[0].text, "指定されたファイルは読み取り専用です。\r\n");
  EXPECT_EQ(m_boxes[1].text, "ｺﾐｯﾄに失敗しました.");
  EXPECT_EQ(StoredFile(kUrlA), stored);
  EXPECT_EQ(Catalogue()->GetEntry(0)->m_nState, 2);  // the edit stays, marked
}

}  // namespace
}  // namespace tolvane::test
