#include "text/UrlHelpers.h"

#include "text/HtmlText.h"

std::string UrlEncode(std::string_view text)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string result;
    result.reserve(text.size() * 3);
    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9'))
            result.push_back(c);
        else if (byte == ' ')
            result.push_back('+');
        else
        {
            result.push_back('%');
            result.push_back(kHex[byte >> 4]);
            result.push_back(kHex[byte & 0x0F]);
        }
    }
    return result;
}

void AbsolutizeLinks(std::string& pageText, std::string_view host)
{
    ReplaceAll(pageText, "HREF=", "href=");
    ReplaceAll(pageText, "SRC=", "src=");

    static constexpr std::string_view kOpenings[] = {"href=", "href=\"", "href='", "src=", "src=\"", "src='"};
    // A value may be broken over several line feeds; join until nothing is left to join.
    bool joined = true;
    while (joined)
    {
        joined = false;
        for (const std::string_view opening : kOpenings)
        {
            std::string broken(opening);
            broken.push_back('\n');
            if (ReplaceAll(pageText, broken, opening) > 0)
                joined = true;
        }
    }

    const std::string absolute = "http://" + std::string(host) + "/";
    for (const std::string_view opening : kOpenings)
        ReplaceAll(pageText, std::string(opening) + "/", std::string(opening) + absolute);
}
