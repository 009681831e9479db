// Search dialog (template 141): search text, targets and start-after-selection flag.
#pragma once

#include "afx/Afx.h"

class CSearchDlg : public CDialog {
 public:
  explicit CSearchDlg(CWnd* pParent = nullptr);
  ~CSearchDlg() override;

  int m_bDomain;      // check box 1034
  int m_bName;        // check box 1035
  int m_bValue;       // check box 1036
  CString m_strFind;  // edit 1033 (CP932)
  int m_bFromNext;    // check box 1037

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;

  DECLARE_MESSAGE_MAP()
};
