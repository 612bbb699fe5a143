#include "text/UrlHelpers.h"

#include <gtest/gtest.h>

namespace {

TEST(UrlEncode, EncodesEveryByteButLettersDigitsAndBlanks)
{
    const struct
    {
        std::string in, out;
    } cases[] = {
        {"Tiffany lamp", "Tiffany+lamp"},
        {"50% off", "50%25+off"},
        {"", ""},
        {"a\tb", "a%09b"},
        {"caf\xE9", "caf%E9"},
        {"&-_.*+", "%26%2D%5F%2E%2A%2B"},
        {std::string("\0\xFF", 2), "%00%FF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UrlEncode(c.in), c.out) << c.in;
}

TEST(AbsolutizeLinks, PrefixesRootRelativeAddressesWithTheHost)
{
    const struct
    {
        std::string in, out;
    } cases[] = {
        {"<IMG SRC='/pics/a.jpg'>", "<IMG src='http://H/pics/a.jpg'>"},
        {"<a href=/x>", "<a href=http://H/x>"},
        {"<a href=\"/x\">", "<a href=\"http://H/x\">"},
        {"<img src=/y src=\"/z\">", "<img src=http://H/y src=\"http://H/z\">"},
        {"<a href='x.html'>", "<a href='x.html'>"},
        {"<a href=\"http://other/x\"><img src='http://H/a'>", "<a href=\"http://other/x\"><img src='http://H/a'>"},
        {"<a Href=/x>", "<a Href=/x>"},
        {"<a href=\n\"/x\">", "<a href=\"http://H/x\">"},
        {"<a href=\"\n\n/x\">", "<a href=\"http://H/x\">"},
        {"<a href=\r\n/x>", "<a href=\r\n/x>"},
        {"", ""},
    };
    for (const auto& c : cases)
    {
        std::string page = c.in;
        AbsolutizeLinks(page, "H");
        EXPECT_EQ(page, c.out) << c.in;
    }
}

} // namespace
