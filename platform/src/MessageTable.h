#pragma once

#include <windows.h>

namespace platform::detail {

// The CP932 text for a system error code, ending in CR LF; null when there is none.
const char* SystemMessageText(DWORD code);

}  // namespace platform::detail
