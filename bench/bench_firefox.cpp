// A Firefox profile of 50,000 cookies (5,000 sites of 10): the back end's load beside the
// sqlite3 command reading the same rows, and one entry committed. Wall time throughout (the
// command runs in a process of its own).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <wininet.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "FirefoxFill.h"
#include "platform/CookieRecord.h"
#include "platform/StoreLocation.h"
#include "platform/UrlCacheStore.h"

namespace {

constexpr int kSites = 5'000;
constexpr int kPerSite = 10;
const char kColumns[] =
    "id, originAttributes, name, value, host, path, expiry, creationTime, isSecure, isHttpOnly, "
    "sameSite";

// Built once per process, removed at exit.
class Profile {
 public:
  Profile() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/bench-ff-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    m_root = pattern;
    ::setenv("XDG_STATE_HOME", (m_root + "/state").c_str(), 1);
    std::string problem;
    if (!bench::FillFirefoxProfile(m_root + "/profile", kSites, kPerSite, problem)) {
      std::fprintf(stderr, "%s\n", problem.c_str());
      std::abort();
    }
    platform::SetStoreLocation(m_root + "/profile");
  }
  ~Profile() {
    platform::SetStoreLocation("");
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
  }
  std::string Database() const { return m_root + "/profile/cookies.sqlite"; }

 private:
  std::string m_root;
};

const Profile& TheProfile() {
  static const Profile profile;
  return profile;
}

void BM_FirefoxBackendLoad(benchmark::State& state) {
  TheProfile();
  std::vector<platform::UrlCacheRecord> records;
  for (auto _ : state) {
    if (!platform::ListUrlCacheEntries(records)) state.SkipWithError("cannot list");
    benchmark::DoNotOptimize(records.data());
  }
  state.counters["entries"] = double(records.size());
}
BENCHMARK(BM_FirefoxBackendLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Sqlite3CommandSameRows(benchmark::State& state) {
  const std::string command = std::string("sqlite3 -readonly '") + TheProfile().Database() +
                              "' 'SELECT " + kColumns + " FROM moz_cookies'";
  size_t bytes = 0;
  for (auto _ : state) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) state.SkipWithError("no sqlite3");
    char chunk[65536];
    bytes = 0;
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;) bytes += n;
    if (pclose(pipe) != 0 || bytes == 0) state.SkipWithError("sqlite3 failed");
  }
  state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_Sqlite3CommandSameRows)->Unit(benchmark::kMillisecond)->UseRealTime();

// One entry of 10 cookies with one value changed, through the calls the catalogue makes.
bool CommitOne(const std::string& url, std::vector<platform::CookieRecord> records,
               const std::string& value) {
  records[0].value = value;
  char file[MAX_PATH] = {};
  if (!CreateUrlCacheEntryA(url.c_str(), 0, "TXT", file, 0)) return false;
  HANDLE handle =
      CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  const std::string bytes = platform::RenderCookieRecords(records);
  DWORD written = 0;
  if (handle == INVALID_HANDLE_VALUE ||
      !WriteFile(handle, bytes.data(), DWORD(bytes.size()), &written, nullptr) ||
      !CloseHandle(handle)) {
    return false;
  }
  return CommitUrlCacheEntryA(url.c_str(), file, {}, {}, NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY,
                              nullptr, 0, nullptr, url.c_str()) == TRUE;
}

void BM_FirefoxCommitOneEntry(benchmark::State& state) {
  TheProfile();
  std::vector<platform::UrlCacheRecord> entries;
  platform::ListUrlCacheEntries(entries);
  const std::string url = platform::StoreEntryUrl("site2500.example.com", "/");
  platform::UrlCacheRecord entry;
  std::string bytes, problem;
  std::vector<platform::CookieRecord> records;
  if (!platform::FindUrlCacheEntry(url, entry) || !platform::ReadUrlCacheFile(entry, bytes) ||
      !platform::ParseCookieRecords(bytes, records, problem) || records.size() != kPerSite) {
    state.SkipWithError("no entry to commit");
    return;
  }
  // The run's backup comes with the first write; it is not what is measured.
  CommitOne(url, records, "warm");
  int n = 0;
  for (auto _ : state) {
    if (!CommitOne(url, records, "value" + std::to_string(++n))) {
      state.SkipWithError(platform::LastUrlCacheErrorDetail().c_str());
      break;
    }
  }
}
BENCHMARK(BM_FirefoxCommitOneEntry)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
