// Window classes registered with AfxRegisterWndClass, and the edit/button operations shared by
// the control classes and CWnd::SendMessage.
#pragma once

#include <QWidget>

#include "afx/AfxTypes.h"

namespace afx::detail {

/** Paints w's background with the brush of the registered class className (if any). */
void ApplyWndClass(QWidget* w, LPCTSTR className);

bool IsEditWidget(const QWidget* w);
BOOL EditGetModify(const QWidget* w);
void EditSetModify(QWidget* w, BOOL modified);
BOOL EditSetReadOnly(QWidget* w, BOOL readOnly);
void EditSetSel(QWidget* w, int start, int end);

}  // namespace afx::detail
