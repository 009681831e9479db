// Read every entry of the demo store, commit it and read it again: the cookie files come back
// byte for byte, apart from numbers written as signed decimals and time stamps cut to the second.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "model/SiteCacheList.h"

namespace {

using modeltest::ReadBytes;

std::string UrlCacheTool() {
  const std::filesystem::path dir = TOLVANE_BINARY_DIR;
  for (const auto& candidate : {dir / "urlcache", dir / "tools" / "urlcache"}) {
    if (std::filesystem::exists(candidate)) return candidate.string();
  }
  return {};
}

std::string Signed(DWORD value) { return std::to_string(int32_t(value)); }

// A FILETIME line pair as a commit writes it back: whole seconds, 0 when it has no time text.
void TimePair(const std::string& low, const std::string& high, std::string& out) {
  const uint64_t value = (uint64_t(DWORD(std::strtoll(high.c_str(), nullptr, 10))) << 32) |
                         DWORD(std::strtoll(low.c_str(), nullptr, 10));
  FILETIME time = modeltest::MakeFileTime(value);
  SYSTEMTIME st;
  uint64_t written = 0;
  if (FileTimeToSystemTime(&time, &st) && st.wYear <= 30827) written = value - value % 10'000'000;
  out += Signed(DWORD(written)) + "\n" + Signed(DWORD(written >> 32)) + "\n";
}

// The cookie file a commit writes for a file as read: every record whole (a record cut short
// gets empty texts and zero numbers), a last line without LF gone.
std::string AsCommitted(const std::string& original) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t lf; (lf = original.find('\n', start)) != std::string::npos; start = lf + 1) {
    lines.push_back(original.substr(start, lf - start));
  }
  while (lines.size() % 9)
    lines.push_back(lines.size() % 9 >= 3 && lines.size() % 9 < 8 ? "0" : "");
  std::string out;
  for (size_t r = 0; r < lines.size(); r += 9) {
    out += lines[r] + "\n" + lines[r + 1] + "\n" + lines[r + 2] + "\n";
    out += Signed(DWORD(std::strtoll(lines[r + 3].c_str(), nullptr, 10))) + "\n";
    TimePair(lines[r + 4], lines[r + 5], out);
    TimePair(lines[r + 6], lines[r + 7], out);
    out += lines[r + 8] + "\n";
  }
  return out;
}

uint64_t WholeSeconds(const FILETIME& time) {
  const uint64_t value = modeltest::ToUint64(time);
  FILETIME copy = time;
  SYSTEMTIME st;
  if (!FileTimeToSystemTime(&copy, &st) || st.wYear > 30827) return 0;
  return value - value % 10'000'000;
}

using DemoRoundTripTest = modeltest::StoreTest;

TEST_F(DemoRoundTripTest, CommitChangesOnlyNumbersAndFractions) {
  const std::string tool = UrlCacheTool();
  ASSERT_FALSE(tool.empty()) << "build the urlcache tool first";
  const std::string command =
      "TOLVANE_URLCACHE='" + platform::UrlCacheRoot() + "' '" + tool + "' demo >/dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);

  std::map<std::string, platform::UrlCacheRecord> before;
  std::map<std::string, std::string> files;
  for (const auto& record : AllStored()) {
    before[record.url] = record;
    files[record.url] = ReadBytes(record.localFile);
  }

  SiteCacheList list;
  const int count = list.Load();
  ASSERT_GT(count, 20);
  std::vector<std::vector<std::string>> variables;  // as first read
  for (CObject* object : list.items()) {
    auto* entry = static_cast<SiteCache*>(object);
    std::vector<std::string> fields;
    for (CObject* v : entry->items()) {
      const auto* cookie = static_cast<PersetCookie*>(v);
      fields.push_back(cookie->m_strName.str() + "|" + cookie->m_strValue.str() + "|" +
                       cookie->m_strDomain.str() + "|" + std::to_string(cookie->m_dwFlags) + "|" +
                       cookie->m_strExpire.str() + "|" + cookie->m_strLastModify.str() + "|" +
                       cookie->m_strPath.str());
    }
    variables.push_back(fields);
  }

  for (int i = 0; i < count; ++i) {
    SiteCache* entry = list.GetEntry(i);
    const std::string url = entry->m_strUrlName.str();
    SCOPED_TRACE(url);
    // A file without the cookie bit is never read, so a commit has nothing to write into it.
    if (!(entry->m_dwCacheType & COOKIE_CACHE_ENTRY)) continue;
    ASSERT_EQ(list.CommitEntry(entry, true), 0);
    EXPECT_EQ(entry->m_strUrlName, url.c_str());

    platform::UrlCacheRecord after;
    ASSERT_TRUE(Stored(url, after));
    const platform::UrlCacheRecord& old = before[url];
    EXPECT_EQ(ReadBytes(after.localFile), AsCommitted(files[url]));
    EXPECT_EQ(after.type, old.type);
    EXPECT_EQ(after.header, old.header);
    EXPECT_EQ(modeltest::ToUint64(after.expire), WholeSeconds(old.expire));
    EXPECT_EQ(modeltest::ToUint64(after.modified), WholeSeconds(old.modified));

    // Read again, the variables are the ones first read.
    std::vector<std::string> fields;
    for (CObject* v : entry->items()) {
      const auto* cookie = static_cast<PersetCookie*>(v);
      fields.push_back(cookie->m_strName.str() + "|" + cookie->m_strValue.str() + "|" +
                       cookie->m_strDomain.str() + "|" + std::to_string(cookie->m_dwFlags) + "|" +
                       cookie->m_strExpire.str() + "|" + cookie->m_strLastModify.str() + "|" +
                       cookie->m_strPath.str());
    }
    if (url.find("truncated") == std::string::npos && url.find("never") == std::string::npos) {
      EXPECT_EQ(fields, variables[size_t(i)]);
    }
  }
  EXPECT_EQ(AllStored().size(), before.size());
  EXPECT_TRUE(StoreProblems().empty());
  EXPECT_TRUE(m_boxes.empty());
}

}  // namespace
