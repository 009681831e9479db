#include "app/MainFrame.h"

#include "app/TolvaneApp.h"
#include "detail/TolvaneView.h"
#include "res/ResourceIds.h"
#include "tree/LeftView.h"

namespace {

const UINT kIndicators[] = {
    ID_SEPARATOR,  // message pane
    ID_SEPARATOR,  // time mode
    ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL,
};

const char kGmtText[] = "ｸﾞﾘﾆｯｼﾞ標準時";
const char kLocalText[] = "ﾛｰｶﾙﾀｲﾑｿﾞｰﾝ";

}  // namespace

IMPLEMENT_DYNCREATE(CMainFrame, CFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CFrameWnd)
ON_WM_CREATE()
ON_COMMAND(ID_ABORT_RELOAD, OnAbortReload)
ON_COMMAND(ID_COMMIT, OnCommit)
ON_COMMAND(ID_DELETE_ITEM, OnDeleteItem)
ON_COMMAND(ID_COPY_ADD_VARIABLE, OnCopyAddVariable)
ON_COMMAND(ID_COPY_ADD_CACHE, OnCopyAddCache)
ON_COMMAND(ID_EXPAND_TOGGLE, OnExpandToggle)
ON_UPDATE_COMMAND_UI(ID_ABORT_RELOAD, OnUpdateSiteCommand)
ON_UPDATE_COMMAND_UI(ID_COMMIT, OnUpdateSiteCommand)
ON_UPDATE_COMMAND_UI(ID_DELETE_ITEM, OnUpdateSiteCommand)
ON_UPDATE_COMMAND_UI(ID_COPY_ADD_VARIABLE, OnUpdateCopyAddVariable)
ON_UPDATE_COMMAND_UI(ID_COPY_ADD_CACHE, OnUpdateSiteCommand)
ON_UPDATE_COMMAND_UI(ID_EXPAND_TOGGLE, OnUpdateExpandToggle)
ON_COMMAND(ID_VIEW_TOOLBAR, CFrameWnd::OnViewToolBar)
ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, CFrameWnd::OnUpdateControlBarMenu)
ON_COMMAND(ID_VIEW_STATUS_BAR, CFrameWnd::OnViewStatusBar)
ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, CFrameWnd::OnUpdateControlBarMenu)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() = default;
CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::PreCreateWindow(CREATESTRUCT& cs) { return CFrameWnd::PreCreateWindow(cs); }

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CFrameWnd::OnCreate(lpCreateStruct) == -1) return -1;

  if (!m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                             CRect(0, 0, 0, 0), AFX_IDW_TOOLBAR) ||
      !m_wndToolBar.LoadToolBar(IDR_MAINFRAME)) {
    return -1;
  }
  if (!m_wndReBar.Create(this, RBS_BANDBORDERS,
                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | CBRS_TOP,
                         AFX_IDW_REBAR) ||
      !m_wndReBar.AddBar(&m_wndToolBar, nullptr, nullptr, RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP)) {
    return -1;
  }
  if (!m_wndStatusBar.Create(this, WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, AFX_IDW_STATUS_BAR) ||
      !m_wndStatusBar.SetIndicators(kIndicators, sizeof kIndicators / sizeof kIndicators[0])) {
    return -1;
  }
  m_wndToolBar.SetBarStyle(m_wndToolBar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY);

  // The time-mode pane is as wide as the GMT text; the local-time text shares that width.
  CRect rect(0, 0, 0, 0);
  CDC* dc = m_wndStatusBar.GetDC();
  if (dc == nullptr) return -1;
  dc->DrawText(afx::Cp932(kGmtText), &rect, DT_CALCRECT);
  m_wndStatusBar.ReleaseDC(dc);
  m_wndStatusBar.SetPaneInfo(1, 0, SBPS_POPOUT, rect.right - rect.left);
  return 0;
}

BOOL CMainFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
  if (!m_wndSplitter.CreateStatic(this, 1, 2, WS_CHILD | WS_VISIBLE, AFX_IDW_PANE_FIRST)) {
    return FALSE;
  }
  if (!m_wndSplitter.CreateView(0, 0, RUNTIME_CLASS(CLeftView), CSize(100, 100), pContext) ||
      !m_wndSplitter.CreateView(0, 1, RUNTIME_CLASS(CTolvaneView), CSize(100, 100), pContext)) {
    m_wndSplitter.DestroyWindow();
    return FALSE;
  }
  return TRUE;
}

void CMainFrame::FitTreeColumn(int formWidth) {
  CRect rect;
  GetWindowRect(&rect);
  int width = rect.right - rect.left - 2 * GetSystemMetrics(SM_CXVSCROLL) - 4 - formWidth;
  if (width <= 4) width = 4;
  m_wndSplitter.SetColumnInfo(0, width, 0);
  m_wndSplitter.RecalcLayout();
}

void CMainFrame::ShowTimeMode(BOOL gmt) {
  m_wndStatusBar.SetPaneText(1, afx::Cp932(gmt ? kGmtText : kLocalText), TRUE);
}

CLeftView* CMainFrame::GetTreePane() const {
  return dynamic_cast<CLeftView*>(m_wndSplitter.GetPane(0, 0));
}

int CMainFrame::SelectionKind() const {
  CLeftView* tree = GetTreePane();
  return tree ? tree->ClassifyItem(nullptr, nullptr, nullptr, nullptr, nullptr) : 0;
}

void CMainFrame::OnAbortReload() {
  if (CLeftView* tree = GetTreePane()) tree->OnAbortReload();
}

void CMainFrame::OnCommit() {
  if (CLeftView* tree = GetTreePane()) tree->OnCommit();
}

void CMainFrame::OnDeleteItem() {
  if (CLeftView* tree = GetTreePane()) tree->OnDeleteItem();
}

void CMainFrame::OnCopyAddVariable() {
  if (CLeftView* tree = GetTreePane()) tree->OnCopyAddVariable();
}

void CMainFrame::OnCopyAddCache() {
  if (CLeftView* tree = GetTreePane()) tree->OnCopyAddCache();
}

void CMainFrame::OnExpandToggle() {
  if (CLeftView* tree = GetTreePane()) tree->ToggleExpandAll();
}

void CMainFrame::OnUpdateSiteCommand(CCmdUI* pCmdUI) {
  pCmdUI->Enable(SelectionKind() == CLeftView::kSiteItem);
}

void CMainFrame::OnUpdateCopyAddVariable(CCmdUI* pCmdUI) {
  const int kind = SelectionKind();
  pCmdUI->Enable(kind == CLeftView::kSiteItem || kind == CLeftView::kVariableItem);
}

void CMainFrame::OnUpdateExpandToggle(CCmdUI* pCmdUI) {
  pCmdUI->Enable(TRUE);
  const CTolvaneApp* app = TolvaneApp();
  pCmdUI->SetCheck(app != nullptr && app->m_bTreeExpanded ? 1 : 0);
}
