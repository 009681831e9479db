#include "afx/CTreeCtrl.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "AfxInternal.h"
#include "TreeLabelWidths.h"
#include "afx/CImageList.h"
#include "afx/Text.h"

IMPLEMENT_DYNAMIC(CTreeCtrl, CWnd)

namespace {

// An item of the control: what the tree control keeps per item, in plain members (item data
// roles would cost a variant each, several times over for a site of 100,000 cookies).
class TreeItem : public QTreeWidgetItem {
 public:
  CString m_bytes;  // the text as given, CP932
  int m_nImage = 0;
  int m_nSelectedImage = 0;
  int m_nOverlay = 0;
  int m_nDepth = 0;  // 0 for a root item
  int m_nWidth = 0;  // of the label, as counted
  DWORD_PTR m_data = 0;
};

// Every item of a control is made by InsertItem.
TreeItem* Item(QTreeWidgetItem* item) { return static_cast<TreeItem*>(item); }
DWORD_PTR DataOf(QTreeWidgetItem* item) { return item ? Item(item)->m_data : 0; }

// The tree control's window. A right click does not move the selection; its release is NM_RCLICK.
class TreeWidget : public QTreeWidget {
 public:
  explicit TreeWidget(QWidget* parent) : QTreeWidget(parent) {}
  CTreeCtrl* m_ctrl = nullptr;
  bool m_bLines = false;  // TVS_HASLINES

  // The scroll bars follow a new column width at once, not when the view next lays out.
  void UpdateGeometriesNow() { updateGeometries(); }

 protected:
  // Qt's styles draw no connecting lines; TVS_HASLINES asks for the tree control's dotted ones:
  // each item joined to its siblings, and every open level carried past the items below it.
  void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override {
    QTreeWidget::drawBranches(painter, rect, index);
    if (!m_bLines) return;
    int level = 0;
    for (QModelIndex p = index.parent(); p.isValid(); p = p.parent()) ++level;
    const int column = rootIsDecorated() ? level : level - 1;  // the item's own branch column
    if (column < 0) return;
    const int step = indentation();
    auto centre = [&](int c) { return rect.left() + c * step + step / 2; };
    const int middle = rect.center().y();
    painter->save();
    QPen pen(palette().color(QPalette::Mid));
    pen.setStyle(Qt::DotLine);
    painter->setPen(pen);
    const int x = centre(column);
    painter->drawLine(x, middle, rect.left() + (column + 1) * step - 2, middle);
    if (index.row() > 0 || index.parent().isValid()) painter->drawLine(x, rect.top(), x, middle);
    if (index.siblingAtRow(index.row() + 1).isValid())
      painter->drawLine(x, middle, x, rect.bottom());
    int c = column;
    for (QModelIndex a = index.parent(); a.isValid() && --c >= 0; a = a.parent()) {
      if (a.siblingAtRow(a.row() + 1).isValid())
        painter->drawLine(centre(c), rect.top(), centre(c), rect.bottom());
    }
    painter->restore();
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::RightButton) {
      event->accept();
      return;
    }
    QTreeWidget::mousePressEvent(event);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() == Qt::RightButton) {
      event->accept();
      if (m_ctrl) m_ctrl->OnRightButtonUp(event->globalPosition().toPoint());
      return;
    }
    QTreeWidget::mouseReleaseEvent(event);
  }
  void contextMenuEvent(QContextMenuEvent* event) override { event->accept(); }
  // Bringing an item into sight scrolls up or down only: Qt would also go back to the start of
  // a column wider than the pane, away from the labels' ends the user scrolled to.
  void scrollTo(const QModelIndex& index, ScrollHint hint) override {
    const int sideways = horizontalScrollBar()->value();
    QTreeWidget::scrollTo(index, hint);
    horizontalScrollBar()->setValue(sideways);
  }
  void changeEvent(QEvent* event) override {
    QTreeWidget::changeEvent(event);
    if (m_ctrl && (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange))
      m_ctrl->OnFontChanged();
  }
};

