#include "cli/Help.h"

#include <algorithm>
#include <cctype>
#include <ostream>
#include <sstream>

namespace cli {

namespace {

constexpr const char* kDatesNote =
    "Dates: \"startDate\" and \"endDate\" are the site's clock reading, \"startDateLocal\",\n"
    "\"endDateLocal\" and \"retrievalDate\" the same moments on your clock. Each is given as the\n"
    "number the watch list stores (seconds since 1970, 0 for no date) and as ISO 8601 with its\n"
    "offset from UTC in the ...Iso field (null for no date): the site dates carry the site's\n"
    "offset, so both forms name the same moment.\n";

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// troff text: a leading dot or quote would be read as a request, a backslash as an escape.
std::string Troff(const std::string& line)
{
    std::string out;
    for (char c : line)
        out += c == '\\' ? std::string("\\e") : c == '-' ? std::string("\\-") : std::string(1, c);
    if (!out.empty() && (out[0] == '.' || out[0] == '\''))
        out.insert(0, "\\&");
    return out;
}

// A usage line as printed: a form of the command, or the continuation of the one above.
std::string UsageLine(const std::string& line)
{
    return (line.empty() || line[0] != ' ' ? "lotwarden " : "          ") + line;
}

} // namespace

const std::vector<CommandHelp>& AllCommandHelp()
{
    static const std::vector<CommandHelp> table = {
        {"new", "new FILE", "create an empty watch list",
         "Creates FILE with the default columns; an existing file is never replaced.\n"
         "The folder must exist."},
        {"show",
         "show FILE [--sort COLUMN [--descending]] [--columns COLUMN,...] [--unread]\n"
         "     [--ending-within DURATION] [--server ID] [--finished yes|no] [--match TEXT]\n"
         "     [--csv | --json [--page-text]]",
         "list the items of a watch list",
         "Prints the items with the list's own columns and a live Time Left column. show only\n"
         "reads: a file in an older format is read and said to be old, never rewritten.\n"
         "  --sort COLUMN          sort by any column, Time Left included (ascending)\n"
         "  --descending           sort the other way\n"
         "  --columns LIST         the columns to print: ids (103), names (item-number,\n"
         "                         time-left) or titles, separated by commas\n"
         "  --unread               only items not yet read\n"
         "  --ending-within D      only running items ending within D (90, 45s, 30m, 2h, 1d12h)\n"
         "  --server ID            only the items of this server (see lotwarden servers)\n"
         "  --finished yes|no      only finished items, or only the others\n"
         "  --match TEXT           only items whose number, description, memo, seller, buyer,\n"
         "                         category or location holds TEXT (any case)\n"
         "  --csv                  RFC 4180 CSV: a header row, quoted fields, CRLF, UTF-8\n"
         "  --json                 every field of every item (the schema is\n"
         "                         lotwarden-show.schema.json); the page text only with\n"
         "                         --page-text\n"},
        {"add",
         "add FILE URL...\n"
         "add FILE --server ID NUMBER\n"
         "add FILE --create ...",
         "add items from their page URLs or by number",
         "Adds the items; every URL must be an item page of a known server, or nothing is added.\n"
         "  --create               make FILE first when it does not exist\n"},
        {"remove", "remove FILE NUMBER|URL... [--server ID]", "remove items by number or URL",
         "Removes the items. A number that two servers share needs --server; a URL names\n"
         "its server itself. Nothing is removed when one of them is not in the list."},
        {"set",
         "set FILE NUMBER|URL [--server ID] [--memo TEXT] [--shipping TEXT]\n"
         "    [--alarm DURATION] [--alarm-mode default|end|buyer|both|none] [--read | --unread]",
         "change an item's memo, shipping charges, alarm or read state",
         "The fields of an item's Properties. --alarm sets how long before the end the end alarm\n"
         "rings (a duration as for show --ending-within); --alarm-mode chooses which alarms the\n"
         "item has (default follows the program's options). An item number that two servers\n"
         "share needs --server."},
        {"columns", "columns FILE [--set COLUMN,...] [--csv | --json]",
         "list or choose the columns of a watch list",
         "Without --set, lists every column with its id, name and title, and where the list\n"
         "shows it. --set chooses the list's columns in that order; a column kept keeps its width."},
        {"servers", "servers [--csv | --json]", "list the auction servers", ""},
        {"refresh", "refresh FILE [--item NUMBER]... [--on-error ignore|retry|abort]",
         "download the items' pages and save what changed",
         "Exit code 3 when some items could not be refreshed."},
        {"watch", "watch FILE [--period MINUTES] [--rounds N] [--on-error ignore|retry|abort]",
         "refresh on the program's schedule and print changes and alarms",
         "Refreshes the running items at once and then every \"Refresh Period\" minutes of the\n"
         "options (or --period), checks the alarms every 5 seconds as the desktop program does,\n"
         "saves what changed and prints one line per change and per alarm, until interrupted\n"
         "(Ctrl+C) or after --rounds refreshes. Lines start with \"Changed\", \"Finished\",\n"
         "\"Failed\" or \"Alarm\", so that a notifier can read them."},
        {"parse-page", "parse-page --server ID [--page N] [--item NUMBER] FILE...",
         "read saved item pages (successive pages of one item)", ""},
        {"search-url",
         "search-url --server ID [--query TEXT] [--category N] [--sort KEY]\n"
         "           [--ascending | --descending] [--descriptions] [--text-only]",
         "print a site's search URL", "KEY: end, start, price, rank or a number."},
        {"import",
         "import FILE --favorites DIR [--no-recurse] [--delete]\n"
         "import FILE --netscape BOOKMARKS [--folder PATH] [--no-recurse] [--delete]\n"
         "import FILE --browser chromium|firefox [--profile DIR] [--folder PATH] [--no-recurse]",
         "add the items that bookmarks link to",
         "--favorites reads the .url shortcuts of DIR and its subfolders; --netscape a folder of\n"
         "a bookmark file (PATH like Auctions/eBay, the whole file by default); --browser the\n"
         "same straight from a browser's profile (the first one found by default), only read."},
        {"export",
         "export FILE --favorites DIR\n"
         "export FILE --netscape BOOKMARKS --folder PATH",
         "write the items as bookmarks",
         "One .url shortcut per item into DIR, or one bookmark per item into that folder."},
        {"help", "help [COMMAND]", "print this overview or one command's help", ""},
    };
    return table;
}

const CommandHelp* FindCommandHelp(const std::string& name)
{
    for (const CommandHelp& help : AllCommandHelp())
        if (name == help.name)
            return &help;
    return nullptr;
}

std::vector<std::string> CommandOptions(const CommandHelp& help)
{
    std::vector<std::string> options;
    const std::string text = std::string(help.usage) + "\n" + help.details;
    for (std::size_t pos = text.find("--"); pos != std::string::npos; pos = text.find("--", pos + 2)) {
        std::size_t end = pos + 2;
        while (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) || text[end] == '-'))
            ++end;
        const std::string word = text.substr(pos, end - pos);
        if (word.size() > 2 && std::find(options.begin(), options.end(), word) == options.end())
            options.push_back(word);
        pos = end - 2;
    }
    options.push_back("--help");
    return options;
}

