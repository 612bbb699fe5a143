#pragma once
// iBazar item pages for the simulator, French and Italian, in the markup CIbazarServer reads
// (labels in Windows-1252, like the sites).
//
//   [ibazar-item fr 3054221]            (fr or it)
//   title = Piece de 5 francs Semeuse 1960
//   category = Collections/Monnaies
//   seller = numismate75
//   location = Paris                    (shown in parentheses after the seller)
//   quantity = 1
//   starting-price = 50 FF
//   current-price = 85 FF               (no line: "-")
//   start = Le 1er mars 2000
//   end = 11 mars 21h30
//   bid = collec_marc 85 FF             (the bid list, highest first)
//   sold = yes                          (the page says the item was sold)
//
// Values are bytes as written in the scenario file. `page` is item, error or not-found; every
// key of a [route] section applies too. The item answers on both item URL forms of its host.

#include <string>
#include <vector>

namespace lwsim {

struct IbazarItemPage
{
    bool italian = false;
    std::string itemNumber;
    std::string page = "item";
    std::string title;
    std::string category;
    std::string seller;
    std::string location;
    std::string quantity = "1";
    std::string startingPrice;
    std::string currentPrice = "-";
    std::string start;
    std::string end;
    std::vector<std::string> bids; // "name amount"
    bool sold = false;
};

std::string RenderIbazarItemPage(const IbazarItemPage& item);
std::string RenderIbazarErrorPage(bool italian);

} // namespace lwsim
