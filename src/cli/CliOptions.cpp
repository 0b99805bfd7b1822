#include "cli/CliOptions.h"

#include <getopt.h>

#include <algorithm>
#include <string_view>

#include "core/base/Numbers.h"

namespace brindle
{

namespace
{

bool isSortOrder(std::string_view s)
{
    return s == "name" || s == "name-desc" || s == "natural" || s == "natural-desc" || s == "date"
        || s == "date-desc" || s == "taken" || s == "taken-desc" || s == "none";
}

/// The values getopt_long gives for options without a short form.
enum LongOnly : int {
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
    kTemplate,
    kInPlace,
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
    {"template", required_argument, nullptr, kTemplate},
    {"in-place", no_argument, nullptr, kInPlace},
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

const char* cliUsage()
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
           "  --template TEMPLATE                the name before the extension made from\n"
           "                                     TEMPLATE (--in-place), or placed as --insert\n"
           "                                     places TEXT when a position follows\n"
           "TEMPLATE: text with tokens in braces, {{ and }} for braces: {name} {ext}\n"
           "{folder} {counter:WIDTH} {modified:FORMAT} {created:FORMAT} {taken:FORMAT}\n"
           "(date taken; FORMAT as strftime, default %Y-%m-%d, %f the fraction of a\n"
           "second) {make} {model} {lens} {iso} {width} {height} {artist} {albumartist}\n"
           "{album} {title} {track:WIDTH} {disc:WIDTH} {year} {genre} {author}.\n"
           "Alternatives are tried in turn: {taken|modified:%Y}, {artist|\"Unknown\"}. A\n"
           "file without a value keeps its name, with the reason.\n"
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
           "                       date-desc, taken, taken-desc (by date taken, else\n"
           "                       the modification time) or none\n"
           "  -u, --undo-file      create undo files\n"
           "  -n, --simulate       print the result tree, change nothing\n"
           "  -i, --confirm        ask before every change (answers y or n, one a line,\n"
           "                       from stdin)\n"
           "  -l, --log            print the run log on stdout\n"
           "  -q, --quiet          print no summary and no progress line\n"
           "      --preview NAME   print NAME after the job list (may be repeated: one line\n"
           "                       each, the counter going on from one NAME to the next);\n"
           "                       a NAME that is a file gives templates its values\n"
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
enum class Fits : std::uint8_t { Case, Position, Replace, Template };

/// Whether a job of kind is one that a modifier of fits goes with.
bool fitsKind(Fits fits, JobType kind)
{
    switch (fits) {
    case Fits::Case:
        return kind == jobLower || kind == jobUpper || kind == jobNormal;
    case Fits::Position:
        return kind == jobInsert || kind == jobRemove || kind == jobCounter || kind == jobTemplate;
    case Fits::Replace:
        return kind == jobReplace;
    case Fits::Template:
        return kind == jobTemplate;
    }
    return false;
}

/// The job options a modifier of fits goes after, for messages.
std::string_view fitsText(Fits fits)
{
    switch (fits) {
    case Fits::Case:
        return "--lower, --upper or --normal";
    case Fits::Position:
        return "--insert, --remove, --add-counter or --template";
    case Fits::Replace:
        return "--replace";
    case Fits::Template:
        return "--template";
    }
    return {};
}

/// A modifier option: its name, the jobs it goes with, and whether it says where (or on which
/// part of the name) the job works, of which a job takes one.
struct ModifierRule {
    int code;
    const char* name;
    Fits fits;
    bool placement;
};

constexpr ModifierRule kModifiers[] = {
    {kNameOnly, "--name-only", Fits::Case, true},
    {kExtOnly, "--ext-only", Fits::Case, true},
    {kAllLetters, "--all-letters", Fits::Case, false},
    {kAtStart, "--at-start", Fits::Position, true},
    {kAtEnd, "--at-end", Fits::Position, true},
    {kAfterChar, "--after-char", Fits::Position, true},
    {kBefore, "--before", Fits::Position, true},
    {kAfter, "--after", Fits::Position, true},
    {kBeforeExt, "--before-ext", Fits::Position, true},
    {kInPlace, "--in-place", Fits::Template, true},
    {kWith, "--with", Fits::Replace, false},
    {kMatchCase, "--match-case", Fits::Replace, false},
    {kRegex, "--regex", Fits::Replace, false},
};

const ModifierRule* findModifier(int code)
{
    for (const ModifierRule& m : kModifiers) {
        if (m.code == code)
            return &m;
    }
    return nullptr;
}

/// The job the parser is filling: the last job option and the modifiers given after it.
struct JobInProgress {
    /// The job option as given ("--insert \"IMG \""), for messages.
    std::string label;
    /// The placement or scope modifier given for it, with its value; empty for none yet.
    std::string placement;
    bool hasWith = false;
};

/// What the parser collects on its way: the options, the job being filled, the arguments that
/// are no option.
struct Parse {
    CliOptions& o;
    std::string& error;
    std::optional<JobInProgress> job;
    /// The first job option as given, for a message.
    std::string firstJob;
    std::vector<std::string> positional;
};

/// Whether an option group took the option getopt_long returned, or refused its value.
enum class Taken { No, Yes, Refused };

Taken refuse(Parse& p, std::string message)
{
    p.error = std::move(message);
    return Taken::Refused;
}

/// The number of a job option (COUNT, WIDTH, N): a whole number from kMinJobNumber to
/// kMaxJobNumber.
bool jobNumber(const char* option, const char* what, const char* value, std::int32_t& out, Parse& p)
{
    if (const auto n = parseInt32(value); n && *n >= kMinJobNumber && *n <= kMaxJobNumber) {
        out = *n;
        return true;
    }
    p.error = std::string(option) + " " + what + " must be a whole number from "
        + std::to_string(kMinJobNumber) + " to " + std::to_string(kMaxJobNumber) + ": " + value;
    return false;
}

/// A text of a job option that must not be empty (TEXT, FIND, STRING).
bool nonEmpty(const char* option, const char* what, const char* value, Parse& p)
{
    if (*value != '\0')
        return true;
    p.error = std::string(option) + " " + what + " must not be empty";
    return false;
}

/// Ends the job being filled: a replace job needs its --with, and a regular expression must
/// compile with its replacement.
bool finishJob(Parse& p)
{
    if (!p.job)
        return true;
    const Job& job = p.o.jobs.back();
    if (job.jobType == jobReplace && !p.job->hasWith) {
        p.error = p.job->label + " needs --with REPLACEMENT after it";
        return false;
    }
    if (const std::string regexError = job.regexError(); !regexError.empty()) {
        p.error = "invalid regular expression in " + p.job->label + ": " + regexError;
        return false;
    }
    if (const std::string templateError = job.templateError(); !templateError.empty()) {
        p.error = "invalid template in " + p.job->label + ": " + templateError;
        return false;
    }
    p.job.reset();
    return true;
}

Taken startJob(Parse& p, Job job, std::string label)
{
    if (!finishJob(p))
        return Taken::Refused;
    if (p.firstJob.empty())
        p.firstJob = label;
    p.o.jobs.push_back(std::move(job));
    p.job = JobInProgress {std::move(label), {}, false};
    return Taken::Yes;
}

/// A modifier: checks that it fits the job before it and sets that job's fields.
Taken modifier(const ModifierRule& rule, const char* value, Parse& p)
{
    if (!p.job) {
        return refuse(p,
            std::string(rule.name) + " has no job before it: it goes after "
                + std::string(fitsText(rule.fits)));
    }
    Job& job = p.o.jobs.back();
    if (!fitsKind(rule.fits, job.jobType)) {
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
    // Insert and template keep their N in Int1 and their anchor in Str2; remove and counter
    // keep N in Int2 and the anchor in Str1.
    const bool insert = job.jobType == jobInsert || job.jobType == jobTemplate;
    switch (rule.code) {
    case kNameOnly:
        job.modifier = scopeFilename;
        break;
    case kExtOnly:
        job.modifier = scopeExtension;
        break;
    case kAllLetters:
        job.int1 = 1;
        break;
    case kAtStart:
        job.modifier = posBegin;
        break;
    case kAtEnd:
        job.modifier = posEnd;
        break;
    case kAfterChar:
        if (!jobNumber("--after-char", "N", value, insert ? job.int1 : job.int2, p))
            return Taken::Refused;
        job.modifier = posAfterChar;
        break;
    case kBefore:
    case kAfter:
        if (!nonEmpty(rule.name, "STRING", value, p))
            return Taken::Refused;
        (insert ? job.str2 : job.str1) = value;
        job.modifier = rule.code == kBefore ? posBeforeString : posAfterString;
        break;
    case kBeforeExt:
        job.modifier = posBeforeExt;
        break;
    case kInPlace:
        job.modifier = posInPlaceOfName;
        break;
    case kWith:
        if (p.job->hasWith)
            return refuse(p, "--with: the job before it, " + p.job->label + ", already has --with");
        job.str2 = value;
        p.job->hasWith = true;
        break;
    case kMatchCase:
        job.int1 = 1;
        break;
    case kRegex:
        job.modifier = replaceRegex;
        break;
    default:
        return Taken::No;
    }
    return Taken::Yes;
}

/// The jobs given as options and their modifiers.
Taken jobAsOption(int code, const char* value, Parse& p)
{
    switch (code) {
    case kLower:
        return startJob(p, Job::create(jobLower), "--lower");
    case kUpper:
        return startJob(p, Job::create(jobUpper), "--upper");
    case kNormal:
        return startJob(p, Job::create(jobNormal), "--normal");
    case kInsert: {
        if (!nonEmpty("--insert", "TEXT", value, p))
            return Taken::Refused;
        Job job = Job::create(jobInsert);
        job.str1 = value;
        return startJob(p, std::move(job), std::string("--insert \"") + value + "\"");
    }
    case kRemove:
    case kAddCounter: {
        const bool remove = code == kRemove;
        Job job = Job::create(remove ? jobRemove : jobCounter);
        if (!jobNumber(remove ? "--remove" : "--add-counter", remove ? "COUNT" : "WIDTH", value, job.int1, p))
            return Taken::Refused;
        return startJob(p, std::move(job), std::string(remove ? "--remove " : "--add-counter ") + value);
    }
    case kTemplate: {
        if (!nonEmpty("--template", "TEMPLATE", value, p))
            return Taken::Refused;
        // In place of the name before the extension unless a position follows.
        Job job = Job::create(jobTemplate);
        job.modifier = posInPlaceOfName;
        job.str1 = value;
        return startJob(p, std::move(job), std::string("--template \"") + value + "\"");
    }
    case kReplace: {
        if (!nonEmpty("--replace", "FIND", value, p))
            return Taken::Refused;
        Job job = Job::create(jobReplace);
        job.str1 = value;
        return startJob(p, std::move(job), std::string("--replace \"") + value + "\"");
    }
    default:
        if (const ModifierRule* rule = findModifier(code))
            return modifier(*rule, value, p);
        return Taken::No;
    }
}

/// The job list and the commands on it: -j, --preview, --describe, --write-jobs, --encoding.
Taken jobOption(int code, const char* value, Parse& p)
{
    switch (code) {
    case 'j':
        p.o.jobsFile = value;
        return Taken::Yes;
    case kPreview:
        p.o.previews.emplace_back(value);
        return Taken::Yes;
    case kDescribe:
        p.o.describe = true;
        return Taken::Yes;
    case kWriteJobs:
        p.o.writeJobs = value;
        return Taken::Yes;
    case kEncoding:
        p.o.encoding = value;
        return Taken::Yes;
    default:
        return Taken::No;
    }
}

/// What a run walks and in which order: -m, -r, -d, -c, --reset-counter, --sort.
Taken walkOption(int code, const char* value, Parse& p)
{
    switch (code) {
    case 'm':
        p.o.mask = value;
        return Taken::Yes;
    case 'r':
        p.o.recurse = true;
        return Taken::Yes;
    case 'd':
        p.o.renameDirs = true;
        return Taken::Yes;
    case 'c':
        if (const auto counter = parseInt32(value)) {
            p.o.counter = *counter;
            return Taken::Yes;
        }
        return refuse(
            p, std::string("the counter must be a whole number from -2147483648 to 2147483647: ") + value);
    case kResetCounter:
        p.o.resetCounter = true;
        return Taken::Yes;
    case kSort:
        p.o.sort = value;
        if (isSortOrder(p.o.sort))
            return Taken::Yes;
        return refuse(p,
            "unknown sort order: " + p.o.sort
                + " (name, name-desc, natural, natural-desc, date, date-desc, taken, taken-desc or none)");
    default:
        return Taken::No;
    }
}

/// How a run behaves and what it prints: -u, -n, -i, -l, -q.
Taken runOption(int code, const char*, Parse& p)
{
    switch (code) {
    case 'u':
        p.o.undoFile = true;
        return Taken::Yes;
    case 'n':
        p.o.simulate = true;
        return Taken::Yes;
    case 'i':
        p.o.confirm = true;
        return Taken::Yes;
    case 'l':
        p.o.log = true;
        return Taken::Yes;
    case 'q':
        p.o.quiet = true;
        return Taken::Yes;
    default:
        return Taken::No;
    }
}

/// What the program does instead of renaming: --undo, -h, -V.
Taken modeOption(int code, const char*, Parse& p)
{
    switch (code) {
    case kUndo:
        p.o.undo = true;
        return Taken::Yes;
    case 'h':
        p.o.help = true;
        return Taken::Yes;
    case 'V':
        p.o.version = true;
        return Taken::Yes;
    default:
        return Taken::No;
    }
}

constexpr Taken (*kOptionGroups[])(int, const char*, Parse&)
    = {jobAsOption, jobOption, walkOption, runOption, modeOption};

/// The command the arguments that are no option give, with the options: folders to rename,
/// folders to undo, or the commands on the job list; false (with the reason) for a
/// combination that makes no sense.
bool chooseCommand(Parse& p)
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

bool parseCliOptions(int argc, char** argv, CliOptions& o, std::string& error)
{
    Parse p {o, error, std::nullopt, {}, {}};
    opterr = 0; // the messages are ours
    optind = 0; // 0, not 1: glibc starts afresh, so the parser can run more than once
    // The options come back in the order given (kShortOptions begins with '-'), which is the
    // order of the jobs and of the modifiers after each.
    for (int code; (code = getopt_long(argc, argv, kShortOptions, kLongOptions, nullptr)) != -1;) {
        if (code == 1) {
            p.positional.emplace_back(optarg);
            continue;
        }
        Taken taken = Taken::No;
        for (const auto group : kOptionGroups) {
            if ((taken = group(code, optarg, p)) != Taken::No)
                break;
        }
        if (taken == Taken::Refused)
            return false;
        if (taken == Taken::No) { // '?' or ':'
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
