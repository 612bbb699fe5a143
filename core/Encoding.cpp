#include "core/Encoding.h"

#include "platform/Cp1252.h"

char32_t Windows1252ToCodePoint(unsigned char byte)
{
    return Cp1252ToCodePoint(byte);
}

std::string Windows1252ToUtf8(std::string_view text)
{
    return Utf8FromCp1252(text);
}

std::string Utf8ToWindows1252(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t codePoint = 0;
        const std::size_t length = DecodeUtf8(text, pos, codePoint);
        if (length == 0) {
            // A malformed sequence stands for one unknown character: skip its continuation bytes.
            out += '?';
            ++pos;
            while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80)
                ++pos;
        } else {
            out += CodePointToCp1252(codePoint);
            pos += length;
        }
    }
    return out;
}

char Utf16UnitToWindows1252(char16_t unit)
{
    if (unit >= 0xD800 && unit <= 0xDFFF)
        return '?';
    return CodePointToCp1252(unit);
}
