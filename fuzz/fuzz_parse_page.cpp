// Item page reading of every adapter in the server table. The first byte picks the server, the
// second the page number (0 the item page, 1 and 2 follow-up pages); the rest is the page.

#include "fuzz/FuzzSupport.h"
#include "sites/AuctionServer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::UseShippedReferenceData();
    fuzz::Input in(data, size);
    const auto& servers = AllServers();
    CAuctionServer* server = servers[in.Byte() % servers.size()];
    const int pagesParsed = in.Byte() % 3;
    const std::string path = fuzz::WriteScratch("page.html", in.Rest());

    CItemInfo info;
    std::string url = server->GetPageUrl("123456");
    bool fetchAgain = false;
    // Follow-up pages start from what the earlier pages found.
    for (int page = 0; page <= pagesParsed; ++page) {
        fetchAgain = false;
        server->ParsePage(path, info, url, fetchAgain, page, "123456");
    }
    return 0;
}
