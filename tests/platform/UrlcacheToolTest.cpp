#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/TempStore.h"

namespace {

using tolvane::test::TempStore;

struct ToolRun {
  int status;
  std::string out;
};

// The built tool: build/urlcache, beside the folder of this test (build/tests).
std::string ToolPath() {
  char self[4096];
  const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  const std::string path(self, static_cast<size_t>(n));
  const std::string tests = path.substr(0, path.rfind('/'));
  return tests.substr(0, tests.rfind('/')) + "/urlcache";
}

// Runs the built tool on the test's store.
ToolRun Tool(const TempStore& store, const std::string& arguments) {
  const std::string command = ToolPath() + " --store '" + store.Root() + "' " + arguments + " 2>&1";
  ToolRun run{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) run.out.append(chunk, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class UrlcacheTool : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(ToolPath().c_str(), X_OK) != 0) GTEST_SKIP() << "urlcache is not built";
  }
  TempStore m_store;
};

TEST_F(UrlcacheTool, DemoFillsOnlyAnEmptyStoreAndLeavesItSound) {
  ToolRun demo = Tool(m_store, "demo");
  ASSERT_EQ(demo.status, 0) << demo.out;
  std::vector<platform::UrlCacheRecord> all;
  ASSERT_TRUE(platform::ListUrlCacheEntries(all));
  EXPECT_GE(all.size(), 25u);
  int visited = 0, withoutHeader = 0;
  for (const auto& record : all) {
    visited += record.url.rfind("Visited:", 0) == 0;
    withoutHeader += record.header.empty() && record.url.rfind("Cookie:", 0) == 0;
  }
  EXPECT_EQ(visited, 1);
  EXPECT_EQ(withoutHeader, 1);
  // The cookie enumeration never shows the other container.
  DWORD size = 0;
  ASSERT_EQ(FindFirstUrlCacheEntryA("cookie:", nullptr, &size), nullptr);
  std::vector<char> buffer(size);
  auto* info = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data());
  HANDLE find = FindFirstUrlCacheEntryA("cookie:", info, &size);
  ASSERT_NE(find, nullptr);
  size_t cookies = 0;
  do {
    ++cookies;
    EXPECT_EQ(std::string(info->lpszSourceUrlName).rfind("Cookie:", 0), 0u);
    size = static_cast<DWORD>(buffer.size());
    while (!FindNextUrlCacheEntryA(find, info, &size) &&
           GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
      buffer.resize(size);
      info = reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data());
    }
  } while (GetLastError() != ERROR_NO_MORE_ITEMS);
  FindCloseUrlCache(find);
  EXPECT_EQ(cookies, all.size() - 1);

  EXPECT_EQ(Tool(m_store, "check").status, 0);
  const ToolRun again = Tool(m_store, "demo");
  EXPECT_EQ(again.status, 1);
  std::vector<platform::UrlCacheRecord> after;
  ASSERT_TRUE(platform::ListUrlCacheEntries(after));
  EXPECT_EQ(after.size(), all.size());
}

TEST_F(UrlcacheTool, ExitCodesFollowConvention) {
  const struct {
    const char* arguments;
    int status;
  } cases[] = {{"--help", 0},     {"list", 0},         {"check", 0},
               {"", 2},           {"frobnicate", 2},   {"show", 2},
               {"list extra", 2}, {"--bogus list", 2}, {"show Cookie:u@missing/", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    EXPECT_EQ(Tool(m_store, c.arguments).status, c.status);
  }
}

TEST_F(UrlcacheTool, ShowPrintsTheRecordAndTheCookieFileLineByLine) {
  m_store.AddEntry("Cookie:u@a.example/", "n\nv\\\r\na.example/\n0\n1\n2\n3\n4\n*\ncut\n");
  const ToolRun show = Tool(m_store, "show Cookie:u@a.example/");
  ASSERT_EQ(show.status, 0) << show.out;
  EXPECT_NE(show.out.find("2\tv\\\\\\r\n"), std::string::npos) << show.out;
  EXPECT_NE(show.out.find("ends inside record 2"), std::string::npos) << show.out;
  const ToolRun list = Tool(m_store, "list");
  EXPECT_NE(list.out.find("Cookie:u@a.example/\t" + m_store.CookieFolder()), std::string::npos)
      << list.out;
}

TEST_F(UrlcacheTool, CheckReportsAMissingFileAndADamagedIndex) {
  const std::string file = m_store.AddEntry("Cookie:u@a.example/", "x\n");
  ASSERT_EQ(unlink(file.c_str()), 0);  // behind the store's back
  const ToolRun check = Tool(m_store, "check");
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.out.find("file missing"), std::string::npos) << check.out;
  platform::SetUrlCacheRoot("");
  platform::SetUrlCacheRoot(m_store.Root());
  FILE* index = fopen((m_store.Root() + "/index.sqlite").c_str(), "wb");
  fputs("not an index", index);
  fclose(index);
  const ToolRun damaged = Tool(m_store, "list");
  EXPECT_EQ(damaged.status, 1);
  EXPECT_NE(damaged.out.find("(error 1392)"), std::string::npos) << damaged.out;
}

}  // namespace
