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
    /// When colours are used: on a capable terminal without NO_COLOR, always, or never.
    enum class Colour : std::uint8_t { Auto, Always, Never };

    std::optional<std::string> jobsFile;
    /// The job list the window keeps is read (only when asked for).
    bool jobsKept = false;
    /// The jobs given as options, in the order given; they follow the jobs of jobsFile.
    std::vector<Job> jobs;
    std::string mask = "*.*";
    /// The masks of the second and later -m: a file is taken when any mask matches.
    std::vector<std::string> moreMasks;
    /// Hidden files are taken too.
    bool hidden = false;
    bool recurse = false;
    bool renameDirs = false;
    std::int32_t counter = 0;
    bool resetCounter = false;
    /// name, name-desc, natural, natural-desc, date, date-desc, taken, taken-desc or none
    std::string sort = "name";
    /// Undo files are written unless --no-undo-file.
    bool undoFile = true;
    bool simulate = false;
    /// -n prints the result tree instead of the old -> new lines.
    bool tree = false;
    /// A real run prints an old -> new line for each rename as it happens.
    bool verbose = false;
    /// One JSON document on standard output instead of lines and summary.
    bool json = false;
    /// -0: the records of -n and -v end with NUL instead of a line feed, names as their bytes;
    /// names on standard input and in the list file are ended by NUL bytes.
    bool nullSeparated = false;
    Colour colour = Colour::Auto;
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
    /// The folders to rename in (or to undo), in the order given; files among them are renamed
    /// alone, each in its folder's plan.
    std::vector<std::string> folders;

    /// New names by hand: a list file of old and new names, the names edited in $VISUAL or
    /// $EDITOR, the files to rename read from standard input.
    std::optional<std::string> fromList;
    bool edit = false;
    bool stdinNames = false;
    /// -y: renames what goes through when the edited names still have failures.
    bool yes = false;
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
