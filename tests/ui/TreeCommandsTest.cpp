// The tree's edit commands: copy-add, delete, abort/reload and commit.
#include "TreeHelpers.h"
#include "platform/Faults.h"

namespace tolvane::test {
namespace {

class TreeCommandsTest : public TreeFixture {
 protected:
  /** Edits the selected variable's value as its form would: stored, marked, item refreshed. */
  PersetCookie* EditSelectedValue(const char* value) {
    HTREEITEM item = TreeCtrl().GetSelectedItem();
    auto* variable = Data<PersetCookie>(item);
    variable->m_strValue = value;
    variable->m_nState = 2;
    Tree()->RefreshVariableItem(item, variable);
    return variable;
  }
};

const char kUrlA[] = "Cookie:user@a.example.com/";
const char kUrlC[] = "Cookie:user@c.example.com/";

// Copy-add on a variable puts the copy right after it, selected and shown.
TEST_F(TreeCommandsTest, CopyAddVariableInsertsTheCopyAfterItsSource) {
  const struct {
    const char* source;
    int copyIndex;
    std::vector<std::string> names;
  } rows[] = {
      {"delta", 1, {"delta", "delta", "epsilon", "zeta"}},
      {"epsilon", 2, {"delta", "epsilon", "epsilon", "zeta"}},
      {"zeta", 3, {"delta", "epsilon", "zeta", "zeta"}},  // the last: appended
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source);
    ASSERT_TRUE(Run(ID_FILE_NEW));  // a fresh catalogue for each row
    SiteCache* entry = Catalogue()->GetEntry(2);
    Select(std::string("c.example.com/ ") + row.source);
    auto* source = Data<PersetCookie>(TreeCtrl().GetSelectedItem());
    source->m_strValue = "changed";
    Command(ID_COPY_ADD_VARIABLE);

    std::vector<std::string> names;
    for (int i = 0; i < entry->GetSize(); ++i)
      names.push_back(entry->GetVariable(i)->m_strName.str());
    EXPECT_EQ(names, row.names);
    auto* copy = Data<PersetCookie>(TreeCtrl().GetSelectedItem());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, source);
    EXPECT_EQ(entry->GetVariable(row.copyIndex), copy);
    EXPECT_EQ(copy->m_strValue, "changed");
    EXPECT_EQ(copy->m_nState, 2);
    EXPECT_EQ(entry->m_nState, 2);
    EXPECT_EQ(Mark(Item("c.example.com/")), 2);
    EXPECT_EQ(Mark(TreeCtrl().GetSelectedItem()), 2);
    EXPECT_EQ(Detail()->GetShownCache(), entry);
    EXPECT_EQ(Detail()->GetCookieFormCount(), 4);
    // Nothing reaches the cache before a commit.
    EXPECT_EQ(Catalogue()->GetSize(), 3);
    EXPECT_EQ(StoredFile(kUrlC), CookieRecord("delta", "4", "c.example.com/") +
                                     CookieRecord("epsilon", "5", "c.example.com/") +
                                     CookieRecord("zeta", "6", "c.example.com/"));
    Answer({IDYES});  // the next reload discards the edits
  }
}

class BareSiteCommandsTest : public TreeFixture {
 protected:
  void FillStore() override {
    AddSite("bare.example/", "");
    AddSite("other.example/", CookieRecord("one", "1", "other.example/"));
  }
};

