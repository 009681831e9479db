#include "afx/Hooks.h"

#include "AfxInternal.h"

namespace afx {
namespace {
ModalHook g_modalHook;
FileDialogHook g_fileDialogHook;
PopupMenuHook g_popupMenuHook;
}  // namespace

void SetModalHook(ModalHook hook) { g_modalHook = std::move(hook); }
void SetFileDialogHook(FileDialogHook hook) { g_fileDialogHook = std::move(hook); }
void SetPopupMenuHook(PopupMenuHook hook) { g_popupMenuHook = std::move(hook); }

void ResetHooks() {
  g_modalHook = nullptr;
  g_fileDialogHook = nullptr;
  g_popupMenuHook = nullptr;
}

void UseQtMessageBoxes() { detail::InstallQtMessageBox(); }

namespace detail {
const ModalHook& GetModalHook() { return g_modalHook; }
const FileDialogHook& GetFileDialogHook() { return g_fileDialogHook; }
const PopupMenuHook& GetPopupMenuHook() { return g_popupMenuHook; }
}  // namespace detail

}  // namespace afx
