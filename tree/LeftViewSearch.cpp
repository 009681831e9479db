// The tree search: the next item, from the top or after the selection, whose chosen fields
// contain the text.
#include <QTreeWidget>
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
  // The walk goes by position: the control's next-sibling step searches the parent's list each
  // time, which over thousands of site items would make the walk quadratic.
  CTreeCtrl& tree = GetTreeCtrl();
  QTreeWidget* widget = tree.GetTreeWidget();
  if (!widget) return;
  const int siteCount = widget->topLevelItemCount();
  int siteIndex = 0;
  int startChild = 0;
  if (fromNext) {
    HTREEITEM siteItem = nullptr;
    HTREEITEM variableItem = nullptr;
    const int kind = ClassifyItem(nullptr, nullptr, nullptr, &siteItem, &variableItem);
    QTreeWidgetItem* site = CTreeCtrl::ItemFromHandle(siteItem);
    if (kind == kVariableItem && site) {
      siteIndex = widget->indexOfTopLevelItem(site);
      startChild = site->indexOfChild(CTreeCtrl::ItemFromHandle(variableItem)) + 1;
      if (startChild >= site->childCount()) {
        // The last variable of its site: on with the next site, if there is one.
        if (++siteIndex >= siteCount) return;
        startChild = 0;
      }
    } else if (kind == kSiteItem && site) {
      siteIndex = widget->indexOfTopLevelItem(site);
    }
  }

  HTREEITEM found = nullptr;
  for (; siteIndex >= 0 && siteIndex < siteCount && !found; ++siteIndex, startChild = 0) {
    QTreeWidgetItem* site = widget->topLevelItem(siteIndex);
    for (int i = startChild; i < site->childCount() && !found; ++i) {
      HTREEITEM item = CTreeCtrl::HandleFromItem(site->child(i));
      if (VariableMatches(item, text, targets)) found = item;
    }
    if (!found && SiteMatches(CTreeCtrl::HandleFromItem(site), text, targets)) {
      found = CTreeCtrl::HandleFromItem(site);
    }
  }
  if (!found) return;
  tree.SelectItem(found);
  tree.Select(found, TVGN_FIRSTVISIBLE);
}
