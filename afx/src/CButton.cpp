#include "afx/CButton.h"

#include <QAbstractButton>

#include "ControlWidgets.h"

IMPLEMENT_DYNAMIC(CButton, CWnd)

int CButton::GetCheck() const {
  auto* button = qobject_cast<QAbstractButton*>(m_pWidget);
  return button && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int nCheck) {
  if (auto* button = qobject_cast<QAbstractButton*>(m_pWidget))
    afx::detail::ButtonSetCheck(button, nCheck == BST_CHECKED);
}

void CButton::Click() {
  if (auto* button = qobject_cast<QAbstractButton*>(m_pWidget)) button->click();
}
