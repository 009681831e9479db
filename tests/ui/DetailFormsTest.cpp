// The two forms of the detail pane: what filling shows, and that every user edit is stored and
// marks its records and tree items while filling never does.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTreeWidget>
#include <QtTest/QTest>

#include "UiFixture.h"
#include "detail/PersetCookieForm.h"
#include "detail/SiteCacheForm.h"
#include "res/ResourceIds.h"

namespace tolvane::test {
namespace {

TEST(DetailSizeText, FollowsTheUnitThresholdsWithUnsignedShifts) {
  struct Case {
    DWORD low, high;
    const char* text;
  };
  const Case cases[] = {
      {0, 0, "0"},
      {1024, 0, "1024"},
      {1025, 0, "1 KB"},
      {1048576, 0, "1024 KB"},
      {1048577, 0, "1 MB"},
      {1073741824, 0, "1024 MB"},
      {1073741825, 0, "1 GB"},
      {4294967295u, 0, "3 GB"},
      {0, 1, "Over 4GB"},
      {4294967295u, 0x80000000u, "Over 4GB"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CSiteCacheForm::FormatSize(c.low, c.high), c.text) << c.low << " " << c.high;
}

TEST(DetailLocalFile, ShowsOnlyNameAndExtension) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Documents and Settings\\user\\Cookies\\user@site[1].txt", "user@site[1].txt"},
      {"/home/u/.local/share/tolvane/urlcache/Cookies/user@a.txt", "user@a.txt"},
      {"plain.txt", "plain.txt"},
      {"C:\\dir\\noext", "noext"},
      {"", ""},
  };
  for (const auto& [path, shown] : cases) EXPECT_EQ(CSiteCacheForm::FileNamePart(path), shown);
}

class DetailForms : public UiFixture {
 protected:
  void FillStore() override {
    AddSite("a.example.com/", CookieRecord("alpha", "1", "a.example.com/", 0xFFFu) +
                                  CookieRecord("beta", "x%20y", "a.example.com/", 0xF00F0000u));
    AddSite("b.example.com/", CookieRecord("gamma", "3", "b.example.com/"));
  }
  void SetUp() override {
    UiFixture::SetUp();
    ASSERT_EQ(Detail()->GetShownCache(), Catalogue()->GetEntry(0));
  }
  SiteCache* Shown() const { return Detail()->GetShownCache(); }
  CSiteCacheForm* CacheForm() const { return Detail()->GetCacheForm(); }
  CPersetCookieForm* Form(int i) const { return Detail()->GetCookieForm(i); }
  HTREEITEM SiteItem() const { return TreeCtrl().GetRootItem(); }
  HTREEITEM VariableItem(int i) const {
    HTREEITEM h = TreeCtrl().GetChildItem(SiteItem());
    while (i-- > 0) h = TreeCtrl().GetNextSiblingItem(h);
    return h;
  }
  int Overlay(HTREEITEM item) const {
    return int(TreeCtrl().GetItemState(item, TVIS_OVERLAYMASK) >> 8);
  }
  static QLineEdit* Line(CWnd* form, int id) {
    return qobject_cast<QLineEdit*>(form->GetDlgItem(id)->GetWidget());
  }
  static CButton* Box(CWnd* form, int id) { return static_cast<CButton*>(form->GetDlgItem(id)); }
  bool NothingModified() const {
    for (int i = 0; i < Catalogue()->GetSize(); ++i) {
      SiteCache* e = Catalogue()->GetEntry(i);
      if (e->m_nState == 2) return false;
      for (int k = 0; k < e->GetSize(); ++k)
        if (e->GetVariable(k)->m_nState == 2) return false;
    }
    return true;
  }
};

TEST_F(DetailForms, FillingShowsTheRecordsWithoutMarkingAnything) {
  CString text;
  CacheForm()->GetDlgItemText(IDC_SITE, text);
  EXPECT_EQ(text, "a.example.com/");
  CacheForm()->GetDlgItemText(IDC_EXPIRE_TIME, text);
  EXPECT_EQ(text, Shown()->m_strExpireTime);
  Form(1)->GetDlgItemText(IDC_VALUE, text);
  EXPECT_EQ(text, "x%20y");
  Form(1)->GetDlgItemText(IDC_PATH, text);
  EXPECT_EQ(text, "*");
  Form(0)->GetDlgItemText(IDC_EXPIRE, text);
  EXPECT_EQ(text, Shown()->GetVariable(0)->m_strExpire);

  // Refill with another entry and back: texts change, nothing counts as an edit.
  TreeCtrl().SelectItem(TreeCtrl().GetNextSiblingItem(SiteItem()));
  TreeCtrl().SelectItem(SiteItem());
  EXPECT_TRUE(NothingModified());
  EXPECT_EQ(Overlay(SiteItem()), 0);
  EXPECT_FALSE(Line(CacheForm(), IDC_SITE)->isModified());
}

// The boxes and their bits as the form's template labels them, written out independently of
// the program's own table.
struct BoxBit {
  int id;
  DWORD mask;
};
constexpr BoxBit kBoxBits[] = {
    {IDC_FLAG_SECURE, 0x001}, {IDC_FLAG_SESSION, 0x002},      {IDC_FLAG_3RDPARTY, 0x010},
    {IDC_FLAG_PROMPT, 0x020}, {IDC_FLAG_EVALUATE_P3P, 0x040}, {IDC_FLAG_APPLY_P3P, 0x080},
    {IDC_FLAG_P3P, 0x100},    {IDC_FLAG_RESTRICTED, 0x200},   {IDC_FLAG_IE6, 0x400},
    {IDC_FLAG_LEGACY, 0x800},
};

TEST_F(DetailForms, AllTenBoxesFollowTheirBits) {
  for (const BoxBit& box : kBoxBits) {
    EXPECT_EQ(Box(Form(0), box.id)->GetCheck(), BST_CHECKED) << box.id;
    EXPECT_EQ(Box(Form(1), box.id)->GetCheck(), BST_UNCHECKED) << box.id;
  }
}

TEST_F(DetailForms, KeystrokeInTheValueStoresRawTextAndMarksVariableEntryAndBothItems) {
  QLineEdit* value = Line(Form(1), IDC_VALUE);
  value->setFocus();
  value->end(false);
  QTest::keyClicks(value, "%zz");
  PersetCookie* beta = Shown()->GetVariable(1);
  EXPECT_EQ(beta->m_strValue, "x%20y%zz");  // stored as typed, valid escapes or not
  EXPECT_EQ(beta->m_nState, 2);
  EXPECT_EQ(Shown()->m_nState, 2);
  EXPECT_EQ(Overlay(VariableItem(1)), 2);
  EXPECT_EQ(Overlay(SiteItem()), 2);
  EXPECT_EQ(Shown()->GetVariable(0)->m_nState, 0);
}

TEST_F(DetailForms, TypingTheNameRenamesTheVariableItem) {
  QLineEdit* name = Line(Form(0), IDC_NAME);
  name->end(false);
  QTest::keyClick(name, Qt::Key_Backspace);
  QTest::keyClicks(name, "Z");
  EXPECT_EQ(Shown()->GetVariable(0)->m_strName, "alphZ");
  EXPECT_EQ(TreeCtrl().GetItemText(VariableItem(0)), "alphZ");
}

TEST_F(DetailForms, TypingTheSiteRenamesTheSiteItem) {
  QLineEdit* site = Line(CacheForm(), IDC_SITE);
  site->end(false);
  QTest::keyClicks(site, "x");
  EXPECT_EQ(Shown()->m_strSite, "a.example.com/x");
  EXPECT_EQ(Shown()->m_nState, 2);
  EXPECT_EQ(TreeCtrl().GetItemText(SiteItem()), "a.example.com/x");
  EXPECT_EQ(Overlay(SiteItem()), 2);
}

TEST_F(DetailForms, ReadOnlyFieldsCannotBeTyped) {
  for (int id : {IDC_LOCAL_FILE, IDC_ACCESS_TIME, IDC_SIZE, IDC_LAST_SYNC_TIME, IDC_HIT_RATE})
    EXPECT_TRUE(Line(CacheForm(), id)->isReadOnly()) << id;
  QLineEdit* path = Line(Form(0), IDC_PATH);
  EXPECT_TRUE(path->isReadOnly());
  QTest::keyClicks(path, "q");
  EXPECT_EQ(Shown()->GetVariable(0)->m_strPath, "*");
  EXPECT_TRUE(NothingModified());
}

TEST_F(DetailForms, ClicksTouchOnlyTheirOwnBit) {
  PersetCookie* alpha = Shown()->GetVariable(0);
  PersetCookie* beta = Shown()->GetVariable(1);
  for (int round = 0; round < 2; ++round) {
    for (const BoxBit& box : kBoxBits) {
      const DWORD before = beta->m_dwFlags;
      Box(Form(1), box.id)->Click();
      EXPECT_EQ(beta->m_dwFlags ^ before, box.mask) << box.id;
      Box(Form(0), box.id)->Click();
    }
  }
  // Every box clicked twice: all ten bits back, and those without a box never touched.
  EXPECT_EQ(alpha->m_dwFlags, 0xFFFu);
  EXPECT_EQ(beta->m_dwFlags, 0xF00F0000u);
  EXPECT_EQ(beta->m_nState, 2);
  EXPECT_EQ(Overlay(VariableItem(1)), 2);

  Box(Form(0), IDC_FLAG_P3P)->Click();
  EXPECT_EQ(alpha->m_dwFlags, 0xFFFu & ~0x100u);  // "P3P" is EnableP3P, bit 8
}

TEST_F(DetailForms, DateFieldsChangeOnlyThroughTheDialog) {
  int opened = 0;
  afx::SetModalHook([&](CDialog& dlg) {
    ++opened;
    EXPECT_EQ(dlg.m_nIDTemplate, UINT(IDD_DATE_INPUT));
    dlg.SetDlgItemText(IDC_YEAR, "2030");
    dlg.SetDlgItemText(IDC_MONTH, "1");
    dlg.SetDlgItemText(IDC_DAY, "2");
    dlg.SetDlgItemText(IDC_HOUR, "3");
    dlg.SetDlgItemText(IDC_MINUTE, "4");
    dlg.SetDlgItemText(IDC_SECOND, "5");
    static_cast<CButton*>(dlg.GetDlgItem(IDOK))->Click();
  });
  Form(1)->GetDlgItem(IDC_LAST_MODIFY)->SetFocus();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(Shown()->GetVariable(1)->m_strLastModify, "2030-01-02 03:04:05");
  CString text;
  Form(1)->GetDlgItemText(IDC_LAST_MODIFY, text);
  EXPECT_EQ(text, "2030-01-02 03:04:05");
  EXPECT_TRUE(Form(1)->GetDlgItem(IDC_LAST_MODIFY)->IsWindowEnabled());
  EXPECT_EQ(Overlay(VariableItem(1)), 2);

  CacheForm()->GetDlgItem(IDC_EXPIRE_TIME)->SetFocus();
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(Shown()->m_strExpireTime, "2030-01-02 03:04:05");
  EXPECT_EQ(Shown()->m_nState, 2);
}

TEST_F(DetailForms, CancelledDateDialogChangesNothing) {
  afx::SetModalHook([](CDialog& dlg) {
    dlg.SetDlgItemText(IDC_YEAR, "2030");
    static_cast<CButton*>(dlg.GetDlgItem(IDCANCEL))->Click();
  });
  const CString before = Shown()->m_strModifiedTime;
  CacheForm()->GetDlgItem(IDC_MODIFIED_TIME)->SetFocus();
  EXPECT_EQ(Shown()->m_strModifiedTime, before);
  CString text;
  CacheForm()->GetDlgItemText(IDC_MODIFIED_TIME, text);
  EXPECT_EQ(text, before);
  EXPECT_TRUE(NothingModified());
}

TEST_F(DetailForms, BlankFormOpensNoDateDialog) {
  int opened = 0;
  afx::SetModalHook([&](CDialog&) { ++opened; });
  Detail()->ShowSiteCache(nullptr, nullptr, nullptr, true);
  CacheForm()->GetDlgItem(IDC_EXPIRE_TIME)->SetFocus();
  EXPECT_EQ(opened, 0);
}

// Delete, Insert and Ctrl+Insert are the tree's delete and copy-add keys; typed in a form they
// belong to the form's control.
TEST_F(DetailForms, KeysTypedInAFormNeverReachTheAccelerators) {
  QWidget* window = Frame()->GetWidget();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  const int entries = Catalogue()->GetSize();
  const int variables = Shown()->GetSize();
  QLineEdit* domain = Line(Form(0), IDC_DOMAIN);
  domain->setFocus(Qt::MouseFocusReason);
  domain->home(false);
  ASSERT_EQ(QApplication::focusWidget(), domain);
  QTest::keyClick(domain, Qt::Key_Delete);
  QTest::keyClick(domain, Qt::Key_Insert);
  QTest::keyClick(domain, Qt::Key_Insert, Qt::ControlModifier);
  Pump();
  EXPECT_EQ(Catalogue()->GetSize(), entries);
  EXPECT_EQ(Shown()->GetSize(), variables);
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_EQ(Shown()->GetVariable(0)->m_strDomain, ".example.com/");  // Delete ate the "a"

  // The same Delete with the tree focused is the tree's command.
  Answer({IDYES});
  TreeCtrl().GetTreeWidget()->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(TreeCtrl().GetTreeWidget(), Qt::Key_Delete);
  Pump();
  EXPECT_EQ(Catalogue()->GetSize(), entries - 1) << m_boxes.size();
}

// Enter and Esc in a form's field have no dialog to end: the form stays.
TEST_F(DetailForms, EnterAndEscapeKeepTheFormsShown) {
  QWidget* window = Frame()->GetWidget();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  QLineEdit* site = Line(CacheForm(), IDC_SITE);
  QLineEdit* value = Line(Form(0), IDC_VALUE);
  for (QLineEdit* edit : {site, value}) {
    edit->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Escape);
  }
  Pump();
  EXPECT_TRUE(CacheForm()->IsWindowVisible());
  EXPECT_TRUE(Form(0)->IsWindowVisible());
  EXPECT_TRUE(NothingModified());
}

}  // namespace
}  // namespace tolvane::test
