#include "cli/CliSupport.h"

#include "core/Encoding.h"

#include <cstdio>
#include <ostream>

namespace cli {

bool CCliQuestions::AskYesNo(const std::string& text)
{
    err << Windows1252ToUtf8(text) << (backup ? " yes\n" : " no (use --backup to make the copy)\n");
    return backup;
}

void CCliQuestions::ShowError(const std::string& text)
{
    err << Windows1252ToUtf8(text) << "\n";
}

std::string JsonString(const std::string& text1252)
{
    const std::string utf8 = Windows1252ToUtf8(text1252);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

} // namespace cli
