// A Netscape cookies.txt as a store: commits that change only what changed, refusals that
// leave the file as it was, and input that is not a cookies.txt at all.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wininet.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Backups.h"
#include "platform/StoreErrors.h"
#include "support/KindStore.h"

namespace tolvane::test {
namespace {

using platform::CookieRecord;
namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

const StoreKindCase& Netscape() {
  for (const StoreKindCase& kind : StoreKinds()) {
    if (kind.kind == platform::StoreKind::Netscape) return kind;
  }
  throw std::logic_error("no cookies.txt kind");
}

// A jar as people have them: a header, comments, a blank line, a CR LF line, a line that is no
// cookie, an HttpOnly line, a line whose flag disagrees with its dot, and no LF at the end.
const std::string kJar =
    "# Netscape HTTP Cookie File\n"
    "# kept as it is\n"
    "\n"
    ".a.example\tTRUE\t/\tFALSE\t1893456000\tone\t1\r\n"
    "a.example\tFALSE\t/\tTRUE\t0\ttwo\t2\n"
    "not a cookie line\n"
    "#HttpOnly_b.example\tFALSE\t/p\tFALSE\t1893456000\tthree\t3\n"
    "weird.example\tTRUE\t/\tFALSE\t1893456000\tw\tx";

class CookiesTxtStore : public testing::Test {
 protected:
  void SetUp() override {
    WriteAll(Jar(), kJar);
    ::chmod(Jar().c_str(), 0600);
    Reload();
  }
  std::string Jar() const { return m_store.Folder() + "/cookies.txt"; }

  // What a reload does: the store reads the file afresh.
  static void Reload() {
    std::vector<platform::UrlCacheRecord> all;
    ASSERT_TRUE(platform::ListUrlCacheEntries(all)) << platform::LastUrlCacheErrorDetail();
  }

  static std::vector<CookieRecord> Records(const std::string& url) {
    std::vector<CookieRecord> records;
    std::string problem;
    EXPECT_TRUE(platform::ParseCookieRecords(KindStore::Stream(url), records, problem));
    return records;
  }

  // Commits the records and says which error (0 for none) the commit ended with.
  DWORD CommitError(const std::string& url, const std::vector<CookieRecord>& records) const {
    return m_store.Commit(url, records) ? 0 : GetLastError();
  }

