// Search dialog (template 141): search text, targets and start-after-selection flag.
#pragma once

#include "afx/Afx.h"

class CSearchDlg : public CDialog {
 public:
  explicit CSearchDlg(CWnd* pParent = nullptr);
  ~CSearchDlg() override;

  int m_bDomain;      // IDC_FIND_DOMAIN
  int m_bName;        // IDC_FIND_NAME
  int m_bValue;       // IDC_FIND_VALUE
  CString m_strFind;  // IDC_FIND_TEXT (CP932)
  int m_bFromNext;    // IDC_FIND_FROM_NEXT

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;

  DECLARE_MESSAGE_MAP()
};
