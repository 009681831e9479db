// A static text, group box or icon control.
#pragma once

#include "afx/CWnd.h"

class CStatic : public CWnd {
  DECLARE_DYNAMIC(CStatic)
 public:
  CStatic() = default;

  /** Shows an icon (SS_ICON controls). */
  HICON SetIcon(HICON hIcon);

 private:
  HICON m_hIcon = nullptr;
};
