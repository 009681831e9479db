// The document: owns the cookie catalogue and carries the commands that act on all of it.
#pragma once

#include <vector>

#include "afx/Afx.h"
#include "platform/StoreLocation.h"

class SiteCache;
class SiteCacheList;
class CLeftView;
class CTolvaneView;

class CTolvaneDoc : public CDocument {
  DECLARE_DYNCREATE(CTolvaneDoc)
 public:
  CTolvaneDoc();
  ~CTolvaneDoc() override;

  SiteCacheList* m_pCatalogue;  // owned

  /** The first view that is a CLeftView, or null. */
  CLeftView* GetTreeView();
  /** The first view that is a CTolvaneView, or null. */
  CTolvaneView* GetDetailView();
  /** True when the caller must stop: something is modified and the user did not answer Yes. */
  bool ConfirmDiscard();

  BOOL IsModified() override;
  void SetModifiedFlag(BOOL bModified = TRUE) override;
  BOOL OnNewDocument() override;
  BOOL SaveModified() override;

  void OnSort();
  void OnExpandToggle();
  void OnSearch();
  void OnSearchNext();
  void OnReload();
  void OnSaveAll();
  void OnExportText();
  void OnToggleGmt();
  void OnUpdateToggleGmt(CCmdUI* pCmdUI);
  void OnStoreOpen();
  void OnExportSiteCookiesTxt();
  void OnExportAllCookiesTxt();
  void OnUpdateExportSiteCookiesTxt(CCmdUI* pCmdUI);
  void OnUpdateExportAllCookiesTxt(CCmdUI* pCmdUI);

  /** Switches to the store a location names and loads it (asks first when edits would be
   *  lost). False when the user kept the current store. */
  bool OpenStore(const platform::StoreLocation& location);

 private:
  /** Writes the entries' cookies to a cookies.txt the user chooses. */
  void ExportCookiesTxt(const std::vector<SiteCache*>& entries);
  /** The one view update, then the first site selected. */
  void UpdateViewsAndSelectFirst();
  void SortBySettings();

  DECLARE_MESSAGE_MAP()
};
