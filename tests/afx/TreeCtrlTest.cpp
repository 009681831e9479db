// The tree view: selection notifications inside the operations, the deletion rule, overlays,
// the right-click notification and the context menu.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <functional>

#include "AfxTestSupport.h"

using namespace afxtest;

namespace {

class CTestTreeView : public CTreeView {
  DECLARE_DYNCREATE(CTestTreeView)
 public:
  std::vector<CString> selections;  // text of each notified new item ("" for none)
  std::vector<bool> selectionWasCurrent;
  std::vector<HTREEITEM> rightClicks;
  std::vector<UINT> commands;

 protected:
  void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMTREEVIEW*>(pNMHDR);
    CTreeCtrl& tree = GetTreeCtrl();
    selections.push_back(nm->itemNew.hItem ? tree.GetItemText(nm->itemNew.hItem) : CString());
    selectionWasCurrent.push_back(tree.GetSelectedItem() == nm->itemNew.hItem);
    *pResult = 0;
  }
  void OnRClick(NMHDR*, LRESULT* pResult) {
    CPoint pt;
    GetCursorPos(&pt);
    GetTreeCtrl().ScreenToClient(&pt);
    rightClicks.push_back(GetTreeCtrl().HitTest(pt));
    *pResult = 0;
  }
  void OnViewOnly() { commands.push_back(kCmdViewOnly); }
  void OnEverywhere() { commands.push_back(kCmdEverywhere); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CTestTreeView, CTreeView)
BEGIN_MESSAGE_MAP(CTestTreeView, CTreeView)
ON_NOTIFY_REFLECT(TVN_SELCHANGED, OnSelChanged)
ON_NOTIFY_REFLECT(NM_RCLICK, OnRClick)
ON_COMMAND(kCmdViewOnly, OnViewOnly)
ON_COMMAND(kCmdEverywhere, OnEverywhere)
END_MESSAGE_MAP()

class TreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view = new CTestTreeView;
    ASSERT_TRUE(view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 200, 300), nullptr,
                             AFX_IDW_PANE_FIRST));
    view->ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
  }
  void TearDown() override { view->DestroyWindow(); }  // the view deletes itself

  CTreeCtrl& Tree() { return view->GetTreeCtrl(); }
  HTREEITEM Add(const char* text, HTREEITEM parent = TVI_ROOT) {
    HTREEITEM h = Tree().InsertItem(text, 0, 0, parent);
    items[text] = h;
    return h;
  }
  // Roots A (a1 a2 a3), B, C (c1).
  void BuildSample() {
    HTREEITEM a = Add("A");
    Add("a1", a);
    Add("a2", a);
    Add("a3", a);
    Add("B");
    HTREEITEM c = Add("C");
    Add("c1", c);
  }
  CString SelectedText() {
    HTREEITEM h = Tree().GetSelectedItem();
    return h ? Tree().GetItemText(h) : CString();
  }

  CTestTreeView* view = nullptr;
  std::map<std::string, HTREEITEM> items;
};

TEST_F(TreeTest, NavigationAndItemData) {
  BuildSample();
  CTreeCtrl& tree = Tree();
  EXPECT_EQ(tree.GetRootItem(), items["A"]);
  EXPECT_EQ(tree.GetChildItem(items["A"]), items["a1"]);
  EXPECT_EQ(tree.GetNextSiblingItem(items["a1"]), items["a2"]);
  EXPECT_EQ(tree.GetPrevSiblingItem(items["a1"]), nullptr);
  EXPECT_EQ(tree.GetParentItem(items["a3"]), items["A"]);
  EXPECT_EQ(tree.GetParentItem(items["B"]), nullptr);
  EXPECT_EQ(tree.GetNextSiblingItem(items["C"]), nullptr);
  EXPECT_FALSE(tree.ItemHasChildren(items["B"]));
  EXPECT_EQ(tree.GetCount(), 7u);
  int record = 0;
  tree.SetItemData(items["a2"], DWORD_PTR(&record));
  EXPECT_EQ(tree.GetItemData(items["a2"]), DWORD_PTR(&record));
  EXPECT_EQ(tree.GetItemData(items["a1"]), 0u);
  tree.SetItemText(items["B"], afx::Cp932("ｸｯｷｰ"));
  EXPECT_EQ(tree.GetItemText(items["B"]), afx::Cp932("ｸｯｷｰ"));
  EXPECT_TRUE(tree.Expand(items["A"], TVE_EXPAND));
  EXPECT_EQ(tree.GetItemState(items["A"], TVIS_EXPANDED), TVIS_EXPANDED);
  EXPECT_TRUE(tree.Expand(items["A"], TVE_COLLAPSE));
  EXPECT_EQ(tree.GetItemState(items["A"], TVIS_EXPANDED), 0u);
}

