// The application object: one per process, constructed before main; AfxWinMain creates the
// QApplication, installs the Qt message box, and runs InitInstance, Run and ExitInstance.
#pragma once

#include <afxcore/CString.h>

#include <memory>
#include <vector>

#include "afx/CCmdTarget.h"

class CWnd;
class CDocTemplate;
class CDocument;

/** The parsed command line: no arguments means a new document. */
class CCommandLineInfo {
 public:
  enum { FileNew, FileOpen, FileNothing = -1 } m_nShellCommand = FileNew;
  CString m_strFileName;  // CP932
  virtual ~CCommandLineInfo() = default;
  /** One argument: a file name (not a flag) switches to FileOpen. */
  virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);
};

class CWinApp : public CCmdTarget {
 public:
  explicit CWinApp(LPCTSTR lpszAppName = nullptr);
  ~CWinApp() override;

  /** Start-up; FALSE ends the program. */
  virtual BOOL InitInstance();
  /** The event loop; returns the exit code. */
  virtual int Run();
  virtual int ExitInstance();
  /** Idle processing: runs the main frame's update handlers. Returns FALSE when done. */
  virtual BOOL OnIdle(LONG lCount);

  /** Takes ownership of the template. */
  void AddDocTemplate(CDocTemplate* pTemplate);
  POSITION GetFirstDocTemplatePosition() const;
  CDocTemplate* GetNextDocTemplate(POSITION& pos) const;
  /** Reads the process arguments (after Qt's own) into rCmdInfo. */
  void ParseCommandLine(CCommandLineInfo& rCmdInfo);
  /** FileNew runs OnFileNew; FileOpen opens the named document. FALSE when that failed. */
  BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
  /** The three-dimensional dialog look is Qt's own; kept for the start-up sequence. */
  BOOL Enable3dControls() { return TRUE; }
  /** An icon resource as a handle. */
  HICON LoadIcon(UINT nIDResource) const;
  /** Shows a message box on behalf of AfxMessageBox. */
  virtual int DoMessageBox(LPCTSTR lpszPrompt, UINT nType, UINT nIDPrompt);

  /** ID_FILE_NEW: the first template's new document (SDI: reuses the open document). */
  void OnFileNew();
  /** ID_FILE_OPEN: an open-file dialog, then OpenDocumentFile. */
  void OnFileOpen();
  /** ID_APP_EXIT: closes the main window (posted WM_CLOSE). */
  void OnAppExit();
  /** Opens a document by name through the first template. */
  virtual CDocument* OpenDocumentFile(LPCTSTR lpszFileName);

  CWnd* m_pMainWnd = nullptr;
  LPCTSTR m_pszAppName = nullptr;  // CP932, from string AFX_IDS_APP_TITLE when not given
  HINSTANCE m_hInstance = nullptr;

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  std::vector<std::unique_ptr<CDocTemplate>> m_templates;
  CString m_strAppName;
};

/** The one application object. */
CWinApp* AfxGetApp();
/** The application's main window. */
CWnd* AfxGetMainWnd();
/** The application title (CP932). */
LPCTSTR AfxGetAppName();
/** Runs the application object: QApplication (if none exists yet), fonts, message box handler,
 *  InitInstance, Run, ExitInstance. Returns the exit code. */
int AfxWinMain(int argc, char** argv);
