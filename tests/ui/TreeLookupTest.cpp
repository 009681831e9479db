// The tree finds the item of a record without walking: after every operation that inserts,
// deletes or rebuilds items, each lookup gives what a walk over the items gives.
#include <functional>

#include "TreeHelpers.h"

namespace tolvane::test {
namespace {

class TreeLookupTest : public TreeFixture {
 protected:
  void ExpectLookupsMatchAWalk(const char* after) const {
    SCOPED_TRACE(after);
    int sites = 0;
    HTREEITEM previousSite = nullptr;
    for (HTREEITEM site : Roots()) {
      auto* entry = Data<SiteCache>(site);
      ASSERT_NE(entry, nullptr);
      EXPECT_EQ(Tree()->FindSiteItem(entry), site);
      int i = 0;
      for (HTREEITEM child : Children(site)) {
        auto* variable = Data<PersetCookie>(child);
        ASSERT_EQ(variable, entry->GetVariable(i++));
        EXPECT_EQ(Tree()->FindVariableItem(site, variable), child);
        EXPECT_EQ(Tree()->FindSiteItem(reinterpret_cast<SiteCache*>(variable)), nullptr);
        // Only a child of the given site is found.
        if (previousSite) {
          EXPECT_EQ(Tree()->FindVariableItem(previousSite, variable), nullptr);
        }
      }
      EXPECT_EQ(i, entry->GetSize());
      previousSite = site;
      ++sites;
    }
    EXPECT_EQ(sites, Catalogue()->GetSize());
  }
};

TEST_F(TreeLookupTest, LookupsStayInStepWithEveryChangeOfTheItems) {
  const struct {
    const char* what;
    std::function<void()> act;
  } steps[] = {
      {"start", [] {}},
      {"copy of a variable",
       [this] {
         Select("a.example.com/ alpha");
         Command(ID_COPY_ADD_VARIABLE);
       }},
      {"deletion of a variable",
       [this] {
         Select("c.example.com/ epsilon");
         ContextCommand(ID_DELETE_ITEM);
       }},
      {"commit, which re-reads the entry's variables",
       [this] {
         Select("c.example.com/");
         Command(ID_COMMIT);
       }},
      {"abort and re-read",
       [this] {
         Select("a.example.com/");
         Command(ID_ABORT_RELOAD);
       }},
      {"copy of an entry",
       [this] {
         Select("b.example.com/");
         Command(ID_COPY_ADD_CACHE);
       }},
      {"deletion of an entry",
       [this] {
         Select("b.example.com/");
         Answer({IDYES});
         Command(ID_DELETE_ITEM);
       }},
      {"reload of the whole catalogue",
       [this] { ASSERT_TRUE(Frame()->ExecuteCommand(ID_FILE_NEW)); }},
  };
  for (const auto& step : steps) {
    step.act();
    ExpectLookupsMatchAWalk(step.what);
  }
  EXPECT_EQ(Tree()->FindVariableItem(nullptr, Catalogue()->GetEntry(0)->GetVariable(0)), nullptr);
  EXPECT_EQ(Tree()->FindSiteItem(nullptr), nullptr);
}

}  // namespace
}  // namespace tolvane::test
