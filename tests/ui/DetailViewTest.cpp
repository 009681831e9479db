// The detail pane: stacking of the forms, scrolling to a variable, forced and skipped rebuilds.
#include <gtest/gtest.h>

#include "UiFixture.h"
#include "detail/PersetCookieForm.h"
#include "detail/SiteCacheForm.h"
#include "res/ResourceIds.h"

namespace tolvane::test {
namespace {

class DetailView : public UiFixture {
 protected:
  void FillStore() override {
    UiFixture::FillStore();
    AddSite("empty.example.com/", "");
    std::string many;
    for (int i = 0; i < 12; ++i)
      many += CookieRecord("v" + std::to_string(i), std::to_string(i), "many.example.com/");
    AddSite("many.example.com/", many);
  }

  SiteCache* Entry(const char* site) const {
    for (int i = 0; i < Catalogue()->GetSize(); ++i)
      if (Catalogue()->GetEntry(i)->m_strSite == site) return Catalogue()->GetEntry(i);
    return nullptr;
  }
  HTREEITEM SiteItem(const SiteCache* entry) const {
    for (HTREEITEM h = TreeCtrl().GetRootItem(); h; h = TreeCtrl().GetNextSiblingItem(h))
      if (reinterpret_cast<SiteCache*>(TreeCtrl().GetItemData(h)) == entry) return h;
    return nullptr;
  }
  void Show(const char* site, int variable = -1, bool force = false) const {
    SiteCache* entry = Entry(site);
    ASSERT_NE(entry, nullptr) << site;
    Detail()->ShowSiteCache(entry, variable >= 0 ? entry->GetVariable(variable) : nullptr,
                            SiteItem(entry), force);
  }
  /** Form top in content coordinates (the content moves when the view scrolls). */
  static int Top(CWnd* form) { return form->GetWidget()->geometry().top(); }
  int CacheHeight() const { return Detail()->GetCacheFormSize().cy; }
  int CookieHeight() const { return Detail()->GetCookieFormHeight(); }
  int ScrollY() const { return Detail()->GetScrollPosition().y; }
  /** A pane smaller than the stack, so that there is something to scroll. */
  void Resize(int width, int height) const {
    Detail()->GetWidget()->resize(width, height);
    Pump();
  }
};

TEST_F(DetailView, StartShowsTheFirstEntryWithFormsStackedWithoutGaps) {
  CTolvaneView* view = Detail();
  ASSERT_NE(view, nullptr);
  ASSERT_NE(view->GetCacheForm(), nullptr);
  SiteCache* first = Catalogue()->GetEntry(0);
  EXPECT_EQ(view->GetShownCache(), first);
  ASSERT_EQ(view->GetCookieFormCount(), first->GetSize());

  CRect cache;
  view->GetCacheForm()->GetWindowRect(&cache);
  EXPECT_EQ(view->GetCacheFormSize(), cache.Size());
  EXPECT_GT(CacheHeight(), 0);
  EXPECT_GT(CookieHeight(), CacheHeight());  // 104 against 80 dialog units
  EXPECT_EQ(Top(view->GetCacheForm()), 0);
  for (int i = 0; i < view->GetCookieFormCount(); ++i) {
    CPersetCookieForm* form = view->GetCookieForm(i);
    EXPECT_EQ(form->GetPersetCookie(), first->GetVariable(i));
    EXPECT_EQ(Top(form), CacheHeight() + i * CookieHeight()) << i;
    EXPECT_EQ(form->GetWidget()->geometry().left(), 0);
    EXPECT_TRUE(form->IsWindowVisible());
    CRect rect;
    form->GetWindowRect(&rect);
    EXPECT_EQ(rect.Width(), cache.Width());
  }
  EXPECT_EQ(view->GetTotalSize(),
            CSize(cache.Width(), CacheHeight() + first->GetSize() * CookieHeight()));
}

TEST_F(DetailView, EntryWithoutVariablesShowsOnlyTheCacheForm) {
  Show("empty.example.com/");
  EXPECT_EQ(Detail()->GetShownCache(), Entry("empty.example.com/"));
  EXPECT_EQ(Detail()->GetCookieFormCount(), 0);
  EXPECT_EQ(Detail()->GetTotalSize(), Detail()->GetCacheFormSize());
  CString site;
  Detail()->GetCacheForm()->GetDlgItemText(IDC_SITE, site);
  EXPECT_EQ(site, "empty.example.com/");
}

TEST_F(DetailView, NoEntryBlanksTheCacheFormAndDropsEveryForm) {
  Show("many.example.com/");
  Detail()->ShowSiteCache(nullptr, nullptr, nullptr, true);
  EXPECT_EQ(Detail()->GetShownCache(), nullptr);
  EXPECT_EQ(Detail()->GetCookieFormCount(), 0);
  EXPECT_EQ(Detail()->GetTotalSize(), Detail()->GetCacheFormSize());
  EXPECT_EQ(Detail()->GetCacheForm()->GetSiteCache(), nullptr);
  for (int id : {IDC_SITE, IDC_LOCAL_FILE, IDC_EXPIRE_TIME, IDC_MODIFIED_TIME, IDC_ACCESS_TIME,
                 IDC_LAST_SYNC_TIME, IDC_SIZE, IDC_HIT_RATE}) {
    CString text;
    Detail()->GetCacheForm()->GetDlgItemText(id, text);
    EXPECT_TRUE(text.IsEmpty()) << id;
  }
}

TEST_F(DetailView, SelectingAnotherVariableOfTheShownEntryOnlyScrolls) {
  Resize(400, 300);
  Show("many.example.com/", 0);
  CPersetCookieForm* formBefore = Detail()->GetCookieForm(0);
  Show("many.example.com/", 3);
  EXPECT_EQ(Detail()->GetCookieForm(0), formBefore);  // not rebuilt
  EXPECT_EQ(ScrollY(), CacheHeight() + 3 * CookieHeight());

  // The site item of the shown entry neither rebuilds nor scrolls back to the top.
  Show("many.example.com/");
  EXPECT_EQ(Detail()->GetCookieForm(0), formBefore);
  EXPECT_EQ(ScrollY(), CacheHeight() + 3 * CookieHeight());
}

TEST_F(DetailView, ScrollPositionsAreLimitedToTheBottom) {
  Resize(400, 300);
  SiteCache* many = Entry("many.example.com/");
  const int bottom =
      CacheHeight() + 12 * CookieHeight() - Detail()->GetClientWidget()->parentWidget()->height();
  ASSERT_GT(bottom, 0);
  ASSERT_LT(bottom, CacheHeight() + 11 * CookieHeight());  // the last form cannot reach the top
  Show("many.example.com/", 11);
  EXPECT_EQ(ScrollY(), bottom);

  // A variable that is not the entry's scrolls just past the last form: the bottom.
  Show("many.example.com/", 0);
  PersetCookie stranger;
  Detail()->ShowSiteCache(many, &stranger, SiteItem(many), false);
  EXPECT_EQ(ScrollY(), bottom);
}

TEST_F(DetailView, ForcedRebuildOfTheShownEntryMakesNewFormsAndScrollsToTheVariable) {
  Resize(400, 300);
  Show("many.example.com/", 5);
  SiteCache* many = Entry("many.example.com/");
  many->GetVariable(2)->m_strName = "renamed";
  Show("many.example.com/", -1, true);
  EXPECT_EQ(ScrollY(), 0);
  ASSERT_EQ(Detail()->GetCookieFormCount(), 12);
  CString name;
  Detail()->GetCookieForm(2)->GetDlgItemText(IDC_NAME, name);
  EXPECT_EQ(name, "renamed");

  Show("many.example.com/", 4, true);
  EXPECT_EQ(ScrollY(), CacheHeight() + 4 * CookieHeight());
}

TEST_F(DetailView, CookieFormHeightIsMeasuredOnceForTheLifeOfTheView) {
  Show("many.example.com/");
  const int measured = CookieHeight();
  ASSERT_GT(measured, 0);
  // A later, differently sized form must not change the pitch of the stack.
  Detail()->GetCookieForm(0)->GetWidget()->resize(100, measured + 50);
  Show("c.example.com/");
  Show("many.example.com/");
  EXPECT_EQ(CookieHeight(), measured);
  EXPECT_EQ(Top(Detail()->GetCookieForm(5)), CacheHeight() + 5 * measured);
}

}  // namespace
}  // namespace tolvane::test
