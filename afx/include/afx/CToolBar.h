// The tool bar: one button per command of a ToolBarResource, sharing the frame's QActions, so the
// update handlers enable and check them. Tool tips are the text after "\n" of the command's
// string, fly-by prompts (shown in the message pane) the text before it.
#pragma once

#include "afx/CControlBar.h"

class CToolBar : public CControlBar {
  DECLARE_DYNAMIC(CToolBar)
 public:
  CToolBar() = default;

  /** Creates the bar in pParentWnd (a CFrameWnd). FALSE when the parent is not a frame. */
  BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP,
                CRect rcBorders = CRect(0, 0, 0, 0), UINT nID = AFX_IDW_TOOLBAR);
  /** Adds the buttons of tool bar resource nIDResource; FALSE when it is not registered. */
  BOOL LoadToolBar(UINT nIDResource);
  void SetBarStyle(DWORD dwStyle) override;
  /** Command id of button nIndex (separators are ID_SEPARATOR). */
  UINT GetItemID(int nIndex) const;
  int GetCount() const;

 protected:
  QWidget* CreateWidget(QWidget* parent, const CREATESTRUCT& cs) override;

 private:
  void ApplyTips();
  std::vector<UINT> m_ids;
};
