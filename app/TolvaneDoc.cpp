#include "app/TolvaneDoc.h"

#include <shellapi.h>

#include <cerrno>
#include <iterator>

#include "app/OpenStoreDlg.h"
#include "app/TolvaneApp.h"
#include "detail/SearchDlg.h"
#include "detail/SortDlg.h"
#include "detail/TolvaneView.h"
#include "model/SiteCacheList.h"
#include "model/TextExport.h"
#include "model/TimeText.h"
#include "platform/CookiesTxt.h"
#include "platform/PathText.h"
#include "platform/UrlCacheStore.h"
#include "res/ResourceIds.h"
#include "tree/LeftView.h"

namespace {

// Sort dialog item -> catalogue key.
const int kSortKeys[] = {
    SiteCacheList::kSortSite,          // "ﾄﾞﾒｲﾝ名のｱﾙﾌｧﾍﾞｯﾄ順"
    SiteCacheList::kSortLastSyncTime,  // "最終利用日時（同期）順"
    SiteCacheList::kSortModifiedTime,  // "最終登録日時（変更）順"
    SiteCacheList::kSortExpireTime,    // "有効期限順"
    SiteCacheList::kSortHitRate,       // "利用頻度順"
};

const DWORD kExportFlags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                           OFN_PATHMUSTEXIST | OFN_CREATEPROMPT | OFN_NOREADONLYRETURN |
                           OFN_NOTESTFILECREATE | OFN_EXPLORER | OFN_LONGNAMES | OFN_ENABLESIZING;
static_assert(kExportFlags == 0x00A9A80Eu);

/** Why an export could not be written, in the user's words. */
const char* ExportFailureReason(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
      return "ﾃﾞｨｽｸの空き容量が足りません.";
    case EACCES:
    case EPERM:
    case EROFS:
      return "ﾌｧｲﾙに書き込む権限がありません.";
    case ENOENT:
    case ENOTDIR:
      return "指定されたﾌｫﾙﾀﾞが見つかりません.";
    case EISDIR:
      return "指定された名前はﾌｫﾙﾀﾞです.";
    default:
      return "ﾌｧｲﾙの書き込みに失敗しました.";
  }
}

}  // namespace

IMPLEMENT_DYNCREATE(CTolvaneDoc, CDocument)

BEGIN_MESSAGE_MAP(CTolvaneDoc, CDocument)
ON_COMMAND(ID_SORT, OnSort)
ON_COMMAND(ID_EXPAND_TOGGLE, OnExpandToggle)
ON_COMMAND(ID_SEARCH, OnSearch)
ON_COMMAND(ID_SEARCH_NEXT, OnSearchNext)
ON_COMMAND(ID_FILE_NEW, OnReload)
ON_COMMAND(ID_FILE_SAVE, OnSaveAll)
ON_COMMAND(ID_FILE_SAVE_AS, OnExportText)
ON_COMMAND(ID_TOGGLE_GMT, OnToggleGmt)
ON_UPDATE_COMMAND_UI(ID_TOGGLE_GMT, OnUpdateToggleGmt)
ON_COMMAND(ID_STORE_OPEN, OnStoreOpen)
ON_COMMAND(ID_EXPORT_SITE_COOKIES_TXT, OnExportSiteCookiesTxt)
ON_COMMAND(ID_EXPORT_ALL_COOKIES_TXT, OnExportAllCookiesTxt)
ON_UPDATE_COMMAND_UI(ID_EXPORT_SITE_COOKIES_TXT, OnUpdateExportSiteCookiesTxt)
ON_UPDATE_COMMAND_UI(ID_EXPORT_ALL_COOKIES_TXT, OnUpdateExportAllCookiesTxt)
END_MESSAGE_MAP()

CTolvaneDoc::CTolvaneDoc() : m_pCatalogue(new SiteCacheList) {}

CTolvaneDoc::~CTolvaneDoc() { delete m_pCatalogue; }

CLeftView* CTolvaneDoc::GetTreeView() {
  POSITION pos = GetFirstViewPosition();
  while (pos != nullptr) {
    CView* view = GetNextView(pos);
    if (view->IsKindOf(RUNTIME_CLASS(CLeftView))) return static_cast<CLeftView*>(view);
  }
  return nullptr;
}

CTolvaneView* CTolvaneDoc::GetDetailView() {
  POSITION pos = GetFirstViewPosition();
  while (pos != nullptr) {
    CView* view = GetNextView(pos);
    if (view->IsKindOf(RUNTIME_CLASS(CTolvaneView))) return static_cast<CTolvaneView*>(view);
  }
  return nullptr;
}

