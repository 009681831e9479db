#include "afx/CImageList.h"

#include <QPainter>

#include "afx/ResourceRegistry.h"

BOOL CImageList::Create(int cx, int cy, UINT, int, int) {
  if (cx <= 0 || cy <= 0) return FALSE;
  m_size = CSize(cx, cy);
  m_images.clear();
  m_overlays.clear();
  m_bCreated = true;
  return TRUE;
}

int CImageList::Add(HICON hIcon) {
  if (!m_bCreated) return -1;
  QPixmap pixmap = afx::IconPixmap(hIcon);
  if (pixmap.isNull()) return -1;
  if (pixmap.size() != QSize(m_size.cx, m_size.cy))
    pixmap = pixmap.scaled(m_size.cx, m_size.cy, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  m_images.push_back(pixmap);
  return int(m_images.size()) - 1;
}

BOOL CImageList::SetOverlayImage(int nImage, int nOverlay) {
  if (nImage < 0 || nImage >= GetImageCount() || nOverlay < 1 || nOverlay > 15) return FALSE;
  m_overlays[nOverlay] = nImage;
  return TRUE;
}

BOOL CImageList::DeleteImageList() {
  if (!m_bCreated) return FALSE;
  m_bCreated = false;
  m_images.clear();
  m_overlays.clear();
  return TRUE;
}

HIMAGELIST CImageList::GetSafeHandle() const {
  return m_bCreated ? reinterpret_cast<HIMAGELIST>(const_cast<CImageList*>(this)) : nullptr;
}

QPixmap CImageList::Compose(int nImage, int nOverlay) const {
  if (nImage < 0 || nImage >= GetImageCount()) return QPixmap();
  QPixmap result = m_images[size_t(nImage)];
  const auto overlay = m_overlays.find(nOverlay);
  if (nOverlay > 0 && overlay != m_overlays.end()) {
    QPainter painter(&result);
    painter.drawPixmap(0, 0, m_images[size_t(overlay->second)]);
  }
  return result;
}
