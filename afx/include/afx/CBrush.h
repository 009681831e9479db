// A solid brush: a colour that a registered window class paints its background with.
#pragma once

#include "afx/AfxTypes.h"

class CBrush {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
  ~CBrush();
  CBrush(const CBrush&) = delete;
  CBrush& operator=(const CBrush&) = delete;

  BOOL CreateSolidBrush(COLORREF color);
  BOOL DeleteObject();
  /** The brush as a handle for AfxRegisterWndClass; null before CreateSolidBrush. */
  HBRUSH GetSafeHandle() const { return m_hBrush; }
  COLORREF GetColor() const { return m_color; }

 private:
  HBRUSH m_hBrush = nullptr;
  COLORREF m_color = 0;
};
