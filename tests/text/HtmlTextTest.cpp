#include "text/HtmlText.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// The entity table applied the slow way: each row a replace-all over the whole string, in
// table order. The fast decoder must agree with it on every input.
std::vector<std::pair<std::string, std::string>> ReferenceRows()
{
    static const char* names[] = {
        "iexcl", "cent", "pound", "curren", "yen", "brvbar", "sect", "uml", "copy", "ordf", "laquo", "not",
        "shy", "reg", "macr", "deg", "plusmn", "sup2", "sup3", "acute", "micro", "para", "middot", "cedil",
        "sup1", "ordm", "raquo", "frac14", "frac12", "frac34", "iquest", "Agrave", "Aacute", "Acirc", "Atilde",
        "Auml", "Aring", "AElig", "Ccedil", "Egrave", "Eacute", "Ecirc", "Euml", "Igrave", "Iacute", "Icirc",
        "Iuml", "ETH", "Ntilde", "Ograve", "Oacute", "Ocirc", "Otilde", "Ouml", "times", "Oslash", "Ugrave",
        "Uacute", "Ucirc", "Uuml", "Yacute", "THORN", "szlig", "agrave", "aacute", "acirc", "atilde", "auml",
        "aring", "aelig", "ccedil", "egrave", "eacute", "ecirc", "euml", "igrave", "iacute", "icirc", "iuml",
        "eth", "ntilde", "ograve", "oacute", "ocirc", "otilde", "ouml", "divide", "oslash", "ugrave", "uacute",
        "ucirc", "uuml", "yacute", "thorn", "yuml"};
    std::vector<std::pair<std::string, std::string>> rows = {
        {"&#160;", " "}, {"&nbsp;", " "}, {"&#39;", "'"}, {"&#34;", "\""}, {"&quot;", "\""}, {"&#38;", "&"},
        {"&amp;", "&"},  {"&#60;", "<"},  {"&lt;", "<"},  {"&#62;", ">"},  {"&gt;", ">"}};
    for (int code = 161; code <= 255; ++code)
    {
        const std::string byte(1, static_cast<char>(code));
        rows.push_back({"&#" + std::to_string(code) + ";", byte});
        rows.push_back({std::string("&") + names[code - 161] + ";", byte});
    }
    return rows;
}

std::string DecodeRowByRow(std::string s)
{
    static const auto rows = ReferenceRows();
    for (const auto& [entity, replacement] : rows)
        ReplaceAll(s, entity, replacement);
    return s;
}

std::string Decoded(std::string s)
{
    DecodeHtmlEntities(s);
    return s;
}

TEST(DecodeHtmlEntities, TableHasTwoHundredAndOneRows)
{
    EXPECT_EQ(ReferenceRows().size(), 201u);
}

TEST(DecodeHtmlEntities, KnownCases)
{
    const struct
    {
        std::string in, out;
    } cases[] = {
        {"Caf&eacute; &amp; Bar&nbsp;&#62;", "Caf\xE9 & Bar >"},
        {"&#160;", " "},
        {"&#39;&#34;&quot;", "'\"\""},
        {"&iexcl;&#161;&yuml;&#255;", "\xA1\xA1\xFF\xFF"},
        {"&shy;&macr;&ETH;&eth;&THORN;&thorn;&szlig;&times;&divide;", "\xAD\xAF\xD0\xF0\xDE\xFE\xDF\xD7\xF7"},
        // Not in the table: left as they are.
        {"&AMP; &#x41; &#0233; &eacute &euro; &apos; &#128;", "&AMP; &#x41; &#0233; &eacute &euro; &apos; &#128;"},
        // Rows run in table order over the whole string.
        {"&amp;lt;", "<"},
        {"&amp;eacute;", "\xE9"},
        {"&amp;nbsp;", "&nbsp;"},
        {"&amp;#39;", "&#39;"},
        {"&#38;amp;lt;", "<"},
        {"&amp;amp;", "&amp;"},
        {"&amp;#38;", "&#38;"},
        {"a & b &", "a & b &"},
        {"&&amp;;", "&&;"},
        {"", ""},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(Decoded(c.in), c.out) << c.in;
        EXPECT_EQ(DecodeRowByRow(c.in), c.out) << c.in;
    }
}

// Random texts built from entity pieces catch any chain or ordering the single pass gets wrong.
TEST(DecodeHtmlEntities, AgreesWithRowByRowDecodingOnRandomText)
{
    const std::vector<std::string> pieces = {"&", "amp;", "#38;", "lt;", "#60;", "nbsp;", "#", "160", ";",
                                             "eacute;", "x", " ", "&amp;", "&#38;", "gt", "#255;", "yuml;",
                                             "quot;", "&#", "39;", "\xE9", "<"};
    std::mt19937 random(1234);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1), length(0, 12);
    for (int round = 0; round < 20000; ++round)
    {
        std::string text;
        for (std::size_t n = length(random); n > 0; --n)
            text += pieces[pick(random)];
        ASSERT_EQ(Decoded(text), DecodeRowByRow(text)) << text;
    }
}

