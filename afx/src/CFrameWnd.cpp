#include "afx/CFrameWnd.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

#include "AfxInternal.h"
#include "afx/AfxFunctions.h"
#include "afx/CCmdUI.h"
#include "afx/CControlBar.h"
#include "afx/CCreateContext.h"
#include "afx/CDocTemplate.h"
#include "afx/CDocument.h"
#include "afx/CStatusBar.h"
#include "afx/CView.h"
#include "afx/CWinApp.h"
#include "afx/ResourceRegistry.h"
#include "afx/Text.h"

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_COMMAND(ID_VIEW_TOOLBAR, OnViewToolBar)
ON_UPDATE_COMMAND_UI(ID_VIEW_TOOLBAR, OnUpdateControlBarMenu)
ON_COMMAND(ID_VIEW_STATUS_BAR, OnViewStatusBar)
ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, OnUpdateControlBarMenu)
END_MESSAGE_MAP()

namespace {

constexpr uint8_t kAlt = 0x10;  // FALT

// The window's close button asks the frame (WM_CLOSE), which may refuse.
class FrameWindow : public QMainWindow {
 public:
  using QMainWindow::QMainWindow;

 protected:
  void closeEvent(QCloseEvent* event) override {
    event->ignore();
    if (CWnd* frame = CWnd::FromWidget(this)) frame->PostMessage(WM_CLOSE);
  }
};

// The client area: the pane with id AFX_IDW_PANE_FIRST fills it.
class FrameClient : public QWidget {
 public:
  using QWidget::QWidget;
  void Layout() {
    for (QObject* o : children()) {
      auto* w = qobject_cast<QWidget*>(o);
      if (w && w->objectName() == QString::number(AFX_IDW_PANE_FIRST)) w->setGeometry(rect());
    }
  }

 protected:
  void resizeEvent(QResizeEvent*) override { Layout(); }
};

int VirtualKey(int key) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return 0x70 + (key - Qt::Key_F1);
  switch (key) {
    case Qt::Key_Delete:
      return VK_DELETE;
    case Qt::Key_Insert:
      return VK_INSERT;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 0x0D;
    case Qt::Key_Escape:
      return 0x1B;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return 0x09;
    case Qt::Key_Backspace:
      return 0x08;
    case Qt::Key_Space:
      return 0x20;
    case Qt::Key_PageUp:
      return 0x21;
    case Qt::Key_PageDown:
      return 0x22;
    case Qt::Key_End:
      return 0x23;
    case Qt::Key_Home:
      return 0x24;
    case Qt::Key_Left:
      return 0x25;
    case Qt::Key_Up:
      return 0x26;
    case Qt::Key_Right:
      return 0x27;
    case Qt::Key_Down:
      return 0x28;
  }
  return 0;
}

}  // namespace

struct CFrameWnd::Impl {
  std::map<UINT, QAction*> actions;
  std::vector<CControlBar*> bars;
  const afx::AcceleratorTable* accelerators = nullptr;
  FrameClient* client = nullptr;
};

CFrameWnd::CFrameWnd() : m_impl(std::make_unique<Impl>()) {}

CFrameWnd::~CFrameWnd() = default;

QMainWindow* CFrameWnd::GetMainWindow() const { return qobject_cast<QMainWindow*>(m_pWidget); }

QWidget* CFrameWnd::CreateWidget(QWidget* parent, const CREATESTRUCT&) {
  auto* window = new FrameWindow(parent);
  m_impl->client = new FrameClient(window);
  window->setCentralWidget(m_impl->client);
  // The default size of a new top-level window: most of the screen.
  QSize size(1024, 720);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    size = size.boundedTo(screen->availableSize() * 9 / 10);
  window->resize(size);
  // The menu bar exists before WM_CREATE, as a frame's menu does.
  m_pWidget = window;
  BuildMenuBar(m_nIDResource);
  return window;
}

