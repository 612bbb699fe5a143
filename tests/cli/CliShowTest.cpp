// lotwarden show and the listing formats: filters, sorting, columns and Time Left on a real
// watch list; the CSV read back by Python's csv module and the JSON checked against the schema
// kept beside the program.

#include "CliRun.h"

#include "core/document/LotwardDoc.h"
#include "sites/AuctionServer.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace modeltest;

namespace {

// Runs a Python script with the given arguments; its standard output, or "" when it failed.
std::string Python(const TempDir& dir, const std::string& script, const std::vector<std::string>& args)
{
    const std::string file = dir / "check.py";
    WriteFileBytes(file, script);
    // Debian's own interpreter, which the set-up script gives its json schema module.
    std::string command = "/usr/bin/python3 " + Quote(file);
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[4096];
    for (std::size_t got; pipe && (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, got);
    return pipe && ::pclose(pipe) == 0 ? out : "python failed: " + out;
}

// Five items: A ends in just under 1 hour, B in 5 hours, C in just under 3 days (so that the
// seconds the program takes to start never change the expected Time Left), D is finished,
// E (another server) has no end date. Only B and D are unread.
std::string MakeList(const TempDir& dir, std::time_t now)
{
    CLotwardDoc doc;
    doc.OnNewDocument();
    struct Row
    {
        const char* number;
        int server;
        const char* description;
        long long endsIn;
        int finished;
        int read;
    } rows[] = {
        {"A1", 107, "Brass lamp, \"art deco\"", 3600 - 30, 0, 1},
        {"B2", 107, "Clock", 5 * 3600, 0, 0},
        {"C3", 107, "Armchair", 3 * 86400 - 30, 0, 1},
        {"D4", 107, "Desk", -3600, 1, 0},
        {"E5", 168, "\xC9tag\xE8re", 0, 2, 1},
    };
    for (const Row& row : rows) {
        CItem* item = doc.AddItem(row.number, FindServer(row.server));
        if (!item)
            item = doc.GetItem(doc.GetItemCount() - 1);
        item->description = row.description;
        item->finished = row.finished;
        item->readState = row.read;
        if (row.endsIn) {
            // The end date is read on the site's clock; it is chosen so that the user's clock
            // sees the item end `endsIn` seconds from now.
            item->SetEndDate(now);
            const std::time_t ahead = now - item->GetEndDateLocal();
            item->SetEndDate(now + ahead + static_cast<std::time_t>(row.endsIn));
        }
    }
    doc.GetItem(0)->memo = "first line\r\nsecond, with a \"quote\"";
    doc.GetItem(0)->pageText = "<html>a long page</html>";
    const std::string path = dir / "list.lwd";
    std::string error;
    EXPECT_TRUE(doc.OnSaveDocument(path, &error)) << error;
    return path;
}

// The item numbers that `show --columns item-number` prints, in order, separated by spaces.
std::string Numbers(const TempDir& dir, std::vector<std::string> args)
{
    args.insert(args.begin(), {"show", dir / "list.lwd", "--columns", "item-number"});
    const CliRun run = Lotwarden(dir, args);
    if (run.status != 0)
        return "exit " + std::to_string(run.status) + ": " + run.err;
    std::string numbers;
    for (std::size_t start = run.out.find('\n') + 1; start < run.out.size();) {
        const std::size_t end = run.out.find('\n', start);
        numbers += (numbers.empty() ? "" : " ") + run.out.substr(start, end - start);
        start = end + 1;
    }
    return numbers;
}

} // namespace

TEST(CliShow, FiltersSortAndColumns)
{
    TempDir dir;
    MakeList(dir, std::time(nullptr));
    struct Case
    {
        std::vector<std::string> args;
        const char* numbers;
    } cases[] = {
        {{}, "A1 B2 C3 D4 E5"},
        {{"--sort", "time-left"}, "A1 B2 C3 D4 E5"},
        {{"--sort", "Time Left", "--descending"}, "C3 B2 A1 D4 E5"},
        {{"--sort", "104"}, "C3 A1 B2 D4 E5"},
        {{"--sort", "description", "--descending"}, "E5 D4 B2 A1 C3"},
        {{"--unread"}, "B2 D4"},
        {{"--finished", "yes"}, "D4"},
        {{"--finished", "no", "--server", "107"}, "A1 B2 C3"},
        {{"--server", "168"}, "E5"},
        {{"--match", "DECO"}, "A1"},
        {{"--match", "second, WITH"}, "A1"},
        {{"--match", "\xC3\xA9tag"}, "E5"},
        {{"--ending-within", "6h"}, "A1 B2"},
        {{"--ending-within", "1d", "--unread"}, "B2"},
        {{"--ending-within", "90"}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Numbers(dir, c.args), c.numbers) << ::testing::PrintToString(c.args);

    const CliRun columns =
        Lotwarden(dir, {"show", dir / "list.lwd", "--columns", "item-number,time-left,103"});
    ASSERT_EQ(columns.status, 0) << columns.err;
    EXPECT_EQ(columns.out.substr(0, columns.out.find('\n')), "Item Number\tTime Left\tItem Number");
    EXPECT_NE(columns.out.find("\nA1\t59m "), std::string::npos) << columns.out;
    EXPECT_NE(columns.out.find("\nC3\t2d 23h 59m\tC3\n"), std::string::npos) << columns.out;
    EXPECT_NE(columns.out.find("\nD4\tFinished\tD4\n"), std::string::npos);
    EXPECT_NE(columns.out.find("\nE5\t\tE5\n"), std::string::npos);

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--sort", "colour"},
                                               {"--columns", "item-number,,memo"},
                                               {"--ending-within", "1h30"},
                                               {"--finished", "maybe"},
                                               {"--server", "x"},
                                               {"--csv", "--json"},
                                               {"--frobnicate"}}) {
        std::vector<std::string> args = {"show", dir / "list.lwd"};
        args.insert(args.end(), bad.begin(), bad.end());
        const CliRun run = Lotwarden(dir, args);
        EXPECT_EQ(run.status, 2) << ::testing::PrintToString(bad);
        EXPECT_FALSE(run.err.empty());
    }
}

