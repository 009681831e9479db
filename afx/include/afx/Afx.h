// The framework in one include.
//
// Guide for the program's windows (app/, tree/, detail/)
// -------------------------------------------------------
// Names and meanings follow the document/view framework the program was written against; what
// differs:
// - Text: every string crossing this API is a CP932 CString / const char*. Literals in source are
//   UTF-8: convert with afx::Cp932(u8"...") (Text.h). afx::ToQString/FromQString cross to Qt.
// - Resources: main() registers res/'s ResourceSet with afx::RegisterResources before AfxWinMain.
//   Lookups: afx::FindDialog(id), AfxLoadString(id), AfxGetApp()->LoadIcon(id).
// - Message tables: DECLARE_MESSAGE_MAP() in the class, then in the .cpp
//     BEGIN_MESSAGE_MAP(CLeftView, CTreeView)
//       ON_WM_DESTROY()                                   // virtual void OnDestroy()
//       ON_NOTIFY_REFLECT(TVN_SELCHANGED, OnSelChanged)   // void (NMHDR*, LRESULT*)
//       ON_COMMAND(32773, OnDeleteItem)                    // void ()
//       ON_UPDATE_COMMAND_UI(32773, OnUpdateDeleteItem)    // void (CCmdUI*)
//     END_MESSAGE_MAP()
//   Handlers are named WITHOUT the class (OnDeleteItem, or CWinApp::OnFileNew for a base
//   class's public handler). Dialogs: ON_EN_CHANGE(id, f), ON_EN_SETFOCUS(id, f),
//   ON_BN_CLICKED(id, f). Frames: ON_WM_CREATE() with int OnCreate(LPCREATESTRUCT).
//   OnCreate, OnDestroy, OnClose, OnInitDialog, OnOK, OnCancel, DoDataExchange, OnUpdate,
//   OnInitialUpdate, OnDraw, PreCreateWindow, OnCreateClient, Create are virtual.
// - Dynamic creation: DECLARE_DYNCREATE(CLeftView) / IMPLEMENT_DYNCREATE(CLeftView, CTreeView)
//   (afxcore/CObject.h); every framework class has a RUNTIME_CLASS.
// - Start: CTolvaneApp theApp; main(): afx::RegisterResources(...), then
//   return AfxWinMain(argc, argv).
//   InitInstance: Enable3dControls(); AddDocTemplate(new CSingleDocTemplate(128,
//   RUNTIME_CLASS(CTolvaneDoc), RUNTIME_CLASS(CMainFrame), RUNTIME_CLASS(CLeftView)));
//   CCommandLineInfo ci; ParseCommandLine(ci); if (!ProcessShellCommand(ci)) return FALSE;
//   m_pMainWnd->ShowWindow(SW_SHOW); m_pMainWnd->UpdateWindow(); return TRUE;
// - Frame: CMainFrame : CFrameWnd with ON_WM_CREATE; in OnCreate call CFrameWnd::OnCreate first,
//   then m_wndToolBar.CreateEx(this, TBSTYLE_FLAT, WS_CHILD|WS_VISIBLE|CBRS_ALIGN_TOP) &&
//   LoadToolBar(128); m_wndReBar.Create(this) && AddBar(&m_wndToolBar); m_wndStatusBar.Create(this)
//   && SetIndicators(ids, 6); SetBarStyle(GetBarStyle()|CBRS_TOOLTIPS|CBRS_FLYBY);
//   CClientDC dc(&m_wndStatusBar) or GetDC()/ReleaseDC; dc.DrawText(text, -1, &rc, DT_CALCRECT);
//   SetPaneInfo(1, 0, SBPS_POPOUT, rc.Width()). OnCreateClient: m_wndSplitter.CreateStatic(this,
//   1, 2); CreateView(0, 0, RUNTIME_CLASS(CLeftView), CSize(100, 100), pContext); ...
// - Commands: routed active view -> document -> frame -> application. No handler anywhere =
//   disabled. Tests: frame->UpdateCommandUI(), frame->IsCommandEnabled(id),
//   frame->ExecuteCommand(id) (what a menu click or key does), frame->GetCommandAction(id).
//   ID_APP_EXIT posts WM_CLOSE: run QCoreApplication::processEvents() to let it happen.
// - Views: the splitter creates them from RUNTIME_CLASS; CView::GetDocument(), GetParentFrame().
//   The document calls UpdateAllViews(nullptr, 0, nullptr); iterate views with
//   POSITION pos = GetFirstViewPosition(); while (pos) { CView* v = GetNextView(pos); ... }.
// - Tree: CTreeView::GetTreeCtrl() (CTreeCtrl.h has the rules for selection notifications and
//   deletion). CImageList + AfxGetApp()->LoadIcon(id); SetOverlayImage(2, 1);
//   tree.SetItemState(h, INDEXTOOVERLAYMASK(n), TVIS_OVERLAYMASK). Context menu: CMenu menu;
//   menu.LoadMenu(134); CMenu* p = menu.GetSubMenu(0); p->EnableMenuItem(id, MF_GRAYED);
//   p->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, pt.x, pt.y, this). GetCursorPos and
//   ScreenToClient as usual (during NM_RCLICK the cursor is the click's position).
// - Dialogs: CMyDlg(UINT id = 138, CWnd* parent = nullptr) : CDialog(id, parent). Modeless child
//   form: form->Create(101, this) (hidden unless the template has WS_VISIBLE), ShowWindow,
//   SetWindowPos, DestroyWindow then delete. Modal: dlg.DoModal() == IDOK. Controls:
//   GetDlgItem(id) returns CEdit*/CButton*/CComboBox*/CStatic* by kind (static_cast it);
//   SetDlgItemText/GetDlgItemText; SendMessage(EM_GETMODIFY) etc. DDX_Text/Check/Radio/CBIndex/
//   Control and DDV_MinMaxUInt in CDataExchange.h.
// - Scroll view: SetScrollSizes(MM_TEXT, total, sizeDefault, sizeDefault), ScrollToPosition,
//   GetScrollPosition, UpdateBars; children created with the view as parent scroll with it.
//   Background: CBrush + GetSysColor(COLOR_BTNFACE) + AfxRegisterWndClass(CS_DBLCLKS, nullptr,
//   brush.GetSafeHandle()) passed as the class name to CWnd::Create.
// - Message boxes: AfxMessageBox(text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) -> IDYES/IDNO,
//   caption "Tolvane". Tests answer them with platform::SetMessageBoxHandler.
// - Test seams (Hooks.h): afx::SetModalHook (drive a modal dialog in-process),
//   afx::SetFileDialogHook, afx::SetPopupMenuHook (pick a context-menu item, read its grayed
//   states); afx::ResetHooks(). In a modal hook, click with
//   static_cast<CButton*>(dlg.GetDlgItem(IDOK))->Click() (runs OnOK and its validation;
//   IsEnded() tells whether the dialog closed); type with QTest::keyClicks on
//   GetDlgItem(id)->GetWidget() (modified flag set, EN_CHANGE per key) or set text with
//   SetDlgItemText (program text: modified flag clear).
// - Ownership: frames and views delete themselves (PostNcDestroy) when their window is
//   destroyed; a CWnd you create yourself is yours: DestroyWindow(), then delete it. Widgets of a
//   destroyed window are gone at once, so a handler may destroy windows other than its own.
// - Not shown on this platform: the key-state indicators' texts (Qt cannot read Caps/Num/Scroll
//   Lock); they keep their place.
#pragma once

