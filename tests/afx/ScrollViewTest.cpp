// The scroll view over content taller than any widget can be, its notice of every scroll, and
// windows placed behind a sibling, which follow it in Z order and in the tab order.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "AfxTestSupport.h"

using namespace afxtest;

namespace {

class CCountingScrollView : public CScrollView {
  DECLARE_DYNCREATE(CCountingScrollView)
 public:
  void OnDraw(CDC*) override {}
  void OnScrolled() override { ++scrolled; }
  int scrolled = 0;
};
IMPLEMENT_DYNCREATE(CCountingScrollView, CScrollView)

class ScrollView : public ::testing::Test {
 protected:
  void SetUp() override {
    view = new CCountingScrollView;
    ASSERT_TRUE(view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 300, 200), nullptr,
                             AFX_IDW_PANE_FIRST));
    view->ShowWindow(SW_SHOW);
  }
  void TearDown() override {
    forms.clear();
    view->DestroyWindow();  // the view deletes itself
  }
  CDialog& AddForm() {
    forms.push_back(std::make_unique<CDialog>(kDialogForm, nullptr));
    EXPECT_TRUE(forms.back()->Create(kDialogForm, view));
    forms.back()->ShowWindow(SW_SHOW);
    return *forms.back();
  }
  int ClientHeight() const {
    CRect client;
    view->GetClientRect(&client);
    return client.Height();
  }
  static int Top(const CWnd& wnd) { return wnd.GetWidget()->geometry().top(); }
  static QWidget* Control(const CDialog& form, int id) { return form.GetDlgItem(id)->GetWidget(); }
  // The control Tab moves to from w: the next tab stop in the window's chain.
  static QWidget* NextTabStop(QWidget* w) {
    for (QWidget* next = w->nextInFocusChain(); next != w; next = next->nextInFocusChain()) {
      if (next->focusPolicy() & Qt::TabFocus) return next;
    }
    return nullptr;
  }

  CCountingScrollView* view = nullptr;
  std::vector<std::unique_ptr<CDialog>> forms;
};

TEST_F(ScrollView, ContentTallerThanTheLargestWidgetScrollsToItsEnd) {
  constexpr int kTotal = 40'000'000;  // Qt makes no widget taller than 16,777,215
  view->SetScrollSizes(MM_TEXT, CSize(250, kTotal));
  CDialog& form = AddForm();
  const int end = kTotal - ClientHeight();
  view->ScrollToPosition(CPoint(0, kTotal));
  EXPECT_EQ(view->GetScrollPosition(), CPoint(0, end));
  EXPECT_EQ(view->GetTotalSize(), CSize(250, kTotal));

  // Children sit in client coordinates: one placed at the top now moves as the view scrolls.
  form.SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  view->ScrollToPosition(CPoint(0, end - 100));
  EXPECT_EQ(Top(form), 100);
  view->ScrollToPosition(CPoint(0, 0));
  EXPECT_EQ(Top(form), end);
  EXPECT_EQ(view->GetClientWidget()->height(), ClientHeight());  // never the content's height
}

TEST_F(ScrollView, EveryMoveAndResizeIsNoticedOnce) {
  view->SetScrollSizes(MM_TEXT, CSize(250, 5000));
  struct Step {
    const char* what;
    std::function<void()> act;
    int notices;
  };
  auto* bar = qobject_cast<QAbstractScrollArea*>(view->GetWidget())->verticalScrollBar();
  const Step steps[] = {
      {"scroll to a position", [&] { view->ScrollToPosition(CPoint(0, 700)); }, 1},
      {"the same position again", [&] { view->ScrollToPosition(CPoint(0, 700)); }, 0},
      {"the bar dragged", [&] { bar->setValue(900); }, 1},
      {"a page down", [&] { bar->triggerAction(QAbstractSlider::SliderPageStepAdd); }, 1},
      {"a resize", [&] { view->GetWidget()->resize(320, 260); }, 1},
      {"a range that cuts the position", [&] { view->SetScrollSizes(MM_TEXT, CSize(250, 600)); },
       1},
  };
  for (const Step& step : steps) {
    const int before = view->scrolled;
    step.act();
    EXPECT_EQ(view->scrolled - before, step.notices) << step.what;
  }
}

TEST_F(ScrollView, TabIntoAControlOutOfSightBringsItIntoView) {
  view->SetScrollSizes(MM_TEXT, CSize(250, 5000));
  CDialog& first = AddForm();
  CDialog& far = AddForm();
  far.SetWindowPos(nullptr, 0, 3000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  QWidget* from = Control(first, kEditMulti);
  QWidget* to = Control(far, kEditName);
  ASSERT_EQ(NextTabStop(from), to);
  QWidget* window = view->GetWidget()->window();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  from->setFocus(Qt::TabFocusReason);
  ASSERT_EQ(QApplication::focusWidget(), from);
  QTest::keyClick(from, Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), to);
  const int top = to->mapTo(view->GetClientWidget(), QPoint(0, 0)).y();
  EXPECT_GE(top, 0);
  EXPECT_LE(top + to->height(), ClientHeight());
  EXPECT_GT(view->GetScrollPosition().y, 2000);
}

TEST_F(ScrollView, AWindowPlacedBehindAnotherFollowsItInTabOrder) {
  CDialog& a = AddForm();
  CDialog& b = AddForm();
  CDialog& c = AddForm();
  ASSERT_EQ(NextTabStop(Control(a, kEditMulti)), Control(b, kEditName));  // creation order
  c.SetWindowPos(&a, 0, 100, 0, 0, SWP_NOSIZE);
  EXPECT_EQ(NextTabStop(Control(a, kEditMulti)), Control(c, kEditName));
  EXPECT_EQ(NextTabStop(Control(c, kEditName)), Control(c, kEditValue));  // its own order kept
  EXPECT_EQ(NextTabStop(Control(c, kEditMulti)), Control(b, kEditName));
  EXPECT_EQ(Top(c), 100);
  // Without a Z order change nothing moves in the chain.
  b.SetWindowPos(&a, 0, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(NextTabStop(Control(a, kEditMulti)), Control(c, kEditName));
  EXPECT_EQ(Top(b), 200);
}

}  // namespace
