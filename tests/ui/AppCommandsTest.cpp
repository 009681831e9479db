// Which commands the frame enables for each kind of selection, in the menu bar, the tool bar and
// through the keys, whichever pane is active; and the bar toggles.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMainWindow>
#include <QTest>

#include "UiFixture.h"
#include "res/ResourceIds.h"

namespace tolvane::test {
namespace {

const UINT kTreeCommands[] = {ID_ABORT_RELOAD,      ID_COMMIT,         ID_DELETE_ITEM,
                              ID_COPY_ADD_VARIABLE, ID_COPY_ADD_CACHE, ID_EXPAND_TOGGLE};

enum class Selection { kNone, kSite, kVariable };

struct EnablingCase {
  Selection selection;
  bool detailActive;
  std::vector<UINT> enabled;  // of kTreeCommands
};

void PrintTo(const EnablingCase& c, std::ostream* os) {
  const char* kinds[] = {"none", "site", "variable"};
  *os << kinds[int(c.selection)] << (c.detailActive ? " in detail" : " in tree");
}

class CommandsFixture : public UiFixture {
 protected:
  void Select(Selection selection) {
    CTreeCtrl& tree = TreeCtrl();
    switch (selection) {
      case Selection::kNone:
        tree.SelectItem(nullptr);
        break;
      case Selection::kSite:
        tree.SelectItem(tree.GetRootItem());
        break;
      case Selection::kVariable:
        tree.SelectItem(tree.GetChildItem(tree.GetRootItem()));
        break;
    }
  }
  int SiteCount() const { return Catalogue()->GetSize(); }
  int VariableCount(int entry) const { return Catalogue()->GetEntry(entry)->GetSize(); }
};

class AppCommandsTest : public CommandsFixture,
                        public ::testing::WithParamInterface<EnablingCase> {};
class AppKeysTest : public CommandsFixture {};

TEST_P(AppCommandsTest, TreeCommandsFollowTheSelectionInMenusButtonsAndKeys) {
  const EnablingCase& c = GetParam();
  Select(c.selection);
  if (c.detailActive) Activate(Detail());
  Frame()->UpdateCommandUI();
  for (UINT id : kTreeCommands) {
    const bool expected = std::find(c.enabled.begin(), c.enabled.end(), id) != c.enabled.end();
    EXPECT_EQ(Frame()->IsCommandEnabled(id), expected) << id;
    QAction* action = Frame()->GetCommandAction(id);
    ASSERT_NE(action, nullptr) << id;
    EXPECT_EQ(action->isEnabled(), expected) << id;  // menu item and tool bar button share it
  }
}

INSTANTIATE_TEST_SUITE_P(
    Selections, AppCommandsTest,
    ::testing::Values(
        EnablingCase{Selection::kNone, false, {ID_EXPAND_TOGGLE}},
        EnablingCase{Selection::kNone, true, {ID_EXPAND_TOGGLE}},
        EnablingCase{Selection::kSite,
                     false,
                     {ID_ABORT_RELOAD, ID_COMMIT, ID_DELETE_ITEM, ID_COPY_ADD_VARIABLE,
                      ID_COPY_ADD_CACHE, ID_EXPAND_TOGGLE}},
        EnablingCase{Selection::kSite,
                     true,
                     {ID_ABORT_RELOAD, ID_COMMIT, ID_DELETE_ITEM, ID_COPY_ADD_VARIABLE,
                      ID_COPY_ADD_CACHE, ID_EXPAND_TOGGLE}},
        EnablingCase{Selection::kVariable, false, {ID_COPY_ADD_VARIABLE, ID_EXPAND_TOGGLE}},
        EnablingCase{Selection::kVariable, true, {ID_COPY_ADD_VARIABLE, ID_EXPAND_TOGGLE}}));

TEST_F(AppKeysTest, DeleteOnAVariableItemDoesNothingButInsertCopiesIt) {
  Select(Selection::kVariable);
  const int variables = VariableCount(0);
  EXPECT_FALSE(Run(ID_DELETE_ITEM));
  EXPECT_EQ(VariableCount(0), variables);
  EXPECT_EQ(SiteCount(), 3);
  EXPECT_TRUE(Run(ID_COPY_ADD_VARIABLE));
  EXPECT_EQ(VariableCount(0), variables + 1);
}

TEST_F(AppKeysTest, DeleteKeyOnAVariableItemIsDroppedAndInsertKeyCopiesIt) {
  Select(Selection::kVariable);
  Activate(Tree());
  const int variables = VariableCount(0);
  QTest::keyClick(Frame()->GetMainWindow(), Qt::Key_Delete);
  Pump();
  EXPECT_EQ(VariableCount(0), variables);
  EXPECT_TRUE(m_boxes.empty());
  QTest::keyClick(Frame()->GetMainWindow(), Qt::Key_Insert);
  Pump();
  EXPECT_EQ(VariableCount(0), variables + 1);
}

TEST_F(AppKeysTest, KeysOfDisabledCommandsDoNothingWithNoSelection) {
  Select(Selection::kNone);
  for (UINT id :
       {ID_ABORT_RELOAD, ID_COMMIT, ID_DELETE_ITEM, ID_COPY_ADD_VARIABLE, ID_COPY_ADD_CACHE}) {
    EXPECT_FALSE(Run(id)) << id;
  }
  EXPECT_EQ(SiteCount(), 3);
  EXPECT_TRUE(m_boxes.empty());
}

TEST_F(AppKeysTest, DeleteKeyOnASiteItemReachesTheTreeFromEitherPane) {
  for (bool detailActive : {false, true}) {
    Select(Selection::kSite);
    if (detailActive) Activate(Detail());
    const int sites = SiteCount();
    Answer({IDYES, IDYES});  // whatever the tree asks before deleting
    QTest::keyClick(Frame()->GetMainWindow(), Qt::Key_Delete);
    Pump();
    EXPECT_EQ(SiteCount(), sites - 1) << detailActive;
  }
}

TEST_F(AppKeysTest, ExpandToggleIsCheckedAtStartAndFollowsTheSettingFromEitherPane) {
  Frame()->UpdateCommandUI();
  QAction* action = Frame()->GetCommandAction(ID_EXPAND_TOGGLE);
  ASSERT_NE(action, nullptr);
  EXPECT_TRUE(action->isChecked());
  for (bool detailActive : {false, true, false}) {
    if (detailActive)
      Activate(Detail());
    else
      Activate(Tree());
    const BOOL before = App()->m_bTreeExpanded;
    EXPECT_TRUE(Run(ID_EXPAND_TOGGLE));
    Frame()->UpdateCommandUI();
    EXPECT_NE(App()->m_bTreeExpanded, before);
    EXPECT_EQ(action->isChecked(), bool(App()->m_bTreeExpanded));
    EXPECT_EQ(TreeCtrl().GetItemState(TreeCtrl().GetRootItem(), TVIS_EXPANDED) != 0,
              bool(App()->m_bTreeExpanded));
  }
}

TEST_F(AppKeysTest, ToolBarAndStatusBarToggleWithTheirCheckMarks) {
  struct Bar {
    UINT command;
    CWnd* window;
  };
  for (const Bar& bar : {Bar{ID_VIEW_TOOLBAR, &Frame()->GetToolBar()},
                         Bar{ID_VIEW_STATUS_BAR, &Frame()->GetStatusBar()}}) {
    Frame()->UpdateCommandUI();
    QAction* action = Frame()->GetCommandAction(bar.command);
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(action->isChecked());
    EXPECT_TRUE(bar.window->IsWindowVisible());
    EXPECT_TRUE(Run(bar.command));
    Frame()->UpdateCommandUI();
    EXPECT_FALSE(bar.window->IsWindowVisible());
    EXPECT_FALSE(action->isChecked());
    EXPECT_TRUE(Run(bar.command));
    Frame()->UpdateCommandUI();
    EXPECT_TRUE(bar.window->IsWindowVisible());
    EXPECT_TRUE(action->isChecked());
  }
}

TEST_F(AppKeysTest, CommandsWithoutAHandlerAreDisabled) {
  for (UINT id : {ID_EDIT_PASTE, ID_EDIT_CUT, ID_EDIT_UNDO}) {
    EXPECT_FALSE(Frame()->IsCommandEnabled(id)) << id;
  }
}

}  // namespace
}  // namespace tolvane::test
