// Fields too long for their edit: filling a form shows each one from its first character, as the
// edit control does, whatever the field showed before; so does the encoded string dialog.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QtTest/QTest>

#include "UiFixture.h"
#include "detail/EncodedStringDlg.h"
#include "detail/PersetCookieForm.h"
#include "detail/SiteCacheForm.h"
#include "res/ResourceIds.h"

namespace tolvane::test {
namespace {

// Each long text starts with its own word, so the start shown can be told from the end.
std::string Long(const std::string& start, const std::string& unit, int times) {
  std::string text = start;
  for (int i = 0; i < times; ++i) text += unit;
  return text + "END";
}

const std::string kSite = Long("first.", "sub.", 40) + ".example.com/";
const std::string kOtherSite = Long("second.", "deep.", 40) + ".example.org/";
const std::string kName = Long("NameStart", "_part", 40);
const std::string kValue = Long("ValueStart", "%20word", 60);
const std::string kDomain = Long("DomainStart.", "host.", 40) + ".example.com/path/";

class DetailLongFields : public UiFixture {
 protected:
  void FillStore() override {
    AddSite(kSite, CookieRecord(kName, kValue, kDomain));
    // Japanese text too: its characters are wider, its start must show all the same.
    AddSite(kOtherSite, CookieRecord(Sjis("日本語の名前") + kName, kValue, kDomain));
  }

  struct Field {
    const char* label;
    bool cacheForm;  // else the first variable's form
    int id;
  };
  static constexpr Field kFields[] = {
      {"site", true, IDC_SITE},    {"local file", true, IDC_LOCAL_FILE}, {"name", false, IDC_NAME},
      {"value", false, IDC_VALUE}, {"domain", false, IDC_DOMAIN},
  };

  QLineEdit* Edit(const Field& field) const {
    CWnd* form = field.cacheForm ? static_cast<CWnd*>(Detail()->GetCacheForm())
                                 : static_cast<CWnd*>(Detail()->GetCookieForm(0));
    return qobject_cast<QLineEdit*>(form->GetDlgItem(field.id)->GetWidget());
  }

  /** Where the caret is drawn, from the edit's left, once the edit has painted (which is when
   *  Qt scrolls its text to the caret). */
  static int CaretX(QLineEdit* edit) {
    edit->grab();
    return edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().left();
  }

  /** Every field holds more than it shows, has its caret at 0 and shows its first characters. */
  void ExpectEveryFieldShowsItsStart() const {
    for (const Field& field : kFields) {
      SCOPED_TRACE(field.label);
      QLineEdit* edit = Edit(field);
      ASSERT_NE(edit, nullptr);
      ASSERT_GT(edit->fontMetrics().horizontalAdvance(edit->text()), edit->width());
      EXPECT_EQ(edit->cursorPosition(), 0);
      EXPECT_LT(CaretX(edit), edit->width() / 4);
      EXPECT_FALSE(edit->isModified());
    }
  }

  void Select(int site) {
    HTREEITEM item = TreeCtrl().GetRootItem();
    if (site == 1) item = TreeCtrl().GetNextSiblingItem(item);
    TreeCtrl().SelectItem(item);
    Pump();
  }
};

TEST_F(DetailLongFields, FillingShowsEachFieldFromItsStart) {
  Pump();
  ExpectEveryFieldShowsItsStart();

  // The user looks at every field's end, then another entry fills the forms, then this one.
  for (int site : {1, 0}) {
    for (const Field& field : kFields) {
      QLineEdit* edit = Edit(field);
      edit->end(false);
      ASSERT_GT(CaretX(edit), edit->width() / 2) << field.label;  // scrolled to the end
    }
    Select(site);
    ExpectEveryFieldShowsItsStart();
  }
  EXPECT_EQ(Catalogue()->GetEntry(0)->m_nState, 0);
}

TEST_F(DetailLongFields, EncodedStringDialogShowsTheDecodedTextFromItsStart) {
  Pump();
  char code = ' ';
  auto* value = static_cast<CEdit*>(Detail()->GetCookieForm(0)->GetDlgItem(IDC_VALUE));
  afx::SetModalHook([](CDialog& dlg) {
    auto* text = qobject_cast<QPlainTextEdit*>(dlg.GetDlgItem(IDC_ENCODED_TEXT)->GetWidget());
    ASSERT_NE(text, nullptr);
    dlg.GetWidget()->show();
    auto expectStart = [text](const char* when) {
      SCOPED_TRACE(when);
      text->grab();
      EXPECT_EQ(text->textCursor().position(), 0);
      EXPECT_GT(text->horizontalScrollBar()->maximum(), 0);  // longer than the box
      EXPECT_EQ(text->horizontalScrollBar()->value(), 0);
      EXPECT_TRUE(text->toPlainText().startsWith(QStringLiteral("ValueStart word")));
    };
    expectStart("opened");
    text->moveCursor(QTextCursor::End);
    text->grab();
    ASSERT_GT(text->horizontalScrollBar()->value(), 0);
    // Another encoding decodes the value again into the box.
    static_cast<CButton*>(dlg.GetDlgItem(IDC_ENCODING_SJIS))->Click();
    expectStart("decoded again");
    static_cast<CButton*>(dlg.GetDlgItem(IDCANCEL))->Click();
  });
  EXPECT_EQ(EditEncodedString(value, &code, Detail()->GetCookieForm(0)), 0);
}

}  // namespace
}  // namespace tolvane::test
