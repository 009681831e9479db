// Writes the program's own icon (IDR_MAINFRAME) as a PNG for the desktop's icon theme, each
// pixel of the icon an exact square of pixels, so the installed icon is the one in the window.
//   tolvane_icon_png SIZE OUT.png     SIZE a multiple of the icon's own size
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "res/ProgramResources.h"

namespace {

QImage IconImage(const afx::Pixmap& picture, int scale) {
  QImage image(picture.width * scale, picture.height * scale, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int y = 0; y < picture.height && y < int(picture.rows.size()); ++y) {
    const std::string& row = picture.rows[size_t(y)];
    for (int x = 0; x < picture.width && x < int(row.size()); ++x) {
      const auto colour = picture.palette.find(row[size_t(x)]);
      if (colour == picture.palette.end()) continue;  // ' ' and '.' are see-through
      for (int dy = 0; dy < scale; ++dy) {
        for (int dx = 0; dx < scale; ++dx)
          image.setPixel(x * scale + dx, y * scale + dy, colour->second);
      }
    }
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: tolvane_icon_png SIZE OUT.png\n", stderr);
    return 2;
  }
  const int size = std::atoi(argv[1]);
  for (const auto& icon : res::Resources().icons) {
    if (icon.id != IDR_MAINFRAME) continue;
    const afx::Pixmap& picture = icon.image;
    if (size <= 0 || picture.width != picture.height || size % picture.width != 0) {
      std::fprintf(stderr, "tolvane_icon_png: %s is not a multiple of the icon's %d pixels\n",
                   argv[1], picture.width);
      return 2;
    }
    if (IconImage(picture, size / picture.width).save(argv[2], "PNG")) return 0;
    std::fprintf(stderr, "tolvane_icon_png: cannot write %s\n", argv[2]);
    return 1;
  }
  std::fputs("tolvane_icon_png: the program has no IDR_MAINFRAME icon\n", stderr);
  return 1;
}
