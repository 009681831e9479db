// Ids of the resource set: present, unique, and consistent between menus, keys, tool bar
// and prompts.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "res/ProgramResources.h"

namespace {

template <typename T>
std::vector<int> Ids(const std::vector<T>& resources) {
  std::vector<int> ids;
  for (const auto& r : resources) ids.push_back(r.id);
  std::sort(ids.begin(), ids.end());
  return ids;
}

TEST(ResourceSet, EveryResourceIsPresentOnce) {
  const auto& set = res::Resources();
  struct Case {
    const char* kind;
    std::vector<int> actual, expected;
  };
  const Case cases[] = {
      {"dialog", Ids(set.dialogs), {100, 101, 130, 136, 137, 138, 141, 143}},
      {"menu", Ids(set.menus), {128, 134}},
      {"accelerators", Ids(set.accelerators), {128}},
      {"tool bar", Ids(set.toolBars), {128}},
      {"icon", Ids(set.icons), {128, 139, 140, 141, 142}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected) << c.kind;
}

const afx::MenuResource& Menu(int id) {
  const auto& menus = res::Resources().menus;
  auto it = std::find_if(menus.begin(), menus.end(), [id](const auto& m) { return m.id == id; });
  if (it == menus.end()) throw std::runtime_error("no menu " + std::to_string(id));
  return *it;
}

std::vector<afx::MenuItem> Commands(const afx::MenuResource& menu) {
  std::vector<afx::MenuItem> items;
  for (const auto& popup : menu.popups) {
    for (const auto& item : popup.children) {
      if (!item.separator) items.push_back(item);
    }
  }
  return items;
}

TEST(ResourceSet, MenuItemsHaveDistinctNonZeroIds) {
  for (const auto& menu : res::Resources().menus) {
    std::set<int> seen;
    for (const auto& item : Commands(menu)) {
      EXPECT_NE(item.id, 0) << item.text;
      EXPECT_TRUE(seen.insert(item.id).second) << menu.id << ": " << item.id;
    }
    for (const auto& popup : menu.popups) {
      for (const auto& item : popup.children) {
        if (item.separator) {
          EXPECT_TRUE(item.text.empty() && item.id == 0);
        }
      }
    }
  }
}

// Every command the user can point at shows a prompt in the status bar; tool bar buttons
// also need the tool tip after the newline.
TEST(ResourceSet, CommandsHavePrompts) {
  const auto& set = res::Resources();
  for (const auto& menu : set.menus) {
    for (const auto& item : Commands(menu)) {
      auto it = set.strings.find(item.id);
      ASSERT_NE(it, set.strings.end()) << item.text;
      EXPECT_FALSE(it->second.empty()) << item.id;
    }
  }
  for (int id : set.toolBars.at(0).buttons) {
    if (id == 0) continue;
    auto it = set.strings.find(id);
    ASSERT_NE(it, set.strings.end()) << id;
    auto newline = it->second.find('\n');
    ASSERT_NE(newline, std::string::npos) << id;
    EXPECT_LT(newline + 1, it->second.size()) << id << " has an empty tool tip";
  }
}

TEST(ResourceSet, ToolBarOrder) {
  const std::vector<int> expected = {
      ID_FILE_NEW,
      ID_FILE_SAVE,
      ID_FILE_SAVE_AS,
      0,
      ID_ABORT_RELOAD,
      ID_COMMIT,
      ID_DELETE_ITEM,
      ID_COPY_ADD_VARIABLE,
      ID_COPY_ADD_CACHE,
      0,
      ID_SEARCH,
      ID_SEARCH_NEXT,
      0,
      ID_EXPAND_TOGGLE,
      ID_SORT,
      0,
      ID_APP_ABOUT,
  };
  EXPECT_EQ(res::Resources().toolBars.at(0).buttons, expected);
}

TEST(ResourceSet, ToolBarButtonsAreMenuCommands) {
  const auto& set = res::Resources();
  std::set<int> menuIds;
  for (const auto& item : Commands(Menu(IDR_MAINFRAME))) menuIds.insert(item.id);
  for (int id : set.toolBars.at(0).buttons) {
    if (id != 0) {
      EXPECT_TRUE(menuIds.count(id)) << id;
    }
  }
}

// The key hint after the tab in a menu caption, as an accelerator entry.
afx::Accelerator ParseHint(const std::string& hint, int id) {
  uint8_t flags = FVIRTKEY;
  std::string key = hint;
  if (key.rfind("Ctrl+", 0) == 0) {
    flags |= FCONTROL;
    key = key.substr(5);
  }
  uint16_t vk = 0;
  if (key == "DEL") {
    vk = VK_DELETE;
  } else if (key == "INS") {
    vk = VK_INSERT;
  } else if (key == "F3") {
    vk = VK_F3;
  } else if (key.size() == 1) {
    vk = static_cast<uint16_t>(key[0]);
  }
  return {flags, vk, id};
}

TEST(ResourceSet, MenuKeyHintsMatchTheAccelerators) {
  const auto& set = res::Resources();
  const auto& keys = set.accelerators.at(0).entries;
  int hints = 0;
  for (const auto& item : Commands(Menu(IDR_MAINFRAME))) {
    auto tab = item.text.find('\t');
    if (tab == std::string::npos) continue;
    ++hints;
    const auto want = ParseHint(item.text.substr(tab + 1), item.id);
    ASSERT_NE(want.key, 0) << item.text;
    const bool found = std::any_of(keys.begin(), keys.end(), [&](const afx::Accelerator& a) {
      return a.flags == want.flags && a.key == want.key && a.id == want.id;
    });
    EXPECT_TRUE(found) << item.text;
  }
  EXPECT_EQ(hints, 8);
}

TEST(ResourceSet, AcceleratorKeysAreDistinct) {
  const auto& keys = res::Resources().accelerators.at(0).entries;
  EXPECT_EQ(keys.size(), 11u);
  std::set<std::pair<int, int>> seen;
  for (const auto& a : keys) {
    EXPECT_TRUE(a.flags & FVIRTKEY) << a.id;
    EXPECT_TRUE(seen.insert({a.flags, a.key}).second) << a.id;
  }
}

TEST(ResourceSet, AcceleratorsWithoutMenuItemAreTheEditingKeys) {
  const auto& set = res::Resources();
  std::set<int> menuIds;
  for (const auto& item : Commands(Menu(IDR_MAINFRAME))) menuIds.insert(item.id);
  std::set<int> others;
  for (const auto& a : set.accelerators.at(0).entries) {
    if (!menuIds.count(a.id)) others.insert(a.id);
  }
  EXPECT_EQ(others, (std::set<int>{ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_UNDO}));
}

TEST(ResourceSet, ContextMenuOffersOnlyTreeCommands) {
  std::set<int> ids;
  for (const auto& item : Commands(Menu(IDR_POPUP))) ids.insert(item.id);
  EXPECT_EQ(ids, (std::set<int>{ID_ABORT_RELOAD, ID_COMMIT, ID_DELETE_ITEM, ID_COPY_ADD_VARIABLE,
                                ID_COPY_ADD_CACHE}));
}

}  // namespace
