// A Chromium profile of 50,000 cookies (v10 values, 5,000 sites): the back end's load (every row
// read, every value decrypted and checked, the entries grouped and rendered) beside the sqlite3
// command reading the same rows without decrypting them.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ChromiumLarge.h"
#include "platform/StoreLocation.h"
#include "platform/UrlCacheStore.h"

namespace {

constexpr int kCookies = 50'000;

// Made once per process, removed at exit.
struct Profile {
  Profile() {
    char pattern[] = "/tmp/tolvane-bench-chromium-XXXXXX";
    folder = ::mkdtemp(pattern);
    std::filesystem::create_directories(folder + "/Default");
    bench::FillChromiumProfile(folder + "/Default/Cookies", kCookies);
  }
  ~Profile() { std::filesystem::remove_all(folder); }
  std::string folder;
};

const Profile& TheProfile() {
  static const Profile profile;
  return profile;
}

void BM_ChromiumBackendLoad(benchmark::State& state) {
  platform::SetStoreLocation("chromium:" + TheProfile().folder + "/Default");
  size_t entries = 0;
  for (auto _ : state) {
    std::vector<platform::UrlCacheRecord> records;
    if (!platform::ListUrlCacheEntries(records)) state.SkipWithError("cannot list");
    entries = records.size();
    benchmark::DoNotOptimize(records);
  }
  if (entries != kCookies / 10) state.SkipWithError("entries lost");  // one a site
  state.counters["entries"] = double(entries);
  platform::SetStoreLocation("");
}
BENCHMARK(BM_ChromiumBackendLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

void BM_Sqlite3CommandReadsTheRows(benchmark::State& state) {
  const std::string command =
      "sqlite3 -readonly '" + TheProfile().folder +
      "/Default/Cookies' 'SELECT creation_utc, host_key, top_frame_site_key, name, value, "
      "hex(encrypted_value), path, expires_utc, is_secure, is_httponly, last_access_utc, "
      "has_expires, is_persistent, priority, samesite, source_scheme, source_port, "
      "last_update_utc, source_type, has_cross_site_ancestor FROM cookies'";
  size_t lines = 0;
  for (auto _ : state) {
    FILE* out = ::popen(command.c_str(), "r");
    if (out == nullptr) {
      state.SkipWithError("no sqlite3");
      break;
    }
    char buffer[65536];
    lines = 0;
    while (size_t n = std::fread(buffer, 1, sizeof buffer, out)) {
      for (size_t i = 0; i < n; ++i) lines += buffer[i] == '\n';
    }
    if (::pclose(out) != 0) state.SkipWithError("sqlite3 failed");
  }
  if (lines != kCookies) state.SkipWithError("rows lost");
}
BENCHMARK(BM_Sqlite3CommandReadsTheRows)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
