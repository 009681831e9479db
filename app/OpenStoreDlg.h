// Open store dialog (template 143): a location typed or browsed for, or one of the stores
// found on this machine. OK stays in the dialog until the location names a store.
#pragma once

#include <vector>

#include "afx/Afx.h"
#include "platform/StoreLocation.h"

class COpenStoreDlg : public CDialog {
 public:
  explicit COpenStoreDlg(CWnd* pParent = nullptr);
  ~COpenStoreDlg() override;

  CString m_strLocation;                       // IDC_STORE_LOCATION (CP932)
  std::vector<platform::FoundStore> m_stores;  // listed in IDC_STORE_FOUND
  platform::StoreLocation m_location;          // what OK found the text to name

  /** One line of the found-store list (CP932). */
  static CString Describe(const platform::FoundStore& store);

  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override;

 protected:
  void OnSelChangeFound();
  void OnBrowse();

  DECLARE_MESSAGE_MAP()
};
