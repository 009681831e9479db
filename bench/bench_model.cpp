// The cookie model against its budgets: loading 10,000 entries with 100,000 variables from a
// store, sorting 10,000 entries by every key, committing one entry.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>
#include <unistd.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "model/SiteCacheList.h"
#include "platform/Hooks.h"
#include "platform/UrlCacheStore.h"

namespace {

constexpr int kEntries = 10'000;
constexpr int kVariablesPerEntry = 10;

std::string CookieFile(int site, int variables) {
  std::string text;
  for (int k = 0; k < variables; ++k) {
    text += "name" + std::to_string(k) + "\n";
    text += "value%20" + std::to_string(site * 31 + k) + "%3Dx\n";
    text += "site" + std::to_string(site) + ".example.com/\n";
    text += std::to_string(k % 2 ? 0x201 : 0x400) + "\n";
    text += "2743031808\n31000000\n1551935488\n29500000\n*\n";
  }
  return text;
}

bool AddEntry(const std::string& url, const std::string& bytes) {
  char file[MAX_PATH] = {};
  if (!CreateUrlCacheEntryA(url.c_str(), 0, "TXT", file, 0)) return false;
  HANDLE handle =
      CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(handle, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(handle);
  std::string header = "HTTP/1.0 200 OK\r\n\r\n";
  return CommitUrlCacheEntryA(url.c_str(), file, FILETIME{0, 31000000}, FILETIME{0, 29500000},
                              NORMAL_CACHE_ENTRY | COOKIE_CACHE_ENTRY,
                              reinterpret_cast<LPBYTE>(header.data()), DWORD(header.size()),
                              nullptr, url.c_str()) == TRUE;
}

// One store for the process, removed at exit.
class BenchStore {
 public:
  BenchStore() {
    char pattern[] = "/tmp/tolvane-bench-model-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    m_root = pattern;
    platform::SetUrlCacheRoot(m_root);
    platform::SetMessageBoxHandler([](HWND, const char* text, const char*, UINT) {
      std::fprintf(stderr, "message box: %s\n", text);
      return IDOK;
    });
  }
  ~BenchStore() {
    platform::SetUrlCacheRoot("");
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
  }
  void FillLarge() {
    if (m_filled) return;
    for (int i = 0; i < kEntries; ++i) {
      if (!AddEntry("Cookie:user@site" + std::to_string(i) + ".example.com/",
                    CookieFile(i, kVariablesPerEntry))) {
        std::abort();
      }
    }
    m_filled = true;
  }

 private:
  std::string m_root;
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
  Store();
  const std::string url = "Cookie:user@commit.example.com/";
  if (!AddEntry(url, CookieFile(1, kVariablesPerEntry))) std::abort();
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
