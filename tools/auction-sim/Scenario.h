#pragma once
// Scenario files: the routes the simulator serves, in sections of "key = value" lines.
//
//   # a comment
//   [route http://cgi.ebay.com/aw-cgi/eBayISAPI.dll?ViewItem&item=123]
//   body-file = ebay/item123.html
//
//   [route /slow]
//   body-size = 40960
//   header-delay-ms = 20
//
// Comments are whole lines. Keys of a route: status, content-type, header ("Name: value",
// repeatable), body (one line of text), body-file (relative to the scenario file's folder),
// body-size (generated text), header-delay-ms, chunk-size, chunk-delay-ms,
// reset-after, truncate-after, proxy-auth ("user:password").
// Other section types ("[ebay-item 123]") are handed to the generator registered for them.

#include "tools/auction-sim/RouteTable.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace lwsim {

struct ScenarioSection
{
    std::string type; // "route", or a registered generator's type
    std::string name; // the rest of the section line
    std::vector<std::pair<std::string, std::string>> entries;
    std::string baseDir; // folder of the scenario file, for relative file names ("" for text)
    int line = 0;
    std::vector<int> entryLines; // the line of each entry

    const std::string* Get(const std::string& key) const;
};

// Turns one section into routes; returns false with a message for a bad section.
using SectionGenerator = std::function<bool(const ScenarioSection&, RouteTable&, std::string& error)>;

// Site page generators register themselves from their own sources, at start-up.
void RegisterSectionType(const std::string& type, SectionGenerator generator);

struct SectionTypeRegistration
{
    SectionTypeRegistration(const std::string& type, SectionGenerator generator)
    {
        RegisterSectionType(type, std::move(generator));
    }
};

// Errors name the file and line ("scenario.txt:12: unknown key 'foo'").
bool LoadScenarioText(const std::string& text, const std::string& baseDir, const std::string& source,
                      RouteTable& table, std::string& error);
bool LoadScenarioFile(const std::string& path, RouteTable& table, std::string& error);

// The [route] section's keys, for generators that build on plain routes.
bool ApplyRouteKey(const std::string& key, const std::string& value, const std::string& baseDir,
                   Route& route, std::string& error);

} // namespace lwsim
