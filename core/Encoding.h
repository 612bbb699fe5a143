#pragma once
// Conversions between the program's Windows-1252 text and the UTF-8 / UTF-16 of the outside
// world (terminal output, JSON, the Unicode string form of old archives).

#include <string>
#include <string_view>

// Every byte maps to a code point: the five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, so any byte string
// survives a round trip.
std::string Windows1252ToUtf8(std::string_view text);

// Code points without a Windows-1252 byte, and malformed UTF-8, become '?'.
std::string Utf8ToWindows1252(std::string_view text);

// The Windows-1252 byte of one UTF-16 code unit, '?' when there is none (surrogates included).
char Utf16UnitToWindows1252(char16_t unit);

// The code point of one Windows-1252 byte.
char32_t Windows1252ToCodePoint(unsigned char byte);
