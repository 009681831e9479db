// Shell "open".
#pragma once

#include <windows.h>

/** Opens a file with the desktop's handler (see platform/Hooks.h); returns a value above 32 on
 * success. */
HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                        LPCSTR lpDirectory, INT nShowCmd);
