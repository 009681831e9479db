// Reading cookie files from the store and writing them back with a commit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "model/SiteCache.h"
#include "model/SiteCacheList.h"

namespace {

using modeltest::ReadBytes;

class CookieFileTest : public modeltest::StoreTest {
 protected:
  // Loads the one stored entry through the catalogue, as the program does.
  SiteCache* LoadOnly(SiteCacheList& list) {
    EXPECT_EQ(list.Load(), 1);
    return list.GetSize() == 1 ? list.GetEntry(0) : nullptr;
  }
};

// Whole seconds, both low halves above 2147483647.
const char kRecord[] =
    "name\nvalue\nexample.com/\n9\n3433420800\n29548325\n3561052160\n29542290\n*\n";

const char kBinary[] = "n\0a\nv\x82\xa0\xff\nd\n0\n0\n0\n0\n0\nend\n";

struct LoadCase {
  const char* label;
  std::string file;
  int variables;
  std::vector<int> states;  // of the variables
  std::string committed;    // the file a commit writes back
};

TEST_F(CookieFileTest, LoadAndCommitBackEdgeCases) {
  const std::string record = kRecord;
  // What the commit writes for kRecord: numbers as signed decimals.
  const std::string written =
      "name\nvalue\nexample.com/\n9\n-861546496\n29548325\n-733915136\n29542290\n*\n";
  const LoadCase cases[] = {
      {"empty file", "", 0, {}, ""},
      {"one record", record, 1, {0}, written},
      {"CR stays in texts",
       "n\r\nv\r\nd\r\n1\r\n0\r\n0\r\n0\r\n0\r\n*\r\n",
       1,
       {0},
       "n\r\nv\r\nd\r\n1\n0\n0\n0\n0\n*\r\n"},
      {"last line without LF is dropped", record + "next", 1, {0}, written},
      {"record cut short stays loading",
       record + "n2\nv2\nd2\n",
       2,
       {0, 1},
       written + "n2\nv2\nd2\n0\n0\n0\n0\n0\n\n"},
      {"negative and unsigned forms read alike",
       "n\nv\nd\n-1\n-861546496\n29548325\n-733915136\n29542290\n*\n",
       1,
       {0},
       "n\nv\nd\n-1\n-861546496\n29548325\n-733915136\n29542290\n*\n"},
      {"numbers: blanks, sign, trailing junk, low 32 bits",
       "n\nv\nd\n \t+12abc\n7728388096\n29548325\n0\n0\n*\n",
       1,
       {0},
       "n\nv\nd\n12\n-861546496\n29548325\n0\n0\n*\n"},
      {"zero bytes and high bytes survive",
       std::string(kBinary, sizeof kBinary - 1),
       1,
       {0},
       std::string(kBinary, sizeof kBinary - 1)},
      {"fractions of a second are dropped",
       "n\nv\nd\n0\n1234567\n0\n9999999\n0\n*\n",
       1,
       {0},
       "n\nv\nd\n0\n0\n0\n0\n0\n*\n"},
      {"two records", record + record, 2, {0, 0}, written + written},
  };
  int index = 0;
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.label);
    const std::string url = "Cookie:user@case" + std::to_string(index++) + "/";
    PutEntry(url, c.file);
    SiteCacheList list;
    list.Load();
    SiteCache* entry = nullptr;
    for (CObject* object : list.items()) {
      if (static_cast<SiteCache*>(object)->m_strUrlName == url.c_str()) {
        entry = static_cast<SiteCache*>(object);
      }
    }
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->m_nState, 0);
    ASSERT_EQ(entry->GetSize(), c.variables);
    for (int i = 0; i < c.variables; ++i) EXPECT_EQ(entry->GetVariable(i)->m_nState, c.states[i]);

    ASSERT_EQ(list.CommitEntry(entry, true), 0);
    EXPECT_EQ(ReadBytes(entry->m_strLocalFile.str()), c.committed);
  }
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_TRUE(StoreProblems().empty());
}

