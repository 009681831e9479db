#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempStore.h"

namespace {

using tolvane::test::TempStore;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

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
  // Bounded: a tool that hangs fails with status 124.
  const std::string command =
      "timeout 30 " + ToolPath() + " --store '" + store.Root() + "' " + arguments + " 2>&1";
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

namespace {

// Repair removes the files no entry references, and only those: never an entry's file, never
// anything but a regular file, never a file a running program is still writing.
TEST_F(UrlcacheTool, RepairRemovesOnlyUnreferencedRegularFiles) {
  const std::string kept = m_store.AddEntry("Cookie:u@a.example/", "kept\n");
  const std::string folder = m_store.CookieFolder();
  const std::string outside = m_store.Root() + "/outside";
  std::ofstream(outside) << "outside\n";
  std::ofstream(folder + "/orphan[1].TXT") << "left by a crash\n";
  std::ofstream(folder + "/empty[2].TXT");
  ASSERT_EQ(mkfifo((folder + "/fifo").c_str(), 0600), 0);
  ASSERT_EQ(symlink(outside.c_str(), (folder + "/link").c_str()), 0);
  ASSERT_EQ(mkdir((folder + "/folder").c_str(), 0700), 0);
  char writing[MAX_PATH];  // made by this process and not yet committed
  ASSERT_TRUE(CreateUrlCacheEntryA("Cookie:u@b.example/", 0, "TXT", writing, 0));

  const ToolRun repair = Tool(m_store, "check --repair");
  EXPECT_EQ(repair.status, 1) << repair.out;  // what it must leave is still reported
  for (const char* removed : {"/orphan[1].TXT", "/empty[2].TXT"}) {
    EXPECT_NE(repair.out.find("removed orphan file: " + folder + removed), std::string::npos)
        << repair.out;
    EXPECT_FALSE(std::filesystem::exists(folder + removed));
  }
  EXPECT_NE(repair.out.find("2 files removed"), std::string::npos) << repair.out;
  for (const std::string& left :
       {folder + "/fifo", folder + "/link", folder + "/folder", std::string(writing), kept}) {
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(left))) << left;
  }
  EXPECT_NE(
      repair.out.find("being written by a running program, left alone: " + std::string(writing)),
      std::string::npos)
      << repair.out;
  EXPECT_EQ(ReadAll(outside), "outside\n");
  EXPECT_EQ(ReadAll(kept), "kept\n");

  // Once the program that made it is gone, its file is an orphan like any other.
  ASSERT_TRUE(DeleteFileA(writing));
  for (const char* name : {"/fifo", "/link", "/folder"}) {
    std::filesystem::remove(folder + name);
  }
  EXPECT_EQ(Tool(m_store, "check --repair").status, 0);
  EXPECT_EQ(Tool(m_store, "check").status, 0);
}

// What the tool cannot use, it names; and a FIFO or a link never makes it hang or stray.
TEST_F(UrlcacheTool, CheckAndShowSayWhyAndNeverHang) {
  const std::string file = m_store.AddEntry("Cookie:u@a.example/", "mine\n");
  ASSERT_EQ(unlink(file.c_str()), 0);
  ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
  const ToolRun show = Tool(m_store, "show Cookie:u@a.example/");  // a hang ends the test
  EXPECT_EQ(show.status, 1);
  EXPECT_NE(show.out.find("not a regular file"), std::string::npos) << show.out;
  ASSERT_EQ(unlink(file.c_str()), 0);
  ASSERT_EQ(symlink("/etc/passwd", file.c_str()), 0);
  const ToolRun linked = Tool(m_store, "show Cookie:u@a.example/");
  EXPECT_EQ(linked.status, 1);
  EXPECT_EQ(linked.out.find("root:"), std::string::npos) << linked.out;
  EXPECT_NE(linked.out.find("symbolic link"), std::string::npos) << linked.out;

  platform::SetUrlCacheRoot("");
  ASSERT_EQ(chmod(m_store.Root().c_str(), 0775), 0);
  const ToolRun check = Tool(m_store, "check");
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.out.find("may be written by group or others (mode 0775)"), std::string::npos)
      << check.out;
  ASSERT_EQ(chmod(m_store.Root().c_str(), 0700), 0);
  platform::SetUrlCacheRoot(m_store.Root());
}

}  // namespace
