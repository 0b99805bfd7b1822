#include "CliOptions.h"

#include <getopt.h>

#include <algorithm>
#include <string_view>

#include "base/UNumbers.h"

namespace brindle
{

namespace
{

bool isSortOrder(std::string_view s)
{
    return s == "name" || s == "name-desc" || s == "natural" || s == "natural-desc" || s == "date"
        || s == "date-desc" || s == "none";
}

/// The values getopt_long gives for options without a short form.
enum TLongOnly : int {
    kResetCounter = 256,
    kSort,
    kPreview,
    kDescribe,
    kWriteJobs,
    kEncoding,
    kUndo,
};

constexpr option kLongOptions[] = {
    {"jobs", required_argument, nullptr, 'j'},
    {"mask", required_argument, nullptr, 'm'},
    {"recurse", no_argument, nullptr, 'r'},
    {"rename-dirs", no_argument, nullptr, 'd'},
    {"counter", required_argument, nullptr, 'c'},
    {"reset-counter", no_argument, nullptr, kResetCounter},
    {"sort", required_argument, nullptr, kSort},
    {"undo-file", no_argument, nullptr, 'u'},
    {"simulate", no_argument, nullptr, 'n'},
    {"confirm", no_argument, nullptr, 'i'},
    {"log", no_argument, nullptr, 'l'},
    {"quiet", no_argument, nullptr, 'q'},
    {"preview", required_argument, nullptr, kPreview},
    {"describe", no_argument, nullptr, kDescribe},
    {"write-jobs", required_argument, nullptr, kWriteJobs},
    {"encoding", required_argument, nullptr, kEncoding},
    {"undo", no_argument, nullptr, kUndo},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// '-' first: every argument that is not an option comes back in its place as the value of
// option 1, whatever POSIXLY_CORRECT says; ':' next: a missing value comes back as ':'.
constexpr char kShortOptions[] = "-:j:m:rdc:uniqlhV";

/// The long option whose getopt value is val, or nullptr.
const option* findOption(int val)
{
    for (const option& o : kLongOptions) {
        if (o.name && o.val == val)
            return &o;
    }
    return nullptr;
}

/// The reason getopt_long refused an argument. code is what it returned ('?' or ':'),
/// failedOption its optopt and lastArgument the argument it took last.
std::string refusal(int code, int failedOption, std::string_view lastArgument)
{
    const option* known = findOption(failedOption);
    if (code == ':')
        return std::string("option --") + (known ? known->name : "?") + " needs a value";
    if (known) // a long option given "=value" that takes none
        return std::string("option --") + known->name + " takes no value";
    if (failedOption != 0)
        return std::string("unknown option: -") + static_cast<char>(failedOption);
    // A long option that is unknown or an ambiguous abbreviation; getopt_long has taken it.
    std::string_view name = lastArgument.substr(0, lastArgument.find('='));
    name.remove_prefix(std::min<std::size_t>(2, name.size()));
    std::string matches;
    int count = 0;
    for (const option& o : kLongOptions) {
        if (o.name && std::string_view(o.name).starts_with(name)) {
            matches += std::string(count++ ? ", --" : "--") + o.name;
        }
    }
    if (count > 1 && !name.empty())
        return "ambiguous option: --" + std::string(name) + " (" + matches + ")";
    return "unknown option: --" + std::string(name);
}

} // namespace

const char* CliUsage()
{
    return "Usage:\n"
           "  brindlewick-cli [OPTIONS] FOLDER          rename in FOLDER\n"
           "  brindlewick-cli --undo [-r] FOLDER        undo the renaming recorded in FOLDER (with -r:\n"
           "                                            in every folder below it, deepest first)\n"
           "  brindlewick-cli [--jobs FILE] [--counter N] --preview NAME [--preview NAME ...]\n"
           "  brindlewick-cli [--jobs FILE] --describe\n"
           "  brindlewick-cli [--jobs FILE] --write-jobs OUT [--encoding NAME]\n"
           "\n"
           "  -j, --jobs FILE      job list file (default: the kept job list beside the program)\n"
           "  -m, --mask MASK      file mask (default \"*.*\")\n"
           "  -r, --recurse        recurse into subdirectories (with --undo: undo deepest first)\n"
           "  -d, --rename-dirs    rename subdirectories too\n"
           "  -c, --counter N      starting number of the counter (default 0)\n"
           "      --reset-counter  reset the counter in every subdirectory\n"
           "      --sort ORDER     name (default), name-desc, natural, natural-desc (numbers by\n"
           "                       their value: a9 before a10), date, date-desc or none\n"
           "  -u, --undo-file      create undo files\n"
           "  -n, --simulate       print the result tree, change nothing\n"
           "  -i, --confirm        ask before every change (answers y or n, one a line, from stdin)\n"
           "  -l, --log            print the run log on stdout\n"
           "  -q, --quiet          print no summary\n"
           "      --preview NAME   print NAME after the job list (may be repeated: one line each, in\n"
           "                       order, the counter going on from one NAME to the next)\n"
           "      --describe       print the description of every job, one a line\n"
           "      --write-jobs OUT write the job list to OUT (encoding default \"ISO-8859-1\"; \"\" for "
           "none)\n"
           "  -h, --help  -V, --version\n"
           "\n"
           "Short options combine (-rdu); a long option may be shortened while it stays unambiguous;\n"
           "-- ends the options. Numbers are whole numbers: an optional sign, then digits.\n"
           "\n"
           "Exit status: 0 when everything went through; 1 when a rename failed, a folder could not\n"
           "be entered or a simulation found a clash; 2 for bad usage or a job list that cannot be read.\n";
}

namespace
{

/// What the parser collects on its way: the options, --undo, the arguments that are no option.
struct TParse {
    TCliOptions& o;
    std::string& error;
    bool undo = false;
    std::vector<std::string> positional;
};

/// Whether an option group took the option getopt_long returned, or refused its value.
enum class TTaken { No, Yes, Refused };

/// The job list and the commands on it: -j, --preview, --describe, --write-jobs, --encoding.
TTaken jobOption(int code, const char* value, TParse& p)
{
    switch (code) {
    case 'j':
        p.o.jobsFile = value;
        return TTaken::Yes;
    case kPreview:
        p.o.previews.emplace_back(value);
        return TTaken::Yes;
    case kDescribe:
        p.o.describe = true;
        return TTaken::Yes;
    case kWriteJobs:
        p.o.writeJobs = value;
        return TTaken::Yes;
    case kEncoding:
        p.o.encoding = value;
        return TTaken::Yes;
    default:
        return TTaken::No;
    }
}

/// What a run walks and in which order: -m, -r, -d, -c, --reset-counter, --sort.
TTaken walkOption(int code, const char* value, TParse& p)
{
    switch (code) {
    case 'm':
        p.o.mask = value;
        return TTaken::Yes;
    case 'r':
        p.o.recurse = true;
        return TTaken::Yes;
    case 'd':
        p.o.renameDirs = true;
        return TTaken::Yes;
    case 'c':
        if (const auto counter = ParseInt32(value)) {
            p.o.counter = *counter;
            return TTaken::Yes;
        }
        p.error = std::string("the counter must be a whole number from -2147483648 to 2147483647: ") + value;
        return TTaken::Refused;
    case kResetCounter:
        p.o.resetCounter = true;
        return TTaken::Yes;
    case kSort:
        p.o.sort = value;
        if (isSortOrder(p.o.sort))
            return TTaken::Yes;
        p.error = "unknown sort order: " + p.o.sort
            + " (name, name-desc, natural, natural-desc, date, date-desc or none)";
        return TTaken::Refused;
    default:
        return TTaken::No;
    }
}

/// How a run behaves and what it prints: -u, -n, -i, -l, -q.
TTaken runOption(int code, const char*, TParse& p)
{
    switch (code) {
    case 'u':
        p.o.undoFile = true;
        return TTaken::Yes;
    case 'n':
        p.o.simulate = true;
        return TTaken::Yes;
    case 'i':
        p.o.confirm = true;
        return TTaken::Yes;
    case 'l':
        p.o.log = true;
        return TTaken::Yes;
    case 'q':
        p.o.quiet = true;
        return TTaken::Yes;
    default:
        return TTaken::No;
    }
}

/// What the program does instead of renaming: --undo, -h, -V.
TTaken modeOption(int code, const char*, TParse& p)
{
    switch (code) {
    case kUndo:
        p.undo = true;
        return TTaken::Yes;
    case 'h':
        p.o.help = true;
        return TTaken::Yes;
    case 'V':
        p.o.version = true;
        return TTaken::Yes;
    default:
        return TTaken::No;
    }
}

constexpr TTaken (*kOptionGroups[])(int, const char*, TParse&)
    = {jobOption, walkOption, runOption, modeOption};

/// The command the arguments that are no option give, with the options: a folder to rename,
/// a folder to undo, or the commands on the job list; false (with the reason) for a
/// combination that makes no sense.
bool chooseCommand(TParse& p)
{
    const bool jobCommands = !p.o.previews.empty() || p.o.describe || p.o.writeJobs.has_value();
    if (p.positional.size() > 1) {
        p.error = "only one folder may be given";
        return false;
    }
    if (p.undo) {
        if (p.positional.empty()) {
            p.error = "--undo needs a folder";
            return false;
        }
        if (jobCommands) {
            p.error = "--undo cannot be combined with --preview, --describe or --write-jobs";
            return false;
        }
        p.o.undoFolder = p.positional.front();
        return true;
    }
    if (!p.positional.empty()) {
        if (jobCommands) {
            p.error = "a folder cannot be combined with --preview, --describe or --write-jobs";
            return false;
        }
        p.o.folder = p.positional.front();
        return true;
    }
    if (!jobCommands) {
        p.error = "nothing to do: give a folder, --undo FOLDER, --preview, --describe or --write-jobs";
        return false;
    }
    return true;
}

} // namespace

bool ParseCliOptions(int argc, char** argv, TCliOptions& o, std::string& error)
{
    TParse p {o, error, false, {}};
    opterr = 0; // the messages are ours
    optind = 0; // 0, not 1: glibc starts afresh, so the parser can run more than once
    for (int code; (code = getopt_long(argc, argv, kShortOptions, kLongOptions, nullptr)) != -1;) {
        if (code == 1) {
            p.positional.emplace_back(optarg);
            continue;
        }
        TTaken taken = TTaken::No;
        for (const auto group : kOptionGroups) {
            if ((taken = group(code, optarg, p)) != TTaken::No)
                break;
        }
        if (taken == TTaken::Refused)
            return false;
        if (taken == TTaken::No) { // '?' or ':'
            error = refusal(code, optopt, optind > 0 && optind <= argc ? argv[optind - 1] : "");
            return false;
        }
    }
    // What follows "--" is taken as it stands.
    for (int i = optind; i < argc; ++i)
        p.positional.emplace_back(argv[i]);
    if (o.help || o.version)
        return true;
    return chooseCommand(p);
}

} // namespace brindle
