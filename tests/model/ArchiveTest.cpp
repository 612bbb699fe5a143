// The archive's byte forms: strings, counts, object tags, and refusal of impossible lengths.

#include "core/Encoding.h"
#include "core/document/Archive.h"
#include "ModelTestSupport.h"

#include <gtest/gtest.h>

using namespace modeltest;
using namespace std::string_literals;

namespace {

std::string Written(const std::function<void(CArchiveWriter&)>& write)
{
    std::string bytes;
    CStringSink sink(bytes);
    CArchiveWriter writer(sink);
    write(writer);
    writer.Flush();
    return bytes;
}

CArchiveException::Cause FailureOf(const std::string& bytes, const std::function<void(CArchiveReader&)>& read)
{
    CArchiveReader reader(bytes);
    try {
        read(reader);
    } catch (const CArchiveException& e) {
        return e.cause;
    }
    ADD_FAILURE() << "read succeeded";
    return CArchiveException::kGeneric;
}

} // namespace

TEST(ModelArchiveString, LengthPrefixFormsAtEachBoundary)
{
    struct Case
    {
        std::size_t length;
        std::string prefix;
    } cases[] = {
        {0, "\x00"s},
        {254, "\xFE"},
        {255, "\xFF\xFF\x00"s},
        {65533, "\xFF\xFD\xFF"},
        {65534, "\xFF\xFF\xFF\xFE\xFF\x00\x00"s},
        {70000, "\xFF\xFF\xFF" + U32(70000)},
    };
    for (const Case& c : cases) {
        const std::string text(c.length, 'x');
        const std::string bytes = Written([&](CArchiveWriter& w) { w.WriteString(text); });
        EXPECT_EQ(bytes.substr(0, c.prefix.size()), c.prefix) << c.length;
        EXPECT_EQ(bytes.size(), c.prefix.size() + c.length) << c.length;
        CArchiveReader reader(bytes);
        EXPECT_EQ(reader.ReadString(), text) << c.length;
        EXPECT_TRUE(reader.AtEnd());
    }
}

TEST(ModelArchiveString, ReadsTheUtf16FormInEveryLengthForm)
{
    // "a€b": the euro sign is 0x80 in Windows-1252, not U+0080.
    const std::string units = "a\x00\xAC\x20" "b\x00"s;
    const std::string forms[] = {
        "\xFF\xFE\xFF\x03"s + units,
        "\xFF\xFE\xFF\xFF\x03\x00"s + units,
        "\xFF\xFE\xFF\xFF\xFF\xFF"s + U32(3) + units,
    };
    for (const std::string& bytes : forms) {
        CArchiveReader reader(bytes);
        EXPECT_EQ(reader.ReadString(), "a\x80" "b");
        EXPECT_TRUE(reader.AtEnd());
    }
    // A character with no Windows-1252 byte becomes '?'.
    const std::string unmappable = "\xFF\xFE\xFF\x01\x3A\x04"s;
    CArchiveReader reader(unmappable);
    EXPECT_EQ(reader.ReadString(), "?");
}

TEST(ModelArchiveString, LengthsBeyondTheInputFailWithoutAllocating)
{
    const std::string cases[] = {
        "\x05" "abc",                         // short form, 2 bytes missing
        "\xFF\x00\x10" "abc"s,                // 16-bit form
        "\xFF\xFF\xFF\xFF\xFF\xFF\x7F"s,      // 2 GB announced in 7 bytes
        "\xFF\xFF\xFF\xFF\xFF\xFF\xFF"s,      // 4 GB
        "\xFF\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F"s, // 2 G UTF-16 units
        "\xFF\xFE\xFF\x02" "a\x00"s,          // odd half of a UTF-16 string
        "\xFF\x01"s,                          // prefix itself cut
    };
    for (const std::string& bytes : cases)
        EXPECT_EQ(FailureOf(bytes, [](CArchiveReader& r) { r.ReadString(); }), CArchiveException::kEndOfFile);
}

TEST(ModelArchiveCount, SixteenBitBelowFFFFElseEscaped)
{
    EXPECT_EQ(Written([](CArchiveWriter& w) { w.WriteCount(0xFFFE); }), "\xFE\xFF");
    EXPECT_EQ(Written([](CArchiveWriter& w) { w.WriteCount(0xFFFF); }), "\xFF\xFF" + U32(0xFFFF));
    // A count of objects that cannot fit in the rest of the input is refused at once.
    EXPECT_EQ(FailureOf("\xFF\xFF\xFF\xFF\xFF\x7F"s, [](CArchiveReader& r) { r.ReadCount(); }),
              CArchiveException::kEndOfFile);
    EXPECT_EQ(FailureOf("\x03\x00\x01\x80\x01\x80"s, [](CArchiveReader& r) { r.ReadCount(); }),
              CArchiveException::kEndOfFile);
}

TEST(ModelArchiveTime, SignedThirtyTwoBitsClampedOnWrite)
{
    const std::string bytes = Written([](CArchiveWriter& w) {
        w.WriteTime(-1);
        w.WriteTime(std::time_t{1} << 40);
    });
    EXPECT_EQ(bytes, "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F");
    CArchiveReader reader(bytes);
    EXPECT_EQ(reader.ReadTime(), -1);
    EXPECT_EQ(reader.ReadTime(), 2147483647);
}

