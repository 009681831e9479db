#include "detail/PersetCookieForm.h"

#include "app/TolvaneApp.h"
#include "detail/DateInputDlg.h"
#include "detail/EncodedStringDlg.h"
#include "model/PersetCookie.h"
#include "res/ResourceIds.h"
#include "tree/LeftView.h"

BEGIN_MESSAGE_MAP(CPersetCookieForm, CDialog)
ON_EN_SETFOCUS(IDC_EXPIRE, OnSetFocusExpire)
ON_EN_SETFOCUS(IDC_LAST_MODIFY, OnSetFocusLastModify)
ON_BN_CLICKED(IDC_EDIT_NAME, OnEditName)
ON_BN_CLICKED(IDC_EDIT_VALUE, OnEditValue)
ON_BN_CLICKED(IDC_FLAG_RESTRICTED, OnRestricted)
ON_BN_CLICKED(IDC_FLAG_3RDPARTY, OnThirdParty)
ON_BN_CLICKED(IDC_FLAG_PROMPT, OnPrompt)
ON_BN_CLICKED(IDC_FLAG_EVALUATE_P3P, OnEvaluateP3P)
ON_BN_CLICKED(IDC_FLAG_IE6, OnIE6)
ON_BN_CLICKED(IDC_FLAG_SESSION, OnSession)
ON_BN_CLICKED(IDC_FLAG_LEGACY, OnLegacy)
ON_BN_CLICKED(IDC_FLAG_SECURE, OnSecure)
ON_BN_CLICKED(IDC_FLAG_APPLY_P3P, OnApplyP3P)
ON_BN_CLICKED(IDC_FLAG_P3P, OnEnableP3P)
ON_EN_CHANGE(IDC_VALUE, OnChangeValue)
ON_EN_CHANGE(IDC_DOMAIN, OnChangeDomain)
ON_EN_CHANGE(IDC_NAME, OnChangeName)
END_MESSAGE_MAP()

namespace {

// A flag check box and the bit it stands for.
struct FlagBox {
  int id;
  DWORD mask;
};

constexpr FlagBox kFlagBoxes[] = {
#define TOLVANE_COOKIE_FLAG_BOX(name, bit, word, box) {box, name},
    TOLVANE_COOKIE_FLAGS(TOLVANE_COOKIE_FLAG_BOX)
#undef TOLVANE_COOKIE_FLAG_BOX
};

DWORD MaskOfBox(int id) {
  for (const FlagBox& box : kFlagBoxes) {
    if (box.id == id) return box.mask;
  }
  return 0;
}

}  // namespace

CPersetCookieForm::CPersetCookieForm(CWnd* pParent) : CDialog(IDD_PERSETCOOKIE_FORM, pParent) {}

CPersetCookieForm::~CPersetCookieForm() = default;

BOOL CPersetCookieForm::OnInitDialog() {
  CDialog::OnInitDialog();
  m_pCookie = nullptr;
  m_pTree = nullptr;
  m_hItem = nullptr;
  return FALSE;  // creating the form must not pull the focus into it
}

void CPersetCookieForm::SetPersetCookie(PersetCookie* variable, CLeftView* tree, HTREEITEM item) {
  m_pCookie = variable;
  m_pTree = tree;
  m_hItem = item;
  if (!variable) return;

  SetDlgItemText(IDC_DOMAIN, variable->m_strDomain);
  SetDlgItemText(IDC_PATH, variable->m_strPath);
  SetDlgItemText(IDC_NAME, variable->m_strName);
  SetDlgItemText(IDC_VALUE, variable->m_strValue);
  SetDlgItemText(IDC_EXPIRE, variable->m_strExpire);
  SetDlgItemText(IDC_LAST_MODIFY, variable->m_strLastModify);
  for (const FlagBox& box : kFlagBoxes) {
    if (CWnd* button = GetDlgItem(box.id))
      button->SendMessage(BM_SETCHECK, (variable->m_dwFlags & box.mask) ? 1 : 0);
  }
}