TEST_F(CookieFileTest, RecordFieldsAndEntryInformation) {
  const std::string header = "HTTP/1.1 200 OK\r\n";
  const std::string file =
      PutEntry("Cookie:user@example.com/", kRecord, COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY, header,
               126909092960000000, 0);
  SiteCacheList list;
  SiteCache* entry = LoadOnly(list);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->m_strSite, "example.com/");
  EXPECT_EQ(entry->m_strUrlName, "Cookie:user@example.com/");
  EXPECT_EQ(entry->m_strLocalFile, file.c_str());
  EXPECT_EQ(entry->m_dwCacheType, COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY);
  EXPECT_EQ(entry->m_strModifiedTime, "2003-02-28 12:34:56");
  EXPECT_EQ(entry->m_strExpireTime, "1601-01-01 00:00:00");
  EXPECT_EQ(std::string(entry->m_header.items().begin(), entry->m_header.items().end()), header);
  ASSERT_EQ(entry->GetSize(), 1);
  const PersetCookie* v = entry->GetVariable(0);
  EXPECT_EQ(v->m_strName, "name");
  EXPECT_EQ(v->m_strValue, "value");
  EXPECT_EQ(v->m_strDomain, "example.com/");
  EXPECT_EQ(v->m_dwFlags, 9u);
  EXPECT_EQ(v->m_strPath, "*");
  EXPECT_EQ(v->m_strExpire, "2003-02-28 12:34:56");
  EXPECT_EQ(v->m_strLastModify, "2003-01-29 12:34:56");
}

TEST_F(CookieFileTest, EntryWithoutCookieBitReadsNoFile) {
  PutEntry("Cookie:user@plain/", kRecord, NORMAL_CACHE_ENTRY);
  SiteCacheList list;
  SiteCache* entry = LoadOnly(list);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->GetSize(), 0);
  EXPECT_EQ(entry->LoadCookieFile(), -1);
  EXPECT_EQ(entry->m_nState, 0);
}

TEST_F(CookieFileTest, RenameMovesTheEntry) {
  const std::string oldFile = PutEntry("Cookie:user@old.example/", kRecord);
  SiteCacheList list;
  SiteCache* entry = LoadOnly(list);
  ASSERT_NE(entry, nullptr);
  entry->m_strSite = "new.example/";
  entry->m_nState = 2;
  ASSERT_EQ(list.CommitEntry(entry, true), 0);
  platform::UrlCacheRecord record;
  EXPECT_FALSE(Stored("Cookie:user@old.example/", record));
  ASSERT_TRUE(Stored("Cookie:user@new.example/", record));
  EXPECT_EQ(record.localFile, entry->m_strLocalFile.str());
  EXPECT_NE(record.localFile, oldFile);
  EXPECT_EQ(entry->m_strUrlName, "Cookie:user@new.example/");
  EXPECT_EQ(entry->m_nState, 0);
  EXPECT_EQ(entry->GetSize(), 1);
  EXPECT_EQ(AllStored().size(), 1u);
  EXPECT_TRUE(StoreProblems().empty());
}

TEST_F(CookieFileTest, CommitUnderTheSameUrlKeepsOneEntry) {
  const std::string oldFile = PutEntry("Cookie:user@same/", kRecord);
  SiteCacheList list;
  SiteCache* entry = LoadOnly(list);
  ASSERT_NE(entry, nullptr);
  entry->GetVariable(0)->m_strValue = "changed";
  ASSERT_EQ(list.CommitEntry(entry, true), 0);
  platform::UrlCacheRecord record;
  ASSERT_TRUE(Stored("Cookie:user@same/", record));
  EXPECT_NE(record.localFile, oldFile);
  EXPECT_EQ(AllStored().size(), 1u);
  EXPECT_EQ(entry->GetVariable(0)->m_strValue, "changed");
  EXPECT_TRUE(StoreProblems().empty());
}

