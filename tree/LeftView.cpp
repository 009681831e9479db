#include "tree/LeftView.h"

#include <memory>

#include "app/TolvaneApp.h"
#include "app/TolvaneDoc.h"
#include "detail/TolvaneView.h"
#include "model/SiteCache.h"
#include "model/SiteCacheList.h"
#include "res/ResourceIds.h"

IMPLEMENT_DYNCREATE(CLeftView, CTreeView)

// clang-format off
BEGIN_MESSAGE_MAP(CLeftView, CTreeView)
  ON_WM_DESTROY()
  ON_NOTIFY_REFLECT(TVN_SELCHANGED, OnSelChanged)
  ON_NOTIFY_REFLECT(NM_RCLICK, OnRClick)
  ON_COMMAND(ID_EXPAND_TOGGLE, ToggleExpandAll)
  ON_COMMAND(ID_DELETE_ITEM, OnDeleteItem)
  ON_COMMAND(ID_COMMIT, OnCommit)
  ON_COMMAND(ID_COPY_ADD_VARIABLE, OnCopyAddVariable)
  ON_COMMAND(ID_ABORT_RELOAD, OnAbortReload)
  ON_COMMAND(ID_COPY_ADD_CACHE, OnCopyAddCache)
END_MESSAGE_MAP()
// clang-format on

CLeftView::CLeftView() = default;

CLeftView::~CLeftView() = default;

CTolvaneDoc* CLeftView::GetDocument() const { return static_cast<CTolvaneDoc*>(m_pDocument); }

BOOL CLeftView::PreCreateWindow(CREATESTRUCT& cs) { return CTreeView::PreCreateWindow(cs); }

void CLeftView::OnDraw(CDC*) {}

void CLeftView::OnInitialUpdate() {
  CTreeView::OnInitialUpdate();

  auto images = std::make_unique<CImageList>();
  images->Create(16, 16, ILC_COLOR24 | ILC_MASK, 4, 4);
  CWinApp* app = AfxGetApp();
  images->Add(app->LoadIcon(IDI_SITE));
  images->Add(app->LoadIcon(IDI_VARIABLE));
  images->Add(app->LoadIcon(IDI_MARK_LOADING));
  images->Add(app->LoadIcon(IDI_MARK_MODIFIED));
  // Overlay n marks state n.
  images->SetOverlayImage(2, kStateLoading);
  images->SetOverlayImage(3, kStateModified);
  // The control does not own its list; OnDestroy frees it. A second initial update replaces it.
  delete GetTreeCtrl().SetImageList(images.release(), TVSIL_NORMAL);

  ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
}

void CLeftView::OnDestroy() {
  CTreeCtrl& tree = GetTreeCtrl();
  if (CImageList* images = tree.GetImageList(TVSIL_NORMAL)) {
    tree.SetImageList(nullptr, TVSIL_NORMAL);
    delete images;
  }
  CTreeView::OnDestroy();
}

void CLeftView::OnUpdate(CView*, LPARAM, CObject*) {
  CTolvaneDoc* doc = GetDocument();
  SiteCacheList* catalogue = doc ? doc->m_pCatalogue : nullptr;
  CTolvaneView* detail = doc ? doc->GetDetailView() : nullptr;
  CTreeCtrl& tree = GetTreeCtrl();

  // The items may point at records the catalogue has already destroyed: drop the selection and
  // the items without reading their data, and unbind the forms, before inserting anything.
  ShowWindow(SW_HIDE);
  tree.SelectItem(nullptr);
  DeleteAllTreeItems();
  if (detail) detail->ShowSiteCache(nullptr, nullptr, nullptr, true);

  const bool expand = TolvaneApp()->m_bTreeExpanded;
  for (int i = 0; catalogue && i < catalogue->GetSize(); ++i) {
    SiteCache* entry = catalogue->GetEntry(i);
    HTREEITEM siteItem = InsertSiteItem(entry);
    for (int j = 0; j < entry->GetSize(); ++j) InsertVariableItem(siteItem, entry->GetVariable(j));
    if (expand) tree.Expand(siteItem, TVE_EXPAND);
  }
  ShowWindow(SW_SHOW);
}

void CLeftView::OnSelChanged(NMHDR* pNMHDR, LRESULT* pResult) {
  const auto* info = reinterpret_cast<const NMTREEVIEW*>(pNMHDR);
  *pResult = 0;
  // A selection of none carries no item; classifying it would fall back to whatever the
  // control still calls selected, which during a rebuild may point at destroyed records.
  if (!info->itemNew.hItem) return;
  SiteCache* entry = nullptr;
  PersetCookie* variable = nullptr;
  HTREEITEM siteItem = nullptr;
  ClassifyItem(info->itemNew.hItem, &entry, &variable, &siteItem, nullptr);
  CTolvaneDoc* doc = GetDocument();
  CTolvaneView* detail = doc ? doc->GetDetailView() : nullptr;
  if (entry && detail) detail->ShowSiteCache(entry, variable, siteItem, false);
}

void CLeftView::OnRClick(NMHDR*, LRESULT* pResult) {
  *pResult = 0;
  CTreeCtrl& tree = GetTreeCtrl();
  CPoint pt;
  GetCursorPos(&pt);
  tree.ScreenToClient(&pt);
  HTREEITEM item = tree.HitTest(pt);
  if (!item) return;
  if (item != tree.GetSelectedItem()) tree.SelectItem(item);

  PersetCookie* variable = nullptr;
  if (ClassifyItem(item, nullptr, &variable, nullptr, nullptr) <= kNothing) return;
  CMenu menu;
  if (!menu.LoadMenu(IDR_POPUP)) return;
  if (CMenu* popup = menu.GetSubMenu(0)) {
    if (variable) {
      popup->EnableMenuItem(ID_ABORT_RELOAD, MF_BYCOMMAND | MF_GRAYED);
      popup->EnableMenuItem(ID_COMMIT, MF_BYCOMMAND | MF_GRAYED);
      popup->EnableMenuItem(ID_COPY_ADD_CACHE, MF_BYCOMMAND | MF_GRAYED);
    }
    GetCursorPos(&pt);
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, pt.x, pt.y, this);
  }
  menu.DestroyMenu();
}
