// lotwarden: the command-line front end on the watch-list model.

#include "cli/Commands.h"

#include <clocale>
#include <iostream>

int main(int argc, char** argv)
{
    // Dates show in the user's own format and sort in the user's collation.
    std::setlocale(LC_ALL, "");
    const cli::Args args(argv + 1, argv + argc);
    return cli::RunCommand(args, std::cout, std::cerr);
}
