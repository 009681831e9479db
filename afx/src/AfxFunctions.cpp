#include "afx/AfxFunctions.h"

#include <QApplication>
#include <QCursor>
#include <QPalette>
#include <QScreen>
#include <QStyle>
#include <map>
#include <string>

#include "AfxInternal.h"
#include "WndClasses.h"
#include "afx/CBrush.h"
#include "afx/CWinApp.h"
#include "afx/CWnd.h"
#include "afx/ResourceRegistry.h"
#include "afx/Text.h"

struct HBRUSH__ {
  COLORREF color;
};

namespace {

std::map<std::string, COLORREF>& ClassBrushes() {
  static std::map<std::string, COLORREF> classes;
  return classes;
}

QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

COLORREF ToColorRef(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

}  // namespace

namespace afx::detail {

void ApplyWndClass(QWidget* w, LPCTSTR className) {
  if (!className) return;
  const auto it = ClassBrushes().find(className);
  if (it == ClassBrushes().end()) return;
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, ToQColor(it->second));
  w->setPalette(pal);
  w->setAutoFillBackground(true);
}

}  // namespace afx::detail

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT nIDHelp) {
  if (CWinApp* app = AfxGetApp()) return app->DoMessageBox(lpszText, nType, nIDHelp);
  // No application object: the same box without the framework's caption logic.
  return MessageBoxA(nullptr, lpszText, "", nType);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
  const CString text = AfxLoadString(nIDPrompt);
  return AfxMessageBox(text, nType, nIDHelp ? nIDHelp : nIDPrompt);
}

BOOL AfxLoadString(UINT nID, CString& rString) {
  const std::string* utf8 = afx::FindString(int(nID));
  if (!utf8) {
    rString.Empty();
    return FALSE;
  }
  rString = afx::Cp932(*utf8);
  return TRUE;
}

CString AfxLoadString(UINT nID) {
  CString s;
  AfxLoadString(nID, s);
  return s;
}

int GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
      return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
      const QScreen* screen = QGuiApplication::primaryScreen();
      if (!screen) return 0;
      const QSize s = screen->size();
      return nIndex == SM_CXSCREEN ? s.width() : s.height();
    }
  }
  return 0;
}

COLORREF GetSysColor(int nIndex) {
  const QPalette pal = QApplication::palette();
  switch (nIndex) {
    case COLOR_BTNFACE:
      return ToColorRef(pal.color(QPalette::Button));
    case COLOR_WINDOW:
      return ToColorRef(pal.color(QPalette::Base));
    case COLOR_WINDOWTEXT:
      return ToColorRef(pal.color(QPalette::Text));
  }
  return ToColorRef(pal.color(QPalette::Window));
}

BOOL GetCursorPos(LPPOINT lpPoint) {
  const QPoint p = afx::detail::g_messageCursorPos.value_or(QCursor::pos());
  *lpPoint = POINT{p.x(), p.y()};
  return TRUE;
}

LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
  static std::map<std::string, std::string> names;  // stable storage for the returned names
  char buf[96];
  snprintf(buf, sizeof buf, "Afx:%x:%p:%p:%p", nClassStyle, static_cast<void*>(hCursor),
           static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
  std::string name = buf;
  if (hbrBackground) ClassBrushes()[name] = hbrBackground->color;
  return names.emplace(name, name).first->second.c_str();
}

CBrush::~CBrush() { DeleteObject(); }

BOOL CBrush::CreateSolidBrush(COLORREF color) {
  if (m_hBrush) return FALSE;
  m_color = color;
  m_hBrush = new HBRUSH__{color};
  return TRUE;
}

BOOL CBrush::DeleteObject() {
  if (!m_hBrush) return FALSE;
  delete m_hBrush;
  m_hBrush = nullptr;
  return TRUE;
}
