// Win32-shaped value types and handles the framework's interfaces use: geometry, colours,
// handles (opaque pointers to framework objects) and the window, message and control constants
// that the program's code names. Everything is guarded so that it agrees with platform headers
// that declare the same names.
#pragma once

#include <windows.h>

#include <cstdint>

#include "afx/ResourceTypes.h"

typedef uintptr_t DWORD_PTR;
typedef uintptr_t ULONG_PTR;
typedef const char* LPCTSTR;
typedef char* LPTSTR;
typedef DWORD COLORREF;

#ifndef RGB
#define RGB(r, g, b) \
  ((COLORREF)(((BYTE)(r) | ((WORD)((BYTE)(g)) << 8)) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(rgb) ((BYTE)(rgb))
#define GetGValue(rgb) ((BYTE)(((WORD)(rgb)) >> 8))
#define GetBValue(rgb) ((BYTE)((rgb) >> 16))
#endif

/** Opaque handles. Each points at a framework object; null means none. */
typedef struct HICON__* HICON;
typedef struct HBRUSH__* HBRUSH;
typedef struct HCURSOR__* HCURSOR;
typedef struct HMENU__* HMENU;
typedef struct HIMAGELIST__* HIMAGELIST;
typedef struct _TREEITEM* HTREEITEM;
typedef struct __POSITION* POSITION;

struct POINT {
  LONG x;
  LONG y;
};
struct SIZE {
  LONG cx;
  LONG cy;
};
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};
typedef POINT* LPPOINT;
typedef SIZE* LPSIZE;
typedef RECT* LPRECT;
typedef const RECT* LPCRECT;

/** Creation parameters handed to PreCreateWindow and OnCreate. */
struct CREATESTRUCT {
  void* lpCreateParams;  // the CCreateContext* for frames and views
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCTSTR lpszName;
  LPCTSTR lpszClass;
  DWORD dwExStyle;
};
typedef CREATESTRUCT* LPCREATESTRUCT;

/** Header of every WM_NOTIFY notification. */
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
typedef NMHDR* LPNMHDR;

struct TVITEM {
  UINT mask;
  HTREEITEM hItem;
  UINT state;
  UINT stateMask;
  LPSTR pszText;
  int cchTextMax;
  int iImage;
  int iSelectedImage;
  int cChildren;
  LPARAM lParam;
};

/** TVN_SELCHANGED and the other tree notifications: itemNew.hItem is the new selection (or null).
 */
struct NMTREEVIEW {
  NMHDR hdr;
  UINT action;
  TVITEM itemOld;
  TVITEM itemNew;
  POINT ptDrag;
};
typedef NMTREEVIEW* LPNMTREEVIEW;

// Messages (the ones the framework dispatches or answers).
#ifndef WM_CREATE
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_CLOSE 0x0010
#define WM_NOTIFY 0x004E
#define WM_COMMAND 0x0111
#define WM_INITDIALOG 0x0110
#endif
#define WM_REFLECT_BASE 0xBC00  // reflected notifications: WM_REFLECT_BASE + WM_NOTIFY

// Edit and button messages.
#ifndef EM_GETMODIFY
#define EM_SETSEL 0x00B1
#define EM_GETMODIFY 0x00B8
#define EM_SETMODIFY 0x00B9
#define EM_SETREADONLY 0x00CF
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BST_UNCHECKED 0
#define BST_CHECKED 1
#endif

// Control notification codes (WM_COMMAND) and WM_NOTIFY codes.
#ifndef BN_CLICKED
#define BN_CLICKED 0
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define CBN_SELCHANGE 1
#endif
#define NM_FIRST 0u
#define NM_CLICK (NM_FIRST - 2)
#define NM_DBLCLK (NM_FIRST - 3)
#define NM_RCLICK (NM_FIRST - 5)
#define TVN_FIRST (0u - 400u)
#define TVN_SELCHANGING (TVN_FIRST - 1)
#define TVN_SELCHANGED (TVN_FIRST - 2)
#define TVN_ITEMEXPANDED (TVN_FIRST - 6)
#define TVC_UNKNOWN 0
#define TVC_BYMOUSE 1
#define TVC_BYKEYBOARD 2

// SetWindowPos flags.
#ifndef SWP_NOSIZE
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOACTIVATE 0x0010
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
#endif

// ShowWindow commands beyond those of windows.h.
#ifndef SW_SHOWNOACTIVATE
#define SW_SHOWNOACTIVATE 4
#endif

// System metrics and colours.
#ifndef SM_CXVSCROLL
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define COLOR_WINDOW 5
#define COLOR_WINDOWTEXT 8
#define COLOR_BTNFACE 15
#endif

// Window styles beyond ResourceTypes.h.
#ifndef WS_OVERLAPPEDWINDOW
#define WS_OVERLAPPED 0x00000000u
#define WS_CLIPSIBLINGS 0x04000000u
#define WS_CLIPCHILDREN 0x02000000u
#define WS_THICKFRAME 0x00040000u
#define WS_MINIMIZEBOX 0x00020000u
#define WS_MAXIMIZEBOX 0x00010000u
#define WS_OVERLAPPEDWINDOW \
  (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_EX_CLIENTEDGE 0x00000200u
#endif
#define FWS_ADDTOTITLE 0x00008000u
#define AFX_WS_DEFAULT_VIEW (WS_CHILD | WS_VISIBLE | WS_BORDER)
#define CS_DBLCLKS 0x0008u
#define CS_HREDRAW 0x0002u
#define CS_VREDRAW 0x0001u

// Tree view styles, item states, insert positions, GetNextItem codes, expand actions.
#define TVS_HASBUTTONS 0x0001u
#define TVS_HASLINES 0x0002u
#define TVS_LINESATROOT 0x0004u
#define TVS_EDITLABELS 0x0008u
#define TVS_SHOWSELALWAYS 0x0020u
#define TVIS_SELECTED 0x0002u
#define TVIS_EXPANDED 0x0020u
#define TVIS_OVERLAYMASK 0x0F00u
#define INDEXTOOVERLAYMASK(i) ((UINT)(i) << 8)
#define TVI_ROOT ((HTREEITEM)(ULONG_PTR)-0x10000)
#define TVI_FIRST ((HTREEITEM)(ULONG_PTR)-0x0FFFF)
#define TVI_LAST ((HTREEITEM)(ULONG_PTR)-0x0FFFE)
#define TVGN_ROOT 0x0000u
#define TVGN_NEXT 0x0001u
#define TVGN_PREVIOUS 0x0002u
#define TVGN_PARENT 0x0003u
#define TVGN_CHILD 0x0004u
#define TVGN_FIRSTVISIBLE 0x0005u
#define TVGN_NEXTVISIBLE 0x0006u
#define TVGN_CARET 0x0009u
#define TVE_COLLAPSE 0x0001u
#define TVE_EXPAND 0x0002u
#define TVE_TOGGLE 0x0003u
#define TVSIL_NORMAL 0
#define TVHT_ONITEM 0x0046u
#define TVHT_NOWHERE 0x0001u

// Image lists.
#define ILC_MASK 0x0001u
#define ILC_COLOR24 0x0018u

// Menus.
#define MF_BYCOMMAND 0x0000u
#define MF_BYPOSITION 0x0400u
#define MF_ENABLED 0x0000u
#define MF_GRAYED 0x0001u
#define MF_DISABLED 0x0002u
#define MF_CHECKED 0x0008u
#define MF_UNCHECKED 0x0000u
#define MF_SEPARATOR 0x0800u
#define MF_POPUP 0x0010u
#define TPM_LEFTBUTTON 0x0000u
#define TPM_RIGHTBUTTON 0x0002u
#define TPM_LEFTALIGN 0x0000u
#define TPM_RETURNCMD 0x0100u

// Control bars.
#define TBSTYLE_FLAT 0x0800u
#define RBS_BANDBORDERS 0x0400u
#define RBBS_FIXEDBMP 0x0020u
#define RBBS_GRIPPERALWAYS 0x0080u
#define CBRS_ALIGN_TOP 0x1000u
#define CBRS_ALIGN_BOTTOM 0x4000u
#define CBRS_TOP (CBRS_ALIGN_TOP | 0x0100u)
#define CBRS_BOTTOM (CBRS_ALIGN_BOTTOM | 0x0200u)
#define CBRS_TOOLTIPS 0x0010u
#define CBRS_FLYBY 0x0020u
#define SBPS_NORMAL 0x0000u
#define SBPS_NOBORDERS 0x0100u
#define SBPS_POPOUT 0x0200u
#define SBPS_DISABLED 0x04000000u
#define SBPS_STRETCH 0x08000000u

// DrawText formats.
#define DT_LEFT 0x0000u
#define DT_CENTER 0x0001u
#define DT_RIGHT 0x0002u
#define DT_SINGLELINE 0x0020u
#define DT_CALCRECT 0x0400u
#define DT_NOPREFIX 0x0800u

// Mapping mode of CScrollView.
#define MM_TEXT 1

// Common dialog flags.
#define OFN_READONLY 0x00000001u
#define OFN_OVERWRITEPROMPT 0x00000002u
#define OFN_HIDEREADONLY 0x00000004u
#define OFN_NOCHANGEDIR 0x00000008u
#define OFN_PATHMUSTEXIST 0x00000800u
#define OFN_FILEMUSTEXIST 0x00001000u
#define OFN_CREATEPROMPT 0x00002000u
#define OFN_NOREADONLYRETURN 0x00008000u
#define OFN_NOTESTFILECREATE 0x00010000u
#define OFN_EXPLORER 0x00080000u
#define OFN_LONGNAMES 0x00200000u
#define OFN_ENABLESIZING 0x00800000u

#define IDC_STATIC (-1)