TEST_F(BareSiteCommandsTest, CopyAddVariableOnASiteMakesANewVariable) {
  Select("bare.example/");
  SiteCache* entry = Data<SiteCache>(TreeCtrl().GetSelectedItem());
  ASSERT_EQ(entry->GetSize(), 0);
  Command(ID_COPY_ADD_VARIABLE);
  ASSERT_EQ(entry->GetSize(), 1);
  PersetCookie* added = entry->GetVariable(0);
  EXPECT_EQ(added->m_strName, "_NewValue_");
  EXPECT_EQ(added->m_strValue, "");
  EXPECT_EQ(added->m_strPath, "*");
  EXPECT_EQ(added->m_strDomain, entry->m_strSite);
  EXPECT_EQ(added->m_dwFlags, 0x200u);
  EXPECT_EQ(added->m_strExpire, entry->m_strExpireTime);
  EXPECT_EQ(added->m_strLastModify, entry->m_strModifiedTime);
  EXPECT_EQ(added->m_nState, 2);
  EXPECT_EQ(entry->m_nState, 2);
  EXPECT_EQ(Selected(), "bare.example/ _NewValue_");
  EXPECT_EQ(Mark(Item("bare.example/")), 2);
  EXPECT_EQ(Mark(Item("bare.example/ _NewValue_")), 2);
  EXPECT_EQ(Detail()->GetShownCache(), entry);
  EXPECT_EQ(Detail()->GetCookieFormCount(), 1);

  // On a site that has variables the new one goes first.
  Select("other.example/");
  Command(ID_COPY_ADD_VARIABLE);
  EXPECT_EQ(Shape(), (std::vector<std::string>{"bare.example/", "  _NewValue_", "other.example/",
                                               "  _NewValue_", "  one"}));
}

TEST_F(TreeCommandsTest, CopyAddCacheInsertsACommittedCopyAfterItsSource) {
  const struct {
    const char* source;
    int copyIndex;
  } rows[] = {{"c.example.com/", 3}, {"a.example.com/", 1}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.source);
    Select(row.source);
    SiteCache* source = Data<SiteCache>(TreeCtrl().GetSelectedItem());
    const std::string sourceFile = StoredFile("Cookie:user@" + std::string(row.source));
    Command(ID_COPY_ADD_CACHE);

    SiteCache* copy = Catalogue()->GetEntry(row.copyIndex);
    EXPECT_EQ(Catalogue()->GetEntry(row.copyIndex - 1), source);
    EXPECT_EQ(copy->m_strSite, std::string(row.source) + "_Copy_");
    EXPECT_EQ(Selected(), std::string(row.source) + "_Copy_");
    EXPECT_EQ(Data<SiteCache>(TreeCtrl().GetSelectedItem()), copy);
    EXPECT_EQ(Detail()->GetShownCache(), copy);
    // The copy is in the cache with every variable; the source stays as it was.
    EXPECT_EQ(StoredFile("Cookie:user@" + std::string(row.source) + "_Copy_"),
              AsWritten(sourceFile));
    EXPECT_EQ(StoredFile("Cookie:user@" + std::string(row.source)), sourceFile);
    EXPECT_EQ(copy->GetSize(), source->GetSize());
  }
  EXPECT_EQ(Catalogue()->GetSize(), 5);
}

TEST_F(TreeCommandsTest, CopyingAnEntryTwiceKeepsBothCopies) {
  const std::string file = StoredFile(kUrlA);
  for (int i = 0; i < 2; ++i) {
    Select("a.example.com/");
    Command(ID_COPY_ADD_CACHE);
  }
  // The second copy must not replace the first in the cache.
  EXPECT_EQ(StoredFile("Cookie:user@a.example.com/_Copy_"), AsWritten(file));
  EXPECT_EQ(StoredFile("Cookie:user@a.example.com/_Copy__Copy_"), AsWritten(file));
  EXPECT_EQ(StoredUrls().size(), 5u);
  EXPECT_EQ(Catalogue()->GetSize(), 5);
  EXPECT_EQ(Selected(), "a.example.com/_Copy__Copy_");
  // Deleting one copy leaves the other.
  Answer({IDYES});
  Command(ID_DELETE_ITEM);
  EXPECT_EQ(StoredFile("Cookie:user@a.example.com/_Copy_"), AsWritten(file));
  EXPECT_FALSE(Stored("Cookie:user@a.example.com/_Copy__Copy_"));
}

