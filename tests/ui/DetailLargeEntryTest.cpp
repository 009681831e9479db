// An entry of 10,000 cookies through the real window: the pane scrolls end to end with only the
// forms in sight made, edits survive their form scrolling away, Tab and the dialogs behave as
// they did when every form existed, and commands keep tree and forms in step.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollBar>
#include <functional>

#include "TreeHelpers.h"
#include "detail/PersetCookieForm.h"
#include "detail/SiteCacheForm.h"

namespace tolvane::test {
namespace {

constexpr int kCount = 10'000;
constexpr char kSite[] = "large.example.com/";
constexpr char kUrl[] = "Cookie:user@large.example.com/";
// Forms that may exist at once: those in sight and a reserve, whatever the entry's size.
constexpr int kMostForms = 32;

std::string Name(int i) { return "n" + std::to_string(i); }

class DetailLargeEntry : public TreeFixture {
 protected:
  void FillStore() override {
    std::string file;
    for (int i = 0; i < kCount; ++i) file += CookieRecord(Name(i), "v" + std::to_string(i), kSite);
    AddSite(kSite, file);
    AddSite("small.example.com/", CookieRecord("s", "1", "small.example.com/"));
  }
  void SetUp() override {
    TreeFixture::SetUp();
    Find();
    ASSERT_NE(m_entry, nullptr);
    ASSERT_EQ(m_entry->GetSize(), kCount);
    TreeCtrl().SelectItem(m_site);
    ASSERT_EQ(Detail()->GetShownCache(), m_entry);
  }
  void Find() {
    m_entry = nullptr;
    for (int i = 0; i < Catalogue()->GetSize(); ++i)
      if (Catalogue()->GetEntry(i)->m_strSite == kSite) m_entry = Catalogue()->GetEntry(i);
    m_site = Tree()->FindSiteItem(m_entry);
  }

  QScrollBar* Bar() const {
    return qobject_cast<QAbstractScrollArea*>(Detail()->GetWidget())->verticalScrollBar();
  }
  int ScrollY() const { return Detail()->GetScrollPosition().y; }
  int ViewHeight() const {
    CRect client;
    Detail()->GetClientRect(&client);
    return client.Height();
  }
  int FormHeight() const { return Detail()->GetCookieFormHeight(); }
  int FormTop(int i) const { return Detail()->GetCacheFormSize().cy + i * FormHeight(); }
  HTREEITEM VariableItem(int i) const {
    return Tree()->FindVariableItem(m_site, m_entry->GetVariable(i));
  }
  static std::string Text(CWnd* form, int id) {
    CString text;
    form->GetDlgItemText(id, text);
    return text.str();
  }
  static QWidget* Control(CWnd* form, int id) { return form->GetDlgItem(id)->GetWidget(); }

  /** Checks every form that shows in the pane; returns the places shown. */
  std::vector<int> CheckFormsInSight() const {
    std::vector<int> shown;
    const int y = ScrollY();
    for (int i = std::max(0, (y - FormTop(0)) / FormHeight()); i < m_entry->GetSize(); ++i) {
      if (FormTop(i) >= y + ViewHeight()) break;
      if (FormTop(i) + FormHeight() <= y) continue;
      CPersetCookieForm* form = Detail()->FindCookieForm(i);
      EXPECT_NE(form, nullptr) << "no form at " << i << ", scrolled to " << y;
      if (!form) continue;
      EXPECT_TRUE(form->IsWindowVisible()) << i;
      EXPECT_EQ(form->GetWidget()->geometry().top(), FormTop(i) - y) << i;
      EXPECT_EQ(form->GetPersetCookie(), m_entry->GetVariable(i)) << i;
      EXPECT_EQ(Text(form, IDC_NAME), m_entry->GetVariable(i)->m_strName.str()) << i;
      shown.push_back(i);
    }
    EXPECT_LE(Detail()->GetLiveFormCount(), kMostForms);
    return shown;
  }

