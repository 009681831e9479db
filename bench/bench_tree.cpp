// The cookie tree against its budgets: a search that finds nothing in 10,000 entries with
// 100,000 variables, and the commit of one entry with its tree and form rebuild.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "BenchWindow.h"
#include "model/SiteCacheList.h"

namespace {

constexpr int kEntries = 10'000;
constexpr int kVariablesPerEntry = 10;
const char kCommitUrl[] = "Cookie:user@commit.example.com/";

using bench::BenchWindow;

// The window over a store holding the entry to commit, with a large catalogue added in memory.
BenchWindow& Window() {
  std::unique_ptr<BenchWindow>& window = bench::SharedWindow();
  if (window) return *window;
  window = std::make_unique<BenchWindow>(
      kCommitUrl, bench::CookieFile(kVariablesPerEntry, "commit.example.com/"));
  SiteCacheList& catalogue = *window->Doc()->m_pCatalogue;
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
  window->Doc()->UpdateAllViews(nullptr, 0, nullptr);
  return *window;
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
  CTolvaneView* detail = Window().Detail();
  for (auto _ : state) tree->OnCommit();
  if (detail->GetCookieFormCount() != kVariablesPerEntry) state.SkipWithError("forms missing");
}
BENCHMARK(BM_CommitEntryWithRebuild)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv); }