// Sibling steps remember where they were; inserting or deleting between two walks must not
// leave a stale position behind (a deletion that moves the selection steps too).
TEST_F(TreeTest, SiblingWalksStayRightAcrossInsertAndDelete) {
  BuildSample();
  CTreeCtrl& tree = Tree();
  auto walk = [&](HTREEITEM first) {
    std::string out;
    for (HTREEITEM h = first; h; h = tree.GetNextSiblingItem(h)) out += tree.GetItemText(h);
    return out;
  };
  EXPECT_EQ(walk(tree.GetRootItem()), "ABC");
  EXPECT_EQ(walk(tree.GetChildItem(items["A"])), "a1a2a3");
  tree.SelectItem(items["a2"]);
  EXPECT_EQ(tree.GetNextSiblingItem(items["a1"]), items["a2"]);
  tree.DeleteItem(items["a2"]);  // selection steps to a3 first
  EXPECT_EQ(tree.GetPrevSiblingItem(items["a3"]), items["a1"]);
  EXPECT_EQ(tree.GetNextSiblingItem(items["a1"]), items["a3"]);
  EXPECT_EQ(walk(tree.GetRootItem()), "ABC");
  tree.DeleteItem(items["A"]);
  Add("D");
  EXPECT_EQ(walk(tree.GetRootItem()), "BCD");
  EXPECT_EQ(tree.GetPrevSiblingItem(items["D"]), items["C"]);
  tree.InsertItem("Z", 0, 0, TVI_ROOT, TVI_FIRST);
  EXPECT_EQ(tree.GetNextSiblingItem(items["B"]), items["C"]);
  EXPECT_EQ(walk(tree.GetRootItem()), "ZBCD");
}

// The dotted line that joins root A to root B runs down the first column past A's children.
TEST_F(TreeTest, ConnectingLinesFollowTheStyle) {
  BuildSample();
  CTreeCtrl& tree = Tree();
  tree.Expand(items["A"], TVE_EXPAND);
  QTreeWidget* widget = tree.GetTreeWidget();
  auto dotsBesideA2 = [&] {
    const QImage image = widget->viewport()->grab().toImage();
    const QRect row = widget->visualItemRect(reinterpret_cast<QTreeWidgetItem*>(items["a2"]));
    const QColor line = widget->palette().color(QPalette::Mid);
    int dots = 0;
    for (int y = row.top(); y <= row.bottom(); ++y)
      if (image.pixelColor(widget->indentation() / 2, y).rgb() == line.rgb()) ++dots;
    return dots;
  };
  EXPECT_GT(dotsBesideA2(), 2);
  view->ModifyStyle(TVS_HASLINES, 0);
  EXPECT_EQ(dotsBesideA2(), 0);
}

