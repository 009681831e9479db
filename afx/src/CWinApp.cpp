#include "afx/CWinApp.h"

#include <QApplication>

#include "AfxInternal.h"
#include "afx/AfxFunctions.h"
#include "afx/CDocTemplate.h"
#include "afx/CFileDialog.h"
#include "afx/CFrameWnd.h"
#include "afx/DialogUnits.h"
#include "afx/QtTranslation.h"
#include "afx/ResourceRegistry.h"
#include "afx/Text.h"
#include "platform/PathText.h"

namespace {
CWinApp* g_pApp = nullptr;
}  // namespace

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
ON_COMMAND(ID_APP_EXIT, OnAppExit)
END_MESSAGE_MAP()

void CCommandLineInfo::ParseParam(const char* pszParam, BOOL bFlag, BOOL) {
  if (bFlag || !m_strFileName.IsEmpty()) return;
  m_strFileName = pszParam;
  m_nShellCommand = FileOpen;
}

CWinApp::CWinApp(LPCTSTR lpszAppName) {
  g_pApp = this;
  if (lpszAppName) {
    m_strAppName = lpszAppName;
    m_pszAppName = m_strAppName;
  }
}

CWinApp::~CWinApp() {
  if (g_pApp == this) g_pApp = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
  if (m_pMainWnd && qApp) QApplication::exec();
  return ExitInstance();
}

int CWinApp::ExitInstance() { return 0; }

BOOL CWinApp::OnIdle(LONG) {
  if (auto* frame = dynamic_cast<CFrameWnd*>(m_pMainWnd)) frame->UpdateCommandUI();
  return FALSE;
}

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
  if (pTemplate) m_templates.emplace_back(pTemplate);
}

POSITION CWinApp::GetFirstDocTemplatePosition() const {
  return m_templates.empty() ? nullptr : reinterpret_cast<POSITION>(uintptr_t(1));
}

CDocTemplate* CWinApp::GetNextDocTemplate(POSITION& pos) const {
  const size_t index = reinterpret_cast<uintptr_t>(pos) - 1;
  CDocTemplate* result = m_templates[index].get();
  pos = index + 1 < m_templates.size() ? reinterpret_cast<POSITION>(uintptr_t(index + 2)) : nullptr;
  return result;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
  if (!qApp) return;
  const QStringList args = QCoreApplication::arguments();
  for (qsizetype i = 1; i < args.size(); ++i) {
    const QString& arg = args[i];
    // Only '-' starts a flag here: '/' starts every absolute path.
    const bool flag = arg.startsWith(QLatin1Char('-'));
    // A parameter names a file most of the time: it crosses as a path does (platform/PathText.h).
    const CString param(platform::PathToProgram((flag ? arg.mid(1) : arg).toStdString()));
    rCmdInfo.ParseParam(param, flag, i + 1 == args.size());
  }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
  switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
      if (!OnCmdMsg(ID_FILE_NEW, CN_COMMAND, nullptr, nullptr)) OnFileNew();
      return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
      return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    case CCommandLineInfo::FileNothing:
      return TRUE;
  }
  return FALSE;
}

HICON CWinApp::LoadIcon(UINT nIDResource) const { return afx::LoadIconResource(int(nIDResource)); }

int CWinApp::DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT) {
  if ((nType & MB_ICONMASK) == 0) {
    switch (nType & MB_TYPEMASK) {
      case MB_OK:
      case MB_OKCANCEL:
        nType |= MB_ICONEXCLAMATION;
        break;
      case MB_YESNO:
      case MB_YESNOCANCEL:
        nType |= MB_ICONQUESTION;
        break;
    }
  }
  HWND owner = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
  return MessageBoxA(owner, lpszPrompt, AfxGetAppName(), nType);
}

void CWinApp::OnFileNew() {
  if (!m_templates.empty()) m_templates.front()->OpenDocumentFile(nullptr);
}

void CWinApp::OnFileOpen() {
  CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, nullptr,
                  m_pMainWnd);
  if (dlg.DoModal() == IDOK) OpenDocumentFile(dlg.GetPathName());
}

void CWinApp::OnAppExit() {
  if (m_pMainWnd) m_pMainWnd->PostMessage(WM_CLOSE);
}

CDocument* CWinApp::OpenDocumentFile(LPCTSTR lpszFileName) {
  if (m_templates.empty()) return nullptr;
  return m_templates.front()->OpenDocumentFile(lpszFileName);
}

CWinApp* AfxGetApp() { return g_pApp; }

CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }

LPCTSTR AfxGetAppName() {
  if (!g_pApp) return "";
  if (!g_pApp->m_pszAppName) {
    static CString title;
    title = AfxLoadString(AFX_IDS_APP_TITLE);
    if (title.IsEmpty()) return "";
    g_pApp->m_pszAppName = title;
  }
  return g_pApp->m_pszAppName;
}

int AfxWinMain(int argc, char** argv) {
  std::unique_ptr<QApplication> ownApp;
  if (!qApp) ownApp = std::make_unique<QApplication>(argc, argv);
  QApplication::setFont(afx::DialogFont("ＭＳ Ｐゴシック", 9));
  afx::LoadQtTranslation();
  afx::detail::InstallQtMessageBox();
  afx::detail::EnsureEventFilter();
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  if (!app->InitInstance()) {
    if (app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
    return app->ExitInstance();
  }
  return app->Run();
}
