#include "afx/CWnd.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QVariant>
#include <vector>

#include "AfxInternal.h"
#include "WndClasses.h"
#include "afx/CButton.h"
#include "afx/CDC.h"
#include "afx/CFrameWnd.h"
#include "afx/Text.h"

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
END_MESSAGE_MAP()

namespace afx::detail {

namespace {
constexpr char kWndProperty[] = "afxWnd";
constexpr char kBytesProperty[] = "afxBytes";
constexpr char kShownProperty[] = "afxShown";
}  // namespace

int g_suppressFocusNotify = 0;
std::optional<QPoint> g_messageCursorPos;

void BindWidget(QWidget* w, CWnd* wnd) {
  if (w) w->setProperty(kWndProperty, QVariant::fromValue(quintptr(wnd)));
}

CWnd* FindOwnerWnd(const QWidget* w, bool skipSelf) {
  for (const QWidget* p = skipSelf && w ? w->parentWidget() : w; p; p = p->parentWidget()) {
    if (CWnd* wnd = CWnd::FromWidget(p)) return wnd;
  }
  return nullptr;
}

void NotifyControl(QWidget* control, UINT code) {
  // Notifications go to the control's own parent window only, as in Win32.
  CWnd* parent = CWnd::FromWidget(control->parentWidget());
  if (!parent) return;
  bool ok = false;
  const int id = control->objectName().toInt(&ok);
  if (!ok) return;
  parent->SendMessage(WM_COMMAND, MAKEWPARAM(id, code), LPARAM(control));
}

void RememberText(QWidget* w, const CString& bytes, const QString& shown) {
  w->setProperty(kBytesProperty, QByteArray(bytes.GetString(), bytes.GetLength()));
  w->setProperty(kShownProperty, shown);
}

CString RecallText(const QWidget* w, const QString& current) {
  const QVariant shown = w->property(kShownProperty);
  if (shown.isValid() && shown.toString() == current) {
    const QByteArray bytes = w->property(kBytesProperty).toByteArray();
    return CString(bytes.constData(), int(bytes.size()));
  }
  return afx::FromQString(current);
}

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const long long p = static_cast<long long>(a) * b;
  long long q = p / c;
  const long long r = p % c;
  if (2 * (r < 0 ? -r : r) >= (c < 0 ? -c : c)) q += ((p < 0) != (c < 0)) ? -1 : 1;
  return int(q);
}

}  // namespace afx::detail

using afx::detail::BindWidget;

namespace {

// Sends WM_DESTROY to wnd, then to the child windows that are still there afterwards.
void SendDestroy(CWnd* wnd) {
  QPointer<QWidget> w = wnd->GetWidget();
  wnd->SendMessage(WM_DESTROY);
  if (!w) return;
  std::vector<QPointer<QWidget>> children;
  const auto all = w->findChildren<QWidget*>();
  for (QWidget* c : all) {
    if (CWnd::FromWidget(c) && afx::detail::FindOwnerWnd(c, true) == wnd) children.emplace_back(c);
  }
  for (const auto& c : children) {
    if (!c) continue;
    if (CWnd* child = CWnd::FromWidget(c)) SendDestroy(child);
  }
}

void CollectPostOrder(QWidget* w, std::vector<CWnd*>& out) {
  for (QObject* o : w->children()) {
    if (auto* c = qobject_cast<QWidget*>(o)) CollectPostOrder(c, out);
  }
  if (CWnd* wnd = CWnd::FromWidget(w)) out.push_back(wnd);
}

// The tab stops inside root (itself included), in the order Tab visits them.
std::vector<QWidget*> TabStopsOf(QWidget* root) {
  std::vector<QWidget*> stops;
  QWidget* window = root->window();
  for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) && (w == root || root->isAncestorOf(w)))
      stops.push_back(w);
  }
  return stops;
}

