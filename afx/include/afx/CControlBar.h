// Base of the frame's bars (tool bar, rebar, status bar): a bar style and a place in the frame.
#pragma once

#include "afx/CWnd.h"

class CControlBar : public CWnd {
  DECLARE_DYNAMIC(CControlBar)
 public:
  CControlBar() = default;
  ~CControlBar() override;

  DWORD GetBarStyle() const { return m_dwBarStyle; }
  /** CBRS_ bits; CBRS_TOOLTIPS and CBRS_FLYBY switch tool tips and status-bar prompts. */
  virtual void SetBarStyle(DWORD dwStyle);
  CFrameWnd* GetDockingFrame() const { return m_pFrame; }

 protected:
  /** Creates the bar's window in a frame and registers it there; false outside a frame. */
  BOOL CreateBar(CWnd* pParentWnd, DWORD dwStyle, UINT nID);

  DWORD m_dwBarStyle = 0;
  CFrameWnd* m_pFrame = nullptr;
};
