#include "detail/TolvaneView.h"

#include "app/MainFrame.h"
#include "app/TolvaneDoc.h"
#include "detail/PersetCookieForm.h"
#include "detail/SiteCacheForm.h"
#include "model/SiteCache.h"
#include "model/TimeText.h"
#include "res/ResourceIds.h"
#include "tree/LeftView.h"

IMPLEMENT_DYNCREATE(CTolvaneView, CScrollView)

BEGIN_MESSAGE_MAP(CTolvaneView, CScrollView)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CTolvaneView::CTolvaneView() = default;

CTolvaneView::~CTolvaneView() {
  // The forms are gone with the window; this only guards a view that never got one.
  ClearCookieForms();
  delete m_pCacheForm;
  m_brushBack.DeleteObject();
}

BOOL CTolvaneView::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                          const RECT& rect, CWnd* pParentWnd, UINT nID, CCreateContext* pContext) {
  (void)lpszClassName;  // the pane paints with its own button-face class
  m_brushBack.CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  LPCTSTR className =
      AfxRegisterWndClass(CS_DBLCLKS, nullptr, m_brushBack.GetSafeHandle(), nullptr);
  return CWnd::Create(className, lpszWindowName, dwStyle, rect, pParentWnd, nID, pContext);
}

void CTolvaneView::OnInitialUpdate() {
  CScrollView::OnInitialUpdate();

  m_pCacheForm = new CSiteCacheForm(this);
  m_pCacheForm->Create(IDD_SITECACHE_FORM, this);
  m_pCacheForm->ShowWindow(SW_SHOW);

  CRect rect;
  m_pCacheForm->GetWindowRect(&rect);
  m_sizeCacheForm = rect.Size();
  SetScrollSizes(MM_TEXT, m_sizeCacheForm, sizeDefault, sizeDefault);

  if (auto* frame = dynamic_cast<CMainFrame*>(GetParentFrame())) {
    frame->FitTreeColumn(m_sizeCacheForm.cx);
    frame->ShowTimeMode(g_bGmtMode);
  }
  if (auto* doc = dynamic_cast<CTolvaneDoc*>(GetDocument())) {
    if (CLeftView* tree = doc->GetTreeView()) tree->SelectFirstSite();
  }
}

void CTolvaneView::OnDraw(CDC* pDC) { (void)pDC; }

void CTolvaneView::ShowSiteCache(SiteCache* entry, PersetCookie* variable, HTREEITEM entryItem,
                                 bool force) {
  if (!m_pCacheForm) return;

  // The scroll moves below would lay out the old stack, or a half-built one.
  ++m_nHoldLayout;
  if (entry != m_pShownCache || force) {
    auto* doc = dynamic_cast<CTolvaneDoc*>(GetDocument());
    CLeftView* tree = doc ? doc->GetTreeView() : nullptr;
    ClearCookieForms();
    ScrollToPosition(CPoint(0, 0));
    m_pCacheForm->SetSiteCache(entry, tree, entryItem);

    m_pShownCache = entry;
    m_pShownTree = tree;
    m_hShownItem = entryItem;
    m_nStackSize = entry ? entry->GetSize() : 0;
    // The first variable form ever made gives every form's height.
    if (m_nStackSize > 0 && m_cyCookieForm == 0) ProvideForm(0, 0, 0, -2);
    SetScrollSizes(MM_TEXT,
                   CSize(m_sizeCacheForm.cx, m_sizeCacheForm.cy + m_nStackSize * m_cyCookieForm),
                   sizeDefault, sizeDefault);
  }

  if (variable) {
    int index = 0;
    const int count = entry ? entry->GetSize() : 0;
    while (index < count && entry->GetVariable(index) != variable) ++index;
    ScrollToPosition(CPoint(0, m_sizeCacheForm.cy + index * m_cyCookieForm));
  }
  if (entry || variable) UpdateBars();
  --m_nHoldLayout;
  LayOutForms();
}

void CTolvaneView::ClearCookieForms() {
  for (const StackedForm& slot : m_cookieForms) {
    slot.form->DestroyWindow();
    delete slot.form;
  }
  m_cookieForms.clear();
  m_nStackSize = 0;
}

void CTolvaneView::OnDestroy() {
  ++m_nHoldLayout;  // for good: nothing is made again while the window goes
  CScrollView::OnDestroy();
  if (m_pCacheForm) {
    m_pCacheForm->DestroyWindow();
    delete m_pCacheForm;
    m_pCacheForm = nullptr;
  }
  ClearCookieForms();
}