TEST(TextHelpers, MarkerEdits)
{
    using Edit = bool (*)(std::string&);
    const struct
    {
        const char* name;
        std::string in;
        Edit edit;
        bool result;
        std::string out;
    } cases[] = {
        {"RemoveTags", "<b>Bid</b> <i>now", [](std::string& s) { return RemoveTags(s); }, true, "Bid now"},
        {"RemoveTags", "a < b", [](std::string& s) { return RemoveTags(s); }, false, "a < b"},
        {"RemoveTags", "x<y", [](std::string& s) { return RemoveTags(s); }, false, "x<y"},
        {"RemoveTags", "a<br>b", [](std::string& s) { return RemoveTags(s); }, true, "ab"},
        {"RemoveTags", "> a <b> c < d", [](std::string& s) { return RemoveTags(s); }, true, "> a  c < d"},
        {"RemoveTags", "<a<b>c>", [](std::string& s) { return RemoveTags(s); }, true, "c>"},
        {"KeepAfter", "Price: $5", [](std::string& s) { return KeepAfter(s, ": "); }, true, "$5"},
        {"KeepAfter", "Price $5", [](std::string& s) { return KeepAfter(s, ": "); }, false, "Price $5"},
        {"KeepBefore", "a</td>b</td>", [](std::string& s) { return KeepBefore(s, "</td>"); }, true, "a"},
        {"KeepBetween", "Price: $5</td>", [](std::string& s) { return KeepBetween(s, "Price: ", "</td>"); }, true,
         "$5"},
        {"KeepBetween", "Price: $5", [](std::string& s) { return KeepBetween(s, "Price: ", "</td>"); }, false,
         "Price: $5"},
        // The end marker is searched only after the start marker.
        {"KeepBetween", "</td>Price: $5", [](std::string& s) { return KeepBetween(s, "Price: ", "</td>"); }, false,
         "</td>Price: $5"},
        {"RemoveSpan", "a<!-- x -->b<!-- y -->c", [](std::string& s) { return RemoveSpan(s, "<!--", "-->"); }, true,
         "ab<!-- y -->c"},
        {"RemoveSpan", "a<!-->b", [](std::string& s) { return RemoveSpan(s, "<!--", "-->"); }, false, "a<!-->b"},
        {"RemoveSpan", "-->a<!--b", [](std::string& s) { return RemoveSpan(s, "<!--", "-->"); }, false,
         "-->a<!--b"},
        {"ReplacePrefix", "Le 3 mars", [](std::string& s) { return ReplacePrefix(s, "Le "); }, true, "3 mars"},
        {"ReplacePrefix", "Dans Le 3", [](std::string& s) { return ReplacePrefix(s, "Le "); }, false, "Dans Le 3"},
        {"ReplacePrefix", "1er mars", [](std::string& s) { return ReplacePrefix(s, "1er", "1"); }, true, "1 mars"},
        // Applies only when the *first* occurrence is at 0, which is the same as starting with it.
        {"ReplacePrefix", "ab ab", [](std::string& s) { return ReplacePrefix(s, "ab", "X"); }, true, "X ab"},
        {"ReplaceSuffix", "EUR 5 EUR", [](std::string& s) { return ReplaceSuffix(s, "EUR"); }, true, "EUR 5 "},
        {"ReplaceSuffix", "5 EUR", [](std::string& s) { return ReplaceSuffix(s, "EUR", " euros"); }, true,
         "5  euros"},
        {"ReplaceSuffix", "EU", [](std::string& s) { return ReplaceSuffix(s, "EUR"); }, false, "EU"},
        {"ReplaceSuffix", "EUR 5", [](std::string& s) { return ReplaceSuffix(s, "EUR"); }, false, "EUR 5"},
        {"CollapseChars", "\t  12\n\nbids \t", [](std::string& s) { return CollapseChars(s, " \t\n"); }, true,
         "12 bids"},
        {"CollapseChars", "a\r\n b", [](std::string& s) { return CollapseChars(s, " \t\n"); }, true, "a\r b"},
        {"CollapseChars", "   ", [](std::string& s) { return CollapseChars(s, " \t\n"); }, true, ""},
        // Only a trailing blank is dropped, whatever the kept character is.
        {"CollapseChars", "--a--b- ", [](std::string& s) { return CollapseChars(s, "-"); }, true, "a-b-"},
        {"CollapseChars", "a--b--", [](std::string& s) { return CollapseChars(s, "-"); }, true, "a-b-"},
    };
    for (const auto& c : cases)
    {
        std::string s = c.in;
        EXPECT_EQ(c.edit(s), c.result) << c.name << " on '" << c.in << "'";
        EXPECT_EQ(s, c.out) << c.name << " on '" << c.in << "'";
    }
}

TEST(TextHelpers, SplitStringAppendsFields)
{
    const struct
    {
        std::string text;
        std::vector<std::string> fields;
    } cases[] = {
        {"1#2##3", {"1", "2", "", "3"}},
        {"", {""}},
        {"#", {"", ""}},
        {"abc", {"abc"}},
    };
    for (const auto& c : cases)
    {
        std::vector<std::string> fields = {"kept"};
        EXPECT_EQ(SplitString(c.text, '#', fields), static_cast<int>(c.fields.size())) << c.text;
        std::vector<std::string> expected = {"kept"};
        expected.insert(expected.end(), c.fields.begin(), c.fields.end());
        EXPECT_EQ(fields, expected) << c.text;
    }
}

TEST(TextHelpers, ReplaceAllIsLeftToRightAndNonOverlapping)
{
    std::string s = "aaaa";
    EXPECT_EQ(ReplaceAll(s, "aa", "a"), 2);
    EXPECT_EQ(s, "aa");
    s = "abc";
    EXPECT_EQ(ReplaceAll(s, "", "x"), 0);
    EXPECT_EQ(s, "abc");
}

} // namespace
