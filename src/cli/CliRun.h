#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "cli/CliOptions.h"
#include "cli/CliTerminal.h"
#include "core/jobs/RenameSession.h"
#include "core/run/ManualNames.h"
#include "core/run/RunHost.h"

namespace brindle
{

/// Prints a message on standard error after "brindlewick-cli: ", its CR LF line breaks turned
/// into the terminal's and its control characters escaped.
void printMessage(std::string_view text);

/// How the run of one FOLDER ended.
struct FolderOutcome {
    int exitCode = kExitOk;
    /// The run was cancelled or stopped by an input/output failure: the FOLDERs after it are
    /// left alone.
    bool stopAll = false;
};

/// What the runs of one command line print together: the JSON document's entries and totals,
/// and the kept job list named in the summaries.
struct CliReport {
    /// The kept job list the jobs came from (--jobs-kept), or empty.
    std::string keptJobList;
    /// The entries of --json, each a JSON object, separated by commas.
    std::string jsonEntries;
    std::int64_t files = 0;
    std::int64_t folders = 0;
    std::int64_t failed = 0;
    std::int64_t clashes = 0;
    std::int64_t refused = 0;
    std::int64_t hiddenLeftOut = 0;
    std::int64_t notReached = 0;
    bool cancelled = false;
};

/// The run's options for folder as the command line gives them.
RunOptions runOptionsOf(const CliOptions& options, const std::string& folder);

/// Renames in options.folders[index] (or simulates), the progress shown on progress; the
/// entries and counts go into report as well; manual: names given by hand (or null).
FolderOutcome runFolder(const CliOptions& options, std::size_t index, RenameSession& session,
    ProgressLine& progress, CliReport& report, const ManualNames* manual = nullptr);

/// The JSON document of --json: {"simulate": ..., "entries": [...], "totals": {...}}.
std::string jsonDocument(const CliOptions& options, const CliReport& report, int exitCode);

/// Undoes the renaming recorded in options.folders[index]; returns the exit code.
int runUndo(const CliOptions& options, std::size_t index);

} // namespace brindle