bool CTolvaneDoc::ConfirmDiscard() {
  if (m_pCatalogue == nullptr) return false;
  bool modified = false;
  for (int i = 0; i < m_pCatalogue->GetSize() && !modified; ++i) {
    modified = m_pCatalogue->GetEntry(i)->m_nState == kStateModified;
  }
  if (!modified) return false;
  return AfxMessageBox(afx::Cp932("変更が保存されませんが、よろしいですか？"),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES;
}

BOOL CTolvaneDoc::IsModified() { return m_bModified; }

void CTolvaneDoc::SetModifiedFlag(BOOL bModified) { m_bModified = bModified; }

BOOL CTolvaneDoc::SaveModified() { return !ConfirmDiscard(); }

BOOL CTolvaneDoc::OnNewDocument() {
  if (!CDocument::OnNewDocument()) return FALSE;
  m_pCatalogue->Load();
  SortBySettings();
  // A store that can only be read says so where the user looks first; commits are refused.
  CString title = m_pCatalogue->m_strCookieFolder;
  if (platform::UrlCacheIsReadOnly()) title += afx::Cp932(" [読み取り専用]");
  SetTitle(title);
  return TRUE;
}

void CTolvaneDoc::SortBySettings() {
  const CTolvaneApp* app = TolvaneApp();
  const int item = app ? app->m_nLastSortKey : 0;
  const int order = app ? app->m_nLastSortOrder : 0;
  // A key outside the list cannot come from the dialog; never index past the table.
  const int key = item >= 0 && item < int(std::size(kSortKeys)) ? kSortKeys[item] : kSortKeys[0];
  m_pCatalogue->Sort(key, order != 0);
}

void CTolvaneDoc::UpdateViewsAndSelectFirst() {
  UpdateAllViews(nullptr, 0, nullptr);
  if (CLeftView* tree = GetTreeView()) tree->SelectFirstSite();
}

void CTolvaneDoc::OnSort() {
  CTolvaneApp* app = TolvaneApp();
  CSortDlg dlg;
  dlg.m_nSortKey = app->m_nLastSortKey;
  dlg.m_nOrder = app->m_nLastSortOrder;
  if (dlg.DoModal() != IDOK) return;
  app->m_nLastSortKey = dlg.m_nSortKey;
  app->m_nLastSortOrder = dlg.m_nOrder;
  SortBySettings();
  UpdateViewsAndSelectFirst();
}

void CTolvaneDoc::OnExpandToggle() {
  if (CLeftView* tree = GetTreeView()) tree->ToggleExpandAll();
}

void CTolvaneDoc::OnSearch() {
  CTolvaneApp* app = TolvaneApp();
  CSearchDlg dlg;
  dlg.m_bDomain = (app->m_nFindTargets & 1) ? 1 : 0;
  dlg.m_bName = (app->m_nFindTargets & 2) ? 1 : 0;
  dlg.m_bValue = (app->m_nFindTargets & 4) ? 1 : 0;
  dlg.m_strFind = app->m_strLastFind;
  dlg.m_bFromNext = app->m_bLastFromNext;
  if (dlg.DoModal() != IDOK) return;
  const int targets = (dlg.m_bDomain ? 1 : 0) + (dlg.m_bName ? 2 : 0) + (dlg.m_bValue ? 4 : 0);
  app->m_nFindTargets = targets;
  app->m_strLastFind = dlg.m_strFind;
  app->m_bLastFromNext = dlg.m_bFromNext;
  if (CLeftView* tree = GetTreeView()) tree->SearchTree(dlg.m_strFind, targets, dlg.m_bFromNext);
}

void CTolvaneDoc::OnSearchNext() {
  const CTolvaneApp* app = TolvaneApp();
  if (CLeftView* tree = GetTreeView()) {
    tree->SearchTree(app->m_strLastFind, app->m_nFindTargets & 7, TRUE);
  }
}

void CTolvaneDoc::OnReload() {
  if (ConfirmDiscard()) return;
  OnNewDocument();
  UpdateViewsAndSelectFirst();
}

void CTolvaneDoc::OnSaveAll() {
  bool saved = false;
  for (int i = 0; i < m_pCatalogue->GetSize(); ++i) {
    SiteCache* entry = m_pCatalogue->GetEntry(i);
    if (entry->m_nState != kStateModified) continue;
    saved = true;
    m_pCatalogue->CommitEntry(entry, true);  // a failure shows its own box
  }
  if (saved) UpdateViewsAndSelectFirst();
}

void CTolvaneDoc::OnExportText() {
  CFileDialog dlg(FALSE, "txt", nullptr, kExportFlags,
                  afx::Cp932("ﾃｷｽﾄﾌｧｲﾙ (*.TXT)|*.txt|全て(*.*)|*.*||"), nullptr);
  if (dlg.DoModal() != IDOK) return;
  if (!WriteTextExport(*m_pCatalogue, dlg.GetFileSystemPath())) {
    const int error = errno;
    CString text = afx::Cp932("ﾃｷｽﾄ形式の出力に失敗しました.\r\n");
    text += dlg.GetPathName();
    text += "\r\n";
    text += afx::Cp932(ExportFailureReason(error));
    AfxMessageBox(text, MB_OK | MB_ICONSTOP);
    return;
  }
  if (AfxMessageBox(afx::Cp932("出力が完了しました.\r\nﾌｧｲﾙを開きますか?"),
                    MB_YESNO | MB_ICONQUESTION) == IDYES) {
    ShellExecuteA(nullptr, "open", dlg.GetPathName(), nullptr, nullptr, SW_SHOWNORMAL);
  }
}

void CTolvaneDoc::OnToggleGmt() {
  if (ConfirmDiscard()) return;
  g_bGmtMode = g_bGmtMode ? 0 : 1;
  OnNewDocument();
  UpdateViewsAndSelectFirst();
  if (CTolvaneApp* app = TolvaneApp()) app->ShowTimeMode(g_bGmtMode);
}

void CTolvaneDoc::OnUpdateToggleGmt(CCmdUI* pCmdUI) { pCmdUI->SetCheck(g_bGmtMode ? 1 : 0); }

bool CTolvaneDoc::OpenStore(const platform::StoreLocation& location) {
  if (ConfirmDiscard()) return false;
  platform::SetStoreLocation(location.Text());
  m_pCatalogue->FindCookieFolder();
  OnNewDocument();
  UpdateViewsAndSelectFirst();
  return true;
}

void CTolvaneDoc::OnStoreOpen() {
  COpenStoreDlg dlg;
  dlg.m_stores = platform::FindStores();
  dlg.m_strLocation = CString(platform::PathToProgram(platform::StoreLocationText()));
  if (dlg.DoModal() != IDOK) return;
  OpenStore(dlg.m_location);
}

void CTolvaneDoc::OnExportSiteCookiesTxt() {
  SiteCache* entry = nullptr;
  CLeftView* tree = GetTreeView();
  if (tree == nullptr ||
      tree->ClassifyItem(nullptr, &entry, nullptr, nullptr, nullptr) == CLeftView::kNothing ||
      entry == nullptr) {
    return;
  }
  ExportCookiesTxt({entry});
}

void CTolvaneDoc::OnExportAllCookiesTxt() {
  std::vector<SiteCache*> entries;
  for (int i = 0; i < m_pCatalogue->GetSize(); ++i) entries.push_back(m_pCatalogue->GetEntry(i));
  ExportCookiesTxt(entries);
}

void CTolvaneDoc::OnUpdateExportSiteCookiesTxt(CCmdUI* pCmdUI) {
  CLeftView* tree = GetTreeView();
  pCmdUI->Enable(tree != nullptr && tree->ClassifyItem(nullptr, nullptr, nullptr, nullptr,
                                                       nullptr) != CLeftView::kNothing);
}

void CTolvaneDoc::OnUpdateExportAllCookiesTxt(CCmdUI* pCmdUI) {
  pCmdUI->Enable(m_pCatalogue->GetSize() > 0);
}

void CTolvaneDoc::ExportCookiesTxt(const std::vector<SiteCache*>& entries) {
  CFileDialog dlg(FALSE, "txt", "cookies.txt",
                  OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST,
                  afx::Cp932("cookies.txt (*.txt)|*.txt|全て(*.*)|*.*||"), nullptr);
  if (dlg.DoModal() != IDOK) return;
  // What the window shows is written, edits not yet committed included.
  std::string records;
  for (const SiteCache* entry : entries) records += entry->CookieFileText().str();
  int count = 0;
  platform::CookiesTxtFailure failure;
  if (platform::WriteCookiesTxt(dlg.GetFileSystemPath(), records, count, failure)) {
    AfxMessageBox(
        afx::Cp932("cookies.txt に " + std::to_string(count) + " 個のCookieを出力しました."),
        MB_OK | MB_ICONINFORMATION);
    return;
  }
  CString text = afx::Cp932("cookies.txt の出力に失敗しました.\r\n");
  text += dlg.GetPathName();
  text += "\r\n";
  switch (failure.kind) {
    case platform::CookiesTxtFailure::Kind::NotStorable:
      text += afx::Cp932(
          "cookies.txt に書けない文字（ﾀﾌﾞ、制御文字、UTF-8 でない文字）を含むCookieがあります: ");
      text += CString(failure.cookie);
      break;
    case platform::CookiesTxtFailure::Kind::NotWritten:
      text += afx::Cp932(ExportFailureReason(failure.error));
      break;
    default:
      text += afx::Cp932("Cookieの内容を読み取れません.");
      break;
  }
  AfxMessageBox(text, MB_OK | MB_ICONSTOP);
}
