// The application-wide filter: accelerators for key presses outside dialog forms, the active
// view that follows the focus, and idle-time command updates.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QKeyEvent>

#include "AfxInternal.h"
#include "afx/CDialog.h"
#include "afx/CFrameWnd.h"
#include "afx/CView.h"
#include "afx/CWinApp.h"

namespace afx::detail {

namespace {

bool g_idleDirty = true;

CView* ViewOf(QWidget* w) {
  for (QWidget* p = w; p; p = p->parentWidget()) {
    if (auto* view = dynamic_cast<CView*>(CWnd::FromWidget(p))) return view;
  }
  return nullptr;
}

// A key typed inside a child dialog (a form) belongs to that form.
bool InsideForm(QWidget* w) {
  for (QWidget* p = w; p && !p->isWindow(); p = p->parentWidget()) {
    if (dynamic_cast<CDialog*>(CWnd::FromWidget(p))) return true;
  }
  return false;
}

class AppFilter : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* obj, QEvent* event) override {
    switch (event->type()) {
      case QEvent::KeyPress:
        g_idleDirty = true;
        return HandleKey(obj, static_cast<QKeyEvent*>(event));
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::FocusIn:
        g_idleDirty = true;
        break;
      default:
        break;
    }
    return false;
  }

 private:
  bool HandleKey(QObject* obj, QKeyEvent* event) {
    auto* w = qobject_cast<QWidget*>(obj);
    if (!w) return false;
    // A key the receiver ignores travels up to its parents; translate it only once.
    if (event == m_lastEvent && m_lastTarget && m_lastTarget != w && w->isAncestorOf(m_lastTarget))
      return false;
    m_lastEvent = event;
    m_lastTarget = w;
    auto* frame = dynamic_cast<CFrameWnd*>(CWnd::FromWidget(w->window()));
    if (!frame || InsideForm(w)) return false;
    return frame->TranslateAccelerator(event, obj);
  }

  const QEvent* m_lastEvent = nullptr;
  QPointer<QWidget> m_lastTarget;
};

}  // namespace

void MarkIdleDirty() { g_idleDirty = true; }

void EnsureEventFilter() {
  static AppFilter* filter = nullptr;
  if (filter || !qApp) return;
  filter = new AppFilter(qApp);
  qApp->installEventFilter(filter);
  QObject::connect(qApp, &QApplication::focusChanged, filter, [](QWidget*, QWidget* now) {
    if (!now) return;
    CView* view = ViewOf(now);
    if (!view) return;
    if (CFrameWnd* frame = view->GetParentFrame()) {
      if (frame->GetActiveView() != view) frame->SetActiveView(view);
    }
  });
  if (auto* dispatcher = QAbstractEventDispatcher::instance()) {
    QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, filter, [] {
      if (!g_idleDirty) return;
      g_idleDirty = false;
      if (CWinApp* app = AfxGetApp()) app->OnIdle(0);
    });
  }
}

}  // namespace afx::detail