QWidget* CFrameWnd::GetClientWidget() const { return m_impl->client; }

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT&) { return TRUE; }

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                          CCreateContext* pContext) {
  m_nIDResource = nIDResource;
  if (pContext && pContext->m_pNewDocTemplate)
    pContext->m_pNewDocTemplate->GetDocString(m_strTitle, CDocTemplate::windowTitle);
  else
    m_strTitle = AfxGetAppName();
  afx::detail::EnsureEventFilter();
  m_impl->accelerators = afx::FindAccelerators(int(nIDResource));
  if (!CWnd::Create(nullptr, m_strTitle, dwDefaultStyle & ~WS_VISIBLE, CRect(), pParentWnd, 0,
                    pContext))
    return FALSE;  // this object is gone
  if (QMainWindow* window = GetMainWindow()) {
    const QPixmap icon = afx::IconPixmap(afx::LoadIconResource(int(nIDResource)));
    if (!icon.isNull()) window->setWindowIcon(QIcon(icon));
  }
  OnUpdateFrameTitle(TRUE);
  return TRUE;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
  auto* context = lpcs ? static_cast<CCreateContext*>(lpcs->lpCreateParams) : nullptr;
  if (!OnCreateClient(lpcs, context)) return -1;
  RecalcLayout();
  return 0;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
  if (!pContext || !pContext->m_pNewViewClass) return TRUE;
  CObject* object = pContext->m_pNewViewClass->CreateObject();
  auto* view = dynamic_cast<CWnd*>(object);
  if (!view) {
    delete object;
    return FALSE;
  }
  return view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, CRect(), this, AFX_IDW_PANE_FIRST,
                      pContext);
}

void CFrameWnd::BuildMenuBar(UINT nIDResource) {
  QMainWindow* window = GetMainWindow();
  const afx::MenuResource* menu = afx::FindMenu(int(nIDResource));
  if (!window || !menu) return;
  std::function<void(QMenu*, const std::vector<afx::MenuItem>&)> fill =
      [&](QMenu* target, const std::vector<afx::MenuItem>& items) {
        for (const afx::MenuItem& item : items) {
          const QString text = afx::ToQString(afx::Cp932(item.text));
          if (item.separator) {
            target->addSeparator();
          } else if (!item.children.empty()) {
            fill(target->addMenu(text), item.children);
          } else {
            QAction* action = EnsureCommandAction(UINT(item.id));
            action->setText(text);
            if (item.checked) {
              action->setCheckable(true);
              action->setChecked(true);
            }
            target->addAction(action);
          }
        }
      };
  for (const afx::MenuItem& popup : menu->popups) {
    QMenu* m = window->menuBar()->addMenu(afx::ToQString(afx::Cp932(popup.text)));
    fill(m, popup.children);
    QObject::connect(m, &QMenu::aboutToShow, m, [this, m] {
      for (QAction* a : m->actions()) {
        bool ok = false;
        const UINT id = a->objectName().toUInt(&ok);
        if (ok) ApplyCommandUI(id, a);
      }
    });
  }
}

QAction* CFrameWnd::GetCommandAction(UINT nID) const {
  const auto it = m_impl->actions.find(nID);
  return it == m_impl->actions.end() ? nullptr : it->second;
}

QAction* CFrameWnd::EnsureCommandAction(UINT nID) {
  if (QAction* existing = GetCommandAction(nID)) return existing;
  auto* action = new QAction(m_pWidget);
  action->setObjectName(QString::number(nID));
  CString prompt;
  if (AfxLoadString(nID, prompt)) {
    const QString text = afx::ToQString(prompt);
    const qsizetype nl = text.indexOf(QLatin1Char('\n'));
    action->setStatusTip(nl < 0 ? text : text.left(nl));
    if (nl >= 0) action->setToolTip(text.mid(nl + 1));
  }
  QObject::connect(action, &QAction::triggered, action, [this, nID] { ExecuteCommand(nID); });
  m_impl->actions.emplace(nID, action);
  return action;
}

void CFrameWnd::ApplyCommandUI(UINT nID, QAction* action) {
  CCmdUI ui(nID);
  ui.DoUpdate(this, TRUE);
  if (!action) return;
  action->setEnabled(ui.m_bEnabled);
  if (ui.m_bCheckChanged) {
    action->setCheckable(true);
    action->setChecked(ui.m_nCheck != 0);
  }
  if (ui.m_bTextChanged) action->setText(afx::ToQString(std::string_view(ui.m_strText)));
}

void CFrameWnd::UpdateCommandUI() {
  // Handlers may add actions (none do today); walk a copy.
  const auto actions = m_impl->actions;
  for (const auto& [id, action] : actions) ApplyCommandUI(id, action);
}

bool CFrameWnd::IsCommandEnabled(UINT nID) {
  CCmdUI ui(nID);
  ui.DoUpdate(this, TRUE);
  if (QAction* action = GetCommandAction(nID)) action->setEnabled(ui.m_bEnabled);
  return ui.m_bEnabled;
}

BOOL CFrameWnd::ExecuteCommand(UINT nID) {
  if (!IsCommandEnabled(nID)) return FALSE;
  afx::detail::MarkIdleDirty();
  OnCmdMsg(nID, CN_COMMAND, nullptr, nullptr);
  return TRUE;
}

