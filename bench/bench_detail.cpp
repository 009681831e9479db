// The detail pane against its budgets: showing an entry of 200 variables (200 forms built,
// the previous ones destroyed) and moving to another variable of the entry already shown.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <wininet.h>

#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>

#include "app/MainFrame.h"
#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "detail/PersetCookieForm.h"
#include "detail/TolvaneView.h"
#include "model/SiteCacheList.h"
#include "platform/Hooks.h"
#include "res/Resources.h"
#include "tests/support/TempStore.h"
#include "tree/LeftView.h"

namespace {

constexpr int kVariables = 200;

std::string CookieFile(int variables) {
  std::string text;
  for (int k = 0; k < variables; ++k) {
    text += "name" + std::to_string(k) + "\nvalue%20" + std::to_string(k) +
            "\nbig.example.com/\n1024\n2743031808\n31000000\n1551935488\n29500000\n*\n";
  }
  return text;
}

class BenchWindow {
 public:
  BenchWindow() {
    platform::SetMessageBoxHandler([](HWND, const char* text, const char*, UINT) {
      std::fprintf(stderr, "message box: %s\n", text);
      return IDOK;
    });
    if (m_store.AddEntry("Cookie:user@big.example.com/", CookieFile(kVariables)).empty())
      std::abort();
    afx::RegisterResources(res::Resources());
    m_app = std::make_unique<CTolvaneApp>();
    if (!m_app->InitInstance()) std::abort();
    QCoreApplication::processEvents();
  }
  ~BenchWindow() {
    Doc()->OnCloseDocument();
    m_app->ExitInstance();
    m_app.reset();
    platform::SetMessageBoxHandler(nullptr);
  }

  CTolvaneDoc* Doc() const {
    return dynamic_cast<CTolvaneDoc*>(
        dynamic_cast<CMainFrame*>(m_app->m_pMainWnd)->GetActiveDocument());
  }
  CLeftView* Tree() const { return Doc()->GetTreeView(); }
  CTolvaneView* Detail() const { return Doc()->GetDetailView(); }
  SiteCache* Entry() const { return Doc()->m_pCatalogue->GetEntry(0); }
  HTREEITEM SiteItem() const { return Tree()->GetTreeCtrl().GetRootItem(); }

 private:
  tolvane::test::TempStore m_store;
  std::unique_ptr<CTolvaneApp> m_app;
};

std::unique_ptr<BenchWindow> g_window;

BenchWindow& Window() {
  if (!g_window) g_window = std::make_unique<BenchWindow>();
  return *g_window;
}

void BM_ShowEntryOf200Variables(benchmark::State& state) {
  BenchWindow& w = Window();
  if (w.Entry()->GetSize() != kVariables) {
    state.SkipWithError("the entry did not load");
    return;
  }
  for (auto _ : state) {
    w.Detail()->ShowSiteCache(w.Entry(), nullptr, w.SiteItem(), true);
    QCoreApplication::processEvents();  // layout and paint of the new forms
  }
  if (w.Detail()->GetCookieFormCount() != kVariables) state.SkipWithError("forms missing");
  state.counters["forms"] = w.Detail()->GetCookieFormCount();
}
BENCHMARK(BM_ShowEntryOf200Variables)->Unit(benchmark::kMillisecond);

// Through the tree, as a click on a variable item does: alternates between two far-apart items.
void BM_SelectOtherVariableOfShownEntry(benchmark::State& state) {
  BenchWindow& w = Window();
  CTreeCtrl& tree = w.Tree()->GetTreeCtrl();
  HTREEITEM items[2] = {tree.GetChildItem(w.SiteItem()), nullptr};
  for (HTREEITEM h = items[0]; h; h = tree.GetNextSiblingItem(h)) items[1] = h;
  tree.SelectItem(items[1]);
  CPersetCookieForm* first = w.Detail()->GetCookieForm(0);
  int i = 0;
  for (auto _ : state) {
    tree.SelectItem(items[i ^= 1]);
    QCoreApplication::processEvents();
  }
  if (w.Detail()->GetCookieForm(0) != first) state.SkipWithError("the pane was rebuilt");
}
BENCHMARK(BM_SelectOtherVariableOfShownEntry)->Unit(benchmark::kMicrosecond);

// The pane's own share of it: the scroll to the variable's form.
void BM_ScrollToVariable(benchmark::State& state) {
  BenchWindow& w = Window();
  SiteCache* entry = w.Entry();
  w.Detail()->ShowSiteCache(entry, nullptr, w.SiteItem(), false);
  int i = 0;
  for (auto _ : state) {
    w.Detail()->ShowSiteCache(entry, entry->GetVariable((i ^= 1) ? kVariables - 1 : 0),
                              w.SiteItem(), false);
  }
}
BENCHMARK(BM_ScrollToVariable)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  g_window.reset();
  benchmark::Shutdown();
  return 0;
}
