// Commands: routing order, enabling, accelerators, and keys inside forms.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include "AfxTestSupport.h"

using namespace afxtest;

namespace {

std::vector<std::string> g_log;
int g_saveQuestions = 0;  // outlives the document, which closing deletes

class CRouteDoc : public CDocument {
  DECLARE_DYNCREATE(CRouteDoc)
 public:
  BOOL saveAnswer = TRUE;
  BOOL SaveModified() override {
    ++g_saveQuestions;
    return saveAnswer;
  }

 protected:
  void OnDocOnly() { g_log.push_back("doc"); }
  void OnEverywhere() { g_log.push_back("doc:all"); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CRouteDoc, CDocument)
BEGIN_MESSAGE_MAP(CRouteDoc, CDocument)
ON_COMMAND(kCmdDocOnly, OnDocOnly)
ON_COMMAND(kCmdEverywhere, OnEverywhere)
END_MESSAGE_MAP()

class CRouteView : public CView {
  DECLARE_DYNCREATE(CRouteView)
 public:
  void OnDraw(CDC*) override {}
  void OnInitialUpdate() override {
    CView::OnInitialUpdate();
    m_form.Create(kDialogForm, this);
    m_form.ShowWindow(SW_SHOW);
  }
  CDialog m_form{kDialogForm, nullptr};

 protected:
  void OnViewOnly() { g_log.push_back("view"); }
  void OnEverywhere() { g_log.push_back("view:all"); }
  void OnDisabled() { g_log.push_back("disabled ran"); }
  void OnUpdateDisabled(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CRouteView, CView)
BEGIN_MESSAGE_MAP(CRouteView, CView)
ON_COMMAND(kCmdViewOnly, OnViewOnly)
ON_COMMAND(kCmdEverywhere, OnEverywhere)
ON_COMMAND(kCmdDisabled, OnDisabled)
ON_UPDATE_COMMAND_UI(kCmdDisabled, OnUpdateDisabled)
END_MESSAGE_MAP()

class CRouteFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CRouteFrame)
 public:
  CToolBar m_wndToolBar;
  CReBar m_wndReBar;
  CStatusBar m_wndStatusBar;

 protected:
  int OnCreate(LPCREATESTRUCT lpcs) {
    if (CFrameWnd::OnCreate(lpcs) == -1) return -1;
    static const UINT indicators[] = {ID_SEPARATOR, ID_SEPARATOR, ID_INDICATOR_KANA,
                                      ID_INDICATOR_CAPS};
    if (!m_wndToolBar.CreateEx(this) || !m_wndToolBar.LoadToolBar(kMenu)) return -1;
    if (!m_wndReBar.Create(this) || !m_wndReBar.AddBar(&m_wndToolBar)) return -1;
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(indicators, 4)) return -1;
    m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY);
    return 0;
  }
  void OnFrameOnly() { g_log.push_back("frame"); }
  void OnEverywhere() { g_log.push_back("frame:all"); }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CRouteFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(CRouteFrame, CFrameWnd)
ON_WM_CREATE()
ON_COMMAND(kCmdFrameOnly, OnFrameOnly)
ON_COMMAND(kCmdEverywhere, OnEverywhere)
END_MESSAGE_MAP()

class CommandRoutingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_log.clear();
    m_template = std::make_unique<CSingleDocTemplate>(
        kMenu, RUNTIME_CLASS(CRouteDoc), RUNTIME_CLASS(CRouteFrame), RUNTIME_CLASS(CRouteView));
    doc = static_cast<CRouteDoc*>(m_template->OpenDocumentFile(nullptr, TRUE));
    ASSERT_NE(doc, nullptr);
    POSITION pos = doc->GetFirstViewPosition();
    view = static_cast<CRouteView*>(doc->GetNextView(pos));
    frame = static_cast<CRouteFrame*>(view->GetParentFrame());
    ASSERT_NE(frame, nullptr);
  }
  void TearDown() override {
    if (AfxGetApp()->m_pMainWnd == frame) {
      doc->saveAnswer = TRUE;
      doc->OnCloseDocument();
    }
    EXPECT_EQ(AfxGetApp()->m_pMainWnd, nullptr);
  }

  std::unique_ptr<CSingleDocTemplate> m_template;
  CRouteDoc* doc = nullptr;
  CRouteView* view = nullptr;
  CRouteFrame* frame = nullptr;
};

