#include "afx/ResourceRegistry.h"

#include <QImage>
#include <map>
#include <memory>

struct HICON__ {
  QPixmap pixmap;
};

namespace afx {
namespace {

ResourceSet& Registered() {
  static ResourceSet set;
  return set;
}

std::map<int, std::unique_ptr<HICON__>>& IconCache() {
  static std::map<int, std::unique_ptr<HICON__>> cache;
  return cache;
}

template <typename T>
const T* FindById(const std::vector<T>& items, int id) {
  for (const T& item : items)
    if (item.id == id) return &item;
  return nullptr;
}

}  // namespace

void RegisterResources(const ResourceSet& resources) {
  Registered() = resources;
  // Handles already given out stay valid; their pictures follow the new set.
  for (auto& [id, icon] : IconCache()) {
    const IconResource* res = FindIcon(id);
    icon->pixmap = res ? ToPixmap(res->image) : QPixmap();
  }
}

const ResourceSet& GetResources() { return Registered(); }

const DialogTemplate* FindDialog(int id) { return FindById(Registered().dialogs, id); }
const MenuResource* FindMenu(int id) { return FindById(Registered().menus, id); }
const AcceleratorTable* FindAccelerators(int id) { return FindById(Registered().accelerators, id); }
const ToolBarResource* FindToolBar(int id) { return FindById(Registered().toolBars, id); }
const IconResource* FindIcon(int id) { return FindById(Registered().icons, id); }

const std::string* FindString(int id) {
  const auto& strings = Registered().strings;
  const auto it = strings.find(id);
  return it == strings.end() ? nullptr : &it->second;
}

QPixmap ToPixmap(const Pixmap& picture) {
  if (picture.width <= 0 || picture.height <= 0) return QPixmap();
  QImage image(picture.width, picture.height, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  for (int y = 0; y < picture.height && y < int(picture.rows.size()); ++y) {
    const std::string& row = picture.rows[size_t(y)];
    for (int x = 0; x < picture.width && x < int(row.size()); ++x) {
      const char c = row[size_t(x)];
      if (c == ' ' || c == '.') continue;
      const auto it = picture.palette.find(c);
      if (it != picture.palette.end()) image.setPixel(x, y, it->second);
    }
  }
  return QPixmap::fromImage(image);
}

HICON LoadIconResource(int id) {
  auto& cache = IconCache();
  const auto it = cache.find(id);
  if (it != cache.end()) return it->second->pixmap.isNull() ? nullptr : it->second.get();
  const IconResource* res = FindIcon(id);
  if (!res) return nullptr;
  auto icon = std::make_unique<HICON__>();
  icon->pixmap = ToPixmap(res->image);
  HICON handle = icon.get();
  cache.emplace(id, std::move(icon));
  return handle;
}

QPixmap IconPixmap(HICON hIcon) { return hIcon ? hIcon->pixmap : QPixmap(); }

}  // namespace afx
