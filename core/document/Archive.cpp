#include "core/document/Archive.h"

#include "core/Encoding.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr std::size_t kMaxClassNameLength = 64;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint32_t kBigClassTag = 0x80000000u;

struct KnownClass
{
    const char* name;
    std::uint16_t schema;
    bool versionable; // the class checks the schema itself (an item reads versions 1 to 3)
};

constexpr KnownClass kKnownClasses[] = {
    {ArchiveClass::kColumnInfo, ArchiveClass::kColumnInfoSchema, false},
    {ArchiveClass::kItem, ArchiveClass::kItemSchema, true},
    {"CColumnInfoList", 1, false},
    {"CItemList", 1, false},
};

const KnownClass* FindKnownClass(const std::string& name)
{
    for (const KnownClass& known : kKnownClasses)
        if (name == known.name)
            return &known;
    return nullptr;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Reader

CArchiveReader::CArchiveReader(std::string_view data) : memory(data), total(data.size())
{
    table.emplace_back(); // index 0: no object
}

CArchiveReader::CArchiveReader(std::FILE* source, std::uint64_t size)
    : file(source), buffer(kBufferSize), total(size)
{
    table.emplace_back();
}

void CArchiveReader::Require(std::uint64_t size) const
{
    if (size > Remaining())
        throw CArchiveException(CArchiveException::kEndOfFile, "unexpected end of file");
}

void CArchiveReader::Refill()
{
    const std::uint64_t wanted = std::min<std::uint64_t>(buffer.size(), Remaining());
    bufferPos = 0;
    bufferLen = std::fread(buffer.data(), 1, static_cast<std::size_t>(wanted), file);
    if (bufferLen < wanted)
        throw CArchiveException(CArchiveException::kEndOfFile, "file ended while reading");
}

void CArchiveReader::ReadBytes(void* out, std::size_t size)
{
    Require(size);
    char* dest = static_cast<char*>(out);
    if (!file) {
        std::memcpy(dest, memory.data() + consumed, size);
        consumed += size;
        return;
    }
    std::size_t left = size;
    while (left > 0) {
        if (bufferPos == bufferLen) {
            // A large block goes straight into its destination, without the extra copy.
            if (left >= buffer.size()) {
                if (std::fread(dest, 1, left, file) != left)
                    throw CArchiveException(CArchiveException::kEndOfFile, "file ended while reading");
                consumed += left;
                return;
            }
            Refill();
        }
        const std::size_t chunk = std::min(left, bufferLen - bufferPos);
        std::memcpy(dest, buffer.data() + bufferPos, chunk);
        bufferPos += chunk;
        dest += chunk;
        left -= chunk;
        consumed += chunk;
    }
}

void CArchiveReader::AppendBytes(std::string& out, std::size_t size)
{
    Require(size);
    // Appending from the buffer fills the string in one pass: a string sized first would be
    // zero-filled, then overwritten (a page text is most of a file).
    out.reserve(out.size() + size);
    if (!file) {
        out.append(memory.data() + consumed, size);
        consumed += size;
        return;
    }
    std::size_t left = size;
    while (left > 0) {
        if (bufferPos == bufferLen)
            Refill();
        const std::size_t chunk = std::min(left, bufferLen - bufferPos);
        out.append(buffer.data() + bufferPos, chunk);
        bufferPos += chunk;
        left -= chunk;
        consumed += chunk;
    }
}

std::uint8_t CArchiveReader::ReadByte()
{
    std::uint8_t b = 0;
    ReadBytes(&b, 1);
    return b;
}

std::uint16_t CArchiveReader::ReadU16()
{
    unsigned char b[2];
    ReadBytes(b, 2);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t CArchiveReader::ReadU32()
{
    unsigned char b[4];
    ReadBytes(b, 4);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::int32_t CArchiveReader::ReadI32()
{
    return static_cast<std::int32_t>(ReadU32());
}

std::time_t CArchiveReader::ReadTime()
{
    return static_cast<std::time_t>(ReadI32());
}

std::string CArchiveReader::ReadString()
{
    std::uint32_t length = ReadByte();
    bool wide = false;
    if (length == 0xFF) {
        length = ReadU16();
        if (length == 0xFFFE) {
            // Unicode marker: the real length follows in one of the three plain forms.
            wide = true;
            length = ReadByte();
            if (length == 0xFF) {
                length = ReadU16();
                if (length == 0xFFFF)
                    length = ReadU32();
            }
        } else if (length == 0xFFFF) {
            length = ReadU32();
        }
    }
    if (!wide) {
        Require(length);
        std::string text;
        AppendBytes(text, length);
        return text;
    }
    Require(static_cast<std::uint64_t>(length) * 2);
    std::string text;
    text.reserve(length);
    unsigned char units[4096];
    std::uint64_t left = static_cast<std::uint64_t>(length) * 2;
    while (left > 0) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(left, sizeof units));
        ReadBytes(units, chunk);
        for (std::size_t i = 0; i + 1 < chunk; i += 2)
            text += Utf16UnitToWindows1252(static_cast<char16_t>(units[i] | (units[i + 1] << 8)));
        left -= chunk;
    }
    return text;
}

std::uint32_t CArchiveReader::ReadCount()
{
    std::uint32_t count = ReadU16();
    if (count == 0xFFFF)
        count = ReadU32();
    // Every object takes at least its 2-byte tag, so a larger count cannot be in the file.
    if (static_cast<std::uint64_t>(count) * 2 > Remaining())
        throw CArchiveException(CArchiveException::kEndOfFile, "object count exceeds the file");
    return count;
}

std::uint16_t CArchiveReader::ReadObjectTag(const char* className)
{
    const std::uint16_t tag = ReadU16();
    std::size_t classIndex = 0;
    if (tag == kNewClassTag) {
        const std::uint16_t schema = ReadU16();
        const std::uint16_t nameLength = ReadU16();
        if (nameLength == 0 || nameLength > kMaxClassNameLength)
            throw CArchiveException(CArchiveException::kBadClass, "bad class name length");
        Entry entry;
        entry.isClass = true;
        entry.schema = schema;
        entry.name.resize(nameLength);
        ReadBytes(entry.name.data(), nameLength);
        const KnownClass* known = FindKnownClass(entry.name);
        if (!known)
            throw CArchiveException(CArchiveException::kBadClass, "unknown class " + entry.name);
        if (!known->versionable && schema != known->schema)
            throw CArchiveException(CArchiveException::kBadSchema, "bad schema for " + entry.name);
        table.push_back(std::move(entry));
        classIndex = table.size() - 1;
    } else {
        std::uint32_t index = tag;
        bool isClassReference = (tag & kClassTag) != 0;
        if (tag == kBigObjectTag) {
            const std::uint32_t big = ReadU32();
            isClassReference = (big & kBigClassTag) != 0;
            index = big & ~kBigClassTag;
        } else if (isClassReference) {
            index = tag & ~kClassTag;
        }
        // A reference to an object already read (or to no object) would put one item twice,
        // or a hole, into a list that owns its members; the program never writes one.
        if (!isClassReference)
            throw CArchiveException(CArchiveException::kBadIndex, "repeated object reference");
        // at(): an index past the table can never be read, whatever the check above lets through.
        if (index >= table.size() || !table.at(index).isClass)
            throw CArchiveException(CArchiveException::kBadIndex, "bad class index");
        classIndex = index;
    }
    if (table[classIndex].name != className)
        throw CArchiveException(CArchiveException::kBadClass, "object of the wrong class");
    const std::uint16_t schema = table[classIndex].schema;
    table.emplace_back(); // the object takes the next index
    return schema;
}

// ---------------------------------------------------------------------------------------------
// Writer

int CFdSink::Write(const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

CArchiveWriter::CArchiveWriter(IArchiveSink& target) : sink(target)
{
    buffer.reserve(kBufferSize);
}

CArchiveWriter::~CArchiveWriter() = default;

void CArchiveWriter::WriteBytes(const void* data, std::size_t size)
{
    if (error != 0)
        return;
    const char* bytes = static_cast<const char*>(data);
    if (buffer.size() + size > kBufferSize) {
        if (!Flush())
            return;
        if (size >= kBufferSize) {
            error = sink.Write(bytes, size);
            return;
        }
    }
    buffer.insert(buffer.end(), bytes, bytes + size);
}

bool CArchiveWriter::Flush()
{
    if (error == 0 && !buffer.empty())
        error = sink.Write(buffer.data(), buffer.size());
    buffer.clear();
    return error == 0;
}

void CArchiveWriter::WriteByte(std::uint8_t value)
{
    WriteBytes(&value, 1);
}

void CArchiveWriter::WriteU16(std::uint16_t value)
{
    const unsigned char b[2] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8)};
    WriteBytes(b, 2);
}

