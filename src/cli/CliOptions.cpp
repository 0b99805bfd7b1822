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
    // The jobs and their modifiers.
    kLower,
    kUpper,
    kNormal,
    kNameOnly,
    kExtOnly,
    kAllLetters,
    kInsert,
    kRemove,
    kAddCounter,
    kAtStart,
    kAtEnd,
    kAfterChar,
    kBefore,
    kAfter,
    kBeforeExt,
    kReplace,
    kWith,
    kMatchCase,
    kRegex,
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
    {"lower", no_argument, nullptr, kLower},
    {"upper", no_argument, nullptr, kUpper},
    {"normal", no_argument, nullptr, kNormal},
    {"name-only", no_argument, nullptr, kNameOnly},
    {"ext-only", no_argument, nullptr, kExtOnly},
    {"all-letters", no_argument, nullptr, kAllLetters},
    {"insert", required_argument, nullptr, kInsert},
    {"remove", required_argument, nullptr, kRemove},
    {"add-counter", required_argument, nullptr, kAddCounter},
    {"at-start", no_argument, nullptr, kAtStart},
    {"at-end", no_argument, nullptr, kAtEnd},
    {"after-char", required_argument, nullptr, kAfterChar},
    {"before", required_argument, nullptr, kBefore},
    {"after", required_argument, nullptr, kAfter},
    {"before-ext", no_argument, nullptr, kBeforeExt},
    {"replace", required_argument, nullptr, kReplace},
    {"with", required_argument, nullptr, kWith},
    {"match-case", no_argument, nullptr, kMatchCase},
    {"regex", no_argument, nullptr, kRegex},
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
           "  brindlewick-cli [OPTIONS] [JOBS] FOLDER...   rename in each FOLDER\n"
           "  brindlewick-cli --undo [-r] FOLDER...        undo the renaming recorded there\n"
           "                                               (-r: in every folder below too)\n"
           "  brindlewick-cli [--jobs FILE] [JOBS] [--counter N] --preview NAME...\n"
           "  brindlewick-cli [--jobs FILE] [JOBS] --describe\n"
           "  brindlewick-cli [--jobs FILE] [JOBS] --write-jobs OUT [--encoding NAME]\n"
           "\n"
           "JOBS: each job option adds a job to the end of the job list, and the jobs work\n"
           "on every name in that order; the modifiers after a job say how it works.\n"
           "  --lower | --upper | --normal       lower, upper or normalised case\n"
           "      --name-only | --ext-only       ... of the name before the extension, or\n"
           "                                     of the extension only\n"
           "      --all-letters                  ... of every letter, not only A to Z\n"
           "  --insert TEXT                      insert TEXT (at the start)\n"
           "  --remove COUNT                     remove COUNT characters (from the start)\n"
           "  --add-counter WIDTH                add a WIDTH-digit counter (at the start)\n"
           "      --at-start | --at-end | --after-char N | --before STRING |\n"
           "      --after STRING | --before-ext  ... where the insert, remove or counter is\n"
           "  --replace FIND --with REPLACEMENT  replace FIND by REPLACEMENT, case ignored\n"
           "      --match-case | --regex         ... case as given; FIND is a regular\n"
           "                                     expression\n"
           "COUNT, WIDTH and N are whole numbers from 1 to 65535. Job options add to the\n"
           "job list of --jobs FILE; without --jobs they make the whole job list.\n"
           "\n"
           "Options:\n"
           "  -j, --jobs FILE      job list file (default: the kept job list beside the\n"
           "                       program, unless job options are given)\n"
           "  -m, --mask MASK      file mask (default \"*.*\")\n"
           "  -r, --recurse        recurse into subdirectories (with --undo: undo deepest first)\n"
           "  -d, --rename-dirs    rename subdirectories too\n"
           "  -c, --counter N      starting number of the counter (default 0); it starts\n"
           "                       again in each FOLDER\n"
           "      --reset-counter  reset the counter in every subdirectory\n"
           "      --sort ORDER     name (default), name-desc, natural, natural-desc\n"
           "                       (numbers by their value: a9 before a10), date,\n"
           "                       date-desc or none\n"
           "  -u, --undo-file      create undo files\n"
           "  -n, --simulate       print the result tree, change nothing\n"
           "  -i, --confirm        ask before every change (answers y or n, one a line,\n"
           "                       from stdin)\n"
           "  -l, --log            print the run log on stdout\n"
           "  -q, --quiet          print no summary and no progress line\n"
           "      --preview NAME   print NAME after the job list (may be repeated: one line\n"
           "                       each, the counter going on from one NAME to the next)\n"
           "      --describe       print the description of every job, one a line\n"
           "      --write-jobs OUT write the job list to OUT\n"
           "      --encoding NAME  the encoding OUT declares (default \"ISO-8859-1\"; \"\"\n"
           "                       for none)\n"
           "  -h, --help  -V, --version\n"
           "\n"
           "Short options combine (-rdu); a long option may be shortened while it stays\n"
           "unambiguous; -- ends the options. Numbers are whole numbers: an optional\n"
           "sign, then digits. On a terminal the marks of --simulate are coloured\n"
           "(unless NO_COLOR is set), and a run that takes more than a second shows its\n"
           "progress on standard error.\n"
           "\n"
           "Examples:\n"
           "  Underscores to blanks, each word capitalised, the extension in lower case\n"
           "  and a counter from 1 before it (my_trip_PIC.JPG becomes My Trip Pic001.jpg):\n"
           "  see what would happen; then run it with -u instead of -n, and\n"
           "  'brindlewick-cli --undo Photos' takes it back.\n"
           "    brindlewick-cli -n --replace _ --with ' ' --normal --name-only \\\n"
           "        --lower --ext-only --add-counter 3 --before-ext -c 1 Photos\n"
           "  \"Artist - Title.mp3\" to \"Title - Artist.mp3\" in two folders and their\n"
           "  subfolders:\n"
           "    brindlewick-cli -r --replace '^(.+) - (.+)(\\.mp3)$' --with '$2 - $1$3' \\\n"
           "        --regex Music Podcasts\n"
           "  Try jobs on a name (IMG_0042.jpg gives Trip 0042.jpg), then keep them as a\n"
           "  job list file for the window or for --jobs:\n"
           "    brindlewick-cli --remove 4 --insert 'Trip ' --preview IMG_0042.jpg\n"
           "    brindlewick-cli --remove 4 --insert 'Trip ' --write-jobs trip.xml\n"
           "\n"
           "Exit status: 0 when everything went through; 1 when a rename failed, a folder\n"
           "could not be entered or a simulation found an entry the real run would fail\n"
           "on; 2 for bad usage or a job list that cannot be read (nothing is renamed).\n";
}

