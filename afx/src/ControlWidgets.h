// The Qt widgets behind dialog controls, with their Win32 notifications wired to the parent.
#pragma once

#include <QAbstractButton>
#include <QWidget>

#include "afx/ResourceTypes.h"

namespace afx::detail {

/** Creates the widget of one template control (geometry is set by the caller). */
QWidget* MakeControl(QWidget* parent, const DialogItem& item,
                     const std::vector<std::string>* listItems);
/** An edit widget: QLineEdit, or QPlainTextEdit with ES_MULTILINE. */
QWidget* MakeEdit(QWidget* parent, uint32_t style);
/** Checks or unchecks a button; unchecking the checked radio of a group is allowed. */
void ButtonSetCheck(QAbstractButton* button, bool checked);

}  // namespace afx::detail
