// An image list: equally sized pictures by index, some registered as overlays (1..15) that a
// tree composes onto an item's icon.
#pragma once

#include <QPixmap>
#include <map>
#include <vector>

#include "afx/CGeometry.h"

class CImageList {
 public:
  CImageList() = default;
  ~CImageList() = default;
  CImageList(const CImageList&) = delete;
  CImageList& operator=(const CImageList&) = delete;

  /** ILC_COLOR24 | ILC_MASK; nInitial and nGrow are accepted and not needed. */
  BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
  /** Adds an icon (scaled to the list's size); returns its index, -1 on failure. */
  int Add(HICON hIcon);
  /** Makes image nImage overlay nOverlay (1..15). */
  BOOL SetOverlayImage(int nImage, int nOverlay);
  int GetImageCount() const { return int(m_images.size()); }
  BOOL DeleteImageList();
  /** Non-null while created. */
  HIMAGELIST GetSafeHandle() const;

  /** Image nImage with overlay nOverlay (0 none) drawn over it; a null pixmap for a bad index. */
  QPixmap Compose(int nImage, int nOverlay) const;
  CSize GetImageSize() const { return m_size; }

 private:
  bool m_bCreated = false;
  CSize m_size;
  std::vector<QPixmap> m_images;
  std::map<int, int> m_overlays;  // overlay index -> image index
};