  /** Tree children and the entry's variables agree, and each lookup finds its child. */
  void ExpectTreeInStepWithEntry() const {
    int i = 0;
    for (HTREEITEM h = TreeCtrl().GetChildItem(m_site); h; h = TreeCtrl().GetNextSiblingItem(h)) {
      ASSERT_LT(i, m_entry->GetSize());
      ASSERT_EQ(Data<PersetCookie>(h), m_entry->GetVariable(i)) << i;
      ASSERT_EQ(VariableItem(i), h) << i;
      ++i;
    }
    EXPECT_EQ(i, m_entry->GetSize());
  }

  void ActivateWindow() const {
    QWidget* window = Frame()->GetWidget();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  }

  SiteCache* m_entry = nullptr;
  HTREEITEM m_site = nullptr;
};

TEST_F(DetailLargeEntry, ScrollsEndToEndWithOnlyTheFormsInSightMade) {
  ASSERT_EQ(Detail()->GetCookieFormCount(), kCount);
  EXPECT_EQ(Detail()->GetTotalSize(),
            CSize(Detail()->GetCacheFormSize().cx, FormTop(kCount)));  // the whole stack
  std::vector<bool> seen(kCount, false);
  int pages = 0;
  for (;;) {
    for (int i : CheckFormsInSight()) seen[i] = true;
    if (Bar()->value() == Bar()->maximum()) break;
    Bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);  // a click below the bar's handle
    ++pages;
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), kCount);
  EXPECT_GT(pages, kCount / 10);
  EXPECT_EQ(FormTop(kCount) - ScrollY(), ViewHeight());  // the last form ends at the bottom

  Bar()->setValue(0);  // dragged back to the top
  EXPECT_EQ(CheckFormsInSight().front(), 0);
  EXPECT_EQ(Detail()->GetCacheForm()->GetWidget()->geometry().top(), 0);
}

