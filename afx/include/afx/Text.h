// Where the framework's CP932 strings meet Qt's Unicode strings. Every crossing goes through
// the codec; nothing else in the framework transcodes.
#pragma once

#include <afxcore/CString.h>

#include <QString>
#include <string_view>

namespace afx {

/** CP932 bytes to a QString for display. */
QString ToQString(std::string_view cp932);
inline QString ToQString(const CString& cp932) { return ToQString(std::string_view(cp932.str())); }
/** Typed text back to CP932 (unmappable characters become '?'). */
CString FromQString(const QString& text);
/** A literal UTF-8 text of the program as CP932. */
CString Cp932(std::string_view utf8);
/** The same for u8"..." literals (char8_t under C++20). */
inline CString Cp932(std::u8string_view utf8) {
  return Cp932(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
}

}  // namespace afx
