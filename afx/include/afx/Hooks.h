// Seams for tests: each modal piece of UI goes through one hook that a test sets to drive it
// without an event loop. Message boxes use platform::SetMessageBoxHandler (platform/Hooks.h).
#pragma once

#include <afxcore/CString.h>

#include <functional>
#include <optional>

#include "afx/AfxTypes.h"

class CDialog;
class CMenu;

namespace afx {

/** Drives a modal dialog: it is built and initialised, then handed here; the hook may type into
 *  controls and click buttons (OK runs OnOK and its validation). Empty restores real dialogs. */
using ModalHook = std::function<void(CDialog& dialog)>;
void SetModalHook(ModalHook hook);

/** What a file dialog asks. Texts are CP932. */
struct FileDialogRequest {
  bool open;           // TRUE for an open dialog, FALSE for save-as
  CString defaultExt;  // without the dot
  CString fileName;    // initial name
  CString filter;      // "desc|pattern|...||"
  DWORD flags;         // OFN_*
};
/** Answers a file dialog: a path (CP932) or nullopt for cancel. Empty restores QFileDialog. */
using FileDialogHook = std::function<std::optional<CString>(const FileDialogRequest& request)>;
void SetFileDialogHook(FileDialogHook hook);

/** Picks from a popup menu instead of showing it: gets the menu (read its states with
 *  CMenu::GetMenuState) and returns the chosen id, 0 for none. Empty restores real menus. */
using PopupMenuHook = std::function<UINT(CMenu& menu, int x, int y)>;
void SetPopupMenuHook(PopupMenuHook hook);

/** Removes every hook above (message boxes are the platform's). */
void ResetHooks();

/** Puts real Qt message boxes behind MessageBoxA, as AfxWinMain does (for a test that has
 *  answered boxes itself so far and wants to see one). */
void UseQtMessageBoxes();

}  // namespace afx
