// Edit and button controls keep their Win32 meanings.
#include <gtest/gtest.h>

#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "AfxTestSupport.h"

using namespace afxtest;

namespace {

class CTestForm : public CDialog {
 public:
  CTestForm() : CDialog(kDialogForm, nullptr) {}
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    return FALSE;
  }
  int changes = 0;
  int clicks = 0;
  int focusVisits = 0;
  std::vector<BOOL> modifiedAtChange;

 protected:
  void OnChangeName() {
    ++changes;
    modifiedAtChange.push_back(static_cast<CEdit*>(GetDlgItem(kEditName))->GetModify());
  }
  void OnClickFlag() { ++clicks; }
  void OnFocusValue() { ++focusVisits; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestForm, CDialog)
ON_EN_CHANGE(kEditName, OnChangeName)
ON_BN_CLICKED(kCheckFlag, OnClickFlag)
ON_EN_SETFOCUS(kEditValue, OnFocusValue)
END_MESSAGE_MAP()

class EditControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(host.Create(nullptr, "", 0, CRect(0, 0, 400, 200), nullptr, 0));
    ASSERT_TRUE(form.Create(kDialogForm, &host));
    form.ShowWindow(SW_SHOW);
    host.ShowWindow(SW_SHOW);
  }
  QWidget* Widget(int id) { return form.GetDlgItem(id)->GetWidget(); }
  CEdit* Edit(int id) { return static_cast<CEdit*>(form.GetDlgItem(id)); }

  CWnd host;
  CTestForm form;
};

TEST_F(EditControlTest, FormIsAChildHiddenUntilShownAndControlsCarryTheirIds) {
  CTestForm hidden;
  ASSERT_TRUE(hidden.Create(kDialogForm, &host));
  EXPECT_FALSE(hidden.GetWidget()->isVisibleTo(host.GetWidget()));
  EXPECT_EQ(hidden.GetWidget()->parentWidget(), host.GetWidget());
  EXPECT_EQ(Widget(kEditName)->objectName(), QStringLiteral("1001"));
  EXPECT_NE(dynamic_cast<CEdit*>(form.GetDlgItem(kEditName)), nullptr);
  EXPECT_NE(dynamic_cast<CButton*>(form.GetDlgItem(kCheckFlag)), nullptr);
  EXPECT_EQ(form.GetDlgItem(4242), nullptr);
}

TEST_F(EditControlTest, ProgramTextClearsModifiedAndStillNotifiesChange) {
  QTest::keyClicks(Widget(kEditName), "ab");
  EXPECT_EQ(form.changes, 2);
  EXPECT_TRUE(Edit(kEditName)->GetModify());
  EXPECT_EQ(form.modifiedAtChange, (std::vector<BOOL>{TRUE, TRUE}));

  form.SetDlgItemText(kEditName, afx::Cp932("ｸｯｷｰ"));
  EXPECT_EQ(form.changes, 3);
  EXPECT_FALSE(Edit(kEditName)->GetModify());
  EXPECT_FALSE(form.modifiedAtChange.back());
  EXPECT_EQ(form.GetDlgItem(kEditName)->SendMessage(EM_GETMODIFY), 0);

  QTest::keyClick(Widget(kEditName), Qt::Key_End);  // text set by the program leaves the caret at 0
  QTest::keyClicks(Widget(kEditName), "x");
  EXPECT_TRUE(form.modifiedAtChange.back());
  CString text;
  form.GetDlgItemText(kEditName, text);
  EXPECT_EQ(text, afx::Cp932("ｸｯｷｰx"));

  form.GetDlgItem(kEditName)->SendMessage(EM_SETMODIFY, FALSE);
  EXPECT_FALSE(Edit(kEditName)->GetModify());
}