TreeWidget* Tree(QWidget* w) { return dynamic_cast<TreeWidget*>(w); }

bool IsAncestor(const QTreeWidgetItem* ancestor, const QTreeWidgetItem* item) {
  for (const QTreeWidgetItem* p = item ? item->parent() : nullptr; p; p = p->parent())
    if (p == ancestor) return true;
  return false;
}

QTreeWidgetItem* ChildAt(QTreeWidget* tree, QTreeWidgetItem* parent, int index) {
  const int count = parent ? parent->childCount() : tree->topLevelItemCount();
  if (index < 0 || index >= count) return nullptr;
  return parent ? parent->child(index) : tree->topLevelItem(index);
}

}  // namespace

CTreeCtrl::CTreeCtrl() : m_pLabels(std::make_unique<afx::detail::TreeLabelWidths>()) {}

CTreeCtrl::~CTreeCtrl() {
  if (TreeWidget* tree = Tree(m_pWidget)) tree->m_ctrl = nullptr;
  for (QTreeWidgetItem* item : m_pending) delete item;  // never joined the tree
}

QTreeWidgetItem* CTreeCtrl::ItemFromHandle(HTREEITEM hItem) {
  if (hItem == TVI_ROOT || hItem == TVI_FIRST || hItem == TVI_LAST) return nullptr;
  return reinterpret_cast<QTreeWidgetItem*>(hItem);
}

HTREEITEM CTreeCtrl::HandleFromItem(QTreeWidgetItem* item) {
  return reinterpret_cast<HTREEITEM>(item);
}

QTreeWidget* CTreeCtrl::GetTreeWidget() const {
  FlushInserts();
  return Widget();
}

QTreeWidget* CTreeCtrl::Widget() const {
  // Every item operation starts here; the cast is made once per widget, not once per call.
  QWidget* widget = GetWidget();
  if (widget != m_pCastFor) {
    m_pCastFor = widget;
    m_pCastTree = Tree(widget);
  }
  return m_pCastTree;
}

void CTreeCtrl::FlushInserts() const {
  m_bFlushPosted = false;
  if (m_pending.empty()) return;
  QTreeWidget* tree = Widget();
  const QList<QTreeWidgetItem*> items(m_pending.begin(), m_pending.end());
  m_pending.clear();
  ++m_nSilent;
  if (m_pPendingParent)
    m_pPendingParent->addChildren(items);
  else if (tree)
    tree->addTopLevelItems(items);
  --m_nSilent;
}

QWidget* CTreeCtrl::CreateTreeWidget(QWidget* parent) {
  auto* tree = new TreeWidget(parent);
  tree->m_ctrl = this;
  tree->setHeaderHidden(true);
  // Every row is one line with a 16 x 16 icon; without this Qt measures each row on layout.
  tree->setUniformRowHeights(true);
  tree->setColumnCount(1);
  tree->setSelectionMode(QAbstractItemView::SingleSelection);
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tree->setRootIsDecorated(false);
  tree->setIconSize(QSize(16, 16));
  // Labels are never cut short: the column widens to the widest one instead.
  tree->setTextElideMode(Qt::ElideNone);
  m_pLabels->Reset(tree->font());
  QObject::connect(tree, &QTreeWidget::currentItemChanged, tree,
                   [tree](QTreeWidgetItem* current, QTreeWidgetItem* previous) {
                     if (tree->m_ctrl) tree->m_ctrl->OnQtCurrentChanged(current, previous);
                   });
  return tree;
}

void CTreeCtrl::UseViewWidget(QWidget* widget) {
  m_pWidget = widget;
  m_bOwnsWidget = false;
}

QWidget* CTreeCtrl::CreateWidget(QWidget* parent, const CREATESTRUCT&) {
  return CreateTreeWidget(parent);
}

BOOL CTreeCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  if (!CWnd::Create(nullptr, nullptr, dwStyle, rect, pParentWnd, nID)) return FALSE;
  SetNotifyTarget(this, false);
  return TRUE;
}

