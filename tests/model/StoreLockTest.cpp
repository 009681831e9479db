// Another program holding the index's write lock: reading never waits for it, and a commit
// that cannot get it fails saying why.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>

#include <string>

#include "ModelTestSupport.h"
#include "model/SiteCacheList.h"
#include "support/Child.h"

namespace {

using tolvane::test::Signal;

const char kRecord[] = "n\nv\nd/\n0\n0\n0\n0\n0\n*\n";
constexpr int kEntries = 20;
// The holder lets go by itself after this long; the store's own wait is 15 s, so a read that
// waited for the lock would outlast the holder.
constexpr int kHoldSeconds = 10;

// A child process that takes the write lock of the index and holds it until told.
class LockHolder {
 public:
  explicit LockHolder(const std::string& index) {
    m_child = fork();
    if (m_child != 0) return;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(index.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, "BEGIN IMMEDIATE; UPDATE entries SET use_count = use_count + 1", nullptr,
                     nullptr, nullptr) != SQLITE_OK) {
      _exit(3);
    }
    m_locked.Send();
    const bool told = m_release.Wait(kHoldSeconds);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    _exit(told ? 0 : 1);
  }
  bool Locked() const { return m_locked.Wait(20); }
  // 0 when the child held the lock until now; 1 when it had let go on its own.
  int Release() {
    m_release.Send();
    int status = 0;
    waitpid(m_child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  Signal m_locked;
  Signal m_release;
  pid_t m_child = -1;
};

class StoreLockTest : public modeltest::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    for (int i = 0; i < kEntries; ++i) PutEntry("Cookie:u@site" + std::to_string(i) + "/", kRecord);
  }
  void TearDown() override {
    platform::SetLockTimeout(0);
    StoreTest::TearDown();
  }
};

TEST_F(StoreLockTest, LoadingWhileAnotherProgramHoldsTheLockNeverWaits) {
  LockHolder holder(platform::IndexPath());
  ASSERT_TRUE(holder.Locked());
  SiteCacheList list;
  for (int load = 0; load < 2; ++load) {
    ASSERT_EQ(list.Load(), kEntries);
    for (int i = 0; i < kEntries; ++i) EXPECT_EQ(list.GetEntry(i)->m_nState, 0);
  }
  EXPECT_EQ(list.RetrieveEntry(list.GetEntry(0)), 1);
  EXPECT_EQ(holder.Release(), 0) << "a read waited until the other program let go";
  EXPECT_TRUE(m_boxes.empty());
  // The hits counted meanwhile were kept and are written now: two loads' worth.
  platform::UrlCacheRecord record;
  ASSERT_TRUE(Stored(list.GetEntry(kEntries - 1)->m_strUrlName.str(), record));
  EXPECT_EQ(record.hitRate, 2u);
}

TEST_F(StoreLockTest, ACommitThatCannotGetTheLockFailsNamingTheCause) {
  platform::SetLockTimeout(200);
  SiteCacheList list;
  ASSERT_EQ(list.Load(), kEntries);
  SiteCache* entry = list.GetEntry(0);
  const std::string url = entry->m_strUrlName.str();
  platform::UrlCacheRecord before;
  ASSERT_TRUE(Stored(url, before));
  entry->GetVariable(0)->m_strValue = "changed";
  entry->m_nState = 2;

  LockHolder holder(platform::IndexPath());
  ASSERT_TRUE(holder.Locked());
  EXPECT_EQ(list.CommitEntry(entry, true), -1);
  ASSERT_EQ(m_boxes.size(), 1u);
  EXPECT_EQ(m_boxes[0].text, modeltest::SystemText(ERROR_SHARING_VIOLATION));
  EXPECT_NE(platform::LastUrlCacheErrorDetail().find("locked by another process"),
            std::string::npos)
      << platform::LastUrlCacheErrorDetail();
  EXPECT_EQ(entry->m_nState, 2);
  EXPECT_EQ(holder.Release(), 0);

  platform::UrlCacheRecord after;
  ASSERT_TRUE(Stored(url, after));
  EXPECT_EQ(after.localFile, before.localFile);
  EXPECT_EQ(modeltest::ReadBytes(after.localFile), kRecord);
  // Once the other program is done, the same commit goes through.
  EXPECT_EQ(list.CommitEntry(entry, true), 0);
  EXPECT_EQ(list.GetEntry(0)->GetVariable(0)->m_strValue, "changed");
  EXPECT_TRUE(StoreProblems().empty());
}

}  // namespace
