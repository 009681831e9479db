// Edits through the real window and store: forms, dialogs, commands, and a fresh start.
#include <QAbstractButton>
#include <QLineEdit>

#include "TreeHelpers.h"
#include "detail/PersetCookieForm.h"
#include "detail/SiteCacheForm.h"
#include "platform/Faults.h"

namespace tolvane::test {
namespace {

class TreeEndToEndTest : public TreeFixture {
 protected:
  /** The form of the selected variable (the detail view shows the selected entry). */
  CPersetCookieForm* FormOf(const std::string& path) {
    Select(path);
    auto* variable = Data<PersetCookie>(TreeCtrl().GetSelectedItem());
    for (int i = 0; i < Detail()->GetCookieFormCount(); ++i) {
      if (Detail()->GetCookieForm(i)->GetPersetCookie() == variable) {
        return Detail()->GetCookieForm(i);
      }
    }
    ADD_FAILURE() << "no form for " << path;
    return nullptr;
  }

  /** Presses a form's button and answers the encoded string dialog with text. */
  void EditEncoded(CWnd* form, int buttonId, const std::string& text) {
    int shown = 0;
    afx::SetModalHook([&](CDialog& dialog) {
      ++shown;
      dialog.GetDlgItem(IDC_ENCODED_TEXT)->SetWindowText(Sjis(text).c_str());
      dialog.OnOK();
    });
    CWnd* button = form->GetDlgItem(buttonId);
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button->GetWidget(), Qt::LeftButton);
    afx::SetModalHook(nullptr);
    EXPECT_EQ(shown, 1);
  }

  /** Types into an edit control as a user would, replacing its text. */
  static void TypeInto(CWnd* edit, const std::string& text) {
    QWidget* widget = edit->GetWidget();
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(widget, Qt::Key_Delete);
    QTest::keyClicks(widget, QString::fromStdString(text));
  }

  /** Runs a command as the menu bar does, from the tree pane. */
  void MenuCommand(UINT id) {
    Activate(Tree());
    Frame()->UpdateCommandUI();
    ASSERT_TRUE(Run(id)) << "refused: " << id;
  }

  void Restart() {
    Stop();
    Start();
  }

  std::string FormText(CWnd* form, int id) {
    CString text;
    form->GetDlgItemText(id, text);
    return Utf8(text.str());
  }
};

TEST_F(TreeEndToEndTest, EditedValueIsCommittedAndShownAfterARestart) {
  CPersetCookieForm* form = FormOf("a.example.com/ beta");
  ASSERT_NE(form, nullptr);
  EditEncoded(form, IDC_EDIT_VALUE, "fresh");
  EXPECT_EQ(Mark(Item("a.example.com/ beta")), 2);
  EXPECT_EQ(Mark(Item("a.example.com/")), 2);
  Select("a.example.com/");
  MenuCommand(ID_COMMIT);
  EXPECT_TRUE(m_boxes.empty());

  Restart();
  EXPECT_EQ(Catalogue()->GetEntry(0)->GetVariable(1)->m_strValue, "fresh");
  form = FormOf("a.example.com/ beta");
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(FormText(form, IDC_VALUE), "fresh");
  EXPECT_EQ(Mark(Item("a.example.com/")), 0);
}

TEST_F(TreeEndToEndTest, RenamedSiteIsCommittedUnderItsNewName) {
  Select("c.example.com/");
  TypeInto(Detail()->GetCacheForm()->GetDlgItem(IDC_SITE), "renamed.example/");
  EXPECT_EQ(Selected(), "renamed.example/");
  EXPECT_EQ(Mark(Item("renamed.example/")), 2);
  MenuCommand(ID_COMMIT);
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_FALSE(Stored("Cookie:user@c.example.com/"));
  EXPECT_EQ(StoredFile("Cookie:user@renamed.example/"),
            AsWritten(CookieRecord("delta", "4", "c.example.com/") +
                      CookieRecord("epsilon", "5", "c.example.com/") +
                      CookieRecord("zeta", "6", "c.example.com/")));

  Restart();
  ExpectTreeMirrorsCatalogue();
  EXPECT_EQ(Children(Item("renamed.example/")).size(), 3u);
}

TEST_F(TreeEndToEndTest, CopiesAndDeletionsSurviveARestart) {
  Select("b.example.com/");
  MenuCommand(ID_COPY_ADD_CACHE);
  Select("b.example.com/");
  MenuCommand(ID_COPY_ADD_CACHE);
  // Delete a variable of one entry and commit, and delete another entry.
  Select("c.example.com/ epsilon");
  ContextCommand(ID_DELETE_ITEM);  // the menu bar offers delete on a site item only
  Select("c.example.com/");
  MenuCommand(ID_COMMIT);
  Select("a.example.com/");
  Answer({IDYES});
  MenuCommand(ID_DELETE_ITEM);
  const auto before = CatalogueShape();

  Restart();
  auto sorted = [](std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  EXPECT_EQ(sorted(CatalogueShape()), sorted(before));
  EXPECT_EQ(sorted(StoredUrls()),
            (std::vector<std::string>{
                "Cookie:user@b.example.com/", "Cookie:user@b.example.com/_Copy_",
                "Cookie:user@b.example.com/_Copy__Copy_", "Cookie:user@c.example.com/"}));
  EXPECT_EQ(Children(Item("c.example.com/")).size(), 2u);
}

TEST_F(TreeEndToEndTest, SaveAllWritesEveryModifiedEntry) {
  const char* items[] = {"a.example.com/ alpha", "b.example.com/ gamma", "c.example.com/ zeta"};
  for (const char* item : items) EditEncoded(FormOf(item), IDC_EDIT_VALUE, "saved");
  Frame()->UpdateCommandUI();
  ASSERT_TRUE(Run(ID_FILE_SAVE));
  for (HTREEITEM site : Roots()) EXPECT_EQ(Mark(site), 0);

  Restart();
  for (const char* item : items) {
    EXPECT_EQ(Data<PersetCookie>(Item(item))->m_strValue, "saved") << item;
  }
}

TEST_F(TreeEndToEndTest, FailedCommitTellsAndLosesNothing) {
  const std::string stored = StoredFile("Cookie:user@a.example.com/");
  EditEncoded(FormOf("a.example.com/ alpha"), IDC_EDIT_VALUE, "unsaved");
  Select("a.example.com/");
  platform::InjectFault(platform::Call::CommitUrlCacheEntryA, ERROR_DISK_FULL);
  MenuCommand(ID_COMMIT);
  ASSERT_FALSE(m_boxes.empty());
  EXPECT_EQ(m_boxes.back().text, "ｺﾐｯﾄに失敗しました.");
  EXPECT_EQ(StoredFile("Cookie:user@a.example.com/"), stored);
  // The edit is still there, shown and marked.
  EXPECT_EQ(FormText(FormOf("a.example.com/ alpha"), IDC_VALUE), "unsaved");
  EXPECT_EQ(Mark(Item("a.example.com/")), 2);
  // And nothing of the store was lost on the way.
  Restart();
  EXPECT_EQ(StoredFile("Cookie:user@a.example.com/"), stored);
  EXPECT_EQ(Data<PersetCookie>(Item("a.example.com/ alpha"))->m_strValue, "1");
}

}  // namespace
}  // namespace tolvane::test
