// The tree search: start rules, the walk order, targets and double-byte text.
#include "TreeHelpers.h"

namespace tolvane::test {
namespace {

class TreeSearchTest : public TreeFixture {
 protected:
  void FillStore() override {
    AddSite("a.example.com/", CookieRecord("alpha", "1", "a.example.com/") +
                                  CookieRecord("beta", "2", "a.example.com/"));
    AddSite("b.example.com/", CookieRecord("gamma", "3", "b.example.com/"));
    // Shift_JIS katakana "ア" is 83 41: its trail byte is an 'A'.
    AddSite("x.test/", CookieRecord("kana", "\x83\x41", "elsewhere/") +
                           CookieRecord("one", "x", "elsewhere/"));
  }
};

struct SearchRow {
  const char* name;
  const char* from;  // selected before the search; "" none
  std::string text;  // CP932
  int targets;
  bool fromNext;
  const char* found;  // selected afterwards; nullptr: the selection stays
};

TEST_F(TreeSearchTest, FindsTheNextMatchingItem) {
  ASSERT_EQ(Shape(),
            (std::vector<std::string>{"a.example.com/", "  alpha", "  beta", "b.example.com/",
                                      "  gamma", "x.test/", "  kana", "  one"}));
  const SearchRow rows[] = {
      {"no target bit finds nothing", "b.example.com/", "", 0, false, nullptr},
      {"empty text takes the first variable tested", "x.test/", "", 2, false,
       "a.example.com/ alpha"},
      {"empty text with the site bit also starts at a variable", "", "", 1, false,
       "a.example.com/ alpha"},
      {"a name from the top in whichever entry", "x.test/ one", "mm", 2, false,
       "b.example.com/ gamma"},
      {"next after a variable is its next sibling", "a.example.com/ alpha", "a", 2, true,
       "a.example.com/ beta"},
      {"after the last variable the next site", "a.example.com/ beta", "a", 2, true,
       "b.example.com/ gamma"},
      {"from a site item its own variables first", "b.example.com/", "a", 2, true,
       "b.example.com/ gamma"},
      {"a site item found again by its own text", "x.test/", "x.test", 1, true, "x.test/"},
      {"from a variable its own site", "x.test/ kana", "x.test", 1, true, "x.test/"},
      {"the domain answers to the site bit", "", "elsewhere", 1, false, "x.test/ kana"},
      {"the site bit does not search names", "", "alpha", 1, false, nullptr},
      {"values only with the value bit", "", "alpha", 4, false, nullptr},
      {"a value", "", "x", 4, false, "x.test/ one"},
      {"case matters", "", "ALPHA", 2, false, nullptr},
      {"never from a trail byte", "", "A", 4, false, nullptr},
      {"a double-byte character", "", "\x83\x41", 4, false, "x.test/ kana"},
      {"next with nothing selected starts at the top", "", "beta", 2, true, "a.example.com/ beta"},
      {"next from the last variable of the last site", "x.test/ one", "", 7, true, nullptr},
      {"next from the last site item itself", "x.test/", "o", 2, true, "x.test/ one"},
      {"no wrap to the top", "x.test/ one", "alpha", 2, true, nullptr},
  };
  for (const SearchRow& row : rows) {
    SCOPED_TRACE(row.name);
    Select(row.from);
    ASSERT_EQ(Selected(), row.from);
    Tree()->SearchTree(CString(row.text), row.targets, row.fromNext);
    EXPECT_EQ(Selected(), row.found ? row.found : row.from);
    if (row.found) {
      // The detail view follows the selection.
      HTREEITEM site = TreeCtrl().GetParentItem(TreeCtrl().GetSelectedItem());
      if (!site) site = TreeCtrl().GetSelectedItem();
      EXPECT_EQ(Detail()->GetShownCache(), Data<SiteCache>(site));
    }
  }
  EXPECT_TRUE(m_boxes.empty());
}

TEST_F(TreeSearchTest, FieldsAreSearchedAsStoredNotDecoded) {
  Select("a.example.com/ alpha");
  auto* alpha = Data<PersetCookie>(TreeCtrl().GetSelectedItem());
  alpha->m_strValue = "%41%42";  // "AB" once decoded
  Select("");
  Tree()->SearchTree("AB", 4, FALSE);
  EXPECT_EQ(Selected(), "");
  Tree()->SearchTree("%42", 4, FALSE);
  EXPECT_EQ(Selected(), "a.example.com/ alpha");
}

}  // namespace
}  // namespace tolvane::test
