#pragma once

#include <string_view>

#include "CliOptions.h"
#include "CliTerminal.h"
#include "jobs/URenameSession.h"

namespace brindle
{

/// Prints a message on standard error as the window shows it, its CR LF line breaks turned
/// into the terminal's.
void PrintMessage(std::string_view text);

/// How the run of one FOLDER ended.
struct TFolderOutcome {
    int exitCode = kExitOk;
    /// The run was cancelled or stopped by an input/output failure: the FOLDERs after it are
    /// left alone.
    bool stopAll = false;
};

/// Renames in options.folders[index] (or simulates), the progress shown on progress.
TFolderOutcome RunFolder(
    const TCliOptions& options, std::size_t index, TRenameSession& session, TProgressLine& progress);

/// Undoes the renaming recorded in options.folders[index]; returns the exit code.
int RunUndo(const TCliOptions& options, std::size_t index);

} // namespace brindle
