// Sort dialog (template 138): sort key and direction; the caller seeds and reads the members.
#pragma once

#include "afx/Afx.h"

class CSortDlg : public CDialog {
 public:
  explicit CSortDlg(CWnd* pParent = nullptr);
  ~CSortDlg() override;

  int m_nOrder;    // radio group from IDC_SORT_ASCENDING: 0 ascending, 1 descending, -1 none
  int m_nSortKey;  // IDC_SORT_KEY index, -1 none

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;

  DECLARE_MESSAGE_MAP()
};
