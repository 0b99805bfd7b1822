#pragma once

#include <string_view>

#include "cli/CliOptions.h"
#include "cli/CliTerminal.h"
#include "core/jobs/RenameSession.h"
#include "core/run/ManualNames.h"
#include "core/run/RunHost.h"

namespace brindle
{

/// Prints a message on standard error as the window shows it, its CR LF line breaks turned
/// into the terminal's.
void printMessage(std::string_view text);

/// How the run of one FOLDER ended.
struct FolderOutcome {
    int exitCode = kExitOk;
    /// The run was cancelled or stopped by an input/output failure: the FOLDERs after it are
    /// left alone.
    bool stopAll = false;
};

/// The run's options for folder as the command line gives them.
RunOptions runOptionsOf(const CliOptions& options, const std::string& folder);

/// Renames in options.folders[index] (or simulates), the progress shown on progress; manual:
/// names given by hand (or null).
FolderOutcome runFolder(const CliOptions& options, std::size_t index, RenameSession& session,
    ProgressLine& progress, const ManualNames* manual = nullptr);

/// Undoes the renaming recorded in options.folders[index]; returns the exit code.
int runUndo(const CliOptions& options, std::size_t index);

} // namespace brindle
