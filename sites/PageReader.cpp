// Reading a downloaded item page: the shared steps of every adapter (line selection, comment
// removal, the line readers and the finishing step), plus the base versions of the adapter's
// virtual operations and the queueing of an item's download.

#include "sites/AuctionServer.h"

#include "core/item/Item.h"
#include "download/DownloadQueue.h"
#include "sites/DownAuctionItemInfo.h"
#include "text/HtmlText.h"
#include "text/ReferenceData.h"
#include "text/SiteDate.h"

#include <algorithm>
#include <fstream>
#include <string_view>
#include <typeinfo>

namespace {

const char kCommentOpen[] = "<!--";
const char kCommentClose[] = "-->";

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

bool HasScript(const std::string& line)
{
    return Contains(line, "<script") || Contains(line, "<SCRIPT");
}

void Trim(std::string& s)
{
    const char* blanks = " \t\r\n\f\v";
    const std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos) {
        s.clear();
        return;
    }
    s.erase(s.find_last_not_of(blanks) + 1);
    s.erase(0, first);
}

// The visible text of one piece of a page line: no tags, entities decoded, no outer blanks.
std::string CleanText(std::string text)
{
    RemoveTags(text);
    DecodeHtmlEntities(text);
    Trim(text);
    return text;
}

// Ends a comment carried over from earlier lines at its first "-->" on this line. Returns false
// when the whole line lies inside the comment.
bool CloseComment(std::string& line, bool& inComment)
{
    if (!inComment)
        return true;
    const std::size_t close = line.find(kCommentClose);
    if (close == std::string::npos)
        return false;
    line.erase(0, close + sizeof(kCommentClose) - 1);
    inComment = false;
    return true;
}

// Removes the comments of one line. `inComment` carries an unclosed "<!--" from line to line.
// Returns false when the whole line lies inside a comment.
bool StripComments(std::string& line, bool& inComment)
{
    if (!CloseComment(line, inComment))
        return false;
    // Complete comments are removed wherever they are, also after the end of one carried over
    // from earlier lines, so that text between two comments is kept.
    while (RemoveSpan(line, kCommentOpen, kCommentClose)) {
    }
    const std::size_t open = line.find(kCommentOpen);
    if (open != std::string::npos) {
        line.erase(open);
        inComment = true;
    }
    return true;
}

} // namespace

int CAuctionServer::ParsePage(const std::string& localFile, CItemInfo& info, std::string& url, bool& fetchAgain,
                              int pagesParsed, const std::string& itemNumber)
{
    if (pagesParsed == 0)
        info.foundFlags = 0;

    std::ifstream file(localFile, std::ios::in | std::ios::binary);
    if (!file)
        return 1;

    std::vector<std::string> lines;
    bool started = false;
    bool inComment = false;
    bool afterScript = false;
    std::string line;
    while (std::getline(file, line)) {
        if (!started) {
            if (!IsStartLine(line, pagesParsed))
                continue;
            started = true;
        } else if (IsEndLine(line, pagesParsed)) {
            break;
        }

        std::erase(line, '\r');

        // The line after an opening script tag is script text: a "<!--" there hides the script
        // from old browsers and opens no comment. A comment that is already open still ends at
        // its "-->", so that a "<script><!--" line cannot swallow the rest of the page.
        const bool kept = afterScript ? CloseComment(line, inComment) : StripComments(line, inComment);
        if (!kept)
            continue;
        if (line.empty())
            continue;
        afterScript = HasScript(line);
        lines.push_back(std::move(line));
        line.clear();
    }
    if (file.bad())
        return 1;

    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!ParseLine(lines, i, info, pagesParsed))
            break;

    if (info.foundFlags == 0)
        return 1;
    const int result = FinishParse(lines, info, url, fetchAgain, pagesParsed, itemNumber);
    if (result != 0)
        info.foundFlags = 0;
    return result;
}

bool CAuctionServer::IsStartLine(const std::string&, int)
{
    return true;
}

bool CAuctionServer::IsEndLine(const std::string&, int)
{
    return false;
}

bool CAuctionServer::ParseLine(const std::vector<std::string>&, std::size_t, CItemInfo&, int)
{
    return false;
}

int CAuctionServer::FinishParse(const std::vector<std::string>& lines, CItemInfo& info, std::string&, bool&, int,
                                const std::string&)
{
    if ((info.foundFlags & kFoundPageText) == 0) {
        std::size_t size = 0;
        for (const std::string& line : lines)
            size += line.size() + 1;
        info.pageText.clear();
        info.pageText.reserve(size);
        for (const std::string& line : lines) {
            info.pageText += line;
            info.pageText += '\n';
        }
        info.foundFlags |= kFoundPageText;
    }
    info.retrievalDate = CurrentTime();
    if (info.finished == 2)
        info.finished = 0;
    info.foundFlags |= kFoundFinished | kFoundRetrievalDate;
    if ((info.foundFlags & kFoundQuantity) == 0) {
        info.quantity = 1;
        info.foundFlags |= kFoundQuantity;
    }
    if ((info.foundFlags & kFoundCurrentPrice) == 0 && (info.foundFlags & kFoundInitialPrice) != 0) {
        info.currentPrice = info.initialPrice;
        info.foundFlags |= kFoundCurrentPrice;
    }
    for (std::string* field : {&info.currentPrice, &info.initialPrice, &info.description, &info.category,
                               &info.location, &info.seller, &info.currentBuyer})
        DecodeHtmlEntities(*field);
    return 0;
}

