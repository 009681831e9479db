// The export blocks of a variable, an entry and the catalogue against fixed text.
#include <gtest/gtest.h>
#include <stdio.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "ModelTestSupport.h"
#include "model/PersetCookie.h"
#include "model/SiteCache.h"
#include "model/SiteCacheList.h"

namespace {

template <typename Writer>
std::string Capture(Writer write) {
  char* data = nullptr;
  size_t size = 0;
  FILE* stream = open_memstream(&data, &size);
  write(stream);
  fclose(stream);
  std::string text(data, size);
  std::free(data);
  return text;
}

PersetCookie* MakeVariable(const char* name, DWORD flags) {
  auto* v = new PersetCookie;
  v->m_strName = name;
  v->m_strValue = "a%20b";
  v->m_strDomain = "example.com/";
  v->m_strPath = "*";
  v->m_dwFlags = flags;
  v->m_strExpire = "2030-01-02 03:04:05";
  v->m_strLastModify = "2003-02-28 12:34:56";
  return v;
}

SiteCache* MakeEntry(const char* site) {
  auto* e = new SiteCache;
  e->m_strSite = site;
  e->m_strUrlName = CString("Cookie:user@") + site;
  e->m_dwCacheType = COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY | URLHISTORY_CACHE_ENTRY;
  e->m_strLocalFile = "/store/cookies/user@example[1].txt";
  e->m_strModifiedTime = "2003-02-28 12:34:56";
  e->m_strExpireTime = "2030-01-02 03:04:05";
  e->m_strAccessTime = "2004-01-01 00:00:00";
  e->m_strLastSyncTime = "";
  e->m_dwUseCount = 0xFFFFFFFF;
  e->m_dwHitRate = 7;
  e->m_dwSizeLow = 0xA3800000;
  e->m_dwSizeHigh = 1;
  e->m_dwExemptDelta = 2743031808u;
  return e;
}

TEST(ExportTest, VariableFlagWords) {
  struct Case {
    DWORD flags;
    const char* line;
  } const cases[] = {
      {0x003, "Flags\t Secure Session\n"},
      {0x000, "Flags\t\n"},
      {0x100C, "Flags\t\n"},  // bits without a word
      {0xFFFFFFFF,
       "Flags\t Secure Session 3rdParty Prompt EvaluateP3P ApplyP3P EnableP3P Restricted IE6 "
       "Legacy\n"},
      {0x600, "Flags\t Restricted IE6\n"},
  };
  for (const Case& c : cases) {
    std::unique_ptr<PersetCookie> v(MakeVariable("n", c.flags));
    const std::string text = Capture([&](FILE* f) { v->WriteText(f); });
    EXPECT_EQ(text,
              "Name\tn\nValue\ta%20b\nDomain\texample.com/\nPath\t*\nExpire\t2030-01-02 03:04:05\n"
              "LastModify\t2003-02-28 12:34:56\n" +
                  std::string(c.line));
  }
}

TEST(ExportTest, EntryBlockWithHeaderAndVariables) {
  std::unique_ptr<SiteCache> e(MakeEntry("example.com/"));
  const char header[] = "P3P: x\r\n\0Z";
  e->m_header.SetSize(int(sizeof header - 1));
  std::copy(header, header + sizeof header - 1, e->m_header.GetData());
  e->m_strFileExtension = "txt";
  e->Add(MakeVariable("first", 0x001));
  e->Add(MakeVariable("second", 0x800));
  const std::string expected =
      "URLName\tCookie:user@example.com/\n"
      "CacheType\t Normal Cookie URLHistory\n"
      "LocalFile\t/store/cookies/user@example[1].txt\n"
      "ModifiedTime\t2003-02-28 12:34:56\n"
      "ExpireTime\t2030-01-02 03:04:05\n"
      "AccessTime\t2004-01-01 00:00:00\n"
      "LastSyncTime\t\n"
      "HeaderSize\t10\n" +
      std::string("P3P: x\r\n\0Z", 10) +
      "\n"
      "FileExtention\ttxt\n"
      "UseCount\t-1\n"
      "HitRate\t7\n"
      "Size[Hex]\t00000001 A3800000\n"
      "ExemptDelta=-1551935488\n"
      "-----------------------------\n"
      "Name\tfirst\nValue\ta%20b\nDomain\texample.com/\nPath\t*\nExpire\t2030-01-02 03:04:05\n"
      "LastModify\t2003-02-28 12:34:56\nFlags\t Secure\n"
      "-----------------------------\n"
      "Name\tsecond\nValue\ta%20b\nDomain\texample.com/\nPath\t*\nExpire\t2030-01-02 03:04:05\n"
      "LastModify\t2003-02-28 12:34:56\nFlags\t Legacy\n";
  EXPECT_EQ(Capture([&](FILE* f) { e->WriteText(f); }), expected);
}

TEST(ExportTest, EntryWithoutHeaderWritesNoHeaderLine) {
  std::unique_ptr<SiteCache> e(MakeEntry("a/"));
  e->m_dwCacheType = 0x00000004 | 0x00000008 | 0x00000010 | 0x00000020 | 0x00010000 | 0x40;
  const std::string text = Capture([&](FILE* f) { e->WriteText(f); });
  EXPECT_NE(text.find("CacheType\t Sticky Edited Offline Online Sparse\n"), std::string::npos);
  EXPECT_NE(text.find("HeaderSize\t0\nFileExtention\t\n"), std::string::npos);
}

using CatalogueExportTest = modeltest::StoreTest;

TEST_F(CatalogueExportTest, WritesATimeZoneLinePerEntry) {
  SiteCacheList list;
  list.Add(MakeEntry("a/"));
  list.Add(MakeEntry("b/"));
  std::unique_ptr<SiteCache> a(MakeEntry("a/")), b(MakeEntry("b/"));
  const std::string blockA = Capture([&](FILE* f) { a->WriteText(f); });
  const std::string blockB = Capture([&](FILE* f) { b->WriteText(f); });
  const std::string rule = "=============================\n";

  EXPECT_EQ(Capture([&](FILE* f) { list.WriteText(f); }),
            "TimeZone : GMT.\n" + rule + blockA + "TimeZone : GMT.\n" + rule + blockB);
  g_bGmtMode = 0;
  EXPECT_EQ(
      Capture([&](FILE* f) { list.WriteText(f); }),
      "TimeZone : Local Time.\n" + rule + blockA + "TimeZone : Local Time.\n" + rule + blockB);

  SiteCacheList empty;
  EXPECT_EQ(Capture([&](FILE* f) { empty.WriteText(f); }), "");
}

TEST(PersetCookieTest, CopyFromAlwaysMarksModified) {
  std::unique_ptr<PersetCookie> source(MakeVariable("n", 0xF00D));
  source->m_nState = 0;
  PersetCookie copy;
  EXPECT_EQ(&copy.CopyFrom(*source), &copy);
  EXPECT_EQ(copy.m_nState, 2);
  EXPECT_EQ(copy.m_strName, source->m_strName);
  EXPECT_EQ(copy.m_strValue, source->m_strValue);
  EXPECT_EQ(copy.m_strDomain, source->m_strDomain);
  EXPECT_EQ(copy.m_strPath, source->m_strPath);
  EXPECT_EQ(copy.m_dwFlags, 0xF00Du);
  EXPECT_EQ(copy.m_strExpire, source->m_strExpire);
  EXPECT_EQ(copy.m_strLastModify, source->m_strLastModify);
  EXPECT_TRUE(copy.IsKindOf(RUNTIME_CLASS(PersetCookie)));
  std::unique_ptr<CObject> created(RUNTIME_CLASS(PersetCookie)->CreateObject());
  EXPECT_TRUE(created->IsKindOf(RUNTIME_CLASS(PersetCookie)));
}

TEST(SiteCacheCopyTest, CopyAppendsCopiesAfterExistingVariables) {
  std::unique_ptr<SiteCache> source(MakeEntry("a/"));
  source->m_header.SetSize(3);
  source->m_header[0] = 'h';
  source->Add(MakeVariable("x", 1));
  source->Add(MakeVariable("y", 2));
  SiteCache copy;
  copy.m_header.SetSize(10);
  copy.Add(MakeVariable("kept", 0));
  copy.CopyFrom(*source);
  EXPECT_EQ(copy.m_nState, 2);
  EXPECT_EQ(copy.m_strUrlName, source->m_strUrlName);
  EXPECT_EQ(copy.m_dwExemptDelta, source->m_dwExemptDelta);
  EXPECT_EQ(copy.m_header.items(), source->m_header.items());
  ASSERT_EQ(copy.GetSize(), 3);
  EXPECT_EQ(copy.GetVariable(0)->m_strName, "kept");
  EXPECT_EQ(copy.GetVariable(1)->m_strName, "x");
  EXPECT_EQ(copy.GetVariable(2)->m_nState, 2);
  EXPECT_NE(copy.GetVariable(1), source->GetVariable(0));

  copy.DeleteVariable(source->GetVariable(0));  // not one of its own: nothing happens
  EXPECT_EQ(copy.GetSize(), 3);
  copy.DeleteVariable(copy.GetVariable(0));
  EXPECT_EQ(copy.GetSize(), 2);
}

}  // namespace
