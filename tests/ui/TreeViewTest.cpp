// The cookie tree: items, marks, selection, expansion and the context menu.
#include <set>

#include "TreeHelpers.h"

namespace tolvane::test {
namespace {

using TreeViewTest = TreeFixture;

TEST_F(TreeViewTest, ShowsOneSiteItemPerEntryAndOneChildPerVariable) {
  ExpectTreeMirrorsCatalogue();
  ASSERT_EQ(Roots().size(), 3u);
  for (int i = 0; i < Catalogue()->GetSize(); ++i) {
    HTREEITEM site = Roots()[size_t(i)];
    SiteCache* entry = Catalogue()->GetEntry(i);
    EXPECT_EQ(Data<SiteCache>(site), entry);
    int image = -1, selected = -1;
    TreeCtrl().GetItemImage(site, image, selected);
    EXPECT_EQ(image, 0);
    EXPECT_EQ(selected, 0);
    const auto children = Children(site);
    ASSERT_EQ(int(children.size()), entry->GetSize());
    for (int j = 0; j < entry->GetSize(); ++j) {
      EXPECT_EQ(Data<PersetCookie>(children[size_t(j)]), entry->GetVariable(j));
      TreeCtrl().GetItemImage(children[size_t(j)], image, selected);
      EXPECT_EQ(image, 1);
      EXPECT_EQ(selected, 1);
    }
  }
  // Start-up selects the first site and the detail view shows it.
  EXPECT_EQ(TreeCtrl().GetSelectedItem(), Roots()[0]);
  EXPECT_EQ(Detail()->GetShownCache(), Catalogue()->GetEntry(0));
}

TEST_F(TreeViewTest, SelectingAVariableShowsItsEntry) {
  Select("c.example.com/ epsilon");
  EXPECT_EQ(Detail()->GetShownCache(), Data<SiteCache>(Item("c.example.com/")));
  EXPECT_EQ(Detail()->GetCookieFormCount(), 3);
}

TEST_F(TreeViewTest, MarksFollowEachRecordsOwnEditState) {
  const struct {
    int state;
    int overlay;
  } rows[] = {{0, 0}, {1, 1}, {2, 2}, {3, 0}, {-1, 0}};
  SiteCache* entry = Catalogue()->GetEntry(2);
  ASSERT_EQ(entry->GetSize(), 3);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.state);
    entry->m_nState = row.state;
    entry->GetVariable(1)->m_nState = row.state;
    Doc()->UpdateAllViews(nullptr, 0, nullptr);
    HTREEITEM site = Roots()[2];
    EXPECT_EQ(Mark(site), row.overlay);
    const auto children = Children(site);
    EXPECT_EQ(Mark(children[0]), 0);
    EXPECT_EQ(Mark(children[1]), row.overlay);
    EXPECT_EQ(Mark(children[2]), 0);
  }
}

TEST_F(TreeViewTest, EveryUpdateRebuildsWhateverTheHint) {
  for (LPARAM hint : {0, 1, 42}) {
    Catalogue()->GetEntry(1)->m_strSite = Sjis("renamed" + std::to_string(hint));
    Doc()->UpdateAllViews(nullptr, hint, nullptr);
    EXPECT_EQ(Utf8(TreeCtrl().GetItemText(Roots()[1]).str()), "renamed" + std::to_string(hint));
    // The rebuild selects nothing and leaves the detail view blank.
    EXPECT_EQ(TreeCtrl().GetSelectedItem(), nullptr);
    EXPECT_EQ(Detail()->GetShownCache(), nullptr);
    EXPECT_EQ(Detail()->GetCookieFormCount(), 0);
  }
}

TEST_F(TreeViewTest, RebuildKeepsTheTreeShownAndItsColumnWidth) {
  QWidget* tree = Tree()->GetWidget();
  Pump();
  const int width = tree->width();
  ASSERT_GT(width, 0);
  Doc()->UpdateAllViews(nullptr, 0, nullptr);
  Pump();
  EXPECT_TRUE(tree->isVisible());
  EXPECT_EQ(tree->width(), width);
}

TEST_F(TreeViewTest, ReloadWhileAVariableIsSelectedRebuildsFromTheNewRecords) {
  Select("c.example.com/ zeta");
  ASSERT_TRUE(Run(ID_FILE_NEW));
  EXPECT_EQ(Selected(), "a.example.com/");
  EXPECT_EQ(Detail()->GetShownCache(), Catalogue()->GetEntry(0));
}