void PrintUsage(std::ostream& out)
{
    out << "Usage: lotwarden COMMAND ...\n";
    for (const CommandHelp& help : AllCommandHelp())
        out << "  " << help.name
            << std::string(12 - std::min<std::size_t>(11, std::string(help.name).size()), ' ') << help.summary
            << "\n";
    out << "  --version   print the version\n"
           "\"lotwarden help COMMAND\" or \"lotwarden COMMAND --help\" shows a command's options.\n"
           "Commands that open a file in an older format accept --backup to keep a .old copy.\n"
           "\"--\" ends the options: the words after it are files, numbers or URLs as they are.\n"
           "Exit codes: 0 done, 1 failed (nothing written), 2 bad usage, 3 some items not refreshed.\n";
}

void PrintCommandUsage(const std::string& command, std::ostream& err)
{
    const CommandHelp* help = FindCommandHelp(command);
    if (!help)
        return;
    const auto lines = Lines(help->usage);
    for (std::size_t i = 0; i < lines.size(); ++i)
        err << (i ? "       " : "usage: ") << UsageLine(lines[i]) << "\n";
    err << "(lotwarden help " << command << " says more)\n";
}

void PrintCommandHelp(const CommandHelp& help, std::ostream& out)
{
    for (const std::string& line : Lines(help.usage))
        out << UsageLine(line) << "\n";
    out << "\n" << help.summary << ".\n";
    if (*help.details)
        out << "\n" << help.details << (std::string(help.details).back() == '\n' ? "" : "\n");
    if (std::string(help.name) == "show")
        out << "\n" << kDatesNote;
}

void PrintManPage(std::ostream& out)
{
    out << ".TH LOTWARDEN 1\n.SH NAME\nlotwarden \\- watch lists of auction items from the command line\n"
           ".SH SYNOPSIS\n.B lotwarden\n.I COMMAND\n\\&...\n.SH DESCRIPTION\n"
           "The command\\-line front end of Lotwarden: it reads and changes the same .lwd watch lists as "
           "the\n"
           "desktop program Lotward.\n.SH COMMANDS\n";
    for (const CommandHelp& help : AllCommandHelp()) {
        out << ".SS " << help.name << "\n";
        out << ".nf\n";
        for (const std::string& line : Lines(help.usage))
            out << Troff(UsageLine(line)) << "\n";
        out << ".fi\n";
        out << Troff(help.summary) << ".\n";
        if (*help.details) {
            out << ".PP\n.nf\n";
            for (const std::string& line : Lines(help.details))
                out << Troff(line) << "\n";
            out << ".fi\n";
        }
    }
    out << ".SH DATES\n.nf\n";
    for (const std::string& line : Lines(kDatesNote))
        out << Troff(line) << "\n";
    out << ".fi\n.SH EXIT STATUS\n0 done, 1 failed (nothing written), 2 bad usage, 3 some items not "
           "refreshed.\n"
           ".SH SEE ALSO\n.BR Lotward (1)\n";
}

void PrintBashCompletion(std::ostream& out)
{
    out << "# bash completion for lotwarden\n_lotwarden()\n{\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]}\n"
           "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
           "        COMPREPLY=($(compgen -W \"";
    for (const CommandHelp& help : AllCommandHelp())
        out << help.name << " ";
    out << "--help --version\" -- \"$cur\"))\n        return\n    fi\n"
           "    local options\n    case ${COMP_WORDS[1]} in\n";
    for (const CommandHelp& help : AllCommandHelp()) {
        out << "    " << help.name << ") options=\"";
        const auto options = CommandOptions(help);
        for (std::size_t i = 0; i < options.size(); ++i)
            out << (i ? " " : "") << options[i];
        out << "\" ;;\n";
    }
    out << "    esac\n"
           "    if [ \"${COMP_WORDS[1]}\" = help ]; then\n"
           "        COMPREPLY=($(compgen -W \"";
    for (const CommandHelp& help : AllCommandHelp())
        out << help.name << " ";
    out << "\" -- \"$cur\"))\n    elif [[ $cur == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
           "    else\n        COMPREPLY=($(compgen -f -- \"$cur\"))\n    fi\n}\n"
           "complete -o filenames -F _lotwarden lotwarden\n";
}

} // namespace cli