void CTreeCtrl::SetNotifyTarget(CWnd* pTarget, bool bReflect) {
  m_pNotifyTarget = pTarget;
  m_bReflect = bReflect;
}

void CTreeCtrl::OnStyleChanged() {
  QTreeWidget* tree = GetTreeWidget();
  if (!tree) return;
  // Buttons on root items need both styles, as in the tree control.
  tree->setRootIsDecorated((m_dwStyle & TVS_HASBUTTONS) && (m_dwStyle & TVS_LINESATROOT));
  if (auto* widget = Tree(tree)) widget->m_bLines = (m_dwStyle & TVS_HASLINES) != 0;
  tree->viewport()->update();
  tree->setItemsExpandable(true);
  PostFitColumn();  // the buttons at the root move every label
}

void CTreeCtrl::Notify(UINT code, QTreeWidgetItem* oldItem, QTreeWidgetItem* newItem, UINT action) {
  if (!m_pNotifyTarget) return;
  NMTREEVIEW nm{};
  nm.hdr.hwndFrom = GetSafeHwnd();
  nm.hdr.idFrom = UINT_PTR(GetDlgCtrlID());
  nm.hdr.code = code;
  nm.action = action;
  nm.itemOld.hItem = HandleFromItem(oldItem);
  nm.itemOld.lParam = LPARAM(DataOf(oldItem));
  nm.itemNew.hItem = HandleFromItem(newItem);
  nm.itemNew.lParam = LPARAM(DataOf(newItem));
  LRESULT result = 0;
  if (m_bReflect) {
    if (const AFX_MSGMAP_ENTRY* e =
            m_pNotifyTarget->FindMessageEntry(WM_REFLECT_BASE + WM_NOTIFY, code, 0))
      e->pfn(m_pNotifyTarget, &nm.hdr, &result);
  } else if (CWnd* parent = GetParent()) {
    parent->SendMessage(WM_NOTIFY, WPARAM(nm.hdr.idFrom), LPARAM(&nm.hdr));
  }
}

void CTreeCtrl::OnQtCurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
  if (m_nSilent > 0) return;
  if (current == m_pLastSelected) return;
  m_pLastSelected = current;
  Notify(TVN_SELCHANGED, previous, current, m_nProgrammatic > 0 ? TVC_UNKNOWN : TVC_BYMOUSE);
}

void CTreeCtrl::OnRightButtonUp(const QPoint& globalPos) {
  afx::detail::g_messageCursorPos = globalPos;
  Notify(NM_RCLICK, nullptr, nullptr, TVC_BYMOUSE);
  afx::detail::g_messageCursorPos.reset();
}

void CTreeCtrl::SetCurrentSilently(QTreeWidgetItem* item) {
  QTreeWidget* tree = GetTreeWidget();
  ++m_nSilent;
  tree->setCurrentItem(item);
  if (!item) tree->clearSelection();
  --m_nSilent;
  m_pLastSelected = item;
}

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR lpszItem, int nImage, int nSelectedImage, HTREEITEM hParent,
                                HTREEITEM hInsertAfter) {
  ForgetIndexHints();
  QTreeWidget* tree = Widget();
  if (!tree) return nullptr;
  auto* item = new TreeItem();
  item->m_bytes = lpszItem ? lpszItem : "";
  const QString text = afx::ToQString(item->m_bytes);
  item->setText(0, text);
  QTreeWidgetItem* parent = ItemFromHandle(hParent);
  item->m_nDepth = parent ? Item(parent)->m_nDepth + 1 : 0;
  CountLabel(item, text);
  item->m_nImage = nImage;
  item->m_nSelectedImage = nSelectedImage;
  RefreshIcon(item);  // before the item joins the model, where every change is a signal
  QTreeWidgetItem* after = ItemFromHandle(hInsertAfter);

  if (hInsertAfter != TVI_FIRST && !after) {
    // Appends wait and join their parent together, in one insertion of the model, when anything
    // next looks at the tree (or the event loop comes round): one by one, Qt's views do work
    // for each, which for a site of 100,000 cookies is most of the rebuild.
    if (!m_pending.empty() && m_pPendingParent != parent) FlushInserts();
    m_pPendingParent = parent;
    m_pending.push_back(item);
    if (!m_bFlushPosted) {
      m_bFlushPosted = true;
      if (TreeWidget* widget = Tree(tree)) {
        QMetaObject::invokeMethod(
            widget,
            [widget] {
              if (widget->m_ctrl) widget->m_ctrl->FlushInserts();
            },
            Qt::QueuedConnection);
      }
    }
    return HandleFromItem(item);
  }

  FlushInserts();
  int index = 0;
  if (after) {
    const int at = parent ? parent->indexOfChild(after) : tree->indexOfTopLevelItem(after);
    index = at >= 0 ? at + 1 : (parent ? parent->childCount() : tree->topLevelItemCount());
  }
  ++m_nSilent;
  if (parent)
    parent->insertChild(index, item);
  else
    tree->insertTopLevelItem(index, item);
  --m_nSilent;
  return HandleFromItem(item);
}