// Items appended at the end of a level join the tree together, later; every query made before
// then must find them already in place.
TEST_F(TreeTest, AppendedItemsAreInPlaceForWhateverLooksFirst) {
  struct Query {
    const char* name;
    std::function<bool()> holds;
  };
  const Query queries[] = {
      {"first child", [this] { return Tree().GetChildItem(items["A"]) == items["a1"]; }},
      {"parent", [this] { return Tree().GetParentItem(items["a3"]) == items["A"]; }},
      {"has children", [this] { return Tree().ItemHasChildren(items["A"]) != FALSE; }},
      {"next sibling", [this] { return Tree().GetNextSiblingItem(items["a2"]) == items["a3"]; }},
      {"next root", [this] { return Tree().GetNextSiblingItem(items["A"]) == items["B"]; }},
      {"count", [this] { return Tree().GetCount() == 5u; }},
      {"expand",
       [this] {
         return Tree().Expand(items["A"], TVE_EXPAND) &&
                Tree().GetItemState(items["A"], TVIS_EXPANDED) == TVIS_EXPANDED;
       }},
      {"expand by state",
       [this] {
         Tree().SetItemState(items["A"], TVIS_EXPANDED, TVIS_EXPANDED);
         return Tree().GetItemState(items["A"], TVIS_EXPANDED) == TVIS_EXPANDED;
       }},
      {"select",
       [this] {
         Tree().SelectItem(items["a3"]);
         return SelectedText() == "a3" && view->selections == std::vector<CString>{"a3"};
       }},
      {"delete",
       [this] {
         Tree().DeleteItem(items["a2"]);
         return Tree().GetNextSiblingItem(items["a1"]) == items["a3"];
       }},
      {"insert after an item",
       [this] {
         HTREEITEM x = Tree().InsertItem("x", 0, 0, items["A"], items["a1"]);
         return Tree().GetNextSiblingItem(items["a1"]) == x &&
                Tree().GetNextSiblingItem(x) == items["a2"];
       }},
      {"the Qt widget", [this] { return Tree().GetTreeWidget()->topLevelItemCount() == 2; }},
      {"the event loop, with nothing asking",
       [this] {
         QTreeWidget* widget = Tree().GetTreeWidget();  // asked once, before the appends
         Add("C");
         QCoreApplication::processEvents();
         return widget->topLevelItemCount() == 3 && widget->topLevelItem(0)->childCount() == 3;
       }},
  };
  for (const Query& query : queries) {
    Tree().DeleteAllItems();
    view->selections.clear();
    HTREEITEM a = Add("A");
    Add("a1", a);
    Add("a2", a);
    Add("a3", a);
    Add("B");
    Tree().SetItemData(items["a1"], 42);  // item data needs no tree
    EXPECT_TRUE(query.holds()) << query.name;
    EXPECT_EQ(Tree().GetItemData(items["a1"]), 42u) << query.name;
  }
  Add("left waiting", items["B"]);  // freed with the control
}

TEST_F(TreeTest, SelectingNotifiesInsideTheCallOnlyOnChange) {
  BuildSample();
  Tree().SelectItem(items["a2"]);
  ASSERT_EQ(view->selections.size(), 1u);
  EXPECT_EQ(view->selections[0], "a2");
  EXPECT_TRUE(view->selectionWasCurrent[0]);
  Tree().Select(items["a2"], TVGN_CARET);
  EXPECT_EQ(view->selections.size(), 1u);  // no change, no notification
  Tree().SelectItem(nullptr);
  ASSERT_EQ(view->selections.size(), 2u);
  EXPECT_EQ(view->selections[1], "");
  EXPECT_EQ(Tree().GetSelectedItem(), nullptr);
  Tree().SelectItem(nullptr);
  EXPECT_EQ(view->selections.size(), 2u);
}

struct DeleteCase {
  const char* name;
  const char* selected;
  const char* deleted;
  const char* expected;  // "" for none
  bool notified;
};

