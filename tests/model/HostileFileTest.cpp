// Something planted in place of a cookie file: the catalogue still loads at once, shows the
// entry as not read, and a commit replaces it without touching what it pointed at.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>

#include "ModelTestSupport.h"
#include "model/SiteCacheList.h"
#include "support/Child.h"

namespace {

using modeltest::ReadBytes;

const char kRecord[] = "n\nv\nd/\n0\n0\n0\n0\n0\n*\n";

using HostileFileTest = modeltest::StoreTest;

TEST_F(HostileFileTest, APlantedCookieFileNeitherHangsNorLeaksTheLoad) {
  const struct {
    const char* label;
    std::function<void(const std::string& file, const std::string& victim)> plant;
  } cases[] = {
      {"FIFO", [](const std::string& file,
                  const std::string&) { ASSERT_EQ(mkfifo(file.c_str(), 0600), 0); }},
      {"symbolic link",
       [](const std::string& file, const std::string& victim) {
         ASSERT_EQ(symlink(victim.c_str(), file.c_str()), 0);
       }},
      {"hard link",
       [](const std::string& file, const std::string& victim) {
         ASSERT_EQ(link(victim.c_str(), file.c_str()), 0);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    m_store.reset();
    m_store = std::make_unique<tolvane::test::TempStore>();
    const std::string victim = m_store->Root() + "/victim";
    std::ofstream(victim) << "a\nb\nc\n0\n0\n0\n0\n0\n*\n";
    PutEntry("Cookie:u@fine.example/", kRecord);
    const std::string file = PutEntry("Cookie:u@planted.example/", kRecord);
    ASSERT_EQ(unlink(file.c_str()), 0);
    c.plant(file, victim);

    // In a child, since before the mend the load blocked on the FIFO for ever.
    const int loaded = tolvane::test::RunInChild(
        [] {
          SiteCacheList list;
          if (list.Load() != 2) return 1;
          for (int i = 0; i < 2; ++i) {
            const SiteCache* entry = list.GetEntry(i);
            const bool planted = entry->m_strSite == "planted.example/";
            if (planted != (entry->m_nState == 1) || entry->GetSize() != (planted ? 0 : 1)) {
              return 2;
            }
          }
          return 0;
        },
        20);
    EXPECT_EQ(loaded, 0) << "-1: the load hung; 1, 2: wrong entries";

    SiteCacheList list;
    ASSERT_EQ(list.Load(), 2);
    SiteCache* planted = list.GetEntry(list.GetEntry(0)->m_strSite == "planted.example/" ? 0 : 1);
    auto* variable = new PersetCookie;
    variable->m_strName = "fresh";
    planted->Add(variable);
    EXPECT_EQ(list.CommitEntry(planted, true), 0);
    EXPECT_EQ(planted->GetSize(), 1);
    EXPECT_EQ(ReadBytes(victim), "a\nb\nc\n0\n0\n0\n0\n0\n*\n");
    EXPECT_TRUE(StoreProblems().empty());
    EXPECT_TRUE(m_boxes.empty());
  }
}

}  // namespace
