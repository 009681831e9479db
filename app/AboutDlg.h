// The about box (template 100): OK closes it.
#pragma once

#include "afx/Afx.h"

class CAboutDlg : public CDialog {
 public:
  explicit CAboutDlg(CWnd* pParent = nullptr);
};
