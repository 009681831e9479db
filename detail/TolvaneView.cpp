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

  if (entry != m_pShownCache || force) {
    auto* doc = dynamic_cast<CTolvaneDoc*>(GetDocument());
    CLeftView* tree = doc ? doc->GetTreeView() : nullptr;
    ClearCookieForms();
    ScrollToPosition(CPoint(0, 0));
    m_pCacheForm->SetSiteCache(entry, tree, entryItem);

    int y = m_sizeCacheForm.cy;
    if (entry) {
      const int count = entry->GetSize();
      for (int i = 0; i < count; ++i) {
        auto* form = new CPersetCookieForm(this);
        m_cookieForms.Add(form);
        form->Create(IDD_PERSETCOOKIE_FORM, this);
        if (m_cyCookieForm == 0) {
          CRect rect;
          form->GetWindowRect(&rect);
          m_cyCookieForm = rect.Height();
        }
        PersetCookie* cookie = entry->GetVariable(i);
        HTREEITEM item = tree ? tree->FindVariableItem(entryItem, cookie) : nullptr;
        form->SetPersetCookie(cookie, tree, item);
        form->SetWindowPos(nullptr, 0, y, 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        y += m_cyCookieForm;
      }
    }
    SetScrollSizes(MM_TEXT, CSize(m_sizeCacheForm.cx, y), sizeDefault, sizeDefault);
    m_pShownCache = entry;
  }

  if (variable) {
    int index = 0;
    const int count = entry ? entry->GetSize() : 0;
    while (index < count && entry->GetVariable(index) != variable) ++index;
    ScrollToPosition(CPoint(0, m_sizeCacheForm.cy + index * m_cyCookieForm));
  }
  if (entry || variable) UpdateBars();
}

void CTolvaneView::ClearCookieForms() {
  for (void* p : m_cookieForms.items()) {
    auto* form = static_cast<CPersetCookieForm*>(p);
    form->DestroyWindow();
    delete form;
  }
  m_cookieForms.SetSize(0, -1);
}

void CTolvaneView::OnDestroy() {
  CScrollView::OnDestroy();
  if (m_pCacheForm) {
    m_pCacheForm->DestroyWindow();
    delete m_pCacheForm;
    m_pCacheForm = nullptr;
  }
  ClearCookieForms();
}
