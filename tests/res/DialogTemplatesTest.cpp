// Dialog templates: controls fit their dialogs, ids are usable, styles behave as the program
// relies on (focus order, radio groups, read-only fields).
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "res/ProgramResources.h"

namespace {

using K = afx::ControlKind;

const afx::DialogTemplate& Dialog(int id) {
  const auto& dialogs = res::Resources().dialogs;
  auto it =
      std::find_if(dialogs.begin(), dialogs.end(), [id](const auto& d) { return d.id == id; });
  if (it == dialogs.end()) throw std::runtime_error("no dialog " + std::to_string(id));
  return *it;
}

const afx::DialogItem& Control(const afx::DialogTemplate& d, int id) {
  auto it =
      std::find_if(d.items.begin(), d.items.end(), [id](const auto& c) { return c.id == id; });
  if (it == d.items.end()) throw std::runtime_error("no control " + std::to_string(id));
  return *it;
}

TEST(DialogTemplates, ControlsLieInsideTheirDialog) {
  for (const auto& d : res::Resources().dialogs) {
    for (const auto& c : d.items) {
      // A combo box's height is its dropped-down list, which may extend past the dialog.
      const int bottom = c.kind == K::ComboBox ? c.y + 12 : c.y + c.cy;
      EXPECT_TRUE(c.x >= 0 && c.y >= 0 && c.cx > 0 && c.cy > 0 && c.x + c.cx <= d.cx &&
                  bottom <= d.cy)
          << d.id << ": control " << c.id << " \"" << c.text << "\"";
    }
  }
}

// Controls must not cover each other; a group box only frames others and a combo box's
// closed height is one line.
TEST(DialogTemplates, ControlsDoNotOverlap) {
  for (const auto& d : res::Resources().dialogs) {
    for (size_t i = 0; i < d.items.size(); ++i) {
      for (size_t j = i + 1; j < d.items.size(); ++j) {
        const auto& a = d.items[i];
        const auto& b = d.items[j];
        if (a.kind == K::GroupBox || b.kind == K::GroupBox) continue;
        auto height = [](const afx::DialogItem& c) { return c.kind == K::ComboBox ? 12 : c.cy; };
        const bool apart = a.x + a.cx <= b.x || b.x + b.cx <= a.x || a.y + height(a) <= b.y ||
                           b.y + height(b) <= a.y;
        EXPECT_TRUE(apart) << d.id << ": \"" << a.text << "\" (" << a.id << ") and \"" << b.text
                           << "\" (" << b.id << ")";
      }
    }
  }
}

TEST(DialogTemplates, ControlIdsAreDistinctWithinADialog) {
  for (const auto& d : res::Resources().dialogs) {
    std::set<int> seen;
    for (const auto& c : d.items) {
      if (c.id == IDC_STATIC) {
        EXPECT_TRUE(c.kind == K::Static || c.kind == K::GroupBox || c.kind == K::Icon) << d.id;
        continue;
      }
      EXPECT_GT(c.id, 0) << d.id;
      EXPECT_TRUE(seen.insert(c.id).second) << d.id << ": " << c.id;
    }
  }
}

TEST(DialogTemplates, WindowStylesAndFonts) {
  const uint32_t modal = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  struct Case {
    int id;
    uint32_t style;
    int pointSize;
    bool hasCaption;
  };
  const Case cases[] = {
      {IDD_ABOUTBOX, modal, 9, true},
      {IDD_SITECACHE_FORM, WS_CHILD | DS_SETFONT, 10, false},
      {IDD_PERSETCOOKIE_FORM, WS_CHILD | DS_SETFONT, 10, false},
      {IDD_DATE_INPUT, modal, 9, true},
      {IDD_ENCODED_STRING, modal, 10, true},
      {IDD_SORT, modal, 10, true},
      {IDD_SEARCH, modal, 9, true},
  };
  for (const auto& c : cases) {
    const auto& d = Dialog(c.id);
    EXPECT_EQ(d.style, c.style) << c.id;
    EXPECT_FALSE(d.style & WS_VISIBLE) << c.id;
    EXPECT_EQ(d.pointSize, c.pointSize) << c.id;
    EXPECT_EQ(d.font, "ＭＳ Ｐゴシック") << c.id;
    EXPECT_EQ(!d.caption.empty(), c.hasCaption) << c.id;
  }
}

// The control that gets the focus when a dialog opens is its first tab stop.
TEST(DialogTemplates, FirstTabStop) {
  const std::pair<int, int> cases[] = {
      {IDD_ABOUTBOX, IDOK},
      {IDD_DATE_INPUT, IDOK},
      {IDD_ENCODED_STRING, IDC_ENCODED_TEXT},
      {IDD_SORT, IDC_SORT_KEY},
      {IDD_SEARCH, IDC_FIND_TEXT},
      {IDD_SITECACHE_FORM, IDC_SITE},
      {IDD_PERSETCOOKIE_FORM, IDC_DOMAIN},
  };
  for (const auto& [dialog, control] : cases) {
    const auto& items = Dialog(dialog).items;
    auto first = std::find_if(items.begin(), items.end(),
                              [](const auto& c) { return (c.style & WS_TABSTOP) != 0; });
    ASSERT_NE(first, items.end()) << dialog;
    EXPECT_EQ(first->id, control) << dialog;
  }
}

// Radio buttons group from a WS_GROUP button up to the next control with WS_GROUP; the
// dialogs count on exactly their buttons being in the group, in this order.
TEST(DialogTemplates, RadioGroups) {
  const std::pair<int, std::vector<int>> cases[] = {
      {IDD_ENCODED_STRING,
       {IDC_ENCODING_7BIT, IDC_ENCODING_EUC, IDC_ENCODING_SJIS, IDC_ENCODING_JIS,
        IDC_ENCODING_UTF8}},
      {IDD_SORT, {IDC_SORT_ASCENDING, IDC_SORT_DESCENDING}},
  };
  for (const auto& [dialog, expected] : cases) {
    const auto& items = Dialog(dialog).items;
    auto start = std::find_if(items.begin(), items.end(),
                              [](const auto& c) { return c.kind == K::AutoRadioButton; });
    ASSERT_NE(start, items.end());
    EXPECT_TRUE(start->style & WS_GROUP) << dialog;
    std::vector<int> group{start->id};
    auto it = start + 1;
    for (; it != items.end() && !(it->style & WS_GROUP); ++it) {
      EXPECT_EQ(it->kind, K::AutoRadioButton) << dialog << ": " << it->id;
      group.push_back(it->id);
    }
    EXPECT_EQ(group, expected) << dialog;
    EXPECT_NE(it, items.end()) << dialog << ": the group is never closed";
  }
}

TEST(DialogTemplates, DisplayOnlyFieldsAreReadOnly) {
  const std::pair<int, std::set<int>> cases[] = {
      {IDD_SITECACHE_FORM,
       {IDC_LOCAL_FILE, IDC_SIZE, IDC_HIT_RATE, IDC_ACCESS_TIME, IDC_LAST_SYNC_TIME}},
      {IDD_PERSETCOOKIE_FORM, {IDC_PATH}},
      {IDD_DATE_INPUT, {}},
      {IDD_ENCODED_STRING, {}},
      {IDD_SEARCH, {}},
  };
  for (const auto& [dialog, readOnly] : cases) {
    for (const auto& c : Dialog(dialog).items) {
      if (c.kind != K::Edit) continue;
      EXPECT_EQ((c.style & ES_READONLY) != 0, readOnly.count(c.id) == 1) << dialog << ": " << c.id;
      EXPECT_TRUE(c.style & WS_BORDER) << dialog << ": " << c.id;
      EXPECT_TRUE(c.style & WS_TABSTOP) << dialog << ": " << c.id;
    }
  }
}

TEST(DialogTemplates, EncodedTextEditTakesLines) {
  const auto& edit = Control(Dialog(IDD_ENCODED_STRING), IDC_ENCODED_TEXT);
  const uint32_t want = ES_MULTILINE | ES_WANTRETURN | WS_VSCROLL | WS_HSCROLL | WS_BORDER;
  EXPECT_EQ(edit.style & want, want);
}

TEST(DialogTemplates, SortKeysInFixedOrder) {
  const auto& d = Dialog(IDD_SORT);
  const auto& combo = Control(d, IDC_SORT_KEY);
  EXPECT_EQ(combo.kind, K::ComboBox);
  EXPECT_EQ(combo.style & (CBS_DROPDOWNLIST | CBS_SORT), CBS_DROPDOWNLIST);
  const std::vector<std::string> expected = {
      "ﾄﾞﾒｲﾝ名のｱﾙﾌｧﾍﾞｯﾄ順", "最終利用日時（同期）順", "最終登録日時（変更）順", "有効期限順",
      "利用頻度順",
  };
  ASSERT_EQ(d.listItems.count(IDC_SORT_KEY), 1u);
  EXPECT_EQ(d.listItems.at(IDC_SORT_KEY), expected);
  EXPECT_EQ(d.listItems.size(), 1u);
}

TEST(DialogTemplates, AboutBoxShowsTheApplicationIcon) {
  const auto& d = Dialog(IDD_ABOUTBOX);
  EXPECT_EQ(d.caption, "Tolvaneのﾊﾞｰｼﾞｮﾝ情報");
  auto icon =
      std::find_if(d.items.begin(), d.items.end(), [](const auto& c) { return c.kind == K::Icon; });
  ASSERT_NE(icon, d.items.end());
  EXPECT_EQ(icon->text, std::to_string(IDR_MAINFRAME));
  EXPECT_EQ(std::make_pair(icon->x, icon->y), std::make_pair(11, 17));
  EXPECT_EQ(Control(d, IDOK).kind, K::DefPushButton);
}

// Every modal dialog can be confirmed and, except the about box, cancelled.
TEST(DialogTemplates, ModalDialogsHaveOkAndCancel) {
  for (int id : {IDD_DATE_INPUT, IDD_ENCODED_STRING, IDD_SORT, IDD_SEARCH}) {
    const auto& d = Dialog(id);
    EXPECT_EQ(Control(d, IDOK).kind, K::DefPushButton) << id;
    EXPECT_EQ(Control(d, IDCANCEL).kind, K::PushButton) << id;
    EXPECT_EQ(Control(d, IDCANCEL).text, "ｷｬﾝｾﾙ") << id;
  }
}

}  // namespace
