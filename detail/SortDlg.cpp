#include "detail/SortDlg.h"

#include "res/ResourceIds.h"

BEGIN_MESSAGE_MAP(CSortDlg, CDialog)
END_MESSAGE_MAP()

CSortDlg::CSortDlg(CWnd* pParent) : CDialog(IDD_SORT, pParent), m_nOrder(-1), m_nSortKey(-1) {}

CSortDlg::~CSortDlg() = default;

void CSortDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Radio(pDX, IDC_SORT_ASCENDING, m_nOrder);
  DDX_CBIndex(pDX, IDC_SORT_KEY, m_nSortKey);
}

BOOL CSortDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  UpdateData(FALSE);
  return TRUE;
}
