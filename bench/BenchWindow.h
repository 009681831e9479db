// The whole program window over a temporary store holding one entry, for the window
// benchmarks; one per process, closed before the QApplication goes.
#pragma once

#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <wininet.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/MainFrame.h"
#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "detail/TolvaneView.h"
#include "platform/Hooks.h"
#include "res/ProgramResources.h"
#include "support/TempStore.h"
#include "tree/LeftView.h"

namespace bench {

// The text of an entry's file: `variables` records of the given domain.
inline std::string CookieFile(int variables, const std::string& domain) {
  std::string text;
  for (int k = 0; k < variables; ++k) {
    text += "name" + std::to_string(k) + "\nvalue%20" + std::to_string(k) + "\n" + domain +
            "\n1024\n2743031808\n31000000\n1551935488\n29500000\n*\n";
  }
  return text;
}

class BenchWindow {
 public:
  // Stores `url` holding `text`, then starts the program over that store.
  BenchWindow(const std::string& url, const std::string& text) : BenchWindow({{url, text}}) {}
  // Stores each (url, text) in order, then starts the program over that store.
  explicit BenchWindow(const std::vector<std::pair<std::string, std::string>>& entries) {
    platform::SetMessageBoxHandler([](HWND, const char* message, const char*, UINT) {
      std::fprintf(stderr, "message box: %s\n", message);
      return IDOK;
    });
    for (const auto& [url, text] : entries) {
      if (m_store.AddEntry(url, text).empty()) std::abort();
    }
    afx::RegisterResources(res::Resources());
    m_app = std::make_unique<CTolvaneApp>();
    if (!m_app->InitInstance()) std::abort();
  }
  ~BenchWindow() {
    Doc()->OnCloseDocument();
    m_app->ExitInstance();
    m_app.reset();
    platform::SetMessageBoxHandler(nullptr);
  }
  BenchWindow(const BenchWindow&) = delete;
  BenchWindow& operator=(const BenchWindow&) = delete;

  CTolvaneDoc* Doc() const {
    return dynamic_cast<CTolvaneDoc*>(
        dynamic_cast<CMainFrame*>(m_app->m_pMainWnd)->GetActiveDocument());
  }
  CLeftView* Tree() const { return Doc()->GetTreeView(); }
  CTolvaneView* Detail() const { return Doc()->GetDetailView(); }

 private:
  tolvane::test::TempStore m_store;
  std::unique_ptr<CTolvaneApp> m_app;
};

// The process's window, made by the benchmark file's own Window() on first use.
inline std::unique_ptr<BenchWindow>& SharedWindow() {
  static std::unique_ptr<BenchWindow> window;
  return window;
}

// main() for the window benchmarks: off screen unless told otherwise.
inline int RunWindowBenchmarks(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  SharedWindow().reset();
  benchmark::Shutdown();
  return 0;
}

}  // namespace bench
