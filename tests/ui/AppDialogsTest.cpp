// The sort and search dialogs as the document's commands open them: the values they start with,
// what OK stores and starts, and that Cancel keeps the remembered settings.
#include "UiFixture.h"
#include "detail/SearchDlg.h"
#include "detail/SortDlg.h"
#include "res/ResourceIds.h"

namespace tolvane::test {
namespace {

struct SortShown {
  std::vector<std::string> items;
  int selected = -2;
  int ascending = -1;
  int descending = -1;
};

struct SearchShown {
  std::string text;
  int domain = -1, name = -1, value = -1, fromNext = -1;
};

CButton* Button(CDialog& dialog, int id) { return static_cast<CButton*>(dialog.GetDlgItem(id)); }
int Checked(CDialog& dialog, int id) { return Button(dialog, id)->GetCheck() == BST_CHECKED; }
void Press(CDialog& dialog, int id) {
  dialog.SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

class AppDialogsTest : public UiFixture {
 protected:
  void FillStore() override {
    // Hit counts and sites in opposite orders, so the two keys give different trees.
    AddSite("a.example.com/", CookieRecord("alpha", "1", "a.example.com/"));
    AddSite("b.example.com/", CookieRecord("gamma", "needle", "b.example.com/"));
    AddSite("c.example.com/", CookieRecord("needle", "6", "c.example.com/"));
  }

  /** Opens the sort dialog through its command; reads it, then picks key and order and presses
   *  the button (IDOK/IDCANCEL). A negative key leaves the controls as shown. */
  SortShown RunSort(int key, int order, int button) {
    SortShown shown;
    afx::SetModalHook([&](CDialog& dialog) {
      EXPECT_NE(dynamic_cast<CSortDlg*>(&dialog), nullptr);
      auto* combo = static_cast<CComboBox*>(dialog.GetDlgItem(1031));
      for (int i = 0; i < combo->GetCount(); ++i) {
        CString text;
        combo->GetLBText(i, text);
        shown.items.push_back(Utf8(text.str()));
      }
      shown.selected = combo->GetCurSel();
      shown.ascending = Checked(dialog, 1032);
      shown.descending = Checked(dialog, 1033);
      if (key >= 0) {
        combo->SetCurSel(key);
        Button(dialog, 1032)->SetCheck(order == 0 ? BST_CHECKED : BST_UNCHECKED);
        Button(dialog, 1033)->SetCheck(order == 1 ? BST_CHECKED : BST_UNCHECKED);
      }
      Press(dialog, button);
    });
    EXPECT_TRUE(Run(ID_SORT));
    afx::SetModalHook({});
    return shown;
  }

  SearchShown RunSearch(const char* text, int domain, int name, int value, int fromNext,
                        int button) {
    SearchShown shown;
    afx::SetModalHook([&](CDialog& dialog) {
      EXPECT_NE(dynamic_cast<CSearchDlg*>(&dialog), nullptr);
      CString current;
      dialog.GetDlgItemText(1033, current);
      shown.text = Utf8(current.str());
      shown.domain = Checked(dialog, 1034);
      shown.name = Checked(dialog, 1035);
      shown.value = Checked(dialog, 1036);
      shown.fromNext = Checked(dialog, 1037);
      if (text != nullptr) {
        dialog.SetDlgItemText(1033, afx::Cp932(text));
        const int ids[] = {1034, 1035, 1036, 1037};
        const int states[] = {domain, name, value, fromNext};
        for (int i = 0; i < 4; ++i) {
          Button(dialog, ids[i])->SetCheck(states[i] ? BST_CHECKED : BST_UNCHECKED);
        }
      }
      Press(dialog, button);
    });
    EXPECT_TRUE(Run(ID_SEARCH));
    afx::SetModalHook({});
    return shown;
  }

  std::string RootText(int index) const {
    HTREEITEM item = TreeCtrl().GetRootItem();
    while (index-- > 0 && item != nullptr) item = TreeCtrl().GetNextSiblingItem(item);
    return item ? Utf8(TreeCtrl().GetItemText(item).str()) : "";
  }
  std::string SelectedText() const {
    HTREEITEM item = TreeCtrl().GetSelectedItem();
    return item ? Utf8(TreeCtrl().GetItemText(item).str()) : "";
  }
};

TEST_F(AppDialogsTest, SortDialogFirstShowsTheFirstKeyAscendingWithItsItemsInListOrder) {
  const SortShown shown = RunSort(-1, 0, IDCANCEL);
  EXPECT_EQ(shown.items,
            (std::vector<std::string>{"ﾄﾞﾒｲﾝ名のｱﾙﾌｧﾍﾞｯﾄ順", "最終利用日時（同期）順",
                                      "最終登録日時（変更）順", "有効期限順", "利用頻度順"}));
  EXPECT_EQ(shown.selected, 0);
  EXPECT_EQ(shown.ascending, 1);
  EXPECT_EQ(shown.descending, 0);
}

TEST_F(AppDialogsTest, SortOkStoresTheChoiceResortsAndSelectsTheFirstSite) {
  TreeCtrl().SelectItem(TreeCtrl().GetNextSiblingItem(TreeCtrl().GetRootItem()));
  RunSort(0, 1, IDOK);
  EXPECT_EQ(App()->m_nLastSortKey, 0);
  EXPECT_EQ(App()->m_nLastSortOrder, 1);
  EXPECT_EQ(RootText(0), "c.example.com/");
  EXPECT_EQ(RootText(2), "a.example.com/");
  EXPECT_EQ(TreeCtrl().GetSelectedItem(), TreeCtrl().GetRootItem());
  EXPECT_EQ(Detail()->GetShownCache(), Catalogue()->GetEntry(0));

  // The next opening shows the stored choice; a reload keeps sorting by it.
  const SortShown again = RunSort(-1, 0, IDCANCEL);
  EXPECT_EQ(again.selected, 0);
  EXPECT_EQ(again.descending, 1);
  ASSERT_TRUE(Run(ID_FILE_NEW));
  EXPECT_EQ(RootText(0), "c.example.com/");
}

TEST_F(AppDialogsTest, SortCancelKeepsSettingsAndTree) {
  RunSort(3, 1, IDCANCEL);
  EXPECT_EQ(App()->m_nLastSortKey, 0);
  EXPECT_EQ(App()->m_nLastSortOrder, 0);
  EXPECT_EQ(RootText(0), "a.example.com/");
  const SortShown again = RunSort(-1, 0, IDCANCEL);
  EXPECT_EQ(again.selected, 0);
  EXPECT_EQ(again.ascending, 1);
}

TEST_F(AppDialogsTest, SortByHitCountUsesTheMappedKey) {
  // Every item maps to a catalogue key; "利用頻度順" (item 4) is the hit count.
  SiteCache* b = Catalogue()->GetEntry(1);
  b->m_dwHitRate = 50;
  Catalogue()->GetEntry(0)->m_dwHitRate = 10;
  Catalogue()->GetEntry(2)->m_dwHitRate = 20;
  RunSort(4, 1, IDOK);
  EXPECT_EQ(App()->m_nLastSortKey, 4);
  EXPECT_EQ(RootText(0), "b.example.com/");
  EXPECT_EQ(RootText(1), "c.example.com/");
  EXPECT_EQ(RootText(2), "a.example.com/");
}

TEST_F(AppDialogsTest, SearchDialogFirstShowsDomainAndNameCheckedAndNoText) {
  const SearchShown shown = RunSearch(nullptr, 0, 0, 0, 0, IDCANCEL);
  EXPECT_EQ(shown.text, "");
  EXPECT_EQ(shown.domain, 1);
  EXPECT_EQ(shown.name, 1);
  EXPECT_EQ(shown.value, 0);
  EXPECT_EQ(shown.fromNext, 0);
}

TEST_F(AppDialogsTest, SearchOkStoresTheSettingsAndSelectsTheMatch) {
  RunSearch("needle", 0, 0, 1, 0, IDOK);
  EXPECT_EQ(App()->m_nFindTargets, 4);
  EXPECT_EQ(Utf8(App()->m_strLastFind.str()), "needle");
  EXPECT_FALSE(App()->m_bLastFromNext);
  EXPECT_EQ(SelectedText(), "gamma");  // its value matches

  const SearchShown again = RunSearch(nullptr, 0, 0, 0, 0, IDCANCEL);
  EXPECT_EQ(again.text, "needle");
  EXPECT_EQ(again.domain, 0);
  EXPECT_EQ(again.name, 0);
  EXPECT_EQ(again.value, 1);
}

TEST_F(AppDialogsTest, SearchCancelKeepsTheRememberedSettings) {
  RunSearch("needle", 1, 1, 1, 1, IDCANCEL);
  EXPECT_EQ(App()->m_nFindTargets, 3);
  EXPECT_TRUE(App()->m_strLastFind.IsEmpty());
  EXPECT_FALSE(App()->m_bLastFromNext);
  const SearchShown again = RunSearch(nullptr, 0, 0, 0, 0, IDCANCEL);
  EXPECT_EQ(again.text, "");
  EXPECT_EQ(again.value, 0);
}

TEST_F(AppDialogsTest, ClearingEveryTargetStoresZero) {
  RunSearch("x", 0, 0, 0, 1, IDOK);
  EXPECT_EQ(App()->m_nFindTargets, 0);
  EXPECT_TRUE(App()->m_bLastFromNext);
}

TEST_F(AppDialogsTest, SearchNextGoesOnFromTheSelectionWithTheRememberedSettings) {
  RunSearch("needle", 0, 1, 1, 0, IDOK);
  EXPECT_EQ(SelectedText(), "gamma");
  ASSERT_TRUE(Run(ID_SEARCH_NEXT));
  EXPECT_EQ(SelectedText(), "needle");
}

}  // namespace
}  // namespace tolvane::test
