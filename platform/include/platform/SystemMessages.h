// The system message texts as written, for tools that print them and for checking them.
#pragma once

#include <windows.h>

#include <vector>

namespace platform {

struct SystemMessage {
  DWORD code;
  const char* utf8;  // without the CR LF that FormatMessageA adds
};

/** Every code FormatMessageA has a text for, with that text in UTF-8. */
std::vector<SystemMessage> SystemMessages();

}  // namespace platform