HTREEITEM CTreeCtrl::InsertItem(LPCTSTR lpszItem, HTREEITEM hParent, HTREEITEM hInsertAfter) {
  return InsertItem(lpszItem, 0, 0, hParent, hInsertAfter);
}

BOOL CTreeCtrl::DeleteItem(HTREEITEM hItem) {
  if (hItem == TVI_ROOT) return DeleteAllItems();
  QTreeWidget* tree = GetTreeWidget();
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  if (!tree || !item) return FALSE;
  QTreeWidgetItem* selected = tree->currentItem();
  if (selected && (selected == item || IsAncestor(item, selected))) {
    // The selection moves first, so that its notification still finds the item.
    QTreeWidgetItem* target = SiblingOf(tree, item, +1);
    if (!target) target = item->parent();
    if (!target) target = SiblingOf(tree, item, -1);
    SelectItem(HandleFromItem(target));
  }
  UncountLabels(item);
  ++m_nSilent;
  if (m_pLastSelected == item || IsAncestor(item, m_pLastSelected)) m_pLastSelected = nullptr;
  delete item;
  ForgetIndexHints();  // the selection step above may have left one behind
  --m_nSilent;
  return TRUE;
}

BOOL CTreeCtrl::DeleteAllItems() {
  ForgetIndexHints();
  QTreeWidget* tree = GetTreeWidget();
  if (!tree) return FALSE;
  if (tree->currentItem()) SelectItem(nullptr);
  ++m_nSilent;
  tree->clear();
  --m_nSilent;
  m_pLastSelected = nullptr;
  m_pLabels->Clear();
  PostFitColumn();
  return TRUE;
}

HTREEITEM CTreeCtrl::GetRootItem() const {
  QTreeWidget* tree = GetTreeWidget();
  return tree && tree->topLevelItemCount() ? HandleFromItem(tree->topLevelItem(0)) : nullptr;
}

HTREEITEM CTreeCtrl::GetChildItem(HTREEITEM hItem) const {
  FlushInserts();
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  if (!item) return hItem == TVI_ROOT ? GetRootItem() : nullptr;
  if (!item->childCount()) return nullptr;
  m_pIndexHint[1] = item->child(0);
  m_nIndexHint[1] = 0;
  return HandleFromItem(item->child(0));
}

void CTreeCtrl::ForgetIndexHints() { m_pIndexHint[0] = m_pIndexHint[1] = nullptr; }

int CTreeCtrl::IndexOf(QTreeWidget* tree, QTreeWidgetItem* item) const {
  QTreeWidgetItem* parent = item->parent();
  // Every insertion and deletion goes through this class and drops the hint, so a hint that
  // names this item still gives its position.
  const int level = parent ? 1 : 0;
  if (m_pIndexHint[level] == item) return m_nIndexHint[level];
  return parent ? parent->indexOfChild(item) : tree->indexOfTopLevelItem(item);
}

