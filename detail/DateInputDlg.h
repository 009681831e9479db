// Entering a time stamp field by field: six boxes, each checked against its range on OK.
#pragma once

#include "afx/Afx.h"

class CDateInputDlg : public CDialog {
 public:
  explicit CDateInputDlg(CWnd* pParent = nullptr);
  ~CDateInputDlg() override;

  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;

  UINT m_nDay = 0;
  UINT m_nHour = 0;
  UINT m_nMinute = 0;
  UINT m_nMonth = 0;
  UINT m_nSecond = 0;
  UINT m_nYear = 0;
  CString m_strText;  // the time text the dialog opened with
};

/** Runs the date dialog for a time text shown in edit (which may be null and stays disabled
 *  while the dialog is open). 1: confirmed, text replaced; 0: cancelled, text untouched. */
int EditDateTime(CString& text, CWnd* edit);