TEST(ModelArchiveTags, ClassRecordThenClassReferencesSharingOneTable)
{
    const std::string bytes = Written([](CArchiveWriter& w) {
        w.WriteObjectTag("CColumnInfo", 1); // class 1, object 2
        w.WriteObjectTag("CColumnInfo", 1); // object 3
        w.WriteObjectTag("CItem", 3);       // class 4, object 5
        w.WriteObjectTag("CItem", 3);
    });
    EXPECT_EQ(bytes, "\xFF\xFF\x01\x00\x0B\x00" "CColumnInfo" "\x01\x80" "\xFF\xFF\x03\x00\x05\x00" "CItem" "\x04\x80"s);
    CArchiveReader reader(bytes);
    EXPECT_EQ(reader.ReadObjectTag("CColumnInfo"), 1);
    EXPECT_EQ(reader.ReadObjectTag("CColumnInfo"), 1);
    EXPECT_EQ(reader.ReadObjectTag("CItem"), 3);
    EXPECT_EQ(reader.ReadObjectTag("CItem"), 3);
    EXPECT_TRUE(reader.AtEnd());
}

TEST(ModelArchiveTags, BigClassTagIsReadAndWrittenPastIndex7FFE)
{
    std::string bytes;
    CStringSink sink(bytes);
    CArchiveWriter writer(sink);
    writer.WriteObjectTag("CColumnInfo", 1);
    for (int i = 0; i < 0x7FFF; ++i)
        writer.WriteObjectTag("CColumnInfo", 1);
    writer.WriteObjectTag("CItem", 3); // class index 0x8002
    writer.WriteObjectTag("CItem", 3);
    writer.Flush();
    EXPECT_EQ(bytes.substr(bytes.size() - 6), "\xFF\x7F" + U32(0x80008002u));
    CArchiveReader reader(bytes);
    for (int i = 0; i < 0x8000; ++i)
        reader.ReadObjectTag("CColumnInfo");
    EXPECT_EQ(reader.ReadObjectTag("CItem"), 3);
    EXPECT_EQ(reader.ReadObjectTag("CItem"), 3);
    EXPECT_TRUE(reader.AtEnd());
}

TEST(ModelArchiveTags, DamagedTagsAreRefused)
{
    const std::string column = "\xFF\xFF\x01\x00\x0B\x00" "CColumnInfo"s;
    struct Case
    {
        const char* what;
        std::string bytes;
        const char* expected;
        CArchiveException::Cause cause;
    } cases[] = {
        {"unknown class", "\xFF\xFF\x01\x00\x05\x00" "CFoo"s + "x", "CFoo", CArchiveException::kBadClass},
        {"wrong schema", "\xFF\xFF\x02\x00\x0B\x00" "CColumnInfo"s, "CColumnInfo", CArchiveException::kBadSchema},
        {"wrong class in list", column, "CItem", CArchiveException::kBadClass},
        {"container class as element", "\xFF\xFF\x01\x00\x09\x00" "CItemList"s, "CItem", CArchiveException::kBadClass},
        {"class index beyond table", column + "\x07\x80", "CColumnInfo", CArchiveException::kBadIndex},
        {"class index equal to the table's size", column + "\x03\x80", "CColumnInfo",
         CArchiveException::kBadIndex},
        {"class index naming an object", column + "\x02\x80", "CColumnInfo", CArchiveException::kBadIndex},
        {"class index 0", "\x00\x80"s, "CColumnInfo", CArchiveException::kBadIndex},
        {"null object", "\x00\x00"s, "CColumnInfo", CArchiveException::kBadIndex},
        {"object read twice", column + "\x02\x00"s, "CColumnInfo", CArchiveException::kBadIndex},
        {"big object reference", column + "\xFF\x7F" + U32(2), "CColumnInfo", CArchiveException::kBadIndex},
        {"big class index beyond table", column + "\xFF\x7F" + U32(0x80000009u), "CColumnInfo",
         CArchiveException::kBadIndex},
        {"empty class name", "\xFF\xFF\x01\x00\x00\x00"s, "CColumnInfo", CArchiveException::kBadClass},
        {"huge class name", "\xFF\xFF\x01\x00\xFF\xFF"s + std::string(100, 'C'), "CColumnInfo",
         CArchiveException::kBadClass},
        {"name cut short", "\xFF\xFF\x01\x00\x0B\x00" "CColumn"s, "CColumnInfo", CArchiveException::kEndOfFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Each case is a whole stream: the first tag, and for the two-tag cases a second one.
        EXPECT_EQ(FailureOf(c.bytes,
                            [&](CArchiveReader& r) {
                                while (!r.AtEnd())
                                    r.ReadObjectTag(c.expected);
                            }),
                  c.cause);
    }
}

TEST(ModelEncoding, Windows1252HighRangeIsNotLatin1)
{
    EXPECT_EQ(Windows1252ToUtf8("\x80\x99\x9F\xE9"), "\u20AC\u2122\u0178\u00E9");
    EXPECT_EQ(Utf8ToWindows1252("\u20AC\u2122\u0178\u00E9"), "\x80\x99\x9F\xE9");
    // Every byte survives the round trip, the five undefined ones included.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(Utf8ToWindows1252(Windows1252ToUtf8(all)), all);
    // Malformed or unmappable UTF-8 turns into '?', never into bytes read past the end.
    EXPECT_EQ(Utf8ToWindows1252("a\xC3"), "a?");
    EXPECT_EQ(Utf8ToWindows1252("\xE2\x82"), "?");
    EXPECT_EQ(Utf8ToWindows1252("\xC0\xAF"), "?");
    EXPECT_EQ(Utf8ToWindows1252("\xE4\xB8\xAD" "b"), "?b");
}
