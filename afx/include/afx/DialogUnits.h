// Dialog units: template positions convert to pixels from the template font's base units, as
// Windows does (average width of the 52 Latin letters, and the font's height).
#pragma once

#include <QFont>
#include <string>

#include "afx/CGeometry.h"

namespace afx {

/** The font a template names; Windows-only Japanese faces map to an installed CJK face. Size:
 *  pointSize at 96 dots per inch, as pixels. */
QFont DialogFont(const std::string& faceUtf8, int pointSize);
/** Horizontal and vertical base units of a font in pixels. */
CSize DialogBaseUnits(const QFont& font);
/** A rectangle given as x, y, cx, cy in dialog units (left, top, right = cx, bottom = cy) to
 *  pixels: x * base.cx / 4, y * base.cy / 8, rounded. */
CRect DialogUnitsToPixels(int x, int y, int cx, int cy, CSize base);

}  // namespace afx
