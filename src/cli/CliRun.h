#pragma once

#include <string_view>

#include "CliOptions.h"
#include "jobs/URenameSession.h"

namespace brindle
{

/// Prints a message on standard error as the window shows it, its CR LF line breaks turned
/// into the terminal's.
void PrintMessage(std::string_view text);

/// Renames in options.folder (or simulates); returns the exit code.
int RunFolder(const TCliOptions& options, TRenameSession& session);

/// Undoes the renaming recorded in options.undoFolder; returns the exit code.
int RunUndo(const TCliOptions& options);

} // namespace brindle
