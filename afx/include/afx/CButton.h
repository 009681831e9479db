// A push button, check box or radio button. BN_CLICKED reaches the parent only for user clicks
// (mouse, keyboard, or a test's click()), never for SetCheck.
#pragma once

#include "afx/CWnd.h"

class CButton : public CWnd {
  DECLARE_DYNAMIC(CButton)
 public:
  CButton() = default;

  /** BST_CHECKED or BST_UNCHECKED. */
  int GetCheck() const;
  void SetCheck(int nCheck);
  /** Clicks the button as the user would: it toggles (check box) and BN_CLICKED follows. */
  void Click();
};
