// The screenshot run of the real program: it ends whatever start-up shows, and its picture
// (which shows cookie values) is its owner's alone.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "support/TempStore.h"

namespace {

using tolvane::test::TempStore;

std::string Program() { return std::string(TOLVANE_BINARY_DIR) + "/tolvane"; }

// Runs the program on the store with TOLVANE_SCREENSHOT under umask 022; its exit status, or
// 124 when it had not ended after a minute.
int RunForScreenshot(const std::string& root, const std::string& png) {
  const std::string command =
      "umask 022; QT_QPA_PLATFORM=\"${QT_QPA_PLATFORM:-offscreen}\" TOLVANE_URLCACHE='" + root +
      "' TOLVANE_SCREENSHOT='" + png + "' timeout 60 '" + Program() + "' >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Screenshot, EndsWhateverStartUpShowsAndKeepsThePicturePrivate) {
  if (access(Program().c_str(), X_OK) != 0) GTEST_SKIP() << "the program is not built";
  const struct {
    const char* label;
    std::function<void(const std::string& root)> prepare;
  } cases[] = {
      {"a sound store", [](const std::string&) {}},
      {"a damaged index (a message box)",
       [](const std::string& root) { std::ofstream(root + "/index.sqlite") << "not an index"; }},
      {"a FIFO for an index (a message box)",
       [](const std::string& root) {
         std::filesystem::remove(root + "/index.sqlite");
         ASSERT_EQ(mkfifo((root + "/index.sqlite").c_str(), 0600), 0);
       }},
      {"a read-only store",
       [](const std::string& root) { ASSERT_EQ(chmod(root.c_str(), 0500), 0); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempStore store;
    ASSERT_FALSE(
        store.AddEntry("Cookie:u@a.example/", "n\nsecret\na.example/\n0\n0\n0\n0\n0\n*\n").empty());
    platform::SetUrlCacheRoot("");
    c.prepare(store.Root());
    const std::string png = store.Root() + "-shot.png";
    EXPECT_EQ(RunForScreenshot(store.Root(), png), 0);
    struct stat st {};
    ASSERT_EQ(stat(png.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    std::ifstream in(png, std::ios::binary);
    char signature[8] = {};
    in.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    std::filesystem::remove(png);
    chmod(store.Root().c_str(), 0700);
    platform::SetUrlCacheRoot(store.Root());
  }
}

}  // namespace
