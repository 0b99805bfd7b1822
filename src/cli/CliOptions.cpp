#include "cli/CliOptions.h"

#include <getopt.h>

#include <algorithm>
#include <charconv>
#include <string_view>

namespace brindle
{

namespace
{

/// A whole number: an optional sign, then one or more digits, within 32 bits. Nothing else
/// (no blanks, no second sign, no base prefix) is taken.
bool parseInt32(std::string_view text, std::int32_t& value)
{
    std::size_t digits = 0;
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        digits = 1;
    if (digits == text.size())
        return false;
    for (std::size_t i = digits; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    // from_chars takes a '-' but not a '+'.
    if (text[0] == '+')
        text.remove_prefix(1);
    const char* end = text.data() + text.size();
    const auto r = std::from_chars(text.data(), end, value);
    return r.ec == std::errc() && r.ptr == end;
}

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
           "  brindlewick-cli --undo FOLDER             undo the renaming recorded in FOLDER\n"
           "  brindlewick-cli [--jobs FILE] [--counter N] --preview NAME [--preview NAME ...]\n"
           "  brindlewick-cli [--jobs FILE] --describe\n"
           "  brindlewick-cli [--jobs FILE] --write-jobs OUT [--encoding NAME]\n"
           "\n"
           "  -j, --jobs FILE      job list file (default: the kept job list beside the program)\n"
           "  -m, --mask MASK      file mask (default \"*.*\")\n"
           "  -r, --recurse        recurse into subdirectories\n"
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

bool ParseCliOptions(int argc, char** argv, TCliOptions& o, std::string& error)
{
    bool undo = false;
    std::vector<std::string> positional;
    opterr = 0; // the messages are ours
    optind = 0; // 0, not 1: glibc starts afresh, so the parser can run more than once
    for (;;) {
        const int code = getopt_long(argc, argv, kShortOptions, kLongOptions, nullptr);
        if (code == -1)
            break;
        switch (code) {
        case 1:
            positional.emplace_back(optarg);
            break;
        case 'j':
            o.jobsFile = optarg;
            break;
        case 'm':
            o.mask = optarg;
            break;
        case 'r':
            o.recurse = true;
            break;
        case 'd':
            o.renameDirs = true;
            break;
        case 'c':
            if (!parseInt32(optarg, o.counter)) {
                error = std::string("the counter must be a whole number from -2147483648 to 2147483647: ")
                    + optarg;
                return false;
            }
            break;
        case kResetCounter:
            o.resetCounter = true;
            break;
        case kSort:
            o.sort = optarg;
            if (!isSortOrder(o.sort)) {
                error = "unknown sort order: " + o.sort
                    + " (name, name-desc, natural, natural-desc, date, date-desc or none)";
                return false;
            }
            break;
        case 'u':
            o.undoFile = true;
            break;
        case 'n':
            o.simulate = true;
            break;
        case 'i':
            o.confirm = true;
            break;
        case 'l':
            o.log = true;
            break;
        case 'q':
            o.quiet = true;
            break;
        case kPreview:
            o.previews.emplace_back(optarg);
            break;
        case kDescribe:
            o.describe = true;
            break;
        case kWriteJobs:
            o.writeJobs = optarg;
            break;
        case kEncoding:
            o.encoding = optarg;
            break;
        case kUndo:
            undo = true;
            break;
        case 'h':
            o.help = true;
            break;
        case 'V':
            o.version = true;
            break;
        default: // '?' or ':'
            error = refusal(code, optopt, optind > 0 && optind <= argc ? argv[optind - 1] : "");
            return false;
        }
    }
    // What follows "--" is taken as it stands.
    for (int i = optind; i < argc; ++i)
        positional.emplace_back(argv[i]);
    if (o.help || o.version)
        return true;

    const bool jobCommands = !o.previews.empty() || o.describe || o.writeJobs.has_value();
    if (positional.size() > 1) {
        error = "only one folder may be given";
        return false;
    }
    if (undo) {
        if (positional.empty()) {
            error = "--undo needs a folder";
            return false;
        }
        if (jobCommands) {
            error = "--undo cannot be combined with --preview, --describe or --write-jobs";
            return false;
        }
        o.undoFolder = positional.front();
        return true;
    }
    if (!positional.empty()) {
        if (jobCommands) {
            error = "a folder cannot be combined with --preview, --describe or --write-jobs";
            return false;
        }
        o.folder = positional.front();
        return true;
    }
    if (!jobCommands) {
        error = "nothing to do: give a folder, --undo FOLDER, --preview, --describe or --write-jobs";
        return false;
    }
    return true;
}

} // namespace brindle
