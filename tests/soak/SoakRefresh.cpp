// The refresh soak: a watch list of many items spread over every server of the table, served
// by auction-sim with a share of injected faults (server errors, connection resets, slow
// answers, truncated bodies, error pages), refreshed several times by `lotwarden refresh
// --on-error ignore`. Each round must end without a crash, update every item that no fault hit,
// keep its peak memory near the first round's, and leave a file that reads back whole.
//
// usage: soak_refresh --lotwarden EXE --sim EXE --work DIR [--items N] [--fault-percent P]
//                     [--rounds R]
// Runs only with LW_SOAK=1 in the environment (exit 77, "skipped", otherwise).

#include "core/document/LotwardDoc.h"
#include "sites/AuctionServer.h"
#include "text/ReferenceData.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

enum class FaultKind { None, ServerError, Reset, Slow, Truncated, ErrorPage };
const char* FaultName(FaultKind kind)
{
    switch (kind) {
    case FaultKind::None: return "none";
    case FaultKind::ServerError: return "500";
    case FaultKind::Reset: return "reset";
    case FaultKind::Slow: return "slow";
    case FaultKind::Truncated: return "truncated";
    case FaultKind::ErrorPage: return "error page";
    }
    return "?";
}

struct SoakItem
{
    int serverId = 0;
    std::string number;
    std::string title;
    FaultKind fault = FaultKind::None;
};

std::string CountryOf(int serverId)
{
    static const std::map<int, std::string> codes = {
        {150, "us"}, {158, "uk"}, {159, "au"}, {161, "ca"}, {152, "fr"}, {156, "es"}, {153, "dk"},
        {154, "de"}, {155, "it"}, {157, "se"}, {160, "br"}, {162, "mx"}, {151, "fr"}, {163, "uk"},
        {165, "it"}, {166, "es"}, {168, "fr"}, {169, "it"}};
    const auto found = codes.find(serverId);
    return found == codes.end() ? std::string() : found->second;
}

// One scenario section in the markup of the item's site family.
std::string Section(const SoakItem& item)
{
    std::ostringstream s;
    const int id = item.serverId;
    const std::string cc = CountryOf(id);
    bool errorPageKnown = true;
    if (id == 107) {
        s << "[ebay-item " << item.number << "]\ntitle = " << item.title
          << "\ncategory = Toys & Hobbies\ncategory-id = 220\nfirst-bid = $10.00\nlocation = Chicago, IL\n"
             "seller = tinlover\nstarted = 03/05/00 18:30:00 PST\nends = 03/12/00 18:30:00 PST\n"
             "time-left = 2 days, 4 hours +\nbid = 3 $15.00 robotfan\n";
    } else if (id >= 150 && id <= 162 && id != 151) {
        s << "[yahoo-item " << cc << " " << item.number << "]\ntitle = " << item.title << "\nnational-title = "
          << item.title
          << "\ncategory = Toys & Games > Vintage\nquantity = 1\nstarted-at = $1.00\nlocation = Lyon\n"
             "seller = tinlover\nopened = Mar 5 18:30\ncloses = 20000312t183000\ncloses-text = Mar 12 18:30 PST\n"
             "time-left = 2 days 4 hrs\nbid = 2 $5.00 robotfan\n";
    } else if (id == 164) {
        s << "[amazon-item " << item.number << "]\ntitle = " << item.title
          << "\ncategory = Toys & Games / Action Figures\ncurrent-bid = $27.50\nminimum-bid = $28.50\nbids = 3\n"
             "starting-bid = $5.00\nquantity = 1\nhigh-bidder = fettcollector\nseller = galaxytoys\n"
             "location = Seattle, WA\nstarted = 03/05/00 18:30:00 PST\ncloses = 03/12/00 18:30:00 PST\n"
             "closes-in = 2 days, 4 hours\n";
    } else if (id == 151 || id == 163 || id == 165 || id == 166) {
        errorPageKnown = false;
        s << "[aucland-item " << cc << " " << item.number << "]\ntitle = " << item.title
          << "\ncategory = Informatique : Portables\nseller = infoplus\nquantity = 1\nstarting-price = 1 500,00 FF\n"
             "next-bid = 2 100,00 FF\ntime-left = 2 jours 3 heures\nbid = jeanmi 2 000,00 FF\n";
    } else if (id == 167) {
        s << "[excite-lot " << item.number << "]\ntitle = " << item.title
          << "\ncategory = Collectibles > Coins\nquantity = 1\nbids = 1\ntime-remaining = 2 days 3 hours\n"
             "high-bid = $42.50\nopening-bid = $20.00\nlocation = Boston, MA\nseller = coinhound\n"
             "open-date = 12/28 10AM\nclose-date = 1/4 9PM\nbidder = silverfox $42.50\n";
    } else if (id == 168 || id == 169) {
        s << "[ibazar-item " << cc << " " << item.number << "]\ntitle = " << item.title
          << "\ncategory = Collections/Monnaies\nseller = numismate75\nlocation = Paris\nquantity = 1\n"
             "starting-price = 50 FF\ncurrent-price = 85 FF\nstart = Le 1er mars 2000\nend = 11 mars 21h30\n"
             "bid = collec_marc 85 FF\n";
    } else if (id == 170) {
        s << "[cnet-item " << item.number << "]\ntitle = " << item.title
          << "\ncategory = Notebooks: PC Notebooks\nquantity = 1\nbids = 5\nclosing = 03/12/2000 06:30 PM PST\n"
             "current-bid = $1,125.00\nstarting-bid = $800.00\nlocation = San Jose, CA\nseller = laptopdepot\n"
             "next-bid = $1,150.00\nhigh-bidder = notebookfan\n";
    }
    switch (item.fault) {
    case FaultKind::None: break;
    case FaultKind::ServerError: s << "status = 500\n"; break;
    case FaultKind::Reset: s << "chunk-size = 256\nreset-after = 512\n"; break;
    case FaultKind::Slow: s << "header-delay-ms = 1500\nchunk-size = 1024\nchunk-delay-ms = 50\n"; break;
    case FaultKind::Truncated: s << "truncate-after = 300\n"; break;
    case FaultKind::ErrorPage: s << (errorPageKnown ? "page = error\n" : "status = 500\n"); break;
    }
    s << "\n";
    return s.str();
}

