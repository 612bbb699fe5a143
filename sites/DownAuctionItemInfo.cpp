#include "sites/DownAuctionItemInfo.h"

#include "core/StringTable.h"
#include "core/options/AppOptions.h"
#include "sites/AuctionServer.h"
#include "sites/ItemResultTarget.h"

#include <utility>

namespace {

std::atomic<IItemResultTarget*> g_resultTarget{nullptr};
std::atomic<IErrorQuestion*> g_errorQuestion{nullptr};

} // namespace

void SetItemResultTarget(IItemResultTarget* target)
{
    g_resultTarget.store(target);
}

IItemResultTarget* ItemResultTarget()
{
    return g_resultTarget.load();
}

void SetErrorQuestion(IErrorQuestion* question)
{
    g_errorQuestion.store(question);
}

IErrorQuestion* ErrorQuestion()
{
    return g_errorQuestion.load();
}

CDownAuctionItemInfo::CDownAuctionItemInfo(CAuctionServer* adapter, std::string number,
                                           std::string itemDescription, CItem* forItem)
    : server(adapter), itemNumber(std::move(number)), description(std::move(itemDescription)), item(forItem)
{
}

int CDownAuctionItemInfo::OnDownloaded(bool& fetchAgain)
{
    fetchAgain = false;
    // A page for an item that went away, or a cancelled download, is not read: the failure
    // path then ends in OnError, which ignores it silently.
    if (item.load() == nullptr || cancelRequested || server == nullptr)
        return 1;
    const int result = server->ParsePage(localFile, info, url, fetchAgain, pagesParsed, itemNumber);
    if (fetchAgain)
        ++pagesParsed;
    return result;
}

std::string CDownAuctionItemInfo::ErrorMessage() const
{
    const std::string site = server != nullptr ? server->GetDisplayName() : std::string();
    if (description.empty())
        return FormatText(LoadResString(5), {itemNumber, site});
    return FormatText(LoadResString(4), {itemNumber, site, description});
}

int CDownAuctionItemInfo::OnError()
{
    if (item.load() == nullptr)
        return IErrorQuestion::kIgnore;
    IErrorQuestion* question = ErrorQuestion();
    if (question == nullptr)
        return IErrorQuestion::kIgnore;
    const int answer = question->AskAbortRetryIgnore(ErrorMessage());
    if (answer == IErrorQuestion::kRetry || answer == IErrorQuestion::kAbort)
        return answer;
    return IErrorQuestion::kIgnore;
}

void CDownAuctionItemInfo::OnComplete()
{
    if (IItemResultTarget* target = ItemResultTarget())
        target->DeliverItemResult(item.load(), info);
}

bool CDownAuctionItemInfo::IsForItem(const CItem* forItem, bool keep)
{
    CItem* current = item.load();
    if (current == nullptr || current != forItem)
        return false;
    if (!keep)
        item.store(nullptr);
    return true;
}

int CDownAuctionItemInfo::GetMaxSimultaneous()
{
    return GetIntOption(2); // "Simult Download"
}
