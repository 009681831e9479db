// A store folder others could plant things in, or did: links, hard links, FIFOs, folders of
// another user. Nothing outside the store may be read or written through it, nothing may hang.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wininet.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "support/Child.h"
#include "support/TempStore.h"

namespace {

using tolvane::test::RunInChild;
using tolvane::test::TempStore;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// Reopens the store as a new program would find it.
void Reopen(const TempStore& store) {
  platform::SetUrlCacheRoot("");
  platform::SetUrlCacheRoot(store.Root());
}

HANDLE OpenStream(const std::string& url) {
  DWORD size = 0;
  if (RetrieveUrlCacheEntryStreamA(url.c_str(), nullptr, &size, FALSE, 0) != nullptr ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    return nullptr;
  }
  static std::string buffer;
  buffer.assign(size, '\0');
  return RetrieveUrlCacheEntryStreamA(
      url.c_str(), reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data()), &size, FALSE, 0);
}

// Writes `text` to a file the way a commit writes a cookie file.
bool WriteCookieFile(const std::string& file, const std::string& text) {
  HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_ARCHIVE | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool wrote = WriteFile(handle, text.data(), DWORD(text.size()), &written, nullptr);
  return CloseHandle(handle) && wrote;
}

struct Planted {
  const char* label;
  // Replaces `file` (a cookie file) with something hostile aimed at `victim`.
  std::function<void(const std::string& file, const std::string& victim)> plant;
};

const Planted kPlanted[] = {
    {"symbolic link to an outside file",
     [](const std::string& file, const std::string& victim) {
       unlink(file.c_str());
       ASSERT_EQ(symlink(victim.c_str(), file.c_str()), 0);
     }},
    {"hard link to an outside file",
     [](const std::string& file, const std::string& victim) {
       unlink(file.c_str());
       ASSERT_EQ(link(victim.c_str(), file.c_str()), 0);
     }},
    {"FIFO",
     [](const std::string& file, const std::string&) {
       unlink(file.c_str());
       ASSERT_EQ(mkfifo(file.c_str(), 0600), 0);
     }},
};

