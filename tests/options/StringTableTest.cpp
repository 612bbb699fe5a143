// The string table: the built-in English texts, language packs and message formatting.

#include "core/StringTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

fs::path WritePack(const std::string& name, const std::string& bytes)
{
    const char* home = std::getenv("HOME");
    const fs::path dir = fs::path(home ? home : "/tmp") / "packs";
    fs::create_directories(dir);
    std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
    out << bytes;
    return dir / name;
}

class StringTableTest : public ::testing::Test
{
protected:
    void TearDown() override { ResetLanguage(); }
};

} // namespace

TEST_F(StringTableTest, EnglishTextsAreBuiltIn)
{
    const struct { int id; std::string text; } cases[] = {
        {101, "Memo"},
        {107, "Ebay"},
        {156, "Yahoo Espa\xF1" "a"},
        {162, "Yahoo M\xE9xico"},
        {166, "Aucland Espa\xF1" "a"},
        {158, "Yahoo UK & Ireland"},
        {12, "107"},
        {4, "Error retrieving Item #%s on %s:\n%s"},
        {5, "Error retrieving Item #%s on %s"},
        {21, "Yes"}, {22, "No"}, {23, "N/A"},
        {42, "Search ranking"}, {51, "Photo"},
        {67, "U.S.A./Canada"}, {80, "U.K."},
        {30, "\\StringFileInfo\\040904b0\\"},
        {36, "Directory \"%s\" does not exist"},
        {50, "Error while copying backup file (%s):\n\n%s"},
        {57344, "Lotwarden"},
        {57600, "Create a new document\nNew"},
        {1, "Lotwarden\n\n\nLotwarden Files (*.lwd)\n.lwd\nLotwarden.Document\nLotwarden Document"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LoadResString(c.id), c.text) << c.id;
    EXPECT_EQ(LoadResString(0), "");
    EXPECT_EQ(LoadResString(9999), "");
    EXPECT_EQ(LoadResString(-1), "");
}

TEST_F(StringTableTest, EveryColumnServerAndRegionIdHasAText)
{
    const int ids[] = {101, 103, 104, 105, 106, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 120, 125, 126, 127,
                       107, 150, 151, 152, 153, 154, 155, 156, 157, 158, 159, 160, 161, 162, 163, 164, 165, 166,
                       167, 168, 169, 170, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80};
    for (int id : ids)
        EXPECT_FALSE(LoadResString(id).empty()) << id;
}

TEST_F(StringTableTest, TheBuiltInTableMatchesTheSourceFile)
{
    // Catches a build whose generated table is older than resources/strings/en.txt.
    std::vector<std::string> builtIn;
    for (int id = 0; id <= 65535; ++id)
        builtIn.push_back(LoadResString(id));
    ASSERT_TRUE(LoadLanguagePack(std::string(LW_SOURCE_DIR) + "/resources/strings/en.txt"));
    for (int id = 0; id <= 65535; ++id)
        ASSERT_EQ(LoadResString(id), builtIn[static_cast<size_t>(id)]) << id;
}

TEST_F(StringTableTest, FormatTextFillsPlaceholders)
{
    const struct { const char* format; std::vector<std::string> args; std::string expected; } cases[] = {
        {"Error retrieving Item #%s on %s:\n%s", {"123", "Ebay", "timeout"}, "Error retrieving Item #123 on Ebay:\ntimeout"},
        {"%d items have been imported", {"3"}, "3 items have been imported"},
        {"%lu,%lu", {"155", "170"}, "155,170"},
        {"100%% sure", {}, "100% sure"},
        {"%2 before %1, %1 again", {"a", "b"}, "b before a, a again"},
        {"%s and %s", {"only"}, "only and "},
        {"%9", {"x"}, ""},
        {"trailing %", {}, "trailing %"},
        {"%x %0 %l", {"a"}, "%x %0 %l"},
        {"%s", {"%s %d"}, "%s %d"},
        {"", {"unused"}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatText(c.format, c.args), c.expected) << c.format;
}

TEST_F(StringTableTest, ALanguagePackReplacesTheIdsItHas)
{
    const fs::path pack = WritePack("fr.txt",
                                    "\xEF\xBB\xBF# Textes fran\xC3\xA7" "ais\r\n"
                                    "101\tM\xC3\xA9mo\r\n"
                                    "4\tErreur pour l'objet #%s sur %s :\\n%s\n"
                                    "\n"
                                    "not an entry\n"
                                    "abc\tnot a number\n"
                                    "123456\tout of range\n"
                                    "22\tNon\n"
                                    "157\tYahoo \xE2\x82\xAC \xE4\xB8\xAD\n");
    ASSERT_TRUE(LoadLanguagePack(pack.string()));
    EXPECT_EQ(LoadResString(101), "M\xE9mo");
    EXPECT_EQ(LoadResString(4), "Erreur pour l'objet #%s sur %s :\n%s");
    EXPECT_EQ(LoadResString(22), "Non");
    EXPECT_EQ(LoadResString(157), "Yahoo \x80 ?");
    EXPECT_EQ(LoadResString(103), "Item Number"); // not in the pack: English
    EXPECT_EQ(LoadResString(12), "107");

    // A second pack replaces the first one; a pack that cannot be used changes nothing.
    ASSERT_TRUE(LoadLanguagePack(WritePack("other.txt", "22\tNein\n").string()));
    EXPECT_EQ(LoadResString(22), "Nein");
    EXPECT_EQ(LoadResString(101), "Memo");
    EXPECT_FALSE(LoadLanguagePack("/no/such/pack.txt"));
    EXPECT_FALSE(LoadLanguagePack(WritePack("binary.txt", std::string("22\tNo\0pe\n", 9)).string()));
    EXPECT_FALSE(LoadLanguagePack(WritePack("empty.txt", "# nothing\n").string()));
    EXPECT_EQ(LoadResString(22), "Nein");

    ResetLanguage();
    EXPECT_EQ(LoadResString(22), "No");
}
