// The INI store and Qt's QSettings (IniFormat) read each other's files, so the Qt program can
// use either one on the same Lotwarden.ini.

#include "platform/Cp1252.h"
#include "platform/IniSettingsStore.h"

#include <QSettings>
#include <QString>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

struct Sample
{
    std::string section;
    std::string key;
    std::string value; // Windows-1252
};

std::vector<Sample> Samples()
{
    std::string allBytes;
    for (int b = 0; b < 256; ++b)
        allBytes += static_cast<char>(b);
    return {
        {"Options", "Purge Period", "7"},
        {"Options", "Rejected Servers", "155,170"},
        {"Options", "Alarm Sound File", "/snd/caf\xE9 \x80 \x93quoted\x94.wav"},
        {"Recent File List", "File1", "/home/u/a=b;c.lwd"},
        {"Recent File List", "File2", "  spaces at both ends  "},
        {"Recent File List", "File3", "C:\\Lists\\\"quoted\".lwd"},
        {"Recent File List", "File4", "@at sign"},
        {"Recent File List", "File5", "line\nbreak\ttab"},
        {"Main Window", "Key With Spaces = and ;", "x"},
        {"Main Window", "Caf\xE9", "key in 1252"},
        {"Main Window", "sub/key", "a group separator in a name"},
        {"Main Window", "All", allBytes},
    };
}

QString ToQt(const std::string& cp1252)
{
    const std::string utf8 = Utf8FromCp1252(cp1252);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQt(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    return Cp1252FromUtf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

fs::path FreshFile(const char* name)
{
    const char* home = std::getenv("HOME");
    const fs::path dir = fs::path(home ? home : "/tmp") / "interop";
    fs::create_directories(dir);
    fs::remove(dir / name);
    return dir / name;
}

} // namespace

TEST(QSettingsInterop, QSettingsReadsWhatTheStoreWrites)
{
    const fs::path file = FreshFile("ours.ini");
    {
        CIniSettingsStore store(file.string());
        for (const Sample& s : Samples())
            store.WriteString(s.section, s.key, s.value);
        store.WriteInt("Options", "Alarm Seconds", -86400);
        ASSERT_TRUE(store.Flush());
    }
    QSettings qt(QString::fromStdString(file.string()), QSettings::IniFormat);
    ASSERT_EQ(qt.status(), QSettings::NoError);
    for (const Sample& s : Samples()) {
        const QVariant value = qt.value(ToQt(s.section + "/" + s.key));
        ASSERT_TRUE(value.isValid()) << s.section << '/' << s.key;
        EXPECT_EQ(FromQt(value.toString()), s.value) << s.section << '/' << s.key;
    }
    EXPECT_EQ(qt.value("Options/Alarm Seconds").toInt(), -86400);
}

TEST(QSettingsInterop, TheStoreReadsWhatQSettingsWrites)
{
    const fs::path file = FreshFile("qt.ini");
    {
        QSettings qt(QString::fromStdString(file.string()), QSettings::IniFormat);
        for (const Sample& s : Samples())
            qt.setValue(ToQt(s.section + "/" + s.key), ToQt(s.value));
        qt.setValue("Options/Alarm Seconds", -86400);
        qt.sync();
        ASSERT_EQ(qt.status(), QSettings::NoError);
    }
    CIniSettingsStore store(file.string());
    for (const Sample& s : Samples())
        EXPECT_EQ(store.GetString(s.section, s.key, "<absent>"), s.value) << s.section << '/' << s.key;
    EXPECT_EQ(store.GetInt("Options", "Alarm Seconds", 0), -86400);
}
