// Failures on the way to and from the store: full disks, missing files, entries deleted behind
// the program's back, no memory. Nothing stored may be lost, and no failure may look like success.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ModelTestSupport.h"
#include "model/SiteCache.h"
#include "model/SiteCacheList.h"

namespace {

using modeltest::Cp932;
using modeltest::ReadBytes;
using platform::Call;

const char kRecord[] = "name\nvalue\nexample.com/\n0\n0\n0\n0\n0\n*\n";
const char kOldUrl[] = "Cookie:user@old.example/";

class FailureTest : public modeltest::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    m_oldFile = PutEntry(kOldUrl, std::string(kRecord) + kRecord + kRecord);
    ASSERT_EQ(m_list.Load(), 1);
    m_entry = m_list.GetEntry(0);
  }
  void ExpectOneErrorBox(DWORD error) {
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].caption, "Error");
    EXPECT_EQ(m_boxes[0].type, MB_ICONINFORMATION | MB_OK);
    EXPECT_EQ(m_boxes[0].text, modeltest::SystemText(error));
  }
  void ExpectMemoryBox(const char* utf8) {
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, Cp932(utf8));
  }

  SiteCacheList m_list;
  SiteCache* m_entry = nullptr;
  std::string m_oldFile;
};

struct CommitFault {
  const char* label;
  Call call;
  DWORD error;
  int skip;
  int result;
};

TEST_F(FailureTest, FailedCommitKeepsTheStoredEntry) {
  const std::string stored = ReadBytes(m_oldFile);
  const CommitFault faults[] = {
      {"no file from the cache", Call::CreateUrlCacheEntryA, ERROR_DISK_FULL, 0, -1},
      {"file cannot be created", Call::CreateFileA, ERROR_ACCESS_DENIED, 0, -3},
      {"disk full at once", Call::WriteFile, ERROR_DISK_FULL, 0, -3},
      {"disk full at a line's end", Call::WriteFile, ERROR_DISK_FULL, 1, -3},
      {"disk full in the second record", Call::WriteFile, ERROR_DISK_FULL, 23, -3},
      {"disk full at the last byte", Call::WriteFile, ERROR_DISK_FULL, 53, -3},
      {"close reports a lost write", Call::CloseHandle, ERROR_WRITE_FAULT, 0, -3},
      {"commit refused", Call::CommitUrlCacheEntryA, ERROR_DATABASE_FAILURE, 0, -2},
  };
  for (const CommitFault& f : faults) {
    SCOPED_TRACE(f.label);
    m_boxes.clear();
    m_entry->m_strSite = "renamed.example/";
    platform::InjectFault(f.call, f.error, f.skip);
    EXPECT_EQ(m_entry->Commit(true), f.result);
    platform::ClearFaults();
    ExpectOneErrorBox(f.error);

    // The old entry and its file are untouched; nothing of the attempt is left behind.
    platform::UrlCacheRecord record;
    ASSERT_TRUE(Stored(kOldUrl, record));
    EXPECT_EQ(record.localFile, m_oldFile);
    EXPECT_EQ(ReadBytes(m_oldFile), stored);
    EXPECT_FALSE(Stored("Cookie:user@renamed.example/", record));
    EXPECT_EQ(AllStored().size(), 1u);
    EXPECT_TRUE(StoreProblems().empty());
    EXPECT_EQ(m_entry->m_strUrlName, kOldUrl);
    EXPECT_EQ(m_entry->m_strLocalFile, m_oldFile.c_str());
    EXPECT_EQ(m_entry->GetSize(), 3);
  }
  // And the same entry commits once the disk has room again.
  m_boxes.clear();
  EXPECT_EQ(m_list.CommitEntry(m_entry, true), 0);
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_EQ(m_entry->m_strUrlName, "Cookie:user@renamed.example/");
  EXPECT_EQ(ReadBytes(m_entry->m_strLocalFile.str()), stored);
  EXPECT_EQ(AllStored().size(), 1u);
}

TEST_F(FailureTest, FailedCommitUnderTheSameUrlKeepsTheStoredEntry) {
  const std::string stored = ReadBytes(m_oldFile);
  platform::InjectFault(Call::WriteFile, ERROR_DISK_FULL, 30);
  EXPECT_EQ(m_list.CommitEntry(m_entry, true), -1);
  ExpectOneErrorBox(ERROR_DISK_FULL);
  EXPECT_EQ(ReadBytes(m_oldFile), stored);
  EXPECT_TRUE(StoreProblems().empty());
}

TEST_F(FailureTest, CommitSucceedsWhenTheOldEntryWasAlreadyGone) {
  DeleteUrlCacheEntry(kOldUrl);
  m_entry->m_strSite = "renamed.example/";
  EXPECT_EQ(m_list.CommitEntry(m_entry, true), 0);
  EXPECT_TRUE(m_boxes.empty());
  EXPECT_EQ(m_entry->GetSize(), 3);
  EXPECT_EQ(AllStored().size(), 1u);
}

