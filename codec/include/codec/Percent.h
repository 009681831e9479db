#pragma once

// Percent decoding and encoding of stored cookie names and values. The encoding code names the
// charset behind the escapes: ' ' 7Bit, 'S' Shift-JIS, 'E' EUC-JP, 'J' ISO-2022-JP, 'U' UTF-8;
// any other code behaves as ' '. Text on the program's side is Shift_JIS (CP932) with lines
// separated by CR LF. Neither direction fails. Locale-free and thread-safe.

#include <string>

/** Decodes length bytes of input into output (replaced): one line per "&"-separated segment. */
void PercentDecode(char chEncoding, const char* input, int length, std::string& output);

/** Encodes length bytes of Shift_JIS text into output (replaced), which then holds only bytes
 *  0x21..0x7E. */
void PercentEncode(char chEncoding, const char* input, int length, std::string& output);

// Charset converters of one zero-terminated segment; each replaces output.
void EucToSjis(const char* segment, std::string& output);
void JisToSjis(const char* segment, std::string& output);
void Utf8ToSjis(const char* segment, std::string& output);
void SjisToEuc(const char* text, std::string& output);
void SjisToJis(const char* text, std::string& output);
void SjisToUtf8(const char* text, std::string& output);