namespace
{

/// The job kinds a modifier goes with.
enum class TFits : std::uint8_t { Case, Position, Replace };

/// Whether a job of kind is one that a modifier of fits goes with.
bool fitsKind(TFits fits, TJobType kind)
{
    switch (fits) {
    case TFits::Case:
        return kind == jobLower || kind == jobUpper || kind == jobNormal;
    case TFits::Position:
        return kind == jobInsert || kind == jobRemove || kind == jobCounter;
    case TFits::Replace:
        return kind == jobReplace;
    }
    return false;
}

/// The job options a modifier of fits goes after, for messages.
std::string_view fitsText(TFits fits)
{
    switch (fits) {
    case TFits::Case:
        return "--lower, --upper or --normal";
    case TFits::Position:
        return "--insert, --remove or --add-counter";
    case TFits::Replace:
        return "--replace";
    }
    return {};
}

/// A modifier option: its name, the jobs it goes with, and whether it says where (or on which
/// part of the name) the job works, of which a job takes one.
struct TModifierRule {
    int code;
    const char* name;
    TFits fits;
    bool placement;
};

constexpr TModifierRule kModifiers[] = {
    {kNameOnly, "--name-only", TFits::Case, true},
    {kExtOnly, "--ext-only", TFits::Case, true},
    {kAllLetters, "--all-letters", TFits::Case, false},
    {kAtStart, "--at-start", TFits::Position, true},
    {kAtEnd, "--at-end", TFits::Position, true},
    {kAfterChar, "--after-char", TFits::Position, true},
    {kBefore, "--before", TFits::Position, true},
    {kAfter, "--after", TFits::Position, true},
    {kBeforeExt, "--before-ext", TFits::Position, true},
    {kWith, "--with", TFits::Replace, false},
    {kMatchCase, "--match-case", TFits::Replace, false},
    {kRegex, "--regex", TFits::Replace, false},
};

const TModifierRule* findModifier(int code)
{
    for (const TModifierRule& m : kModifiers) {
        if (m.code == code)
            return &m;
    }
    return nullptr;
}

/// The job the parser is filling: the last job option and the modifiers given after it.
struct TJobInProgress {
    /// The job option as given ("--insert \"IMG \""), for messages.
    std::string label;
    /// The placement or scope modifier given for it, with its value; empty for none yet.
    std::string placement;
    bool hasWith = false;
};

/// What the parser collects on its way: the options, the job being filled, the arguments that
/// are no option.
struct TParse {
    TCliOptions& o;
    std::string& error;
    std::optional<TJobInProgress> job;
    /// The first job option as given, for a message.
    std::string firstJob;
    std::vector<std::string> positional;
};

/// Whether an option group took the option getopt_long returned, or refused its value.
enum class TTaken { No, Yes, Refused };

TTaken refuse(TParse& p, std::string message)
{
    p.error = std::move(message);
    return TTaken::Refused;
}

/// The number of a job option (COUNT, WIDTH, N): a whole number from kMinJobNumber to
/// kMaxJobNumber.
bool jobNumber(const char* option, const char* what, const char* value, std::int32_t& out, TParse& p)
{
    if (const auto n = ParseInt32(value); n && *n >= kMinJobNumber && *n <= kMaxJobNumber) {
        out = *n;
        return true;
    }
    p.error = std::string(option) + " " + what + " must be a whole number from "
        + std::to_string(kMinJobNumber) + " to " + std::to_string(kMaxJobNumber) + ": " + value;
    return false;
}

/// A text of a job option that must not be empty (TEXT, FIND, STRING).
bool nonEmpty(const char* option, const char* what, const char* value, TParse& p)
{
    if (*value != '\0')
        return true;
    p.error = std::string(option) + " " + what + " must not be empty";
    return false;
}

/// Ends the job being filled: a replace job needs its --with, and a regular expression must
/// compile with its replacement.
bool finishJob(TParse& p)
{
    if (!p.job)
        return true;
    const TJob& job = p.o.jobs.back();
    if (job.JobType == jobReplace && !p.job->hasWith) {
        p.error = p.job->label + " needs --with REPLACEMENT after it";
        return false;
    }
    if (const std::string regexError = job.RegexError(); !regexError.empty()) {
        p.error = "invalid regular expression in " + p.job->label + ": " + regexError;
        return false;
    }
    p.job.reset();
    return true;
}

TTaken startJob(TParse& p, TJob job, std::string label)
{
    if (!finishJob(p))
        return TTaken::Refused;
    if (p.firstJob.empty())
        p.firstJob = label;
    p.o.jobs.push_back(std::move(job));
    p.job = TJobInProgress {std::move(label), {}, false};
    return TTaken::Yes;
}

/// A modifier: checks that it fits the job before it and sets that job's fields.
TTaken modifier(const TModifierRule& rule, const char* value, TParse& p)
{
    if (!p.job) {
        return refuse(p,
            std::string(rule.name) + " has no job before it: it goes after "
                + std::string(fitsText(rule.fits)));
    }
    TJob& job = p.o.jobs.back();
    if (!fitsKind(rule.fits, job.JobType)) {
        return refuse(p,
            std::string(rule.name) + " does not fit the job before it, " + p.job->label + ": it goes after "
                + std::string(fitsText(rule.fits)));
    }
    if (rule.placement) {
        std::string given = rule.name;
        if (value)
            given += std::string(" ") + value;
        // The same modifier again changes nothing; a second, different one is a contradiction.
        if (!p.job->placement.empty() && p.job->placement != given) {
            return refuse(
                p, given + ": the job before it, " + p.job->label + ", already has " + p.job->placement);
        }
        p.job->placement = given;
    }
    // Insert keeps its N in Int1 and its anchor in Str2; remove and counter keep N in Int2 and
    // the anchor in Str1.
    const bool insert = job.JobType == jobInsert;
    switch (rule.code) {
    case kNameOnly:
        job.Modifier = scopeFilename;
        break;
    case kExtOnly:
        job.Modifier = scopeExtension;
        break;
    case kAllLetters:
        job.Int1 = 1;
        break;
    case kAtStart:
        job.Modifier = posBegin;
        break;
    case kAtEnd:
        job.Modifier = posEnd;
        break;
    case kAfterChar:
        if (!jobNumber("--after-char", "N", value, insert ? job.Int1 : job.Int2, p))
            return TTaken::Refused;
        job.Modifier = posAfterChar;
        break;
    case kBefore:
    case kAfter:
        if (!nonEmpty(rule.name, "STRING", value, p))
            return TTaken::Refused;
        (insert ? job.Str2 : job.Str1) = value;
        job.Modifier = rule.code == kBefore ? posBeforeString : posAfterString;
        break;
    case kBeforeExt:
        job.Modifier = posBeforeExt;
        break;
    case kWith:
        if (p.job->hasWith)
            return refuse(p, "--with: the job before it, " + p.job->label + ", already has --with");
        job.Str2 = value;
        p.job->hasWith = true;
        break;
    case kMatchCase:
        job.Int1 = 1;
        break;
    case kRegex:
        job.Modifier = replaceRegex;
        break;
    default:
        return TTaken::No;
    }
    return TTaken::Yes;
}

/// The jobs given as options and their modifiers.
TTaken jobAsOption(int code, const char* value, TParse& p)
{
    switch (code) {
    case kLower:
        return startJob(p, TJob::Create(jobLower), "--lower");
    case kUpper:
        return startJob(p, TJob::Create(jobUpper), "--upper");
    case kNormal:
        return startJob(p, TJob::Create(jobNormal), "--normal");
    case kInsert: {
        if (!nonEmpty("--insert", "TEXT", value, p))
            return TTaken::Refused;
        TJob job = TJob::Create(jobInsert);
        job.Str1 = value;
        return startJob(p, std::move(job), std::string("--insert \"") + value + "\"");
    }
    case kRemove:
    case kAddCounter: {
        const bool remove = code == kRemove;
        TJob job = TJob::Create(remove ? jobRemove : jobCounter);
        if (!jobNumber(remove ? "--remove" : "--add-counter", remove ? "COUNT" : "WIDTH", value, job.Int1, p))
            return TTaken::Refused;
        return startJob(p, std::move(job), std::string(remove ? "--remove " : "--add-counter ") + value);
    }
    case kReplace: {
        if (!nonEmpty("--replace", "FIND", value, p))
            return TTaken::Refused;
        TJob job = TJob::Create(jobReplace);
        job.Str1 = value;
        return startJob(p, std::move(job), std::string("--replace \"") + value + "\"");
    }
    default:
        if (const TModifierRule* rule = findModifier(code))
            return modifier(*rule, value, p);
        return TTaken::No;
    }
}

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
        return refuse(
            p, std::string("the counter must be a whole number from -2147483648 to 2147483647: ") + value);
    case kResetCounter:
        p.o.resetCounter = true;
        return TTaken::Yes;
    case kSort:
        p.o.sort = value;
        if (isSortOrder(p.o.sort))
            return TTaken::Yes;
        return refuse(p,
            "unknown sort order: " + p.o.sort
                + " (name, name-desc, natural, natural-desc, date, date-desc or none)");
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
        p.o.undo = true;
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
    = {jobAsOption, jobOption, walkOption, runOption, modeOption};

/// The command the arguments that are no option give, with the options: folders to rename,
/// folders to undo, or the commands on the job list; false (with the reason) for a
/// combination that makes no sense.
bool chooseCommand(TParse& p)
{
    const bool jobCommands = !p.o.previews.empty() || p.o.describe || p.o.writeJobs.has_value();
    if (p.o.undo) {
        if (p.positional.empty()) {
            p.error = "--undo needs a folder";
            return false;
        }
        if (jobCommands) {
            p.error = "--undo cannot be combined with --preview, --describe or --write-jobs";
            return false;
        }
        if (!p.o.jobs.empty()) {
            p.error = "--undo takes no jobs: " + p.firstJob;
            return false;
        }
    } else if (!p.positional.empty()) {
        if (jobCommands) {
            p.error = "a folder cannot be combined with --preview, --describe or --write-jobs";
            return false;
        }
    } else if (!jobCommands) {
        p.error = "nothing to do: give a folder, --undo FOLDER, --preview, --describe or --write-jobs";
        return false;
    }
    p.o.folders = std::move(p.positional);
    return true;
}

} // namespace

bool ParseCliOptions(int argc, char** argv, TCliOptions& o, std::string& error)
{
    TParse p {o, error, std::nullopt, {}, {}};
    opterr = 0; // the messages are ours
    optind = 0; // 0, not 1: glibc starts afresh, so the parser can run more than once
    // The options come back in the order given (kShortOptions begins with '-'), which is the
    // order of the jobs and of the modifiers after each.
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
    return finishJob(p) && chooseCommand(p);
}

} // namespace brindle
