#pragma once
// Conversion between the program's single-byte Windows-1252 text and UTF-8, used wherever
// text leaves the program's own strings: settings files, string tables, file names, Qt.

#include <string>
#include <string_view>

// Every byte maps to one code point. The five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 code points of the same value, as Windows does,
// so that any byte string survives a round trip.
char32_t Cp1252ToCodePoint(unsigned char byte);

// The byte for a code point, or '?' when Windows-1252 has no such character.
char CodePointToCp1252(char32_t codePoint);

std::string Utf8FromCp1252(std::string_view text);

// Malformed UTF-8 (a stray byte, a truncated or overlong sequence, a surrogate) is taken
// byte by byte as Windows-1252, so a hand-edited Latin-1 file still reads sensibly.
std::string Cp1252FromUtf8(std::string_view text);

// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t codePoint);

// Decodes one UTF-8 sequence at `pos`; returns its length (0 when malformed) and the code point.
size_t DecodeUtf8(std::string_view text, size_t pos, char32_t& codePoint);
