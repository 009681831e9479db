// A view that is a tree control: GetTreeCtrl() operates it, and its notifications
// (TVN_SELCHANGED, NM_RCLICK) reach this view's table as ON_NOTIFY_REFLECT entries.
#pragma once

#include "afx/CTreeCtrl.h"
#include "afx/CView.h"

class CTreeView : public CView {
  DECLARE_DYNAMIC(CTreeView)
 public:
  CTreeView();
  ~CTreeView() override;

  CTreeCtrl& GetTreeCtrl() const { return m_tree; }
  /** The tree control paints itself. */
  void OnDraw(CDC* pDC) override;
  /** Applies TVS_* bits to the control as well. */
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;

 protected:
  QWidget* CreateWidget(QWidget* parent, const CREATESTRUCT& cs) override;
  void OnStyleChanged() override;

 private:
  mutable CTreeCtrl m_tree;
};
