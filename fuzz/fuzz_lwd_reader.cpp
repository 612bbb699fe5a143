// The .lwd reader on arbitrary bytes, from memory and from a file through the open step.
// Whatever it accepts must write back and read again to the same bytes: a file that opens must
// survive the next save.

#include "core/document/Archive.h"
#include "core/document/LotwardDoc.h"
#include "fuzz/FuzzSupport.h"

#include <cstdlib>
#include <new>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CLotwardDoc doc;
    bool accepted = false;
    try {
        CArchiveReader reader(bytes);
        doc.Serialize(reader);
        accepted = reader.AtEnd();
    } catch (const CArchiveException&) {
    } catch (const std::bad_alloc&) {
    }
    if (accepted) {
        std::string written;
        {
            CStringSink sink(written);
            CArchiveWriter writer(sink);
            doc.Serialize(writer);
            if (!writer.Flush())
                std::abort();
        }
        CLotwardDoc again;
        std::string rewritten;
        try {
            CArchiveReader reader(written);
            again.Serialize(reader);
            if (!reader.AtEnd())
                std::abort();
            CStringSink sink(rewritten);
            CArchiveWriter writer(sink);
            again.Serialize(writer);
            writer.Flush();
        } catch (const CArchiveException&) {
            std::abort(); // what the program wrote, it must read
        }
        if (rewritten != written)
            std::abort();
    }

    // The open step reads from a file in chunks: same verdict as from memory.
    CLotwardDoc opened;
    const bool openedOk = opened.OnOpenDocument(fuzz::WriteScratch("doc.lwd", bytes));
    if (size > 0 && openedOk != accepted)
        std::abort();
    return 0;
}
