// Shell folder lookup.
#pragma once

#include <windows.h>

#define CSIDL_COOKIES 0x0021
#define SHGFP_TYPE_CURRENT 0
#define SHGFP_TYPE_DEFAULT 1

/** The store's folder for `CSIDL_COOKIES`; other folders give E_INVALIDARG. */
HRESULT SHGetFolderPathA(HWND hwnd, int csidl, HANDLE hToken, DWORD dwFlags, LPSTR pszPath);
