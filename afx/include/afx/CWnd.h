// CWnd: a framework window over one QWidget. Child controls carry objectName = their decimal id.
// Texts cross this interface as CP932 byte strings (CString) and are decoded for Qt.
// Windows created with new by the framework (frames, views) delete themselves in PostNcDestroy;
// other CWnd objects are owned by whoever created them and destroy their window when deleted.
#pragma once

#include <afxcore/CString.h>

#include <QPointer>
#include <QWidget>
#include <memory>

#include "afx/CCmdTarget.h"
#include "afx/CGeometry.h"

class CDC;
class CFrameWnd;
struct CCreateContext;

#ifndef LOWORD
#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)(((WORD)(l)) | (((DWORD)(WORD)(h)) << 16)))
#endif

class CWnd : public CCmdTarget {
  DECLARE_DYNAMIC(CWnd)
 public:
  CWnd();
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  /** Creates the window as a child of pParentWnd (or top level): PreCreateWindow, then the
   *  widget, then WM_CREATE (OnCreate; -1 fails). lpszClassName may name a class registered with
   *  AfxRegisterWndClass, whose brush paints the background. Shown when dwStyle has WS_VISIBLE.
   *  On failure an object that deletes itself in PostNcDestroy (frame, view) is gone. */
  virtual BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                      const RECT& rect, CWnd* pParentWnd, UINT nID,
                      CCreateContext* pContext = nullptr);
  /** Lets a class adjust the creation parameters; FALSE cancels creation. */
  virtual BOOL PreCreateWindow(CREATESTRUCT& cs);
  /** Sends WM_DESTROY to this window and then its child windows, deletes the widgets, then calls
   *  PostNcDestroy on each (children first). */
  virtual BOOL DestroyWindow();
  /** Called after the window is gone; frames and views delete themselves here. */
  virtual void PostNcDestroy();

  /** WM_CREATE; return -1 to fail creation. */
  virtual int OnCreate(LPCREATESTRUCT lpCreateStruct);
  /** WM_DESTROY: the window still exists. */
  virtual void OnDestroy();
  /** WM_CLOSE: destroys the window by default. */
  virtual void OnClose();
  /** WM_COMMAND from a menu, accelerator or child control (LOWORD id, HIWORD code). */
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  /** WM_NOTIFY from a child control; tries reflection to the child first. */
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  /** Dispatches a message: table entries first, then the framework's default handling. */
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  /** Messages this framework answers: WM_COMMAND, WM_NOTIFY, WM_CLOSE, WM_DESTROY, WM_SETTEXT,
   *  WM_GETTEXTLENGTH, EM_GETMODIFY, EM_SETMODIFY, EM_SETSEL, EM_SETREADONLY, BM_GETCHECK,
   *  BM_SETCHECK. Runs synchronously. */
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  /** Like SendMessage, but runs from the event loop later (QCoreApplication::processEvents). */
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  /** The widget as an HWND (null without a window). */
  HWND GetSafeHwnd() const;
  /** The CWnd attached to a window handle or widget, or null. */
  static CWnd* FromHandle(HWND hWnd);
  static CWnd* FromWidget(const QWidget* widget);

  /** The control with objectName nID among this window's descendants (its CWnd), or null. */
  CWnd* GetDlgItem(int nID) const;
  int GetDlgCtrlID() const;
  void SetDlgCtrlID(int nID);
  void SetDlgItemText(int nID, LPCTSTR lpszString);
  int GetDlgItemText(int nID, CString& rString) const;

  /** Caption or control text (CP932). Setting an edit's text clears its modified flag and
   *  notifies EN_CHANGE; a multi-line edit takes and gives lines separated by CR LF. */
  void SetWindowText(LPCTSTR lpszString);
  void GetWindowText(CString& rString) const;
  int GetWindowTextLength() const;

  BOOL EnableWindow(BOOL bEnable = TRUE);
  BOOL IsWindowEnabled() const;
  /** SW_HIDE, SW_SHOW, SW_SHOWNORMAL, SW_SHOWNOACTIVATE; returns whether it was visible. */
  BOOL ShowWindow(int nCmdShow);
  BOOL IsWindowVisible() const;
  void UpdateWindow();
  void Invalidate(BOOL bErase = TRUE);

  /** Outer rectangle in screen pixels (frame included for top-level windows). */
  void GetWindowRect(LPRECT lpRect) const;
  /** Client area: (0, 0, width, height). */
  void GetClientRect(LPRECT lpRect) const;
  /** Moves and sizes in the parent's client coordinates; SWP_NOSIZE, SWP_NOMOVE, SWP_NOZORDER,
   *  SWP_NOACTIVATE, SWP_SHOWWINDOW, SWP_HIDEWINDOW. Without SWP_NOZORDER, null raises the
   *  window and a sibling puts it behind that sibling, in Z order and in the tab order. */
  BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
  void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
  void ScreenToClient(LPPOINT lpPoint) const;
  void ScreenToClient(LPRECT lpRect) const;
  void ClientToScreen(LPPOINT lpPoint) const;
  void ClientToScreen(LPRECT lpRect) const;

  CWnd* GetParent() const;
  /** The nearest CFrameWnd above this window, or null. */
  CFrameWnd* GetParentFrame() const;
  /** Gives this window the keyboard focus; returns the window that had it. */
  CWnd* SetFocus();
  /** Gives the focus back to this window as a window returning to the front does: no
   *  EN_SETFOCUS, so a dialog opened from that notification does not open again. */
  void RestoreFocus();
  static CWnd* GetFocus();

  DWORD GetStyle() const { return m_dwStyle; }
  /** Changes style bits; classes apply the ones they understand (tree styles, read-only...). */
  BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);

  /** A device context for measuring text in this window's font; give it back with ReleaseDC. */
  CDC* GetDC();
  int ReleaseDC(CDC* pDC);

  /** Attaches this object to the dialog control nID of pParent (for DDX_Control). */
  BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
  /** Attaches this object to an existing widget (no ownership change); FALSE if already attached.
   */
  BOOL Attach(QWidget* widget);
  QWidget* Detach();

  /** The Qt widget behind this window (null without one). */
  QWidget* GetWidget() const { return m_pWidget.data(); }
  /** The widget that child windows are placed in (the scrolled content for a scroll view). */
  virtual QWidget* GetClientWidget() const;

 protected:
  /** Makes the widget for Create; the default is a plain QWidget. */
  virtual QWidget* CreateWidget(QWidget* parent, const CREATESTRUCT& cs);
  /** Applies style bits after ModifyStyle or creation. */
  virtual void OnStyleChanged() {}
  /** Sends a control notification (EN_CHANGE, BN_CLICKED, ...) of this control to its parent. */
  void NotifyParent(UINT nCode);

  DWORD m_dwStyle = 0;
  QPointer<QWidget> m_pWidget;
  bool m_bOwnsWidget = true;  // deleted with this object unless Qt deleted it first
  std::unique_ptr<CDC> m_pDC;

  DECLARE_MESSAGE_MAP()

  friend class CDialog;
  friend class CWndAccess;
};
