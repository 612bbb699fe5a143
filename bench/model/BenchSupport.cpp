#include "BenchSupport.h"

#include "core/document/Archive.h"
#include "core/document/LotwardDoc.h"
#include "core/document/SafeSave.h"
#include "sites/AuctionServer.h"

#include <cstdlib>
#include <fstream>
#include <random>

namespace {

void FillItem(CItem& item, std::mt19937& random, std::size_t pageText)
{
    static const char* words[] = {"Lamp", "vintage", "Chair", "oak", "Radio", "tube", "Clock", "brass", "lot", "Émail"};
    item.description.clear();
    for (int w = 0; w < 6; ++w)
        item.description += std::string(words[random() % 10]) + " ";
    item.SetEndDate(950000000 + static_cast<std::time_t>(random() % 10000000));
    item.SetStartDate(item.GetEndDate() - 7 * 86400);
    item.currentPrice = "$" + std::to_string(random() % 5000) + "." + std::to_string(random() % 100);
    item.bidCount = static_cast<int>(random() % 40);
    item.quantity = 1;
    item.finished = 0;
    item.seller = "seller" + std::to_string(random() % 1000);
    item.pageText.assign(pageText, 'x');
    for (std::size_t i = 0; i < pageText; i += 97)
        item.pageText[i] = '\n';
}

} // namespace

void FillDocument(CLotwardDoc& doc, int count, std::size_t pageText, unsigned seed)
{
    std::mt19937 random(seed);
    CAuctionServer* server = FindServer(107);
    for (int i = 0; i < count; ++i) {
        doc.AddItem(std::to_string(random()), server);
        FillItem(*doc.GetItem(doc.GetItemCount() - 1), random, pageText);
    }
}

bool WriteLargeFile(const std::string& path, int count, std::size_t pageText)
{
    std::mt19937 random(1);
    CAuctionServer* server = FindServer(107);
    CColumnInfoList columns;
    columns.ResetToDefaults();
    return SaveArchiveFile(path, [&](CArchiveWriter& writer) {
               columns.Write(writer);
               writer.WriteCount(static_cast<std::uint32_t>(count));
               for (int i = 0; i < count; ++i) {
                   CItem item(std::to_string(random()), server);
                   FillItem(item, random, pageText);
                   writer.WriteObjectTag(ArchiveClass::kItem, ArchiveClass::kItemSchema);
                   item.Write(writer);
               }
           }).ok;
}

long long PeakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atoll(line.c_str() + 6) * 1024;
    return -1;
}

void ResetPeakResident()
{
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
}

std::string BenchFilePath(const std::string& name)
{
    const char* dir = std::getenv("LW_BENCH_DIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/" + name;
}
