// The main frame: menu bar, tool bar in a rebar band, status bar with the time-mode pane, and a
// 1 x 2 static splitter (tree left, detail right). Forwards the tree's edit commands to the tree
// pane whichever pane has the focus and decides when they are enabled.
#pragma once

#include "afx/Afx.h"

class CLeftView;

class CMainFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CMainFrame)
 public:
  CMainFrame();
  ~CMainFrame() override;

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  int OnCreate(LPCREATESTRUCT lpCreateStruct) override;
  BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;

  /** Gives the right pane the form's width plus two scroll bars and borders; the tree the rest. */
  void FitTreeColumn(int formWidth);
  /** Status pane 1: GMT or local time. */
  void ShowTimeMode(BOOL gmt);

  // Bars and splitter, for tests.
  CSplitterWnd& GetSplitter() { return m_wndSplitter; }
  CStatusBar& GetStatusBar() { return m_wndStatusBar; }
  CToolBar& GetToolBar() { return m_wndToolBar; }
  CReBar& GetReBar() { return m_wndReBar; }

  // Forwarding of the tree's commands.
  void OnAbortReload();
  void OnCommit();
  void OnDeleteItem();
  void OnCopyAddVariable();
  void OnCopyAddCache();
  void OnExpandToggle();
  void OnUpdateSiteCommand(CCmdUI* pCmdUI);
  void OnUpdateCopyAddVariable(CCmdUI* pCmdUI);
  void OnUpdateExpandToggle(CCmdUI* pCmdUI);

 protected:
  // Constructed in this order, destroyed in reverse.
  CSplitterWnd m_wndSplitter;
  CStatusBar m_wndStatusBar;
  CToolBar m_wndToolBar;
  CReBar m_wndReBar;

 private:
  CLeftView* GetTreePane() const;
  /** Kind of the tree's selection: 0 nothing usable, 1 site item, 2 variable item. */
  int SelectionKind() const;

  DECLARE_MESSAGE_MAP()
};