TEST_F(CookieFileTest, CommitWithoutDeleteOldKeepsTheSource) {
  PutEntry("Cookie:user@source/", kRecord);
  SiteCacheList list;
  SiteCache* source = LoadOnly(list);
  ASSERT_NE(source, nullptr);
  auto* copy = new SiteCache;
  copy->CopyFrom(*source);
  copy->m_strSite += "_Copy_";
  copy->m_strUrlName += "_Copy_";
  list.InsertAt(1, copy);
  ASSERT_EQ(list.CommitEntry(copy, false), 0);
  platform::UrlCacheRecord record;
  EXPECT_TRUE(Stored("Cookie:user@source/", record));
  EXPECT_TRUE(Stored("Cookie:user@source/_Copy_", record));
  ASSERT_EQ(copy->GetSize(), 1);
  EXPECT_EQ(copy->m_nState, 0);
  EXPECT_EQ(copy->GetVariable(0)->m_strExpire, source->GetVariable(0)->m_strExpire);
  EXPECT_EQ(copy->GetVariable(0)->m_strLastModify, source->GetVariable(0)->m_strLastModify);
  EXPECT_TRUE(StoreProblems().empty());
}

TEST_F(CookieFileTest, UrlWithoutAtSignCommitsUnderTheSiteAlone) {
  PutEntry("cookie:bare.example/", kRecord);
  SiteCacheList list;
  SiteCache* entry = LoadOnly(list);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->m_strSite, "cookie:bare.example/");
  ASSERT_EQ(list.CommitEntry(entry, true), 0);
  EXPECT_EQ(entry->m_strUrlName, "cookie:bare.example/");
  EXPECT_EQ(AllStored().size(), 1u);
}

TEST_F(CookieFileTest, EntryWithoutVariablesCommitsAnEmptyFile) {
  PutEntry("Cookie:user@emptied/", kRecord);
  SiteCacheList list;
  SiteCache* entry = LoadOnly(list);
  ASSERT_NE(entry, nullptr);
  entry->DeleteAll();
  ASSERT_EQ(list.CommitEntry(entry, true), 0);
  EXPECT_EQ(ReadBytes(entry->m_strLocalFile.str()), "");
  EXPECT_EQ(entry->GetSize(), 0);
}

TEST_F(CookieFileTest, HeaderAndTimesSurviveACommit) {
  PutEntry("Cookie:user@h/", kRecord, COOKIE_CACHE_ENTRY, "H: 1\r\n", 126909092961234567,
           126909092960000000 + 864000000000);
  SiteCacheList list;
  SiteCache* entry = LoadOnly(list);
  ASSERT_NE(entry, nullptr);
  ASSERT_EQ(list.CommitEntry(entry, true), 0);
  platform::UrlCacheRecord record;
  ASSERT_TRUE(Stored("Cookie:user@h/", record));
  EXPECT_EQ(record.header, "H: 1\r\n");
  EXPECT_EQ(record.type, COOKIE_CACHE_ENTRY);
  EXPECT_EQ(modeltest::ToUint64(record.modified), 126909092960000000u);
  EXPECT_EQ(modeltest::ToUint64(record.expire), 126909092960000000u + 864000000000u);
}

TEST_F(CookieFileTest, RereadWithoutHeaderKeepsTheOldHeader) {
  PutEntry("Cookie:user@h/", kRecord, COOKIE_CACHE_ENTRY, "");
  SiteCacheList list;
  SiteCache* entry = LoadOnly(list);
  ASSERT_NE(entry, nullptr);
  entry->m_header.SetSize(2);
  entry->m_header[0] = 'X';
  entry->m_header[1] = 'Y';
  ASSERT_EQ(list.RetrieveEntry(entry), 1);
  EXPECT_EQ(entry->m_header.GetSize(), 2);
  EXPECT_EQ(entry->m_nState, 0);
}

}  // namespace