TEST_F(CommandRoutingTest, StartUpMakesTheMainWindowWithCaptionAndActiveView) {
  EXPECT_EQ(AfxGetApp()->m_pMainWnd, frame);
  EXPECT_EQ(frame->GetActiveView(), view);
  EXPECT_EQ(view->GetDocument(), doc);
  doc->SetTitle("C:\\Cookies");
  EXPECT_EQ(frame->GetWidget()->windowTitle(), QStringLiteral("C:\\Cookies - Tolvane"));
}

TEST_F(CommandRoutingTest, ViewThenDocumentThenFrameThenApplication) {
  frame->ExecuteCommand(kCmdEverywhere);
  frame->ExecuteCommand(kCmdDocOnly);
  frame->ExecuteCommand(kCmdFrameOnly);
  EXPECT_EQ(g_log, (std::vector<std::string>{"view:all", "doc", "frame"}));
  g_log.clear();
  // Without an active view neither the view nor its document is asked.
  frame->SetActiveView(nullptr);
  frame->ExecuteCommand(kCmdEverywhere);
  EXPECT_FALSE(frame->IsCommandEnabled(kCmdDocOnly));
  EXPECT_EQ(g_log, (std::vector<std::string>{"frame:all"}));
}

TEST_F(CommandRoutingTest, ApplicationTableIsLast) {
  const int appOnly = AppCommandCount(kCmdAppOnly);
  const int everywhere = AppCommandCount(kCmdEverywhere);
  EXPECT_TRUE(frame->ExecuteCommand(kCmdAppOnly));
  frame->ExecuteCommand(kCmdEverywhere);
  EXPECT_EQ(AppCommandCount(kCmdAppOnly), appOnly + 1);
  EXPECT_EQ(AppCommandCount(kCmdEverywhere), everywhere);  // the view took it first
}

TEST_F(CommandRoutingTest, NoHandlerOrDisabledUpdateMeansDisabled) {
  frame->UpdateCommandUI();
  EXPECT_FALSE(frame->GetCommandAction(kCmdNoHandler)->isEnabled());
  EXPECT_FALSE(frame->GetCommandAction(kCmdDisabled)->isEnabled());
  EXPECT_TRUE(frame->GetCommandAction(kCmdViewOnly)->isEnabled());
  EXPECT_FALSE(frame->ExecuteCommand(kCmdDisabled));
  EXPECT_FALSE(frame->ExecuteCommand(kCmdNoHandler));
  EXPECT_TRUE(g_log.empty());
  // Menu actions carry the command id as their name and the prompt as status tip.
  EXPECT_EQ(frame->GetCommandAction(kCmdViewOnly)->objectName(), QStringLiteral("32001"));
  EXPECT_EQ(frame->GetCommandAction(kCmdViewOnly)->statusTip(), QStringLiteral("ビューのコマンド"));
  EXPECT_EQ(frame->GetCommandAction(kCmdViewOnly)->toolTip(), QStringLiteral("ビュー"));
}

TEST_F(CommandRoutingTest, AcceleratorsRecheckTheirUpdateHandler) {
  QWidget* target = view->GetWidget();
  QTest::keyClick(target, Qt::Key_R, Qt::ControlModifier);
  QTest::keyClick(target, Qt::Key_Delete);                  // handler exists, update disables it
  QTest::keyClick(target, Qt::Key_Z, Qt::ControlModifier);  // no handler anywhere
  QTest::keyClick(target, Qt::Key_Insert);
  EXPECT_EQ(g_log, (std::vector<std::string>{"view", "view:all"}));
}

TEST_F(CommandRoutingTest, KeysInsideAFormStayWithItsControl) {
  auto* edit = qobject_cast<QLineEdit*>(view->m_form.GetDlgItem(kEditName)->GetWidget());
  ASSERT_NE(edit, nullptr);
  view->m_form.SetDlgItemText(kEditName, "abc");
  edit->setCursorPosition(1);
  QTest::keyClick(edit, Qt::Key_Insert);
  QTest::keyClick(edit, Qt::Key_Delete);
  QTest::keyClick(edit, Qt::Key_R, Qt::ControlModifier);
  EXPECT_TRUE(g_log.empty());
  EXPECT_EQ(edit->text(), QStringLiteral("ac"));
}

