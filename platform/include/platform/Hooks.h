// Where message boxes and the shell's "open" go. The UI installs its own handlers; tests install
// scripted ones.
#pragma once

#include <windows.h>

#include <functional>

namespace platform {

// text and caption are CP932. Returns the button id (IDOK, IDYES, ...).
using MessageBoxHandler =
    std::function<int(HWND owner, const char* text, const char* caption, UINT type)>;
// Empty restores the default: the text goes to stderr and the default button is answered.
void SetMessageBoxHandler(MessageBoxHandler handler);

// Returns whether the file was handed to a handler.
using ShellExecuteHandler = std::function<bool(const char* verb, const char* file)>;
// Empty restores the default: xdg-open, detached.
void SetShellExecuteHandler(ShellExecuteHandler handler);

}  // namespace platform
