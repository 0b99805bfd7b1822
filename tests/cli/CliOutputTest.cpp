// What brindlewick-cli prints for a person and for a script: the old -> new records of -n and
// -v with their summaries, the JSON document, NUL-separated records, names escaped on a
// terminal, colours, and the messages of the command line.

#include <sstream>

#include <gtest/gtest.h>

#include "cli/CliTestUtil.h"
#include "common/RunProcess.h"
#include "common/TempTree.h"
#include "common/TerminalProcess.h"

namespace brindle
{
namespace
{

using test::cli;
using test::copyProgram;
using test::kCliData;
using test::kKeptUpperJobs;
using test::ProcessResult;
using test::ProgramCopy;
using test::readFile;
using test::replaceAll;
using test::runOnTerminal;
using test::runProcess;
using test::TempTree;
using test::TerminalResult;

/// A folder of photos with a clash, a subfolder to rename and a hidden file.
void makePhotos(TempTree& t)
{
    t.file("Photos/IMG_1.JPG");
    t.file("Photos/b.TXT");
    t.file("Photos/b.txt");
    t.file("Photos/.Hidden.JPG");
    t.file("Photos/Raw/X.JPG");
    t.file("Photos/Raw/Y.jpg");
}

const std::vector<std::string> kLowerEverything = {"-r", "-d", "--lower"};

TEST(CliOutput, SimulationListsEachChangeThenWhatWouldHappen)
{
    TempTree t;
    makePhotos(t);
    const auto before = t.list("Photos");
    std::vector<std::string> args = {"-n"};
    args.insert(args.end(), kLowerEverything.begin(), kLowerEverything.end());
    args.push_back(t.at("Photos"));
    const ProcessResult r = cli(args);
    EXPECT_EQ(r.out, readFile(kCliData + "simulate-lines.txt"));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 1); // the clash
    EXPECT_EQ(t.list("Photos"), before);
}

TEST(CliOutput, VerboseRunListsEachRenameAsItIsMadeAndUndoTakesItBack)
{
    TempTree t;
    makePhotos(t);
    const auto before = t.list("Photos");
    std::vector<std::string> args = {"-v"};
    args.insert(args.end(), kLowerEverything.begin(), kLowerEverything.end());
    args.push_back(t.at("Photos"));
    const ProcessResult r = cli(args);
    EXPECT_EQ(r.out, readFile(kCliData + "verbose-run.txt"));
    EXPECT_EQ(r.err,
        "brindlewick-cli: Cannot rename b.TXT to b.txt: held by b.txt, which stays. Operation will "
        "continue\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(t.list("Photos/raw"), (std::vector<std::string> {"_brindlewick_undo.txt", "x.jpg", "y.jpg"}));

    // Undo files are written without being asked for.
    const ProcessResult undo = cli({"--undo", "-r", t.at("Photos")});
    EXPECT_EQ(undo.exitCode, 0) << undo.err;
    EXPECT_EQ(t.list("Photos"), before);
}

TEST(CliOutput, JsonDocumentForASimulationAndARun)
{
    TempTree t;
    makePhotos(t);
    t.file("Photos/caf\xe9.JPG"); // not UTF-8: its names are byte arrays
    for (const char* mode : {"-n", "-v"}) {
        std::vector<std::string> args = {mode, "--json"};
        args.insert(args.end(), kLowerEverything.begin(), kLowerEverything.end());
        args.push_back(t.at("Photos"));
        const ProcessResult r = cli(args);
        const std::string golden = std::string(mode) == "-n" ? "simulate.json" : "run.json";
        EXPECT_EQ(r.out, replaceAll(readFile(kCliData + golden), "{ROOT}", t.at("Photos"))) << mode;
        EXPECT_EQ(r.exitCode, 1);
    }
}

TEST(CliOutput, NullSeparatedRecordsKeepTheBytesAndLeaveTheSummaryToStandardError)
{
    TempTree t;
    t.file("Dir/A\nB.TXT");
    t.file("Dir/C.TXT");
    // Undo files take no name with a line feed: --no-undo-file.
    const ProcessResult r = cli({"-n", "-0", "--no-undo-file", "--lower", t.at("Dir")});
    EXPECT_EQ(r.out, std::string("A\nB.TXT -> a\nb.txt\0C.TXT -> c.txt\0", 34));
    EXPECT_EQ(r.err, "Would rename 2 files and 0 folders.\n");
    EXPECT_EQ(r.exitCode, 0);

    // Without -0 the line feed is escaped, so that each record is one line.
    const ProcessResult lines = cli({"-n", "--no-undo-file", "--lower", t.at("Dir")});
    EXPECT_EQ(
        lines.out, "$'A\\nB.TXT' -> $'a\\nb.txt'\nC.TXT -> c.txt\nWould rename 2 files and 0 folders.\n");
}

struct SummaryCase {
    const char* label;
    std::vector<std::string> files;
    std::vector<std::string> options;
    const char* summary;
    friend void PrintTo(const SummaryCase& c, std::ostream* os) { *os << c.label; }
};

using CliSummary = ::testing::TestWithParam<SummaryCase>;

TEST_P(CliSummary, CountsInWords)
{
    const SummaryCase& c = GetParam();
    TempTree t;
    for (const std::string& f : c.files)
        t.file("Dir/" + f);
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"--lower", t.at("Dir")});
    const ProcessResult r = cli(args);
    const std::size_t last = r.out.rfind('\n', r.out.size() - 2);
    EXPECT_EQ(r.out.substr(last == std::string::npos ? 0 : last + 1), std::string(c.summary) + "\n") << r.out;
}

