// The Wine back end beyond the contract every kind passes: indexes it refuses to read or write,
// the lock of a running wineserver, the locations that name a prefix, and index entries and
// files exactly as Wine writes them (scripts/test-wine.sh checks the same against Wine itself).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wininet.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/Backups.h"
#include "platform/StoreErrors.h"
#include "platform/WineCache.h"
#include "support/KindStore.h"

namespace tolvane::test {
namespace {

const StoreKindCase& WineKind() {
  for (const StoreKindCase& kind : StoreKinds()) {
    if (kind.kind == platform::StoreKind::Wine) return kind;
  }
  std::abort();
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

uint32_t Get32(const std::string& image, size_t at) {
  uint32_t value = 0;
  std::memcpy(&value, image.data() + at, 4);
  return value;
}

class WineStore : public testing::Test {
 protected:
  std::string Prefix() const { return m_store.Folder() + "/prefix"; }
  std::string Folder() const {
    return Prefix() + "/drive_c/users/tester/AppData/Local/Microsoft/Windows/INetCookies";
  }
  std::string Index() const { return Folder() + "/index.dat"; }
  void Patch(size_t at, uint32_t value) {
    std::string image = ReadAll(Index());
    std::memcpy(image.data() + at, &value, 4);
    std::ofstream(Index(), std::ios::binary) << image;
    platform::SetStoreLocation(m_store.Location());  // opened afresh
  }
  std::string A() const { return KindStore::UrlFor("a.example", "/"); }

  KindStore m_store{WineKind()};
};

TEST(WineUrlCacheKey, IsTheKeyWineFilesUrlsUnder) {
  // Read from an index Wine 8 wrote: the stored key's upper 26 bits, the bucket of its slot.
  const struct {
    const char* url;
    uint32_t key;
  } rows[] = {{"Cookie:root@a.example/", 0xB603E240 | 63},
              {"Cookie:root@b.example/", 0x08130240 | 13}};
  for (const auto& row : rows) EXPECT_EQ(platform::WineUrlCacheKey(row.url), row.key) << row.url;
}

TEST_F(WineStore, AnIndexOfAnotherVersionOrBrokenLayoutIsNotRead) {
  const struct {
    const char* name;
    size_t at;
    uint32_t value;
    DWORD error;
  } rows[] = {
      {"an older version", 18, 0x3030322E /* ".200" */, ERROR_TOLVANE_STORE_UNTESTED},
      {"not Wine's", 0, 0x65696C43 /* "Clie" */, ERROR_TOLVANE_NOT_A_STORE},
      {"blocks in use miscounted", 0x28, 0x21, ERROR_INVALID_DATA},
      {"a size Wine does not make", 0x1C, 0x9000, ERROR_INVALID_DATA},
      {"a hash table out of order", 0x400C, 7, ERROR_INVALID_DATA},
  };
  for (const auto& row : rows) {
    std::ofstream(Index(), std::ios::binary) << EmptyWineIndex();
    Patch(row.at, row.value);
    std::vector<platform::UrlCacheRecord> records;
    EXPECT_FALSE(platform::ListUrlCacheEntries(records)) << row.name;
    EXPECT_EQ(GetLastError(), row.error) << row.name;
  }
}

TEST_F(WineStore, AnIndexWithWhatWasNotTestedIsReadButNotWritten) {
  const struct {
    const char* name;
    size_t at;
    uint32_t value;
  } rows[] = {{"sub-folders", 0x48, 4}, {"files Wine has yet to remove", 0x224, 0x5000}};
  for (const auto& row : rows) {
    std::ofstream(Index(), std::ios::binary) << EmptyWineIndex();
    platform::SetStoreLocation(m_store.Location());
    ASSERT_TRUE(m_store.Commit(A(), {m_store.Cookie("one", "1", "a.example/")}));
    Patch(row.at, row.value);
    const std::string before = ReadAll(Index());
    EXPECT_EQ(KindStore::Stream(A()),
              "one\n1\na.example/\n0\n" +
                  std::to_string(platform::FileTimeFromUnix(1893456000).dwLowDateTime) + "\n" +
                  std::to_string(platform::FileTimeFromUnix(1893456000).dwHighDateTime) +
                  "\n0\n0\n*\n")
        << row.name;
    EXPECT_TRUE(platform::UrlCacheIsReadOnly()) << row.name;
    EXPECT_FALSE(m_store.Commit(A(), {m_store.Cookie("one", "2", "a.example/")})) << row.name;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_TOLVANE_STORE_UNTESTED)) << row.name;
    EXPECT_EQ(ReadAll(Index()), before) << row.name;
  }
}

TEST_F(WineStore, EntriesAndFilesAreWrittenAsWineWritesThem) {
  platform::CookieRecord late = m_store.Cookie("late", "v", "a.example/");
  late.expire = platform::FileTimeFromUnix(2000000000);  // its low part is negative as signed
  ASSERT_TRUE(m_store.Commit(A(), {late}));
  const std::string image = ReadAll(Index());
  const uint32_t key = platform::WineUrlCacheKey(A());
  // The slot: the first of its bucket in the first table; the key without flag bits.
  const size_t slot = 0x4010 + (key % 64) * 7 * 8;
  ASSERT_EQ(Get32(image, slot), key & ~0x3Fu);
  const uint32_t record = Get32(image, slot + 4);
  ASSERT_EQ(image.compare(record, 4, "URL "), 0);
  EXPECT_EQ(Get32(image, record + 0x40), uint32_t(COOKIE_CACHE_ENTRY));
  EXPECT_EQ(Get32(image, record + 0x38), 0x1010'00FEu);  // no sub-folder
  EXPECT_EQ(std::string(image.data() + record + Get32(image, record + 0x34)), A());
  const std::string name(image.data() + record + Get32(image, record + 0x3C));
  const std::string file = ReadAll(Folder() + "/" + name);
  EXPECT_EQ(file, "late\nv\na.example/\n0\n3032514560\n31768515\n0\n0\n*\n");
  EXPECT_EQ(Get32(image, record + 0x20), file.size());
  // The file's write time as a DOS date: Wine removes an old file only when it matches.
  struct stat st {};
  ASSERT_EQ(::stat((Folder() + "/" + name).c_str(), &st), 0);
  std::tm utc{};
  gmtime_r(&st.st_mtime, &utc);
  const uint32_t dos = uint32_t((utc.tm_year - 80) << 9 | (utc.tm_mon + 1) << 5 | utc.tm_mday) |
                       uint32_t(utc.tm_hour << 11 | utc.tm_min << 5 | utc.tm_sec / 2) << 16;
  EXPECT_EQ(Get32(image, record + 0x5C), dos);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(WineStore, CookiesWineWouldDropOrMergeAreNotWritten) {
  const struct {
    const char* name;
    std::vector<platform::CookieRecord> records;
  } rows[] = {
      {"a session cookie", {[&] {
         platform::CookieRecord r = m_store.Cookie("s", "1", "a.example/");
         r.expire = {};
         return r;
       }()}},
      {"two of one name but for case",
       {m_store.Cookie("Name", "1", "a.example/"), m_store.Cookie("name", "2", "a.example/")}},
  };
  for (const auto& row : rows) {
    const std::string before = ReadAll(Index());
    EXPECT_FALSE(m_store.Commit(A(), row.records)) << row.name;
    EXPECT_EQ(GetLastError(), DWORD(ERROR_TOLVANE_COOKIE_NOT_STORABLE)) << row.name;
    EXPECT_EQ(ReadAll(Index()), before) << row.name;
  }
}

TEST_F(WineStore, WhileAWineserverHoldsItsLockNothingIsWritten) {
  ASSERT_TRUE(m_store.Commit(A(), {m_store.Cookie("one", "1", "a.example/")}));
  struct stat st {};
  ASSERT_EQ(::stat(Prefix().c_str(), &st), 0);
  char server[64];
  std::snprintf(server, sizeof server, "/server-%llx-%llx", (unsigned long long)st.st_dev,
                (unsigned long long)st.st_ino);
  const std::string lock = m_store.Folder() + server + "/lock";
  ASSERT_TRUE(std::filesystem::exists(lock));  // made by the first write, as Wine makes it
  // A stand-in wineserver: another process that takes the lock as the server does.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    const int fd = ::open(lock.c_str(), O_RDWR);
    struct flock l {};
    l.l_type = F_WRLCK;
    l.l_len = 1;
    const char ok = fd >= 0 && ::fcntl(fd, F_SETLK, &l) == 0 ? '1' : '0';
    (void)!::write(ready[1], &ok, 1);
    ::pause();
    ::_exit(0);
  }
  char ok = 0;
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  ASSERT_EQ(ok, '1');
  const std::string before = ReadAll(Index());
  EXPECT_TRUE(platform::UrlCacheIsReadOnly());
  EXPECT_NE(platform::StoreReadOnlyReason().find("wineserver"), std::string::npos);
  EXPECT_FALSE(m_store.Commit(A(), {m_store.Cookie("one", "2", "a.example/")}));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_TOLVANE_STORE_IN_USE));
  EXPECT_FALSE(DeleteUrlCacheEntry(A().c_str()));
  EXPECT_EQ(ReadAll(Index()), before);
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_FALSE(platform::UrlCacheIsReadOnly());
  EXPECT_TRUE(m_store.Commit(A(), {m_store.Cookie("one", "2", "a.example/")}));
}

