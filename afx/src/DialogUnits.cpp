#include "afx/DialogUnits.h"

#include <QFontMetrics>

#include "AfxInternal.h"

namespace afx {

namespace {
// Faces of Japanese Windows that Linux systems do not have.
bool IsWindowsJapaneseFace(const std::string& face) {
  static const char* const faces[] = {"ＭＳ Ｐゴシック", "ＭＳ ゴシック", "MS UI Gothic",
                                      "MS Shell Dlg",    "MS Sans Serif", "ＭＳ 明朝",
                                      "ＭＳ Ｐ明朝",     "MS Gothic",     "MS PGothic"};
  for (const char* f : faces)
    if (face == f) return true;
  return false;
}
}  // namespace

QFont DialogFont(const std::string& faceUtf8, int pointSize) {
  QFont font;
  if (faceUtf8.empty() || IsWindowsJapaneseFace(faceUtf8)) {
    font.setFamilies({QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
                      QStringLiteral("IPAPGothic"), QStringLiteral("VL PGothic")});
  } else {
    font.setFamily(QString::fromUtf8(faceUtf8.data(), qsizetype(faceUtf8.size())));
  }
  font.setPixelSize(detail::MulDiv(pointSize > 0 ? pointSize : 9, 96, 72));
  return font;
}

CSize DialogBaseUnits(const QFont& font) {
  const QFontMetrics fm(font);
  const int cx =
      fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return CSize((cx / 26 + 1) / 2, fm.height());
}

CRect DialogUnitsToPixels(int x, int y, int cx, int cy, CSize base) {
  const int left = detail::MulDiv(x, base.cx, 4);
  const int top = detail::MulDiv(y, base.cy, 8);
  return CRect(left, top, left + detail::MulDiv(cx, base.cx, 4),
               top + detail::MulDiv(cy, base.cy, 8));
}

}  // namespace afx
