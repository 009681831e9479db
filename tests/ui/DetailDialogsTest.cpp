// The date entry and encoded string dialogs, driven in-process through the modal hook.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QtTest/QTest>
#include <functional>
#include <optional>

#include "UiFixture.h"
#include "detail/DateInputDlg.h"
#include "detail/EncodedStringDlg.h"
#include "detail/PersetCookieForm.h"
#include "res/resource.h"

namespace tolvane::test {
namespace {

CButton* Button(CDialog& dlg, int id) { return static_cast<CButton*>(dlg.GetDlgItem(id)); }
std::string Text(CWnd& wnd, int id) {
  CString text;
  wnd.GetDlgItemText(id, text);
  return text.str();
}
int FocusedId(CDialog& dlg) {
  QWidget* focus = dlg.GetWidget()->focusWidget();
  CWnd* wnd = focus ? CWnd::FromWidget(focus) : nullptr;
  return wnd ? wnd->GetDlgCtrlID() : 0;
}

using DetailDateDialog = UiFixture;

TEST_F(DetailDateDialog, ReadsShowsAndValidatesInDeclarationOrder) {
  struct Field {
    int id;
    const char* text;
  };
  struct Case {
    const char* in;
    std::vector<Field> typed;
    std::vector<std::string> shown;  // year, month, day, hour, minute, second
    int result;
    const char* out;      // text after the call
    const char* message;  // first validation message, or ""
    int focus;            // the box that failed
  };
  const Case cases[] = {
      {"2003-05-17 08:09:10",
       {},
       {"2003", "5", "17", "8", "9", "10"},
       1,
       "2003-05-17 08:09:10",
       "",
       0},
      {"",
       {},
       {"0", "0", "0", "0", "0", "0"},
       0,
       "",
       "1 から 31 までの整数を入力してください。",
       IDC_DAY},
      {"1601-01-01 00:00:00",
       {},
       {"1601", "1", "1", "0", "0", "0"},
       0,
       "1601-01-01 00:00:00",
       "1900 から 9999 までの整数を入力してください。",
       IDC_YEAR},
      {"9999-12-31 23:59:59",
       {},
       {"9999", "12", "31", "23", "59", "59"},
       1,
       "9999-12-31 23:59:59",
       "",
       0},
      {"2003-05-17 08:09:10",
       {{IDC_YEAR, "10000"}},
       {},
       0,
       "2003-05-17 08:09:10",
       "1900 から 9999 までの整数を入力してください。",
       IDC_YEAR},
      {"2003-05-17 08:09:10",
       {{IDC_HOUR, "24"}},
       {},
       0,
       "2003-05-17 08:09:10",
       "0 から 23 までの整数を入力してください。",
       IDC_HOUR},
      {"2003-05-17 08:09:10",
       {{IDC_MINUTE, "60"}},
       {},
       0,
       "2003-05-17 08:09:10",
       "0 から 59 までの整数を入力してください。",
       IDC_MINUTE},
      {"2003-05-17 08:09:10",
       {{IDC_MONTH, "13"}},
       {},
       0,
       "2003-05-17 08:09:10",
       "1 から 12 までの整数を入力してください。",
       IDC_MONTH},
      {"2003-05-17 08:09:10",
       {{IDC_DAY, "x1"}},
       {},
       0,
       "2003-05-17 08:09:10",
       "符号なし整数を入力してください。",
       IDC_DAY},
      // A day the month lacks passes: each field is checked alone.
      {"2003-05-17 08:09:10",
       {{IDC_MONTH, "2"}, {IDC_DAY, "31"}},
       {},
       1,
       "2003-02-31 08:09:10",
       "",
       0},
      {"2003-2-3 4:5:6", {}, {"2003", "2", "3", "4", "5", "6"}, 1, "2003-02-03 04:05:06", "", 0},
      // Reading stops at the first mismatch; the rest stay 0.
      {"2003/05/17",
       {},
       {"2003", "0", "0", "0", "0", "0"},
       0,
       "2003/05/17",
       "1 から 31 までの整数を入力してください。",
       IDC_DAY},
  };
  const int ids[] = {IDC_YEAR, IDC_MONTH, IDC_DAY, IDC_HOUR, IDC_MINUTE, IDC_SECOND};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.in);
    m_boxes.clear();
    int focus = 0;
    bool ended = false;
    afx::SetModalHook([&](CDialog& dlg) {
      EXPECT_EQ(dlg.m_nIDTemplate, UINT(IDD_DATE_INPUT));
      for (size_t i = 0; i < c.shown.size(); ++i) EXPECT_EQ(Text(dlg, ids[i]), c.shown[i]);
      for (const Field& f : c.typed) dlg.SetDlgItemText(f.id, f.text);
      Button(dlg, IDOK)->Click();
      ended = dlg.IsEnded();
      focus = FocusedId(dlg);
    });
    CString text = c.in;
    EXPECT_EQ(EditDateTime(text, nullptr), c.result);
    EXPECT_EQ(text, c.out);
    EXPECT_EQ(ended, c.result == 1);
    if (*c.message) {
      ASSERT_EQ(m_boxes.size(), 1u);
      EXPECT_EQ(m_boxes[0].text, c.message);
      EXPECT_EQ(focus, c.focus);
    } else {
      EXPECT_TRUE(m_boxes.empty());
    }
  }
}

