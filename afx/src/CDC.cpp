#include "afx/CDC.h"

#include <QFontMetrics>
#include <QRegularExpression>
#include <cstring>

#include "afx/CWnd.h"
#include "afx/Text.h"

namespace {
QString Slice(LPCTSTR s, int nCount) {
  if (!s) return QString();
  const size_t n = nCount < 0 ? strlen(s) : size_t(nCount);
  return afx::ToQString(std::string_view(s, n));
}
}  // namespace

int CDC::DrawText(LPCTSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) {
  const QFontMetrics fm(m_font);
  QString text = Slice(lpszString, nCount);
  if (!(nFormat & DT_NOPREFIX)) text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
  const QRect r = (nFormat & DT_SINGLELINE) ? QRect(0, 0, fm.horizontalAdvance(text), fm.height())
                                            : fm.boundingRect(QRect(0, 0, 0, 0), 0, text);
  if (nFormat & DT_CALCRECT) {
    lpRect->right = lpRect->left + r.width();
    lpRect->bottom = lpRect->top + r.height();
  }
  return r.height();
}

int CDC::DrawText(const CString& str, LPRECT lpRect, UINT nFormat) {
  return DrawText(str.GetString(), str.GetLength(), lpRect, nFormat);
}

CSize CDC::GetTextExtent(LPCTSTR lpszString, int nCount) const {
  const QFontMetrics fm(m_font);
  return CSize(fm.horizontalAdvance(Slice(lpszString, nCount)), fm.height());
}

CClientDC::CClientDC(CWnd* pWnd)
    : CDC(pWnd && pWnd->GetWidget() ? pWnd->GetWidget()->font() : QFont()) {}
