// Start-up: the window the program opens with, its bars, its first selection and its settings.
#include <QAction>
#include <QLabel>
#include <QMainWindow>

#include "UiFixture.h"
#include "res/ResourceIds.h"

namespace tolvane::test {
namespace {

class AppStartTest : public UiFixture {
 protected:
  // Stored out of site order, so the start-up sort shows.
  void FillStore() override {
    AddSite("c.example.com/", CookieRecord("delta", "4", "c.example.com/"));
    AddSite("a.example.com/", CookieRecord("alpha", "1", "a.example.com/") +
                                  CookieRecord("beta", "2", "a.example.com/"));
    AddSite("b.example.com/", CookieRecord("gamma", "3", "b.example.com/"));
  }

  std::vector<std::string> RootTexts() const {
    std::vector<std::string> texts;
    for (HTREEITEM item = TreeCtrl().GetRootItem(); item != nullptr;
         item = TreeCtrl().GetNextSiblingItem(item)) {
      texts.push_back(Utf8(TreeCtrl().GetItemText(item).str()));
    }
    return texts;
  }
};

TEST_F(AppStartTest, WindowIsShownWithTheCatalogueSortedBySiteAndTheFirstSiteSelected) {
  ASSERT_NE(Frame(), nullptr);
  EXPECT_TRUE(Frame()->IsWindowVisible());
  ASSERT_NE(Tree(), nullptr);
  ASSERT_NE(Detail(), nullptr);
  EXPECT_EQ(Doc()->GetTreeView(), Tree());
  EXPECT_EQ(Doc()->GetDetailView(), Detail());

  EXPECT_EQ(RootTexts(),
            (std::vector<std::string>{"a.example.com/", "b.example.com/", "c.example.com/"}));
  const HTREEITEM first = TreeCtrl().GetRootItem();
  EXPECT_EQ(TreeCtrl().GetSelectedItem(), first);
  EXPECT_EQ(Detail()->GetShownCache(), Catalogue()->GetEntry(0));
  EXPECT_TRUE(m_boxes.empty());

  // The detail view's first showing came after the frame was laid out: it sized the tree column
  // for its form and put the time mode into the status bar.
  CRect frame;
  Frame()->GetWindowRect(&frame);
  int current = 0, minimum = -1;
  Frame()->GetSplitter().GetColumnInfo(0, current, minimum);
  const int expected =
      frame.Width() - 2 * GetSystemMetrics(SM_CXVSCROLL) - 4 - Detail()->GetCacheFormSize().cx;
  // Showing the window lays the frame out once more, which may move the bar by a few pixels.
  EXPECT_NEAR(current, std::max(expected, Tree()->GetWidget()->minimumSizeHint().width()), 8);
  EXPECT_EQ(Utf8(Frame()->GetStatusBar().GetPaneText(1).str()), "ｸﾞﾘﾆｯｼﾞ標準時");
}

TEST_F(AppStartTest, CaptionIsTheCookieFolderThenTheProgramName) {
  const std::string folder = Catalogue()->m_strCookieFolder.str();
  EXPECT_EQ(Doc()->GetTitle().str(), folder);
  EXPECT_EQ(Frame()->GetMainWindow()->windowTitle().toStdString(), folder + " - Tolvane");
}

TEST_F(AppStartTest, StatusBarHasSixPanesWithTheTimeModeInAFixedPopOutPane) {
  CStatusBar& bar = Frame()->GetStatusBar();
  ASSERT_EQ(bar.GetCount(), 6);
  const UINT ids[] = {ID_SEPARATOR,     0u, ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                      ID_INDICATOR_SCRL};
  for (int i = 0; i < 6; ++i) {
    UINT id = 99, style = 0;
    int width = 0;
    bar.GetPaneInfo(i, id, style, width);
    EXPECT_EQ(id, ids[i]) << i;
  }
  UINT id = 0, style = 0;
  int width = 0;
  bar.GetPaneInfo(1, id, style, width);
  EXPECT_TRUE(style & SBPS_POPOUT);
  CDC* dc = bar.GetDC();
  CRect rect;
  dc->DrawText(afx::Cp932("ｸﾞﾘﾆｯｼﾞ標準時"), &rect, DT_CALCRECT);
  bar.ReleaseDC(dc);
  EXPECT_EQ(width, rect.Width());
  EXPECT_GT(width, 0);
  EXPECT_EQ(Utf8(bar.GetPaneText(1).str()), "ｸﾞﾘﾆｯｼﾞ標準時");
}

TEST_F(AppStartTest, TimeModeTextChangesButThePaneKeepsItsWidth) {
  CStatusBar& bar = Frame()->GetStatusBar();
  UINT id = 0, style = 0;
  int before = 0, after = 0;
  bar.GetPaneInfo(1, id, style, before);
  App()->ShowTimeMode(FALSE);
  EXPECT_EQ(Utf8(bar.GetPaneText(1).str()), "ﾛｰｶﾙﾀｲﾑｿﾞｰﾝ");
  bar.GetPaneInfo(1, id, style, after);
  EXPECT_EQ(after, before);
  App()->ShowTimeMode(TRUE);
  EXPECT_EQ(Utf8(bar.GetPaneText(1).str()), "ｸﾞﾘﾆｯｼﾞ標準時");
}

TEST_F(AppStartTest, ToolBarSitsInOneRebarBandWithTipsAndPrompts) {
  EXPECT_EQ(Frame()->GetReBar().GetBandCount(), 1);
  CToolBar& bar = Frame()->GetToolBar();
  EXPECT_EQ(bar.GetBarStyle() & (CBRS_TOOLTIPS | CBRS_FLYBY), DWORD(CBRS_TOOLTIPS | CBRS_FLYBY));
  const std::vector<UINT> order = {57600, 57603, 57604, 0, 32771, 32772, 32773, 32775, 32779,
                                   0,     32778, 32781, 0, 32776, 32777, 0,     57664};
  ASSERT_EQ(bar.GetCount(), int(order.size()));
  for (int i = 0; i < bar.GetCount(); ++i) EXPECT_EQ(bar.GetItemID(i), order[size_t(i)]) << i;
}

TEST_F(AppStartTest, SplitterHoldsTheTreeLeftAndTheDetailRight) {
  CSplitterWnd& splitter = Frame()->GetSplitter();
  EXPECT_EQ(splitter.GetRowCount(), 1);
  EXPECT_EQ(splitter.GetColumnCount(), 2);
  EXPECT_TRUE(splitter.GetPane(0, 0)->IsKindOf(RUNTIME_CLASS(CLeftView)));
  EXPECT_TRUE(splitter.GetPane(0, 1)->IsKindOf(RUNTIME_CLASS(CTolvaneView)));
}

TEST_F(AppStartTest, TreeColumnLeavesTheFormItsWidthAndNeverGoesBelowFourPixels) {
  CRect frame;
  Frame()->GetWindowRect(&frame);
  const int form = 300;
  const int expected = frame.Width() - 2 * GetSystemMetrics(SM_CXVSCROLL) - 4 - form;
  ASSERT_GT(expected, 4);
  int current = 0, minimum = -1;
  Frame()->FitTreeColumn(form);
  Frame()->GetSplitter().GetColumnInfo(0, current, minimum);
  EXPECT_EQ(minimum, 0);
  EXPECT_EQ(current, expected);

  // Narrower than the form: the ideal width stops at 4 pixels.
  for (int extra : {0, 1, 1000}) {
    Frame()->FitTreeColumn(frame.Width() + extra);
    Frame()->GetSplitter().GetColumnInfo(0, current, minimum);
    EXPECT_EQ(current, 4) << extra;
  }
}

TEST_F(AppStartTest, SettingsStartFromTheirInitialValuesOnEveryRun) {
  for (int run = 0; run < 2; ++run) {
    CTolvaneApp* app = App();
    EXPECT_EQ(app->m_chEncoding, ' ');
    EXPECT_TRUE(app->m_bTreeExpanded);
    EXPECT_EQ(app->m_nLastSortKey, 0);
    EXPECT_EQ(app->m_nLastSortOrder, 0);
    EXPECT_TRUE(app->m_strLastFind.IsEmpty());
    EXPECT_EQ(app->m_nFindTargets, 3);
    EXPECT_FALSE(app->m_bLastFromNext);
    EXPECT_EQ(g_bGmtMode, 1);
    // Change everything, then start again.
    app->m_chEncoding = 'U';
    app->m_bTreeExpanded = FALSE;
    app->m_nLastSortKey = 4;
    app->m_nLastSortOrder = 1;
    app->m_strLastFind = "x";
    app->m_nFindTargets = 4;
    app->m_bLastFromNext = TRUE;
    Stop();
    Start();
  }
}

TEST_F(AppStartTest, AboutBoxOpensAndClosesWithOk) {
  std::string caption;
  afx::SetModalHook([&caption](CDialog& dialog) {
    CString text;
    dialog.GetWindowText(text);
    caption = Utf8(text.str());
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(dialog.IsEnded());
    EXPECT_EQ(dialog.GetEndResult(), IDOK);
  });
  EXPECT_TRUE(Run(ID_APP_ABOUT));
  EXPECT_EQ(caption, "Tolvaneのﾊﾞｰｼﾞｮﾝ情報");
}

}  // namespace
}  // namespace tolvane::test
