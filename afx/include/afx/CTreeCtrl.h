// A tree control over QTreeWidget. Items are HTREEITEM handles; texts are CP932 (kept byte for
// byte, shown decoded). Selection changes notify TVN_SELCHANGED synchronously, inside the call
// that changes the selection (SelectItem, DeleteItem, DeleteAllItems, a user click), with
// itemNew.hItem the new selection or null; only real changes notify. Deleting the selected item
// or one of its ancestors first selects the deleted item's next sibling, else its parent when it
// is not a root item, else its previous sibling, else nothing. A right button release over the
// control notifies NM_RCLICK (the selection does not move on a right click). Labels are shown
// whole: the column is as wide as the widest label, and the control scrolls sideways to it.
#pragma once

#include <afxcore/CString.h>

#include <QIcon>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "afx/CWnd.h"

class CImageList;
class QTreeWidget;
class QTreeWidgetItem;
namespace afx::detail {
class TreeLabelWidths;
}

class CTreeCtrl : public CWnd {
  DECLARE_DYNAMIC(CTreeCtrl)
 public:
  CTreeCtrl();
  ~CTreeCtrl() override;

  /** A stand-alone tree control (a CTreeView makes its own). */
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

  HTREEITEM InsertItem(LPCTSTR lpszItem, int nImage, int nSelectedImage,
                       HTREEITEM hParent = TVI_ROOT, HTREEITEM hInsertAfter = TVI_LAST);
  HTREEITEM InsertItem(LPCTSTR lpszItem, HTREEITEM hParent = TVI_ROOT,
                       HTREEITEM hInsertAfter = TVI_LAST);
  BOOL DeleteItem(HTREEITEM hItem);
  BOOL DeleteAllItems();

  HTREEITEM GetRootItem() const;
  HTREEITEM GetChildItem(HTREEITEM hItem) const;
  HTREEITEM GetNextSiblingItem(HTREEITEM hItem) const;
  HTREEITEM GetPrevSiblingItem(HTREEITEM hItem) const;
  HTREEITEM GetParentItem(HTREEITEM hItem) const;
  HTREEITEM GetSelectedItem() const;
  /** The topmost item shown in the window. */
  HTREEITEM GetFirstVisibleItem() const;
  /** TVGN_ROOT, TVGN_NEXT, TVGN_PREVIOUS, TVGN_PARENT, TVGN_CHILD, TVGN_CARET, TVGN_FIRSTVISIBLE.
   */
  HTREEITEM GetNextItem(HTREEITEM hItem, UINT nCode) const;
  BOOL ItemHasChildren(HTREEITEM hItem) const;
  UINT GetCount() const;

  /** Selects hItem (null selects none). */
  BOOL SelectItem(HTREEITEM hItem);
  /** TVGN_CARET selects; TVGN_FIRSTVISIBLE scrolls hItem to the top. */
  BOOL Select(HTREEITEM hItem, UINT nCode);
  BOOL SelectSetFirstVisible(HTREEITEM hItem) { return Select(hItem, TVGN_FIRSTVISIBLE); }
  BOOL EnsureVisible(HTREEITEM hItem);
  /** TVE_EXPAND, TVE_COLLAPSE, TVE_TOGGLE. */
  BOOL Expand(HTREEITEM hItem, UINT nCode);

  DWORD_PTR GetItemData(HTREEITEM hItem) const;
  BOOL SetItemData(HTREEITEM hItem, DWORD_PTR dwData);
  CString GetItemText(HTREEITEM hItem) const;
  BOOL SetItemText(HTREEITEM hItem, LPCTSTR lpszItem);
  /** TVIS_SELECTED, TVIS_EXPANDED and the overlay bits (TVIS_OVERLAYMASK) under nStateMask. */
  UINT GetItemState(HTREEITEM hItem, UINT nStateMask) const;
  BOOL SetItemState(HTREEITEM hItem, UINT nState, UINT nStateMask);
  BOOL GetItemImage(HTREEITEM hItem, int& nImage, int& nSelectedImage) const;
  BOOL SetItemImage(HTREEITEM hItem, int nImage, int nSelectedImage);

