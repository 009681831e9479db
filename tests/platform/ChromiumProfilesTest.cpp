// Finding Chromium-family profiles: the locations a path names and the profiles of every browser
// in the usual places, with their cookies and whether the browser runs.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/StoreLocation.h"
#include "support/ChromiumProfile.h"
#include "support/TempStore.h"

namespace tolvane::test {
namespace {

class ChromiumProfiles : public testing::Test {
 protected:
  void SetUp() override {
    m_home = m_store.Root() + "/home";
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
      const char* value = std::getenv(name);
      m_saved.emplace_back(name,
                           value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }
    ::setenv("HOME", m_home.c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("XDG_DATA_HOME", (m_home + "/data").c_str(), 1);
  }
  void TearDown() override {
    for (const auto& [name, value] : m_saved) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

  // A profile of `cookies` rows under the user-data folder.
  std::string Profile(const std::string& userData, const std::string& name, int cookies) {
    const std::string folder = m_home + "/" + userData + "/" + name;
    std::filesystem::create_directories(folder);
    ChromiumProfile file(folder + "/Cookies");
    for (int i = 0; i < cookies; ++i) {
      ChromiumTestRow row;
      row.hostKey = "a.example";
      row.name = "n" + std::to_string(i);
      file.Add(row);
    }
    return folder;
  }

  TempStore m_store;
  std::string m_home;
  std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

TEST_F(ChromiumProfiles, EveryBrowsersProfilesAreFoundWithTheirCookies) {
  const std::string chromium = Profile(".config/chromium", "Default", 2);
  const std::string chrome = Profile(".config/google-chrome", "Profile 1", 3);
  const std::string brave = Profile(".config/BraveSoftware/Brave-Browser", "Default", 0);
  const std::string snap = Profile("snap/chromium/common/chromium", "Default", 1);
  std::filesystem::create_directories(m_home + "/.config/vivaldi/Default");  // no Cookies yet
  char host[256] = {};
  ::gethostname(host, sizeof host - 1);
  std::filesystem::create_symlink(std::string(host) + "-" + std::to_string(::getpid()),
                                  m_home + "/.config/google-chrome/SingletonLock");

  const struct {
    std::string path, name;
    long cookies;
    bool inUse;
  } expected[] = {
      {chromium, "Chromium / Default", 2, false},
      {chrome, "Google Chrome / Profile 1", 3, true},
      {brave, "Brave / Default", 0, false},
      {snap, "Chromium (Snap) / Default", 1, false},
  };
  const auto found = platform::FindStores();
  size_t chromiumFound = 0;
  for (const auto& store : found)
    chromiumFound += store.location.kind == platform::StoreKind::Chromium;
  EXPECT_EQ(chromiumFound, std::size(expected));
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    const auto it = std::find_if(found.begin(), found.end(),
                                 [&](const auto& s) { return s.location.path == e.path; });
    ASSERT_NE(it, found.end());
    EXPECT_EQ(it->location.kind, platform::StoreKind::Chromium);
    EXPECT_EQ(it->name, e.name);
    EXPECT_EQ(it->cookies, e.cookies);
    EXPECT_EQ(it->inUse, e.inUse);
  }
}

TEST_F(ChromiumProfiles, APathNamesAProfileByItsFolderItsFileOrItsUserDataFolder) {
  const std::string profile = Profile(".config/chromium", "Default", 1);
  const std::string userData = m_home + "/.config/chromium";
  const struct {
    std::string text, path;
  } cases[] = {
      {profile, profile},
      {profile + "/Cookies", profile + "/Cookies"},
      {userData, profile},
      {"chromium:" + profile, profile},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    platform::StoreLocation location;
    std::string problem;
    ASSERT_TRUE(platform::ResolveStoreLocation(c.text, location, problem)) << problem;
    EXPECT_EQ(location.kind, platform::StoreKind::Chromium);
    EXPECT_EQ(location.path, c.path);
  }
}

}  // namespace
}  // namespace tolvane::test
