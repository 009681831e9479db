// A store that may not be written (its owner took the write permission away, or it sits on a
// read-only mount) is read whole and never changed.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wininet.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/Child.h"
#include "support/TempStore.h"

namespace {

using tolvane::test::RunInChild;
using tolvane::test::TempStore;

constexpr int kEntries = 5;
constexpr int kNoMount = 77;  // the child could not make a read-only mount

std::string Url(int i) { return "Cookie:u@site" + std::to_string(i) + "/"; }
std::string Text(int i) { return "cookie" + std::to_string(i) + "\n"; }

// Every file under the root with its bytes (SQLite's shared-memory index aside).
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> files;
  for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
    const std::string path = item.path().string();
    if (path.size() > 4 && path.compare(path.size() - 4, 4, "-shm") == 0) continue;
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    if (item.is_regular_file()) bytes << in.rdbuf();
    files[path] = bytes.str();
  }
  return files;
}

// Everything a program does with the store, on a read-only one: what went wrong, or "".
std::string ReadButNeverWrite(int entries) {
  std::string wrong;
  const auto expect = [&wrong](bool ok, const std::string& what) {
    if (!ok) wrong += what + "; ";
  };
  expect(platform::UrlCacheIsReadOnly(), "not reported read-only");
  std::vector<platform::UrlCacheRecord> all;
  expect(platform::ListUrlCacheEntries(all) && int(all.size()) == entries, "entries missing");
  for (int i = 0; i < entries; ++i) {
    platform::UrlCacheRecord record;
    std::string bytes;
    expect(platform::FindUrlCacheEntry(Url(i), record) &&
               platform::ReadUrlCacheFile(record, bytes) && bytes == Text(i),
           "entry " + std::to_string(i) + " unreadable");
    std::vector<char> buffer(4096);
    DWORD size = DWORD(buffer.size());
    expect(RetrieveUrlCacheEntryFileA(Url(i).c_str(),
                                      reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data()),
                                      &size, 0) == TRUE,
           "retrieve failed");
    HANDLE stream = RetrieveUrlCacheEntryStreamA(
        Url(i).c_str(), reinterpret_cast<LPINTERNET_CACHE_ENTRY_INFOA>(buffer.data()), &size, FALSE,
        0);
    expect(stream != nullptr, "stream failed");
    UnlockUrlCacheEntryStream(stream, 0);
  }
  const auto refused = [&](bool failed, const char* what) {
    expect(
        failed && GetLastError() == ERROR_FILE_READ_ONLY,
        std::string(what) + " not refused as read-only (" + std::to_string(GetLastError()) + ")");
  };
  char name[MAX_PATH];
  refused(!CreateUrlCacheEntryA("Cookie:u@new/", 0, "TXT", name, 0), "create");
  refused(!CommitUrlCacheEntryA(Url(0).c_str(), nullptr, {}, {}, COOKIE_CACHE_ENTRY, nullptr, 0,
                                nullptr, nullptr),
          "commit");
  refused(!DeleteUrlCacheEntry(Url(1).c_str()), "delete");
  platform::UrlCacheRecord record;
  platform::FindUrlCacheEntry(Url(2), record);
  refused(!DeleteFileA(record.localFile.c_str()), "file delete");
  refused(CreateFileA(record.localFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                      nullptr) == INVALID_HANDLE_VALUE,
          "file write");
  platform::UrlCacheCheck check;
  refused(!platform::RepairUrlCache(check), "repair");
  expect(platform::CheckUrlCache(check) && check.readOnly, "check");
  return wrong;
}

// A store of kEntries entries, closed. With `unclean`, the last entry is committed by a
// process that ends without closing, so it is still only in the WAL.
void Fill(const TempStore& store, bool unclean) {
  for (int i = 0; i + 1 < kEntries; ++i) store.AddEntry(Url(i), Text(i));
  if (!unclean) {
    store.AddEntry(Url(kEntries - 1), Text(kEntries - 1));
    platform::SetUrlCacheRoot("");
    return;
  }
  // Closed first: the last connection to close would fold the WAL into the index.
  platform::SetUrlCacheRoot("");
  platform::SetUrlCacheRoot(store.Root());
  ASSERT_EQ(
      RunInChild([&] { return store.AddEntry(Url(kEntries - 1), Text(kEntries - 1)).empty(); }, 20),
      0);
  platform::SetUrlCacheRoot("");
  ASSERT_GT(std::filesystem::file_size(store.Root() + "/index.sqlite-wal"), 0u);
}

// Owner modes are honoured even for root, whom the system would let write.
TEST(UrlCacheReadOnly, AStoreItsOwnerMadeReadOnlyIsReadNotWritten) {
  const struct {
    const char* label;
    const char* path;  // under the root
    mode_t mode;
    bool unclean;
  } cases[] = {
      {"store folder 0500", "", 0500, false},
      {"cookie folder 0500", "/Cookies", 0500, false},
      {"index 0400", "/index.sqlite", 0400, false},
      {"store folder 0500, last commit still in the WAL", "", 0500, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TempStore store;
    Fill(store, c.unclean);
    const std::string path = store.Root() + c.path;
    ASSERT_EQ(chmod(path.c_str(), c.mode), 0);
    const auto before = Snapshot(store.Root());
    platform::SetUrlCacheRoot(store.Root());
    EXPECT_EQ(ReadButNeverWrite(kEntries), "");
    platform::SetUrlCacheRoot("");
    EXPECT_EQ(Snapshot(store.Root()), before);
    chmod(path.c_str(), c.path[0] == '\0' || c.path[1] == 'C' ? 0700 : 0600);
    platform::SetUrlCacheRoot(store.Root());
  }
}

TEST(UrlCacheReadOnly, AStoreOnAReadOnlyMountIsReadNotWritten) {
  for (const bool unclean : {false, true}) {
    SCOPED_TRACE(unclean ? "last commit still in the WAL" : "closed cleanly");
    TempStore store;
    Fill(store, unclean);
    const auto before = Snapshot(store.Root());
    const std::string root = store.Root();
    const int result = RunInChild(
        [&] {
          if (unshare(CLONE_NEWNS) != 0 ||
              mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
              mount(root.c_str(), root.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
              mount(nullptr, root.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) !=
                  0) {
            return kNoMount;
          }
          platform::SetUrlCacheRoot(root);
          const std::string wrong = ReadButNeverWrite(kEntries);
          std::fprintf(stderr, "%s\n", wrong.c_str());
          return wrong.empty() ? 0 : 1;
        },
        60);
    if (result == kNoMount)
      GTEST_SKIP() << "no read-only mount possible here (needs CAP_SYS_ADMIN)";
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Snapshot(root), before);
    platform::SetUrlCacheRoot(root);
  }
}

}  // namespace
