#pragma once
// The byte stream of a watch-list file: little-endian integers, object counts, strings with a
// length prefix, and object tags that name each object's class through one class/object
// table shared by the whole file.
//
// The reader never trusts a length or a count: anything larger than what is left of the input
// fails with CArchiveException before any memory is reserved for it.

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class CArchiveException : public std::runtime_error
{
public:
    enum Cause { kEndOfFile, kBadClass, kBadSchema, kBadIndex, kGeneric, kReadError };
    CArchiveException(Cause why, const std::string& what) : std::runtime_error(what), cause(why) {}
    Cause cause;
};

// The serializable classes of the program, as their names and schemas appear in files.
namespace ArchiveClass {
inline constexpr const char* kColumnInfo = "CColumnInfo";
inline constexpr std::uint16_t kColumnInfoSchema = 1;
inline constexpr const char* kItem = "CItem";
inline constexpr std::uint16_t kItemSchema = 3;
} // namespace ArchiveClass

class CArchiveReader
{
public:
    // Reads `data`, which must outlive the reader.
    explicit CArchiveReader(std::string_view data);
    // The reader only looks at `data`: a temporary string would be gone before the first read.
    explicit CArchiveReader(std::string&& data) = delete;
    // Reads `size` bytes from `file` (positioned at the start); the caller closes the file.
    CArchiveReader(std::FILE* file, std::uint64_t size);
    CArchiveReader(const CArchiveReader&) = delete;
    CArchiveReader& operator=(const CArchiveReader&) = delete;

    std::uint8_t ReadByte();
    std::uint16_t ReadU16();
    std::uint32_t ReadU32();
    std::int32_t ReadI32();
    std::time_t ReadTime(); // signed 32-bit seconds
    std::string ReadString();
    std::uint32_t ReadCount();
    // Reads one object tag, which must announce a new object of `className`; returns the
    // schema recorded for that class in this file.
    std::uint16_t ReadObjectTag(const char* className);
    void ReadBytes(void* out, std::size_t size);
    void AppendBytes(std::string& out, std::size_t size);

    std::uint64_t Remaining() const { return total - consumed; }
    bool AtEnd() const { return Remaining() == 0; }

    // Set when an item of an older version was read (the open step then offers a backup).
    bool formatChanged = false;

private:
    struct Entry
    {
        bool isClass = false;
        std::string name;
        std::uint16_t schema = 0;
    };
    void Require(std::uint64_t size) const;
    void Refill();

    std::string_view memory;
    std::FILE* file = nullptr;
    std::vector<char> buffer;
    std::size_t bufferPos = 0;
    std::size_t bufferLen = 0;
    std::uint64_t total = 0;
    std::uint64_t consumed = 0;
    std::vector<Entry> table; // index 0 is "no object"
};

// Where the writer's bytes go. Write returns 0 or an errno value.
class IArchiveSink
{
public:
    virtual ~IArchiveSink() = default;
    virtual int Write(const char* data, std::size_t size) = 0;
};

class CStringSink : public IArchiveSink
{
public:
    explicit CStringSink(std::string& target) : out(target) {}
    int Write(const char* data, std::size_t size) override
    {
        out.append(data, size);
        return 0;
    }

private:
    std::string& out;
};

class CFdSink : public IArchiveSink
{
public:
    explicit CFdSink(int descriptor) : fd(descriptor) {}
    int Write(const char* data, std::size_t size) override;

private:
    int fd;
};

class CArchiveWriter
{
public:
    explicit CArchiveWriter(IArchiveSink& target);
    ~CArchiveWriter();
    CArchiveWriter(const CArchiveWriter&) = delete;
    CArchiveWriter& operator=(const CArchiveWriter&) = delete;

    void WriteByte(std::uint8_t value);
    void WriteU16(std::uint16_t value);
    void WriteU32(std::uint32_t value);
    void WriteI32(std::int32_t value);
    void WriteTime(std::time_t value); // clamped to the signed 32-bit range
    void WriteString(std::string_view text);
    void WriteCount(std::uint32_t count);
    // Writes the tag of a new object of `className`: the class record the first time the
    // class appears, a class reference after that.
    void WriteObjectTag(const char* className, std::uint16_t schema);
    void WriteBytes(const void* data, std::size_t size);

    // Pushes buffered bytes to the sink; false when any write failed.
    bool Flush();
    int Error() const { return error; } // the first errno a write reported, else 0

private:
    IArchiveSink& sink;
    std::vector<char> buffer;
    int error = 0;
    std::uint32_t nextIndex = 1;
    std::vector<std::pair<std::string, std::uint32_t>> classes;
};
