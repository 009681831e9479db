// A cookies.txt of 100,000 cookies over 10,000 domains: the back end's load beside Python's
// http.cookiejar loading the same file in the same run, the catalogue's load, the program's
// start-up to a shown window on it, and one entry's commit.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "ProgramBench.h"
#include "afx/DialogUnits.h"
#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "model/SiteCacheList.h"
#include "platform/Hooks.h"
#include "platform/StoreLocation.h"
#include "platform/UrlCacheStore.h"
#include "res/ProgramResources.h"

namespace {

constexpr int kDomains = 10'000;
constexpr int kPerDomain = 10;

// The jar, written once into a private folder; backups of the commits go there too.
class Jar {
 public:
  Jar() {
    char pattern[] = "/tmp/tolvane-bench-jar-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    m_folder = pattern;
    ::setenv("XDG_STATE_HOME", (m_folder + "/state").c_str(), 1);
    m_path = m_folder + "/cookies.txt";
    std::ofstream out(m_path, std::ios::binary);
    out << "# Netscape HTTP Cookie File\n\n";
    for (int d = 0; d < kDomains; ++d) {
      const std::string host = "site" + std::to_string(d) + ".example.com";
      for (int c = 0; c < kPerDomain; ++c) {
        const bool hostOnly = c % 3 == 0;
        out << (c % 4 == 0 ? "#HttpOnly_" : "") << (hostOnly ? "" : ".") << host << '\t'
            << (hostOnly ? "FALSE" : "TRUE") << "\t/\t" << (c % 2 ? "TRUE" : "FALSE") << '\t'
            << (c == 5 ? 0 : 1893456000 + c) << "\tname" << c << "\tvalue%20" << d << "-" << c
            << '\n';
      }
    }
  }
  ~Jar() {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }
  const std::string& Path() const { return m_path; }

 private:
  std::string m_folder, m_path;
};

const Jar& TheJar() {
  static const Jar jar;
  platform::SetStoreLocation(jar.Path());
  return jar;
}

// Every entry listed and every entry's records read: what a load asks of the back end.
void BM_BackendLoad(benchmark::State& state) {
  TheJar();
  for (auto _ : state) {
    platform::SetStoreLocation("");  // a fresh back end each time, as a new process has
    platform::SetStoreLocation(TheJar().Path());
    std::vector<platform::UrlCacheRecord> records;
    if (!platform::ListUrlCacheEntries(records)) state.SkipWithError("the jar cannot be read");
    size_t bytes = 0;
    for (const platform::UrlCacheRecord& record : records) {
      std::string file;
      platform::ReadUrlCacheFile(record, file);
      bytes += file.size();
    }
    benchmark::DoNotOptimize(bytes);
  }
  state.counters["cookies"] = kDomains * kPerDomain;
}
BENCHMARK(BM_BackendLoad)->Unit(benchmark::kMillisecond)->Iterations(5);

// Python's MozillaCookieJar loading the same file, timed inside Python around load() alone.
void BM_PythonCookiejarLoad(benchmark::State& state) {
  const std::string command =
      "python3 -c 'import http.cookiejar,sys,time\n"
      "j=http.cookiejar.MozillaCookieJar(sys.argv[1]); t=time.perf_counter()\n"
      "j.load(ignore_discard=True, ignore_expires=True); print(time.perf_counter()-t, len(j))' '" +
      TheJar().Path() + "'";
  for (auto _ : state) {
    double seconds = 0;
    int cookies = 0;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      if (std::fscanf(pipe, "%lf %d", &seconds, &cookies) != 2) seconds = 0;
      ::pclose(pipe);
    }
    if (cookies != kDomains * kPerDomain) {
      state.SkipWithError("python3 did not load the jar");
      break;
    }
    state.SetIterationTime(seconds);
  }
}
BENCHMARK(BM_PythonCookiejarLoad)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

void BM_CatalogueLoad(benchmark::State& state) {
  TheJar();
  SiteCacheList list;
  for (auto _ : state) {
    if (list.Load() != kDomains) state.SkipWithError("not every entry loaded");
  }
}
BENCHMARK(BM_CatalogueLoad)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StartUpToAShownWindow(benchmark::State& state) {
  TheJar();
  for (auto _ : state) {
    auto app = std::make_unique<bench::RunningApp>();
    state.PauseTiming();
    const CTolvaneDoc* doc = app->Document();
    if (doc == nullptr || doc->m_pCatalogue->GetSize() != kDomains) {
      state.SkipWithError("the window is not complete");
    }
    app.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartUpToAShownWindow)->Unit(benchmark::kMillisecond)->Iterations(3);

// One entry's value changed and committed, as the window's commit does.
void BM_CommitOneEntry(benchmark::State& state) {
  TheJar();
  SiteCacheList list;
  list.Load();
  SiteCache* entry = list.GetEntry(kDomains / 2);
  int round = 0;
  for (auto _ : state) {
    entry->GetVariable(0)->m_strValue = ("round" + std::to_string(++round)).c_str();
    entry->GetVariable(0)->m_nState = kStateModified;
    if (list.CommitEntry(entry, true) != 0) state.SkipWithError("the commit failed");
  }
}
BENCHMARK(BM_CommitOneEntry)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  const int status = bench::RunProgramBenchmarks(argc, argv);
  platform::SetStoreLocation("");
  return status;
}