#include "afx/AfxFunctions.h"
#include "afx/AfxRes.h"
#include "afx/AfxTypes.h"
#include "afx/CBrush.h"
#include "afx/CButton.h"
#include "afx/CCmdTarget.h"
#include "afx/CCmdUI.h"
#include "afx/CComboBox.h"
#include "afx/CControlBar.h"
#include "afx/CCreateContext.h"
#include "afx/CDC.h"
#include "afx/CDataExchange.h"
#include "afx/CDialog.h"
#include "afx/CDocTemplate.h"
#include "afx/CDocument.h"
#include "afx/CEdit.h"
#include "afx/CFileDialog.h"
#include "afx/CFrameWnd.h"
#include "afx/CGeometry.h"
#include "afx/CImageList.h"
#include "afx/CMenu.h"
#include "afx/CReBar.h"
#include "afx/CScrollView.h"
#include "afx/CSplitterWnd.h"
#include "afx/CStatic.h"
#include "afx/CStatusBar.h"
#include "afx/CToolBar.h"
#include "afx/CTreeCtrl.h"
#include "afx/CTreeView.h"
#include "afx/CView.h"
#include "afx/CWinApp.h"
#include "afx/CWnd.h"
#include "afx/DialogUnits.h"
#include "afx/Hooks.h"
#include "afx/ResourceRegistry.h"
#include "afx/ResourceTypes.h"
#include "afx/Text.h"