BOOL CFrameWnd::TranslateAccelerator(QKeyEvent* event, QObject*) {
  if (!m_impl->accelerators) return FALSE;
  const int vk = VirtualKey(event->key());
  if (vk == 0) return FALSE;
  uint8_t mods = 0;
  if (event->modifiers() & Qt::ControlModifier) mods |= FCONTROL;
  if (event->modifiers() & Qt::ShiftModifier) mods |= FSHIFT;
  if (event->modifiers() & Qt::AltModifier) mods |= kAlt;
  for (const afx::Accelerator& a : m_impl->accelerators->entries) {
    const int key = (a.flags & FVIRTKEY) ? a.key : std::toupper(a.key);
    if (key == vk && (a.flags & (FCONTROL | FSHIFT | kAlt)) == mods) {
      ExecuteCommand(UINT(a.id));  // a disabled command swallows its key
      return TRUE;
    }
  }
  return FALSE;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CView* view = GetActiveView()) {
    if (view->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  }
  if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  CWinApp* app = AfxGetApp();
  return app && app->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

CView* CFrameWnd::GetActiveView() const { return m_pActiveView; }

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL) {
  m_pActiveView = pViewNew;
  afx::detail::MarkIdleDirty();
}

CDocument* CFrameWnd::GetActiveDocument() {
  if (m_pActiveView) return m_pActiveView->GetDocument();
  if (!m_pWidget) return nullptr;
  for (QWidget* w : m_pWidget->findChildren<QWidget*>()) {
    if (auto* view = dynamic_cast<CView*>(CWnd::FromWidget(w)))
      if (view->GetDocument()) return view->GetDocument();
  }
  return nullptr;
}

void CFrameWnd::RecalcLayout(BOOL) {
  if (QMainWindow* window = GetMainWindow()) {
    if (window->layout()) window->layout()->activate();
  }
  if (m_impl->client) m_impl->client->Layout();
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
  if (!m_pWidget) return;
  CString caption = m_strTitle;
  CDocument* doc = bAddToTitle ? GetActiveDocument() : nullptr;
  if (doc && !doc->GetTitle().IsEmpty()) caption = doc->GetTitle() + " - " + m_strTitle;
  m_pWidget->setWindowTitle(afx::ToQString(caption));
}

void CFrameWnd::OnClose() {
  CDocument* doc = GetActiveDocument();
  if (doc && !doc->CanCloseFrame(this)) return;
  CWinApp* app = AfxGetApp();
  if (doc && app && app->m_pMainWnd == this) {
    doc->OnCloseDocument();  // destroys this frame with the document's other frames
    return;
  }
  DestroyWindow();
}

void CFrameWnd::PostNcDestroy() {
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) {
    app->m_pMainWnd = nullptr;
    QCoreApplication::quit();
  }
  delete this;
}

void CFrameWnd::SetMessageText(LPCTSTR lpszText) {
  if (auto* bar = dynamic_cast<CStatusBar*>(GetMessageBar())) bar->SetMessageText(lpszText);
}

void CFrameWnd::SetMessageText(UINT nID) {
  SetMessageText(nID == AFX_IDS_IDLEMESSAGE ? "" : AfxLoadString(nID).GetString());
}

CWnd* CFrameWnd::GetMessageBar() { return GetControlBar(AFX_IDW_STATUS_BAR); }

CControlBar* CFrameWnd::GetControlBar(UINT nID) const {
  for (CControlBar* bar : m_impl->bars)
    if (UINT(bar->GetDlgCtrlID()) == nID) return bar;
  return nullptr;
}

void CFrameWnd::ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL) {
  if (!pBar) return;
  pBar->ShowWindow(bShow ? SW_SHOW : SW_HIDE);
  RecalcLayout();
}

void CFrameWnd::OnBarCheck(UINT nID) {
  CControlBar* bar = GetControlBar(nID);
  if (!bar || !bar->GetWidget()) return;
  ShowControlBar(bar, bar->GetWidget()->isHidden(), FALSE);
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* pCmdUI) {
  CControlBar* bar = GetControlBar(pCmdUI->m_nID);
  if (!bar || !bar->GetWidget()) {
    pCmdUI->Enable(FALSE);
    return;
  }
  pCmdUI->Enable(TRUE);
  pCmdUI->SetCheck(bar->GetWidget()->isHidden() ? 0 : 1);
}

void CFrameWnd::RegisterControlBar(CControlBar* pBar) {
  if (std::find(m_impl->bars.begin(), m_impl->bars.end(), pBar) == m_impl->bars.end())
    m_impl->bars.push_back(pBar);
}

void CFrameWnd::UnregisterControlBar(CControlBar* pBar) {
  m_impl->bars.erase(std::remove(m_impl->bars.begin(), m_impl->bars.end(), pBar),
                     m_impl->bars.end());
}
