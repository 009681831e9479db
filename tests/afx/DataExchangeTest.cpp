// Data exchange and validation in declaration order, through the modal hook.
#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <functional>

#include "AfxTestSupport.h"
#include "support/ModalWatch.h"

using namespace afxtest;

namespace {

class CNumbersDlg : public CDialog {
 public:
  CNumbersDlg() : CDialog(kDialogNumbers, nullptr) {}
  UINT m_nDay = 17;
  UINT m_nHour = 8;
  UINT m_nYear = 2003;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, kEditDay, m_nDay);
    DDV_MinMaxUInt(pDX, m_nDay, 1, 31);
    DDX_Text(pDX, kEditHour, m_nHour);
    DDV_MinMaxUInt(pDX, m_nHour, 0, 23);
    DDX_Text(pDX, kEditYear, m_nYear);
    DDV_MinMaxUInt(pDX, m_nYear, 1900, 9999);
  }
};

struct NumbersCase {
  const char* name;
  const char* day;
  const char* hour;
  const char* year;
  const char* message;  // empty: accepted
  int focus;            // the control that gets the focus on failure
};

class NumbersTest : public ::testing::TestWithParam<NumbersCase> {};

TEST_P(NumbersTest, ValidatesInOrderAndKeepsTheDialogOpen) {
  const NumbersCase& c = GetParam();
  ScriptedMessageBoxes boxes;
  bool openAfterOk = false;
  QWidget* focused = nullptr;
  QWidget* expectedFocus = nullptr;
  CNumbersDlg dlg;
  ScopedModalHook hook([&](CDialog& d) {
    d.SetDlgItemText(kEditDay, c.day);
    d.SetDlgItemText(kEditHour, c.hour);
    d.SetDlgItemText(kEditYear, c.year);
    static_cast<CButton*>(d.GetDlgItem(IDOK))->Click();
    openAfterOk = !d.IsEnded();
    focused = d.GetWidget()->focusWidget();
    if (c.focus) expectedFocus = d.GetDlgItem(c.focus)->GetWidget();
    if (openAfterOk) static_cast<CButton*>(d.GetDlgItem(IDCANCEL))->Click();
  });
  const INT_PTR result = dlg.DoModal();
  if (*c.message == '\0') {
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(boxes.texts.empty());
  } else {
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(openAfterOk);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], c.message);
    EXPECT_EQ(boxes.captions[0], "Tolvane");
    EXPECT_EQ(boxes.types[0], MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(focused, expectedFocus);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NumbersTest,
    ::testing::Values(
        NumbersCase{"accepted", "17", "8", "2003", "", 0},
        NumbersCase{"leadingBlanksAllowed", " 5", "0", "9999", "", 0},
        NumbersCase{"emptyReadsAsZeroThenRange", "", "8", "2003",
                    "1 から 31 までの整数を入力してください。", kEditDay},
        NumbersCase{"notANumber", "abc", "8", "2003", "符号なし整数を入力してください。", kEditDay},
        NumbersCase{"noSign", "-1", "8", "2003", "符号なし整数を入力してください。", kEditDay},
        NumbersCase{"trailingBlank", "5 ", "8", "2003", "符号なし整数を入力してください。",
                    kEditDay},
        NumbersCase{"hourAfterDay", "5", "24", "10000", "0 から 23 までの整数を入力してください。",
                    kEditHour},
        NumbersCase{"yearLast", "5", "23", "10000", "1900 から 9999 までの整数を入力してください。",
                    kEditYear},
        NumbersCase{"hugeSaturates", "99999999999", "8", "2003",
                    "1 から 31 までの整数を入力してください。", kEditDay}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DataExchangeTest, InitDialogShowsMembersAndOkStoresThem) {
  CNumbersDlg dlg;
  dlg.m_nYear = 1601;
  CString shownYear;
  ScopedModalHook hook([&](CDialog& d) {
    d.GetDlgItemText(kEditYear, shownYear);
    d.SetDlgItemText(kEditYear, "2024");
    static_cast<CButton*>(d.GetDlgItem(IDOK))->Click();
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(shownYear, "1601");
  EXPECT_EQ(dlg.m_nYear, 2024u);
}

TEST(DataExchangeTest, DialogLeftOpenByTheHookIsCancelled) {
  CNumbersDlg dlg;
  ScopedModalHook hook([](CDialog& d) { d.SetDlgItemText(kEditYear, "1999"); });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.m_nYear, 2003u);
  EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
}

class CChoiceDlg : public CDialog {
 public:
  CChoiceDlg() : CDialog(kDialogChoice, nullptr) {}
  int m_nKey = -1;
  int m_nOrder = -1;
  int m_bOther = 0;
  CString m_strText;
  CEdit m_editText;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, kEditText, m_editText);
    DDX_Radio(pDX, kRadioFirst, m_nOrder);
    DDX_CBIndex(pDX, kCombo, m_nKey);
    DDX_Check(pDX, kCheckOther, m_bOther);
    DDX_Text(pDX, kEditText, m_strText);
  }
};