  KindStore m_store{Netscape()};
  const std::string m_a = KindStore::UrlFor("a.example", "/");
  const std::string m_b = KindStore::UrlFor("b.example", "/p");
};

TEST_F(CookiesTxtStore, EntriesGroupTheCookiesByHostAndPath) {
  const std::vector<CookieRecord> a = Records(m_a);
  ASSERT_EQ(a.size(), 2u);
  EXPECT_EQ(a[0].name, "one");
  EXPECT_EQ(a[0].domain, "a.example/");
  EXPECT_EQ(a[0].flags, 0u);  // a domain cookie: no host-only bit
  EXPECT_EQ(platform::UnixFromFileTime(a[0].expire), 1893456000);
  EXPECT_EQ(a[1].flags, platform::kCookieBitSecure | platform::kCookieBitSession |
                            platform::kCookieBitHostOnly);
  const std::vector<CookieRecord> b = Records(m_b);
  ASSERT_EQ(b.size(), 1u);
  EXPECT_EQ(b[0].flags, platform::kCookieBitHttpOnly | platform::kCookieBitHostOnly);
  EXPECT_EQ(b[0].domain, "b.example/p");
}

TEST_F(CookiesTxtStore, ACommitRewritesOnlyTheLinesOfWhatChanged) {
  std::vector<CookieRecord> a = Records(m_a);
  a[1].value = "changed";
  ASSERT_EQ(CommitError(m_a, a), 0u) << platform::LastUrlCacheErrorDetail();
  std::string expected = kJar;
  expected.replace(expected.find("a.example\tFALSE\t/\tTRUE\t0\ttwo\t2"), 30,
                   "a.example\tFALSE\t/\tTRUE\t0\ttwo\tchanged");
  EXPECT_EQ(ReadAll(Jar()), expected);

  // A new cookie goes after its entry's last line; a deleted one leaves nothing behind.
  a.push_back(a[0]);
  a.back().name = "new";
  ASSERT_EQ(CommitError(m_a, a), 0u);
  expected.insert(expected.find("not a cookie line"),
                  ".a.example\tTRUE\t/\tFALSE\t1893456000\tnew\t1\n");
  EXPECT_EQ(ReadAll(Jar()), expected);
  ASSERT_TRUE(DeleteUrlCacheEntry(m_b.c_str()));
  expected.erase(
      expected.find("#HttpOnly_b.example"),
      std::string("#HttpOnly_b.example\tFALSE\t/p\tFALSE\t1893456000\tthree\t3\n").size());
  EXPECT_EQ(ReadAll(Jar()), expected);

  // A cookie of a host the file does not have goes at the end, after the last line gets its LF.
  const std::string c = KindStore::UrlFor("c.example", "/");
  ASSERT_EQ(
      CommitError(c, {m_store.Cookie("four", "4", "c.example/", platform::kCookieBitHostOnly)}),
      0u);
  expected += "\nc.example\tFALSE\t/\tFALSE\t1893456000\tfour\t4\n";
  EXPECT_EQ(ReadAll(Jar()), expected);
}

TEST_F(CookiesTxtStore, AFileChangedSinceItWasReadIsNotOverwritten) {
  std::vector<CookieRecord> a = Records(m_a);
  a[0].value = "mine";
  const std::string theirs = kJar + "\nother.example\tFALSE\t/\tFALSE\t0\ttheirs\t1\n";
  WriteAll(Jar(), theirs);  // curl, a browser export, another window
  EXPECT_EQ(CommitError(m_a, a), DWORD(ERROR_TOLVANE_STORE_CHANGED));
  EXPECT_EQ(ReadAll(Jar()), theirs);
  Reload();
  EXPECT_EQ(CommitError(m_a, a), 0u);
  EXPECT_NE(ReadAll(Jar()).find("theirs"), std::string::npos);
  EXPECT_NE(ReadAll(Jar()).find("\tone\tmine\r\n"), std::string::npos);
}

TEST_F(CookiesTxtStore, ACookieOfAnotherEntryIsNeverTakenOver) {
  // An entry copied whole keeps its records' domains: they are the source entry's cookies.
  const std::string copy = m_a + "_Copy_";
  EXPECT_EQ(CommitError(copy, Records(m_a)), DWORD(ERROR_TOLVANE_COOKIE_OF_OTHER_ENTRY));
  EXPECT_EQ(ReadAll(Jar()), kJar);
  // With their domains changed they are new cookies, and the copy holds them.
  std::vector<CookieRecord> moved = Records(m_a);
  for (CookieRecord& record : moved) record.domain = "moved.example/";
  ASSERT_EQ(CommitError(copy, moved), 0u) << platform::LastUrlCacheErrorDetail();
  EXPECT_EQ(Records(copy), moved);
  EXPECT_EQ(Records(m_a).size(), 2u);
  EXPECT_NE(ReadAll(Jar()).find(".moved.example\tTRUE\t/\tFALSE\t1893456000\tone\t1\n"),
            std::string::npos);
}

TEST_F(CookiesTxtStore, WhatNoReaderWouldTakeIsRefusedAndNothingWritten) {
  const struct {
    const char* name;
    std::string field;
    std::string text;
  } rows[] = {
      {"a TAB in the value", "value", "a\tb"},
      {"a control byte in the name", "name", "n\x01"},
      {"bytes that are not UTF-8", "value", "\x82\xa0"},
      {"a line of 4 KB", "value", std::string(4096, 'v')},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<CookieRecord> a = Records(m_a);
    (row.field == "name" ? a[0].name : a[0].value) = row.text;
    EXPECT_EQ(CommitError(m_a, a), DWORD(ERROR_TOLVANE_COOKIE_NOT_STORABLE));
    EXPECT_EQ(ReadAll(Jar()), kJar);
  }
}

TEST_F(CookiesTxtStore, TheFileKeepsItsModeAndIsBackedUpOnceBeforeTheFirstWrite) {
  ASSERT_EQ(::chmod(Jar().c_str(), 0644), 0);
  std::vector<CookieRecord> a = Records(m_a);
  a[0].value = "x";
  ASSERT_EQ(CommitError(m_a, a), 0u);
  a[0].value = "y";
  ASSERT_EQ(CommitError(m_a, a), 0u);
  struct stat st {};
  ASSERT_EQ(::stat(Jar().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);

  const std::vector<platform::StoreBackup> backups = platform::ListBackups();
  ASSERT_EQ(backups.size(), 1u);  // one per run, before the first write
  const std::string folder = platform::BackupFolder() + "/" + backups[0].id;
  ASSERT_EQ(::stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(backups[0].files, std::vector<std::string>{Jar()});
  EXPECT_EQ(backups[0].bytes, kJar.size());

  std::string problem;
  ASSERT_TRUE(platform::RestoreBackup(backups[0].id, problem)) << problem;
  EXPECT_EQ(ReadAll(Jar()), kJar);
  EXPECT_FALSE(platform::RestoreBackup("../elsewhere", problem));
}

TEST_F(CookiesTxtStore, AFileWithoutTheOwnersWriteBitIsReadNotWritten) {
  ASSERT_EQ(::chmod(Jar().c_str(), 0444), 0);
  EXPECT_TRUE(platform::UrlCacheIsReadOnly());
  EXPECT_EQ(CommitError(m_a, Records(m_a)), DWORD(ERROR_TOLVANE_STORE_READ_ONLY));
  EXPECT_EQ(ReadAll(Jar()), kJar);
  EXPECT_EQ(Records(m_a).size(), 2u);
}

TEST_F(CookiesTxtStore, TheCheckNamesTheLinesThatAreNoCookies) {
  platform::UrlCacheCheck check;
  ASSERT_TRUE(platform::CheckUrlCache(check));
  ASSERT_EQ(check.problems.size(), 1u);
  EXPECT_NE(check.problems[0].find("line 6: not a cookie"), std::string::npos) << check.problems[0];
  EXPECT_EQ(check.entries, 3);
}

// Files that are not a cookies.txt end in a clear message and stay untouched.
TEST(CookiesTxtInput, WhatIsNoCookiesTxtIsRefusedClearly) {
  KindStore store(StoreKinds()[0]);
  const std::string folder = store.Folder();
  std::string binary(4096, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = char(i * 7);
  WriteAll(folder + "/binary.txt", binary);
  WriteAll(folder + "/text.txt", "just some notes\nnothing else\n");
  {
    std::ofstream big(folder + "/big.txt", std::ios::binary);
    big.seekp((std::streamoff(1) << 30) - 1);  // 1 GB, sparse
    big.put('\0');
  }
  fs::create_directory(folder + "/dir.txt");
  const struct {
    const char* location;
    const char* says;
  } rows[] = {
      {"binary.txt", "holds no cookie store"}, {"text.txt", "holds no cookie store"},
      {"big.txt", "holds no cookie store"},    {"netscape:dir.txt", "is not a file"},
      {"missing.txt", "No such file"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.location);
    const std::string text = std::string(row.location).rfind("netscape:", 0) == 0
                                 ? "netscape:" + folder + "/" + (row.location + 9)
                                 : folder + "/" + row.location;
    platform::StoreLocation location;
    std::string problem;
    EXPECT_FALSE(platform::ResolveStoreLocation(text, location, problem));
    EXPECT_NE(problem.find(row.says), std::string::npos) << problem;
    EXPECT_NE(problem.find(folder), std::string::npos) << problem;  // it names the path
  }
  // Forced to be read as one, the 1 GB file is refused before it is read.
  platform::SetStoreLocation("netscape:" + folder + "/big.txt");
  std::vector<platform::UrlCacheRecord> all;
  EXPECT_FALSE(platform::ListUrlCacheEntries(all));
  EXPECT_NE(platform::LastUrlCacheErrorDetail().find("too large"), std::string::npos);
  EXPECT_EQ(fs::file_size(folder + "/big.txt"), uintmax_t(1) << 30);
}

TEST(CookiesTxtInput, LongLinesAndNulBytesAreKeptAndReported) {
  KindStore store(StoreKinds()[0]);
  const std::string jar = store.Folder() + "/jar.txt";
  const std::string bytes =
      "# Netscape HTTP Cookie File\n"
      "a.example\tFALSE\t/\tFALSE\t0\tlong\t" +
      std::string(1 << 20, 'x') + "\n" +
      std::string("a.example\tFALSE\t/\tFALSE\t0\tn\0ul\tv\n", 33) +
      "a.example\tFALSE\t/\tFALSE\t0\tgood\tv\n";
  WriteAll(jar, bytes);
  ::chmod(jar.c_str(), 0600);
  platform::SetStoreLocation(jar);
  const std::string url = KindStore::UrlFor("a.example", "/");
  std::vector<CookieRecord> records;
  std::string problem;
  ASSERT_TRUE(platform::ParseCookieRecords(KindStore::Stream(url), records, problem));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].name, "good");
  platform::UrlCacheCheck check;
  ASSERT_TRUE(platform::CheckUrlCache(check));
  EXPECT_EQ(check.problems.size(), 2u);
  // A commit of the one cookie it shows keeps both lines as they were.
  records[0].value = "w";
  ASSERT_TRUE(store.Commit(url, records)) << platform::LastUrlCacheErrorDetail();
  std::string expected = bytes;
  expected.replace(expected.size() - 2, 1, "w");
  EXPECT_EQ(ReadAll(jar), expected);
}

// Any 64 bits of a FILETIME and any expiry a cookies.txt may hold convert without overflow: the
// extremes are held at the ends of the FILETIME range, the rest round-trips to the second.
TEST(CookieTimes, ExtremesConvertWithoutWrapping) {
  constexpr int64_t kEarliest = -11644473600;  // 1601-01-01
  constexpr int64_t kLatest = (UINT64_MAX - 116444736000000000ull) / 10000000ull;
  const struct {
    int64_t seconds;
    int64_t back;
  } rows[] = {
      {0, 0},
      {-1, -1},
      {1893456000, 1893456000},
      {kEarliest, kEarliest},
      {kEarliest - 1, kEarliest},
      {INT64_MIN, kEarliest},
      {kLatest, kLatest},
      {kLatest + 1, kLatest},
      {INT64_MAX, kLatest},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.seconds);
    EXPECT_EQ(platform::UnixFromFileTime(platform::FileTimeFromUnix(row.seconds)), row.back);
  }
  // FILETIMEs whose upper bit is set: far in the future, never before 1601.
  for (const FILETIME time : {FILETIME{0, 0x80000000u}, FILETIME{0xFFFFFFFFu, 0xFFFFFFFFu}}) {
    EXPECT_GT(platform::UnixFromFileTime(time), 1893456000);
  }
  EXPECT_EQ(platform::UnixFromFileTime(FILETIME{0xFFFFFFFFu, 0xFFFFFFFFu}), kLatest);
}

}  // namespace
}  // namespace tolvane::test