TEST_F(DetailLargeEntry, EditsSurviveTheirFormScrollingAwayAndAreCommitted) {
  struct Edit {
    const char* what;
    int index;
    std::function<void(CPersetCookieForm*)> make;
    std::function<void(CPersetCookieForm*, const PersetCookie&)> check;  // form shown again
  };
  afx::SetModalHook([](CDialog& dlg) {
    for (auto [id, text] : {std::pair{IDC_YEAR, "2031"},
                            {IDC_MONTH, "2"},
                            {IDC_DAY, "3"},
                            {IDC_HOUR, "4"},
                            {IDC_MINUTE, "5"},
                            {IDC_SECOND, "6"}})
      dlg.SetDlgItemText(id, text);
    static_cast<CButton*>(dlg.GetDlgItem(IDOK))->Click();
  });
  auto type = [](CPersetCookieForm* form, int id, const char* text) {
    QWidget* edit = Control(form, id);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
  };
  const Edit edits[] = {
      {"value typed", 9990, [&](CPersetCookieForm* f) { type(f, IDC_VALUE, "typed%20value"); },
       [](CPersetCookieForm* f, const PersetCookie& v) {
         EXPECT_EQ(Text(f, IDC_VALUE), "typed%20value");
         EXPECT_EQ(v.m_strValue, "typed%20value");
       }},
      {"name typed", 5000, [&](CPersetCookieForm* f) { type(f, IDC_NAME, "renamed"); },
       [this](CPersetCookieForm* f, const PersetCookie& v) {
         EXPECT_EQ(Text(f, IDC_NAME), "renamed");
         EXPECT_EQ(TreeCtrl().GetItemText(VariableItem(5000)), "renamed");
         EXPECT_EQ(v.m_strName, "renamed");
       }},
      {"box clicked", 20,
       [](CPersetCookieForm* f) { static_cast<CButton*>(f->GetDlgItem(IDC_FLAG_SECURE))->Click(); },
       [](CPersetCookieForm* f, const PersetCookie& v) {
         EXPECT_EQ(static_cast<CButton*>(f->GetDlgItem(IDC_FLAG_SECURE))->GetCheck(), BST_CHECKED);
         EXPECT_EQ(v.m_dwFlags, 1u);
       }},
      {"date through its dialog", 9997,
       [](CPersetCookieForm* f) { f->GetDlgItem(IDC_EXPIRE)->SetFocus(); },
       [](CPersetCookieForm* f, const PersetCookie& v) {
         EXPECT_EQ(Text(f, IDC_EXPIRE), "2031-02-03 04:05:06");
         EXPECT_EQ(v.m_strExpire, "2031-02-03 04:05:06");
       }},
  };
  for (const Edit& edit : edits) {
    TreeCtrl().SelectItem(VariableItem(edit.index));
    CPersetCookieForm* form = Detail()->FindCookieForm(edit.index);
    ASSERT_NE(form, nullptr) << edit.what;
    edit.make(form);
    EXPECT_EQ(m_entry->GetVariable(edit.index)->m_nState, 2) << edit.what;
  }
  afx::SetModalHook(nullptr);

  // Far away, through enough pages that the edited forms are reused for others.
  TreeCtrl().GetTreeWidget()->setFocus();
  Bar()->setValue(0);
  for (int page = 0; page < 3 * kMostForms; ++page)
    Bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  for (const Edit& edit : edits) EXPECT_EQ(Detail()->FindCookieForm(edit.index), nullptr);

  for (const Edit& edit : edits) {
    Bar()->setValue(FormTop(edit.index) - 30);
    CheckFormsInSight();
    CPersetCookieForm* form = Detail()->FindCookieForm(edit.index);
    ASSERT_NE(form, nullptr) << edit.what;
    edit.check(form, *m_entry->GetVariable(edit.index));
    EXPECT_EQ(Mark(VariableItem(edit.index)), 2) << edit.what;
    EXPECT_EQ(Mark(VariableItem(edit.index + 1)), 0) << edit.what;
  }
  EXPECT_EQ(Mark(m_site), 2);

  TreeCtrl().SelectItem(m_site);
  Command(ID_COMMIT);
  EXPECT_TRUE(m_boxes.empty());
  const std::vector<std::string> stored = Pairs(StoredFile(kUrl));
  ASSERT_EQ(stored.size(), size_t(kCount));
  EXPECT_EQ(stored[9990], "n9990=typed%20value");
  EXPECT_EQ(stored[5000], "renamed=v5000");
  EXPECT_EQ(stored[5001], "n5001=v5001");
  // Read back: the commit re-read the entry from the store, and so does a fresh start.
  for (int run = 0; run < 2; ++run) {
    if (run == 1) {
      Stop();
      Start();
      Find();
      ASSERT_NE(m_entry, nullptr);
    }
    ASSERT_EQ(m_entry->GetSize(), kCount);
    EXPECT_EQ(m_entry->GetVariable(20)->m_dwFlags, 1u) << run;
    EXPECT_EQ(m_entry->GetVariable(9997)->m_strExpire, "2031-02-03 04:05:06") << run;
    EXPECT_EQ(m_entry->GetVariable(9990)->m_strValue, "typed%20value") << run;
    EXPECT_EQ(Mark(VariableItem(9990)), 0) << run;
    EXPECT_EQ(Mark(m_site), 0) << run;
  }
}

