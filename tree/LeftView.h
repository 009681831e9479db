// The left pane: one root item per cookie entry (site item) with one child per variable
// (variable item). Item data points at the record; the tree never owns the records.
#pragma once

#include <unordered_map>
#include <vector>

#include "afx/Afx.h"

class CTolvaneDoc;
class SiteCache;
class PersetCookie;

class CLeftView : public CTreeView {
  DECLARE_DYNCREATE(CLeftView)

 public:
  CLeftView();
  ~CLeftView() override;

  CTolvaneDoc* GetDocument() const;

  /** Item kinds of ClassifyItem. */
  enum : int { kNothing = 0, kSiteItem = 1, kVariableItem = 2 };

  /** Kind of item (null = the selection) with its records and items; out params may be null. */
  int ClassifyItem(HTREEITEM item, SiteCache** entry, PersetCookie** variable, HTREEITEM* siteItem,
                   HTREEITEM* variableItem);
  /** The child of siteItem whose data is variable, or null. Constant time. */
  HTREEITEM FindVariableItem(HTREEITEM siteItem, const PersetCookie* variable);
  /** The site item whose data is entry, or null. Constant time. */
  HTREEITEM FindSiteItem(const SiteCache* entry) const;
  /** Shows the overlay of an edit state: 1 and 2 have one, anything else none. */
  void SetItemMark(HTREEITEM item, int state);
  void RefreshSiteItem(HTREEITEM siteItem, SiteCache* entry);
  /** Relabels the site item and replaces its variable items with the entry's current ones. */
  void RebuildSiteItem(HTREEITEM siteItem, SiteCache* entry);
  /** Relabels a variable item after an edit and marks its entry modified. */
  void RefreshVariableItem(HTREEITEM variableItem, PersetCookie* variable);
  void SelectFirstSite();
  void ToggleExpandAll();
  /** Selects the next item whose chosen fields (1 site/domain, 2 name, 4 value) hold text. */
  void SearchTree(const CString& text, int targets, BOOL fromNext);

  void OnAbortReload();
  void OnCommit();
  void OnDeleteItem();
  void OnCopyAddVariable();
  void OnCopyAddCache();

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void OnInitialUpdate() override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void OnDraw(CDC* pDC) override;

 protected:
  void OnDestroy() override;
  void OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult);
  void OnRClick(NMHDR* pNMHDR, LRESULT* pResult);

 private:
  /** Every site item in order. */
  std::vector<HTREEITEM> SiteItems() const;
  HTREEITEM InsertSiteItem(SiteCache* entry);
  HTREEITEM InsertVariableItem(HTREEITEM siteItem, PersetCookie* variable);
  /** Deletes an item with its children, forgetting their records first. */
  void DeleteTreeItem(HTREEITEM item);
  void DeleteAllTreeItems();
  bool SiteMatches(HTREEITEM siteItem, const CString& text, int targets) const;
  bool VariableMatches(HTREEITEM variableItem, const CString& text, int targets) const;

  // The item of every record in the tree, kept in step with every insertion and deletion, so
  // that no lookup walks a site's children. A record freed by a re-read may come back at the
  // same address: deletions forget only the mapping that still names the deleted item.
  std::unordered_map<const CObject*, HTREEITEM> m_itemOfRecord;

  DECLARE_MESSAGE_MAP()
};