TEST_F(DetailDateDialog, CancelLeavesTheTextAndTheEditIsDisabledOnlyWhileOpen) {
  CWnd* edit = Detail()->GetCookieForm(0)->GetDlgItem(IDC_EXPIRE);
  std::optional<BOOL> enabledInside;
  afx::SetModalHook([&](CDialog& dlg) {
    enabledInside = edit->IsWindowEnabled();
    dlg.SetDlgItemText(IDC_YEAR, "2010");
    Button(dlg, IDCANCEL)->Click();
  });
  CString text = "2003-05-17 08:09:10";
  EXPECT_EQ(EditDateTime(text, edit), 0);
  EXPECT_EQ(text, "2003-05-17 08:09:10");
  ASSERT_TRUE(enabledInside.has_value());
  EXPECT_FALSE(*enabledInside);
  EXPECT_TRUE(edit->IsWindowEnabled());
}

// The dialog opens from the focus of a time field. Neither the focus moving off the disabled
// field (to the next time field!) nor the focus coming back with the window may open it again.
TEST_F(DetailDateDialog, FocusComingBackDoesNotReopen) {
  QWidget* window = Frame()->GetWidget();
  // As a window manager does when a dialog closes or the user switches back.
  auto activate = [](QWidget* w) {
    w->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(w));
    Pump();
  };
  activate(window);
  std::vector<int> opened;  // the field each dialog was opened for
  afx::SetModalHook([&](CDialog& dlg) {
    opened.push_back(dlg.m_pParentWnd ? dlg.m_pParentWnd->GetDlgCtrlID() : 0);
    Button(dlg, IDCANCEL)->Click();
  });
  CPersetCookieForm* form = Detail()->GetCookieForm(0);
  QWidget* expire = form->GetDlgItem(IDC_EXPIRE)->GetWidget();
  QWidget* modified = form->GetDlgItem(IDC_LAST_MODIFY)->GetWidget();
  expire->setFocus(Qt::TabFocusReason);
  Pump();
  EXPECT_EQ(opened, std::vector<int>{IDC_EXPIRE});
  EXPECT_EQ(window->focusWidget(), expire);  // back where the user was, not on 1004
  activate(window);
  EXPECT_EQ(QApplication::focusWidget(), expire);
  EXPECT_EQ(opened, std::vector<int>{IDC_EXPIRE});

  // Another window comes and goes.
  QWidget other;
  other.show();
  activate(&other);
  activate(window);
  EXPECT_EQ(opened, std::vector<int>{IDC_EXPIRE});

  // A click on the other time field, and a new visit to the first, open their dialogs.
  modified->setFocus(Qt::MouseFocusReason);
  Pump();
  EXPECT_EQ(opened, (std::vector<int>{IDC_EXPIRE, IDC_LAST_MODIFY}));
  activate(window);
  EXPECT_EQ(QApplication::focusWidget(), modified);
  expire->setFocus(Qt::BacktabFocusReason);
  Pump();
  EXPECT_EQ(opened, (std::vector<int>{IDC_EXPIRE, IDC_LAST_MODIFY, IDC_EXPIRE}));
}

