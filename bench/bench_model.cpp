// The cookie model against its budgets: loading 10,000 entries with 100,000 variables from a
// store, sorting 10,000 entries by every key, committing one entry.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "LargeStore.h"
#include "model/SiteCacheList.h"
#include "platform/Hooks.h"

namespace {

constexpr int kEntries = 10'000;
constexpr int kVariablesPerEntry = 10;

std::string Record(int site, int k) {
  return "name" + std::to_string(k) + "\nvalue%20" + std::to_string(site * 31 + k) + "%3Dx\n" +
         "site" + std::to_string(site) + ".example.com/\n" + std::to_string(k % 2 ? 0x201 : 0x400) +
         "\n2743031808\n31000000\n1551935488\n29500000\n*\n";
}

const bench::EntryCommit kCommit{NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY, "HTTP/1.0 200 OK\r\n\r\n",
                                 FILETIME{0, 31000000}, FILETIME{0, 29500000}};

// One store for the process, removed at exit; the large fill is made only for the load.
class BenchStore : public bench::LargeStore {
 public:
  BenchStore() : LargeStore(kCommit) {
    platform::SetMessageBoxHandler([](HWND, const char* text, const char*, UINT) {
      std::fprintf(stderr, "message box: %s\n", text);
      return IDOK;
    });
  }
  void FillLarge() {
    if (m_filled) return;
    Fill(kEntries, kVariablesPerEntry, Record);
    m_filled = true;
  }

 private:
  bool m_filled = false;
};

BenchStore& Store() {
  static BenchStore store;
  return store;
}

long ResidentBytes() {
  long pages = 0, resident = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return resident * sysconf(_SC_PAGESIZE);
}

void BM_Load10000Entries(benchmark::State& state) {
  Store().FillLarge();
  double residentDelta = 0;
  int loaded = 0;
  for (auto _ : state) {
    state.PauseTiming();
    malloc_trim(0);
    const long before = ResidentBytes();
    state.ResumeTiming();
    SiteCacheList list;
    loaded = list.Load();
    state.PauseTiming();
    residentDelta = double(ResidentBytes() - before);
    int variables = 0;
    for (CObject* entry : list.items()) variables += static_cast<SiteCache*>(entry)->GetSize();
    state.counters["variables"] = variables;
    state.ResumeTiming();
  }
  state.counters["entries"] = loaded;
  state.counters["rss_delta_MB"] = residentDelta / (1024.0 * 1024.0);
}
BENCHMARK(BM_Load10000Entries)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Sort10000Entries(benchmark::State& state) {
  const int key = int(state.range(0));
  const bool descending = state.range(1) != 0;
  SiteCacheList list;
  std::mt19937 random(7);
  char text[32];
  for (int i = 0; i < kEntries; ++i) {
    auto* entry = new SiteCache;
    std::snprintf(text, sizeof text, "20%02d-%02d-%02d 12:00:%02d", int(random() % 30),
                  int(1 + random() % 12), int(1 + random() % 28), int(random() % 60));
    entry->m_strModifiedTime = text;
    entry->m_strExpireTime = random() % 10 ? text : "";
    entry->m_strLastSyncTime = text;
    entry->m_strSite = "site" + std::to_string(random() % 5000) + ".example.com/";
    entry->m_dwHitRate = DWORD(random() % 100);
    list.Add(entry);
  }
  const std::vector<CObject*> shuffled = list.items();
  for (auto _ : state) {
    state.PauseTiming();
    list.items() = shuffled;
    state.ResumeTiming();
    list.Sort(key, descending);
  }
}
BENCHMARK(BM_Sort10000Entries)
    ->ArgsProduct({{0, 1, 2, 3, 4}, {0, 1}})
    ->ArgNames({"key", "descending"})
    ->Unit(benchmark::kMillisecond);

void BM_CommitOneEntry(benchmark::State& state) {
  const std::string url = "Cookie:user@commit.example.com/";
  Store().AddEntry(url, bench::EntryText(1, kVariablesPerEntry, Record));
  SiteCacheList list;
  list.Load();
  SiteCache* entry = nullptr;
  for (CObject* object : list.items()) {
    if (static_cast<SiteCache*>(object)->m_strUrlName == url.c_str()) {
      entry = static_cast<SiteCache*>(object);
    }
  }
  if (!entry || entry->GetSize() != kVariablesPerEntry) std::abort();
  const bool reread = state.range(0) != 0;
  for (auto _ : state) {
    const int result = reread ? list.CommitEntry(entry, true) : entry->Commit(true);
    if (result != 0) state.SkipWithError("commit failed");
  }
}
BENCHMARK(BM_CommitOneEntry)->Arg(0)->Arg(1)->ArgName("reread")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
