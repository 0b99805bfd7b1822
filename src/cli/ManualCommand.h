#pragma once

#include "cli/CliOptions.h"
#include "core/jobs/RenameSession.h"

namespace brindle
{

/// Whether the command line gives new names by hand or files to rename alone: --from-list,
/// --edit, --stdin, or an argument that exists and is no folder.
bool renamesByHand(const CliOptions& options);

/// Renames with the names given by hand and the files given: each FOLDER through its plan with
/// the list's names (and the editor's), each FILE alone in its folder's plan. Returns the exit
/// code.
int runByHand(const CliOptions& options, RenameSession& session);

} // namespace brindle
