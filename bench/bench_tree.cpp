// The cookie tree against its budgets: a search that finds nothing in 10,000 entries with
// 100,000 variables, and the commit of one entry with its tree and form rebuild.
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
#include "detail/TolvaneView.h"
#include "model/SiteCacheList.h"
#include "platform/Hooks.h"
#include "res/Resources.h"
#include "tests/support/TempStore.h"
#include "tree/LeftView.h"

namespace {

constexpr int kEntries = 10'000;
constexpr int kVariablesPerEntry = 10;
const char kCommitUrl[] = "Cookie:user@commit.example.com/";

std::string CookieFile(int variables) {
  std::string text;
  for (int k = 0; k < variables; ++k) {
    text += "name" + std::to_string(k) + "\nvalue%20" + std::to_string(k) +
            "\ncommit.example.com/\n1024\n2743031808\n31000000\n1551935488\n29500000\n*\n";
  }
  return text;
}

// The whole window over a store holding one entry, with a large catalogue added in memory.
class BenchWindow {
 public:
  BenchWindow() {
    platform::SetMessageBoxHandler([](HWND, const char* text, const char*, UINT) {
      std::fprintf(stderr, "message box: %s\n", text);
      return IDOK;
    });
    if (m_store.AddEntry(kCommitUrl, CookieFile(kVariablesPerEntry)).empty()) std::abort();
    afx::RegisterResources(res::Resources());
    m_app = std::make_unique<CTolvaneApp>();
    if (!m_app->InitInstance()) std::abort();
    SiteCacheList& catalogue = *Doc()->m_pCatalogue;
    for (int i = 0; i < kEntries; ++i) {
      auto* entry = new SiteCache;
      entry->m_strSite = "site" + std::to_string(i) + ".example.com/";
      entry->m_strUrlName = "Cookie:user@" + entry->m_strSite.str();
      for (int k = 0; k < kVariablesPerEntry; ++k) {
        auto* variable = new PersetCookie;
        variable->m_strName = "name" + std::to_string(k);
        variable->m_strValue = "value%20" + std::to_string(i * 31 + k) + "%3Dx";
        variable->m_strDomain = entry->m_strSite;
        entry->Add(variable);
      }
      catalogue.Add(entry);
    }
    Doc()->UpdateAllViews(nullptr, 0, nullptr);
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

 private:
  tolvane::test::TempStore m_store;
  std::unique_ptr<CTolvaneApp> m_app;
};

// Made on first use and closed before the QApplication goes.
std::unique_ptr<BenchWindow> g_window;

BenchWindow& Window() {
  if (!g_window) g_window = std::make_unique<BenchWindow>();
  return *g_window;
}

void BM_SearchTreeNoMatch(benchmark::State& state) {
  CLeftView* tree = Window().Tree();
  CTreeCtrl& control = tree->GetTreeCtrl();
  control.SelectItem(control.GetRootItem());
  HTREEITEM before = control.GetSelectedItem();
  int variables = 0;
  for (HTREEITEM site = control.GetRootItem(); site; site = control.GetNextSiblingItem(site)) {
    for (HTREEITEM v = control.GetChildItem(site); v; v = control.GetNextSiblingItem(v)) {
      ++variables;
    }
  }
  for (auto _ : state) tree->SearchTree("no such text", 7, FALSE);
  if (control.GetSelectedItem() != before) state.SkipWithError("the search found something");
  state.counters["variables"] = variables;
}
BENCHMARK(BM_SearchTreeNoMatch)->Unit(benchmark::kMillisecond);

void BM_CommitEntryWithRebuild(benchmark::State& state) {
  CLeftView* tree = Window().Tree();
  CTreeCtrl& control = tree->GetTreeCtrl();
  HTREEITEM site = control.GetRootItem();
  while (site && control.GetItemText(site) != "commit.example.com/") {
    site = control.GetNextSiblingItem(site);
  }
  if (!site) {
    state.SkipWithError("no entry to commit");
    return;
  }
  control.SelectItem(site);
  CTolvaneView* detail = Window().Doc()->GetDetailView();
  for (auto _ : state) tree->OnCommit();
  if (detail->GetCookieFormCount() != kVariablesPerEntry) state.SkipWithError("forms missing");
}
BENCHMARK(BM_CommitEntryWithRebuild)->Unit(benchmark::kMillisecond);

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
