#include "afx/Text.h"

#include <codec/Cp932.h>

namespace afx {

QString ToQString(std::string_view cp932) {
  const std::u16string wide = codec::Cp932ToUtf16(cp932);
  return QString::fromUtf16(wide.data(), qsizetype(wide.size()));
}

CString FromQString(const QString& text) {
  const std::u16string_view wide(reinterpret_cast<const char16_t*>(text.utf16()),
                                 size_t(text.size()));
  return CString(codec::Utf16ToCp932(wide));
}

CString Cp932(std::string_view utf8) { return CString(codec::Utf8ToCp932(utf8)); }

}  // namespace afx
