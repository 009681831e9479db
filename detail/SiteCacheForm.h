// The cache entry form at the top of the detail pane: the site text, local file, size, hit count
// and four time stamps of one entry. Site text and two time stamps are editable.
#pragma once

#include "afx/Afx.h"

class SiteCache;
class CLeftView;

class CSiteCacheForm : public CDialog {
 public:
  explicit CSiteCacheForm(CWnd* pParent = nullptr);
  ~CSiteCacheForm() override;

  BOOL OnInitDialog() override;

  /** Binds the form to an entry and fills it; no entry blanks it. Filling is never an edit. */
  void SetSiteCache(SiteCache* entry, CLeftView* tree, HTREEITEM item);

  /** The size column's text for a size of high:low bytes. */
  static CString FormatSize(DWORD sizeLow, DWORD sizeHigh);
  /** File name and extension of a path, without drive and folders. */
  static CString FileNamePart(const char* path);

  SiteCache* GetSiteCache() const { return m_pSiteCache; }

 protected:
  void MarkModified();
  void EditTime(int id, CString SiteCache::*field);

  void OnSetFocusExpire();
  void OnSetFocusModified();
  void OnChangeSite();

  SiteCache* m_pSiteCache = nullptr;
  CLeftView* m_pTree = nullptr;
  HTREEITEM m_hItem = nullptr;

  DECLARE_MESSAGE_MAP()
};
