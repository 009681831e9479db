// A device context reduced to what the program measures with: DrawText with DT_CALCRECT, in the
// font of the window it belongs to. Drawing goes through Qt painting in the views themselves.
#pragma once

#include <afxcore/CString.h>

#include <QFont>

#include "afx/CGeometry.h"

class CWnd;

class CDC {
 public:
  explicit CDC(const QFont& font) : m_font(font) {}
  virtual ~CDC() = default;

  /** With DT_CALCRECT: sets lpRect's right and bottom to fit the text (CP932; nCount -1 for the
   *  whole string) and returns the height. Without it nothing is drawn and the height is returned.
   */
  int DrawText(LPCTSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat);
  int DrawText(const CString& str, LPRECT lpRect, UINT nFormat);
  /** Size of a single-line text in pixels. */
  CSize GetTextExtent(LPCTSTR lpszString, int nCount) const;

  const QFont& GetFont() const { return m_font; }

 private:
  QFont m_font;
};

/** A device context of a window's client area, released when it goes out of scope. */
class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* pWnd);
};