TEST_F(DetailLargeEntry, SelectingADeepVariableScrollsToItAndTabFollowsTheStack) {
  ActivateWindow();
  QWidget* tree = TreeCtrl().GetTreeWidget();
  tree->setFocus(Qt::MouseFocusReason);
  TreeCtrl().SelectItem(VariableItem(9000));
  EXPECT_EQ(ScrollY(), FormTop(9000));
  CPersetCookieForm* form = Detail()->FindCookieForm(9000);
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->GetWidget()->geometry().top(), 0);
  EXPECT_EQ(QApplication::focusWidget(), tree);  // selecting never moves the focus into a form
  CheckFormsInSight();

  struct Step {
    const char* what;
    int fromIndex, fromId;
    Qt::Key key;
    int toIndex, toId;
  };
  const Step steps[] = {
      {"Tab off a form's last box", 9000, IDC_FLAG_P3P, Qt::Key_Tab, 9001, IDC_DOMAIN},
      {"Shift+Tab back", 9001, IDC_DOMAIN, Qt::Key_Backtab, 9000, IDC_FLAG_P3P},
      {"Shift+Tab off a form's first field", 9000, IDC_DOMAIN, Qt::Key_Backtab, 8999, IDC_FLAG_P3P},
      {"Tab within a form", 9000, IDC_DOMAIN, Qt::Key_Tab, 9000, IDC_NAME},
  };
  for (const Step& step : steps) {
    TreeCtrl().SelectItem(VariableItem(9000));
    CPersetCookieForm* from = Detail()->FindCookieForm(step.fromIndex);
    ASSERT_NE(from, nullptr) << step.what;
    Control(from, step.fromId)->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(QApplication::focusWidget(), step.key);
    CPersetCookieForm* to = Detail()->FindCookieForm(step.toIndex);
    ASSERT_NE(to, nullptr) << step.what;
    EXPECT_EQ(QApplication::focusWidget(), Control(to, step.toId)) << step.what;
    const int top = FormTop(step.toIndex) - ScrollY();
    EXPECT_TRUE(top < ViewHeight() && top + FormHeight() > 0) << step.what;  // brought into view
  }

  // The focused form stays while the pane scrolls far away, and Tab comes back to the stack.
  Control(form, IDC_FLAG_P3P)->setFocus(Qt::MouseFocusReason);
  Bar()->setValue(0);
  for (int page = 0; page < 3 * kMostForms; ++page)
    Bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
  ASSERT_EQ(Detail()->FindCookieForm(9000), form);
  EXPECT_EQ(form->GetPersetCookie(), m_entry->GetVariable(9000));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_NE(Detail()->FindCookieForm(9001), nullptr);
  QWidget* domain = Control(Detail()->FindCookieForm(9001), IDC_DOMAIN);
  EXPECT_EQ(QApplication::focusWidget(), domain);
  const int top = domain->mapTo(Detail()->GetClientWidget(), QPoint(0, 0)).y();
  EXPECT_TRUE(top >= 0 && top + domain->height() <= ViewHeight()) << top;  // back in view
  CheckFormsInSight();

  // Shift+Tab from the window's first control wraps to the end of the stack, as it always did
  // (the pane is not on that key's way, so it stays where it is until the next Shift+Tab).
  const int scrolled = ScrollY();
  tree->setFocus(Qt::MouseFocusReason);
  QTest::keyClick(tree, Qt::Key_Backtab);
  ASSERT_NE(Detail()->FindCookieForm(kCount - 1), nullptr);
  EXPECT_EQ(QApplication::focusWidget(),
            Control(Detail()->FindCookieForm(kCount - 1), IDC_FLAG_P3P));
  EXPECT_EQ(ScrollY(), scrolled);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  QWidget* secure = Control(Detail()->FindCookieForm(kCount - 1), IDC_FLAG_SECURE);
  EXPECT_EQ(QApplication::focusWidget(), secure);
  const int secureTop = secure->mapTo(Detail()->GetClientWidget(), QPoint(0, 0)).y();
  EXPECT_TRUE(secureTop >= 0 && secureTop + secure->height() <= ViewHeight()) << secureTop;
  CheckFormsInSight();
}

