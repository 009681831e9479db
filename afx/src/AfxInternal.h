// Framework internals shared between its source files.
#pragma once

#include <QPoint>
#include <QWidget>
#include <optional>

#include "afx/CWnd.h"
#include "afx/Hooks.h"

namespace afx::detail {

/** The CWnd of w or of its nearest ancestor that has one (w itself excluded when skipSelf). */
CWnd* FindOwnerWnd(const QWidget* w, bool skipSelf);
/** Sends a control notification (WM_COMMAND with the control's id and code) to its parent CWnd. */
void NotifyControl(QWidget* control, UINT code);
/** Ties a CWnd to a widget (and unties it for null). */
void BindWidget(QWidget* w, CWnd* wnd);

/** While > 0, focus changes made by the framework itself send no EN_SETFOCUS. */
extern int g_suppressFocusNotify;

/** The cursor position reported while a mouse notification is dispatched. */
extern std::optional<QPoint> g_messageCursorPos;

const ModalHook& GetModalHook();
const FileDialogHook& GetFileDialogHook();
const PopupMenuHook& GetPopupMenuHook();

/** Stored CP932 bytes and the text they were shown as, so unedited text reads back byte-exact. */
void RememberText(QWidget* w, const CString& bytes, const QString& shown);
CString RecallText(const QWidget* w, const QString& current);

/** Installs the application-wide key and focus filter (accelerators, active view, idle). */
void EnsureEventFilter();
/** Marks that user input happened, so that the next idle runs the update handlers. */
void MarkIdleDirty();

/** Win32 MulDiv: a * b / c rounded half away from zero. */
int MulDiv(int a, int b, int c);

}  // namespace afx::detail

namespace afx::detail {
/** Puts Qt message boxes behind MessageBoxA. */
void InstallQtMessageBox();
}  // namespace afx::detail
