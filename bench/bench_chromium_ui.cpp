// The program's window over a Chromium profile of 50,000 cookies (5,000 sites, v10 values):
// from the application object to a shown window with every value decrypted, the tree built and
// the first entry in the detail pane.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "ChromiumLarge.h"
#include "ProgramBench.h"
#include "afx/DialogUnits.h"
#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "model/SiteCacheList.h"
#include "platform/Hooks.h"
#include "platform/StoreLocation.h"
#include "res/ProgramResources.h"

namespace {

constexpr int kCookies = 50'000;

void BM_StartUpOnAChromiumProfileOf50000Cookies(benchmark::State& state) {
  char pattern[] = "/tmp/tolvane-bench-chromium-ui-XXXXXX";
  const std::string folder = ::mkdtemp(pattern);
  std::filesystem::create_directories(folder + "/Default");
  bench::FillChromiumProfile(folder + "/Default/Cookies", kCookies);
  platform::SetStoreLocation("chromium:" + folder + "/Default");
  int cookies = 0;
  for (auto _ : state) {
    auto app = std::make_unique<bench::RunningApp>();
    state.PauseTiming();
    const SiteCacheList* catalogue = app->Document()->m_pCatalogue;
    cookies = 0;
    for (int i = 0; i < catalogue->GetSize(); ++i) cookies += catalogue->GetEntry(i)->GetSize();
    app.reset();
    state.ResumeTiming();
  }
  if (cookies != kCookies) state.SkipWithError("cookies lost");
  state.counters["cookies"] = cookies;
  platform::SetStoreLocation("");
  std::filesystem::remove_all(folder);
}
BENCHMARK(BM_StartUpOnAChromiumProfileOf50000Cookies)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) { return bench::RunProgramBenchmarks(argc, argv); }
