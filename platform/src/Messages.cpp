#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "MessageTable.h"

DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD /*dwLanguageId*/,
                     LPSTR lpBuffer, DWORD nSize, void* /*Arguments*/) {
  if (lpBuffer == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  // Inserts are never expanded: every caller passes IGNORE_INSERTS and none of our texts
  // carries an insert the program would fill.
  const char* text = nullptr;
  if ((dwFlags & FORMAT_MESSAGE_FROM_STRING) != 0) {
    text = static_cast<const char*>(lpSource);
  } else if ((dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) != 0) {
    text = platform::detail::SystemMessageText(dwMessageId);
  }
  if (text == nullptr) {
    SetLastError((dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) != 0 ? ERROR_MR_MID_NOT_FOUND
                                                             : ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t length = std::strlen(text);
  if ((dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
    // lpBuffer is really a char** here; LocalFree releases what it receives.
    char* copy = static_cast<char*>(std::malloc(length + 1 < nSize ? nSize : length + 1));
    if (copy == nullptr) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    std::memcpy(copy, text, length + 1);
    *reinterpret_cast<char**>(lpBuffer) = copy;
    return static_cast<DWORD>(length);
  }
  if (length + 1 > nSize) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(lpBuffer, text, length + 1);
  return static_cast<DWORD>(length);
}

HLOCAL LocalFree(HLOCAL hMem) {
  std::free(hMem);
  return nullptr;
}
