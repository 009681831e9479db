#pragma once

// Conversions between code page 932 (Windows-31J) and Unicode. Pure functions over constant
// tables: locale-free and safe to call from any thread.

#include <string>
#include <string_view>

namespace codec {

/** CP932 bytes to UTF-16, for showing stored text; an invalid or unmapped character becomes
 *  U+FFFD (a lead byte without a valid trail byte is replaced alone; the next byte is kept). */
std::u16string Cp932ToUtf16(std::string_view bytes);

/** UTF-16 to CP932, for storing typed text; each unmappable character (a surrogate pair counts
 *  as one) becomes '?'. */
std::string Utf16ToCp932(std::u16string_view text);

/** The program's literal UTF-8 texts to CP932; the one place where such texts meet CP932.
 *  Unmappable or malformed characters become '?'. */
std::string Utf8ToCp932(std::string_view utf8);

/** CP932 bytes to UTF-8; invalid or unmapped characters become U+FFFD. */
std::string Cp932ToUtf8(std::string_view bytes);

}  // namespace codec
