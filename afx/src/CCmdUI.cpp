#include "afx/CCmdUI.h"

#include "afx/CCmdTarget.h"

void CCmdUI::Enable(BOOL bOn) {
  m_bEnabled = bOn != FALSE;
  m_bEnableChanged = true;
}

void CCmdUI::SetCheck(int nCheck) {
  m_nCheck = nCheck;
  m_bCheckChanged = true;
}

void CCmdUI::SetText(LPCTSTR lpszText) {
  m_strText = lpszText ? lpszText : "";
  m_bTextChanged = true;
}

void CCmdUI::DoUpdate(CCmdTarget* target, BOOL bDisableIfNoHandler) {
  m_bEnableChanged = false;
  if (target->OnCmdMsg(m_nID, int(CN_UPDATE_COMMAND_UI), this, nullptr)) return;
  if (bDisableIfNoHandler && !m_bEnableChanged) {
    AFX_CMDHANDLERINFO info{nullptr};
    Enable(target->OnCmdMsg(m_nID, CN_COMMAND, this, &info));
  }
}