TEST_F(TreeViewTest, ExpandToggleTwiceReturnsToTheStart) {
  auto expanded = [this] {
    std::set<bool> states;
    for (HTREEITEM site : Roots()) {
      states.insert((TreeCtrl().GetItemState(site, TVIS_EXPANDED) & TVIS_EXPANDED) != 0);
    }
    return states;
  };
  ASSERT_TRUE(App()->m_bTreeExpanded);
  EXPECT_EQ(expanded(), std::set<bool>{true});
  Command(ID_EXPAND_TOGGLE);
  EXPECT_FALSE(App()->m_bTreeExpanded);
  EXPECT_EQ(expanded(), std::set<bool>{false});
  // A rebuild keeps the choice.
  Doc()->UpdateAllViews(nullptr, 0, nullptr);
  EXPECT_EQ(expanded(), std::set<bool>{false});
  Command(ID_EXPAND_TOGGLE);
  EXPECT_TRUE(App()->m_bTreeExpanded);
  EXPECT_EQ(expanded(), std::set<bool>{true});
}

TEST_F(TreeViewTest, ClassifyItemTellsTheKindsApart) {
  CLeftView* tree = Tree();
  SiteCache* entry = nullptr;
  PersetCookie* variable = nullptr;
  HTREEITEM siteItem = nullptr, variableItem = nullptr;

  TreeCtrl().SelectItem(nullptr);
  EXPECT_EQ(tree->ClassifyItem(nullptr, &entry, &variable, &siteItem, &variableItem), 0);

  HTREEITEM site = Item("a.example.com/");
  HTREEITEM beta = Item("a.example.com/ beta");
  EXPECT_EQ(tree->ClassifyItem(site, &entry, &variable, &siteItem, &variableItem), 1);
  EXPECT_EQ(entry, Catalogue()->GetEntry(0));
  EXPECT_EQ(variable, nullptr);
  EXPECT_EQ(siteItem, site);
  EXPECT_EQ(variableItem, nullptr);

  TreeCtrl().SelectItem(beta);
  EXPECT_EQ(tree->ClassifyItem(nullptr, &entry, &variable, &siteItem, &variableItem), 2);
  EXPECT_EQ(entry, Catalogue()->GetEntry(0));
  EXPECT_EQ(variable, Catalogue()->GetEntry(0)->GetVariable(1));
  EXPECT_EQ(siteItem, site);
  EXPECT_EQ(variableItem, beta);
  EXPECT_EQ(tree->ClassifyItem(beta, nullptr, nullptr, nullptr, nullptr), 2);

  // Items without data, or with data of another class, are nothing usable.
  CObArray stranger;
  HTREEITEM bare = TreeCtrl().InsertItem("bare", 0, 0);
  HTREEITEM odd = TreeCtrl().InsertItem("odd", 0, 0);
  TreeCtrl().SetItemData(odd, reinterpret_cast<DWORD_PTR>(static_cast<CObject*>(&stranger)));
  EXPECT_EQ(tree->ClassifyItem(bare, &entry, &variable, &siteItem, &variableItem), 0);
  EXPECT_EQ(tree->ClassifyItem(odd, &entry, &variable, &siteItem, &variableItem), 0);
  EXPECT_EQ(entry, nullptr);
  EXPECT_EQ(siteItem, nullptr);
  TreeCtrl().DeleteItem(odd);
  TreeCtrl().DeleteItem(bare);
}

TEST_F(TreeViewTest, VariableEditMarksItsItemAndItsEntry) {
  HTREEITEM gamma = Item("b.example.com/ gamma");
  auto* variable = Data<PersetCookie>(gamma);
  variable->m_strName = "GAMMA";
  variable->m_nState = 2;
  Tree()->RefreshVariableItem(gamma, variable);
  EXPECT_EQ(Utf8(TreeCtrl().GetItemText(gamma).str()), "GAMMA");
  EXPECT_EQ(Mark(gamma), 2);
  EXPECT_EQ(Mark(Item("b.example.com/")), 2);
  EXPECT_EQ(Catalogue()->GetEntry(1)->m_nState, 2);
  EXPECT_EQ(Tree()->FindVariableItem(Item("b.example.com/"), variable), gamma);
  EXPECT_EQ(Tree()->FindVariableItem(Item("a.example.com/"), variable), nullptr);
}

