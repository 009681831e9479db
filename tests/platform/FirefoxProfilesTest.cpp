// Finding Firefox profiles where Firefox, its Flatpak and its Snap keep them, and copying
// cookies between a profile and a cookies.txt.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "platform/CookieRecord.h"
#include "platform/StoreCopy.h"
#include "platform/StoreLocation.h"
#include "support/FirefoxProfileStore.h"

namespace tolvane::test {
namespace {

class Environment {
 public:
  Environment(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name)) m_old = old, m_had = true;
    ::setenv(name, value.c_str(), 1);
  }
  ~Environment() {
    if (m_had) {
      ::setenv(m_name, m_old.c_str(), 1);
    } else {
      ::unsetenv(m_name);
    }
  }

 private:
  const char* m_name;
  std::string m_old;
  bool m_had = false;
};

void Write(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path) << text;
}

// A profile folder with `cookies` cookies (none: no cookies.sqlite at all).
void MakeProfile(const std::string& folder, int cookies) {
  std::filesystem::create_directories(folder);
  if (cookies < 0) return;
  ASSERT_TRUE(MakeFirefoxDb(folder + "/cookies.sqlite", 17));
  for (int i = 0; i < cookies; ++i) {
    ASSERT_TRUE(RunSql(folder + "/cookies.sqlite",
                       "INSERT INTO moz_cookies (name, value, host, path, expiry) VALUES ('c" +
                           std::to_string(i) + "', 'v', 'site.localhost', '/', 2000000000000)"));
  }
}

TEST(FirefoxProfiles, EveryProfileOfEveryInstallIsFoundOnce) {
  FirefoxProfileStore scratch;
  const std::string home = scratch.Folder() + "/home";
  Environment homeVariable("HOME", home);
  Environment config("XDG_CONFIG_HOME", scratch.Folder() + "/config");
  const std::string classic = home + "/.mozilla/firefox";
  const std::string xdg = scratch.Folder() + "/config/mozilla/firefox";
  const std::string flatpak = home + "/.var/app/org.mozilla.firefox/.mozilla/firefox";
  const std::string snap = home + "/snap/firefox/common/.mozilla/firefox";
  const std::string elsewhere = scratch.Folder() + "/elsewhere";
  Write(classic + "/profiles.ini",
        "[General]\nStartWithLastProfile=1\n\n[Profile1]\nName=work\nIsRelative=0\nPath=" +
            elsewhere +
            "\n\n[Profile0]\nName=default-esr\nIsRelative=1\nPath=ab.default-esr\n"
            "Default=1\n\n[Install4F96D1932A9F858E]\nDefault=ab.default-esr\nLocked=1\n");
  Write(xdg + "/profiles.ini",
        "[Profile0]\r\nName=fresh\r\nIsRelative=1\r\nPath=cd.fresh\r\n"
        "[Profile1]\r\nName=again\r\nIsRelative=0\r\nPath=" +
            elsewhere + "\r\n");
  Write(flatpak + "/profiles.ini", "[Profile0]\nName=flat\nIsRelative=1\nPath=ef.flat\n");
  Write(snap + "/profiles.ini", "[Profile0]\nName=snapped\nIsRelative=1\nPath=gh.snap\n");
  MakeProfile(classic + "/ab.default-esr", 3);
  MakeProfile(elsewhere, 1);
  MakeProfile(xdg + "/cd.fresh", -1);
  MakeProfile(flatpak + "/ef.flat", 2);
  MakeProfile(snap + "/gh.snap", 0);
  FirefoxStandIn firefox(flatpak + "/ef.flat");
  ASSERT_TRUE(firefox.Holding());

  struct Seen {
    long cookies;
    bool inUse;
    int times;
  };
  std::map<std::string, Seen> seen;
  for (const platform::FoundStore& store : platform::FindStores()) {
    if (store.location.kind != platform::StoreKind::Firefox) continue;
    Seen& s = seen[store.name];
    s = {store.cookies, store.inUse, s.times + 1};
  }
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen["default-esr"].cookies, 3);
  EXPECT_EQ(seen["work"].cookies, 1);
  EXPECT_EQ(seen["work"].times, 1);  // named by two profiles.ini files
  EXPECT_EQ(seen["fresh"].cookies, 0);
  EXPECT_EQ(seen["flat"].cookies, 2);  // read while Firefox holds it
  EXPECT_TRUE(seen["flat"].inUse);
  EXPECT_FALSE(seen["default-esr"].inUse);
  EXPECT_EQ(seen["snapped"].cookies, 0);
}

TEST(FirefoxProfiles, CookiesCopyToACookiesTxtAndBack) {
  FirefoxProfileStore store;
  ASSERT_TRUE(store.Make(17));
  ASSERT_TRUE(RunSql(store.Database(),
                     "INSERT INTO moz_cookies (name, value, host, path, expiry, isHttpOnly, "
                     "originAttributes) VALUES ('a', '1', '.site.localhost', '/', "
                     "2000000000000, 1, ''), ('b', '2', 'other.localhost', '/', 2000000000000, "
                     "0, '^userContextId=1')"));
  const std::string txt = store.Folder() + "/out.txt";
  platform::CopyReport report;
  std::string problem;
  ASSERT_TRUE(platform::CopyCookies(store.Profile(), txt, "", report, problem)) << problem;
  EXPECT_EQ(report.copied, 2);
  const std::string text = FirefoxProfileStore::Read(txt);
  EXPECT_NE(text.find("#HttpOnly_.site.localhost\tTRUE\t/\tFALSE\t2000000000\ta\t1"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("other.localhost\tFALSE\t/\tFALSE\t2000000000\tb\t2"), std::string::npos);

  // Back into a new profile: lasting cookies land in the default container, a session cookie
  // is named as one Firefox never stores.
  Write(txt, text + ".new.localhost\tTRUE\t/\tFALSE\t0\tsession\tx\n");
  FirefoxProfileStore target;
  ASSERT_TRUE(target.Make(16));
  ASSERT_TRUE(platform::CopyCookies(txt, target.Profile(), "", report, problem)) << problem;
  EXPECT_EQ(report.copied, 2);
  ASSERT_EQ(report.failures.size(), 1u);
  EXPECT_NE(report.failures[0].find("session"), std::string::npos);
  EXPECT_EQ(Column(target.Database(), "expiry || isHttpOnly || originAttributes", "name = 'a'"),
            "20000000000001");
  EXPECT_EQ(Column(target.Database(), "host", "name = 'b'"), "other.localhost");
}

}  // namespace
}  // namespace tolvane::test
