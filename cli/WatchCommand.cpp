#include "cli/Commands.h"
#include "cli/Help.h"

#include <ostream>

namespace cli {

int CmdWatch(const Args&, std::ostream&, std::ostream& err)
{
    PrintCommandUsage("watch", err);
    return kExitUsage;
}

} // namespace cli
