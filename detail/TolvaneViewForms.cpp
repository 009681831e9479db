// The detail view's variable forms: made for the places in sight and reused as the pane scrolls.
#include <QWidget>
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "detail/PersetCookieForm.h"
#include "detail/SiteCacheForm.h"
#include "detail/TolvaneView.h"
#include "model/SiteCache.h"
#include "res/ResourceIds.h"
#include "tree/LeftView.h"

namespace {

constexpr int kNoFocus = -2;
constexpr int kCacheFormFocus = -1;
// Forms kept while scrolling: twice those in sight, and at least this many, so that scrolling
// back a little finds its forms still filled.
constexpr int kMinKeptForms = 16;

}  // namespace

void CTolvaneView::OnScrolled() { LayOutForms(); }

bool CTolvaneView::PlacesInSight(int* first, int* last) const {
  const int count = std::min(m_nStackSize, m_pShownCache ? m_pShownCache->GetSize() : 0);
  if (count <= 0 || m_cyCookieForm <= 0) return false;
  CRect client;
  GetClientRect(&client);
  // One form's height beyond each edge: the neighbours a Tab or a short scroll reaches are made.
  const long long top = GetScrollPosition().y - m_cyCookieForm - m_sizeCacheForm.cy;
  const long long bottom = top + client.Height() + 2LL * m_cyCookieForm;
  if (bottom < 0) return false;
  *first = int(std::clamp<long long>(top / m_cyCookieForm, 0, count - 1));
  *last = int(std::clamp<long long>(bottom / m_cyCookieForm, 0, count - 1));
  return true;
}

int CTolvaneView::FocusPlace() const {
  // The window's focus, not the application's: it stays on the form while a dialog of the form
  // is open.
  const QWidget* focus = GetWidget() ? GetWidget()->window()->focusWidget() : nullptr;
  if (!focus) return kNoFocus;
  if (m_pCacheForm && m_pCacheForm->GetWidget() && m_pCacheForm->GetWidget()->isAncestorOf(focus))
    return kCacheFormFocus;
  for (const StackedForm& slot : m_cookieForms) {
    if (slot.form->GetWidget() && slot.form->GetWidget()->isAncestorOf(focus)) return slot.index;
  }
  return kNoFocus;
}

void CTolvaneView::LayOutForms() {
  if (m_nHoldLayout > 0 || !m_pCacheForm) return;
  int first = 0;
  int last = -1;
  if (!PlacesInSight(&first, &last)) return;
  ++m_nHoldLayout;
  const int count = std::min(m_nStackSize, m_pShownCache->GetSize());
  const int focus = FocusPlace();
  // Tab order is stack order, so that Tab and Shift+Tab always find the next form where it was
  // when every form existed: beside the focused one (the first form follows the cache form),
  // and last in the window's chain, where Shift+Tab from its first control wraps to.
  if (focus != kNoFocus) {
    for (int index = std::max(0, focus - 1); index <= std::min(count - 1, focus + 1); ++index)
      if (!FindCookieForm(index)) ProvideForm(index, first, last, focus);
  }
  for (int index = first; index <= last; ++index)
    if (!FindCookieForm(index)) ProvideForm(index, first, last, focus);
  if (!FindCookieForm(count - 1)) ProvideForm(count - 1, first, last, focus);
  --m_nHoldLayout;
}

CPersetCookieForm* CTolvaneView::FindCookieForm(int index) const {
  for (const StackedForm& slot : m_cookieForms) {
    if (slot.index == index) return slot.form;
  }
  return nullptr;
}

CPersetCookieForm* CTolvaneView::GetCookieForm(int index) {
  if (!m_pShownCache || index < 0 || index >= std::min(m_nStackSize, m_pShownCache->GetSize()))
    return nullptr;
  if (CPersetCookieForm* form = FindCookieForm(index)) return form;
  int first = 0;
  int last = -1;
  PlacesInSight(&first, &last);
  ++m_nHoldLayout;
  CPersetCookieForm* form = ProvideForm(index, first, last, FocusPlace());
  --m_nHoldLayout;
  return form;
}

CPersetCookieForm* CTolvaneView::ProvideForm(int index, int first, int last, int focus) {
  const int inSight = std::max(0, last - first + 1);
  const size_t keep = size_t(std::max(kMinKeptForms, 2 * inSight + 3));
  StackedForm* reuse = nullptr;
  if (m_cookieForms.size() >= keep) {
    // The form farthest out of sight, unless it holds the focus or has a dialog open.
    long long farthest = -1;
    for (StackedForm& slot : m_cookieForms) {
      if ((slot.index >= first && slot.index <= last) || std::abs(slot.index - focus) <= 1 ||
          slot.index == m_nStackSize - 1 || slot.form->IsBusy())
        continue;
      const long long distance =
          slot.index < first ? first - slot.index : (long long)slot.index - last;
      if (distance > farthest) {
        farthest = distance;
        reuse = &slot;
      }
    }
  }
  if (!reuse) {
    auto* form = new CPersetCookieForm(this);
    form->Create(IDD_PERSETCOOKIE_FORM, this);
    if (m_cyCookieForm == 0) {
      CRect rect;
      form->GetWindowRect(&rect);
      m_cyCookieForm = rect.Height();
    }
    m_cookieForms.push_back(StackedForm{form, -1});
    reuse = &m_cookieForms.back();
  }
  PlaceForm(*reuse, index);
  return reuse->form;
}

void CTolvaneView::PlaceForm(StackedForm& slot, int index) {
  slot.index = index;
  PersetCookie* variable = m_pShownCache->GetVariable(index);
  HTREEITEM item = m_pShownTree ? m_pShownTree->FindVariableItem(m_hShownItem, variable) : nullptr;
  slot.form->SetPersetCookie(variable, m_pShownTree, item);

  // Tab goes through the forms in stack order: this one follows the nearest form above it.
  CWnd* above = m_pCacheForm;
  int aboveIndex = INT_MIN;
  for (const StackedForm& other : m_cookieForms) {
    if (other.index < index && other.index > aboveIndex && other.form != slot.form) {
      aboveIndex = other.index;
      above = other.form;
    }
  }
  // Children sit in client coordinates, which move as the view scrolls.
  const CPoint scroll = GetScrollPosition();
  slot.form->SetWindowPos(above, -scroll.x, m_sizeCacheForm.cy + index * m_cyCookieForm - scroll.y,
                          0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}