TEST_F(TreeCommandsTest, DeletingAVariableMarksTheEntryAndWaitsForTheCommit) {
  const std::string stored = StoredFile(kUrlC);
  const struct {
    const char* item;
    const char* selectedAfter;
  } rows[] = {
      {"c.example.com/ epsilon", "c.example.com/ zeta"},  // next sibling
      {"c.example.com/ zeta", "c.example.com/"},          // the last one: its site
  };
  SiteCache* entry = Catalogue()->GetEntry(2);
  int remaining = entry->GetSize();
  for (const auto& row : rows) {
    SCOPED_TRACE(row.item);
    Select(row.item);
    ContextCommand(ID_DELETE_ITEM);  // the menu bar offers delete on sites only
    --remaining;
    EXPECT_TRUE(m_boxes.empty());  // no question for a variable
    EXPECT_EQ(Selected(), row.selectedAfter);
    EXPECT_EQ(entry->GetSize(), remaining);
    EXPECT_EQ(entry->m_nState, 2);
    EXPECT_EQ(Mark(Item("c.example.com/")), 2);
    EXPECT_EQ(Detail()->GetShownCache(), entry);
    EXPECT_EQ(Detail()->GetCookieFormCount(), remaining);
    EXPECT_EQ(StoredFile(kUrlC), stored);
  }
  // The commit writes what is left.
  Select("c.example.com/");
  Command(ID_COMMIT);
  EXPECT_EQ(StoredFile(kUrlC), AsWritten(CookieRecord("delta", "4", "c.example.com/")));
  EXPECT_EQ(Mark(Item("c.example.com/")), 0);
}

TEST_F(TreeCommandsTest, DeletingAnEntryAsksFirst) {
  Select("b.example.com/");
  Answer({IDNO});
  Command(ID_DELETE_ITEM);
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0].text, "削除しますか？");
  EXPECT_EQ(m_boxes[0].type & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK),
            UINT(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  EXPECT_EQ(Catalogue()->GetSize(), 3);
  EXPECT_TRUE(Stored("Cookie:user@b.example.com/"));
  EXPECT_EQ(Selected(), "b.example.com/");

  Answer({IDYES});
  Command(ID_DELETE_ITEM);
  EXPECT_EQ(Catalogue()->GetSize(), 2);
  EXPECT_FALSE(Stored("Cookie:user@b.example.com/"));
  EXPECT_EQ(Selected(), "c.example.com/");  // the next sibling
  EXPECT_EQ(Detail()->GetShownCache(), Catalogue()->GetEntry(1));
}

TEST_F(TreeCommandsTest, DeletingTheLastEntryBlanksTheDetailView) {
  for (int left = 3; left > 0; --left) {
    Tree()->SelectFirstSite();
    Answer({IDYES});
    Command(ID_DELETE_ITEM);
  }
  EXPECT_TRUE(Roots().empty());
  EXPECT_EQ(Catalogue()->GetSize(), 0);
  EXPECT_EQ(TreeCtrl().GetSelectedItem(), nullptr);
  EXPECT_EQ(Detail()->GetShownCache(), nullptr);
  EXPECT_EQ(Detail()->GetCookieFormCount(), 0);
  EXPECT_TRUE(StoredUrls().empty());
}

TEST_F(TreeCommandsTest, AbortAndCommitOnAVariableDoNothing) {
  Select("a.example.com/ beta");
  PersetCookie* beta = EditSelectedValue("edited");
  const std::string stored = StoredFile(kUrlA);
  Activate(Tree());
  for (UINT id : {ID_ABORT_RELOAD, ID_COMMIT, ID_COPY_ADD_CACHE}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(Run(id));
    EXPECT_EQ(Selected(), "a.example.com/ beta");
    EXPECT_EQ(Data<PersetCookie>(TreeCtrl().GetSelectedItem()), beta);
    EXPECT_EQ(beta->m_strValue, "edited");
    EXPECT_EQ(Catalogue()->GetSize(), 3);
    EXPECT_EQ(StoredFile(kUrlA), stored);
  }
  EXPECT_TRUE(m_boxes.empty());
}

