// Dialog units, the scroll view, the splitter and the file dialog.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QScrollArea>
#include <QSplitter>

#include "AfxTestSupport.h"

using namespace afxtest;

namespace {

TEST(DialogUnitsTest, ConversionRoundsAsWindowsDoes) {
  struct Row {
    int x, y, cx, cy;
    CSize base;
    CRect expected;
  };
  const Row rows[] = {
      {0, 0, 4, 8, CSize(6, 13), CRect(0, 0, 6, 13)},
      {277, 80, 0, 0, CSize(6, 13), CRect(416, 130, 416, 130)},  // 415.5 rounds up, 130 exact
      {2, 3, 1, 1, CSize(7, 15), CRect(4, 6, 6, 8)},             // 3.5 -> 4, 5.625 -> 6
      {1, 1, 1, 1, CSize(5, 12), CRect(1, 2, 2, 4)},             // 1.25 -> 1, 1.5 -> 2
  };
  for (const Row& r : rows) {
    EXPECT_EQ(afx::DialogUnitsToPixels(r.x, r.y, r.cx, r.cy, r.base), r.expected)
        << r.x << "," << r.y;
  }
}

TEST(DialogUnitsTest, JapaneseWindowsFaceMapsToAnInstalledCjkFace) {
  const QFont font = afx::DialogFont("ＭＳ Ｐゴシック", 10);
  EXPECT_EQ(font.pixelSize(), 13);
  EXPECT_EQ(afx::DialogFont("ＭＳ Ｐゴシック", 9).pixelSize(), 12);
  EXPECT_TRUE(QFontInfo(font).family().contains(QStringLiteral("CJK")) ||
              QFontInfo(font).family().contains(QStringLiteral("Gothic")))
      << QFontInfo(font).family().toStdString();
  const CSize base = afx::DialogBaseUnits(font);
  EXPECT_GT(base.cx, 3);
  EXPECT_GE(base.cy, 13);
}

TEST(DialogUnitsTest, ControlsArePlacedFromTheTemplateFont) {
  CWnd host;
  ASSERT_TRUE(host.Create(nullptr, "", 0, CRect(0, 0, 600, 400), nullptr, 0));
  CDialog form(kDialogForm, &host);
  ASSERT_TRUE(form.Create(kDialogForm, &host));
  const afx::DialogTemplate* tmpl = afx::FindDialog(kDialogForm);
  const CSize base = afx::DialogBaseUnits(afx::DialogFont(tmpl->font, tmpl->pointSize));
  CRect client;
  form.GetClientRect(&client);
  EXPECT_EQ(client, afx::DialogUnitsToPixels(0, 0, tmpl->cx, tmpl->cy, base));
  const QRect edit = form.GetDlgItem(kEditValue)->GetWidget()->geometry();
  const CRect expected = afx::DialogUnitsToPixels(40, 16, 150, 12, base);
  EXPECT_EQ(CRect(edit.left(), edit.top(), edit.left() + edit.width(), edit.top() + edit.height()),
            expected);
}

class CTestScrollView : public CScrollView {
  DECLARE_DYNCREATE(CTestScrollView)
 public:
  void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNCREATE(CTestScrollView, CScrollView)

TEST(ScrollViewTest, ChildrenScrollWithTheContentAndPositionsClamp) {
  auto* view = new CTestScrollView;
  ASSERT_TRUE(view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(0, 0, 300, 200), nullptr,
                           AFX_IDW_PANE_FIRST));
  view->ShowWindow(SW_SHOW);
  CDialog form(kDialogForm, nullptr);
  ASSERT_TRUE(form.Create(kDialogForm, view));
  form.SetWindowPos(nullptr, 0, 150, 0, 0,
                    SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  EXPECT_TRUE(form.IsWindowVisible());
  view->SetScrollSizes(MM_TEXT, CSize(250, 600));
  CRect client;
  view->GetClientRect(&client);
  view->ScrollToPosition(CPoint(0, 150));
  EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 150));
  CRect formRect;
  form.GetWindowRect(&formRect);
  CPoint clientTop(0, 0);
  view->ClientToScreen(&clientTop);
  EXPECT_EQ(formRect.top, clientTop.y);  // the form at logical y 150 is now at the top
  view->ScrollToPosition(CPoint(0, 5000));
  EXPECT_EQ(view->GetScrollPosition().y, 600 - client.Height());
  view->SetScrollSizes(MM_TEXT, CSize(250, 100));
  view->ScrollToPosition(CPoint(0, 50));
  EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 0));
  form.DestroyWindow();
  view->DestroyWindow();
}

class CTestPaneView : public CView {
  DECLARE_DYNCREATE(CTestPaneView)
 public:
  void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNCREATE(CTestPaneView, CView)

TEST(SplitterTest, StaticColumnsTakeTheirIdealWidths) {
  CWnd host;
  ASSERT_TRUE(host.Create(nullptr, "", 0, CRect(0, 0, 600, 300), nullptr, 0));
  CSplitterWnd splitter;
  EXPECT_FALSE(splitter.CreateStatic(&host, 2, 2));
  ASSERT_TRUE(splitter.CreateStatic(&host, 1, 2));
  ASSERT_TRUE(splitter.CreateView(0, 0, RUNTIME_CLASS(CTestPaneView), CSize(100, 100), nullptr));
  ASSERT_TRUE(splitter.CreateView(0, 1, RUNTIME_CLASS(CTestPaneView), CSize(100, 100), nullptr));
  EXPECT_EQ(splitter.GetPane(0, 0)->GetDlgCtrlID(), splitter.IdFromRowCol(0, 0));
  EXPECT_NE(splitter.GetPane(0, 0), splitter.GetPane(0, 1));
  splitter.MoveWindow(0, 0, 600, 300);
  splitter.SetColumnInfo(0, 4, 0);
  splitter.RecalcLayout();
  int cur = 0, min = 0;
  splitter.GetColumnInfo(0, cur, min);
  EXPECT_EQ(cur, 4);
  splitter.SetColumnInfo(0, 250, 0);
  splitter.RecalcLayout();
  splitter.GetColumnInfo(0, cur, min);
  EXPECT_EQ(cur, 250);
  EXPECT_GT(GetSystemMetrics(SM_CXVSCROLL), 0);
  splitter.DestroyWindow();
}

TEST(FileDialogTest, HookAnswersAndTheDefaultExtensionIsAdded) {
  afx::FileDialogRequest seen{};
  afx::SetFileDialogHook([&](const afx::FileDialogRequest& r) -> std::optional<CString> {
    seen = r;
    return CString("/tmp/out/export");
  });
  CFileDialog dlg(FALSE, "txt", nullptr, 0x00A9A80Eu,
                  afx::Cp932("ﾃｷｽﾄﾌｧｲﾙ (*.TXT)|*.txt|全て(*.*)|*.*||"));
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_FALSE(seen.open);
  EXPECT_EQ(seen.flags, 0x00A9A80Eu);
  EXPECT_EQ(seen.defaultExt, "txt");
  EXPECT_EQ(dlg.GetPathName(), "/tmp/out/export.txt");
  EXPECT_EQ(dlg.GetFileSystemPath(), "/tmp/out/export.txt");
  afx::SetFileDialogHook([](const afx::FileDialogRequest&) { return std::optional<CString>(); });
  CFileDialog cancelled(FALSE, "txt");
  EXPECT_EQ(cancelled.DoModal(), IDCANCEL);
  afx::ResetHooks();
}

}  // namespace