class TreeDeleteTest : public TreeTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(TreeDeleteTest, SelectionMovesBeforeTheCallReturns) {
  const DeleteCase& c = GetParam();
  BuildSample();
  Tree().SelectItem(items[c.selected]);
  view->selections.clear();
  Tree().DeleteItem(items[c.deleted]);
  EXPECT_EQ(SelectedText(), c.expected);
  if (c.notified) {
    ASSERT_EQ(view->selections.size(), 1u);
    EXPECT_EQ(view->selections[0], c.expected);
  } else {
    EXPECT_TRUE(view->selections.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TreeDeleteTest,
    ::testing::Values(DeleteCase{"middleChildToNextSibling", "a2", "a2", "a3", true},
                      DeleteCase{"lastChildToParent", "a3", "a3", "A", true},
                      DeleteCase{"firstChildToNextSibling", "a1", "a1", "a2", true},
                      DeleteCase{"rootToNextRoot", "B", "B", "C", true},
                      DeleteCase{"lastRootToPreviousRoot", "C", "C", "B", true},
                      DeleteCase{"ancestorOfSelection", "a2", "A", "B", true},
                      DeleteCase{"ancestorOfSelectionLastRoot", "c1", "C", "B", true},
                      DeleteCase{"otherItemKeepsSelection", "a1", "a2", "a1", false},
                      DeleteCase{"otherRootKeepsSelection", "c1", "A", "c1", false}),
    [](const auto& info) { return std::string(info.param.name); });

// The column is as wide as the widest label, whichever way labels come, change and go; the
// control scrolls sideways exactly when that is wider than the pane.
TEST_F(TreeTest, ColumnFollowsTheWidestLabel) {
  const std::string wide(60, 'W');
  struct Row {
    const char* name;
    std::function<void()> act;
    bool scrolls;
  };
  const Row rows[] = {
      {"short labels", [&] { BuildSample(); }, false},
      {"a wide root", [&] { Add(wide.c_str()); }, true},
      {"a wide child, appended with others",
       [&] {
         HTREEITEM a = Add("A");
         for (int i = 0; i < 50; ++i) Add("a", a);
         Add(wide.c_str(), a);
         Tree().Expand(a, TVE_EXPAND);
       },
       true},
      {"a wide label renamed short",
       [&] {
         Add("A");
         Tree().SetItemText(Add(wide.c_str()), "B");
       },
       false},
      {"a short label renamed wide",
       [&] {
         Add("A");
         Tree().SetItemText(Add("B"), wide.c_str());
       },
       true},
      {"the parent of a wide child deleted",
       [&] {
         BuildSample();
         Tree().Expand(Add(wide.c_str(), items["A"]), TVE_EXPAND);
         Tree().DeleteItem(items["A"]);
       },
       false},
      {"one of two equally wide labels deleted",
       [&] {
         Add(wide.c_str());
         Tree().DeleteItem(Tree().InsertItem(wide.c_str()));
       },
       true},
      {"everything deleted",
       [&] {
         Add(wide.c_str());
         Tree().DeleteAllItems();
         Add("A");
       },
       false},
      {"short labels in a larger font",
       [&] {
         Add("A");
         Add("ABCDEFGHIJ");
         QFont font = Tree().GetTreeWidget()->font();
         font.setPixelSize(48);
         Tree().GetTreeWidget()->setFont(font);
       },
       true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TearDown();
    SetUp();
    items.clear();
    QTreeWidget* widget = Tree().GetTreeWidget();
    widget->show();
    row.act();
    widget = Tree().GetTreeWidget();
    widget->expandAll();  // collapsed labels count as well: every one is looked at
    QCoreApplication::processEvents();
    int widest = 0;
    for (QTreeWidgetItemIterator it(widget); *it; ++it) {
      const QRect rect = widget->visualItemRect(*it);
      const int needed = widget->sizeHintForIndex(widget->indexFromItem(*it)).width();
      EXPECT_GE(rect.width(), needed) << (*it)->text(0).toStdString();
      widest = std::max(widest, rect.left() + needed);
    }
    const int pane = widget->viewport()->width();
    EXPECT_LE(widget->header()->sectionSize(0), std::max(widest + 24, pane));
    EXPECT_EQ(widget->horizontalScrollBar()->maximum() > 0, row.scrolls);
  }
}

TEST_F(TreeTest, DeletingTheOnlyItemSelectsNothingAndSaysSo) {
  HTREEITEM only = Add("X");
  Tree().SelectItem(only);
  view->selections.clear();
  Tree().DeleteItem(only);
  ASSERT_EQ(view->selections.size(), 1u);
  EXPECT_EQ(view->selections[0], "");
  EXPECT_EQ(Tree().GetSelectedItem(), nullptr);
  EXPECT_EQ(Tree().GetRootItem(), nullptr);
}

TEST_F(TreeTest, DeleteAllItemsClearsTheSelectionFirst) {
  BuildSample();
  Tree().SelectItem(items["c1"]);
  view->selections.clear();
  Tree().DeleteAllItems();
  EXPECT_EQ(view->selections, std::vector<CString>{CString()});
  EXPECT_EQ(Tree().GetCount(), 0u);
}

TEST_F(TreeTest, OverlaysAreComposedOntoTheIcon) {
  HTREEITEM item = Add("site");
  CImageList images;
  ASSERT_TRUE(images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 4));
  EXPECT_EQ(images.Add(AfxGetApp()->LoadIcon(140)), 0);  // yellow
  EXPECT_EQ(images.Add(AfxGetApp()->LoadIcon(141)), 1);  // green
  EXPECT_EQ(images.Add(AfxGetApp()->LoadIcon(139)), 2);  // red bar along the top
  EXPECT_TRUE(images.SetOverlayImage(2, 1));
  Tree().SetImageList(&images, TVSIL_NORMAL);  // after the items: icons follow at once
  auto pixel = [&](int x, int y) {
    QTreeWidgetItem* w = CTreeCtrl::ItemFromHandle(item);
    return w->icon(0).pixmap(16, 16).toImage().pixelColor(x, y);
  };
  EXPECT_EQ(pixel(8, 1), QColor(255, 255, 0));
  Tree().SetItemState(item, INDEXTOOVERLAYMASK(1), TVIS_OVERLAYMASK);
  EXPECT_EQ(Tree().GetItemState(item, TVIS_OVERLAYMASK), INDEXTOOVERLAYMASK(1));
  EXPECT_EQ(pixel(8, 1), QColor(255, 0, 0));
  EXPECT_EQ(pixel(8, 10), QColor(255, 255, 0));
  // An overlay index without an image shows none.
  Tree().SetItemState(item, INDEXTOOVERLAYMASK(2), TVIS_OVERLAYMASK);
  EXPECT_EQ(pixel(8, 1), QColor(255, 255, 0));
  Tree().SetItemImage(item, 1, 1);
  EXPECT_EQ(pixel(8, 10), QColor(0, 255, 0));
  Tree().SetImageList(nullptr, TVSIL_NORMAL);
}

TEST_F(TreeTest, RightClickLeavesTheSelectionAndReportsThePointedItem) {
  BuildSample();
  Tree().Expand(items["A"], TVE_EXPAND);
  view->ShowWindow(SW_SHOW);
  Tree().SelectItem(items["A"]);
  view->selections.clear();
  QTreeWidget* tree = Tree().GetTreeWidget();
  const QRect r = tree->visualItemRect(CTreeCtrl::ItemFromHandle(items["a2"]));
  QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, r.center());
  ASSERT_EQ(view->rightClicks.size(), 1u);
  EXPECT_EQ(view->rightClicks[0], items["a2"]);
  EXPECT_TRUE(view->selections.empty());
  EXPECT_EQ(SelectedText(), "A");
  QTest::mouseClick(tree->viewport(), Qt::RightButton, {},
                    QPoint(5, tree->viewport()->height() - 2));
  ASSERT_EQ(view->rightClicks.size(), 2u);
  EXPECT_EQ(view->rightClicks[1], nullptr);
}

TEST_F(TreeTest, ContextMenuGoesToTheOwnersTableAndHonoursGraying) {
  CMenu menu;
  ASSERT_TRUE(menu.LoadMenu(134));
  CMenu* popup = menu.GetSubMenu(0);
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->GetMenuItemCount(), 3u);
  EXPECT_EQ(popup->GetMenuItemID(1), 0u);
  popup->EnableMenuItem(kCmdViewOnly, MF_BYCOMMAND | MF_GRAYED);
  UINT grayedSeen = 0;
  afx::SetPopupMenuHook([&](CMenu& m, int, int) {
    grayedSeen = m.GetMenuState(kCmdViewOnly, MF_BYCOMMAND) & MF_GRAYED;
    return UINT(kCmdViewOnly);
  });
  popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, 0, 0, view);
  EXPECT_EQ(grayedSeen, UINT(MF_GRAYED));
  EXPECT_TRUE(view->commands.empty());  // a grayed item cannot be chosen
  afx::SetPopupMenuHook([](CMenu&, int, int) { return UINT(kCmdEverywhere); });
  popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, 0, 0, view);
  EXPECT_EQ(view->commands, std::vector<UINT>{UINT(kCmdEverywhere)});
  afx::ResetHooks();
  EXPECT_TRUE(menu.DestroyMenu());
}

}  // namespace