TEST_F(WineStore, APrefixItsCookieFolderAndItsIndexNameTheSameStore) {
  ASSERT_TRUE(m_store.Commit(A(), {m_store.Cookie("one", "1", "a.example/")}));
  const std::string expected = KindStore::Stream(A());
  for (const std::string& location : {Prefix(), Folder(), Index()}) {
    platform::StoreLocation resolved;
    std::string problem;
    ASSERT_TRUE(platform::ResolveStoreLocation(location, resolved, problem)) << problem;
    EXPECT_EQ(resolved.kind, platform::StoreKind::Wine) << location;
    platform::SetStoreLocation(location);
    EXPECT_EQ(KindStore::Stream(A()), expected) << location;
  }
}

TEST_F(WineStore, ABackupOfTheIndexAndItsFilesIsMadeBeforeTheFirstWrite) {
  ASSERT_TRUE(m_store.Commit(A(), {m_store.Cookie("one", "1", "a.example/")}));
  // The first write of this run backed up the empty index; the later ones add none.
  ASSERT_TRUE(m_store.Commit(A(), {m_store.Cookie("one", "2", "a.example/")}));
  std::vector<platform::StoreBackup> backups = platform::ListBackups();
  ASSERT_EQ(backups.size(), 1u);
  std::string problem;
  ASSERT_TRUE(platform::RestoreBackup(backups[0].id, problem)) << problem;
  EXPECT_EQ(ReadAll(Index()), EmptyWineIndex());
}

