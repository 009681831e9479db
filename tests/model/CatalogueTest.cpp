// Loading the catalogue from the store, deleting entries and sorting.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "model/SiteCacheList.h"

namespace {

using modeltest::Cp932;
using platform::Call;

const char kRecord[] = "n\nv\nd/\n0\n0\n0\n0\n0\n*\n";

using CatalogueTest = modeltest::StoreTest;

TEST_F(CatalogueTest, ConstructorSetsGmtModeAndFindsTheCookieFolder) {
  g_bGmtMode = 0;
  SiteCacheList list;
  EXPECT_EQ(g_bGmtMode, 1);
  EXPECT_EQ(list.m_strCookieFolder, platform::CookieFolder().c_str());
  EXPECT_EQ(list.GetSize(), 0);
}

TEST_F(CatalogueTest, EmptyStoreLoadsNothingAndSaysNothing) {
  SiteCacheList list;
  EXPECT_EQ(list.Load(), 0);
  EXPECT_TRUE(m_boxes.empty());
}

TEST_F(CatalogueTest, LoadsEveryCookieEntryInOrderAndStartsFromScratch) {
  PutEntry("Cookie:u@a/", kRecord);
  PutEntry("Visited:u@a/", kRecord);  // another container: never listed
  // A header far larger than the first record makes the enumeration grow its buffer.
  PutEntry("Cookie:u@b/", kRecord, COOKIE_CACHE_ENTRY, std::string(20000, 'h'));
  PutEntry("cookie:u@c/", std::string(kRecord) + kRecord);
  SiteCacheList list;
  ASSERT_EQ(list.Load(), 3);
  EXPECT_EQ(list.Load(), 3);
  std::vector<std::string> sites;
  for (CObject* object : list.items())
    sites.push_back(static_cast<SiteCache*>(object)->m_strSite.str());
  std::sort(sites.begin(), sites.end());
  EXPECT_EQ(sites, (std::vector<std::string>{"a/", "b/", "c/"}));
  for (CObject* object : list.items()) {
    const auto* entry = static_cast<SiteCache*>(object);
    EXPECT_EQ(entry->m_nState, 0);
    if (entry->m_strSite == "b/") {
      EXPECT_EQ(entry->m_header.GetSize(), 20000);
    }
    if (entry->m_strSite == "c/") {
      EXPECT_EQ(entry->GetSize(), 2);
    }
  }
  EXPECT_TRUE(m_boxes.empty());
}

TEST_F(CatalogueTest, EnumerationFailures) {
  PutEntry("Cookie:u@a/", kRecord, NORMAL_CACHE_ENTRY);
  PutEntry("Cookie:u@b/", kRecord, NORMAL_CACHE_ENTRY, std::string(20000, 'h'));
  PutEntry("Cookie:u@c/", kRecord, NORMAL_CACHE_ENTRY);
  struct Case {
    const char* label;
    Call call;
    DWORD error;
    int skip;
    int loaded;
  } const cases[] = {
      {"store unreadable", Call::FindFirstUrlCacheEntryA, ERROR_FILE_CORRUPT, 0, 0},
      {"first record unreadable", Call::FindFirstUrlCacheEntryA, ERROR_FILE_CORRUPT, 1, 0},
      {"second record unreadable", Call::FindNextUrlCacheEntryA, ERROR_FILE_CORRUPT, 0, 1},
  };
  SiteCacheList list;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    m_boxes.clear();
    platform::InjectFault(c.call, c.error, c.skip);
    EXPECT_EQ(list.Load(), c.loaded);
    platform::ClearFaults();
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, modeltest::SystemText(c.error));
    EXPECT_EQ(m_boxes[0].caption, "Error");
  }
}

TEST_F(CatalogueTest, OutOfMemoryWhileEnumerating) {
  // Entries without the cookie bit read no file, so the allocations are: the first record
  // buffer, then one per entry; the big second record needs the buffer to grow.
  const std::string big(20000, 'h');
  std::vector<std::string> urls;
  for (const char* url : {"Cookie:u@a/", "Cookie:u@b/", "Cookie:u@c/"}) {
    PutEntry(url, kRecord, NORMAL_CACHE_ENTRY, url[9] == 'a' ? "" : big);
  }
  SiteCacheList list;
  ASSERT_EQ(list.Load(), 3);
  ASSERT_EQ(list.GetEntry(0)->m_strSite, "a/");  // the store lists in insertion order

  RecordBuffer::FailAllocations(0, 1);
  EXPECT_EQ(list.Load(), 0);
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0].text, Cp932("ﾒﾓﾘが足りません"));
  m_boxes.clear();
  RecordBuffer::FailAllocations(2, 1);
  EXPECT_EQ(list.Load(), 1);
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0].text, Cp932("ﾒﾓﾘが足りません."));
  EXPECT_EQ(list.GetEntry(0)->m_strSite, "a/");
}