std::string CAuctionServer::GetItemUrl(const std::string& itemNumber)
{
    return GetItemUrlPrefix() + itemNumber;
}

void CAuctionServer::GetCategoryNames(std::vector<std::string>& names)
{
    if (categoryPrefix.empty())
        return;
    CReferenceData& data = TheReferenceData();
    std::string name;
    for (int index = 0; data.GetRowColumns(categoryPrefix, index, &name, nullptr, nullptr); ++index)
        names.push_back(name);
}

std::string CAuctionServer::GetPageUrl(const std::string& itemNumber)
{
    return GetItemUrl(itemNumber);
}

bool CAuctionServer::ParseItemUrl(const std::string& url, std::string* itemNumber)
{
    const std::string prefix = GetItemUrlPrefix();
    // A site without an item URL owns no URL at all.
    if (prefix.empty() || url.compare(0, prefix.size(), prefix) != 0)
        return false;
    return TakeItemNumber(url.substr(prefix.size()), itemNumber);
}

bool CAuctionServer::TakeItemNumber(std::string tail, std::string* itemNumber, bool cutAtQuery)
{
    tail.erase(std::min(tail.find('#'), tail.size()));
    if (cutAtQuery)
        tail.erase(std::min(tail.find_first_of("&?/"), tail.size()));
    while (!tail.empty() &&
           (tail.back() == ' ' || tail.back() == '\t' || tail.back() == '\r' || tail.back() == '\n'))
        tail.pop_back();
    if (tail.empty())
        return false;
    if (itemNumber != nullptr)
        *itemNumber = std::move(tail);
    return true;
}

std::string CAuctionServer::GetSearchBase(bool)
{
    return {};
}

bool CAuctionServer::PrepareRequest(CDownAuctionItemInfo&, std::string&)
{
    return true;
}

bool CAuctionServer::RetryQuietly(CDownAuctionItemInfo&)
{
    return false;
}

int CAuctionServer::ReadDownload(CDownAuctionItemInfo& download, bool& fetchAgain)
{
    return ParsePage(download.localFile, download.info, download.url, fetchAgain, download.pagesParsed,
                     download.itemNumber);
}

bool CAuctionServer::StartItemDownload(CItem* item, IItemDownloadOwner& owner)
{
    if (item == nullptr || HasDownloadFor(typeid(CDownAuctionItemInfo), item, true))
        return false;
    const std::string description = item->GetDisplayText(104);
    const std::string number = item->GetItemNumber();
    auto* download = new CDownAuctionItemInfo(owner, this, number, description, item);
    if (!QueueDownload(download, GetPageUrl(number))) {
        delete download;
        return false;
    }
    return true;
}

bool CAuctionServer::ValueInTag(const std::vector<std::string>& lines, std::size_t i, const std::string& label,
                                const std::string& tag, std::string& out, std::size_t offset, bool restOfLine)
{
    if (i >= lines.size() || offset >= lines.size() - i)
        return false;
    const std::string& labelLine = lines[i];
    const std::size_t labelAt = labelLine.find(label);
    if (labelAt == std::string::npos)
        return false;

    std::string_view text = lines[i + offset];
    if (offset == 0 && restOfLine)
        text = std::string_view(labelLine).substr(labelAt + label.size());

    const std::size_t open = text.find("<" + tag);
    if (open == std::string_view::npos)
        return false;
    const std::size_t valueStart = text.find('>', open + 1 + tag.size());
    if (valueStart == std::string_view::npos)
        return false;
    const std::size_t valueEnd = text.find("</" + tag, valueStart + 1);
    if (valueEnd == std::string_view::npos)
        return false;
    out.assign(text.substr(valueStart + 1, valueEnd - valueStart - 1));
    return true;
}

bool CAuctionServer::NextTextLine(const std::vector<std::string>& lines, std::size_t i, const std::string& label,
                                  std::string& out, std::uint32_t& flags, std::uint32_t bit)
{
    if ((flags & bit) != 0 || i >= lines.size() || !Contains(lines[i], label))
        return false;
    for (std::size_t j = i + 1; j < lines.size(); ++j) {
        std::string text = CleanText(lines[j]);
        if (!text.empty()) {
            out = std::move(text);
            flags |= bit;
            return true;
        }
    }
    return false;
}

bool CAuctionServer::TextAfterLabel(const std::vector<std::string>& lines, std::size_t i, const std::string& label,
                                    std::string& out, std::uint32_t& flags, std::uint32_t bit)
{
    if ((flags & bit) != 0 || i >= lines.size())
        return false;
    const std::size_t labelAt = lines[i].find(label);
    if (labelAt == std::string::npos)
        return false;

    std::string text = lines[i].substr(labelAt + label.size());
    std::size_t pos = 0;
    std::size_t j = i;
    for (;;) {
        const std::size_t close = text.find('>', pos);
        std::string piece;
        if (close != std::string::npos) {
            piece = text.substr(pos, close + 1 - pos);
            pos = close + 1;
        } else if (j + 1 < lines.size()) {
            text += lines[++j];
            continue;
        } else {
            piece = text.substr(pos);
        }
        piece = CleanText(std::move(piece));
        if (!piece.empty()) {
            out = std::move(piece);
            flags |= bit;
            return true;
        }
        if (close == std::string::npos)
            return false;
    }
}