TEST_F(EditControlTest, UneditedTextReadsBackByteForByte) {
  // 0x81 0x20 is not a CP932 character; shown as a replacement, kept as it was.
  const CString odd("a\x81 b%E3%81");
  form.SetDlgItemText(kEditValue, odd);
  CString back;
  form.GetDlgItemText(kEditValue, back);
  EXPECT_EQ(back, odd);
}

TEST_F(EditControlTest, ClickedOnlyForUserClicks) {
  auto* check = static_cast<CButton*>(form.GetDlgItem(kCheckFlag));
  check->SetCheck(BST_CHECKED);
  form.GetDlgItem(kCheckFlag)->SendMessage(BM_SETCHECK, BST_UNCHECKED);
  EXPECT_EQ(form.clicks, 0);
  QTest::mouseClick(Widget(kCheckFlag), Qt::LeftButton);
  EXPECT_EQ(form.clicks, 1);
  EXPECT_EQ(check->GetCheck(), BST_CHECKED);
  EXPECT_EQ(form.GetDlgItem(kCheckFlag)->SendMessage(BM_GETCHECK), BST_CHECKED);
}

TEST_F(EditControlTest, ReadOnlyEditRefusesTyping) {
  form.SetDlgItemText(kEditReadOnly, "cookie.txt");
  QTest::keyClicks(Widget(kEditReadOnly), "zz");
  QTest::keyClick(Widget(kEditReadOnly), Qt::Key_Backspace);
  CString text;
  form.GetDlgItemText(kEditReadOnly, text);
  EXPECT_EQ(text, "cookie.txt");
  EXPECT_FALSE(Edit(kEditReadOnly)->GetModify());
}

TEST_F(EditControlTest, MultiLineEditUsesCrLf) {
  form.SetDlgItemText(kEditMulti, "a b\r\nc");
  auto* plain = qobject_cast<QPlainTextEdit*>(Widget(kEditMulti));
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(plain->document()->blockCount(), 2);
  EXPECT_FALSE(Edit(kEditMulti)->GetModify());
  plain->moveCursor(QTextCursor::End);
  QTest::keyClick(plain, Qt::Key_Return);
  QTest::keyClicks(plain, "d");
  CString text;
  form.GetDlgItemText(kEditMulti, text);
  EXPECT_EQ(text, "a b\r\nc\r\nd");
  EXPECT_TRUE(Edit(kEditMulti)->GetModify());
}

TEST_F(EditControlTest, FocusReturningToTheWindowIsNotAVisit) {
  QFocusEvent visit(QEvent::FocusIn, Qt::MouseFocusReason);
  QCoreApplication::sendEvent(Widget(kEditValue), &visit);
  EXPECT_EQ(form.focusVisits, 1);
  // After a modal dialog or message box closes, the window gives the focus back.
  QFocusEvent back(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
  QCoreApplication::sendEvent(Widget(kEditValue), &back);
  EXPECT_EQ(form.focusVisits, 1);
}

TEST_F(EditControlTest, DisablingTheFocusedEditSendsNoFocusVisitElsewhere) {
  QFocusEvent visit(QEvent::FocusIn, Qt::TabFocusReason);
  // Qt moves the focus on when the focused control is disabled; that is not the user's visit.
  form.GetDlgItem(kEditName)->SetFocus();
  form.GetDlgItem(kEditName)->EnableWindow(FALSE);
  EXPECT_EQ(form.focusVisits, 0);
  EXPECT_FALSE(form.GetDlgItem(kEditName)->IsWindowEnabled());
  form.GetDlgItem(kEditName)->EnableWindow(TRUE);
  QCoreApplication::sendEvent(Widget(kEditValue), &visit);
  EXPECT_EQ(form.focusVisits, 1);
}

TEST_F(EditControlTest, DestroyWindowRemovesTheFormWidgets) {
  QPointer<QWidget> edit = Widget(kEditName);
  EXPECT_TRUE(form.DestroyWindow());
  EXPECT_EQ(form.GetSafeHwnd(), nullptr);
  EXPECT_TRUE(edit.isNull());
}

}  // namespace