// A dialog opened from a form keeps the form on its variable, however the pane moves meanwhile.
TEST_F(DetailLargeEntry, ADialogsFormKeepsItsVariableWhileThePaneScrolls) {
  struct Case {
    const char* what;
    int index;
    int trigger;  // a time field to focus, or a button to click
    std::function<void(CDialog&)> answer;
    std::function<bool(const PersetCookie&)> stored;
  };
  const Case cases[] = {
      {"date", 7000, IDC_LAST_MODIFY,
       [](CDialog& dlg) {
         dlg.SetDlgItemText(IDC_YEAR, "2032");
         static_cast<CButton*>(dlg.GetDlgItem(IDOK))->Click();
       },
       [](const PersetCookie& v) { return v.m_strLastModify.str().substr(0, 4) == "2032"; }},
      {"encoded value", 7100, IDC_EDIT_VALUE,
       [](CDialog& dlg) {
         dlg.GetDlgItem(IDC_ENCODED_TEXT)->SetWindowText("fresh");
         dlg.OnOK();
       },
       [](const PersetCookie& v) { return v.m_strValue == "fresh"; }},
  };
  for (const Case& c : cases) {
    TreeCtrl().SelectItem(VariableItem(c.index));
    CPersetCookieForm* form = Detail()->FindCookieForm(c.index);
    ASSERT_NE(form, nullptr) << c.what;
    afx::SetModalHook([&](CDialog& dlg) {
      Bar()->setValue(0);
      for (int page = 0; page < 3 * kMostForms; ++page)
        Bar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
      c.answer(dlg);
    });
    if (c.trigger == IDC_LAST_MODIFY)
      form->GetDlgItem(c.trigger)->SetFocus();
    else
      QTest::mouseClick(Control(form, c.trigger), Qt::LeftButton);
    afx::SetModalHook(nullptr);
    EXPECT_TRUE(c.stored(*m_entry->GetVariable(c.index))) << c.what;
    EXPECT_EQ(form->GetPersetCookie(), m_entry->GetVariable(c.index)) << c.what;
    int modified = 0;
    for (int i = 0; i < kCount; ++i) modified += m_entry->GetVariable(i)->m_nState == 2;
    EXPECT_EQ(modified, &c - cases + 1) << c.what;
  }
}

TEST_F(DetailLargeEntry, DeletingAndCopyingVariablesKeepTreeAndFormsInStep) {
  TreeCtrl().SelectItem(VariableItem(5000));
  PersetCookie* next = m_entry->GetVariable(5001);
  ContextCommand(ID_DELETE_ITEM);  // the menu bar offers delete on sites only
  ASSERT_EQ(m_entry->GetSize(), kCount - 1);
  EXPECT_EQ(Data<PersetCookie>(TreeCtrl().GetSelectedItem()), next);
  EXPECT_EQ(m_entry->GetVariable(5000), next);
  ExpectTreeInStepWithEntry();
  EXPECT_EQ(Detail()->GetCookieFormCount(), kCount - 1);
  Bar()->setValue(FormTop(5000));
  CheckFormsInSight();
  // The form now at 5000 edits the variable that moved up, and renames its item.
  CPersetCookieForm* form = Detail()->FindCookieForm(5000);
  ASSERT_NE(form, nullptr);
  QTest::keyClicks(Control(form, IDC_NAME), "x");
  EXPECT_EQ(TreeCtrl().GetItemText(VariableItem(5000)), "xn5001");

  TreeCtrl().SelectItem(VariableItem(100));
  Command(ID_COPY_ADD_VARIABLE);
  ASSERT_EQ(m_entry->GetSize(), kCount);
  PersetCookie* copy = m_entry->GetVariable(101);
  EXPECT_EQ(copy->m_strName, "n100");
  EXPECT_EQ(Data<PersetCookie>(TreeCtrl().GetSelectedItem()), copy);
  EXPECT_EQ(ScrollY(), FormTop(101));
  ASSERT_NE(Detail()->FindCookieForm(101), nullptr);
  EXPECT_EQ(Detail()->FindCookieForm(101)->GetPersetCookie(), copy);
  ExpectTreeInStepWithEntry();
  CheckFormsInSight();
}

}  // namespace
}  // namespace tolvane::test