INSTANTIATE_TEST_SUITE_P(Table, CliSummary,
    ::testing::Values(SummaryCase {"OneFile", {"A"}, {"-n"}, "Would rename 1 file and 0 folders."},
        SummaryCase {"Nothing", {"a"}, {"-n"}, "Would rename 0 files and 0 folders."},
        SummaryCase {"OneFolder", {"S/x"}, {"-n", "-d"}, "Would rename 0 files and 1 folder."},
        SummaryCase {"Clash", {"A", "a", "B"}, {"-n"},
            "Would rename 1 file and 0 folders; 1 would fail (clashes: 1)."},
        SummaryCase {"RunFailed", {"A", "a", "B"}, {}, "Renamed 1 file and 0 folders; 1 failed."},
        SummaryCase {"RunTwo", {"A", "B", "S/C"}, {"-d", "-r"}, "Renamed 3 files and 1 folder."},
        SummaryCase {"Hidden", {"A", ".B", ".C"}, {"-n"},
            "2 hidden files matching the mask were left out (--hidden includes hidden files)."},
        SummaryCase {"HiddenTaken", {"A", ".B"}, {"-n", "--hidden"}, "Would rename 2 files and 0 folders."},
        SummaryCase {"HiddenOutsideTheMask", {"A.txt", ".B"}, {"-n", "-m", "*.txt"},
            "Would rename 1 file and 0 folders."}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CliOutput, NoJobsIsRefusedAndTheKeptListIsReadOnlyWhenAskedFor)
{
    // A copy of the program in a folder of its own, with a kept job list beside it.
    TempTree t;
    const ProgramCopy run = copyProgram(t.at("brindlewick-cli"));
    t.file("Folder/name.txt");
    const ProcessResult none = run({"-n", t.at("Folder")});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_EQ(none.err,
        "brindlewick-cli: no jobs given: add job options (see --help) or --jobs FILE\n"
        "Try 'brindlewick-cli --help' for more information.\n");
    EXPECT_EQ(run({"--preview", "a"}).exitCode, 2);
    const ProcessResult missing = run({"--jobs-kept", t.at("Folder")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.err,
        "brindlewick-cli: there is no kept job list: " + t.at("brindle_job_config.xml")
            + " does not exist\n");

    t.file("brindle_job_config.xml", kKeptUpperJobs);
    EXPECT_EQ(run({"-n", t.at("Folder")}).exitCode, 2);
    const ProcessResult kept = run({"--jobs-kept", t.at("Folder")});
    EXPECT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_EQ(kept.out,
        "Renamed 1 file and 0 folders.\nJobs from the kept job list " + t.at("brindle_job_config.xml")
            + "\n");
    EXPECT_EQ(t.list("Folder"), (std::vector<std::string> {"NAME.TXT", "_brindlewick_undo.txt"}));
    EXPECT_EQ(run({"--jobs-kept", "--jobs", t.at("brindle_job_config.xml"), t.at("Folder")}).exitCode, 2);
}

TEST(CliOutput, UndoFilesByDefaultAndNoneWithNoUndoFile)
{
    TempTree t;
    t.file("A/X");
    t.file("B/X");
    t.file("C/X");
    EXPECT_EQ(cli({"--lower", "-q", t.at("A")}).exitCode, 0);
    EXPECT_EQ(cli({"--lower", "-q", "-u", t.at("B")}).exitCode, 0);
    EXPECT_EQ(cli({"--lower", "-q", "--no-undo-file", t.at("C")}).exitCode, 0);
    EXPECT_EQ(t.list("A"), (std::vector<std::string> {"_brindlewick_undo.txt", "x"}));
    EXPECT_EQ(t.list("B"), (std::vector<std::string> {"_brindlewick_undo.txt", "x"}));
    EXPECT_EQ(t.list("C"), (std::vector<std::string> {"x"}));
}

struct PreviewCase {
    const char* label;
    std::vector<std::string> args;
    const char* out;
    friend void PrintTo(const PreviewCase& c, std::ostream* os) { *os << c.label; }
};

using CliJobDefaults = ::testing::TestWithParam<PreviewCase>;

TEST_P(CliJobDefaults, Preview)
{
    const ProcessResult r = cli(GetParam().args);
    EXPECT_EQ(r.out, GetParam().out) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Table, CliJobDefaults,
    ::testing::Values(
        // Case jobs change every letter unless --ascii-only.
        PreviewCase {"LowerEveryLetter", {"--lower", "--preview", "ÜBER ÉTÉ.TXT"}, "über été.txt\n"},
        PreviewCase {"UpperEveryLetter", {"--upper", "--preview", "straße"}, "STRASSE\n"},
        PreviewCase {"AsciiOnly", {"--lower", "--ascii-only", "--preview", "ÜBER ÉTÉ.TXT"}, "Über ÉtÉ.txt\n"},
        PreviewCase {"NormalEveryLetter", {"--normal", "--preview", "ÉCOLE été"}, "École Été\n"},
        // A regular expression matches case as given unless --ignore-case; a plain replace
        // ignores case unless --match-case.
        PreviewCase {
            "RegexMatchesCase", {"--replace", "a", "--with", "x", "--regex", "--preview", "Aa"}, "Ax\n"},
        PreviewCase {"RegexIgnoreCase",
            {"--replace", "a", "--with", "x", "--ignore-case", "--regex", "--preview", "Aa"}, "xx\n"},
        PreviewCase {"TextIgnoresCase", {"--replace", "a", "--with", "x", "--preview", "Aa"}, "xx\n"},
        PreviewCase {"TitleCaseIdiom",
            {"--replace", "^(\\w+)", "--with", "\\u\\L$1", "--regex", "--preview", "ÉCOLE.TXT"},
            "École.TXT\n"},
        // The counter's sign stands before its zeros.
        PreviewCase {"NegativeCounter", {"--add-counter", "3", "-c", "-5", "--preview", "a"}, "-05a\n"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CliOutput, ContradictoryLetterModifiersAreRefused)
{
    const ProcessResult r = cli({"--lower", "--all-letters", "--ascii-only", "--preview", "a"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(
        r.err.find("--ascii-only: the job before it, --lower, already has --all-letters"), std::string::npos)
        << r.err;
    EXPECT_EQ(
        cli({"--replace", "a", "--with", "b", "--match-case", "--ignore-case", "--preview", "a"}).exitCode,
        2);
}

TEST(CliOutput, TheCounterStopsAtItsLargestValueWithAReason)
{
    TempTree t;
    t.file("Dir/a");
    t.file("Dir/b");
    t.file("Dir/c");
    const ProcessResult r = cli({"-n", "--add-counter", "1", "--at-end", "-c", "2147483646", t.at("Dir")});
    EXPECT_EQ(r.out,
        "a -> a2147483646\nb -> b2147483647\n! c: the counter cannot go past 2147483647\n"
        "Would rename 2 files and 0 folders; 1 would fail (names refused: 1).\n");
    EXPECT_EQ(r.exitCode, 1);
    const ProcessResult preview
        = cli({"--add-counter", "1", "-c", "2147483647", "--preview", "a", "--preview", "b"});
    EXPECT_EQ(preview.out, "2147483647a\nb\n");
    EXPECT_EQ(preview.err, "brindlewick-cli: b: the counter cannot go past 2147483647\n");
    EXPECT_EQ(preview.exitCode, 1);
}

TEST(CliOutput, SeveralMasksAndClasses)
{
    TempTree t;
    for (const char* name : {"a.JPG", "b.PNG", "c.GIF", "IMG_1", "IMG_x"})
        t.file(std::string("Dir/") + name);
    const ProcessResult r
        = cli({"-n", "-m", "*.jpg", "-m", "*.png", "-m", "IMG_[0-9]", "--lower", t.at("Dir")});
    EXPECT_EQ(r.out, "a.JPG -> a.jpg\nb.PNG -> b.png\nIMG_1 -> img_1\nWould rename 3 files and 0 folders.\n");
}

TEST(CliOutput, AMissingFolderOrAFileIsSaidOnceWithoutASummary)
{
    TempTree t;
    t.file("file.txt");
    t.file("Good/A");
    const ProcessResult r = cli({"--lower", t.at("missing"), t.at("file.txt"), t.at("Good")});
    // A file is renamed alone in its folder's plan (here it keeps its name).
    EXPECT_EQ(
        r.err, "brindlewick-cli: cannot open folder " + t.at("missing") + ": No such file or directory\n");
    EXPECT_EQ(r.out,
        t.path() + ":\nRenamed 0 files and 0 folders.\n\n" + t.at("Good")
            + ":\nRenamed 1 file and 0 folders.\n");
    EXPECT_EQ(r.exitCode, 1);
}

TEST(CliOutput, UndoMessagesNameTheFolderAndTheReason)
{
    TempTree t;
    t.dir("Empty");
    const ProcessResult none = cli({"--undo", t.at("Empty")});
    EXPECT_EQ(none.err,
        "brindlewick-cli: Undo file _brindlewick_undo.txt does not exist in " + t.at("Empty")
            + ". Operation will not continue!\n"
              "Undo files are written by every run without --no-undo-file, one in each folder where "
              "something was renamed.\n");
    const ProcessResult gone = cli({"--undo", t.at("gone")});
    EXPECT_EQ(gone.err,
        "brindlewick-cli: Cannot change current directory to " + t.at("gone")
            + ": No such file or directory\n");
}

/// On a terminal names are quoted as ls quotes them, escape sequences in names never reach the
/// terminal, and the records are coloured as --color says.
TEST(CliOutput, NamesOnATerminalAreEscapedAndColoured)
{
    TempTree t;
    t.file("Dir/a\033]0;owned\007.TXT");
    t.file("Dir/my file.TXT");
    t.file("Dir/it's.TXT");
    t.file("Dir/\xe2\x80\xae"
           "cod.TXT"); // a right-to-left override
    t.file("Dir/x\xff.TXT");
    const std::vector<std::string> args = {BRINDLE_CLI, "-n", "--lower", t.at("Dir")};
    const std::string lines = "$'a\\x1b]0;owned\\x07.TXT' -> $'a\\x1b]0;owned\\x07.txt'\n"
                              "$'\\u202ecod.TXT' -> $'\\u202ecod.txt'\n"
                              "'it'\\''s.TXT' -> 'it'\\''s.txt'\n"
                              "'my file.TXT' -> 'my file.txt'\n"
                              "$'x\\xff.TXT' -> $'x\\xff.txt'\n";
    const std::string summary = "Would rename 5 files and 0 folders.\n";
    const TerminalResult plain = runOnTerminal(args, {}, {"TERM=xterm", "NO_COLOR=1"});
    EXPECT_EQ(plain.output, lines + summary);
    EXPECT_EQ(plain.output.find('\033'), std::string::npos);

    // In colour each record is green, from its start to its end.
    std::string coloured;
    std::istringstream in(lines);
    for (std::string line; std::getline(in, line);)
        coloured += "\033[32m" + line + "\033[0m\n";
    EXPECT_EQ(runOnTerminal(args, {}, {"TERM=xterm", "NO_COLOR="}).output, coloured + summary);
    std::vector<std::string> never = args;
    never.insert(never.begin() + 1, "--color=never");
    EXPECT_EQ(runOnTerminal(never, {}, {"TERM=xterm"}).output, lines + summary);

    // Through a pipe only the names that need escapes have them, and --color=always colours.
    const ProcessResult piped = runProcess(args);
    EXPECT_NE(piped.out.find("\nmy file.TXT -> my file.txt\n"), std::string::npos) << piped.out;
    EXPECT_EQ(piped.out.find('\033'), std::string::npos);
    std::vector<std::string> always = args;
    always.insert(always.begin() + 1, "--color=always");
    EXPECT_NE(runProcess(always).out.find("\033[32mmy file.TXT -> my file.txt\033[0m\n"), std::string::npos);
}

} // namespace
} // namespace brindle
