#include "app/OpenStoreDlg.h"

#include "platform/PathText.h"
#include "res/ResourceIds.h"

BEGIN_MESSAGE_MAP(COpenStoreDlg, CDialog)
ON_CBN_SELCHANGE(IDC_STORE_FOUND, OnSelChangeFound)
ON_BN_CLICKED(IDC_STORE_BROWSE, OnBrowse)
END_MESSAGE_MAP()

namespace {

const char* KindWord(platform::StoreKind kind) {
  switch (kind) {
    case platform::StoreKind::UrlCache:
      return "Tolvaneｽﾄｱ";
    case platform::StoreKind::Netscape:
      return "cookies.txt";
    case platform::StoreKind::Firefox:
      return "Firefox";
    case platform::StoreKind::Chromium:
      return "Chromium";
    case platform::StoreKind::Wine:
      return "Wine";
  }
  return "";
}

}  // namespace

COpenStoreDlg::COpenStoreDlg(CWnd* pParent) : CDialog(IDD_OPEN_STORE, pParent) {}

COpenStoreDlg::~COpenStoreDlg() = default;

CString COpenStoreDlg::Describe(const platform::FoundStore& store) {
  std::string text = KindWord(store.location.kind);
  if (!store.name.empty()) text += " " + store.name;
  CString line = afx::Cp932(text + " ");
  line += CString(platform::PathToProgram(store.location.path));
  if (store.cookies >= 0) line += afx::Cp932(" (" + std::to_string(store.cookies) + "個)");
  if (store.inUse) line += afx::Cp932(" 使用中");
  return line;
}

BOOL COpenStoreDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (auto* found = static_cast<CComboBox*>(GetDlgItem(IDC_STORE_FOUND))) {
    for (const platform::FoundStore& store : m_stores) found->AddString(Describe(store));
  }
  UpdateData(FALSE);
  return TRUE;
}

void COpenStoreDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_STORE_LOCATION, m_strLocation);
}

void COpenStoreDlg::OnSelChangeFound() {
  auto* found = static_cast<CComboBox*>(GetDlgItem(IDC_STORE_FOUND));
  const int index = found ? found->GetCurSel() : -1;
  if (index < 0 || index >= int(m_stores.size())) return;
  SetDlgItemText(IDC_STORE_LOCATION,
                 CString(platform::PathToProgram(m_stores[size_t(index)].location.Text())));
}

void COpenStoreDlg::OnBrowse() {
  CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST,
                  afx::Cp932("Cookieｽﾄｱ (*.txt;cookies.sqlite;Cookies;index.sqlite;index.dat)|"
                             "*.txt;cookies.sqlite;Cookies;index.sqlite;index.dat|全て(*.*)|*.*||"),
                  this);
  if (dlg.DoModal() != IDOK) return;
  SetDlgItemText(IDC_STORE_LOCATION, dlg.GetPathName());
}

void COpenStoreDlg::OnOK() {
  if (!UpdateData(TRUE)) return;
  std::string text = platform::PathFromProgram(m_strLocation.str());
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.erase(0, 1);
  std::string problem;
  if (!platform::ResolveStoreLocation(text, m_location, problem)) {
    CString text = afx::Cp932("ｽﾄｱを開けません.\r\n");
    text += CString(platform::PathToProgram(problem));
    AfxMessageBox(text, MB_OK | MB_ICONSTOP);
    if (CWnd* edit = GetDlgItem(IDC_STORE_LOCATION)) edit->SetFocus();
    return;
  }
  CDialog::OnOK();
}
