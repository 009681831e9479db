// The document's whole-catalogue commands: reload, GMT toggle, save all, exit; each update of the
// views rebuilds the tree from fresh records and selects the first site again.
#include <QAction>

#include "UiFixture.h"
#include "detail/PersetCookieForm.h"
#include "model/PersetCookie.h"
#include "res/ResourceIds.h"

namespace tolvane::test {
namespace {

const char kDiscardQuestion[] = "変更が保存されませんが、よろしいですか？";

class AppDocumentTest : public UiFixture {
 protected:
  /** Edits an entry's first value in memory, as a form would: stored, marked, item refreshed. */
  void ModifyEntry(int index, const char* value) {
    SiteCache* entry = Catalogue()->GetEntry(index);
    auto* variable = static_cast<PersetCookie*>(entry->GetAt(0));
    variable->m_strValue = value;
    variable->m_nState = kStateModified;
    HTREEITEM site = TreeCtrl().GetRootItem();
    for (int i = 0; i < index; ++i) site = TreeCtrl().GetNextSiblingItem(site);
    Tree()->RefreshVariableItem(Tree()->FindVariableItem(site, variable), variable);
  }

  /** The tree mirrors the catalogue, and its first site is chosen. */
  void ExpectTreeBuiltFromCatalogue() const {
    ExpectTreeMirrorsCatalogue();
    EXPECT_EQ(TreeCtrl().GetSelectedItem(), TreeCtrl().GetRootItem());
    EXPECT_EQ(Detail()->GetShownCache(), Catalogue()->GetEntry(0));
  }

