// The program's window over a large store: 10,000 cookie entries holding 100,000 variables.
// Start-up: from the application object to a shown window with the tree built and the first
// entry in the detail pane. Rebuild: the document's view update, which rebuilds the whole tree.
// Also the start-up over one entry of 100,000 cookies.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <wininet.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>

#include "LargeStore.h"
#include "ProgramBench.h"
#include "afx/DialogUnits.h"
#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "model/SiteCacheList.h"
#include "platform/Hooks.h"
#include "res/ProgramResources.h"
#include "tree/LeftView.h"

namespace {

constexpr int kEntries = 10'000;
constexpr int kVariablesPerEntry = 10;

std::string Record(int entry, int variable) {
  const std::string domain = "site" + std::to_string(entry) + ".example.com/";
  return "name" + std::to_string(variable) + "\n" + std::string(24, char('a' + variable)) +
         std::to_string(entry) + "\n" + domain + "\n1024\n2743031808\n31000000\n" +
         "1551935488\n30900000\n*\n";
}

// Records for an entry of any size (Record's values cycle through 26 letters only so far).
std::string ManyRecord(int entry, int variable) {
  const std::string domain = "site" + std::to_string(entry) + ".example.com/";
  return "name" + std::to_string(variable) + "\nvalue%20" + std::to_string(variable) + "\n" +
         domain + "\n1024\n2743031808\n31000000\n1551935488\n30900000\n*\n";
}

// One store at a time is the program's: the one the running benchmark asks for, built when it
// is first asked for and kept until another is.
void UseStore(int entries, int variablesPerEntry, bench::RecordMaker record = Record) {
  static std::unique_ptr<bench::LargeStore> store;
  static std::pair<int, int> shape;
  if (store && shape == std::pair(entries, variablesPerEntry)) return;
  store.reset();
  store = std::make_unique<bench::LargeStore>(entries, variablesPerEntry, record);
  shape = {entries, variablesPerEntry};
}
void MakeStore() { UseStore(kEntries, kVariablesPerEntry); }

// Peak resident memory of the process so far, in MB.
double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_maxrss) / 1024.0;
}

void BM_StartUp(benchmark::State& state) {
  MakeStore();
  for (auto _ : state) {
    auto app = std::make_unique<bench::RunningApp>();
    state.PauseTiming();
    if (app->Document()->m_pCatalogue->GetSize() != kEntries) {
      state.SkipWithError("the catalogue is not complete");
    }
    app.reset();
    state.ResumeTiming();
  }
  state.counters["entries"] = kEntries;
  state.counters["variables"] = kEntries * kVariablesPerEntry;
}
BENCHMARK(BM_StartUp)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RebuildTree(benchmark::State& state) {
  MakeStore();
  bench::RunningApp app;
  CTolvaneDoc* doc = app.Document();
  for (auto _ : state) {
    doc->UpdateAllViews(nullptr, 0, nullptr);
    doc->GetTreeView()->SelectFirstSite();
    QCoreApplication::processEvents();
  }
  state.counters["items"] = kEntries * (1 + kVariablesPerEntry);
}
BENCHMARK(BM_RebuildTree)->Unit(benchmark::kMillisecond)->Iterations(5);

// One site holding 100,000 cookies: the tree gets 100,000 children, the pane one form in sight
// for each of them. Peak memory is the process's (run this benchmark alone to read it).
void BM_StartUpWithOneEntryOf100000Cookies(benchmark::State& state) {
  constexpr int kCookies = 100'000;
  UseStore(1, kCookies, ManyRecord);
  for (auto _ : state) {
    auto app = std::make_unique<bench::RunningApp>();
    state.PauseTiming();
    SiteCacheList* catalogue = app->Document()->m_pCatalogue;
    const bool complete =
        catalogue->GetSize() == 1 && catalogue->GetEntry(0)->GetSize() == kCookies;
    app.reset();
    state.ResumeTiming();
    if (!complete) {
      state.SkipWithError("the entry is not complete");
      break;
    }
  }
  state.counters["cookies"] = kCookies;
  state.counters["peak_rss_MB"] = PeakRssMb();
}
BENCHMARK(BM_StartUpWithOneEntryOf100000Cookies)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) { return bench::RunProgramBenchmarks(argc, argv); }
