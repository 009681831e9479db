#include "afx/CScrollView.h"

#include <QScrollArea>
#include <QScrollBar>

#include "afx/AfxFunctions.h"

IMPLEMENT_DYNAMIC(CScrollView, CView)

const SIZE CScrollView::sizeDefault = {0, 0};

namespace {

QColor ButtonFace() {
  const COLORREF c = GetSysColor(COLOR_BTNFACE);
  return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

void PaintButtonFace(QWidget* w) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, ButtonFace());
  w->setPalette(pal);
  w->setAutoFillBackground(true);
}

}  // namespace

CScrollView::CScrollView() = default;
CScrollView::~CScrollView() = default;

QWidget* CScrollView::CreateWidget(QWidget* parent, const CREATESTRUCT&) {
  auto* area = new QScrollArea(parent);
  area->setWidgetResizable(false);
  area->setFrameShape(QFrame::NoFrame);
  area->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  auto* content = new QWidget();
  content->resize(0, 0);
  area->setWidget(content);
  PaintButtonFace(area->viewport());
  PaintButtonFace(content);
  m_pContent = content;
  return area;
}

QScrollArea* CScrollView::GetScrollArea() const { return qobject_cast<QScrollArea*>(m_pWidget); }

QWidget* CScrollView::GetClientWidget() const { return m_pContent; }

void CScrollView::SetScrollSizes(int, SIZE sizeTotal, const SIZE& sizePage, const SIZE& sizeLine) {
  m_totalLog = sizeTotal;
  // Default page: a tenth of the total; default line: a tenth of the page.
  m_pageDev = CSize(sizePage.cx ? sizePage.cx : sizeTotal.cx / 10,
                    sizePage.cy ? sizePage.cy : sizeTotal.cy / 10);
  m_lineDev = CSize(sizeLine.cx ? sizeLine.cx : m_pageDev.cx / 10,
                    sizeLine.cy ? sizeLine.cy : m_pageDev.cy / 10);
  if (m_pContent) m_pContent->resize(sizeTotal.cx, sizeTotal.cy);
  UpdateBars();
}

void CScrollView::UpdateBars() {
  QScrollArea* area = GetScrollArea();
  if (!area) return;
  // Set the ranges now rather than when Qt next lays out, so that positions clamp at once.
  const QSize view = area->maximumViewportSize();
  const bool needV = m_totalLog.cy > view.height();
  const bool needH = m_totalLog.cx > view.width() - (needV ? GetSystemMetrics(SM_CXVSCROLL) : 0);
  const int width = view.width() - (needV ? GetSystemMetrics(SM_CXVSCROLL) : 0);
  const int height = view.height() - (needH ? GetSystemMetrics(SM_CYHSCROLL) : 0);
  QScrollBar* h = area->horizontalScrollBar();
  QScrollBar* v = area->verticalScrollBar();
  h->setRange(0, std::max(0, int(m_totalLog.cx) - width));
  v->setRange(0, std::max(0, int(m_totalLog.cy) - height));
  h->setPageStep(std::max(1, width));
  v->setPageStep(std::max(1, height));
  h->setSingleStep(std::max(1, int(m_lineDev.cx)));
  v->setSingleStep(std::max(1, int(m_lineDev.cy)));
}

void CScrollView::ScrollToPosition(POINT pt) {
  QScrollArea* area = GetScrollArea();
  if (!area) return;
  UpdateBars();
  area->horizontalScrollBar()->setValue(pt.x);  // the bars clamp to their ranges
  area->verticalScrollBar()->setValue(pt.y);
}

CPoint CScrollView::GetScrollPosition() const {
  QScrollArea* area = GetScrollArea();
  if (!area) return CPoint();
  return CPoint(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value());
}
