// Editing a stored, percent-escaped name or value as decoded text in an encoding the user picks.
#pragma once

#include "afx/Afx.h"

class CEncodedStringDlg : public CDialog {
 public:
  explicit CEncodedStringDlg(CWnd* pParent = nullptr);
  ~CEncodedStringDlg() override;

  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

  /** Radio index of an encoding code and back; unknown values give 0 and ' '. */
  static int IndexOfCode(char code);
  static char CodeOfIndex(int index);

  CEdit m_editText;
  int m_nEncoding = -1;
  CString m_strText;  // stored form: in before opening, the new encoding after OK
  BOOL m_bReencodeDiffers = FALSE;

 protected:
  void SwitchEncoding(char code);
  void OnEncoding7Bit();
  void OnEncodingEuc();
  void OnEncodingSjis();
  void OnEncodingJis();
  void OnEncodingUtf8();

  DECLARE_MESSAGE_MAP()
};

/** Runs the dialog for edit's text, starting on *encoding. 1: the edit holds the new stored
 *  string (marked modified) and *encoding the code chosen; 0: nothing changed. */
int EditEncodedString(CEdit* edit, char* encoding, CWnd* parent);
