#include "detail/SearchDlg.h"

#include "res/ResourceIds.h"

BEGIN_MESSAGE_MAP(CSearchDlg, CDialog)
END_MESSAGE_MAP()

CSearchDlg::CSearchDlg(CWnd* pParent)
    : CDialog(IDD_SEARCH, pParent), m_bDomain(0), m_bName(0), m_bValue(0), m_bFromNext(0) {}

CSearchDlg::~CSearchDlg() = default;

void CSearchDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Check(pDX, IDC_FIND_DOMAIN, m_bDomain);
  DDX_Check(pDX, IDC_FIND_NAME, m_bName);
  DDX_Check(pDX, IDC_FIND_VALUE, m_bValue);
  DDX_Text(pDX, IDC_FIND_TEXT, m_strFind);
  DDX_Check(pDX, IDC_FIND_FROM_NEXT, m_bFromNext);
}

BOOL CSearchDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  UpdateData(FALSE);
  return TRUE;
}
