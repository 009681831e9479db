#include "afx/CTreeView.h"

IMPLEMENT_DYNAMIC(CTreeView, CView)

CTreeView::CTreeView() = default;

CTreeView::~CTreeView() = default;

void CTreeView::OnDraw(CDC*) {}

BOOL CTreeView::PreCreateWindow(CREATESTRUCT& cs) { return CView::PreCreateWindow(cs); }

QWidget* CTreeView::CreateWidget(QWidget* parent, const CREATESTRUCT&) {
  QWidget* w = m_tree.CreateTreeWidget(parent);
  m_tree.UseViewWidget(w);
  m_tree.SetNotifyTarget(this, true);
  return w;
}

void CTreeView::OnStyleChanged() { m_tree.ModifyStyle(~0u, m_dwStyle); }
