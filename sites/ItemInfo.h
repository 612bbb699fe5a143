#pragma once
// What one downloaded item page said: the fields found and a bit per field in foundFlags.

#include <cstdint>
#include <ctime>
#include <string>

enum ItemInfoFlag : std::uint32_t {
    kFoundQuantity = 0x0001,
    kFoundDescription = 0x0002,
    kFoundBidCount = 0x0004,
    kFoundFinished = 0x0008,
    kFoundStartDate = 0x0010,
    kFoundEndDate = 0x0020,
    kFoundRetrievalDate = 0x0040,
    kFoundCategory = 0x0080,
    kFoundCurrentPrice = 0x0100,
    kFoundInitialPrice = 0x0200,
    kFoundLocation = 0x0400,
    kFoundSeller = 0x0800,
    kFoundCurrentBuyer = 0x1000,
    kFoundNextBidPrice = 0x2000,
    kFoundPageText = 0x4000,
};

struct CItemInfo
{
    std::uint32_t foundFlags = 0;
    int quantity = 0;
    std::string description;
    int bidCount = 0;
    int finished = 2; // 0 running, 1 finished, 2 unknown
    std::time_t startDate = 0; // site clock
    std::time_t endDate = 0;   // site clock
    std::time_t retrievalDate = 0;
    std::string category;
    std::string currentPrice;
    std::string initialPrice;
    std::string location;
    std::string seller;
    std::string currentBuyer;
    std::string pageText;
    std::string nextBidPrice;
};