// The context menu: which items are grayed, and where the chosen command goes.
struct MenuRow {
  const char* item;
  std::set<UINT> grayed;
};

TEST_F(TreeViewTest, ContextMenuGraysByItemKind) {
  const MenuRow rows[] = {
      {"b.example.com/", {}},
      {"c.example.com/ delta", {ID_ABORT_RELOAD, ID_COMMIT, ID_COPY_ADD_CACHE}},
  };
  for (const MenuRow& row : rows) {
    SCOPED_TRACE(row.item);
    int shown = 0;
    std::set<UINT> grayed;
    std::string selectedWhenShown;
    afx::SetPopupMenuHook([&](CMenu& menu, int, int) -> UINT {
      ++shown;
      selectedWhenShown = Selected();
      for (UINT id :
           {ID_ABORT_RELOAD, ID_COMMIT, ID_DELETE_ITEM, ID_COPY_ADD_VARIABLE, ID_COPY_ADD_CACHE}) {
        const UINT state = menu.GetMenuState(id, MF_BYCOMMAND);
        EXPECT_NE(state, UINT(-1)) << id;
        if (state & MF_GRAYED) grayed.insert(id);
      }
      return 0;
    });
    RightClick(Item(row.item));
    EXPECT_EQ(shown, 1);
    // An unselected item is selected, and shown, before the menu opens.
    EXPECT_EQ(selectedWhenShown, row.item);
    EXPECT_EQ(grayed, row.grayed);
  }
  EXPECT_EQ(Detail()->GetShownCache(), Catalogue()->GetEntry(2));
}

TEST_F(TreeViewTest, ContextMenuCommandGoesToTheTreeEvenWhereTheMenuBarDisablesIt) {
  // The menu bar offers delete only on a site item; the context menu also on a variable.
  Select("c.example.com/ delta");
  Frame()->UpdateCommandUI();
  EXPECT_FALSE(Frame()->IsCommandEnabled(ID_DELETE_ITEM));
  afx::SetPopupMenuHook([](CMenu&, int, int) -> UINT { return ID_DELETE_ITEM; });
  RightClick(Item("c.example.com/ epsilon"));
  ExpectTreeMirrorsCatalogue();
  EXPECT_EQ(Children(Item("c.example.com/")).size(), 2u);
  EXPECT_EQ(Mark(Item("c.example.com/")), 2);
  EXPECT_TRUE(m_boxes.empty());
}

TEST_F(TreeViewTest, RightClickOnEmptySpaceOpensNoMenu) {
  Select("b.example.com/ gamma");
  int shown = 0;
  afx::SetPopupMenuHook([&](CMenu&, int, int) -> UINT {
    ++shown;
    return 0;
  });
  RECT client{};
  TreeCtrl().GetClientRect(&client);
  RightClickAt(CPoint(client.right - 2, client.bottom - 2));
  EXPECT_EQ(shown, 0);
  EXPECT_EQ(Selected(), "b.example.com/ gamma");
}

class EmptyTreeTest : public TreeFixture {
 protected:
  void FillStore() override {}
};

TEST_F(EmptyTreeTest, EmptyCatalogueGivesAnEmptyTreeAndABlankPane) {
  EXPECT_TRUE(Roots().empty());
  Tree()->SelectFirstSite();
  EXPECT_EQ(TreeCtrl().GetSelectedItem(), nullptr);
  EXPECT_EQ(Detail()->GetShownCache(), nullptr);
  // Commands with nothing selected are refused and do nothing.
  Activate(Tree());
  for (UINT id :
       {ID_ABORT_RELOAD, ID_COMMIT, ID_DELETE_ITEM, ID_COPY_ADD_VARIABLE, ID_COPY_ADD_CACHE}) {
    EXPECT_FALSE(Run(id)) << id;
  }
  EXPECT_TRUE(Roots().empty());
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_TRUE(StoredUrls().empty());
}

class BareSiteTest : public TreeFixture {
 protected:
  void FillStore() override { AddSite("bare.example/", ""); }
};

TEST_F(BareSiteTest, EntryWithoutVariablesHasNoChildren) {
  ASSERT_EQ(Roots().size(), 1u);
  EXPECT_FALSE(TreeCtrl().ItemHasChildren(Roots()[0]));
  EXPECT_EQ(Detail()->GetShownCache(), Catalogue()->GetEntry(0));
  EXPECT_EQ(Detail()->GetCookieFormCount(), 0);
}

}  // namespace
}  // namespace tolvane::test
