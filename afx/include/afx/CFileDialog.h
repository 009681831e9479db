// The open / save-as common dialog over QFileDialog (or the file dialog hook).
#pragma once

#include <afxcore/CString.h>

#include <string>

#include "afx/AfxTypes.h"

class CWnd;

class CFileDialog {
 public:
  /** lpszFilter: "description|pattern;pattern|...||" (CP932). */
  explicit CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr,
                       LPCTSTR lpszFileName = nullptr,
                       DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       LPCTSTR lpszFilter = nullptr, CWnd* pParentWnd = nullptr);
  virtual ~CFileDialog() = default;

  /** IDOK with a path, or IDCANCEL. A name without extension gets the default extension. */
  virtual INT_PTR DoModal();
  /** The chosen path as CP932 (the framework's strings are CP932). */
  CString GetPathName() const { return m_strPathName; }
  /** The chosen path as the file system spells it (UTF-8), for fopen and friends. */
  std::string GetFileSystemPath() const;
  CString GetFileName() const;

 private:
  BOOL m_bOpen;
  CString m_strDefExt;
  CString m_strFileName;
  DWORD m_dwFlags;
  CString m_strFilter;
  CWnd* m_pParentWnd;
  CString m_strPathName;
  std::string m_strFileSystemPath;
};
