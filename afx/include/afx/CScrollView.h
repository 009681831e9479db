// A scrolling view: the content has the total size given to SetScrollSizes, of any height (it is
// not a widget of that size). Child windows are placed in client coordinates and move when the
// view scrolls, as ScrollWindow moves them; at position (0, 0) client and logical coordinates
// coincide. The background is the button-face colour.
#pragma once

#include "afx/CView.h"

class QAbstractScrollArea;

class CScrollView : public CView {
  DECLARE_DYNAMIC(CScrollView)
 public:
  CScrollView();
  ~CScrollView() override;

  /** Default page and line sizes: a tenth of the total for a line, the view for a page. */
  static const SIZE sizeDefault;

  /** MM_TEXT only; total size of the content in pixels. */
  void SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage = sizeDefault,
                      const SIZE& sizeLine = sizeDefault);
  /** Scrolls so that pt (logical) is at the top-left, clamped to the scroll range. */
  void ScrollToPosition(POINT pt);
  CPoint GetScrollPosition() const;
  CSize GetTotalSize() const { return m_totalLog; }
  /** Re-applies the scroll ranges to the bars. */
  void UpdateBars();

  QWidget* GetClientWidget() const override;

  /** Called after the visible part of the content changed: the position moved (bars, wheel,
   *  keyboard focus, ScrollToPosition, a range that shrank) or the view was resized. */
  virtual void OnScrolled() {}

 protected:
  QWidget* CreateWidget(QWidget* parent, const CREATESTRUCT& cs) override;
  QAbstractScrollArea* GetScrollArea() const;

 private:
  QPointer<QWidget> m_pContent;
  CSize m_totalLog;
  CSize m_pageDev;
  CSize m_lineDev;
};
