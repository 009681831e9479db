#include "detail/SearchDlg.h"

#include "res/resource.h"

BEGIN_MESSAGE_MAP(CSearchDlg, CDialog)
END_MESSAGE_MAP()

CSearchDlg::CSearchDlg(CWnd* pParent)
    : CDialog(IDD_SEARCH, pParent), m_bDomain(0), m_bName(0), m_bValue(0), m_bFromNext(0) {}

CSearchDlg::~CSearchDlg() = default;

void CSearchDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Check(pDX, 1034, m_bDomain);
  DDX_Check(pDX, 1035, m_bName);
  DDX_Check(pDX, 1036, m_bValue);
  DDX_Text(pDX, 1033, m_strFind);
  DDX_Check(pDX, 1037, m_bFromNext);
}

BOOL CSearchDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  UpdateData(FALSE);
  return TRUE;
}
