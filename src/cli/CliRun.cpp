#include "cli/CliRun.h"

#include <cstdio>

namespace brindle
{

// The rename run is not part of this build yet.
int RunFolder(const TCliOptions&, TRenameSession&)
{
    std::fputs("brindlewick-cli: renaming folders is not available in this build\n", stderr);
    return kExitUsage;
}

int RunUndo(const TCliOptions&)
{
    std::fputs("brindlewick-cli: undo is not available in this build\n", stderr);
    return kExitUsage;
}

} // namespace brindle
