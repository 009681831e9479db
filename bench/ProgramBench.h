// The whole program started as `tolvane` starts it, for the benchmarks that time it from the
// application object to a shown window, and their main().
#pragma once

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <wininet.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "afx/DialogUnits.h"
#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "platform/Hooks.h"
#include "res/ProgramResources.h"

namespace bench {

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
  RunningApp(const RunningApp&) = delete;
  RunningApp& operator=(const RunningApp&) = delete;

  CTolvaneDoc* Document() const {
    auto* frame = dynamic_cast<CFrameWnd*>(m_app->m_pMainWnd);
    return frame ? dynamic_cast<CTolvaneDoc*>(frame->GetActiveDocument()) : nullptr;
  }

 private:
  std::unique_ptr<CTolvaneApp> m_app;
};

/** main(): off screen unless told otherwise, the program's font and resources; a message box
 *  would stop a run, so it is printed and answered No. */
inline int RunProgramBenchmarks(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  QApplication::setFont(afx::DialogFont("ＭＳ Ｐゴシック", 9));
  afx::RegisterResources(res::Resources());
  platform::SetMessageBoxHandler([](HWND, const char* text, const char*, UINT) {
    std::fprintf(stderr, "unexpected message box: %s\n", text ? text : "");
    return IDNO;
  });
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace bench
