// An edit control (single-line QLineEdit, or QPlainTextEdit with ES_MULTILINE) with Win32 meanings:
// text set by the program clears the modified flag, typing sets it; EN_CHANGE follows every
// change of the text (typed or set); a read-only edit cannot be changed by the user.
#pragma once

#include "afx/CWnd.h"

class CEdit : public CWnd {
  DECLARE_DYNAMIC(CEdit)
 public:
  CEdit() = default;

  /** Creates a stand-alone edit control (dialog templates create theirs themselves). */
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

  BOOL GetModify() const;
  void SetModify(BOOL bModified = TRUE);
  BOOL SetReadOnly(BOOL bReadOnly = TRUE);
  /** Selects characters [nStartChar, nEndChar); (0, -1) selects all. */
  void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
  /** Replaces the selection with text as if typed (sets the modified flag). */
  void ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo = FALSE);
  int GetLineCount() const;

 protected:
  QWidget* CreateWidget(QWidget* parent, const CREATESTRUCT& cs) override;
};