  bool GmtChecked() const {
    Frame()->UpdateCommandUI();
    return Frame()->GetCommandAction(ID_TOGGLE_GMT)->isChecked();
  }
  std::string TimePane() const { return Utf8(Frame()->GetStatusBar().GetPaneText(1).str()); }
};

TEST_F(AppDocumentTest, ReloadWithNothingModifiedAsksNothingAndRebuildsFromFreshRecords) {
  TreeCtrl().SelectItem(TreeCtrl().GetNextSiblingItem(TreeCtrl().GetRootItem()));
  const SiteCache* old = Catalogue()->GetEntry(0);
  ASSERT_TRUE(Run(ID_FILE_NEW));
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_NE(Catalogue()->GetEntry(0), old);
  ExpectTreeBuiltFromCatalogue();
}

struct DiscardCase {
  UINT command;
  int answer;
  bool goesOn;
};

void PrintTo(const DiscardCase& c, std::ostream* os) {
  *os << "command " << c.command << (c.answer == IDYES ? " yes" : " no");
}

class AppDiscardTest : public AppDocumentTest, public ::testing::WithParamInterface<DiscardCase> {};

TEST_P(AppDiscardTest, ModifiedEntryMakesTheCommandAskAndNoKeepsEverything) {
  const DiscardCase& c = GetParam();
  ModifyEntry(1, "edited");
  TreeCtrl().SelectItem(TreeCtrl().GetNextSiblingItem(TreeCtrl().GetRootItem()));
  const SiteCache* old = Catalogue()->GetEntry(1);
  Answer({c.answer});
  ASSERT_TRUE(Run(c.command));
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0].text, kDiscardQuestion);
  EXPECT_EQ(m_boxes[0].type, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
  if (c.goesOn) {
    EXPECT_EQ(Catalogue()->GetEntry(1)->m_nState, 0);
    EXPECT_EQ(
        Utf8(static_cast<PersetCookie*>(Catalogue()->GetEntry(1)->GetAt(0))->m_strValue.str()),
        "3");
    ExpectTreeBuiltFromCatalogue();
  } else {
    EXPECT_EQ(Catalogue()->GetEntry(1), old);
    EXPECT_EQ(Catalogue()->GetEntry(1)->m_nState, 2);
    EXPECT_EQ(TreeCtrl().GetSelectedItem(),
              TreeCtrl().GetNextSiblingItem(TreeCtrl().GetRootItem()));
  }
  // Nothing reaches the store without a commit.
  EXPECT_EQ(StoredFile("Cookie:user@b.example.com/"), CookieRecord("gamma", "3", "b.example.com/"));
}

INSTANTIATE_TEST_SUITE_P(Commands, AppDiscardTest,
                         ::testing::Values(DiscardCase{ID_FILE_NEW, IDYES, true},
                                           DiscardCase{ID_FILE_NEW, IDNO, false},
                                           DiscardCase{ID_TOGGLE_GMT, IDYES, true},
                                           DiscardCase{ID_TOGGLE_GMT, IDNO, false}));

TEST_F(AppDocumentTest, GmtToggleRereadsInLocalTimeAndShowsIt) {
  EXPECT_TRUE(GmtChecked());
  EXPECT_EQ(TimePane(), "ｸﾞﾘﾆｯｼﾞ標準時");
  const auto* variable = static_cast<PersetCookie*>(Catalogue()->GetEntry(0)->GetAt(0));
  const std::string gmtExpire = variable->m_strExpire.str();

  ASSERT_TRUE(Run(ID_TOGGLE_GMT));
  EXPECT_EQ(g_bGmtMode, 0);
  EXPECT_FALSE(GmtChecked());
  EXPECT_EQ(TimePane(), "ﾛｰｶﾙﾀｲﾑｿﾞｰﾝ");
  variable = static_cast<PersetCookie*>(Catalogue()->GetEntry(0)->GetAt(0));
  FILETIME utc{}, local{};
  g_bGmtMode = 1;
  ASSERT_TRUE(TextToFileTime(gmtExpire.c_str(), &utc));
  ASSERT_TRUE(TextToFileTime(variable->m_strExpire.GetString(), &local));  // read as if UTC
  g_bGmtMode = 0;
  const auto ticks = [](FILETIME t) {
    return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  EXPECT_EQ(ticks(local) - ticks(utc), 9ull * 3600 * 10'000'000);  // the tests run in Asia/Tokyo
  ExpectTreeBuiltFromCatalogue();

  ASSERT_TRUE(Run(ID_TOGGLE_GMT));
  EXPECT_EQ(g_bGmtMode, 1);
  EXPECT_TRUE(GmtChecked());
  EXPECT_EQ(TimePane(), "ｸﾞﾘﾆｯｼﾞ標準時");
  EXPECT_EQ(static_cast<PersetCookie*>(Catalogue()->GetEntry(0)->GetAt(0))->m_strExpire.str(),
            gmtExpire);
}

TEST_F(AppDocumentTest, GmtToggleDeclinedKeepsModeCheckAndStatusText) {
  ModifyEntry(0, "x");
  Answer({IDNO});
  ASSERT_TRUE(Run(ID_TOGGLE_GMT));
  EXPECT_EQ(g_bGmtMode, 1);
  EXPECT_TRUE(GmtChecked());
  EXPECT_EQ(TimePane(), "ｸﾞﾘﾆｯｼﾞ標準時");
}

// Every whole-catalogue command replaces the records the forms are bound to; with the focus and
// a fresh edit inside a variable form, the command must neither store into the old records nor
// let the moving focus open a dialog.
TEST_F(AppDocumentTest, CommandsWithTheFocusInAVariableFormOpenNothingAndKeepTheStore) {
  Frame()->ShowWindow(SW_SHOW);
  Frame()->GetWidget()->activateWindow();
  int dialogs = 0;
  afx::SetModalHook([&dialogs](CDialog&) { ++dialogs; });
  for (UINT command : {UINT(ID_FILE_NEW), UINT(ID_TOGGLE_GMT), UINT(ID_FILE_SAVE)}) {
    TreeCtrl().SelectItem(TreeCtrl().GetChildItem(TreeCtrl().GetRootItem()));
    ASSERT_GT(Detail()->GetCookieFormCount(), 0);
    auto* value = static_cast<CEdit*>(Detail()->GetCookieForm(0)->GetDlgItem(IDC_VALUE));
    ASSERT_NE(value, nullptr);
    value->SetFocus();
    ASSERT_EQ(CWnd::GetFocus(), value) << command;
    value->SetSel(0, -1);
    value->ReplaceSel("typed");
    Pump();
    ASSERT_EQ(Catalogue()->GetEntry(0)->m_nState, 2) << command;
    Answer({IDYES});
    ASSERT_TRUE(Run(command)) << command;
    Pump();
    EXPECT_EQ(dialogs, 0) << command;
    ExpectTreeBuiltFromCatalogue();
  }
  // Reload and the toggle dropped the edit; save all stored it.
  EXPECT_EQ(Pairs(StoredFile("Cookie:user@a.example.com/")),
            (std::vector<std::string>{"alpha=typed", "beta=2"}));
}

TEST_F(AppDocumentTest, SaveAllCommitsEveryModifiedEntryAndRebuilds) {
  ModifyEntry(0, "one");
  ModifyEntry(2, "three");
  ASSERT_TRUE(Run(ID_FILE_SAVE));
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_EQ(Pairs(StoredFile("Cookie:user@a.example.com/")),
            (std::vector<std::string>{"alpha=one", "beta=2"}));
  EXPECT_EQ(StoredFile("Cookie:user@b.example.com/"), CookieRecord("gamma", "3", "b.example.com/"));
  EXPECT_EQ(Pairs(StoredFile("Cookie:user@c.example.com/")),
            (std::vector<std::string>{"delta=three", "epsilon=5", "zeta=6"}));
  for (int i = 0; i < Catalogue()->GetSize(); ++i) EXPECT_EQ(Catalogue()->GetEntry(i)->m_nState, 0);
  ExpectTreeBuiltFromCatalogue();
}

TEST_F(AppDocumentTest, SaveAllWithNothingModifiedLeavesTreeAndSelectionAlone) {
  const HTREEITEM third =
      TreeCtrl().GetNextSiblingItem(TreeCtrl().GetNextSiblingItem(TreeCtrl().GetRootItem()));
  TreeCtrl().SelectItem(third);
  ASSERT_TRUE(Run(ID_FILE_SAVE));
  EXPECT_EQ(TreeCtrl().GetSelectedItem(), third);
  EXPECT_EQ(Detail()->GetShownCache(), Catalogue()->GetEntry(2));
}

struct ExitCase {
  bool modified;
  std::vector<int> answers;
  size_t boxes;
  bool closes;
};

void PrintTo(const ExitCase& c, std::ostream* os) {
  *os << (c.modified ? "modified" : "unmodified") << ", " << c.answers.size() << " answers";
}

class AppExitTest : public AppDocumentTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(AppExitTest, ExitAsksOnlyWhenSomethingIsModifiedAndNoKeepsTheProgram) {
  const ExitCase& c = GetParam();
  if (c.modified) ModifyEntry(1, "changed");
  for (int answer : c.answers) Answer({answer});
  ASSERT_TRUE(Run(ID_APP_EXIT));
  Pump();
  ASSERT_EQ(m_boxes.size(), c.boxes);
  if (c.boxes) {
    EXPECT_EQ(m_boxes[0].text, kDiscardQuestion);
  }
  if (c.closes) {
    EXPECT_EQ(App()->m_pMainWnd, nullptr);
  } else {
    ASSERT_NE(Frame(), nullptr);
    EXPECT_TRUE(Frame()->IsWindowVisible());
    EXPECT_EQ(Catalogue()->GetEntry(1)->m_nState, 2);
  }
  // Nothing is saved on exit.
  EXPECT_EQ(StoredFile("Cookie:user@b.example.com/"), CookieRecord("gamma", "3", "b.example.com/"));
}

INSTANTIATE_TEST_SUITE_P(Answers, AppExitTest,
                         ::testing::Values(ExitCase{false, {}, 0, true},
                                           ExitCase{true, {IDYES}, 1, true},
                                           ExitCase{true, {IDNO}, 1, false}));

}  // namespace
}  // namespace tolvane::test
