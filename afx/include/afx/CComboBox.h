// A drop-down list combo box. Items are CP932 strings; indexes count from 0, -1 is none.
#pragma once

#include "afx/CWnd.h"

class CComboBox : public CWnd {
  DECLARE_DYNAMIC(CComboBox)
 public:
  CComboBox() = default;

  int AddString(LPCTSTR lpszString);
  int GetCount() const;
  int GetCurSel() const;
  int SetCurSel(int nSelect);
  void GetLBText(int nIndex, CString& rString) const;
  void ResetContent();
};
