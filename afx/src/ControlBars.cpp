// CControlBar, CToolBar and CReBar: the frame's bars live in the QMainWindow's tool bar area.
#include <QAction>
#include <QMainWindow>
#include <QToolBar>

#include "afx/AfxFunctions.h"
#include "afx/CFrameWnd.h"
#include "afx/CReBar.h"
#include "afx/CToolBar.h"
#include "afx/ResourceRegistry.h"
#include "afx/Text.h"

IMPLEMENT_DYNAMIC(CControlBar, CWnd)
IMPLEMENT_DYNAMIC(CToolBar, CControlBar)
IMPLEMENT_DYNAMIC(CReBar, CControlBar)

CControlBar::~CControlBar() {
  if (m_pFrame) m_pFrame->UnregisterControlBar(this);
}

void CControlBar::SetBarStyle(DWORD dwStyle) { m_dwBarStyle = dwStyle; }

BOOL CControlBar::CreateBar(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  auto* frame = dynamic_cast<CFrameWnd*>(pParentWnd);
  if (!frame || !frame->GetMainWindow()) return FALSE;
  m_pFrame = frame;
  m_dwBarStyle = dwStyle & 0xFFFFu;
  if (!CWnd::Create(nullptr, nullptr, dwStyle, CRect(), pParentWnd, nID)) return FALSE;
  frame->RegisterControlBar(this);
  return TRUE;
}

BOOL CToolBar::CreateEx(CWnd* pParentWnd, DWORD, DWORD dwStyle, CRect, UINT nID) {
  return CreateBar(pParentWnd, dwStyle, nID);
}

QWidget* CToolBar::CreateWidget(QWidget*, const CREATESTRUCT&) {
  auto* bar = new QToolBar(m_pFrame->GetMainWindow());
  bar->setMovable(false);
  bar->setFloatable(false);
  bar->setContextMenuPolicy(Qt::PreventContextMenu);
  m_pFrame->GetMainWindow()->addToolBar(Qt::TopToolBarArea, bar);
  return bar;
}

BOOL CToolBar::LoadToolBar(UINT nIDResource) {
  auto* bar = qobject_cast<QToolBar*>(m_pWidget);
  const afx::ToolBarResource* res = afx::FindToolBar(int(nIDResource));
  if (!bar || !res || !m_pFrame) return FALSE;
  bar->setIconSize(QSize(res->buttonWidth, res->buttonHeight));
  size_t image = 0;
  for (int id : res->buttons) {
    m_ids.push_back(UINT(id));
    if (id == ID_SEPARATOR) {
      bar->addSeparator();
      continue;
    }
    QAction* action = m_pFrame->EnsureCommandAction(UINT(id));
    if (image < res->images.size()) action->setIcon(QIcon(afx::ToPixmap(res->images[image++])));
    bar->addAction(action);
  }
  ApplyTips();
  return TRUE;
}

void CToolBar::SetBarStyle(DWORD dwStyle) {
  CControlBar::SetBarStyle(dwStyle);
  ApplyTips();
}

// Tool tips (after "\n" of the command's string) only with CBRS_TOOLTIPS; prompts in the
// message pane (before "\n") only with CBRS_FLYBY.
void CToolBar::ApplyTips() {
  auto* bar = qobject_cast<QToolBar*>(m_pWidget);
  if (!bar) return;
  for (QAction* action : bar->actions()) {
    if (action->isSeparator()) continue;
    QWidget* button = bar->widgetForAction(action);
    if (!button) continue;
    button->setToolTip((m_dwBarStyle & CBRS_TOOLTIPS) ? action->toolTip() : QString());
    button->setStatusTip((m_dwBarStyle & CBRS_FLYBY) ? action->statusTip() : QString());
  }
}

UINT CToolBar::GetItemID(int nIndex) const {
  return nIndex >= 0 && nIndex < int(m_ids.size()) ? m_ids[size_t(nIndex)] : 0;
}

int CToolBar::GetCount() const { return int(m_ids.size()); }

BOOL CReBar::Create(CWnd* pParentWnd, DWORD, DWORD dwStyle, UINT nID) {
  // The bands are the main window's top tool bar area; the rebar's own window only marks it.
  if (!CreateBar(pParentWnd, dwStyle & ~WS_VISIBLE, nID)) return FALSE;
  m_pWidget->hide();
  return TRUE;
}

BOOL CReBar::AddBar(CWnd* pBar, LPCTSTR pszText, void*, DWORD dwStyle) {
  auto* bar = pBar ? qobject_cast<QToolBar*>(pBar->GetWidget()) : nullptr;
  if (!bar || !m_pFrame) return FALSE;
  QMainWindow* window = m_pFrame->GetMainWindow();
  if (m_nBands > 0) window->addToolBarBreak(Qt::TopToolBarArea);
  window->addToolBar(Qt::TopToolBarArea, bar);
  // A movable tool bar shows a gripper.
  bar->setMovable((dwStyle & RBBS_GRIPPERALWAYS) != 0);
  if (pszText && *pszText) bar->setWindowTitle(afx::ToQString(CString(pszText)));
  ++m_nBands;
  return TRUE;
}