// The same through the dialog's own event loop, as the program runs it: one dialog for one
// visit, and the focus back on the field afterwards.
TEST_F(DetailDateDialog, RealDialogOpensOnceAndGivesTheFocusBack) {
  QWidget* window = Frame()->GetWidget();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  Pump();
  int opened = 0;
  QPointer<QWidget> seen;
  // A timer of this scope: none of its calls can outlive the locals it reads.
  QTimer watch;
  watch.setInterval(5);
  QObject::connect(&watch, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != seen) {
      seen = modal;
      ++opened;
      QTest::mouseClick(modal->findChild<QWidget*>(QString::number(IDCANCEL)), Qt::LeftButton);
    }
  });
  watch.start();
  QWidget* expire = Detail()->GetCookieForm(0)->GetDlgItem(IDC_EXPIRE)->GetWidget();
  expire->setFocus(Qt::TabFocusReason);
  for (int i = 0; i < 5; ++i) {
    QTest::qWait(20);
    window->activateWindow();
    Pump();
  }
  watch.stop();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(QApplication::focusWidget(), expire);
}

class DetailEncodedDialog : public UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    m_form = Detail()->GetCookieForm(0);
    m_edit = static_cast<CEdit*>(m_form->GetDlgItem(IDC_VALUE));
  }
  /** Runs EditEncodedString on the first form's value edit holding stored. */
  int Run(const char* stored, char* code, const std::function<void(CEncodedStringDlg&)>& drive) {
    m_edit->SetWindowText(stored);
    afx::SetModalHook([&](CDialog& dlg) {
      auto& encoded = dynamic_cast<CEncodedStringDlg&>(dlg);
      drive(encoded);
    });
    return EditEncodedString(m_edit, code, m_form);
  }
  static int CheckedRadio(CDialog& dlg) {
    const int radios[] = {IDC_ENCODING_7BIT, IDC_ENCODING_EUC, IDC_ENCODING_SJIS, IDC_ENCODING_JIS,
                          IDC_ENCODING_UTF8};
    for (int i = 0; i < 5; ++i)
      if (Button(dlg, radios[i])->GetCheck() == BST_CHECKED) return i;
    return -1;
  }
  CPersetCookieForm* m_form = nullptr;
  CEdit* m_edit = nullptr;
};

TEST_F(DetailEncodedDialog, OpensDecodedOneLinePerSegmentAndWritesBackUnchanged) {
  char code = ' ';
  const int result = Run("a+b&c", &code, [](CEncodedStringDlg& dlg) {
    EXPECT_EQ(CheckedRadio(dlg), 0);
    EXPECT_EQ(Text(dlg, IDC_ENCODED_TEXT), "a b\r\nc");
    EXPECT_FALSE(dlg.m_bReencodeDiffers);
    Button(dlg, IDOK)->Click();
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Text(*m_form, IDC_VALUE), "a+b&c");
  EXPECT_TRUE(m_edit->GetModify());
  EXPECT_TRUE(m_boxes.empty());
  // The caller stores the text; the raw call alone leaves the record to it.
}

TEST_F(DetailEncodedDialog, DifferentReencodingAsksAndNoKeepsTheDialogOpen) {
  char code = ' ';
  Answer({IDNO, IDYES});
  bool endedAfterNo = true;
  const int result = Run("a%20b", &code, [&](CEncodedStringDlg& dlg) {
    EXPECT_EQ(Text(dlg, IDC_ENCODED_TEXT), "a b");
    EXPECT_TRUE(dlg.m_bReencodeDiffers);
    Button(dlg, IDOK)->Click();
    endedAfterNo = dlg.IsEnded();
    Button(dlg, IDOK)->Click();
  });
  EXPECT_FALSE(endedAfterNo);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(Text(*m_form, IDC_VALUE), "a+b");
  ASSERT_EQ(m_boxes.size(), 2u);
  EXPECT_EQ(m_boxes[0].text,
            "エンコードのルールが異なるので、元と同じ様にコード化されません.\r\n"
            "変更を有効としますか？");
  EXPECT_EQ(m_boxes[0].type, 292u);
}

TEST_F(DetailEncodedDialog, RadioClickAfterAnEditDiscardsItWithAMessage) {
  char code = ' ';
  Run("a+b", &code, [&](CEncodedStringDlg& dlg) {
    // Unedited: switching asks nothing.
    Button(dlg, IDC_ENCODING_SJIS)->Click();
    EXPECT_TRUE(m_boxes.empty());
    QWidget* edit = dlg.GetDlgItem(IDC_ENCODED_TEXT)->GetWidget();
    QTest::keyClicks(edit, "zz");
    Button(dlg, IDC_ENCODING_SJIS)->Click();  // the one already selected counts too
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, "編集が一度クリアされます");
    EXPECT_EQ(Text(dlg, IDC_ENCODED_TEXT), "a b");
    EXPECT_FALSE(dlg.m_editText.GetModify());
  });
}

