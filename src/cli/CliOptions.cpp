#include "cli/CliOptions.h"

#include <getopt.h>

#include <algorithm>
#include <string_view>

#include "core/base/Numbers.h"
#include "core/jobs/JobStringLimit.h"

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
    kFromList,
    kEdit,
    kStdin,
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
    kAsciiOnly,
    kIgnoreCase,
    kJobsKept,
    kNoUndoFile,
    kTree,
    kJson,
    kColour,
    kHidden,
    kTemplate,
    kInPlace,
};

constexpr option kLongOptions[] = {
    {"jobs", required_argument, nullptr, 'j'},
    {"jobs-kept", no_argument, nullptr, kJobsKept},
    {"no-undo-file", no_argument, nullptr, kNoUndoFile},
    {"tree", no_argument, nullptr, kTree},
    {"verbose", no_argument, nullptr, 'v'},
    {"json", no_argument, nullptr, kJson},
    {"null", no_argument, nullptr, '0'},
    {"color", optional_argument, nullptr, kColour},
    {"colour", optional_argument, nullptr, kColour},
    {"hidden", no_argument, nullptr, kHidden},
    {"ascii-only", no_argument, nullptr, kAsciiOnly},
    {"ignore-case", no_argument, nullptr, kIgnoreCase},
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
    {"from-list", required_argument, nullptr, kFromList},
    {"edit", no_argument, nullptr, kEdit},
    {"stdin", no_argument, nullptr, kStdin},
    {"yes", no_argument, nullptr, 'y'},
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
constexpr char kShortOptions[] = "-:j:m:rdc:uniqlhVv0y";

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
           "  brindlewick-cli [OPTIONS] JOBS FOLDER...      rename in each FOLDER\n"
           "  brindlewick-cli [OPTIONS] JOBS FILE...        rename only these files\n"
           "  brindlewick-cli [OPTIONS] JOBS --stdin [-0]   rename the files named on stdin\n"
           "  brindlewick-cli [OPTIONS] [JOBS] --from-list LIST FOLDER...\n"
           "  brindlewick-cli [OPTIONS] [JOBS] --edit FOLDER...\n"
           "  brindlewick-cli --undo [-r] FOLDER...        undo the renaming recorded there\n"
           "                                               (-r: in every folder below too)\n"
           "  brindlewick-cli JOBS [--counter N] --preview NAME...\n"
           "  brindlewick-cli JOBS --describe\n"
           "  brindlewick-cli JOBS --write-jobs OUT [--encoding NAME]\n"
           "\n"
           "JOBS: job options, --jobs FILE or --jobs-kept; without any, nothing is done.\n"
           "Each job option adds a job to the end of the job list, and the jobs work on\n"
           "every name in that order; the modifiers after a job say how it works.\n"
           "  --lower | --upper | --normal       lower, upper or normalised case of every\n"
           "                                     letter (ß upper-cased is SS)\n"
           "      --name-only | --ext-only       ... of the name before the extension, or\n"
           "                                     of the extension only\n"
           "      --ascii-only                   ... of A to Z only\n"
           "  --insert TEXT                      insert TEXT (at the start)\n"
           "  --remove COUNT                     remove COUNT characters (from the start)\n"
           "  --add-counter WIDTH                add a WIDTH-digit counter (at the start)\n"
           "      --at-start | --at-end | --after-char N | --before STRING |\n"
           "      --after STRING | --before-ext  ... where the insert, remove or counter is\n"
           "  --replace FIND --with REPLACEMENT  replace FIND by REPLACEMENT, case ignored\n"
           "      --match-case                   ... case as given\n"
           "      --regex                        ... FIND is a regular expression (PCRE2,\n"
           "                                     case as given unless --ignore-case;\n"
           "                                     $1, ${name}, \\U \\L \\u \\l \\E as in perl)\n"
           "      --name-only | --ext-only       ... in the name before the extension, or\n"
           "                                     in the extension only\n"
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
           "  -j, --jobs FILE      job list file\n"
           "      --jobs-kept      the job list the window keeps (named in the summary)\n"
           "  -m, --mask MASK      file mask (default \"*.*\"; * ? [a-z] [!0-9]); several -m:\n"
           "                       a file matching any of them\n"
           "      --hidden         hidden files (.name) too, when a mask matches them\n"
           "  -r, --recurse        recurse into subdirectories (with --undo: undo deepest first)\n"
           "  -d, --rename-dirs    rename subdirectories too\n"
           "  -c, --counter N      starting number of the counter (default 0); it starts\n"
           "                       again in each FOLDER\n"
           "      --reset-counter  reset the counter in every subdirectory\n"
           "      --sort ORDER     name (default), name-desc, natural, natural-desc\n"
           "                       (numbers by their value: a9 before a10), date,\n"
           "                       date-desc, taken, taken-desc (by date taken, else\n"
           "                       the modification time) or none\n"
           "      --no-undo-file   write no undo file (by default each folder where\n"
           "                       something is renamed gets one; -u is still taken)\n"
           "  -n, --simulate       print each change as old -> new, change nothing\n"
           "      --tree           with -n: print the result tree instead\n"
           "  -v, --verbose        print each rename as old -> new as it is made\n"
           "      --json           print one JSON document: every entry with its old and\n"
           "                       new name, verdict and reason, and the totals\n"
           "  -0, --null           end the records of -n and -v with NUL, names as their\n"
           "                       bytes (the summary then goes to standard error)\n"
           "      --color[=WHEN]   colour the records: auto (default: on a terminal,\n"
           "                       unless NO_COLOR is set or TERM=dumb), always, never\n"
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
           "New names by hand (they override the jobs for their entry; the rest of the\n"
           "folder still gets the jobs, and every name goes through the folder's plan):\n"
           "      --from-list LIST the new names from LIST: \"old<TAB>new\" lines, or CSV\n"
           "                       with two columns, or with -0 old and new names each\n"
           "                       ended by a NUL byte; with -r an old name may be a path\n"
           "                       below the FOLDER. Names the folder does not hold are\n"
           "                       reported and left out\n"
           "      --edit           edit the new names in $VISUAL, $EDITOR or vi, one a line\n"
           "                       (after the jobs); a removed line keeps its name, an\n"
           "                       unchanged or empty file cancels; failures come back\n"
           "                       as \"# \" comments above their lines\n"
           "  -y, --yes            with --edit: rename what goes through even when some\n"
           "                       names still fail, instead of editing again\n"
           "      --stdin          the FILEs to rename from standard input, one a line\n"
           "                       (with -0: each ended by a NUL byte; -0 also reads\n"
           "                       --from-list as NUL-separated pairs)\n"
           "A FILE argument (anything but a folder) renames that file alone, in the plan\n"
           "of its folder: every name of the folder still counts for clashes.\n"
           "\n"
           "Short options combine (-rdn); a long option may be shortened while it stays\n"
           "unambiguous; -- ends the options. Numbers are whole numbers: an optional\n"
           "sign, then digits. Names are shown escaped on a terminal ($'a\\nb'). A run\n"
           "that takes more than a second shows its progress on standard error.\n"
           "\n"
           "Examples:\n"
           "  Underscores to blanks, each word capitalised, the extension in lower case\n"
           "  and a counter from 1 before it (my_trip_PIC.JPG becomes My Trip Pic001.jpg):\n"
           "  see what would happen; then run it without -n, and\n"
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
           "  Rename from a list of \"old<TAB>new\" lines, then take names in an editor,\n"
           "  then lower-case the files find gives:\n"
           "    brindlewick-cli -u --from-list names.tsv Photos\n"
           "    brindlewick-cli -u --lower --edit Photos\n"
           "    find . -name '*.JPG' -print0 | brindlewick-cli --lower --stdin -0\n"
           "\n"
           "Exit status: 0 when everything went through; 1 when a rename failed, a folder\n"
           "could not be entered or a simulation found an entry the real run would fail\n"
           "on; 2 for bad usage, no jobs, or a job list that cannot be read (nothing is\n"
           "renamed).\n";
}

