#include "app/TolvaneApp.h"

#include <algorithm>
#include <string>

#include "app/AboutDlg.h"
#include "app/MainFrame.h"
#include "app/TolvaneDoc.h"
#include "platform/PathText.h"
#include "platform/StoreLocation.h"
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
  // The one argument names the store to open; the document is a new one either way.
  if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen) {
    platform::StoreLocation location;
    std::string problem;
    if (!platform::ResolveStoreLocation(platform::PathFromProgram(cmdInfo.m_strFileName.str()),
                                        location, problem)) {
      CString text = afx::Cp932("ｽﾄｱを開けません.\r\n");
      text += CString(platform::PathToProgram(problem));
      AfxMessageBox(text, MB_OK | MB_ICONSTOP);
      m_nExitCode = 1;
      return FALSE;
    }
    platform::SetStoreLocation(location.Text());
    cmdInfo.m_nShellCommand = CCommandLineInfo::FileNew;
  }
  if (!ProcessShellCommand(cmdInfo)) return FALSE;
  m_pMainWnd->ShowWindow(SW_SHOW);
  m_pMainWnd->UpdateWindow();
  return TRUE;
}

int CTolvaneApp::ExitInstance() { return std::max(CWinApp::ExitInstance(), m_nExitCode); }

void CTolvaneApp::ShowTimeMode(BOOL gmt) {
  if (auto* frame = dynamic_cast<CMainFrame*>(m_pMainWnd)) frame->ShowTimeMode(gmt);
}

void CTolvaneApp::OnAppAbout() {
  CAboutDlg dlg;
  dlg.DoModal();
}

CTolvaneApp* TolvaneApp() { return dynamic_cast<CTolvaneApp*>(AfxGetApp()); }