QTreeWidgetItem* CTreeCtrl::SiblingOf(QTreeWidget* tree, QTreeWidgetItem* item, int delta) const {
  const int index = IndexOf(tree, item);
  QTreeWidgetItem* sibling = index < 0 ? nullptr : ChildAt(tree, item->parent(), index + delta);
  if (sibling) {
    const int level = sibling->parent() ? 1 : 0;
    m_pIndexHint[level] = sibling;
    m_nIndexHint[level] = index + delta;
  }
  return sibling;
}

HTREEITEM CTreeCtrl::GetNextSiblingItem(HTREEITEM hItem) const {
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  QTreeWidget* tree = GetTreeWidget();
  return item && tree ? HandleFromItem(SiblingOf(tree, item, +1)) : nullptr;
}

HTREEITEM CTreeCtrl::GetPrevSiblingItem(HTREEITEM hItem) const {
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  QTreeWidget* tree = GetTreeWidget();
  return item && tree ? HandleFromItem(SiblingOf(tree, item, -1)) : nullptr;
}

HTREEITEM CTreeCtrl::GetParentItem(HTREEITEM hItem) const {
  FlushInserts();
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  return item ? HandleFromItem(item->parent()) : nullptr;
}

HTREEITEM CTreeCtrl::GetSelectedItem() const {
  QTreeWidget* tree = GetTreeWidget();
  return tree ? HandleFromItem(tree->currentItem()) : nullptr;
}

HTREEITEM CTreeCtrl::GetFirstVisibleItem() const {
  QTreeWidget* tree = GetTreeWidget();
  return tree ? HandleFromItem(tree->itemAt(QPoint(1, 1))) : nullptr;
}

HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM hItem, UINT nCode) const {
  switch (nCode) {
    case TVGN_ROOT:
      return GetRootItem();
    case TVGN_NEXT:
      return GetNextSiblingItem(hItem);
    case TVGN_PREVIOUS:
      return GetPrevSiblingItem(hItem);
    case TVGN_PARENT:
      return GetParentItem(hItem);
    case TVGN_CHILD:
      return GetChildItem(hItem);
    case TVGN_CARET:
      return GetSelectedItem();
    case TVGN_FIRSTVISIBLE:
      return GetFirstVisibleItem();
  }
  return nullptr;
}

BOOL CTreeCtrl::ItemHasChildren(HTREEITEM hItem) const {
  FlushInserts();
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  return item && item->childCount() > 0;
}

UINT CTreeCtrl::GetCount() const {
  QTreeWidget* tree = GetTreeWidget();
  if (!tree) return 0;
  UINT count = 0;
  for (QTreeWidgetItemIterator it(tree); *it; ++it) ++count;
  return count;
}

BOOL CTreeCtrl::SelectItem(HTREEITEM hItem) {
  QTreeWidget* tree = GetTreeWidget();
  if (!tree) return FALSE;
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  if (item == tree->currentItem() && item == m_pLastSelected) return TRUE;
  ++m_nProgrammatic;
  if (item) {
    for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
    tree->setCurrentItem(item);
  } else {
    QTreeWidgetItem* previous = m_pLastSelected;
    SetCurrentSilently(nullptr);
    if (previous) Notify(TVN_SELCHANGED, previous, nullptr, TVC_UNKNOWN);
  }
  --m_nProgrammatic;
  return TRUE;
}

BOOL CTreeCtrl::Select(HTREEITEM hItem, UINT nCode) {
  if (nCode == TVGN_CARET) return SelectItem(hItem);
  if (nCode == TVGN_FIRSTVISIBLE) {
    QTreeWidget* tree = GetTreeWidget();
    QTreeWidgetItem* item = ItemFromHandle(hItem);
    if (!tree || !item) return FALSE;
    tree->scrollToItem(item, QAbstractItemView::PositionAtTop);
    return TRUE;
  }
  return FALSE;
}

BOOL CTreeCtrl::EnsureVisible(HTREEITEM hItem) {
  QTreeWidget* tree = GetTreeWidget();
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  if (!tree || !item) return FALSE;
  tree->scrollToItem(item);
  return TRUE;
}

