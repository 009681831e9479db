#include "model/ShowLastError.h"

#include <windows.h>

#include <string>

#include "codec/Cp932.h"

void ShowLastError(bool show) {
  if (!show) return;
  const DWORD error = GetLastError();
  LPSTR text = nullptr;
  FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<LPSTR>(&text), 0,
      nullptr);
  // A code without a system text still tells the user which failure it was.
  const std::string fallback = std::to_string(error);
  MessageBoxA(nullptr, text ? text : fallback.c_str(), "Error", MB_ICONINFORMATION | MB_OK);
  LocalFree(text);
}

void ShowOutOfMemory(bool duringEnumeration) {
  static const std::string kText = codec::Utf8ToCp932("ﾒﾓﾘが足りません");
  static const std::string kTextEnum = codec::Utf8ToCp932("ﾒﾓﾘが足りません.");
  // The framework's default box: application title, OK, exclamation icon.
  MessageBoxA(nullptr, duringEnumeration ? kTextEnum.c_str() : kText.c_str(), "Tolvane",
              MB_OK | MB_ICONEXCLAMATION);
}
