// The program's window over a Firefox profile of 50,000 cookies (5,000 sites of 10): from the
// application object to a shown window with the tree built and the first entry in the detail
// pane, as `tolvane PROFILE` opens it.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <wininet.h>

#include <QApplication>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "FirefoxFill.h"
#include "ProgramBench.h"
#include "afx/DialogUnits.h"
#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "model/SiteCacheList.h"
#include "platform/Hooks.h"
#include "platform/StoreLocation.h"
#include "res/ProgramResources.h"

namespace {

constexpr int kSites = 5'000;
constexpr int kPerSite = 10;

// The profile, built once and removed at exit; the program's store from then on.
class Profile {
 public:
  Profile() {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/bench-ffw-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    m_root = pattern;
    ::setenv("XDG_STATE_HOME", (m_root + "/state").c_str(), 1);
    std::string problem;
    platform::StoreLocation location;
    if (!bench::FillFirefoxProfile(m_root + "/profile", kSites, kPerSite, problem) ||
        !platform::ResolveStoreLocation(m_root + "/profile", location, problem)) {
      std::fprintf(stderr, "%s\n", problem.c_str());
      std::abort();
    }
    platform::SetStoreLocation(location.Text());
  }
  ~Profile() {
    platform::SetStoreLocation("");
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
  }

 private:
  std::string m_root;
};

void BM_StartUpOnAFirefoxProfile(benchmark::State& state) {
  static const Profile profile;
  for (auto _ : state) {
    auto app = std::make_unique<bench::RunningApp>();
    state.PauseTiming();
    const CTolvaneDoc* doc = app->Document();
    const bool complete = doc != nullptr && doc->m_pCatalogue->GetSize() == kSites;
    app.reset();
    state.ResumeTiming();
    if (!complete) {
      state.SkipWithError("the catalogue is not complete");
      break;
    }
  }
  state.counters["cookies"] = kSites * kPerSite;
}
BENCHMARK(BM_StartUpOnAFirefoxProfile)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) { return bench::RunProgramBenchmarks(argc, argv); }
