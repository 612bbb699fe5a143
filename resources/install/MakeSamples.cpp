// Writes the installer's sample watch lists: one item of each site family, English and French.
// Run at build time: MakeSamples OUTPUT.lwd en|fr. The items are made up; their descriptions
// show what a watched item looks like before its first refresh fills in the rest.

#include "core/document/LotwardDoc.h"
#include "core/item/Item.h"
#include "platform/Cp1252.h"
#include "sites/AuctionServer.h"

#include <cstdio>
#include <string>

namespace {

struct SampleItem
{
    int serverId;
    const char* number;
    const char* description; // UTF-8
};

// eBay, Yahoo, Amazon, Aucland, Excite, iBazar, CNET.
const SampleItem kEnglish[] = {
    {107, "1203456789", "Pocket watch, silver case, 1912"},
    {150, "8123456", "Box of 40 vintage postcards"},
    {164, "4501234567", "First edition novel, signed"},
    {163, "2234567", "Brass ship's compass"},
    {167, "3345678", "Set of six crystal glasses"},
    {169, "5456789", "Hand-painted ceramic plate"},
    {170, "6567890", "Mechanical calculator, working"},
};

const SampleItem kFrench[] = {
    {107, "1203456790", "Montre de gousset, boîtier en argent, 1912"},
    {152, "8123457", "Lot de 40 cartes postales anciennes"},
    {164, "4501234568", "Roman en édition originale, dédicacé"},
    {151, "2234568", "Compas de marine en laiton"},
    {167, "3345679", "Six verres en cristal"},
    {168, "5456790", "Assiette en faïence peinte à la main"},
    {170, "6567891", "Calculatrice mécanique en état de marche"},
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || (std::string(argv[2]) != "en" && std::string(argv[2]) != "fr")) {
        std::fprintf(stderr, "usage: MakeSamples OUTPUT.lwd en|fr\n");
        return 2;
    }
    const bool french = std::string(argv[2]) == "fr";
    CLotwardDoc doc;
    doc.OnNewDocument();
    for (const SampleItem& sample : french ? kFrench : kEnglish) {
        CAuctionServer* server = FindServer(sample.serverId);
        if (!server) {
            std::fprintf(stderr, "MakeSamples: no server %d\n", sample.serverId);
            return 1;
        }
        if (doc.AddItem(sample.number, server) != nullptr)
            continue;
        doc.GetItem(doc.GetItemCount() - 1)->description = Cp1252FromUtf8(sample.description);
    }
    std::string error;
    if (!doc.OnSaveDocument(argv[1], &error)) {
        std::fprintf(stderr, "MakeSamples: %s\n", Utf8FromCp1252(error).c_str());
        return 1;
    }
    return 0;
}
