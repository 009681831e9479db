// The framework's free functions: message boxes, strings, system metrics and colours, the cursor,
// window classes.
#pragma once

#include <afxcore/CString.h>

#include "afx/CGeometry.h"

class CWnd;

/** A message box over the main window with the application title as caption, through
 *  MessageBoxA. Without an icon in nType, MB_OK/MB_OKCANCEL get MB_ICONEXCLAMATION and
 *  MB_YESNO/MB_YESNOCANCEL get MB_ICONQUESTION, as the framework does. Returns IDOK, IDYES... */
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
/** The same with the text from the string table. */
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = 0);

/** A string of the registered string table as CP932 (empty and FALSE when missing). */
BOOL AfxLoadString(UINT nID, CString& rString);
CString AfxLoadString(UINT nID);

/** SM_CXVSCROLL, SM_CYHSCROLL (the style's scroll bar width), SM_CXSCREEN, SM_CYSCREEN. */
int GetSystemMetrics(int nIndex);
/** COLOR_BTNFACE, COLOR_WINDOW, COLOR_WINDOWTEXT from the application palette. */
COLORREF GetSysColor(int nIndex);
/** The mouse position in screen pixels. While a mouse notification (NM_RCLICK) is dispatched it
 *  is the position of that mouse event, as the message's position would be. */
BOOL GetCursorPos(LPPOINT lpPoint);

/** Registers a window class whose windows are painted with hbrBackground; returns its name. */
LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr,
                            HBRUSH hbrBackground = nullptr, HICON hIcon = nullptr);