  /** The item at a point in client coordinates (null over empty space); pFlags gets TVHT_ONITEM
   *  or TVHT_NOWHERE. */
  HTREEITEM HitTest(CPoint pt, UINT* pFlags = nullptr) const;
  /** The rectangle of an item in client coordinates. */
  BOOL GetItemRect(HTREEITEM hItem, LPRECT lpRect, BOOL bTextOnly) const;

  /** Not owned; icons are recomposed from it at once. Returns the previous list. */
  CImageList* SetImageList(CImageList* pImageList, int nImageListType);
  CImageList* GetImageList(UINT nImageList) const;

  QTreeWidget* GetTreeWidget() const;
  static QTreeWidgetItem* ItemFromHandle(HTREEITEM hItem);
  static HTREEITEM HandleFromItem(QTreeWidgetItem* item);

  // Internal: the tree widget for a view, which keeps the widget bound to itself; the window
  // that receives notifications and whether they are reflected to it.
  QWidget* CreateTreeWidget(QWidget* parent);
  void UseViewWidget(QWidget* widget);
  void SetNotifyTarget(CWnd* pTarget, bool bReflect);
  void OnQtCurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
  void OnRightButtonUp(const QPoint& globalPos);
  void RefreshIcon(QTreeWidgetItem* item) const;
  /** Puts the appended items that wait into the tree. */
  void FlushInserts() const;
  /** Sizes the column to the widest label (after a change, the event loop does it). */
  void FitColumn();
  /** Measures every label again, in the font the tree has now. */
  void OnFontChanged();

 protected:
  QWidget* CreateWidget(QWidget* parent, const CREATESTRUCT& cs) override;
  void OnStyleChanged() override;

 private:
  void Notify(UINT code, QTreeWidgetItem* oldItem, QTreeWidgetItem* newItem, UINT action);
  void SetCurrentSilently(QTreeWidgetItem* item);
  QTreeWidget* Widget() const;  // without flushing the appends that wait
  void ForgetIndexHints();
  int IndexOf(QTreeWidget* tree, QTreeWidgetItem* item) const;
  QTreeWidgetItem* SiblingOf(QTreeWidget* tree, QTreeWidgetItem* item, int delta) const;
  void CountLabel(QTreeWidgetItem* item, const QString& text);
  void UncountLabels(QTreeWidgetItem* item);
  void PostFitColumn();

  using IconKey = std::tuple<int, int, int, int>;  // image, selected image, overlay, list size
  mutable std::map<IconKey, QIcon> m_iconCache;
  CImageList* m_pImageList = nullptr;
  CWnd* m_pNotifyTarget = nullptr;
  bool m_bReflect = false;
  mutable int m_nSilent = 0;
  int m_nProgrammatic = 0;
  QTreeWidgetItem* m_pLastSelected = nullptr;
  // Position of the item last stepped to: walking siblings one by one stays linear, where
  // Qt would search the parent's list on every step.
  // One for the root level, one for the levels below.
  mutable const QTreeWidgetItem* m_pIndexHint[2] = {nullptr, nullptr};
  mutable int m_nIndexHint[2] = {-1, -1};
  // Items appended (TVI_LAST) under one parent (null: the root level), not in the tree yet.
  mutable std::vector<QTreeWidgetItem*> m_pending;
  mutable QTreeWidgetItem* m_pPendingParent = nullptr;
  mutable bool m_bFlushPosted = false;
  mutable const QWidget* m_pCastFor = nullptr;
  mutable QTreeWidget* m_pCastTree = nullptr;
  // Every label's width, counted from its insertion to its deletion.
  std::unique_ptr<afx::detail::TreeLabelWidths> m_pLabels;
  bool m_bFitPosted = false;
};
