#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brindle
{

/// The command line of brindlewick-cli, parsed.
struct TCliOptions {
    std::optional<std::string> jobsFile;
    std::string mask = "*.*";
    bool recurse = false;
    bool renameDirs = false;
    std::int32_t counter = 0;
    bool resetCounter = false;
    std::string sort = "name"; // name, name-desc, natural, natural-desc, date, date-desc or none
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
    std::optional<std::string> undoFolder;
    std::optional<std::string> folder;
};

/// Parses argv. On a usage error returns false with the reason in error.
bool ParseCliOptions(int argc, char** argv, TCliOptions& options, std::string& error);

/// The text printed by --help.
const char* CliUsage();

/// The exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

} // namespace brindle