TEST_F(TreeCommandsTest, AbortReloadDropsTheEdits) {
  Select("a.example.com/ beta");
  EditSelectedValue("edited");
  Select("a.example.com/");
  Command(ID_ABORT_RELOAD);
  SiteCache* entry = Catalogue()->GetEntry(0);
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_EQ(entry->m_nState, 0);
  EXPECT_EQ(entry->GetVariable(1)->m_strValue, "2");
  EXPECT_EQ(Mark(Item("a.example.com/")), 0);
  EXPECT_EQ(Mark(Item("a.example.com/ beta")), 0);
  EXPECT_EQ(Data<PersetCookie>(Item("a.example.com/ beta")), entry->GetVariable(1));
  EXPECT_EQ(Detail()->GetShownCache(), entry);
  EXPECT_EQ(Detail()->GetCookieFormCount(), 2);
}

TEST_F(TreeCommandsTest, FailedReloadLeavesTheLoadingMark) {
  Select("b.example.com/");
  platform::InjectFault(platform::Call::RetrieveUrlCacheEntryFileA, ERROR_FILE_NOT_FOUND, 0, 10);
  Command(ID_ABORT_RELOAD);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"ﾘﾛｰﾄﾞに失敗しました."});
  EXPECT_EQ(m_boxes.back().type & MB_TYPEMASK, UINT(MB_OK));
  EXPECT_EQ(Mark(Item("b.example.com/")), 1);
  EXPECT_EQ(Detail()->GetShownCache(), Catalogue()->GetEntry(1));
}

TEST_F(TreeCommandsTest, CommitWritesTheEntryAndRebuildsItsItems) {
  Select("a.example.com/ alpha");
  EditSelectedValue("new");
  Select("a.example.com/");
  Command(ID_COMMIT);
  EXPECT_TRUE(m_boxes.empty());
  SiteCache* entry = Catalogue()->GetEntry(0);
  EXPECT_EQ(StoredFile(kUrlA), AsWritten(CookieRecord("alpha", "new", "a.example.com/") +
                                         CookieRecord("beta", "2", "a.example.com/")));
  EXPECT_EQ(entry->m_nState, 0);
  EXPECT_EQ(Mark(Item("a.example.com/")), 0);
  EXPECT_EQ(Mark(Item("a.example.com/ alpha")), 0);
  // The items point at the re-read records.
  EXPECT_EQ(Data<PersetCookie>(Item("a.example.com/ alpha")), entry->GetVariable(0));
  EXPECT_EQ(Detail()->GetShownCache(), entry);
  EXPECT_EQ(Detail()->GetCookieFormCount(), 2);
}

TEST_F(TreeCommandsTest, FailedCommitLosesNothing) {
  const std::string stored = StoredFile(kUrlA);
  Select("a.example.com/ alpha");
  EditSelectedValue("new");
  Select("a.example.com/");
  platform::InjectFault(platform::Call::CommitUrlCacheEntryA, ERROR_DISK_FULL);
  Command(ID_COMMIT);
  ASSERT_FALSE(m_boxes.empty());
  EXPECT_EQ(m_boxes.back().text, "ｺﾐｯﾄに失敗しました.");
  EXPECT_EQ(StoredFile(kUrlA), stored);
  SiteCache* entry = Catalogue()->GetEntry(0);
  EXPECT_EQ(entry->m_nState, 2);
  EXPECT_EQ(entry->GetVariable(0)->m_strValue, "new");
  EXPECT_EQ(Mark(Item("a.example.com/")), 2);
  // Once the cache works again the same commit succeeds.
  platform::ClearFaults();
  Command(ID_COMMIT);
  EXPECT_EQ(StoredFile(kUrlA), AsWritten(CookieRecord("alpha", "new", "a.example.com/") +
                                         CookieRecord("beta", "2", "a.example.com/")));
}

}  // namespace
}  // namespace tolvane::test