namespace
{

/// The job kinds a modifier goes with.
enum class Fits : std::uint8_t { Case, Position, Replace, Scope, Template };

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
    case Fits::Scope:
        return fitsKind(Fits::Case, kind) || kind == jobReplace;
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
    case Fits::Scope:
        return "--lower, --upper, --normal or --replace";
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
    {kNameOnly, "--name-only", Fits::Scope, true},
    {kExtOnly, "--ext-only", Fits::Scope, true},
    {kAllLetters, "--all-letters", Fits::Case, false},
    {kAsciiOnly, "--ascii-only", Fits::Case, false},
    {kAtStart, "--at-start", Fits::Position, true},
    {kAtEnd, "--at-end", Fits::Position, true},
    {kAfterChar, "--after-char", Fits::Position, true},
    {kBefore, "--before", Fits::Position, true},
    {kAfter, "--after", Fits::Position, true},
    {kBeforeExt, "--before-ext", Fits::Position, true},
    {kInPlace, "--in-place", Fits::Template, true},
    {kWith, "--with", Fits::Replace, false},
    {kMatchCase, "--match-case", Fits::Replace, false},
    {kIgnoreCase, "--ignore-case", Fits::Replace, false},
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
    /// The letter-case modifier given (--all-letters, --ascii-only, --match-case,
    /// --ignore-case); empty for none yet.
    std::string letters;
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
    bool maskGiven = false;
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
    // A regular expression matches case as given unless --ignore-case, as in every regex tool.
    if (job.jobType == jobReplace && job.modifier == replaceRegex && p.job->letters.empty())
        p.o.jobs.back().int1 = 1;
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
    p.job = JobInProgress {std::move(label), {}, false, {}};
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
    if (rule.code == kAllLetters || rule.code == kAsciiOnly || rule.code == kMatchCase
        || rule.code == kIgnoreCase) {
        // --all-letters and --ascii-only (or --match-case and --ignore-case) contradict each other.
        if (!p.job->letters.empty() && p.job->letters != rule.name)
            return refuse(p,
                std::string(rule.name) + ": the job before it, " + p.job->label + ", already has "
                    + p.job->letters);
        p.job->letters = rule.name;
    }
    // Insert and template keep their N in Int1 and their anchor in Str2; remove and counter
    // keep N in Int2 and the anchor in Str1.
    const bool insert = job.jobType == jobInsert || job.jobType == jobTemplate;
    switch (rule.code) {
    // A replace job keeps its scope in Int2, its Modifier being the replace mode.
    case kNameOnly:
        (job.jobType == jobReplace ? job.int2 : job.modifier) = scopeFilename;
        break;
    case kExtOnly:
        (job.jobType == jobReplace ? job.int2 : job.modifier) = scopeExtension;
        break;
    case kAllLetters:
        job.int1 = 1;
        break;
    case kAsciiOnly:
        job.int1 = 0;
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
    case kIgnoreCase:
        job.int1 = 0;
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
    // Case jobs change every letter unless --ascii-only.
    case kLower:
    case kUpper:
    case kNormal: {
        const JobType kind = code == kLower ? jobLower : code == kUpper ? jobUpper : jobNormal;
        Job job = Job::create(kind);
        job.int1 = 1;
        return startJob(p, std::move(job),
            code == kLower       ? "--lower"
                : code == kUpper ? "--upper"
                                 : "--normal");
    }
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
    case kJobsKept:
        p.o.jobsKept = true;
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
        // Each -m adds a mask: a file is taken when any of them matches.
        if (p.maskGiven)
            p.o.moreMasks.emplace_back(value);
        else
            p.o.mask = value;
        p.maskGiven = true;
        return Taken::Yes;
    case kHidden:
        p.o.hidden = true;
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

/// How a run behaves and what it prints: -u, --no-undo-file, -n, --tree, -v, --json, -0,
/// --color, -i, -l, -q.
Taken runOption(int code, const char* value, Parse& p)
{
    switch (code) {
    case 'u':
        p.o.undoFile = true;
        return Taken::Yes;
    case kNoUndoFile:
        p.o.undoFile = false;
        return Taken::Yes;
    case kTree:
        p.o.tree = true;
        return Taken::Yes;
    case 'v':
        p.o.verbose = true;
        return Taken::Yes;
    case kJson:
        p.o.json = true;
        return Taken::Yes;
    case '0':
        p.o.nullSeparated = true;
        return Taken::Yes;
    case kColour: {
        const std::string_view when = value ? value : "always";
        if (when == "auto")
            p.o.colour = CliOptions::Colour::Auto;
        else if (when == "always" || when == "yes" || when == "force")
            p.o.colour = CliOptions::Colour::Always;
        else if (when == "never" || when == "no" || when == "none")
            p.o.colour = CliOptions::Colour::Never;
        else
            return refuse(p, "--color takes auto, always or never: " + std::string(when));
        return Taken::Yes;
    }
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

/// New names by hand and files from standard input: --from-list, --edit, --stdin, -y.
Taken manualOption(int code, const char* value, Parse& p)
{
    switch (code) {
    case kFromList:
        p.o.fromList = value;
        return Taken::Yes;
    case kEdit:
        p.o.edit = true;
        return Taken::Yes;
    case kStdin:
        p.o.stdinNames = true;
        return Taken::Yes;
    case 'y':
        p.o.yes = true;
        return Taken::Yes;
    default:
        return Taken::No;
    }
}

/// A job text longer than any name the jobs may make is refused with the options.
bool jobStringsWithinLimit(Parse& p)
{
    for (const Job& job : p.o.jobs) {
        if (!jobStringsFit(job)) {
            p.error = "a job's text (--insert, --replace, --with, --before, --after) is longer than "
                + std::to_string(kMaxJobStringBytes) + " bytes";
            return false;
        }
    }
    return true;
}

constexpr Taken (*kOptionGroups[])(int, const char*, Parse&)
    = {jobAsOption, jobOption, walkOption, runOption, modeOption, manualOption};

/// The command the arguments that are no option give, with the options: folders to rename,
/// folders to undo, or the commands on the job list; false (with the reason) for a
/// combination that makes no sense.
bool chooseCommand(Parse& p)
{
    const bool jobCommands = !p.o.previews.empty() || p.o.describe || p.o.writeJobs.has_value();
    if (p.o.jobsKept && p.o.jobsFile) {
        p.error = "--jobs-kept cannot be combined with --jobs";
        return false;
    }
    // A command without jobs never falls back on the list the window kept: that list may do
    // anything, and nobody would have said which jobs ran.
    // New names from a list or an editor are jobs enough.
    if (!p.o.undo && (jobCommands || !p.positional.empty() || p.o.stdinNames) && p.o.jobs.empty()
        && !p.o.jobsFile && !p.o.jobsKept && !p.o.fromList && !p.o.edit) {
        p.error = "no jobs given: add job options (see --help) or --jobs FILE";
        return false;
    }
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
    } else if (!p.positional.empty() || p.o.stdinNames) {
        if (jobCommands) {
            p.error = "a folder cannot be combined with --preview, --describe or --write-jobs";
            return false;
        }
    } else if (!jobCommands) {
        p.error = "nothing to do: give a folder, --undo FOLDER, --preview, --describe or --write-jobs";
        return false;
    }
    p.o.folders = std::move(p.positional);
    const bool byHand = p.o.fromList || p.o.edit || p.o.stdinNames;
    if (byHand && (p.o.undo || jobCommands)) {
        p.error = "--from-list, --edit and --stdin rename: they cannot be combined with --undo, --preview, "
                  "--describe or --write-jobs";
        return false;
    }
    if (p.o.edit && p.o.recurse) {
        p.error = "--edit works on the names of each FOLDER itself: it cannot be combined with --recurse";
        return false;
    }
    if (p.o.edit && p.o.simulate) {
        p.error = "--edit cannot be combined with --simulate: the editor shows the plan's failures itself";
        return false;
    }
    return true;
}

} // namespace

bool parseCliOptions(int argc, char** argv, CliOptions& o, std::string& error)
{
    Parse p {o, error, std::nullopt, {}, {}, false};
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
    return finishJob(p) && jobStringsWithinLimit(p) && chooseCommand(p);
}

} // namespace brindle