TEST_F(FailureTest, RetrieveEntryCodes) {
  struct Case {
    const char* label;
    Call call;
    DWORD error;
    int skip;
    int result;
    bool errorBox;
  } const cases[] = {
      {"sizing call fails", Call::RetrieveUrlCacheEntryFileA, ERROR_FILE_CORRUPT, 0, -2, false},
      {"second call fails", Call::RetrieveUrlCacheEntryFileA, ERROR_FILE_CORRUPT, 1, -4, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    m_boxes.clear();
    platform::InjectFault(c.call, c.error, c.skip);
    EXPECT_EQ(m_list.RetrieveEntry(m_entry), c.result);
    platform::ClearFaults();
    EXPECT_EQ(m_entry->m_nState, 1);
    if (c.errorBox) {
      ExpectOneErrorBox(c.error);
    } else {
      EXPECT_TRUE(m_boxes.empty());
    }
  }
  m_boxes.clear();
  RecordBuffer::FailAllocations(0, 1);
  EXPECT_EQ(m_list.RetrieveEntry(m_entry), -3);
  ExpectMemoryBox("ﾒﾓﾘが足りません");

  EXPECT_EQ(m_list.RetrieveEntry(m_entry), 1);
  EXPECT_EQ(m_entry->m_nState, 0);
  EXPECT_EQ(m_entry->GetSize(), 3);
}

TEST_F(FailureTest, EntryDeletedBehindTheProgramsBack) {
  DeleteUrlCacheEntry(kOldUrl);
  EXPECT_EQ(m_list.RetrieveEntry(m_entry), -2);
  EXPECT_EQ(m_entry->m_nState, 1);
  EXPECT_EQ(m_entry->GetSize(), 3);  // the variables in memory stay
  EXPECT_TRUE(m_boxes.empty());
}

TEST_F(FailureTest, CommitEntryCodes) {
  platform::InjectFault(Call::CommitUrlCacheEntryA, ERROR_DATABASE_FAILURE);
  EXPECT_EQ(m_list.CommitEntry(m_entry, true), -1);
  platform::InjectFault(Call::RetrieveUrlCacheEntryFileA, ERROR_FILE_CORRUPT);
  EXPECT_EQ(m_list.CommitEntry(m_entry, true), -2);
  EXPECT_EQ(m_entry->m_nState, 1);
  platform::ClearFaults();
  EXPECT_EQ(m_list.RetrieveEntry(m_entry), 1);
  EXPECT_EQ(m_entry->GetSize(), 3);
}

TEST_F(FailureTest, CookieFileReadFailuresNeverLookUnchanged) {
  struct Case {
    const char* label;
    Call call;
    DWORD error;
    int skip;
    int result;
    int variables;
  } const cases[] = {
      {"stream sizing call fails", Call::RetrieveUrlCacheEntryStreamA, ERROR_FILE_NOT_FOUND, 0, -11,
       0},
      {"stream cannot be opened", Call::RetrieveUrlCacheEntryStreamA, ERROR_FILE_NOT_FOUND, 1, -12,
       0},
      {"read fails in the second record", Call::ReadUrlCacheEntryStream, ERROR_READ_FAULT, 45,
       SiteCache::kLoadReadFailed, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    platform::InjectFault(c.call, c.error, c.skip);
    ASSERT_EQ(m_list.Load(), 1);
    platform::ClearFaults();
    SiteCache* entry = m_list.GetEntry(0);
    EXPECT_EQ(entry->m_nState, 1);
    EXPECT_EQ(entry->GetSize(), c.variables);
    EXPECT_EQ(entry->LoadCookieFile(), 0);  // unhindered, the file reads
    platform::InjectFault(c.call, c.error, c.skip);
    EXPECT_EQ(entry->LoadCookieFile(), c.result);
  }
  EXPECT_TRUE(m_boxes.empty());
}

TEST_F(FailureTest, CookieFileOutOfMemory) {
  struct Case {
    const char* label;
    int skip;  // allocations that succeed first: the buffer, then one per variable
    int variables;
  } const cases[] = {
      {"no record buffer", 0, 0},
      {"no second variable", 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    m_boxes.clear();
    RecordBuffer::FailAllocations(c.skip, 1);
    EXPECT_EQ(m_entry->LoadCookieFile(), SiteCache::kLoadOutOfMemory);
    ExpectMemoryBox("ﾒﾓﾘが足りません");
    EXPECT_EQ(m_entry->GetSize(), c.variables);

    m_boxes.clear();
    ASSERT_EQ(m_list.RetrieveEntry(m_entry), 1);
    ASSERT_EQ(m_entry->m_nState, 0);
    RecordBuffer::FailAllocations(c.skip + 1, 1);  // RetrieveEntry's own record comes first
    EXPECT_EQ(m_list.RetrieveEntry(m_entry), 1);
    EXPECT_EQ(m_entry->m_nState, 1);
    ExpectMemoryBox("ﾒﾓﾘが足りません");
  }
}

TEST_F(FailureTest, MissingCookieFile) {
  std::filesystem::remove(m_oldFile);
  ASSERT_EQ(m_list.Load(), 1);
  SiteCache* entry = m_list.GetEntry(0);
  EXPECT_EQ(entry->m_nState, 1);
  EXPECT_EQ(entry->GetSize(), 0);
  EXPECT_LT(entry->LoadCookieFile(), -1);
}

}  // namespace