TEST_F(WineStore, ListingTheStoresMeanwhileKeepsACommitsFile) {
  // The listing opens the same prefix for a moment; the file made for the commit must stay.
  ::setenv("WINEPREFIX", Prefix().c_str(), 1);
  char file[MAX_PATH] = {};
  ASSERT_TRUE(CreateUrlCacheEntryA(A().c_str(), 0, "TXT", file, 0));
  const std::vector<platform::FoundStore> found = platform::FindStores();
  ::unsetenv("WINEPREFIX");
  EXPECT_TRUE(std::any_of(found.begin(), found.end(), [&](const platform::FoundStore& store) {
    return store.location.kind == platform::StoreKind::Wine && store.name == "tester";
  }));
  HANDLE handle = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  const std::string bytes =
      platform::RenderCookieRecords({m_store.Cookie("one", "1", "a.example/")});
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(handle, bytes.data(), DWORD(bytes.size()), &written, nullptr));
  ASSERT_TRUE(CloseHandle(handle));
  EXPECT_TRUE(CommitUrlCacheEntryA(A().c_str(), file, {}, {}, COOKIE_CACHE_ENTRY, nullptr, 0,
                                   nullptr, nullptr))
      << platform::LastUrlCacheErrorDetail();
}

}  // namespace
}  // namespace tolvane::test
