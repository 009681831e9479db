#include "afx/CScrollView.h"

#include <QAbstractScrollArea>
#include <QResizeEvent>
#include <QScrollBar>
#include <algorithm>

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

// The view's window. Its content widget always covers the viewport and never moves: scrolling
// moves the children instead, so the scrollable height is not bounded by the largest widget
// Qt can make (2^24 pixels), which a long stack of forms exceeds.
class ScrollArea : public QAbstractScrollArea {
 public:
  explicit ScrollArea(QWidget* parent) : QAbstractScrollArea(parent) {}
  QPointer<QWidget> m_content;
  CScrollView* m_view = nullptr;  // cleared when the view goes first

 protected:
  void scrollContentsBy(int dx, int dy) override {
    if (m_content) m_content->scroll(dx, dy);
    Notify();
  }

  void resizeEvent(QResizeEvent* event) override {  // the viewport's size
    QAbstractScrollArea::resizeEvent(event);
    if (m_content) m_content->resize(viewport()->size());
    if (CScrollView* view = View()) view->UpdateBars();
    Notify();
  }

  // Tab into a control that is out of sight brings it into view, as a scroll area does.
  bool focusNextPrevChild(bool next) override {
    if (!QAbstractScrollArea::focusNextPrevChild(next)) return false;
    if (QWidget* focus = focusWidget()) EnsureVisible(focus, 50, 50);
    return true;
  }

 private:
  CScrollView* View() const { return m_view; }
  void Notify() {
    if (CScrollView* view = View()) view->OnScrolled();
  }

  // QScrollArea::ensureWidgetVisible, with the content's client coordinates.
  void EnsureVisible(QWidget* child, int xmargin, int ymargin) {
    if (!m_content || !m_content->isAncestorOf(child)) return;
    const QRect microFocus = child->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const QRect defaultMicroFocus =
        child->QWidget::inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QRect focus = microFocus != defaultMicroFocus
                      ? QRect(child->mapTo(m_content, microFocus.topLeft()), microFocus.size())
                      : QRect(child->mapTo(m_content, QPoint(0, 0)), child->size());
    const QRect visible(QPoint(0, 0), viewport()->size());
    if (visible.contains(focus)) return;
    focus.adjust(-xmargin, -ymargin, xmargin, ymargin);
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    if (focus.width() > visible.width())
      h->setValue(h->value() + focus.center().x() - visible.width() / 2);
    else if (focus.right() > visible.right())
      h->setValue(h->value() + focus.right() - visible.width() + 1);
    else if (focus.left() < visible.left())
      h->setValue(h->value() + focus.left());
    if (focus.height() > visible.height())
      v->setValue(v->value() + focus.center().y() - visible.height() / 2);
    else if (focus.bottom() > visible.bottom())
      v->setValue(v->value() + focus.bottom() - visible.height() + 1);
    else if (focus.top() < visible.top())
      v->setValue(v->value() + focus.top());
  }
};

}  // namespace

CScrollView::CScrollView() = default;
CScrollView::~CScrollView() {
  if (auto* area = dynamic_cast<ScrollArea*>(m_pWidget.data())) area->m_view = nullptr;
}

QWidget* CScrollView::CreateWidget(QWidget* parent, const CREATESTRUCT&) {
  auto* area = new ScrollArea(parent);
  area->setFrameShape(QFrame::NoFrame);
  auto* content = new QWidget(area->viewport());
  content->setGeometry(QRect(QPoint(0, 0), area->viewport()->size()));
  PaintButtonFace(area->viewport());
  PaintButtonFace(content);
  area->m_content = content;
  area->m_view = this;
  m_pContent = content;
  return area;
}

QAbstractScrollArea* CScrollView::GetScrollArea() const {
  return qobject_cast<QAbstractScrollArea*>(m_pWidget);
}

QWidget* CScrollView::GetClientWidget() const { return m_pContent; }

void CScrollView::SetScrollSizes(int, SIZE sizeTotal, const SIZE& sizePage, const SIZE& sizeLine) {
  m_totalLog = sizeTotal;
  // Default page: a tenth of the total; default line: a tenth of the page.
  m_pageDev = CSize(sizePage.cx ? sizePage.cx : sizeTotal.cx / 10,
                    sizePage.cy ? sizePage.cy : sizeTotal.cy / 10);
  m_lineDev = CSize(sizeLine.cx ? sizeLine.cx : m_pageDev.cx / 10,
                    sizeLine.cy ? sizeLine.cy : m_pageDev.cy / 10);
  UpdateBars();
}

void CScrollView::UpdateBars() {
  QAbstractScrollArea* area = GetScrollArea();
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
  QAbstractScrollArea* area = GetScrollArea();
  if (!area) return;
  UpdateBars();
  area->horizontalScrollBar()->setValue(pt.x);  // the bars clamp to their ranges
  area->verticalScrollBar()->setValue(pt.y);
}

CPoint CScrollView::GetScrollPosition() const {
  QAbstractScrollArea* area = GetScrollArea();
  if (!area) return CPoint();
  return CPoint(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value());
}
