#include "app/AboutDlg.h"

#include "res/ResourceIds.h"

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD_ABOUTBOX, pParent) {}