// A window placed after a sibling in Z order follows it in the dialog's tab order, as on Windows:
// its tab stops move, in their order, to just behind the sibling's last one.
void PlaceTabStopsAfter(QWidget* w, QWidget* after) {
  const std::vector<QWidget*> before = TabStopsOf(after);
  if (before.empty()) return;
  QWidget* previous = before.back();
  for (QWidget* stop : TabStopsOf(w)) {
    QWidget::setTabOrder(previous, stop);
    previous = stop;
  }
}

// Client coordinates of scrolling controls are those of their viewport.
QWidget* CoordinateWidget(QWidget* w) {
  if (auto* area = qobject_cast<QAbstractScrollArea*>(w)) return area->viewport();
  return w;
}

}  // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (m_pWidget) {
    if (FromWidget(m_pWidget) == this) BindWidget(m_pWidget, nullptr);
    if (m_bOwnsWidget) delete m_pWidget.data();
  }
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT&) { return TRUE; }

QWidget* CWnd::CreateWidget(QWidget* parent, const CREATESTRUCT&) { return new QWidget(parent); }

QWidget* CWnd::GetClientWidget() const { return m_pWidget; }

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, CCreateContext* pContext) {
  if (m_pWidget) return FALSE;
  CREATESTRUCT cs{};
  cs.lpCreateParams = pContext;
  cs.hwndParent = pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr;
  cs.x = rect.left;
  cs.y = rect.top;
  cs.cx = rect.right - rect.left;
  cs.cy = rect.bottom - rect.top;
  cs.style = LONG(dwStyle);
  cs.lpszName = lpszWindowName;
  cs.lpszClass = lpszClassName;
  cs.hMenu = reinterpret_cast<HMENU>(uintptr_t(nID));
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();  // objects that delete themselves do so on failure too
    return FALSE;
  }
  m_dwStyle = DWORD(cs.style);
  QWidget* parentWidget = pParentWnd ? pParentWnd->GetClientWidget() : nullptr;
  QWidget* w = CreateWidget(parentWidget, cs);
  if (!w) {
    PostNcDestroy();
    return FALSE;
  }
  m_pWidget = w;
  m_bOwnsWidget = true;
  BindWidget(w, this);
  w->setObjectName(QString::number(uintptr_t(cs.hMenu)));
  afx::detail::ApplyWndClass(w, cs.lpszClass);
  if (cs.cx > 0 || cs.cy > 0) w->setGeometry(cs.x, cs.y, cs.cx, cs.cy);
  if (cs.lpszName && *cs.lpszName) SetWindowText(cs.lpszName);
  OnStyleChanged();
  if (SendMessage(WM_CREATE, 0, LPARAM(&cs)) == -1) {
    DestroyWindow();  // PostNcDestroy may delete this object
    return FALSE;
  }
  if (m_dwStyle & WS_VISIBLE) w->show();
  return TRUE;
}

BOOL CWnd::DestroyWindow() {
  if (!m_pWidget) return FALSE;
  QPointer<QWidget> root = m_pWidget;
  SendDestroy(this);
  if (!root) return TRUE;
  std::vector<CWnd*> wnds;
  CollectPostOrder(root, wnds);
  for (CWnd* wnd : wnds) {
    BindWidget(wnd->m_pWidget, nullptr);
    wnd->m_pWidget = nullptr;
    wnd->m_pDC.reset();
  }
  delete root.data();
  for (CWnd* wnd : wnds) wnd->PostNcDestroy();
  return TRUE;
}

void CWnd::PostNcDestroy() {}

