#include "afx/CStatusBar.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

#include "afx/AfxFunctions.h"
#include "afx/CFrameWnd.h"
#include "afx/Text.h"

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

namespace {
constexpr int kPanePadding = 6;  // the pane's border and margins around the text
}  // namespace

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  return CreateBar(pParentWnd, dwStyle, nID);
}

QWidget* CStatusBar::CreateWidget(QWidget*, const CREATESTRUCT&) {
  auto* bar = new QStatusBar(m_pFrame->GetMainWindow());
  m_pFrame->GetMainWindow()->setStatusBar(bar);
  return bar;
}

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
  auto* bar = qobject_cast<QStatusBar*>(m_pWidget);
  if (!bar || nIDCount < 1) return FALSE;
  for (Pane& pane : m_panes) delete pane.label;
  m_panes.clear();
  const QFontMetrics fm(bar->font());
  for (int i = 0; i < nIDCount; ++i) {
    Pane pane{lpIDArray[i], SBPS_NORMAL, 0, CString(), new QLabel(bar)};
    pane.label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (i == 0) {
      pane.style = SBPS_NOBORDERS | SBPS_STRETCH;
      pane.label->setFrameStyle(QFrame::NoFrame);
      pane.label->setText(afx::ToQString(AfxLoadString(AFX_IDS_IDLEMESSAGE)));
      bar->addWidget(pane.label, 1);
    } else {
      if (pane.id != ID_SEPARATOR) {
        CString text;
        if (!AfxLoadString(pane.id, text)) return FALSE;
        // Key-state indicators show their text while the key is on; Qt cannot tell, so they
        // stay blank, as for a key that is off, keeping the width of their text.
        pane.width = fm.horizontalAdvance(afx::ToQString(text));
      }
      pane.label->setFixedWidth(pane.width + kPanePadding);
      bar->addPermanentWidget(pane.label);
    }
    m_panes.push_back(pane);
  }
  return TRUE;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth) {
  if (nIndex < 0 || nIndex >= int(m_panes.size())) return;
  Pane& pane = m_panes[size_t(nIndex)];
  pane.id = nID;
  pane.style = nStyle;
  pane.width = cxWidth;
  if (nStyle & SBPS_POPOUT)
    pane.label->setFrameStyle(QFrame::Panel | QFrame::Raised);
  else if (nStyle & SBPS_NOBORDERS)
    pane.label->setFrameStyle(QFrame::NoFrame);
  else
    pane.label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  if (nIndex > 0 && !(nStyle & SBPS_STRETCH)) pane.label->setFixedWidth(cxWidth + kPanePadding);
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const {
  if (nIndex < 0 || nIndex >= int(m_panes.size())) return;
  const Pane& pane = m_panes[size_t(nIndex)];
  nID = pane.id;
  nStyle = pane.style;
  cxWidth = pane.width;
}

BOOL CStatusBar::SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate) {
  if (nIndex < 0 || nIndex >= int(m_panes.size())) return FALSE;
  Pane& pane = m_panes[size_t(nIndex)];
  pane.text = lpszNewText ? lpszNewText : "";
  pane.label->setText(afx::ToQString(pane.text));
  if (bUpdate) pane.label->repaint();
  return TRUE;
}

CString CStatusBar::GetPaneText(int nIndex) const {
  if (nIndex < 0 || nIndex >= int(m_panes.size())) return CString();
  return m_panes[size_t(nIndex)].text;
}

int CStatusBar::CommandToIndex(UINT nIDFind) const {
  for (size_t i = 0; i < m_panes.size(); ++i)
    if (m_panes[i].id == nIDFind) return int(i);
  return -1;
}

void CStatusBar::SetMessageText(LPCTSTR lpszText) {
  auto* bar = qobject_cast<QStatusBar*>(m_pWidget);
  if (!bar) return;
  if (lpszText && *lpszText)
    bar->showMessage(afx::ToQString(CString(lpszText)));
  else
    bar->clearMessage();  // the message pane's idle text shows again
}

QLabel* CStatusBar::GetPaneLabel(int nIndex) const {
  return nIndex >= 0 && nIndex < int(m_panes.size()) ? m_panes[size_t(nIndex)].label : nullptr;
}
