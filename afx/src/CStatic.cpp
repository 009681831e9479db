#include "afx/CStatic.h"

#include <QLabel>

#include "afx/ResourceRegistry.h"

IMPLEMENT_DYNAMIC(CStatic, CWnd)

HICON CStatic::SetIcon(HICON hIcon) {
  auto* label = qobject_cast<QLabel*>(m_pWidget);
  if (!label) return nullptr;
  HICON previous = m_hIcon;
  m_hIcon = hIcon;
  label->setPixmap(afx::IconPixmap(hIcon));
  return previous;
}
