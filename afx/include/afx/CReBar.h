// A rebar: the frame's top band area; each band holds one bar and shows a gripper.
#pragma once

#include "afx/CControlBar.h"

class CReBar : public CControlBar {
  DECLARE_DYNAMIC(CReBar)
 public:
  CReBar() = default;

  BOOL Create(CWnd* pParentWnd, DWORD dwCtrlStyle = RBS_BANDBORDERS,
              DWORD dwStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | CBRS_TOP,
              UINT nID = AFX_IDW_REBAR);
  /** Moves pBar into a band of this rebar (RBBS_GRIPPERALWAYS shows a gripper). */
  BOOL AddBar(CWnd* pBar, LPCTSTR pszText = nullptr, void* pbmp = nullptr,
              DWORD dwStyle = RBBS_GRIPPERALWAYS | RBBS_FIXEDBMP);
  int GetBandCount() const { return m_nBands; }

 private:
  int m_nBands = 0;
};
