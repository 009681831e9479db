// Two windows on one store: each holds the catalogue as it was loaded, and commits or deletes
// what it remembers. Whatever the other did meanwhile, no entry may lose its file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ModelTestSupport.h"
#include "model/SiteCache.h"
#include "model/SiteCacheList.h"

namespace {

using modeltest::ReadBytes;
using platform::Call;

const char kAlice[] = "Cookie:alice@site.example/";
const char kBob[] = "Cookie:bob@site.example/";

std::string Record(const std::string& value) {
  return "session\n" + value + "\nsite.example/\n0\n0\n0\n0\n0\n*\n";
}

SiteCache* Find(SiteCacheList& list, const char* url) {
  for (int i = 0; i < list.GetSize(); ++i) {
    if (list.GetEntry(i)->m_strUrlName == url) return list.GetEntry(i);
  }
  return nullptr;
}

// Edits the entry's one variable as a form would, and commits it as the tree's command does.
int EditAndCommit(SiteCacheList& list, const char* url, const std::string& value) {
  SiteCache* entry = Find(list, url);
  if (entry == nullptr || entry->GetSize() != 1) return -100;
  entry->GetVariable(0)->m_strValue = value;
  entry->GetVariable(0)->m_nState = 2;
  entry->m_nState = 2;
  return list.CommitEntry(entry, true);
}

class TwoWindowsTest : public modeltest::StoreTest {
 protected:
  // Each case on a store of its own (the old one is gone before the new one takes the root).
  void FreshStore() {
    m_store.reset();
    m_store = std::make_unique<tolvane::test::TempStore>();
  }
  // The value the store holds for a URL, read as a fresh window would: "" when the entry is
  // missing or its file does not hold exactly one complete record.
  static std::string StoredValue(const char* url) {
    SiteCacheList fresh;
    fresh.Load();
    SiteCache* entry = Find(fresh, url);
    if (entry == nullptr || entry->m_nState != 0 || entry->GetSize() != 1) return "";
    return entry->GetVariable(0)->m_strValue.str();
  }
};

TEST_F(TwoWindowsTest, ACommitFromAStaleWindowNeverTakesAnotherEntrysFile) {
  // Window B changes the store behind window A's back; then A commits what it loaded.
  const struct {
    const char* label;
    int commitsByB;
  } cases[] = {{"B commits alice once", 1}, {"B commits alice twice", 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    FreshStore();
    PutEntry(kAlice, Record("alice-0"));
    SiteCacheList a, b;
    ASSERT_EQ(a.Load(), 1);
    ASSERT_EQ(b.Load(), 1);
    for (int i = 0; i < c.commitsByB; ++i) {
      ASSERT_EQ(EditAndCommit(b, kAlice, "from-b" + std::to_string(i)), 0);
    }
    // A new entry of the same site, made after B freed alice's first file.
    PutEntry(kBob, Record("bob-0"));
    ASSERT_EQ(StoredValue(kBob), "bob-0");

    EXPECT_EQ(EditAndCommit(a, kAlice, "from-a"), 0);
    EXPECT_EQ(StoredValue(kAlice), "from-a");
    EXPECT_EQ(StoredValue(kBob), "bob-0");
    EXPECT_TRUE(StoreProblems().empty());
    EXPECT_TRUE(m_boxes.empty());
  }
}

TEST_F(TwoWindowsTest, AStaleRenameOrDeleteNeverRemovesAnotherEntrysFile) {
  const struct {
    const char* label;
    bool rename;  // else delete
  } cases[] = {{"rename", true}, {"delete", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    FreshStore();
    PutEntry(kAlice, Record("alice-0"));
    SiteCacheList a, b;
    ASSERT_EQ(a.Load(), 1);
    ASSERT_EQ(b.Load(), 1);
    ASSERT_EQ(EditAndCommit(b, kAlice, "from-b"), 0);
    PutEntry(kBob, Record("bob-0"));
    SiteCache* stale = Find(a, kAlice);
    if (c.rename) {
      stale->m_strSite = "renamed.example/";
      EXPECT_EQ(a.CommitEntry(stale, true), 0);
      EXPECT_EQ(StoredValue("Cookie:alice@renamed.example/"), "alice-0");
      EXPECT_EQ(StoredValue(kAlice), "");
    } else {
      EXPECT_EQ(a.DeleteEntry(stale), 0);
      EXPECT_EQ(StoredValue(kAlice), "");
    }
    EXPECT_EQ(StoredValue(kBob), "bob-0");
    EXPECT_TRUE(StoreProblems().empty());
  }
}

// The cache refuses to delete the entry (a full disk): its file must stay with it.
TEST_F(TwoWindowsTest, ARefusedDeleteKeepsTheFile) {
  const struct {
    const char* label;
    bool rename;  // else delete
  } cases[] = {{"delete", false}, {"rename", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    FreshStore();
    m_boxes.clear();
    const std::string file = PutEntry(kAlice, Record("alice-0"));
    SiteCacheList list;
    ASSERT_EQ(list.Load(), 1);
    SiteCache* entry = list.GetEntry(0);
    platform::InjectFault(Call::DeleteUrlCacheEntry, ERROR_DISK_FULL);
    if (c.rename) {
      entry->m_strSite = "renamed.example/";
      EXPECT_EQ(list.CommitEntry(entry, true), 0);
      EXPECT_EQ(StoredValue("Cookie:alice@renamed.example/"), "alice-0");
    } else {
      EXPECT_EQ(list.DeleteEntry(entry), 0);
      // The refusal is told, once.
      EXPECT_EQ(m_boxes.size(), 1u);
      if (!m_boxes.empty()) {
        EXPECT_EQ(m_boxes[0].text, modeltest::SystemText(ERROR_DISK_FULL));
      }
    }
    platform::ClearFaults();
    EXPECT_EQ(StoredValue(kAlice), "alice-0");
    EXPECT_EQ(ReadBytes(file), Record("alice-0"));
    EXPECT_TRUE(StoreProblems().empty());
  }
}

}  // namespace