// The attack shown on a shared folder: the name the cache handed out is swapped for a link
// between its making and the commit's write. The write must fail, the victim stay as it was.
TEST(UrlCacheHostile, ACommitsWriteNeverReachesWhatWasSwappedIn) {
  for (const Planted& p : kPlanted) {
    SCOPED_TRACE(p.label);
    TempStore store;
    const std::string victim = store.Root() + "/victim";
    std::ofstream(victim) << "victim's own\n";
    chmod(victim.c_str(), 0644);
    char name[MAX_PATH];
    ASSERT_TRUE(CreateUrlCacheEntryA("Cookie:u@a.example/", 0, "TXT", name, 0));
    p.plant(name, victim);
    // In a child: before the mend the write to a FIFO would block for ever.
    const int result = RunInChild(
        [&] { return WriteCookieFile(name, "cookie\nsecret\na.example/\n0\n0\n0\n0\n0\n*\n"); },
        20);
    EXPECT_EQ(result, 0) << "the write went through, or hung";
    EXPECT_FALSE(CommitUrlCacheEntryA("Cookie:u@a.example/", name, {}, {}, COOKIE_CACHE_ENTRY,
                                      nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(ReadAll(victim), "victim's own\n");
    EXPECT_EQ(ModeOf(victim), 0644u);
  }
}

// A committed entry's file replaced: readers get an error at once, never the outside bytes.
TEST(UrlCacheHostile, AReadNeverFollowsOrHangsOnWhatWasSwappedIn) {
  for (const Planted& p : kPlanted) {
    SCOPED_TRACE(p.label);
    TempStore store;
    const std::string victim = store.Root() + "/victim";
    std::ofstream(victim) << "victim's own\n";
    const std::string file = store.AddEntry("Cookie:u@a.example/", "mine\n");
    ASSERT_FALSE(file.empty());
    p.plant(file, victim);
    const int result = RunInChild(
        [] {
          HANDLE stream = OpenStream("Cookie:u@a.example/");
          if (stream == nullptr) return GetLastError() == ERROR_ACCESS_DENIED ? 0 : 2;
          UnlockUrlCacheEntryStream(stream, 0);
          return 1;
        },
        20);
    EXPECT_EQ(result, 0) << "1: read through; 2: another error; -1: hung";
    platform::UrlCacheRecord record;
    ASSERT_TRUE(platform::FindUrlCacheEntry("Cookie:u@a.example/", record));
    std::string bytes;
    EXPECT_FALSE(platform::ReadUrlCacheFile(record, bytes));
    EXPECT_EQ(bytes.find("victim"), std::string::npos);
    // The planted thing is reported, and deleting the entry removes only the planted name.
    platform::UrlCacheCheck check;
    ASSERT_TRUE(platform::CheckUrlCache(check));
    EXPECT_FALSE(check.problems.empty());
    EXPECT_TRUE(DeleteUrlCacheEntry("Cookie:u@a.example/"));
    EXPECT_EQ(ReadAll(victim), "victim's own\n");
  }
}

// As ssh treats its folder: a store others own or may write in is not used, and says why.
TEST(UrlCacheHostile, AStoreFolderOthersOwnOrMayWriteInIsRefused) {
  constexpr uid_t kOther = 4242;
  const struct {
    const char* label;
    std::function<void(const std::string& root)> change;
    const char* why;
  } cases[] = {
      {"root owned by another user",
       [](const std::string& root) { ASSERT_EQ(chown(root.c_str(), kOther, 0), 0); },
       "belongs to user"},
      {"root writable by its group",
       [](const std::string& root) { ASSERT_EQ(chmod(root.c_str(), 0770), 0); }, "group or others"},
      {"root writable by everybody",
       [](const std::string& root) { ASSERT_EQ(chmod(root.c_str(), 0757), 0); }, "group or others"},
      {"cookie folder owned by another user",
       [](const std::string& root) { ASSERT_EQ(chown((root + "/Cookies").c_str(), kOther, 0), 0); },
       "belongs to user"},
      {"cookie folder writable by everybody",
       [](const std::string& root) { ASSERT_EQ(chmod((root + "/Cookies").c_str(), 0777), 0); },
       "group or others"},
      {"index owned by another user",
       [](const std::string& root) {
         ASSERT_EQ(chown((root + "/index.sqlite").c_str(), kOther, 0), 0);
       },
       "belongs to user"},
      {"index a symbolic link",
       [](const std::string& root) {
         ASSERT_EQ(rename((root + "/index.sqlite").c_str(), (root + "/real.sqlite").c_str()), 0);
         ASSERT_EQ(symlink("real.sqlite", (root + "/index.sqlite").c_str()), 0);
       },
       "symbolic link"},
      {"index a FIFO",
       [](const std::string& root) {
         ASSERT_EQ(unlink((root + "/index.sqlite").c_str()), 0);
         ASSERT_EQ(mkfifo((root + "/index.sqlite").c_str(), 0600), 0);
       },
       "not a regular file"},
      {"WAL hard-linked elsewhere",
       [](const std::string& root) {
         std::ofstream(root + "/index.sqlite-wal");
         ASSERT_EQ(link((root + "/index.sqlite-wal").c_str(), (root + "/elsewhere").c_str()), 0);
       },
       "hard links"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempStore store;
    ASSERT_FALSE(store.AddEntry("Cookie:u@a.example/", "x\n").empty());
    platform::SetUrlCacheRoot("");
    c.change(store.Root());
    const int result = RunInChild(
        [&] {
          platform::SetUrlCacheRoot(store.Root());
          DWORD size = 0;
          const bool refused = FindFirstUrlCacheEntryA("cookie:", nullptr, &size) == nullptr &&
                               GetLastError() == ERROR_ACCESS_DENIED &&
                               platform::LastUrlCacheErrorDetail().find(c.why) != std::string::npos;
          char name[MAX_PATH];
          const bool noNewFile = !CreateUrlCacheEntryA("Cookie:u@b.example/", 0, "TXT", name, 0);
          return refused && noNewFile ? 0 : 1;
        },
        20);
    EXPECT_EQ(result, 0) << "used without a word, or hung";
    platform::SetUrlCacheRoot(store.Root());
  }
}

// A cookie folder that is a link is neither followed nor changed.
TEST(UrlCacheHostile, ACookieFolderThatIsALinkIsNotFollowedNorChmoded) {
  TempStore store;
  const std::string elsewhere = store.Root() + "-elsewhere";
  ASSERT_EQ(mkdir(elsewhere.c_str(), 0755), 0);
  chmod(elsewhere.c_str(), 0755);
  ASSERT_EQ(symlink(elsewhere.c_str(), (store.Root() + "/Cookies").c_str()), 0);
  char folder[MAX_PATH];
  SHGetFolderPathA(nullptr, CSIDL_COOKIES, nullptr, 0, folder);
  char name[MAX_PATH];
  EXPECT_FALSE(CreateUrlCacheEntryA("Cookie:u@a.example/", 0, "TXT", name, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_NE(platform::LastUrlCacheErrorDetail().find("symbolic link"), std::string::npos);
  EXPECT_EQ(ModeOf(elsewhere), 0755u);
  EXPECT_EQ(rmdir(elsewhere.c_str()), 0) << "something was made in the folder the link names";
}

// Whatever the umask, the store's files are its owner's alone; loose ones are tightened.
TEST(UrlCacheHostile, FilesAreOwnerOnlyWhateverTheUmask) {
  for (const mode_t mask : {mode_t(0), mode_t(022), mode_t(0277)}) {
    SCOPED_TRACE(mask);
    TempStore store;
    const mode_t saved = umask(mask);
    const std::string file = store.AddEntry("Cookie:u@a.example/", "x\n");
    umask(saved);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(ModeOf(file), 0600u);
    EXPECT_EQ(ModeOf(platform::IndexPath()), 0600u);
    EXPECT_EQ(ModeOf(store.Root()), 0700u);
    EXPECT_EQ(ModeOf(store.CookieFolder()), 0700u);
  }
  // An index and WAL left readable by others (an older program, a copy) are tightened.
  TempStore store;
  ASSERT_FALSE(store.AddEntry("Cookie:u@a.example/", "x\n").empty());
  const std::string index = platform::IndexPath();
  platform::SetUrlCacheRoot("");
  ASSERT_EQ(chmod(index.c_str(), 0644), 0);
  const int wal = open((index + "-wal").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
  ASSERT_GE(wal, 0);
  fchmod(wal, 0644);
  close(wal);
  Reopen(store);
  platform::UrlCacheCheck check;
  ASSERT_TRUE(platform::CheckUrlCache(check));
  EXPECT_EQ(ModeOf(index), 0600u);
  EXPECT_EQ(ModeOf(index + "-wal"), 0600u);
  EXPECT_TRUE(check.problems.empty());
}

}  // namespace
