// The state an update handler sets for one command id: enabled, checked, text. The framework
// applies it to the command's menu item, tool bar button or accelerator.
#pragma once

#include <string>

#include "afx/AfxTypes.h"

class CCmdTarget;

class CCmdUI {
 public:
  explicit CCmdUI(UINT id) : m_nID(id) {}
  virtual ~CCmdUI() = default;

  /** Enables or disables the command. */
  virtual void Enable(BOOL bOn = TRUE);
  /** 0 unchecked, 1 checked. */
  virtual void SetCheck(int nCheck = 1);
  /** Menu item text (CP932). */
  virtual void SetText(LPCTSTR lpszText);

  /** Routes an update through target (CN_UPDATE_COMMAND_UI); when no update handler is found,
   *  enables the command if target has a command handler and disables it otherwise. */
  void DoUpdate(CCmdTarget* target, BOOL bDisableIfNoHandler = TRUE);

  UINT m_nID;
  bool m_bEnabled = true;
  bool m_bEnableChanged = false;
  int m_nCheck = 0;
  bool m_bCheckChanged = false;
  bool m_bTextChanged = false;
  std::string m_strText;  // CP932, when m_bTextChanged
};
