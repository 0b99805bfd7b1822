#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/jobs/Job.h"

namespace brindle
{

/// The command line of brindlewick-cli, parsed.
struct CliOptions {
    std::optional<std::string> jobsFile;
    /// The jobs given as options, in the order given; they follow the jobs of jobsFile.
    std::vector<Job> jobs;
    std::string mask = "*.*";
    bool recurse = false;
    bool renameDirs = false;
    std::int32_t counter = 0;
    bool resetCounter = false;
    /// name, name-desc, natural, natural-desc, date, date-desc, taken, taken-desc or none
    std::string sort = "name";
    bool undoFile = false;
    bool simulate = false;
    bool confirm = false;
    bool log = false;
    bool quiet = false;
    std::vector<std::string> previews;
    bool describe = false;
    std::optional<std::string> writeJobs;
    std::string encoding = "ISO-8859-1";
    bool help = false;
    bool version = false;
    /// Undo in each of folders instead of renaming.
    bool undo = false;
    /// The folders to rename in (or to undo), in the order given.
    std::vector<std::string> folders;
};

/// Parses argv. On a usage error returns false with the reason in error.
bool parseCliOptions(int argc, char** argv, CliOptions& options, std::string& error);

/// The text printed by --help.
const char* cliUsage();

/// The exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

/// The smallest and largest count, width and character number a job option takes, as the
/// job dialogs of the window allow.
inline constexpr std::int32_t kMinJobNumber = 1;
inline constexpr std::int32_t kMaxJobNumber = 65535;

} // namespace brindle
