// The application object: start-up and the settings that live for one run (nothing is persisted).
#pragma once

#include "afx/Afx.h"

class CTolvaneApp : public CWinApp {
 public:
  CTolvaneApp();
  ~CTolvaneApp() override;

  /** Start-up; an argument names the store to open. */
  BOOL InitInstance() override;
  int ExitInstance() override;
  /** Puts the time-mode text into the main frame's status bar. */
  void ShowTimeMode(BOOL gmt);

  char m_chEncoding;      // ' ' 7Bit, 'E' EUC, 'S' Shift-JIS, 'J' JIS, 'U' UTF-8
  BOOL m_bTreeExpanded;   // every site item stays expanded
  int m_nLastSortKey;     // index in the sort dialog's key list
  int m_nLastSortOrder;   // 0 ascending, 1 descending
  CString m_strLastFind;  // last search text (CP932)
  int m_nFindTargets;     // 1 site/domain, 2 variable name, 4 value
  BOOL m_bLastFromNext;   // search starts after the selection

  void OnAppAbout();

  DECLARE_MESSAGE_MAP()

 private:
  int m_nExitCode = 0;  // 1 when start-up could not open the store it was given
};

/** The one application object of the process. */
CTolvaneApp* TolvaneApp();