TEST(CliShow, CsvReadsBackWithARealCsvReader)
{
    TempDir dir;
    MakeList(dir, std::time(nullptr));
    const CliRun run =
        Lotwarden(dir, {"show", dir / "list.lwd", "--csv", "--columns", "item-number,description,memo"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1), "Item Number,Description,Memo\r\n");
    const std::string csvFile = dir / "out.csv";
    WriteFileBytes(csvFile, run.out);
    const std::string read =
        Python(dir,
               "import csv, sys\n"
               "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
               "    for row in csv.reader(f, strict=True):\n"
               "        print('|'.join(row).replace('\\r', '<CR>').replace('\\n', '<LF>'))\n",
               {csvFile});
    EXPECT_EQ(read, "Item Number|Description|Memo\n"
                    "A1|Brass lamp, \"art deco\"|first line<CR><LF>second, with a \"quote\"\n"
                    "B2|Clock|\nC3|Armchair|\nD4|Desk|\nE5|\xC3\x89tag\xC3\xA8re|\n");

    const CliRun servers = Lotwarden(dir, {"servers", "--csv"});
    ASSERT_EQ(servers.status, 0);
    WriteFileBytes(csvFile, servers.out);
    EXPECT_EQ(Python(dir,
                     "import csv, sys\n"
                     "rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8'), strict=True))\n"
                     "print(len(rows), rows[0][0], len({len(r) for r in rows}))\n",
                     {csvFile}),
              "31 Id 1\n");
}

TEST(CliShow, JsonFollowsTheSchemaAndLeavesThePageTextOut)
{
    TempDir dir;
    MakeList(dir, std::time(nullptr));
    const std::string check =
        "import json, sys, jsonschema\n"
        "doc = json.load(open(sys.argv[1], encoding='utf-8'))\n"
        "jsonschema.validate(doc, json.load(open(sys.argv[2])))\n"
        "a = doc['items'][0]\n"
        "print('pageText' in a, a['memo'] == 'first line\\r\\nsecond, with a \"quote\"')\n"
        "from datetime import datetime\n"
        "for key in ('endDate', 'endDateLocal'):\n"
        "    print(key, int(datetime.fromisoformat(a[key + 'Iso']).timestamp()) - a['endDateLocal'])\n"
        "print(a['timeLeftSeconds'] > 3500, doc['items'][4]['endDateIso'])\n";
    const std::string schema = LW_SOURCE_DIR "/cli/lotwarden-show.schema.json";
    const std::string jsonFile = dir / "out.json";
    for (bool pageText : {false, true}) {
        std::vector<std::string> args = {"show", dir / "list.lwd", "--json"};
        if (pageText)
            args.push_back("--page-text");
        const CliRun run = Lotwarden(dir, args);
        ASSERT_EQ(run.status, 0) << run.err;
        WriteFileBytes(jsonFile, run.out);
        // Both ISO forms of the end date name the same moment as the local value.
        EXPECT_EQ(Python(dir, check, {jsonFile, schema}),
                  std::string(pageText ? "True" : "False") + " True\nendDate 0\nendDateLocal 0\nTrue None\n");
    }
    const CliRun servers = Lotwarden(dir, {"servers", "--json"});
    WriteFileBytes(jsonFile, servers.out);
    EXPECT_EQ(
        Python(dir,
               "import json, sys\nrows = json.load(open(sys.argv[1]))\nprint(len(rows), rows[0]['id'])\n",
               {jsonFile}),
        "30 107\n");
}