TEST_F(CommandRoutingTest, FocusInAViewMakesItActive) {
  frame->SetActiveView(nullptr);
  QMainWindow* window = frame->GetMainWindow();
  window->show();
  window->activateWindow();
  QApplication::setActiveWindow(window);
  view->m_form.GetDlgItem(kEditValue)->SetFocus();
  if (QApplication::focusWidget() != view->m_form.GetDlgItem(kEditValue)->GetWidget())
    GTEST_SKIP() << "the platform gives no focus to this window";
  EXPECT_EQ(frame->GetActiveView(), view);
}

TEST_F(CommandRoutingTest, BarTogglesCarryCheckMarks) {
  frame->UpdateCommandUI();
  QAction* toolbar = frame->GetCommandAction(ID_VIEW_TOOLBAR);
  EXPECT_TRUE(toolbar->isChecked());
  EXPECT_TRUE(frame->ExecuteCommand(ID_VIEW_TOOLBAR));
  frame->UpdateCommandUI();
  EXPECT_FALSE(toolbar->isChecked());
  EXPECT_TRUE(frame->m_wndToolBar.GetWidget()->isHidden());
  frame->ExecuteCommand(ID_VIEW_STATUS_BAR);
  frame->UpdateCommandUI();
  EXPECT_FALSE(frame->GetCommandAction(ID_VIEW_STATUS_BAR)->isChecked());
}

TEST_F(CommandRoutingTest, ToolBarAndStatusBarFromResources) {
  auto* bar = qobject_cast<QToolBar*>(frame->m_wndToolBar.GetWidget());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(frame->m_wndToolBar.GetCount(), 3);
  EXPECT_EQ(frame->m_wndToolBar.GetItemID(1), UINT(ID_SEPARATOR));
  EXPECT_TRUE(bar->isMovable());  // the rebar band's gripper
  EXPECT_EQ(bar->widgetForAction(frame->GetCommandAction(kCmdViewOnly))->toolTip(),
            QStringLiteral("ビュー"));
  CStatusBar& status = frame->m_wndStatusBar;
  EXPECT_EQ(status.GetCount(), 4);
  EXPECT_EQ(status.GetPaneLabel(0)->text(), QStringLiteral("ﾚﾃﾞｨ"));
  status.SetPaneInfo(1, ID_SEPARATOR, SBPS_POPOUT, 80);
  status.SetPaneText(1, afx::Cp932("ｸﾞﾘﾆｯｼﾞ標準時"));
  EXPECT_EQ(status.GetPaneText(1), afx::Cp932("ｸﾞﾘﾆｯｼﾞ標準時"));
  EXPECT_EQ(status.GetPaneLabel(1)->text(), QStringLiteral("ｸﾞﾘﾆｯｼﾞ標準時"));
  status.SetPaneText(1, afx::Cp932("ﾛｰｶﾙﾀｲﾑｿﾞｰﾝ"));
  EXPECT_EQ(status.GetPaneLabel(1)->width(), status.GetPaneLabel(1)->minimumWidth());
  // A missing indicator string fails SetIndicators.
  static const UINT bad[] = {ID_SEPARATOR, ID_INDICATOR_SCRL};
  EXPECT_FALSE(status.SetIndicators(bad, 2));
}

TEST_F(CommandRoutingTest, ExitAsksTheDocumentAndNoKeepsRunning) {
  g_saveQuestions = 0;
  doc->saveAnswer = FALSE;
  frame->SendMessage(WM_CLOSE);
  EXPECT_EQ(g_saveQuestions, 1);
  EXPECT_EQ(AfxGetApp()->m_pMainWnd, frame);
  doc->saveAnswer = TRUE;
  // The exit command posts the close.
  AfxGetApp()->OnAppExit();
  EXPECT_EQ(AfxGetApp()->m_pMainWnd, frame);
  QCoreApplication::processEvents();
  EXPECT_EQ(g_saveQuestions, 2);
  EXPECT_EQ(AfxGetApp()->m_pMainWnd, nullptr);
}

}  // namespace