TEST(DataExchangeTest, RadioComboCheckAndText) {
  CChoiceDlg dlg;
  dlg.m_nOrder = 2;
  dlg.m_nKey = 1;
  dlg.m_bOther = 1;
  dlg.m_strText = afx::Cp932("値");
  ScopedModalHook hook([&](CDialog& d) {
    auto radio = [&](int id) { return qobject_cast<QRadioButton*>(d.GetDlgItem(id)->GetWidget()); };
    // Only radio buttons count: the third is index 2 although a label sits between them.
    EXPECT_TRUE(radio(kRadioThird)->isChecked());
    EXPECT_FALSE(radio(kRadioFirst)->isChecked());
    auto* combo = qobject_cast<QComboBox*>(d.GetDlgItem(kCombo)->GetWidget());
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(combo->count(), 3);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("ﾄﾞﾒｲﾝ名のｱﾙﾌｧﾍﾞｯﾄ順"));
    // DDX_Control attached the member: GetDlgItem returns it.
    EXPECT_EQ(d.GetDlgItem(kEditText), &static_cast<CChoiceDlg&>(d).m_editText);
    static_cast<CButton*>(d.GetDlgItem(kRadioSecond))->Click();
    EXPECT_FALSE(radio(kRadioThird)->isChecked());
    combo->setCurrentIndex(2);
    static_cast<CButton*>(d.GetDlgItem(kCheckOther))->Click();
    d.SetDlgItemText(kEditText, "abc");
    static_cast<CButton*>(d.GetDlgItem(IDOK))->Click();
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.m_nOrder, 1);
  EXPECT_EQ(dlg.m_nKey, 2);
  EXPECT_EQ(dlg.m_bOther, 0);
  EXPECT_EQ(dlg.m_strText, "abc");
}

TEST(DataExchangeTest, NoRadioAndNoItemSelectedReadAsMinusOne) {
  CChoiceDlg dlg;
  ScopedModalHook hook([&](CDialog& d) {
    auto* combo = qobject_cast<QComboBox*>(d.GetDlgItem(kCombo)->GetWidget());
    EXPECT_EQ(combo->currentIndex(), -1);
    static_cast<CButton*>(d.GetDlgItem(IDOK))->Click();
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.m_nOrder, -1);
  EXPECT_EQ(dlg.m_nKey, -1);
}

TEST(DataExchangeTest, EscapeCancelsAndKeepsMembers) {
  CChoiceDlg dlg;
  dlg.m_nOrder = 0;
  ScopedModalHook hook([&](CDialog& d) {
    static_cast<CButton*>(d.GetDlgItem(kRadioThird))->Click();
    QTest::keyClick(d.GetWidget(), Qt::Key_Escape);
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.m_nOrder, 0);
}

// Without the hook the dialog runs its own event loop, as in the program: a refused OK keeps
// that loop going, an accepted one ends it with the transferred values.
TEST(DataExchangeTest, RealModalLoopValidatesThenEnds) {
  using tolvane::test::ModalWatch;
  ScriptedMessageBoxes boxes;
  CNumbersDlg dlg;
  int clicks = 0;
  ModalWatch watch([&](QWidget* modal) {
    auto* day = modal->findChild<QLineEdit*>(QString::number(kEditDay));
    // A refused OK leaves the dialog up: the second try, with a valid day, ends it.
    for (const char* text : {"32", "30"}) {
      if (!modal->isVisible()) break;
      day->setText(text);
      ++clicks;
      QTest::mouseClick(modal->findChild<QWidget*>(QString::number(IDOK)), Qt::LeftButton);
    }
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(dlg.m_nDay, 30u);
}

TEST(DataExchangeTest, MissingTemplateFailsDoModal) {
  CDialog dlg(9999, nullptr);
  EXPECT_EQ(dlg.DoModal(), -1);
}

TEST(MessageBoxTest, FrameworkIconAndCaption) {
  ScriptedMessageBoxes boxes({IDNO});
  EXPECT_EQ(AfxMessageBox(afx::Cp932("削除しますか？"), MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(AfxMessageBox("x"), IDOK);
  EXPECT_EQ(AfxMessageBox("y", MB_YESNO | MB_ICONSTOP), IDOK);
  ASSERT_EQ(boxes.types.size(), 3u);
  EXPECT_EQ(boxes.texts[0], "削除しますか？");
  EXPECT_EQ(boxes.types[0], MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION);
  EXPECT_EQ(boxes.types[1], MB_OK | MB_ICONEXCLAMATION);
  EXPECT_EQ(boxes.types[2], MB_YESNO | MB_ICONSTOP);
  EXPECT_EQ(boxes.captions[1], "Tolvane");
}

}  // namespace
