// MessageBoxA's text and caption arrive as CP932; the buttons, icon and default button follow
// the MB_ flags, and the answer is the Win32 id of the button pressed.
#include <platform/Hooks.h>

#include <QMessageBox>
#include <QWidget>

#include "AfxInternal.h"
#include "afx/Text.h"

namespace afx::detail {

namespace {

int ShowQtMessageBox(HWND owner, const char* text, const char* caption, UINT type) {
  QString body = afx::ToQString(std::string_view(text ? text : ""));
  body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QWidget* parent = static_cast<QWidget*>(owner);
  if (parent) parent = parent->window();
  QMessageBox box(parent);
  box.setWindowTitle(afx::ToQString(std::string_view(caption ? caption : "")));
  box.setText(body);
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
      box.setIcon(QMessageBox::Critical);
      break;
    case MB_ICONQUESTION:
      box.setIcon(QMessageBox::Question);
      break;
    case MB_ICONEXCLAMATION:
      box.setIcon(QMessageBox::Warning);
      break;
    case MB_ICONASTERISK:
      box.setIcon(QMessageBox::Information);
      break;
  }
  std::vector<std::pair<QMessageBox::StandardButton, int>> buttons;
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
      break;
    case MB_YESNOCANCEL:
      buttons = {
          {QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
      break;
    case MB_YESNO:
      buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
      break;
    default:
      buttons = {{QMessageBox::Ok, IDOK}};
      break;
  }
  QMessageBox::StandardButtons set;
  for (const auto& b : buttons) set |= b.first;
  box.setStandardButtons(set);
  const size_t def = (type & MB_DEFMASK) >> 8;
  box.setDefaultButton(buttons[def < buttons.size() ? def : 0].first);
  const int answer = box.exec();
  for (const auto& b : buttons)
    if (b.first == answer) return b.second;
  // Closed without a button: Cancel where there is one, else the only button.
  for (const auto& b : buttons)
    if (b.second == IDCANCEL) return IDCANCEL;
  return buttons.size() == 1 ? IDOK : IDNO;
}

}  // namespace

void InstallQtMessageBox() { platform::SetMessageBoxHandler(&ShowQtMessageBox); }

}  // namespace afx::detail
