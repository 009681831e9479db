// Helpers of the tree tests: items named by their texts, marks, commands and right clicks.
#pragma once

#include <QAbstractItemView>
#include <QPoint>
#include <QTest>
#include <QTreeWidget>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "UiFixture.h"
#include "model/PersetCookie.h"
#include "model/SiteCache.h"
#include "platform/UrlCacheStore.h"
#include "res/ResourceIds.h"

namespace tolvane::test {

class TreeFixture : public UiFixture {
 protected:
  std::vector<HTREEITEM> Roots() const {
    std::vector<HTREEITEM> items;
    for (HTREEITEM h = TreeCtrl().GetRootItem(); h; h = TreeCtrl().GetNextSiblingItem(h)) {
      items.push_back(h);
    }
    return items;
  }
  std::vector<HTREEITEM> Children(HTREEITEM site) const {
    std::vector<HTREEITEM> items;
    for (HTREEITEM h = TreeCtrl().GetChildItem(site); h; h = TreeCtrl().GetNextSiblingItem(h)) {
      items.push_back(h);
    }
    return items;
  }

  /** "site" names a site item, "site name" a variable item (texts in UTF-8); "" none. */
  HTREEITEM Item(const std::string& path) const {
    if (path.empty()) return nullptr;
    const size_t blank = path.find(' ');
    const std::string site = Sjis(path.substr(0, blank));
    for (HTREEITEM root : Roots()) {
      if (TreeCtrl().GetItemText(root).str() != site) continue;
      if (blank == std::string::npos) return root;
      const std::string name = Sjis(path.substr(blank + 1));
      for (HTREEITEM child : Children(root)) {
        if (TreeCtrl().GetItemText(child).str() == name) return child;
      }
    }
    ADD_FAILURE() << "no item " << path;
    return nullptr;
  }

  /** The path of an item as Item() takes it; "" for none. */
  std::string PathOf(HTREEITEM item) const {
    if (!item) return "";
    HTREEITEM parent = TreeCtrl().GetParentItem(item);
    const std::string text = Utf8(TreeCtrl().GetItemText(item).str());
    return parent ? Utf8(TreeCtrl().GetItemText(parent).str()) + " " + text : text;
  }
  std::string Selected() const { return PathOf(TreeCtrl().GetSelectedItem()); }

  /** Every item as "site" or "  name" lines, in tree order. */
  std::vector<std::string> Shape() const {
    std::vector<std::string> lines;
    for (HTREEITEM root : Roots()) {
      lines.push_back(Utf8(TreeCtrl().GetItemText(root).str()));
      for (HTREEITEM child : Children(root)) {
        lines.push_back("  " + Utf8(TreeCtrl().GetItemText(child).str()));
      }
    }
    return lines;
  }
  /** The catalogue in the same form. */
  std::vector<std::string> CatalogueShape() const {
    std::vector<std::string> lines;
    for (int i = 0; i < Catalogue()->GetSize(); ++i) {
      SiteCache* entry = Catalogue()->GetEntry(i);
      lines.push_back(Utf8(entry->m_strSite.str()));
      for (int j = 0; j < entry->GetSize(); ++j) {
        lines.push_back("  " + Utf8(entry->GetVariable(j)->m_strName.str()));
      }
    }
    return lines;
  }

  int Mark(HTREEITEM item) const {
    return int(TreeCtrl().GetItemState(item, TVIS_OVERLAYMASK) >> 8);
  }
  template <typename Record>
  Record* Data(HTREEITEM item) const {
    return static_cast<Record*>(reinterpret_cast<CObject*>(TreeCtrl().GetItemData(item)));
  }

  void Select(const std::string& path) { TreeCtrl().SelectItem(Item(path)); }

  /** Runs a command from the menu bar with the tree pane active; a refused (disabled) command
   *  fails the test. */
  void Command(UINT id) {
    Activate(Tree());
    ASSERT_TRUE(Run(id)) << "refused: " << id;
  }

  /** Picks a command from the selected item's context menu, as a right click and a choice do; a
   *  grayed item fails the test. */
  void ContextCommand(UINT id) {
    bool offered = false;
    afx::SetPopupMenuHook([&](CMenu& menu, int, int) {
      const UINT state = menu.GetMenuState(id, MF_BYCOMMAND);
      offered = state != UINT(-1) && (state & (MF_GRAYED | MF_DISABLED)) == 0;
      return id;
    });
    RightClick(TreeCtrl().GetSelectedItem());
    afx::SetPopupMenuHook(nullptr);
    EXPECT_TRUE(offered) << "not offered: " << id;
    ExpectTreeMirrorsCatalogue();
  }

  /** A right button release at a point of the tree control (its client coordinates). */
  void RightClickAt(CPoint client) {
    QAbstractItemView* view = TreeCtrl().GetTreeWidget();
    CPoint screen = client;
    TreeCtrl().ClientToScreen(&screen);
    const QPoint local = view->viewport()->mapFromGlobal(QPoint(screen.x, screen.y));
    QTest::mousePress(view->viewport(), Qt::RightButton, {}, local);
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, local);
  }
  void RightClick(HTREEITEM item) {
    RECT rc{};
    ASSERT_TRUE(TreeCtrl().GetItemRect(item, &rc, TRUE));
    RightClickAt(CPoint((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
  }

  /** The stored cookie file of a URL ("" when there is no such entry). */
  static std::string StoredFile(const std::string& url) {
    platform::UrlCacheRecord record;
    if (!platform::FindUrlCacheEntry(url, record)) return "";
    std::string bytes;
    if (FILE* f = std::fopen(record.localFile.c_str(), "rb")) {
      char buffer[4096];
      size_t n;
      while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
      std::fclose(f);
    }
    return bytes;
  }
  /** A cookie file as the program writes it: the numbers of each record as signed decimals. */
  static std::string AsWritten(const std::string& file) {
    std::string out;
    size_t start = 0;
    for (int line = 0; start < file.size(); ++line) {
      size_t end = file.find('\n', start);
      if (end == std::string::npos) end = file.size();
      std::string text = file.substr(start, end - start);
      const int field = line % 9;
      if (field >= 3 && field <= 7) text = std::to_string(int32_t(std::stoul(text)));
      out += text + "\n";
      start = end + 1;
    }
    return out;
  }
  static bool Stored(const std::string& url) {
    platform::UrlCacheRecord record;
    return platform::FindUrlCacheEntry(url, record);
  }
  static std::vector<std::string> StoredUrls() {
    std::vector<platform::UrlCacheRecord> records;
    platform::ListUrlCacheEntries(records);
    std::vector<std::string> urls;
    for (const auto& r : records) urls.push_back(r.url);
    return urls;
  }
};

}  // namespace tolvane::test
