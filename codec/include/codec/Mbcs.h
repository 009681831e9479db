#pragma once

// The code page 932 C runtime functions the program relies on, under their Windows names,
// fixed to code page 932 whatever the host locale is. Thread-safe.

#include <cstddef>
#include <string_view>

/** JIS X 0208 code (first byte in bits 8-15) to Shift_JIS; 0 if a byte is outside 0x21..0x7E. */
unsigned int _mbcjistojms(unsigned int c);

/** Shift_JIS pair (first byte in bits 8-15) to JIS X 0208; 0 for an invalid pair or one whose
 *  result falls outside the 94 x 94 code space (every first byte 0xF0..0xFC). */
unsigned int _mbcjmstojis(unsigned int c);

/** Single-byte character to its full-width double-byte form: half-width katakana 0xA1..0xDF by
 *  the JIS X 0201 to JIS X 0208 mapping, JIS-Roman 0x20..0x7E likewise; any other c unchanged. */
unsigned int _mbbtombc(unsigned int c);

/** DBCS-aware search: a match never starts on a trail byte. nullptr when absent; an empty sub
 *  matches at str. */
const unsigned char* _mbsstr(const unsigned char* str, const unsigned char* sub);

/** Compares character by character (a double-byte character as one 16-bit value): <0, 0, >0. */
int _mbscmp(const unsigned char* a, const unsigned char* b);

namespace codec {

/** wctomb under CP932: writes 1 or 2 bytes and returns their count, or -1 when CP932 has no such
 *  character. Unit 0 writes one zero byte. */
int Cp932WcToMb(char* out2, char16_t unit);

/** mbstowcs under CP932: converts up to the terminating zero, writing at most max units (and the
 *  terminator when there is room). With dest null only counts. Returns the unit count, or
 *  (size_t)-1 when the text holds an invalid or unmapped character. */
std::size_t Cp932MbsToWcs(char16_t* dest, const char* src, std::size_t max);

/** 0x81..0x9F or 0xE0..0xFC. */
bool IsCp932LeadByte(unsigned char b);

/** 0x40..0x7E or 0x80..0xFC. */
bool IsCp932TrailByte(unsigned char b);

/** _mbsstr over byte strings that may hold zero bytes: position of the first match that starts
 *  on a character boundary, or npos. */
std::size_t MbsFind(std::string_view hay, std::string_view needle);

}  // namespace codec
