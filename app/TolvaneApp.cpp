#include "app/TolvaneApp.h"

#include "app/AboutDlg.h"
#include "app/MainFrame.h"
#include "app/TolvaneDoc.h"
#include "res/ResourceIds.h"
#include "tree/LeftView.h"

BEGIN_MESSAGE_MAP(CTolvaneApp, CWinApp)
ON_COMMAND(ID_APP_ABOUT, OnAppAbout)
ON_COMMAND(ID_FILE_NEW, CWinApp::OnFileNew)
ON_COMMAND(ID_FILE_OPEN, CWinApp::OnFileOpen)
END_MESSAGE_MAP()

CTolvaneApp::CTolvaneApp()
    : m_chEncoding(' '),
      m_bTreeExpanded(TRUE),
      m_nLastSortKey(0),
      m_nLastSortOrder(0),
      m_nFindTargets(3),
      m_bLastFromNext(FALSE) {}

CTolvaneApp::~CTolvaneApp() = default;

BOOL CTolvaneApp::InitInstance() {
  Enable3dControls();
  AddDocTemplate(new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CTolvaneDoc),
                                        RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(CLeftView)));
  CCommandLineInfo cmdInfo;
  ParseCommandLine(cmdInfo);
  if (!ProcessShellCommand(cmdInfo)) return FALSE;
  m_pMainWnd->ShowWindow(SW_SHOW);
  m_pMainWnd->UpdateWindow();
  return TRUE;
}

void CTolvaneApp::ShowTimeMode(BOOL gmt) {
  if (auto* frame = dynamic_cast<CMainFrame*>(m_pMainWnd)) frame->ShowTimeMode(gmt);
}

void CTolvaneApp::OnAppAbout() {
  CAboutDlg dlg;
  dlg.DoModal();
}

CTolvaneApp* TolvaneApp() { return dynamic_cast<CTolvaneApp*>(AfxGetApp()); }
