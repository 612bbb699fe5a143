#include "browser/DocumentBookmarks.h"

#include "core/document/LotwardDoc.h"
#include "sites/AuctionServer.h"

#include <optional>

CDocumentImportTarget::CDocumentImportTarget(CLotwardDoc& document) : doc(document) {}

bool CDocumentImportTarget::AddUrl(const std::string& url)
{
    if (url.empty() || url.find_first_of("\r\n") != std::string::npos)
        return false;
    const int before = doc.GetItemCount();
    const bool taken = doc.AddFromText(url, true) != 0;
    added += doc.GetItemCount() - before;
    return taken;
}

std::vector<ExportEntry> DocumentExportEntries(const CLotwardDoc& doc)
{
    std::vector<ExportEntry> entries;
    entries.reserve(static_cast<std::size_t>(doc.GetItemCount()));
    for (int i = 0; i < doc.GetItemCount(); ++i) {
        const CItem* item = doc.GetItem(i);
        const CAuctionServer* server = item->GetServer();
        std::optional<std::string> serverName;
        if (server)
            serverName = server->GetDisplayName();
        if (std::optional<ExportEntry> entry = MakeExportEntry(item->GetItemNumber(), serverName, item->GetUrl()))
            entries.push_back(std::move(*entry));
    }
    return entries;
}