void CArchiveWriter::WriteU32(std::uint32_t value)
{
    const unsigned char b[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    WriteBytes(b, 4);
}

void CArchiveWriter::WriteI32(std::int32_t value)
{
    WriteU32(static_cast<std::uint32_t>(value));
}

void CArchiveWriter::WriteTime(std::time_t value)
{
    const std::time_t clamped = std::clamp<std::time_t>(value, INT32_MIN, INT32_MAX);
    WriteI32(static_cast<std::int32_t>(clamped));
}

void CArchiveWriter::WriteString(std::string_view text)
{
    const std::size_t length = text.size();
    if (length < 0xFF) {
        WriteByte(static_cast<std::uint8_t>(length));
    } else if (length < 0xFFFE) {
        WriteByte(0xFF);
        WriteU16(static_cast<std::uint16_t>(length));
    } else if (length <= UINT32_MAX) {
        WriteByte(0xFF);
        WriteU16(0xFFFF);
        WriteU32(static_cast<std::uint32_t>(length));
    } else {
        error = error ? error : EFBIG;
        return;
    }
    WriteBytes(text.data(), length);
}

void CArchiveWriter::WriteCount(std::uint32_t count)
{
    if (count < 0xFFFF) {
        WriteU16(static_cast<std::uint16_t>(count));
    } else {
        WriteU16(0xFFFF);
        WriteU32(count);
    }
}

void CArchiveWriter::WriteObjectTag(const char* className, std::uint16_t schema)
{
    auto found = std::find_if(classes.begin(), classes.end(),
                              [className](const auto& entry) { return entry.first == className; });
    if (found == classes.end()) {
        const std::size_t nameLength = std::strlen(className);
        WriteU16(kNewClassTag);
        WriteU16(schema);
        WriteU16(static_cast<std::uint16_t>(nameLength));
        WriteBytes(className, nameLength);
        classes.emplace_back(className, nextIndex++);
    } else if (found->second < kBigObjectTag) {
        WriteU16(static_cast<std::uint16_t>(kClassTag | found->second));
    } else {
        WriteU16(kBigObjectTag);
        WriteU32(kBigClassTag | found->second);
    }
    ++nextIndex;
}
