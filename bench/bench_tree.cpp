// The cookie tree against its budgets: a search that finds nothing in 10,000 entries with
// 100,000 variables, and the commit of one entry with its tree and form rebuild; then one site
// with 100,000 variables: rebuilding its items, selecting across it, finding a variable's item.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <memory>
#include <string>

#include "BenchWindow.h"
#include "detail/PersetCookieForm.h"
#include "model/SiteCacheList.h"
#include "res/ResourceIds.h"

namespace {

constexpr int kEntries = 10'000;
constexpr int kVariablesPerEntry = 10;
const char kCommitUrl[] = "Cookie:user@commit.example.com/";

using bench::BenchWindow;

// Which window the process has: the benchmarks below run in file order, each kind once.
enum class Kind { kNone, kLargeCatalogue, kLargeSite };
Kind& WindowKind() {
  static Kind kind = Kind::kNone;
  return kind;
}

// The window over a store holding the entry to commit, with a large catalogue added in memory.
BenchWindow& Window() {
  std::unique_ptr<BenchWindow>& window = bench::SharedWindow();
  if (window && WindowKind() == Kind::kLargeCatalogue) return *window;
  window.reset();
  WindowKind() = Kind::kLargeCatalogue;
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

constexpr int kSiteVariables = 100'000;
const char kLargeSite[] = "large.example.com/";

// The window over a store holding one site of kSiteVariables variables.
BenchWindow& LargeSiteWindow() {
  std::unique_ptr<BenchWindow>& window = bench::SharedWindow();
  if (window && WindowKind() == Kind::kLargeSite) return *window;
  window.reset();
  WindowKind() = Kind::kLargeSite;
  window = std::make_unique<BenchWindow>(std::string("Cookie:user@") + kLargeSite,
                                         bench::CookieFile(kSiteVariables, kLargeSite));
  QCoreApplication::processEvents();
  return *window;
}

bool LargeSiteLoaded(benchmark::State& state, const BenchWindow& w) {
  const SiteCacheList& catalogue = *w.Doc()->m_pCatalogue;
  if (catalogue.GetSize() == 1 && catalogue.GetEntry(0)->GetSize() == kSiteVariables) return true;
  state.SkipWithError("the site did not load");
  return false;
}

// The items of a site's variables again, and its forms, as a commit or a re-read rebuilds them.
void BM_RebuildSiteOf100000Variables(benchmark::State& state) {
  BenchWindow& w = LargeSiteWindow();
  if (!LargeSiteLoaded(state, w)) return;
  SiteCache* entry = w.Doc()->m_pCatalogue->GetEntry(0);
  HTREEITEM site = w.Tree()->FindSiteItem(entry);
  for (auto _ : state) {
    w.Tree()->RebuildSiteItem(site, entry);
    w.Detail()->ShowSiteCache(entry, nullptr, site, true);  // its forms named the old items
    QCoreApplication::processEvents();  // the tree lays out and paints again
  }
  if (!w.Tree()->FindVariableItem(site, entry->GetVariable(kSiteVariables - 1)))
    state.SkipWithError("items missing");
}
BENCHMARK(BM_RebuildSiteOf100000Variables)->Unit(benchmark::kMillisecond);

// A click on a variable item far from the one selected: the tree scrolls, the pane follows.
void BM_SelectAcross100000Variables(benchmark::State& state) {
  BenchWindow& w = LargeSiteWindow();
  if (!LargeSiteLoaded(state, w)) return;
  SiteCache* entry = w.Doc()->m_pCatalogue->GetEntry(0);
  HTREEITEM site = w.Tree()->FindSiteItem(entry);
  const HTREEITEM items[2] = {
      w.Tree()->FindVariableItem(site, entry->GetVariable(0)),
      w.Tree()->FindVariableItem(site, entry->GetVariable(kSiteVariables - 1))};
  CTreeCtrl& tree = w.Tree()->GetTreeCtrl();
  int i = 0;
  for (auto _ : state) {
    tree.SelectItem(items[i ^= 1]);
    QCoreApplication::processEvents();
  }
  if (tree.GetSelectedItem() != items[i]) state.SkipWithError("not selected");
}
BENCHMARK(BM_SelectAcross100000Variables)->Unit(benchmark::kMillisecond);

// A keystroke in the form of the site's last variable: stored, marked, its item relabelled.
void BM_KeystrokeInAFormAmong100000(benchmark::State& state) {
  BenchWindow& w = LargeSiteWindow();
  if (!LargeSiteLoaded(state, w)) return;
  SiteCache* entry = w.Doc()->m_pCatalogue->GetEntry(0);
  HTREEITEM site = w.Tree()->FindSiteItem(entry);
  PersetCookie* last = entry->GetVariable(kSiteVariables - 1);
  w.Tree()->GetTreeCtrl().SelectItem(w.Tree()->FindVariableItem(site, last));
  CPersetCookieForm* form = w.Detail()->FindCookieForm(kSiteVariables - 1);
  auto* name = form ? qobject_cast<QLineEdit*>(form->GetDlgItem(IDC_NAME)->GetWidget()) : nullptr;
  if (!name) {
    state.SkipWithError("no form for the last variable");
    return;
  }
  int i = 0;
  for (auto _ : state) {
    name->insert(QString(QChar('a' + (i++ % 26))));
    QCoreApplication::processEvents();  // the tree repaints the item
  }
  if (w.Tree()->GetTreeCtrl().GetItemText(w.Tree()->FindVariableItem(site, last)) !=
      last->m_strName)
    state.SkipWithError("the item was not relabelled");
}
BENCHMARK(BM_KeystrokeInAFormAmong100000)->Unit(benchmark::kMicrosecond);

// What a form asks for when it is bound: the item of a variable, anywhere among the 100,000.
void BM_FindVariableItemAmong100000(benchmark::State& state) {
  BenchWindow& w = LargeSiteWindow();
  if (!LargeSiteLoaded(state, w)) return;
  SiteCache* entry = w.Doc()->m_pCatalogue->GetEntry(0);
  HTREEITEM site = w.Tree()->FindSiteItem(entry);
  int k = 0;
  int found = 0;
  for (auto _ : state) {
    k = (k + 7919) % kSiteVariables;
    found += w.Tree()->FindVariableItem(site, entry->GetVariable(k)) != nullptr;
  }
  if (found != int(state.iterations())) state.SkipWithError("an item was not found");
}
BENCHMARK(BM_FindVariableItemAmong100000)->Unit(benchmark::kNanosecond);

}  // namespace

int main(int argc, char** argv) { return bench::RunWindowBenchmarks(argc, argv); }