int CWnd::OnCreate(LPCREATESTRUCT) { return 0; }
void CWnd::OnDestroy() {}
void CWnd::OnClose() { DestroyWindow(); }

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) {
  const UINT id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  return OnCmdMsg(id, code, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
  auto* nm = reinterpret_cast<NMHDR*>(lParam);
  if (!nm) return FALSE;
  if (CWnd* child = FromHandle(nm->hwndFrom)) {
    if (const AFX_MSGMAP_ENTRY* e =
            child->FindMessageEntry(WM_REFLECT_BASE + WM_NOTIFY, nm->code, 0)) {
      e->pfn(child, nm, pResult);
      return TRUE;
    }
  }
  if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(WM_NOTIFY, nm->code, UINT(nm->idFrom))) {
    e->pfn(this, nm, pResult);
    return TRUE;
  }
  return FALSE;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) return OnCommand(wParam, lParam);
  if (message == WM_NOTIFY) {
    LRESULT result = 0;
    OnNotify(wParam, lParam, &result);
    return result;
  }
  if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message, 0, 0))
    return e->pfn(this, reinterpret_cast<void*>(lParam), nullptr);
  switch (message) {
    case WM_CREATE:
      return OnCreate(reinterpret_cast<LPCREATESTRUCT>(lParam));
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
  }
  return 0;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  QWidget* w = m_pWidget;
  switch (message) {
    case WM_SETTEXT:
      SetWindowText(reinterpret_cast<LPCTSTR>(lParam));
      return TRUE;
    case WM_GETTEXTLENGTH:
      return GetWindowTextLength();
    case EM_GETMODIFY:
      return afx::detail::EditGetModify(w);
    case EM_SETMODIFY:
      afx::detail::EditSetModify(w, BOOL(wParam));
      return 0;
    case EM_SETSEL:
      afx::detail::EditSetSel(w, int(wParam), int(lParam));
      return 0;
    case EM_SETREADONLY:
      return afx::detail::EditSetReadOnly(w, BOOL(wParam));
    case BM_GETCHECK:
    case BM_SETCHECK: {
      auto* button = qobject_cast<QAbstractButton*>(w);
      if (!button) return 0;
      if (message == BM_GETCHECK) return button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
      button->setChecked(wParam == BST_CHECKED);
      return 0;
    }
  }
  return WindowProc(message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  QWidget* w = m_pWidget;
  if (!w) return FALSE;
  QPointer<QWidget> guard = w;
  QMetaObject::invokeMethod(
      w,
      [guard, message, wParam, lParam] {
        if (!guard) return;
        if (CWnd* wnd = CWnd::FromWidget(guard)) wnd->SendMessage(message, wParam, lParam);
      },
      Qt::QueuedConnection);
  return TRUE;
}

HWND CWnd::GetSafeHwnd() const { return m_pWidget ? static_cast<HWND>(m_pWidget.data()) : nullptr; }

CWnd* CWnd::FromHandle(HWND hWnd) { return FromWidget(static_cast<QWidget*>(hWnd)); }

CWnd* CWnd::FromWidget(const QWidget* widget) {
  if (!widget) return nullptr;
  const QVariant v = widget->property("afxWnd");
  return v.isValid() ? reinterpret_cast<CWnd*>(v.value<quintptr>()) : nullptr;
}

CWnd* CWnd::GetDlgItem(int nID) const {
  if (!m_pWidget) return nullptr;
  const QString name = QString::number(nID);
  for (QWidget* w : m_pWidget->findChildren<QWidget*>(name)) {
    if (CWnd* wnd = FromWidget(w)) return wnd;
  }
  return nullptr;
}

int CWnd::GetDlgCtrlID() const { return m_pWidget ? m_pWidget->objectName().toInt() : 0; }

void CWnd::SetDlgCtrlID(int nID) {
  if (m_pWidget) m_pWidget->setObjectName(QString::number(nID));
}

void CWnd::SetDlgItemText(int nID, LPCTSTR lpszString) {
  if (CWnd* item = GetDlgItem(nID)) item->SetWindowText(lpszString);
}

int CWnd::GetDlgItemText(int nID, CString& rString) const {
  rString.Empty();
  if (CWnd* item = GetDlgItem(nID)) item->GetWindowText(rString);
  return rString.GetLength();
}

