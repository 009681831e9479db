// The detail pane against its budgets: showing an entry of 200 variables (200 forms built,
// the previous ones destroyed) and moving to another variable of the entry already shown.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>

#include "BenchWindow.h"
#include "detail/PersetCookieForm.h"
#include "model/SiteCacheList.h"

namespace {

constexpr int kVariables = 200;

using bench::BenchWindow;

// The window over a store holding one entry of kVariables variables.
BenchWindow& Window() {
  std::unique_ptr<BenchWindow>& window = bench::SharedWindow();
  if (window) return *window;
  window = std::make_unique<BenchWindow>("Cookie:user@big.example.com/",
                                         bench::CookieFile(kVariables, "big.example.com/"));
  QCoreApplication::processEvents();
  return *window;
}

SiteCache* Entry(const BenchWindow& w) { return w.Doc()->m_pCatalogue->GetEntry(0); }
HTREEITEM SiteItem(const BenchWindow& w) { return w.Tree()->GetTreeCtrl().GetRootItem(); }

void BM_ShowEntryOf200Variables(benchmark::State& state) {
  BenchWindow& w = Window();
  if (Entry(w)->GetSize() != kVariables) {
    state.SkipWithError("the entry did not load");
    return;
  }
  for (auto _ : state) {
    w.Detail()->ShowSiteCache(Entry(w), nullptr, SiteItem(w), true);
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
  HTREEITEM items[2] = {tree.GetChildItem(SiteItem(w)), nullptr};
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
  SiteCache* entry = Entry(w);
  w.Detail()->ShowSiteCache(entry, nullptr, SiteItem(w), false);
  int i = 0;
  for (auto _ : state) {
    w.Detail()->ShowSiteCache(entry, entry->GetVariable((i ^= 1) ? kVariables - 1 : 0), SiteItem(w),
                              false);
  }
}
BENCHMARK(BM_ScrollToVariable)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv); }