TEST_F(CatalogueTest, DeleteEntryRemovesStoreEntryAndFile) {
  const std::string fileA = PutEntry("Cookie:u@a/", kRecord);
  const std::string fileB = PutEntry("Cookie:u@b/", kRecord);
  SiteCacheList list;
  ASSERT_EQ(list.Load(), 2);
  SiteCache* a = list.GetEntry(0)->m_strSite == "a/" ? list.GetEntry(0) : list.GetEntry(1);
  EXPECT_EQ(list.DeleteEntry(a), 0);
  EXPECT_EQ(list.GetSize(), 1);
  platform::UrlCacheRecord record;
  EXPECT_FALSE(Stored("Cookie:u@a/", record));
  EXPECT_FALSE(std::filesystem::exists(fileA));

  // An entry that is not in the catalogue still loses its store entry and file.
  SiteCache outside;
  outside.m_strUrlName = "Cookie:u@b/";
  outside.m_strLocalFile = fileB;
  EXPECT_EQ(list.DeleteEntry(&outside), 0);
  EXPECT_EQ(list.GetSize(), 1);
  EXPECT_FALSE(Stored("Cookie:u@b/", record));
  EXPECT_FALSE(std::filesystem::exists(fileB));
  EXPECT_TRUE(m_boxes.empty());
}

// The order the sort must give: a literal bubble sort.
void BubbleSort(std::vector<SiteCache*>& entries, int key, bool descending) {
  const auto compare = [key](const SiteCache* a, const SiteCache* b) {
    switch (key) {
      case 0:
        return std::strcmp(a->m_strModifiedTime, b->m_strModifiedTime);
      case 1:
        return std::strcmp(a->m_strSite, b->m_strSite);
      case 2:
        return std::strcmp(a->m_strLastSyncTime, b->m_strLastSyncTime);
      case 3:
        return a->m_dwHitRate > b->m_dwHitRate ? 1 : a->m_dwHitRate < b->m_dwHitRate ? -1 : 0;
      default:
        return std::strcmp(a->m_strExpireTime, b->m_strExpireTime);
    }
  };
  const int n = int(entries.size());
  for (int pass = 0; pass < n; ++pass) {
    for (int j = 0; j + 1 < n - pass; ++j) {
      const int c = compare(entries[j], entries[j + 1]);
      if (descending ? c < 0 : c > 0) std::swap(entries[j], entries[j + 1]);
    }
  }
}

TEST(SortTest, SameOrderAsABubbleSortWithManyTies) {
  std::mt19937 random(20031);
  const char* times[] = {"", "2003-02-28 12:34:56", "2003-02-28 12:34:57", "1999-12-31 23:59:59",
                         "2030-01-01 00:00:00"};
  const char* sites[] = {"a/", "b/", "B/", "a/x", "\x82\xa0/", ""};
  const DWORD hits[] = {0, 1, 7, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
  for (int round = 0; round < 20; ++round) {
    SiteCacheList list;
    const int n = int(random() % 300);
    for (int i = 0; i < n; ++i) {
      auto* e = new SiteCache;
      e->m_strModifiedTime = times[random() % std::size(times)];
      e->m_strSite = sites[random() % std::size(sites)];
      e->m_strLastSyncTime = times[random() % std::size(times)];
      e->m_dwHitRate = hits[random() % std::size(hits)];
      e->m_strExpireTime = times[random() % std::size(times)];
      list.Add(e);
    }
    for (int key = 0; key <= 4; ++key) {
      for (const bool descending : {false, true}) {
        std::vector<SiteCache*> expected;
        for (CObject* object : list.items()) expected.push_back(static_cast<SiteCache*>(object));
        BubbleSort(expected, key, descending);
        EXPECT_EQ(list.Sort(key, descending), 0);
        std::vector<SiteCache*> actual;
        for (CObject* object : list.items()) actual.push_back(static_cast<SiteCache*>(object));
        ASSERT_EQ(actual, expected) << "key " << key << (descending ? " descending" : "");
      }
    }
  }
}

TEST(SortTest, EdgeCases) {
  SiteCacheList list;
  EXPECT_EQ(list.Sort(1, false), 0);
  auto* late = new SiteCache;
  late->m_strExpireTime = "2003-01-01 00:00:00";
  late->m_dwHitRate = 0xFFFFFFFF;
  list.Add(late);
  EXPECT_EQ(list.Sort(4, true), 0);
  EXPECT_EQ(list.GetEntry(0), late);
  auto* never = new SiteCache;  // no expiry text: before every time
  never->m_dwHitRate = 0;
  list.Add(never);
  list.Sort(4, false);
  EXPECT_EQ(list.GetEntry(0), never);
  list.Sort(3, false);
  EXPECT_EQ(list.GetEntry(0), never);
  EXPECT_EQ(list.GetEntry(1), late);
  list.Sort(3, true);
  EXPECT_EQ(list.GetEntry(0), late);
}

}  // namespace
