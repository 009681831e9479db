// The right-hand pane: one cache entry form at the top and one form per cookie variable below
// it, stacked in a scrolling view. Everything typed there goes straight into the records.
//
// The stack is as tall as all its forms, but only the forms in sight (and one form's height
// beyond each edge) exist; scrolling reuses the forms that went out of sight for those coming
// in. The records hold every edit, so a form made again shows what was typed before.
#pragma once

#include <vector>

#include "afx/Afx.h"

class SiteCache;
class PersetCookie;
class CLeftView;
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
  /** Makes or reuses the forms that came into sight. */
  void OnScrolled() override;

  // Read by tests and the benchmarks.
  CSiteCacheForm* GetCacheForm() const { return m_pCacheForm; }
  /** Forms in the stack: one per variable of the shown entry, whether it exists now or not. */
  int GetCookieFormCount() const { return m_nStackSize; }
  /** The form of variable `index`, made (or another reused) now when it does not exist. */
  CPersetCookieForm* GetCookieForm(int index);
  /** The form of variable `index` if it exists now, else null. */
  CPersetCookieForm* FindCookieForm(int index) const;
  /** Variable forms that exist now. */
  int GetLiveFormCount() const { return int(m_cookieForms.size()); }
  SiteCache* GetShownCache() const { return m_pShownCache; }
  CSize GetCacheFormSize() const { return m_sizeCacheForm; }
  int GetCookieFormHeight() const { return m_cyCookieForm; }

 protected:
  /** A variable form and the place in the stack it shows. */
  struct StackedForm {
    CPersetCookieForm* form;  // owned
    int index;
  };

  /** Makes or reuses forms for every place in sight and around the focus. */
  void LayOutForms();
  /** The first and last place in sight, one form's height beyond each edge included. */
  bool PlacesInSight(int* first, int* last) const;
  /** The place of the form holding the window's focus: -1 for the cache form, -2 for none. */
  int FocusPlace() const;
  /** A form for place `index`: a new one while few exist, else the farthest out of sight. */
  CPersetCookieForm* ProvideForm(int index, int first, int last, int focus);
  /** Binds a form to place `index` and moves it there, behind its predecessor in tab order. */
  void PlaceForm(StackedForm& slot, int index);

  CBrush m_brushBack;
  CSiteCacheForm* m_pCacheForm = nullptr;
  std::vector<StackedForm> m_cookieForms;  // few: those in sight and a reserve
  CSize m_sizeCacheForm;
  int m_cyCookieForm = 0;  // measured from the first form ever made, then kept
  SiteCache* m_pShownCache = nullptr;
  int m_nStackSize = 0;  // variables of the shown entry when its stack was built
  CLeftView* m_pShownTree = nullptr;
  HTREEITEM m_hShownItem = nullptr;
  int m_nHoldLayout = 0;  // above 0 while a rebuild moves the scroll position about

  DECLARE_MESSAGE_MAP()
};
