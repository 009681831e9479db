// Dialog data exchange: DoDataExchange calls the DDX_/DDV_ functions in declaration order; when
// saving, the first failure shows the framework's message, puts the focus on the failing control
// and throws CUserException, which UpdateData catches (the dialog stays open).
#pragma once

#include <afxcore/CString.h>

#include "afx/AfxTypes.h"

class CWnd;
class CDialog;

/** Thrown by CDataExchange::Fail; caught by CDialog::UpdateData. */
class CUserException {};

class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
      : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

  /** Remembers the control for a later DDV failure and returns it (null if missing). */
  CWnd* PrepareCtrl(int nIDC);
  CWnd* PrepareEditCtrl(int nIDC);
  /** Focuses the last prepared control (selecting an edit's text) and throws CUserException. */
  [[noreturn]] void Fail();

  BOOL m_bSaveAndValidate;  // TRUE: controls -> members (and validate); FALSE: members -> controls
  CWnd* m_pDlgWnd;
  int m_idLastControl = 0;
  BOOL m_bEditLastControl = FALSE;
};

/** Edit text as a string. */
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
/** Edit text as an unsigned number: leading blanks allowed, no sign, nothing after the digits;
 *  an empty text reads as 0; otherwise "符号なし整数を入力してください。". */
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
/** Edit text as a signed number; otherwise "整数を入力してください。". */
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
/** Check box: 0 unchecked, 1 checked. */
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
/** The radio group starting at nIDC (to the next WS_GROUP control), counting only radio buttons
 *  in template order: the index of the checked one, -1 when none. */
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
/** Combo box selection index, -1 for none. */
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
/** Attaches rControl to control nIDC the first time (subclassing). */
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

/** When saving: value outside [minVal, maxVal] fails with "%1 から %2
 * までの整数を入力してください。". */
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
/** When saving: a text longer than nChars bytes fails. */
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);