void CPersetCookieForm::MarkModified() {
  m_pCookie->m_nState = kStateModified;
  if (m_pTree) m_pTree->RefreshVariableItem(m_hItem, m_pCookie);
}

void CPersetCookieForm::ClickFlag(int id) {
  const DWORD mask = MaskOfBox(id);
  if (!m_pCookie || mask == 0) return;
  CWnd* button = GetDlgItem(id);
  if (!button) return;
  if (button->SendMessage(BM_GETCHECK) != 0)
    m_pCookie->m_dwFlags |= mask;
  else
    m_pCookie->m_dwFlags &= ~mask;
  MarkModified();
}

void CPersetCookieForm::ChangeText(int id, CString PersetCookie::*field) {
  if (!m_pCookie) return;
  CWnd* edit = GetDlgItem(id);
  if (!edit || edit->SendMessage(EM_GETMODIFY) == 0) return;
  edit->GetWindowText(m_pCookie->*field);
  MarkModified();
}

void CPersetCookieForm::EditTime(int id, CString PersetCookie::*field) {
  if (!m_pCookie) return;
  CWnd* edit = GetDlgItem(id);
  CString text;
  GetDlgItemText(id, text);
  ++m_nBusy;
  const int result = EditDateTime(text, edit);
  --m_nBusy;
  if (result != 1) return;
  SetDlgItemText(id, text);
  m_pCookie->*field = text;
  MarkModified();
}

void CPersetCookieForm::EditEncoded(int editId, CString PersetCookie::*field) {
  if (!m_pCookie) return;
  auto* edit = static_cast<CEdit*>(GetDlgItem(editId));
  if (!edit) return;
  ++m_nBusy;
  const int result = EditEncodedString(edit, &TolvaneApp()->m_chEncoding, this);
  --m_nBusy;
  if (result != 1) return;
  edit->GetWindowText(m_pCookie->*field);
  MarkModified();
}

void CPersetCookieForm::OnSetFocusExpire() { EditTime(IDC_EXPIRE, &PersetCookie::m_strExpire); }
void CPersetCookieForm::OnSetFocusLastModify() {
  EditTime(IDC_LAST_MODIFY, &PersetCookie::m_strLastModify);
}
void CPersetCookieForm::OnEditName() { EditEncoded(IDC_NAME, &PersetCookie::m_strName); }
void CPersetCookieForm::OnEditValue() { EditEncoded(IDC_VALUE, &PersetCookie::m_strValue); }
void CPersetCookieForm::OnRestricted() { ClickFlag(IDC_FLAG_RESTRICTED); }
void CPersetCookieForm::OnThirdParty() { ClickFlag(IDC_FLAG_3RDPARTY); }
void CPersetCookieForm::OnPrompt() { ClickFlag(IDC_FLAG_PROMPT); }
void CPersetCookieForm::OnEvaluateP3P() { ClickFlag(IDC_FLAG_EVALUATE_P3P); }
void CPersetCookieForm::OnIE6() { ClickFlag(IDC_FLAG_IE6); }
void CPersetCookieForm::OnSession() { ClickFlag(IDC_FLAG_SESSION); }
void CPersetCookieForm::OnLegacy() { ClickFlag(IDC_FLAG_LEGACY); }
void CPersetCookieForm::OnSecure() { ClickFlag(IDC_FLAG_SECURE); }
void CPersetCookieForm::OnApplyP3P() { ClickFlag(IDC_FLAG_APPLY_P3P); }
void CPersetCookieForm::OnEnableP3P() { ClickFlag(IDC_FLAG_P3P); }
void CPersetCookieForm::OnChangeValue() { ChangeText(IDC_VALUE, &PersetCookie::m_strValue); }
void CPersetCookieForm::OnChangeDomain() { ChangeText(IDC_DOMAIN, &PersetCookie::m_strDomain); }
void CPersetCookieForm::OnChangeName() { ChangeText(IDC_NAME, &PersetCookie::m_strName); }