BOOL CTreeCtrl::Expand(HTREEITEM hItem, UINT nCode) {
  FlushInserts();
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  if (!item || item->childCount() == 0) return FALSE;
  switch (nCode & 0x3u) {
    case TVE_EXPAND:
      item->setExpanded(true);
      break;
    case TVE_COLLAPSE:
      item->setExpanded(false);
      break;
    case TVE_TOGGLE:
      item->setExpanded(!item->isExpanded());
      break;
    default:
      return FALSE;
  }
  return TRUE;
}

DWORD_PTR CTreeCtrl::GetItemData(HTREEITEM hItem) const { return DataOf(ItemFromHandle(hItem)); }

BOOL CTreeCtrl::SetItemData(HTREEITEM hItem, DWORD_PTR dwData) {
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  if (!item) return FALSE;
  Item(item)->m_data = dwData;  // nothing shows it: no signal
  return TRUE;
}

CString CTreeCtrl::GetItemText(HTREEITEM hItem) const {
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  return item ? Item(item)->m_bytes : CString();
}

BOOL CTreeCtrl::SetItemText(HTREEITEM hItem, LPCTSTR lpszItem) {
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  if (!item) return FALSE;
  Item(item)->m_bytes = lpszItem ? lpszItem : "";
  const QString text = afx::ToQString(Item(item)->m_bytes);
  item->setText(0, text);
  if (m_pLabels->Remove(Item(item)->m_nDepth, Item(item)->m_nWidth)) PostFitColumn();
  CountLabel(item, text);
  return TRUE;
}

UINT CTreeCtrl::GetItemState(HTREEITEM hItem, UINT nStateMask) const {
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  if (!item) return 0;
  UINT state = INDEXTOOVERLAYMASK(Item(item)->m_nOverlay);
  if (GetTreeWidget() && GetTreeWidget()->currentItem() == item) state |= TVIS_SELECTED;
  if (item->isExpanded()) state |= TVIS_EXPANDED;
  return state & nStateMask;
}

BOOL CTreeCtrl::SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask) {
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  if (!item) return FALSE;
  const int overlay = int((nState & TVIS_OVERLAYMASK) >> 8);
  if ((nStateMask & TVIS_OVERLAYMASK) && Item(item)->m_nOverlay != overlay) {
    Item(item)->m_nOverlay = overlay;
    RefreshIcon(item);
  }
  if (nStateMask & TVIS_EXPANDED) {
    FlushInserts();
    item->setExpanded(nState & TVIS_EXPANDED);
  }
  if ((nStateMask & TVIS_SELECTED) && (nState & TVIS_SELECTED)) SelectItem(hItem);
  return TRUE;
}

BOOL CTreeCtrl::GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const {
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  if (!item) return FALSE;
  nImage = Item(item)->m_nImage;
  nSelectedImage = Item(item)->m_nSelectedImage;
  return TRUE;
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage) {
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  if (!item) return FALSE;
  Item(item)->m_nImage = nImage;
  Item(item)->m_nSelectedImage = nSelectedImage;
  RefreshIcon(item);
  return TRUE;
}

HTREEITEM CTreeCtrl::HitTest(CPoint pt, UINT* pFlags) const {
  QTreeWidget* tree = GetTreeWidget();
  QTreeWidgetItem* item = tree ? tree->itemAt(QPoint(pt.x, pt.y)) : nullptr;
  if (pFlags) *pFlags = item ? TVHT_ONITEM : TVHT_NOWHERE;
  return HandleFromItem(item);
}

BOOL CTreeCtrl::GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL) const {
  QTreeWidget* tree = GetTreeWidget();
  QTreeWidgetItem* item = ItemFromHandle(hItem);
  if (!tree || !item) return FALSE;
  const QRect r = tree->visualItemRect(item);
  if (r.isEmpty()) return FALSE;
  *lpRect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
  return TRUE;
}