void CWnd::SetWindowText(LPCTSTR lpszString) {
  QWidget* w = m_pWidget;
  if (!w) return;
  const CString bytes(lpszString ? lpszString : "");
  QString text = afx::ToQString(bytes);
  if (auto* line = qobject_cast<QLineEdit*>(w)) {
    afx::detail::RememberText(w, bytes, text);
    line->setText(text);
    // Qt leaves the caret after the last character and so shows a long text's end; the edit
    // control puts it before the first, and a filled field shows its start.
    line->setCursorPosition(0);
    line->setModified(false);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    afx::detail::RememberText(w, bytes, text);
    plain->setPlainText(text);
    plain->document()->setModified(false);
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
    group->setTitle(text);
  } else if (w->isWindow()) {
    w->setWindowTitle(text);
  } else {
    w->setWindowTitle(text);
  }
}

void CWnd::GetWindowText(CString& rString) const {
  rString.Empty();
  QWidget* w = m_pWidget;
  if (!w) return;
  if (auto* line = qobject_cast<QLineEdit*>(w)) {
    rString = afx::detail::RecallText(w, line->text());
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
    const QString text = plain->toPlainText();
    CString bytes = afx::detail::RecallText(w, text);
    if (w->property("afxShown").toString() != text) {
      // Lines typed in the control are separated by CR LF, as an edit control gives them.
      std::string& s = bytes.str();
      std::string out;
      for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
      }
      s = out;
    }
    rString = bytes;
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    rString = afx::FromQString(button->text());
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    rString = afx::FromQString(label->text());
  } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
    rString = afx::FromQString(group->title());
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    rString = afx::FromQString(combo->currentText());
  } else {
    rString = afx::FromQString(w->windowTitle());
  }
}

