// The right-hand pane: one cache entry form at the top and one form per cookie variable below
// it, stacked in a scrolling view. Everything typed there goes straight into the records.
#pragma once

#include <afxcore/CArrays.h>

#include "afx/Afx.h"

class SiteCache;
class PersetCookie;
class CSiteCacheForm;
class CPersetCookieForm;

class CTolvaneView : public CScrollView {
  DECLARE_DYNCREATE(CTolvaneView)
 public:
  CTolvaneView();
  ~CTolvaneView() override;

  BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
              CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr) override;
  void OnInitialUpdate() override;
  void OnDraw(CDC* pDC) override;

  /** Shows the entry (rebuilding its variable forms when it is not the one shown, or when
   *  forced) and scrolls to the variable's form. No entry blanks the pane. */
  void ShowSiteCache(SiteCache* entry, PersetCookie* variable, HTREEITEM entryItem, bool force);
  /** Destroys every variable form. */
  void ClearCookieForms();

  void OnDestroy() override;

  // Read by tests and the benchmark.
  CSiteCacheForm* GetCacheForm() const { return m_pCacheForm; }
  int GetCookieFormCount() const { return m_cookieForms.GetSize(); }
  CPersetCookieForm* GetCookieForm(int index) const {
    return static_cast<CPersetCookieForm*>(m_cookieForms.GetAt(index));
  }
  SiteCache* GetShownCache() const { return m_pShownCache; }
  CSize GetCacheFormSize() const { return m_sizeCacheForm; }
  int GetCookieFormHeight() const { return m_cyCookieForm; }

 protected:
  CBrush m_brushBack;
  CSiteCacheForm* m_pCacheForm = nullptr;
  CPtrArray m_cookieForms;  // of CPersetCookieForm*, owned
  CSize m_sizeCacheForm;
  int m_cyCookieForm = 0;  // measured from the first form ever made, then kept
  SiteCache* m_pShownCache = nullptr;

  DECLARE_MESSAGE_MAP()
};
