#include "detail/DateInputDlg.h"

#include <cstdio>

#include "res/ResourceIds.h"

CDateInputDlg::CDateInputDlg(CWnd* pParent) : CDialog(IDD_DATE_INPUT, pParent) {}

CDateInputDlg::~CDateInputDlg() = default;

void CDateInputDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_DAY, m_nDay);
  DDV_MinMaxUInt(pDX, m_nDay, 1, 31);
  DDX_Text(pDX, IDC_HOUR, m_nHour);
  DDV_MinMaxUInt(pDX, m_nHour, 0, 23);
  DDX_Text(pDX, IDC_MINUTE, m_nMinute);
  DDV_MinMaxUInt(pDX, m_nMinute, 0, 59);
  DDX_Text(pDX, IDC_MONTH, m_nMonth);
  DDV_MinMaxUInt(pDX, m_nMonth, 1, 12);
  DDX_Text(pDX, IDC_SECOND, m_nSecond);
  DDV_MinMaxUInt(pDX, m_nSecond, 0, 59);
  DDX_Text(pDX, IDC_YEAR, m_nYear);
  DDV_MinMaxUInt(pDX, m_nYear, 1900, 9999);
}

BOOL CDateInputDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // Fields after the first mismatch keep 0; each is shown as read, range tests wait for OK.
  int field[6] = {int(m_nYear), int(m_nMonth),  int(m_nDay),
                  int(m_nHour), int(m_nMinute), int(m_nSecond)};
  std::sscanf(m_strText, "%04d-%02d-%02d %02d:%02d:%02d", &field[0], &field[1], &field[2],
              &field[3], &field[4], &field[5]);
  m_nYear = UINT(field[0]);
  m_nMonth = UINT(field[1]);
  m_nDay = UINT(field[2]);
  m_nHour = UINT(field[3]);
  m_nMinute = UINT(field[4]);
  m_nSecond = UINT(field[5]);
  UpdateData(FALSE);
  return TRUE;
}

int EditDateTime(CString& text, CWnd* edit) {
  CDateInputDlg dlg(edit);
  // Disabling the field pushes the focus on to the next control, which may be the other time
  // field; it goes back here afterwards as a returning focus, which opens no dialog.
  const bool hadFocus = edit != nullptr && CWnd::GetFocus() == edit;
  if (edit) edit->EnableWindow(FALSE);
  dlg.m_strText = text;
  const INT_PTR result = dlg.DoModal();
  if (edit) edit->EnableWindow(TRUE);
  if (hadFocus) edit->RestoreFocus();
  if (result != IDOK) return 0;
  text.Format("%04d-%02d-%02d %02d:%02d:%02d", int(dlg.m_nYear), int(dlg.m_nMonth), int(dlg.m_nDay),
              int(dlg.m_nHour), int(dlg.m_nMinute), int(dlg.m_nSecond));
  return 1;
}
