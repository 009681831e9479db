// The status bar: panes by indicator id. Pane 0 (ID_SEPARATOR first) is the message pane, which
// shows prompts and otherwise the idle text (string AFX_IDS_IDLEMESSAGE); the others have a
// fixed width. Indicator panes (ID_INDICATOR_*) show their string while the key state is on;
// key states are not visible to a Qt program, so they show blank as when the key is off.
#pragma once

#include <vector>

#include "afx/CControlBar.h"

class QLabel;

class CStatusBar : public CControlBar {
  DECLARE_DYNAMIC(CStatusBar)
 public:
  CStatusBar() = default;

  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM,
              UINT nID = AFX_IDW_STATUS_BAR);
  /** One pane per id; FALSE when an indicator's string is missing. */
  BOOL SetIndicators(const UINT* lpIDArray, int nIDCount);
  /** nWidth is the text width in pixels; SBPS_POPOUT draws a raised pane. */
  void SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth);
  void GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const;
  /** Text of a pane (CP932); bUpdate repaints at once. */
  BOOL SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate = TRUE);
  CString GetPaneText(int nIndex) const;
  int GetCount() const { return int(m_panes.size()); }
  int CommandToIndex(UINT nIDFind) const;
  /** The message pane: a prompt, or the idle text when lpszText is null or empty. */
  void SetMessageText(LPCTSTR lpszText);
  /** The label of a pane (for tests reading what is shown). */
  QLabel* GetPaneLabel(int nIndex) const;

 protected:
  QWidget* CreateWidget(QWidget* parent, const CREATESTRUCT& cs) override;

 private:
  struct Pane {
    UINT id;
    UINT style;
    int width;
    CString text;
    QLabel* label;
  };
  std::vector<Pane> m_panes;
};