struct Child
{
    pid_t pid = -1;
    int stdinFd = -1;
    int stdoutFd = -1;
};

Child Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv, const std::string& outFile)
{
    int in[2], out[2];
    if (::pipe(in) != 0 || ::pipe(out) != 0)
        std::exit(1);
    Child child;
    child.pid = ::fork();
    if (child.pid == 0) {
        ::dup2(in[0], 0);
        if (outFile.empty()) {
            ::dup2(out[1], 1);
        } else {
            std::FILE* file = std::fopen(outFile.c_str(), "w");
            ::dup2(fileno(file), 1);
        }
        ::close(in[1]);
        ::close(out[0]);
        for (const std::string& e : extraEnv)
            ::putenv(const_cast<char*>(e.c_str()));
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    child.stdinFd = in[1];
    child.stdoutFd = out[0];
    return child;
}

std::string ReadLine(int fd)
{
    std::string line;
    char c;
    while (::read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "soak: FAIL: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::string lotwarden, sim, work;
    int itemCount = 10000, faultPercent = 5, rounds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const std::string value = argv[i + 1];
        if (key == "--lotwarden") lotwarden = value;
        else if (key == "--sim") sim = value;
        else if (key == "--work") work = value;
        else if (key == "--items") itemCount = std::atoi(value.c_str());
        else if (key == "--fault-percent") faultPercent = std::atoi(value.c_str());
        else if (key == "--rounds") rounds = std::atoi(value.c_str());
    }
    if (!std::getenv("LW_SOAK") || std::string(std::getenv("LW_SOAK")) != "1") {
        std::printf("soak: skipped (set LW_SOAK=1 or run tools/soak.sh)\n");
        return 77;
    }
    if (lotwarden.empty() || sim.empty() || work.empty() || itemCount <= 0)
        return Fail("usage: soak_refresh --lotwarden EXE --sim EXE --work DIR [--items N]");
    SetReferenceDataFile(std::string(LW_SOURCE_DIR) + "/resources/Lotward.dat");
    std::filesystem::remove_all(work);
    std::filesystem::create_directories(work);
    const std::string docPath = work + "/soak.lwd";
    const std::string scenarioPath = work + "/soak.scn";

    // Items spread round-robin over the servers; faults on a fixed pseudo-random 5%, their
    // kinds taken in turn.
    // The page-reading sites only: the live eBay rows (ids from 201) are read through an API.
    std::vector<CAuctionServer*> servers;
    for (CAuctionServer* server : AllServers())
        if (server->serverId < 201)
            servers.push_back(server);
    std::vector<SoakItem> items(static_cast<std::size_t>(itemCount));
    std::map<std::string, int> faultCounts;
    unsigned seed = 12345;
    int faultTurn = 0;
    for (int i = 0; i < itemCount; ++i) {
        SoakItem& item = items[static_cast<std::size_t>(i)];
        item.serverId = servers[static_cast<std::size_t>(i) % servers.size()]->serverId;
        item.number = std::to_string(20000000 + i);
        item.title = "Soak lot " + std::to_string(i);
        seed = seed * 1103515245u + 12345u;
        if (static_cast<int>((seed >> 16) % 100) < faultPercent) {
            item.fault = static_cast<FaultKind>(1 + faultTurn++ % 5);
            ++faultCounts[FaultName(item.fault)];
        }
    }
    {
        std::ofstream scenario(scenarioPath, std::ios::binary);
        for (const SoakItem& item : items)
            scenario << Section(item);
    }
    {
        CLotwardDoc doc;
        doc.OnNewDocument();
        for (const SoakItem& item : items)
            doc.AddItem(item.number, FindServer(item.serverId));
        std::string error;
        if (!doc.OnSaveDocument(docPath, &error))
            return Fail("cannot write the watch list: " + error);
    }

    Child server = Spawn({sim, "--scenario", scenarioPath, "--port", "0"}, {}, "");
    const std::string portLine = ReadLine(server.stdoutFd);
    if (portLine.rfind("PORT ", 0) != 0)
        return Fail("auction-sim did not start: '" + portLine + "'");
    const std::string proxy = "http://127.0.0.1:" + portLine.substr(5);
    int faulted = 0;
    for (const SoakItem& item : items)
        faulted += item.fault != FaultKind::None;
    std::printf("soak: %d items on %zu servers, %d with faults (", itemCount, servers.size(), faulted);
    for (const auto& [name, count] : faultCounts)
        std::printf(" %s %d", name.c_str(), count);
    std::printf(" ), proxy %s\n", proxy.c_str());

    int status = 0;
    long firstPeakKb = 0;
    const auto soakStart = std::chrono::steady_clock::now();
    for (int round = 1; round <= rounds; ++round) {
        const std::string outFile = work + "/round" + std::to_string(round) + ".txt";
        const auto start = std::chrono::steady_clock::now();
        Child refresh = Spawn({lotwarden, "refresh", docPath, "--on-error", "ignore"},
                              {"http_proxy=" + proxy, "HTTP_PROXY=", "no_proxy=", "NO_PROXY="}, outFile);
        ::close(refresh.stdinFd);
        ::close(refresh.stdoutFd);
        int wstatus = 0;
        rusage usage {};
        ::wait4(refresh.pid, &wstatus, 0, &usage);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (WIFSIGNALED(wstatus))
            return Fail("round " + std::to_string(round) + ": lotwarden died of signal " +
                        std::to_string(WTERMSIG(wstatus)));
        const int code = WEXITSTATUS(wstatus);
        if (code != 0 && code != 3)
            return Fail("round " + std::to_string(round) + ": lotwarden exited with " + std::to_string(code));

        std::ifstream out(outFile);
        std::string line, summary;
        while (std::getline(out, line))
            if (line.find(" refreshed, ") != std::string::npos)
                summary = line;

        // The saved watch list reads back whole, and every item no fault hit was updated.
        CLotwardDoc doc;
        std::string error;
        if (!doc.OnOpenDocument(docPath, &error))
            return Fail("round " + std::to_string(round) + ": the saved watch list does not open: " + error);
        if (doc.GetItemCount() != itemCount)
            return Fail("round " + std::to_string(round) + ": " + std::to_string(doc.GetItemCount()) +
                        " items read back instead of " + std::to_string(itemCount));
        int updated = 0, faultedUpdated = 0, missed = 0;
        for (int i = 0; i < itemCount; ++i) {
            const CItem* item = doc.GetItem(i);
            const SoakItem& expected = items[static_cast<std::size_t>(i)];
            if (item->GetItemNumber() != expected.number ||
                static_cast<int>(item->GetServerId()) != expected.serverId)
                return Fail("round " + std::to_string(round) + ": item " + std::to_string(i) + " changed identity");
            const bool isUpdated = item->description == expected.title;
            updated += isUpdated;
            if (expected.fault != FaultKind::None) {
                faultedUpdated += isUpdated;
            } else if (!isUpdated) {
                if (++missed <= 10)
                    std::fprintf(stderr, "soak: round %d: item %s of server %d not updated (title '%s')\n", round,
                                 expected.number.c_str(), expected.serverId, item->description.c_str());
            }
        }
        const long peakKb = usage.ru_maxrss;
        if (round == 1)
            firstPeakKb = peakKb;
        std::printf("soak: round %d: %s; %d items updated (%d of them despite a fault), %d unfaulted items "
                    "missed; peak memory %ld KiB; %.1f s\n",
                    round, summary.c_str(), updated, faultedUpdated, missed, peakKb, seconds);
        std::fflush(stdout);
        if (missed > 0)
            status = Fail("round " + std::to_string(round) + ": " + std::to_string(missed) +
                          " items no fault hit were not updated");
        // Memory stays flat from round to round: no growth beyond a quarter of the first peak.
        if (peakKb > firstPeakKb + firstPeakKb / 4)
            status = Fail("round " + std::to_string(round) + ": peak memory grew from " + std::to_string(firstPeakKb) +
                          " to " + std::to_string(peakKb) + " KiB");
    }
    std::printf("soak: total %.1f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - soakStart).count());
    ::close(server.stdinFd);
    ::kill(server.pid, SIGTERM);
    ::waitpid(server.pid, nullptr, 0);
    return status;
}