TEST_F(DetailEncodedDialog, ChosenEncodingIsRememberedAcrossFormsAndCancelKeepsIt) {
  char& remembered = App()->m_chEncoding;
  remembered = 'E';
  // "あ" in EUC-JP, then re-typed and confirmed under UTF-8.
  Run("%A4%A2", &remembered, [](CEncodedStringDlg& dlg) {
    EXPECT_EQ(CheckedRadio(dlg), 1);
    EXPECT_EQ(Text(dlg, IDC_ENCODED_TEXT), Sjis("あ"));
    Button(dlg, IDC_ENCODING_UTF8)->Click();
    dlg.m_editText.SetWindowText(Sjis("あ").c_str());
    Button(dlg, IDOK)->Click();
  });
  EXPECT_EQ(Text(*m_form, IDC_VALUE), "%E3%81%82");
  EXPECT_EQ(remembered, 'U');

  // The name button of another form starts on UTF-8; Cancel after switching keeps it.
  CPersetCookieForm* other = Detail()->GetCookieForm(1);
  int radio = -1;
  afx::SetModalHook([&](CDialog& dlg) {
    radio = CheckedRadio(dlg);
    Button(dlg, IDC_ENCODING_JIS)->Click();
    Button(dlg, IDCANCEL)->Click();
  });
  static_cast<CButton*>(other->GetDlgItem(IDC_EDIT_NAME))->Click();
  EXPECT_EQ(radio, 4);
  EXPECT_EQ(remembered, 'U');
  EXPECT_EQ(other->GetPersetCookie()->m_nState, 0);
}

TEST_F(DetailEncodedDialog, DecodedZeroByteEndsTheShownText) {
  char code = ' ';
  Run("ab%00cd", &code, [](CEncodedStringDlg& dlg) {
    EXPECT_EQ(Text(dlg, IDC_ENCODED_TEXT), "ab");
    EXPECT_TRUE(dlg.m_bReencodeDiffers);
  });
}

TEST_F(DetailEncodedDialog, NameButtonStoresTheReencodedNameAndMarksItems) {
  SiteCache* entry = Detail()->GetShownCache();
  PersetCookie* variable = m_form->GetPersetCookie();
  afx::SetModalHook([](CDialog& dlg) {
    static_cast<CEncodedStringDlg&>(dlg).m_editText.SetWindowText("new name");
    Button(dlg, IDOK)->Click();
  });
  static_cast<CButton*>(m_form->GetDlgItem(IDC_EDIT_NAME))->Click();
  EXPECT_EQ(variable->m_strName, "new+name");
  EXPECT_EQ(variable->m_nState, 2);
  EXPECT_EQ(entry->m_nState, 2);
  HTREEITEM site = TreeCtrl().GetRootItem();
  EXPECT_EQ(TreeCtrl().GetItemText(TreeCtrl().GetChildItem(site)), "new+name");
  EXPECT_EQ(TreeCtrl().GetItemState(site, TVIS_OVERLAYMASK) >> 8, 2u);

  // Cancel changes nothing.
  afx::SetModalHook([](CDialog& dlg) { Button(dlg, IDCANCEL)->Click(); });
  variable->m_nState = 0;
  static_cast<CButton*>(m_form->GetDlgItem(IDC_EDIT_VALUE))->Click();
  EXPECT_EQ(variable->m_nState, 0);
}

}  // namespace
}  // namespace tolvane::test
