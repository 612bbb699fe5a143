// lotwarden: the command-line front end on the watch-list model.

#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "platform/PrivateTempDir.h"

#include <clocale>
#include <iostream>

int main(int argc, char** argv)
{
    // Dates show in the user's own format and sort in the user's collation.
    std::setlocale(LC_ALL, "");
    cli::InstallInterruptHandling();
    // Joining the private temporary folder clears what killed programs left in it.
    GetPrivateTempDir();
    const cli::Args args(argv + 1, argv + argc);
    return cli::RunCommand(args, std::cout, std::cerr);
}
