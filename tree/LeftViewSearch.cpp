// The tree search: the next item, from the top or after the selection, whose chosen fields
// contain the text.
#include <string_view>

#include "codec/Mbcs.h"
#include "model/PersetCookie.h"
#include "model/SiteCache.h"
#include "tree/LeftView.h"

namespace {

constexpr int kTargetSite = 1;  // m_strSite of site items, m_strDomain of variables
constexpr int kTargetName = 2;
constexpr int kTargetValue = 4;

// Stored bytes, compared as they are (still percent-encoded), a match never starting on a
// trail byte; an empty text is found everywhere.
bool Contains(const CString& field, const CString& text) {
  return codec::MbsFind(std::string_view(field.str()), std::string_view(text.str())) !=
         std::string_view::npos;
}

template <typename Record>
const Record* ItemRecordOf(const CTreeCtrl& tree, HTREEITEM item, const CRuntimeClass* cls) {
  const auto* record = reinterpret_cast<const CObject*>(tree.GetItemData(item));
  return record && record->IsKindOf(cls) ? static_cast<const Record*>(record) : nullptr;
}

}  // namespace

bool CLeftView::SiteMatches(HTREEITEM siteItem, const CString& text, int targets) const {
  if (!(targets & kTargetSite)) return false;
  const SiteCache* entry =
      ItemRecordOf<SiteCache>(GetTreeCtrl(), siteItem, RUNTIME_CLASS(SiteCache));
  return entry && Contains(entry->m_strSite, text);
}

bool CLeftView::VariableMatches(HTREEITEM variableItem, const CString& text, int targets) const {
  const PersetCookie* variable =
      ItemRecordOf<PersetCookie>(GetTreeCtrl(), variableItem, RUNTIME_CLASS(PersetCookie));
  if (!variable) return false;
  return ((targets & kTargetSite) && Contains(variable->m_strDomain, text)) ||
         ((targets & kTargetName) && Contains(variable->m_strName, text)) ||
         ((targets & kTargetValue) && Contains(variable->m_strValue, text));
}

void CLeftView::SearchTree(const CString& text, int targets, BOOL fromNext) {
  CTreeCtrl& tree = GetTreeCtrl();
  HTREEITEM site = nullptr;
  HTREEITEM start = nullptr;
  bool placed = false;
  if (fromNext) {
    HTREEITEM siteItem = nullptr;
    HTREEITEM variableItem = nullptr;
    const int kind = ClassifyItem(nullptr, nullptr, nullptr, &siteItem, &variableItem);
    if (kind == kVariableItem && siteItem) {
      placed = true;
      start = tree.GetNextSiblingItem(variableItem);
      site = siteItem;
      if (!start) {
        // The last variable of its site: on with the next site, if there is one.
        site = tree.GetNextSiblingItem(siteItem);
        if (!site) return;
        start = tree.GetChildItem(site);
      }
    } else if (kind == kSiteItem && siteItem) {
      placed = true;
      site = siteItem;
      start = tree.GetChildItem(site);
    }
  }
  if (!placed) {
    site = tree.GetRootItem();
    start = site ? tree.GetChildItem(site) : nullptr;
  }

  HTREEITEM found = nullptr;
  while (site && !found) {
    for (HTREEITEM item = start; item && !found; item = tree.GetNextSiblingItem(item)) {
      if (VariableMatches(item, text, targets)) found = item;
    }
    if (!found && SiteMatches(site, text, targets)) found = site;
    if (!found) {
      site = tree.GetNextSiblingItem(site);
      start = site ? tree.GetChildItem(site) : nullptr;
    }
  }
  if (!found) return;
  tree.SelectItem(found);
  tree.Select(found, TVGN_FIRSTVISIBLE);
}
