// The edit commands that act on the tree's selected item.
#include <cstdint>
#include <memory>

#include "app/TolvaneDoc.h"
#include "detail/TolvaneView.h"
#include "model/PersetCookie.h"
#include "model/SiteCache.h"
#include "model/SiteCacheList.h"
#include "tree/LeftView.h"

namespace {

// Position of object in array, or 0 when it is not there.
template <typename Array>
int IndexOr0(const Array& array, const CObject* object) {
  for (int i = 0; i < array.GetSize(); ++i) {
    if (array.GetAt(i) == object) return i;
  }
  return 0;
}

}  // namespace

void CLeftView::OnAbortReload() {
  SiteCache* entry = nullptr;
  HTREEITEM siteItem = nullptr;
  if (ClassifyItem(nullptr, &entry, nullptr, &siteItem, nullptr) != kSiteItem || !entry) return;
  CTolvaneDoc* doc = GetDocument();
  if (doc->m_pCatalogue->RetrieveEntry(entry) != 1) {
    AfxMessageBox(afx::Cp932(u8"ﾘﾛｰﾄﾞに失敗しました."), MB_OK);
  }
  RebuildSiteItem(siteItem, entry);
  if (CTolvaneView* detail = doc->GetDetailView()) {
    detail->ShowSiteCache(entry, nullptr, siteItem, true);
  }
}

void CLeftView::OnCommit() {
  SiteCache* entry = nullptr;
  HTREEITEM siteItem = nullptr;
  if (ClassifyItem(nullptr, &entry, nullptr, &siteItem, nullptr) != kSiteItem || !entry) return;
  CTolvaneDoc* doc = GetDocument();
  if (doc->m_pCatalogue->CommitEntry(entry, true) < 0) {
    AfxMessageBox(afx::Cp932(u8"ｺﾐｯﾄに失敗しました."), MB_OK);
  }
  // The commit re-read the entry: its old variables, and the items and forms bound to them,
  // are gone or stale either way.
  RebuildSiteItem(siteItem, entry);
  if (CTolvaneView* detail = doc->GetDetailView()) {
    detail->ShowSiteCache(entry, nullptr, siteItem, true);
  }
}

void CLeftView::OnDeleteItem() {
  SiteCache* entry = nullptr;
  PersetCookie* variable = nullptr;
  HTREEITEM siteItem = nullptr;
  HTREEITEM variableItem = nullptr;
  const int kind = ClassifyItem(nullptr, &entry, &variable, &siteItem, &variableItem);
  if (kind == kNothing || !entry) return;
  CTreeCtrl& tree = GetTreeCtrl();
  CTolvaneDoc* doc = GetDocument();

  if (kind == kVariableItem) {
    // The selection moves off the item first, so the detail view follows while the variable
    // still exists. Afterwards only its address is kept, as an identity none of the entry's
    // variables has; the destroyed object is never touched.
    DeleteTreeItem(variableItem);
    const auto removed = reinterpret_cast<std::uintptr_t>(variable);
    entry->DeleteVariable(variable);
    variable = nullptr;
    entry->m_nState = kStateModified;
    tree.SetItemText(siteItem, entry->m_strSite);
    SetItemMark(siteItem, kStateModified);
    if (CTolvaneView* detail = doc->GetDetailView()) {
      detail->ShowSiteCache(entry, reinterpret_cast<PersetCookie*>(removed), siteItem, true);
    }
    return;
  }

  if (AfxMessageBox(afx::Cp932(u8"削除しますか？"), MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) !=
      IDYES) {
    return;
  }
  DeleteTreeItem(siteItem);
  // With the last site item gone nothing is selected any more, and the forms would stay bound
  // to the entry about to be destroyed.
  if (!tree.GetSelectedItem()) {
    if (CTolvaneView* detail = doc->GetDetailView()) {
      detail->ShowSiteCache(nullptr, nullptr, nullptr, true);
    }
  }
  doc->m_pCatalogue->DeleteEntry(entry);
}

void CLeftView::OnCopyAddVariable() {
  SiteCache* entry = nullptr;
  PersetCookie* variable = nullptr;
  HTREEITEM siteItem = nullptr;
  const int kind = ClassifyItem(nullptr, &entry, &variable, &siteItem, nullptr);
  if (kind == kNothing || !entry) return;

  auto added = std::make_unique<PersetCookie>();
  int index = 0;
  if (kind == kVariableItem) {
    index = IndexOr0(*entry, variable) + 1;
    added->CopyFrom(*variable);
  } else {
    added->m_dwFlags = kCookieRestricted;
    added->m_nState = kStateModified;
    added->m_strDomain = entry->m_strSite;
    added->m_strName = "_NewValue_";
    added->m_strPath = "*";
    added->m_strExpire = entry->m_strExpireTime;
    added->m_strLastModify = entry->m_strModifiedTime;
  }
  PersetCookie* copy = added.get();
  entry->InsertAt(index, added.release());
  entry->m_nState = kStateModified;
  SetItemMark(siteItem, kStateModified);

  CTreeCtrl& tree = GetTreeCtrl();
  tree.SelectItem(nullptr);
  RebuildSiteItem(siteItem, entry);
  tree.SelectItem(FindVariableItem(siteItem, copy));
  if (CTolvaneView* detail = GetDocument()->GetDetailView()) {
    detail->ShowSiteCache(entry, copy, siteItem, true);
  }
}

void CLeftView::OnCopyAddCache() {
  SiteCache* entry = nullptr;
  if (ClassifyItem(nullptr, &entry, nullptr, nullptr, nullptr) != kSiteItem || !entry) return;
  SiteCacheList& catalogue = *GetDocument()->m_pCatalogue;
  const int index = IndexOr0(catalogue, entry);

  auto owned = std::make_unique<SiteCache>();
  SiteCache* copy = owned.get();
  copy->CopyFrom(*entry);
  // A commit under a name that another entry holds would replace that entry in the cache (a
  // second copy of the same entry would), so the suffix repeats until the name is free.
  do {
    copy->m_strSite += "_Copy_";
    copy->m_strUrlName += "_Copy_";
  } while (catalogue.FindEntry(copy->CommitUrlName()) != nullptr);
  catalogue.InsertAt(index + 1, owned.release());
  catalogue.CommitEntry(copy, false);

  CTreeCtrl& tree = GetTreeCtrl();
  tree.SelectItem(nullptr);
  OnUpdate(nullptr, 0, nullptr);
  if (HTREEITEM site = FindSiteItem(copy)) tree.SelectItem(site);
}
