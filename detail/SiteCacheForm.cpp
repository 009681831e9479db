#include "detail/SiteCacheForm.h"

#include <windows.h>

#include "detail/DateInputDlg.h"
#include "model/SiteCache.h"
#include "res/ResourceIds.h"
#include "tree/LeftView.h"

BEGIN_MESSAGE_MAP(CSiteCacheForm, CDialog)
ON_EN_SETFOCUS(IDC_EXPIRE_TIME, OnSetFocusExpire)
ON_EN_SETFOCUS(IDC_MODIFIED_TIME, OnSetFocusModified)
ON_EN_CHANGE(IDC_SITE, OnChangeSite)
END_MESSAGE_MAP()

CSiteCacheForm::CSiteCacheForm(CWnd* pParent) : CDialog(IDD_SITECACHE_FORM, pParent) {}

CSiteCacheForm::~CSiteCacheForm() = default;

BOOL CSiteCacheForm::OnInitDialog() {
  CDialog::OnInitDialog();
  m_pSiteCache = nullptr;
  m_pTree = nullptr;
  m_hItem = nullptr;
  return FALSE;  // creating the form must not pull the focus into it
}

CString CSiteCacheForm::FormatSize(DWORD sizeLow, DWORD sizeHigh) {
  CString text;
  if (sizeHigh != 0)
    text = "Over 4GB";
  else if (sizeLow > 1073741824u)
    text.Format("%d GB", int(sizeLow >> 30));
  else if (sizeLow > 1048576u)
    text.Format("%d MB", int(sizeLow >> 20));
  else if (sizeLow > 1024u)
    text.Format("%d KB", int(sizeLow >> 10));
  else
    text.Format("%d", int(sizeLow));
  return text;
}

CString CSiteCacheForm::FileNamePart(const char* path) {
  char name[_MAX_FNAME];
  char ext[_MAX_EXT];
  _splitpath(path, nullptr, nullptr, name, ext);
  return CString(name) + ext;
}

void CSiteCacheForm::SetSiteCache(SiteCache* entry, CLeftView* tree, HTREEITEM item) {
  m_pSiteCache = entry;
  m_pTree = tree;
  m_hItem = item;

  if (!entry) {
    for (int id : {IDC_SITE, IDC_LOCAL_FILE, IDC_EXPIRE_TIME, IDC_MODIFIED_TIME, IDC_ACCESS_TIME,
                   IDC_LAST_SYNC_TIME, IDC_SIZE, IDC_HIT_RATE})
      SetDlgItemText(id, "");
    return;
  }
  SetDlgItemText(IDC_SITE, entry->m_strSite);
  SetDlgItemText(IDC_LOCAL_FILE, FileNamePart(entry->m_strLocalFile));
  SetDlgItemText(IDC_EXPIRE_TIME, entry->m_strExpireTime);
  SetDlgItemText(IDC_MODIFIED_TIME, entry->m_strModifiedTime);
  SetDlgItemText(IDC_ACCESS_TIME, entry->m_strAccessTime);
  SetDlgItemText(IDC_LAST_SYNC_TIME, entry->m_strLastSyncTime);
  SetDlgItemText(IDC_SIZE, FormatSize(entry->m_dwSizeLow, entry->m_dwSizeHigh));
  CString hits;
  hits.Format("%d", int(entry->m_dwHitRate));
  SetDlgItemText(IDC_HIT_RATE, hits);
}

void CSiteCacheForm::MarkModified() {
  m_pSiteCache->m_nState = kStateModified;
  if (m_pTree) m_pTree->RefreshSiteItem(m_hItem, m_pSiteCache);
}

void CSiteCacheForm::EditTime(int id, CString SiteCache::*field) {
  if (!m_pSiteCache) return;
  CWnd* edit = GetDlgItem(id);
  CString text;
  GetDlgItemText(id, text);
  if (EditDateTime(text, edit) != 1) return;
  SetDlgItemText(id, text);
  m_pSiteCache->*field = text;
  MarkModified();
}

void CSiteCacheForm::OnSetFocusExpire() { EditTime(IDC_EXPIRE_TIME, &SiteCache::m_strExpireTime); }

void CSiteCacheForm::OnSetFocusModified() {
  EditTime(IDC_MODIFIED_TIME, &SiteCache::m_strModifiedTime);
}

void CSiteCacheForm::OnChangeSite() {
  if (!m_pSiteCache) return;
  CWnd* edit = GetDlgItem(IDC_SITE);
  if (!edit || edit->SendMessage(EM_GETMODIFY) == 0) return;
  edit->GetWindowText(m_pSiteCache->m_strSite);
  MarkModified();
}
