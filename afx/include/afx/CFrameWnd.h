// The main frame over a QMainWindow: menu bar and accelerators from resource nIDResource, control
// bars, a client area (one view, or what OnCreateClient builds), and the command routing
//   active view -> its document -> frame -> application.
// Every command id of the menus and tool bar is one QAction (objectName = decimal id). Update
// handlers run when a menu is about to show, when the application is idle, and on
// UpdateCommandUI(); a command with no handler anywhere is disabled. An accelerator key re-runs
// its command's update handler first and does nothing when that disables it. Keys typed while
// the focus is inside a dialog form (a child CDialog) stay with the form's control.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "afx/CWnd.h"

class CView;
class CDocument;
class CControlBar;
struct CCreateContext;
class QAction;
class QMainWindow;
class QMenu;
class QObject;
class QKeyEvent;

class CFrameWnd : public CWnd {
  DECLARE_DYNCREATE(CFrameWnd)
 public:
  CFrameWnd();
  ~CFrameWnd() override;

  /** Creates the frame: PreCreateWindow, the window, menu nIDResource, accelerators
   *  nIDResource, icon nIDResource, title from the document string, then OnCreate. */
  virtual BOOL LoadFrame(UINT nIDResource,
                         DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                         CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  /** Builds the client area through OnCreateClient; -1 when that fails. */
  int OnCreate(LPCREATESTRUCT lpcs) override;
  /** Default: one view of pContext->m_pNewViewClass filling the client area. */
  virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
  /** Asks the document (CanCloseFrame -> SaveModified); closes it and the frame when allowed. */
  void OnClose() override;
  void PostNcDestroy() override;

  CView* GetActiveView() const;
  void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
  virtual CDocument* GetActiveDocument();

  /** Lays out bars and the client area again. */
  virtual void RecalcLayout(BOOL bNotify = TRUE);
  /** Caption "<document title> - <window title>". */
  virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
  void SetTitle(LPCTSTR lpszTitle) { m_strTitle = lpszTitle; }
  const CString& GetTitle() const { return m_strTitle; }

  /** Routing: active view (and its document), this frame's table, the application. */
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

  /** Runs every command's update handler now and applies the states to menus, buttons, keys. */
  void UpdateCommandUI();
  /** The state of one command as its update handler (or the no-handler rule) leaves it. */
  bool IsCommandEnabled(UINT nID);
  /** What a menu item, button or accelerator does: re-check the update handler; when enabled,
   *  route the command. Returns whether it ran. */
  BOOL ExecuteCommand(UINT nID);
  /** The QAction of a command id (menus and tool bar share it), or null. */
  QAction* GetCommandAction(UINT nID) const;
  /** Creates (or returns) the QAction of a command id: text and prompts from the string table. */
  QAction* EnsureCommandAction(UINT nID);

  /** Text of the message pane (CP932); SetMessageText(AFX_IDS_IDLEMESSAGE) restores the idle text.
   */
  void SetMessageText(LPCTSTR lpszText);
  void SetMessageText(UINT nID);
  /** The status bar (the bar with id AFX_IDW_STATUS_BAR), or null. */
  CWnd* GetMessageBar();
  /** The control bar with this id, or null. */
  CControlBar* GetControlBar(UINT nID) const;
  void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);

  /** ID_VIEW_TOOLBAR / ID_VIEW_STATUS_BAR: show or hide the bar; the update checks the item. */
  void OnBarCheck(UINT nID);
  void OnViewToolBar() { OnBarCheck(ID_VIEW_TOOLBAR); }
  void OnViewStatusBar() { OnBarCheck(ID_VIEW_STATUS_BAR); }
  void OnUpdateControlBarMenu(CCmdUI* pCmdUI);

  QMainWindow* GetMainWindow() const;
  /** The client area (the QMainWindow's central widget); panes are placed in it. */
  QWidget* GetClientWidget() const override;

  // Internal: called by control bars and the key filter.
  void RegisterControlBar(CControlBar* pBar);
  void UnregisterControlBar(CControlBar* pBar);
  /** An accelerator for this key press (focus not in a form): runs it; TRUE when the key was one.
   */
  BOOL TranslateAccelerator(QKeyEvent* event, QObject* target);

 protected:
  QWidget* CreateWidget(QWidget* parent, const CREATESTRUCT& cs) override;
  void BuildMenuBar(UINT nIDResource);
  void ApplyCommandUI(UINT nID, QAction* action);

  CString m_strTitle;  // window title part of the caption (CP932)
  UINT m_nIDResource = 0;
  CView* m_pActiveView = nullptr;
  CDocument* m_pDocumentForTitle = nullptr;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;

  DECLARE_MESSAGE_MAP()
};
