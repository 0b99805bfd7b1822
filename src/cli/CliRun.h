#pragma once

#include "cli/CliOptions.h"
#include "jobs/URenameSession.h"

namespace brindle
{

/// Renames in options.folder (or simulates); returns the exit code.
int RunFolder(const TCliOptions& options, TRenameSession& session);

/// Undoes the renaming recorded in options.undoFolder; returns the exit code.
int RunUndo(const TCliOptions& options);

} // namespace brindle