CImageList* CTreeCtrl::SetImageList(CImageList* pImageList, int nImageListType) {
  if (nImageListType != TVSIL_NORMAL) return nullptr;
  CImageList* previous = m_pImageList;
  m_pImageList = pImageList;
  m_iconCache.clear();
  if (QTreeWidget* tree = GetTreeWidget()) {
    if (pImageList) {
      const CSize size = pImageList->GetImageSize();
      tree->setIconSize(QSize(size.cx, size.cy));
      PostFitColumn();
    }
    {
      // One repaint for all: a change signal per item has the view look each one up in its
      // rows, which for 100,000 shown rows is a long search each.
      const QSignalBlocker quiet(tree->model());
      for (QTreeWidgetItemIterator it(tree); *it; ++it) RefreshIcon(*it);
    }
    tree->viewport()->update();
  }
  return previous;
}

CImageList* CTreeCtrl::GetImageList(UINT nImageList) const {
  return nImageList == TVSIL_NORMAL ? m_pImageList : nullptr;
}

void CTreeCtrl::RefreshIcon(QTreeWidgetItem* item) const {
  if (!m_pImageList || !m_pImageList->GetSafeHandle()) {
    item->setIcon(0, QIcon());
    return;
  }
  const int overlay = Item(item)->m_nOverlay;
  const int image = Item(item)->m_nImage;
  const int selected = Item(item)->m_nSelectedImage;
  // Items share a few icons; composing each item's own would dominate a large rebuild.
  const IconKey key{image, selected, overlay, m_pImageList->GetImageCount()};
  auto it = m_iconCache.find(key);
  if (it == m_iconCache.end()) {
    QIcon icon;
    icon.addPixmap(m_pImageList->Compose(image, overlay), QIcon::Normal);
    icon.addPixmap(m_pImageList->Compose(selected, overlay), QIcon::Selected);
    it = m_iconCache.emplace(key, icon).first;
  }
  item->setIcon(0, it->second);
}

void CTreeCtrl::CountLabel(QTreeWidgetItem* item, const QString& text) {
  Item(item)->m_nWidth = m_pLabels->Measure(text);
  if (m_pLabels->Add(Item(item)->m_nDepth, Item(item)->m_nWidth)) PostFitColumn();
}

void CTreeCtrl::UncountLabels(QTreeWidgetItem* item) {
  if (item->childCount() == 0) {  // most deletions: a commit deletes its variables one by one
    if (m_pLabels->Remove(Item(item)->m_nDepth, Item(item)->m_nWidth)) PostFitColumn();
    return;
  }
  std::vector<QTreeWidgetItem*> stack{item};
  bool changed = false;
  while (!stack.empty()) {
    QTreeWidgetItem* next = stack.back();
    stack.pop_back();
    changed |= m_pLabels->Remove(Item(next)->m_nDepth, Item(next)->m_nWidth);
    for (int i = 0; i < next->childCount(); ++i) stack.push_back(next->child(i));
  }
  if (changed) PostFitColumn();
}

void CTreeCtrl::PostFitColumn() {
  if (m_bFitPosted) return;
  TreeWidget* widget = Tree(Widget());
  if (!widget) return;
  m_bFitPosted = true;
  // Once for a whole rebuild, not once for every label that is the widest so far.
  QMetaObject::invokeMethod(
      widget,
      [widget] {
        if (widget->m_ctrl) widget->m_ctrl->FitColumn();
      },
      Qt::QueuedConnection);
}

void CTreeCtrl::FitColumn() {
  m_bFitPosted = false;
  QTreeWidget* tree = GetTreeWidget();
  if (m_pLabels->FitColumn(tree)) Tree(tree)->UpdateGeometriesNow();
}

void CTreeCtrl::OnFontChanged() {
  QTreeWidget* tree = GetTreeWidget();
  if (!tree) return;
  m_pLabels->Reset(tree->font());
  for (QTreeWidgetItemIterator it(tree); *it; ++it) CountLabel(*it, (*it)->text(0));
  PostFitColumn();
}
