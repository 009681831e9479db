// A view: a child window of a frame (or splitter pane) that shows its document. Commands reach
// the active view first, then its document.
#pragma once

#include "afx/CWnd.h"

class CDocument;
class CDC;

class CView : public CWnd {
  DECLARE_DYNAMIC(CView)
 public:
  CView();
  ~CView() override;

  CDocument* GetDocument() const { return m_pDocument; }

  /** First update after the frame is built; default: OnUpdate(nullptr, 0, nullptr). */
  virtual void OnInitialUpdate();
  /** The document changed; default: repaint. */
  virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
  /** Paints the view (called from the widget's paint event). */
  virtual void OnDraw(CDC* pDC) = 0;

  /** This view's table, then the document's. */
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  /** Joins the document of the creation context. */
  int OnCreate(LPCREATESTRUCT lpcs) override;
  /** WM_DESTROY also stops the view from being the frame's active view. */
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  /** Views delete themselves when their window is gone. */
  void PostNcDestroy() override;

 protected:
  QWidget* CreateWidget(QWidget* parent, const CREATESTRUCT& cs) override;

  CDocument* m_pDocument = nullptr;

  DECLARE_MESSAGE_MAP()

  friend class CDocument;
};
