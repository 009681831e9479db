#include "afx/CView.h"

#include <QPaintEvent>
#include <QWidget>

#include "afx/CCreateContext.h"
#include "afx/CDC.h"
#include "afx/CDocument.h"
#include "afx/CFrameWnd.h"

IMPLEMENT_DYNAMIC(CView, CWnd)

BEGIN_MESSAGE_MAP(CView, CWnd)
END_MESSAGE_MAP()

namespace {
// A plain view's window: painting goes to OnDraw.
class ViewWidget : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    if (auto* view = dynamic_cast<CView*>(CWnd::FromWidget(this))) {
      CDC dc(font());
      view->OnDraw(&dc);
    }
  }
};
}  // namespace

CView::CView() = default;

CView::~CView() {
  if (m_pDocument) m_pDocument->RemoveView(this);
}

QWidget* CView::CreateWidget(QWidget* parent, const CREATESTRUCT&) {
  return new ViewWidget(parent);
}

int CView::OnCreate(LPCREATESTRUCT lpcs) {
  auto* context = lpcs ? static_cast<CCreateContext*>(lpcs->lpCreateParams) : nullptr;
  if (context && context->m_pCurrentDoc) context->m_pCurrentDoc->AddView(this);
  return CWnd::OnCreate(lpcs);
}

LRESULT CView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    if (CFrameWnd* frame = GetParentFrame()) {
      if (frame->GetActiveView() == this) frame->SetActiveView(nullptr, FALSE);
    }
  }
  return CWnd::WindowProc(message, wParam, lParam);
}

void CView::PostNcDestroy() { delete this; }

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

void CView::OnUpdate(CView*, LPARAM, CObject*) { Invalidate(TRUE); }

BOOL CView::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocument && m_pDocument->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}
