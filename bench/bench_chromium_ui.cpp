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
#include "afx/DialogUnits.h"
#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "model/SiteCacheList.h"
#include "platform/Hooks.h"
#include "platform/StoreLocation.h"
#include "res/ProgramResources.h"

namespace {

constexpr int kCookies = 50'000;

/** A started program; closed with its document when destroyed. */
class RunningApp {
 public:
  RunningApp() : m_app(std::make_unique<CTolvaneApp>()) {
    if (!m_app->InitInstance()) std::abort();
    QCoreApplication::processEvents();
  }
  ~RunningApp() {
    if (CTolvaneDoc* doc = Document()) doc->OnCloseDocument();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    m_app->ExitInstance();
  }
  CTolvaneDoc* Document() const {
    auto* frame = dynamic_cast<CFrameWnd*>(m_app->m_pMainWnd);
    return frame ? dynamic_cast<CTolvaneDoc*>(frame->GetActiveDocument()) : nullptr;
  }

 private:
  std::unique_ptr<CTolvaneApp> m_app;
};

void BM_StartUpOnAChromiumProfileOf50000Cookies(benchmark::State& state) {
  char pattern[] = "/tmp/tolvane-bench-chromium-ui-XXXXXX";
  const std::string folder = ::mkdtemp(pattern);
  std::filesystem::create_directories(folder + "/Default");
  bench::FillChromiumProfile(folder + "/Default/Cookies", kCookies);
  platform::SetStoreLocation("chromium:" + folder + "/Default");
  int cookies = 0;
  for (auto _ : state) {
    auto app = std::make_unique<RunningApp>();
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

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  QApplication::setFont(afx::DialogFont("ＭＳ Ｐゴシック", 9));
  afx::RegisterResources(res::Resources());
  platform::SetMessageBoxHandler([](HWND, const char* text, const char*, UINT) {
    std::fprintf(stderr, "bench_chromium_ui: unexpected message box: %s\n", text ? text : "");
    return IDNO;
  });
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