int CWnd::GetWindowTextLength() const {
  CString s;
  GetWindowText(s);
  return s.GetLength();
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
  if (!m_pWidget) return FALSE;
  const BOOL wasDisabled = !m_pWidget->isEnabled();
  // Qt moves the focus on from a widget being disabled; that move is not the user's.
  ++afx::detail::g_suppressFocusNotify;
  m_pWidget->setEnabled(bEnable != FALSE);
  --afx::detail::g_suppressFocusNotify;
  return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const { return m_pWidget && m_pWidget->isEnabled(); }

BOOL CWnd::ShowWindow(int nCmdShow) {
  if (!m_pWidget) return FALSE;
  const BOOL wasVisible = m_pWidget->isVisible() || !m_pWidget->isHidden();
  if (nCmdShow == SW_HIDE) {
    m_pWidget->hide();
    m_dwStyle &= ~WS_VISIBLE;
  } else {
    m_pWidget->show();
    m_dwStyle |= WS_VISIBLE;
  }
  return wasVisible;
}

BOOL CWnd::IsWindowVisible() const { return m_pWidget && m_pWidget->isVisible(); }

void CWnd::UpdateWindow() {
  if (m_pWidget) m_pWidget->repaint();
}

void CWnd::Invalidate(BOOL) {
  if (m_pWidget) m_pWidget->update();
}

void CWnd::GetWindowRect(LPRECT lpRect) const {
  *lpRect = RECT{0, 0, 0, 0};
  QWidget* w = m_pWidget;
  if (!w) return;
  QRect r;
  if (w->isWindow()) {
    r = w->frameGeometry();
  } else {
    r = QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
  }
  *lpRect = RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

void CWnd::GetClientRect(LPRECT lpRect) const {
  *lpRect = RECT{0, 0, 0, 0};
  if (!m_pWidget) return;
  const QSize s = CoordinateWidget(m_pWidget)->size();
  *lpRect = RECT{0, 0, s.width(), s.height()};
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
  QWidget* w = m_pWidget;
  if (!w) return FALSE;
  if (!(nFlags & SWP_NOMOVE)) w->move(x, y);
  if (!(nFlags & SWP_NOSIZE)) w->resize(cx, cy);
  if (!(nFlags & SWP_NOZORDER)) {
    QWidget* after = pWndInsertAfter ? pWndInsertAfter->GetWidget() : nullptr;
    if (!pWndInsertAfter) {
      w->raise();
    } else if (after && after != w && after->parentWidget() == w->parentWidget()) {
      w->stackUnder(after);
      PlaceTabStopsAfter(w, after);
    }
  }
  if (nFlags & SWP_SHOWWINDOW) ShowWindow(SW_SHOW);
  if (nFlags & SWP_HIDEWINDOW) ShowWindow(SW_HIDE);
  return TRUE;
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL) {
  if (m_pWidget) m_pWidget->setGeometry(x, y, nWidth, nHeight);
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
  MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top,
             bRepaint);
}

void CWnd::ScreenToClient(LPPOINT lpPoint) const {
  if (!m_pWidget) return;
  const QPoint p = CoordinateWidget(m_pWidget)->mapFromGlobal(QPoint(lpPoint->x, lpPoint->y));
  *lpPoint = POINT{p.x(), p.y()};
}

void CWnd::ScreenToClient(LPRECT lpRect) const {
  POINT tl{lpRect->left, lpRect->top}, br{lpRect->right, lpRect->bottom};
  ScreenToClient(&tl);
  ScreenToClient(&br);
  *lpRect = RECT{tl.x, tl.y, br.x, br.y};
}

void CWnd::ClientToScreen(LPPOINT lpPoint) const {
  if (!m_pWidget) return;
  const QPoint p = CoordinateWidget(m_pWidget)->mapToGlobal(QPoint(lpPoint->x, lpPoint->y));
  *lpPoint = POINT{p.x(), p.y()};
}

void CWnd::ClientToScreen(LPRECT lpRect) const {
  POINT tl{lpRect->left, lpRect->top}, br{lpRect->right, lpRect->bottom};
  ClientToScreen(&tl);
  ClientToScreen(&br);
  *lpRect = RECT{tl.x, tl.y, br.x, br.y};
}

CWnd* CWnd::GetParent() const {
  return m_pWidget ? afx::detail::FindOwnerWnd(m_pWidget, true) : nullptr;
}

CFrameWnd* CWnd::GetParentFrame() const {
  for (CWnd* p = GetParent(); p; p = p->GetParent()) {
    if (auto* frame = dynamic_cast<CFrameWnd*>(p)) return frame;
  }
  return nullptr;
}

CWnd* CWnd::SetFocus() {
  CWnd* previous = GetFocus();
  if (m_pWidget) m_pWidget->setFocus(Qt::OtherFocusReason);
  return previous;
}

void CWnd::RestoreFocus() {
  if (m_pWidget) m_pWidget->setFocus(Qt::ActiveWindowFocusReason);
}

CWnd* CWnd::GetFocus() {
  QWidget* w = QApplication::focusWidget();
  return w ? afx::detail::FindOwnerWnd(w, false) : nullptr;
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT) {
  m_dwStyle = (m_dwStyle & ~dwRemove) | dwAdd;
  OnStyleChanged();
  return TRUE;
}

CDC* CWnd::GetDC() {
  if (!m_pWidget) return nullptr;
  m_pDC = std::make_unique<CDC>(m_pWidget->font());
  return m_pDC.get();
}

int CWnd::ReleaseDC(CDC* pDC) {
  if (!pDC || pDC != m_pDC.get()) return 0;
  m_pDC.reset();
  return 1;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  if (!pParent || !pParent->GetWidget()) return FALSE;
  QWidget* w = nullptr;
  for (QWidget* c : pParent->GetWidget()->findChildren<QWidget*>(QString::number(nID))) {
    if (FromWidget(c)) {
      w = c;
      break;
    }
  }
  if (!w) return FALSE;
  if (CWnd* previous = FromWidget(w)) m_dwStyle = previous->m_dwStyle;
  return Attach(w);
}

BOOL CWnd::Attach(QWidget* widget) {
  if (m_pWidget || !widget) return FALSE;
  m_pWidget = widget;
  m_bOwnsWidget = false;
  BindWidget(widget, this);
  return TRUE;
}

QWidget* CWnd::Detach() {
  QWidget* w = m_pWidget;
  if (w && FromWidget(w) == this) BindWidget(w, nullptr);
  m_pWidget = nullptr;
  return w;
}

void CWnd::NotifyParent(UINT nCode) {
  if (m_pWidget) afx::detail::NotifyControl(m_pWidget, nCode);
}
