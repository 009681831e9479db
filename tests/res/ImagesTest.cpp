// Pictures: tool bar buttons and icons are well-formed and sized as the framework expects.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "res/ProgramResources.h"

namespace {

bool Transparent(char c) { return c == ' ' || c == '.'; }

// Rows match the size and every pixel is transparent or a palette entry.
void ExpectWellFormed(const afx::Pixmap& p, int width, int height, const std::string& what) {
  EXPECT_EQ(p.width, width) << what;
  EXPECT_EQ(p.height, height) << what;
  ASSERT_EQ(static_cast<int>(p.rows.size()), height) << what;
  for (const auto& row : p.rows) {
    ASSERT_EQ(static_cast<int>(row.size()), width) << what << ": \"" << row << "\"";
    for (char c : row) {
      EXPECT_TRUE(Transparent(c) || p.palette.count(c)) << what << ": '" << c << "'";
    }
  }
  for (const auto& [c, argb] : p.palette) {
    EXPECT_EQ(argb >> 24, 0xFFu) << what << ": '" << c << "' is not opaque";
  }
}

double OpaqueShare(const afx::Pixmap& p) {
  int opaque = 0;
  for (const auto& row : p.rows) {
    opaque += static_cast<int>(
        std::count_if(row.begin(), row.end(), [](char c) { return !Transparent(c); }));
  }
  return static_cast<double>(opaque) / (p.width * p.height);
}

TEST(Images, ToolBarHasOnePictureOfSixteenByFifteenPerButton) {
  const auto& bar = res::Resources().toolBars.at(0);
  EXPECT_EQ(bar.buttonWidth, 16);
  EXPECT_EQ(bar.buttonHeight, 15);
  const auto buttons =
      std::count_if(bar.buttons.begin(), bar.buttons.end(), [](int id) { return id != 0; });
  EXPECT_EQ(buttons, 13);
  ASSERT_EQ(static_cast<long>(bar.images.size()), buttons);
  for (size_t i = 0; i < bar.images.size(); ++i) {
    const auto what = "button picture " + std::to_string(i);
    ExpectWellFormed(bar.images[i], 16, 15, what);
    EXPECT_GT(OpaqueShare(bar.images[i]), 0.1) << what << " is nearly empty";
  }
}

TEST(Images, ToolBarPicturesDiffer) {
  const auto& images = res::Resources().toolBars.at(0).images;
  for (size_t i = 0; i < images.size(); ++i) {
    for (size_t j = i + 1; j < images.size(); ++j)
      EXPECT_NE(images[i].rows, images[j].rows) << i << ", " << j;
  }
}

TEST(Images, TreeIconsAndApplicationIcon) {
  struct Case {
    int id;
    int size;
    bool overlay;  // composed onto an item picture, so mostly see-through
  };
  const Case cases[] = {
      {IDR_MAINFRAME, 32, false}, {IDI_MARK_LOADING, 16, true},  {IDI_SITE, 16, false},
      {IDI_VARIABLE, 16, false},  {IDI_MARK_MODIFIED, 16, true},
  };
  const auto& icons = res::Resources().icons;
  for (const auto& c : cases) {
    auto it = std::find_if(icons.begin(), icons.end(), [&](const auto& i) { return i.id == c.id; });
    ASSERT_NE(it, icons.end()) << c.id;
    ExpectWellFormed(it->image, c.size, c.size, "icon " + std::to_string(c.id));
    if (c.overlay) {
      EXPECT_LT(OpaqueShare(it->image), 0.35) << c.id;
      EXPECT_GT(OpaqueShare(it->image), 0.05) << c.id;
    } else {
      EXPECT_GT(OpaqueShare(it->image), 0.5) << c.id;
    }
  }
}

// The modified mark runs along the top edge; the loading mark crosses the corners.
TEST(Images, OverlayMarksSitWhereTheyShow) {
  const auto& icons = res::Resources().icons;
  auto icon = [&](int id) {
    return std::find_if(icons.begin(), icons.end(), [&](const auto& i) { return i.id == id; })
        ->image;
  };
  const auto bar = icon(IDI_MARK_MODIFIED);
  EXPECT_EQ(bar.rows.front().find_first_of(" ."), std::string::npos);
  EXPECT_EQ(bar.rows.back().find_first_not_of(" ."), std::string::npos);
  const auto cross = icon(IDI_MARK_LOADING);
  for (auto [x, y] : {std::pair{0, 0}, {15, 0}, {0, 15}, {15, 15}, {7, 7}, {8, 8}}) {
    EXPECT_FALSE(Transparent(cross.rows[y][x])) << x << "," << y;
  }
  EXPECT_TRUE(Transparent(cross.rows[0][7]));
}

}  // namespace
