// The detail pane against its budgets: showing an entry (its forms built, the previous ones
// destroyed), moving to another variable of the entry already shown, and scrolling through an
// entry of 10,000 variables, where only the forms in sight exist.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <memory>

#include "BenchWindow.h"
#include "detail/PersetCookieForm.h"
#include "model/SiteCacheList.h"

namespace {

constexpr int kVariables = 200;
constexpr int kLargeVariables = 10'000;
const char kSite[] = "big.example.com/";
const char kLargeSite[] = "large.example.com/";

using bench::BenchWindow;

// The window over a store holding an entry of kVariables and one of kLargeVariables variables.
BenchWindow& Window() {
  std::unique_ptr<BenchWindow>& window = bench::SharedWindow();
  if (window) return *window;
  window = std::make_unique<BenchWindow>(std::vector<std::pair<std::string, std::string>>{
      {std::string("Cookie:user@") + kSite, bench::CookieFile(kVariables, kSite)},
      {std::string("Cookie:user@") + kLargeSite, bench::CookieFile(kLargeVariables, kLargeSite)}});
  QCoreApplication::processEvents();
  return *window;
}

SiteCache* Entry(const BenchWindow& w, const char* site) {
  SiteCacheList& catalogue = *w.Doc()->m_pCatalogue;
  for (int i = 0; i < catalogue.GetSize(); ++i) {
    if (catalogue.GetEntry(i)->m_strSite == site) return catalogue.GetEntry(i);
  }
  return nullptr;
}
HTREEITEM SiteItem(const BenchWindow& w, const char* site) {
  return w.Tree()->FindSiteItem(Entry(w, site));
}
// The first and the last variable item of a site.
std::pair<HTREEITEM, HTREEITEM> EndItems(const BenchWindow& w, const char* site) {
  const SiteCache* entry = Entry(w, site);
  return {w.Tree()->FindVariableItem(SiteItem(w, site), entry->GetVariable(0)),
          w.Tree()->FindVariableItem(SiteItem(w, site), entry->GetVariable(entry->GetSize() - 1))};
}

bool Loaded(benchmark::State& state, const BenchWindow& w, const char* site, int variables) {
  const SiteCache* entry = Entry(w, site);
  if (entry && entry->GetSize() == variables && SiteItem(w, site)) return true;
  state.SkipWithError("the entry did not load");
  return false;
}

void ShowEntry(benchmark::State& state, const char* site, int variables) {
  BenchWindow& w = Window();
  if (!Loaded(state, w, site, variables)) return;
  for (auto _ : state) {
    w.Detail()->ShowSiteCache(Entry(w, site), nullptr, SiteItem(w, site), true);
    QCoreApplication::processEvents();  // layout and paint of the new forms
  }
  if (w.Detail()->GetCookieFormCount() != variables) state.SkipWithError("forms missing");
  state.counters["forms"] = w.Detail()->GetCookieFormCount();
  state.counters["made"] = w.Detail()->GetLiveFormCount();
}

void BM_ShowEntryOf200Variables(benchmark::State& state) { ShowEntry(state, kSite, kVariables); }
BENCHMARK(BM_ShowEntryOf200Variables)->Unit(benchmark::kMillisecond);

void BM_ShowEntryOf10000Variables(benchmark::State& state) {
  ShowEntry(state, kLargeSite, kLargeVariables);
}
BENCHMARK(BM_ShowEntryOf10000Variables)->Unit(benchmark::kMillisecond);

// Through the tree, as a click on a variable item does: alternates between two far-apart items.
void BM_SelectOtherVariableOfShownEntry(benchmark::State& state) {
  BenchWindow& w = Window();
  if (!Loaded(state, w, kSite, kVariables)) return;
  CTreeCtrl& tree = w.Tree()->GetTreeCtrl();
  const auto [firstItem, lastItem] = EndItems(w, kSite);
  HTREEITEM items[2] = {firstItem, lastItem};
  tree.SelectItem(items[1]);
  tree.SelectItem(items[0]);
  CPersetCookieForm* first = w.Detail()->GetCookieForm(0);
  int i = 0;
  for (auto _ : state) {
    tree.SelectItem(items[i ^= 1]);
    QCoreApplication::processEvents();
  }
  if (w.Detail()->GetCookieForm(0) != first) state.SkipWithError("the pane was rebuilt");
}
BENCHMARK(BM_SelectOtherVariableOfShownEntry)->Unit(benchmark::kMicrosecond);

// The last variable of the 10,000, selected in the tree while the entry is shown from its top.
void BM_SelectLastOf10000Variables(benchmark::State& state) {
  BenchWindow& w = Window();
  if (!Loaded(state, w, kLargeSite, kLargeVariables)) return;
  CTreeCtrl& tree = w.Tree()->GetTreeCtrl();
  const auto [firstItem, lastItem] = EndItems(w, kLargeSite);
  tree.SelectItem(firstItem);
  QCoreApplication::processEvents();
  SiteCache* shown = w.Detail()->GetShownCache();
  for (auto _ : state) {
    tree.SelectItem(lastItem);
    QCoreApplication::processEvents();
    state.PauseTiming();
    tree.SelectItem(firstItem);
    QCoreApplication::processEvents();
    state.ResumeTiming();
  }
  if (w.Detail()->GetShownCache() != shown) state.SkipWithError("another entry was shown");
  if (!w.Detail()->FindCookieForm(kLargeVariables - 1)) state.SkipWithError("no form at the end");
}
BENCHMARK(BM_SelectLastOf10000Variables)->Unit(benchmark::kMillisecond);

// The same selection coming from another entry: the stack is built and scrolled to its end.
void BM_SelectLastOf10000VariablesFromAnotherEntry(benchmark::State& state) {
  BenchWindow& w = Window();
  if (!Loaded(state, w, kLargeSite, kLargeVariables)) return;
  CTreeCtrl& tree = w.Tree()->GetTreeCtrl();
  const HTREEITEM lastItem = EndItems(w, kLargeSite).second;
  const HTREEITEM other = SiteItem(w, kSite);
  for (auto _ : state) {
    state.PauseTiming();
    tree.SelectItem(other);
    QCoreApplication::processEvents();
    state.ResumeTiming();
    tree.SelectItem(lastItem);
    QCoreApplication::processEvents();
  }
  if (!w.Detail()->FindCookieForm(kLargeVariables - 1)) state.SkipWithError("no form at the end");
}
BENCHMARK(BM_SelectLastOf10000VariablesFromAnotherEntry)->Unit(benchmark::kMillisecond);

// One page down through the 10,000 forms, with its repaint; from the top again at the end.
void BM_PageDownThrough10000Variables(benchmark::State& state) {
  BenchWindow& w = Window();
  if (!Loaded(state, w, kLargeSite, kLargeVariables)) return;
  CTolvaneView* detail = w.Detail();
  detail->ShowSiteCache(Entry(w, kLargeSite), nullptr, SiteItem(w, kLargeSite), false);
  CRect client;
  detail->GetClientRect(&client);
  const int end = detail->GetTotalSize().cy - client.Height();
  int pages = 0;
  for (auto _ : state) {
    const int y = detail->GetScrollPosition().y;
    detail->ScrollToPosition(CPoint(0, y >= end ? 0 : y + client.Height()));
    QCoreApplication::processEvents();
    ++pages;
  }
  state.counters["made"] = detail->GetLiveFormCount();
  state.counters["pages"] = pages;
}
BENCHMARK(BM_PageDownThrough10000Variables)->Unit(benchmark::kMicrosecond);

// The pane's own share of a selection: the scroll to the variable's form.
void BM_ScrollToVariable(benchmark::State& state) {
  BenchWindow& w = Window();
  if (!Loaded(state, w, kSite, kVariables)) return;
  SiteCache* entry = Entry(w, kSite);
  HTREEITEM site = SiteItem(w, kSite);
  w.Detail()->ShowSiteCache(entry, nullptr, site, false);
  int i = 0;
  for (auto _ : state) {
    w.Detail()->ShowSiteCache(entry, entry->GetVariable((i ^= 1) ? kVariables - 1 : 0), site,
                              false);
  }
}
BENCHMARK(BM_ScrollToVariable)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv); }
