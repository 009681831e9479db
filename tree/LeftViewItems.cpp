// The item operations of the cookie tree: classification, marks, relabelling and rebuilding.

#include <utility>
#include <vector>

#include "app/TolvaneApp.h"
#include "model/PersetCookie.h"
#include "model/SiteCache.h"
#include "tree/LeftView.h"

namespace {

// Image indexes of the view's image list.
constexpr int kSiteImage = 0;
constexpr int kVariableImage = 1;

CObject* ItemRecord(const CTreeCtrl& tree, HTREEITEM item) {
  return reinterpret_cast<CObject*>(tree.GetItemData(item));
}

}  // namespace

int CLeftView::ClassifyItem(HTREEITEM item, SiteCache** entry, PersetCookie** variable,
                            HTREEITEM* siteItem, HTREEITEM* variableItem) {
  if (entry) *entry = nullptr;
  if (variable) *variable = nullptr;
  if (siteItem) *siteItem = nullptr;
  if (variableItem) *variableItem = nullptr;

  const CTreeCtrl& tree = GetTreeCtrl();
  if (!item) item = tree.GetSelectedItem();
  if (!item) return kNothing;
  CObject* record = ItemRecord(tree, item);
  if (!record) return kNothing;
  if (record->IsKindOf(RUNTIME_CLASS(SiteCache))) {
    if (siteItem) *siteItem = item;
    if (entry) *entry = static_cast<SiteCache*>(record);
    return kSiteItem;
  }
  if (!record->IsKindOf(RUNTIME_CLASS(PersetCookie))) return kNothing;
  if (variable) *variable = static_cast<PersetCookie*>(record);
  if (variableItem) *variableItem = item;
  HTREEITEM parent = tree.GetParentItem(item);
  if (siteItem) *siteItem = parent;
  CObject* owner = parent ? ItemRecord(tree, parent) : nullptr;
  if (entry && owner && owner->IsKindOf(RUNTIME_CLASS(SiteCache))) {
    *entry = static_cast<SiteCache*>(owner);
  }
  return kVariableItem;
}

HTREEITEM CLeftView::FindVariableItem(HTREEITEM siteItem, const PersetCookie* variable) {
  const auto found = m_itemOfRecord.find(variable);
  if (found == m_itemOfRecord.end()) return nullptr;
  const CTreeCtrl& tree = GetTreeCtrl();
  // Only a child of the given site counts, as when its children were searched one by one.
  if (!siteItem || tree.GetParentItem(found->second) != siteItem) return nullptr;
  return found->second;
}

HTREEITEM CLeftView::FindSiteItem(const SiteCache* entry) const {
  const auto found = m_itemOfRecord.find(entry);
  if (found == m_itemOfRecord.end()) return nullptr;
  return GetTreeCtrl().GetParentItem(found->second) ? nullptr : found->second;
}

void CLeftView::SetItemMark(HTREEITEM item, int state) {
  // The overlay images are numbered as the states they mark.
  const int overlay = state == kStateLoading || state == kStateModified ? state : 0;
  GetTreeCtrl().SetItemState(item, INDEXTOOVERLAYMASK(overlay), TVIS_OVERLAYMASK);
}

void CLeftView::RefreshSiteItem(HTREEITEM siteItem, SiteCache* entry) {
  GetTreeCtrl().SetItemText(siteItem, entry->m_strSite);
  SetItemMark(siteItem, entry->m_nState);
}

void CLeftView::RebuildSiteItem(HTREEITEM siteItem, SiteCache* entry) {
  CTreeCtrl& tree = GetTreeCtrl();
  RefreshSiteItem(siteItem, entry);
  HTREEITEM child = tree.GetChildItem(siteItem);
  while (child) {
    HTREEITEM next = tree.GetNextSiblingItem(child);
    DeleteTreeItem(child);
    child = next;
  }
  for (int i = 0; i < entry->GetSize(); ++i) InsertVariableItem(siteItem, entry->GetVariable(i));
}

void CLeftView::RefreshVariableItem(HTREEITEM variableItem, PersetCookie* variable) {
  CTreeCtrl& tree = GetTreeCtrl();
  tree.SetItemText(variableItem, variable->m_strName);
  SetItemMark(variableItem, variable->m_nState);
  HTREEITEM parent = tree.GetParentItem(variableItem);
  if (!parent) return;
  if (auto* entry = static_cast<SiteCache*>(ItemRecord(tree, parent)))
    entry->m_nState = kStateModified;
  SetItemMark(parent, kStateModified);
}

void CLeftView::SelectFirstSite() {
  CTreeCtrl& tree = GetTreeCtrl();
  HTREEITEM first = tree.GetRootItem();
  if (!first) return;
  tree.Select(first, TVGN_FIRSTVISIBLE);
  tree.Select(first, TVGN_CARET);
}

void CLeftView::ToggleExpandAll() {
  CTolvaneApp* app = TolvaneApp();
  UINT action;
  if (app->m_bTreeExpanded) {
    app->m_bTreeExpanded = FALSE;
    action = TVE_COLLAPSE;
  } else {
    app->m_bTreeExpanded = TRUE;
    action = TVE_EXPAND;
  }
  CTreeCtrl& tree = GetTreeCtrl();
  for (HTREEITEM site : SiteItems()) tree.Expand(site, action);
}

std::vector<HTREEITEM> CLeftView::SiteItems() const {
  const CTreeCtrl& tree = GetTreeCtrl();
  std::vector<HTREEITEM> items;
  for (HTREEITEM site = tree.GetRootItem(); site; site = tree.GetNextSiblingItem(site)) {
    items.push_back(site);
  }
  return items;
}

HTREEITEM CLeftView::InsertSiteItem(SiteCache* entry) {
  CTreeCtrl& tree = GetTreeCtrl();
  HTREEITEM item = tree.InsertItem(entry->m_strSite, kSiteImage, kSiteImage, TVI_ROOT, TVI_LAST);
  SetItemMark(item, entry->m_nState);
  tree.SetItemData(item, reinterpret_cast<DWORD_PTR>(static_cast<CObject*>(entry)));
  m_itemOfRecord[entry] = item;
  return item;
}

HTREEITEM CLeftView::InsertVariableItem(HTREEITEM siteItem, PersetCookie* variable) {
  CTreeCtrl& tree = GetTreeCtrl();
  HTREEITEM item =
      tree.InsertItem(variable->m_strName, kVariableImage, kVariableImage, siteItem, TVI_LAST);
  SetItemMark(item, variable->m_nState);
  tree.SetItemData(item, reinterpret_cast<DWORD_PTR>(static_cast<CObject*>(variable)));
  m_itemOfRecord[variable] = item;
  return item;
}

void CLeftView::DeleteTreeItem(HTREEITEM item) {
  CTreeCtrl& tree = GetTreeCtrl();
  std::vector<std::pair<const CObject*, HTREEITEM>> gone{{ItemRecord(tree, item), item}};
  for (HTREEITEM child = tree.GetChildItem(item); child; child = tree.GetNextSiblingItem(child))
    gone.emplace_back(ItemRecord(tree, child), child);
  // The deletion may move the selection, whose handlers still find the items; afterwards only
  // the handles are compared, never read.
  tree.DeleteItem(item);
  for (const auto& [record, handle] : gone) {
    const auto found = m_itemOfRecord.find(record);
    if (found != m_itemOfRecord.end() && found->second == handle) m_itemOfRecord.erase(found);
  }
}

void CLeftView::DeleteAllTreeItems() {
  GetTreeCtrl().DeleteAllItems();
  m_itemOfRecord.clear();
}
