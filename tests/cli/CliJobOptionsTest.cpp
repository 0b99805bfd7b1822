// Jobs given as options: each job option adds a job, the modifiers after it set that job's
// fields; a command line that is wrong renames nothing.

#include <sys/stat.h>

#include <sstream>

#include <gtest/gtest.h>

#include "cli/CliTestUtil.h"
#include "common/RunProcess.h"
#include "common/TempTree.h"

namespace brindle
{
namespace
{

using test::caseName;
using test::cli;
using test::copyProgram;
using test::kCliData;
using test::kKeptUpperJobs;
using test::ProcessResult;
using test::ProgramCopy;
using test::readFile;
using test::replaceAll;
using test::runProcess;
using test::TempTree;

/// The job elements of a job list file, one a line, without their indent.
std::string jobElements(const std::string& file)
{
    std::istringstream in(file);
    std::string out;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (const std::size_t at = line.find("<job "); at != std::string::npos)
            out += line.substr(at) + "\n";
    }
    return out;
}

std::string job(const char* type, int modifier, int int1, int int2, const std::string& str1 = {},
    const std::string& str2 = {})
{
    return std::string("<job type=\"") + type + "\" modifier=\"" + std::to_string(modifier) + "\" int1=\""
        + std::to_string(int1) + "\" int2=\"" + std::to_string(int2) + "\" str1=\"" + str1 + "\" str2=\""
        + str2 + "\" />\n";
}

/// A job given as options: the fields it gets (as the job list file holds them) and what it
/// makes of a sample name.
struct JobOptionCase {
    const char* name;
    std::vector<std::string> args;
    std::string jobs;
    std::string sample;
    std::string preview;
    friend void PrintTo(const JobOptionCase& c, std::ostream* os) { *os << c.name; }
};

using CliJobOptionTable = ::testing::TestWithParam<JobOptionCase>;

TEST_P(CliJobOptionTable, SetsTheFieldsOfItsKind)
{
    const JobOptionCase& c = GetParam();
    TempTree t;
    std::vector<std::string> args = c.args;
    for (const std::string& a : {std::string("--preview"), c.sample, std::string("--write-jobs"),
             t.at("out.xml"), std::string("--encoding"), std::string()})
        args.push_back(a);
    const ProcessResult r = cli(args);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, c.preview + "\n");
    EXPECT_EQ(jobElements(t.read("out.xml")), c.jobs);
}

// Insert keeps N in int1 and its anchor in str2; remove and counter keep N in int2 and the
// anchor in str1; COUNT and WIDTH go to int1.
const JobOptionCase kJobOptionCases[] = {
    // Case jobs change every letter (int1 1) unless --ascii-only.
    {"Lower", {"--lower"}, job("jobLower", 0, 1, 0), "My File.TXT", "my file.txt"},
    {"LowerAsciiOnly", {"--lower", "--ascii-only"}, job("jobLower", 0, 0, 0), "ÉA.TXT", "Éa.txt"},
    {"UpperNameOnly", {"--upper", "--name-only"}, job("jobUpper", 1, 1, 0), "My File.txt", "MY FILE.txt"},
    {"NormalExtOnlyAllLetters", {"--normal", "--ext-only", "--all-letters"}, job("jobNormal", 2, 1, 0),
        "a.éTÉ", "a.Été"},
    {"UpperAllLetters", {"--upper", "--all-letters"}, job("jobUpper", 0, 1, 0), "straße.txt", "STRASSE.TXT"},
    {"AllLettersBeforeScope", {"--lower", "--all-letters", "--name-only"}, job("jobLower", 1, 1, 0), "ÉA.TXT",
        "éa.TXT"},
    {"Insert", {"--insert", "IMG "}, job("jobInsert", 0, 0, 0, "IMG "), "a.jpg", "IMG a.jpg"},
    {"InsertAtStart", {"--insert", "X", "--at-start"}, job("jobInsert", 0, 0, 0, "X"), "ab", "Xab"},
    {"InsertAtEnd", {"--insert", "X", "--at-end"}, job("jobInsert", 1, 0, 0, "X"), "a.jpg", "a.jpgX"},
    {"InsertAfterChar", {"--insert", "X", "--after-char", "2"}, job("jobInsert", 2, 2, 0, "X"), "abcd",
        "abXcd"},
    {"InsertBefore", {"--insert", "X", "--before", "cd"}, job("jobInsert", 3, 0, 0, "X", "cd"), "abcdcd",
        "abXcdcd"},
    {"InsertAfter", {"--insert", "X", "--after", "b"}, job("jobInsert", 4, 0, 0, "X", "b"), "abcb", "abXcb"},
    {"InsertBeforeExt", {"--insert", "X", "--before-ext"}, job("jobInsert", 5, 0, 0, "X"), "a.b.jpg",
        "a.bX.jpg"},
    // A replace job's scope goes to int2, its modifier staying the replace mode.
    {"ReplaceRegexNameOnly", {"--replace", "^(.+) - (.+)$", "--with", "$2 - $1", "--regex", "--name-only"},
        job("jobReplace", 1, 1, 1, "^(.+) - (.+)$", "$2 - $1"), "Adele - Hello.mp3", "Hello - Adele.mp3"},
    {"ReplaceExtOnly", {"--replace", "jpeg", "--with", "jpg", "--ext-only"},
        job("jobReplace", 0, 0, 2, "jpeg", "jpg"), "jpeg.JPEG", "jpeg.jpg"},
    {"Remove", {"--remove", "2"}, job("jobRemove", 0, 2, 0), "abcd", "cd"},
    {"RemoveAtEnd", {"--remove", "2", "--at-end"}, job("jobRemove", 1, 2, 0), "abcd", "ab"},
    {"RemoveAfterChar", {"--remove", "1", "--after-char", "2"}, job("jobRemove", 2, 1, 2), "abcd", "abd"},
    {"RemoveBefore", {"--remove", "1", "--before", "c"}, job("jobRemove", 3, 1, 0, "c"), "abcd", "acd"},
    {"RemoveAfter", {"--remove", "1", "--after", "b"}, job("jobRemove", 4, 1, 0, "b"), "abcd", "abd"},
    {"RemoveBeforeExt", {"--remove", "1", "--before-ext"}, job("jobRemove", 5, 1, 0), "abc.txt", "ab.txt"},
    {"Counter", {"--add-counter", "3"}, job("jobCounter", 0, 3, 0), "a", "000a"},
    {"CounterAtEnd", {"--add-counter", "2", "--at-end", "-c", "7"}, job("jobCounter", 1, 2, 0), "a", "a07"},
    {"CounterAfterChar", {"--add-counter", "2", "--after-char", "1"}, job("jobCounter", 2, 2, 1), "ab",
        "a00b"},
    {"CounterBefore", {"--add-counter", "1", "--before", "b"}, job("jobCounter", 3, 1, 0, "b"), "ab", "a0b"},
    {"CounterAfter", {"--add-counter", "1", "--after", "a"}, job("jobCounter", 4, 1, 0, "a"), "ab", "a0b"},
    {"CounterBeforeExt", {"--add-counter", "2", "--before-ext"}, job("jobCounter", 5, 2, 0), "a.txt",
        "a00.txt"},
    {"Replace", {"--replace", "A", "--with", "x"}, job("jobReplace", 0, 0, 0, "A", "x"), "Banana", "Bxnxnx"},
    {"ReplaceMatchCase", {"--replace", "A", "--with", "x", "--match-case"},
        job("jobReplace", 0, 1, 0, "A", "x"), "BAnana", "Bxnana"},
    {"ReplaceByNothing", {"--replace", "_", "--with", ""}, job("jobReplace", 0, 0, 0, "_"), "a_b_c", "abc"},
    // A regular expression matches case as given (int1 1) unless --ignore-case.
    {"ReplaceRegex", {"--replace", "(\\w+) - (\\w+)", "--with", "$2 - $1", "--regex"},
        job("jobReplace", 1, 1, 0, "(\\w+) - (\\w+)", "$2 - $1"), "track - artist.mp3", "artist - track.mp3"},
    {"ReplaceRegexIgnoreCase", {"--replace", "^B", "--with", "x", "--ignore-case", "--regex"},
        job("jobReplace", 1, 0, 0, "^B", "x"), "bob", "xob"},
    {"ReplaceModifiersBeforeWith", {"--replace", "^b", "--regex", "--match-case", "--with", "X"},
        job("jobReplace", 1, 1, 0, "^b", "X"), "bob", "Xob"},
    {"ValuesJoinedByEquals", {"--insert=A", "--after-char=1"}, job("jobInsert", 2, 1, 0, "A"), "xy", "xAy"},
    {"AbbreviatedNames", {"--ins", "A", "--at-e"}, job("jobInsert", 1, 0, 0, "A"), "xy", "xyA"},
    {"TextThatLooksLikeAnOption", {"--insert", "-n", "--before", "--x"},
        job("jobInsert", 3, 0, 0, "-n", "--x"), "a--x", "a-n--x"},
    {"XmlSpecialCharacters", {"--insert", "<&\">"}, job("jobInsert", 0, 0, 0, "&lt;&amp;&quot;&gt;"), "a",
        "<&\">a"},
    {"SamePlacementTwice", {"--insert", "X", "--at-end", "--at-end"}, job("jobInsert", 1, 0, 0, "X"), "a",
        "aX"},
    {"TwoJobs", {"--lower", "--insert", "X", "--at-end"},
        job("jobLower", 0, 1, 0) + job("jobInsert", 1, 0, 0, "X"), "AB", "abX"},
};

INSTANTIATE_TEST_SUITE_P(
    CliJobOptions, CliJobOptionTable, ::testing::ValuesIn(kJobOptionCases), caseName<JobOptionCase>);

/// The jobs work in the order given: the same options in another order make another list.
TEST(CliJobOptions, OrderOfTheJobsIsTheOrderGiven)
{
    const ProcessResult caseFirst
        = cli({"--lower", "--ext-only", "--insert", "X", "--at-end", "--describe", "--preview", "AB.TXT"});
    EXPECT_EQ(caseFirst.exitCode, 0) << caseFirst.err;
    EXPECT_EQ(
        caseFirst.out, "Convert extension to lower case (all letters)\nAppend \"X\" at the end\nAB.txtX\n");
    const ProcessResult insertFirst
        = cli({"--insert", "X", "--at-end", "--lower", "--ext-only", "--describe", "--preview", "AB.TXT"});
    EXPECT_EQ(insertFirst.exitCode, 0) << insertFirst.err;
    EXPECT_EQ(
        insertFirst.out, "Append \"X\" at the end\nConvert extension to lower case (all letters)\nAB.txtx\n");
    // At the start, X never reaches the extension: the lists differ, the names do not.
    EXPECT_EQ(cli({"--lower", "--ext-only", "--insert", "X", "--describe", "--preview", "AB.TXT"}).out,
        "Convert extension to lower case (all letters)\nInsert \"X\" at the beginning\nXAB.txt\n");
    EXPECT_EQ(cli({"--insert", "X", "--lower", "--ext-only", "--describe", "--preview", "AB.TXT"}).out,
        "Insert \"X\" at the beginning\nConvert extension to lower case (all letters)\nXAB.txt\n");
    // Options that are no job may stand anywhere between them.
    const ProcessResult mixed = cli({"--insert", "X", "-c", "4", "--at-end", "--describe", "--lower",
        "--preview", "AB.TXT", "--ext-only"});
    EXPECT_EQ(mixed.out, insertFirst.out);
}

/// The example of the manual page and of --help: see, rename with undo files, take it back.
TEST(CliJobOptions, ExampleSimulateRunAndUndo)
{
    TempTree t;
    for (const char* name : {"my_trip_PIC.JPG", "beach_DAY_two.jpeg", "README", "notes_2024.TXT", "b_a.jpg"})
        t.file(std::string("Photos/") + name, name);
    t.file("Photos/Sub/keep_me.TXT");
    const std::vector<std::string> jobs = {"--replace", "_", "--with", " ", "--normal", "--name-only",
        "--lower", "--ext-only", "--add-counter", "3", "--before-ext", "-c", "1"};
    const auto before = t.list("Photos");

    std::vector<std::string> simulate = jobs;
    simulate.insert(simulate.begin(), "-n");
    simulate.push_back(t.at("Photos"));
    const ProcessResult sim = cli(simulate);
    EXPECT_EQ(sim.exitCode, 0) << sim.err;
    EXPECT_EQ(sim.out, replaceAll(readFile(kCliData + "example-simulate.txt"), "{ROOT}", t.at("Photos")));
    EXPECT_EQ(t.list("Photos"), before);

    std::vector<std::string> describe = jobs;
    describe.push_back("--describe");
    EXPECT_EQ(cli(describe).out, readFile(kCliData + "example.describe.txt"));

    std::vector<std::string> run = jobs;
    run.insert(run.begin(), "-u");
    run.push_back(t.at("Photos"));
    const ProcessResult ran = cli(run);
    EXPECT_EQ(ran.exitCode, 0) << ran.err;
    EXPECT_EQ(t.list("Photos"),
        (std::vector<std::string> {"B A001.jpg", "Beach Day Two002.jpeg", "My Trip Pic003.jpg",
            "Notes 2024004.txt", "Readme005", "Sub", "_brindlewick_undo.txt"}));
    EXPECT_EQ(t.read("Photos/My Trip Pic003.jpg"), "my_trip_PIC.JPG");

    const ProcessResult undo = cli({"--undo", t.at("Photos")});
    EXPECT_EQ(undo.exitCode, 0) << undo.err;
    EXPECT_EQ(undo.out, "5 files and/or directories have been renamed.\n");
    EXPECT_EQ(t.list("Photos"), before);
}

/// --jobs FILE comes first and the job options follow; the kept job list is read only with
/// --jobs-kept, and with neither nothing is done.
TEST(CliJobOptions, JobOptionsFollowTheJobListFileAndReplaceTheKeptList)
{
    // A copy of the program in a folder of its own, with a kept job list beside it.
    TempTree t;
    const ProgramCopy kept = copyProgram(t.at("brindlewick-cli"));
    t.file("brindle_job_config.xml", kKeptUpperJobs);
    t.file("reverse.xml",
        "<brindlewick><jobs><job type=\"jobInsert\" modifier=\"1\" int1=\"0\" int2=\"0\" str1=\"-end\" "
        "str2=\"\" "
        "/></jobs></brindlewick>");

    EXPECT_EQ(kept({"--describe", "--preview", "a"}).exitCode, 2);
    EXPECT_EQ(kept({"--jobs-kept", "--describe", "--preview", "a"}).out,
        "Convert all characters to upper case\nA\n");
    EXPECT_EQ(
        kept({"--insert", "x", "--describe", "--preview", "a"}).out, "Insert \"x\" at the beginning\nxa\n");
    EXPECT_EQ(kept({"--insert", "x", "--jobs", t.at("reverse.xml"), "--describe", "--preview", "a"}).out,
        "Append \"-end\" at the end\nInsert \"x\" at the beginning\nxa-end\n");

    // The same in a run: the kept job list would upper-case the name.
    t.file("Folder/name.txt");
    const ProcessResult r = kept({"--insert", "x-", "-q", t.at("Folder")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(t.list("Folder"), (std::vector<std::string> {"_brindlewick_undo.txt", "x-name.txt"}));
}

/// Arguments that are not UTF-8 are taken as the bytes they are: in texts, in folder names and
/// in messages.
TEST(CliJobOptions, ArgumentsThatAreNotUtf8AreKeptAsBytes)
{
    TempTree t;
    t.file("dir\xff/a\xfe"
           "b.txt");
    const ProcessResult r
        = cli({"--insert", "\xff", "--replace", "\xfe", "--with", "-\xfd-", "-u", "-q", t.at("dir\xff")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(t.list("dir\xff"),
        (std::vector<std::string> {"_brindlewick_undo.txt",
            "\xff"
            "a-\xfd-b.txt"}));
    EXPECT_EQ(cli({"--undo", "-q", t.at("dir\xff")}).exitCode, 0);
    EXPECT_EQ(t.list("dir\xff"),
        std::vector<std::string> {"a\xfe"
                                  "b.txt"});

    const ProcessResult describe = cli({"--replace", "\xfe", "--with", "\xfd", "--describe"});
    EXPECT_EQ(describe.out, "Replace \"\xfe\" with \"\xfd\" (ignore case)\n");
    const ProcessResult bad = cli({"--remove", "\xff", t.at("dir\xff")});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err,
        "brindlewick-cli: --remove COUNT must be a whole number from 1 to 65535: \xff\n"
        "Try 'brindlewick-cli --help' for more information.\n");
}

/// A command line that is wrong: exit status 2, a message naming the option or argument,
/// nothing renamed in any FOLDER, nothing printed on standard output.
struct BadCommandLine {
    const char* name;
    std::vector<std::string> args;
    std::string message;
    friend void PrintTo(const BadCommandLine& c, std::ostream* os) { *os << c.name; }
};

using CliBadCommandLine = ::testing::TestWithParam<BadCommandLine>;

TEST_P(CliBadCommandLine, IsRefusedBeforeAnyRename)
{
    const BadCommandLine& c = GetParam();
    TempTree t;
    t.file("one/My_File.TXT");
    t.file("two/Other_File.TXT");
    t.file("two/_brindlewick_undo.txt", "Other_File.TXT\r\nmy file\r\n");
    const auto one = t.list("one");
    const auto two = t.list("two");
    // The FOLDERs first: options may follow them, and an option that lacks its value at the
    // end does not take a FOLDER for it.
    std::vector<std::string> args = {t.at("one"), t.at("two")};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProcessResult r = cli(args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(
        r.err, "brindlewick-cli: " + c.message + "\nTry 'brindlewick-cli --help' for more information.\n");
    EXPECT_EQ(t.list("one"), one);
    EXPECT_EQ(t.list("two"), two);
}

const BadCommandLine kBadCommandLines[] = {
    // A modifier with no job before it.
    {"ScopeBeforeAnyJob", {"--name-only", "--lower"},
        "--name-only has no job before it: it goes after --lower, "
        "--upper, --normal or --replace"},
    {"PlacementBeforeAnyJob", {"--at-end", "--insert", "x"},
        "--at-end has no job before it: it goes after --insert, --remove, --add-counter or --template"},
    {"WithWithoutReplace", {"--with", "x"}, "--with has no job before it: it goes after --replace"},
    {"RegexBeforeAnyJob", {"-r", "--regex", "--replace", "a", "--with", "b"},
        "--regex has no job before it: it goes after --replace"},
    // A modifier that does not fit the job before it.
    {"ScopeAfterInsert", {"--insert", "x", "--ext-only"},
        "--ext-only does not fit the job before it, --insert \"x\": it goes after --lower, --upper, "
        "--normal or --replace"},
    {"AllLettersAfterReplace", {"--replace", "a", "--with", "b", "--all-letters"},
        "--all-letters does not fit the job before it, --replace \"a\": it goes after --lower, --upper or "
        "--normal"},
    {"PlacementAfterCase", {"--lower", "--at-end"},
        "--at-end does not fit the job before it, --lower: it goes after --insert, --remove, "
        "--add-counter or --template"},
    {"RegexAfterRemove", {"--remove", "2", "--regex"},
        "--regex does not fit the job before it, --remove 2: it goes after --replace"},
    {"WithAfterAnotherJob", {"--replace", "a", "--upper", "--with", "b"},
        "--replace \"a\" needs --with REPLACEMENT after it"},
    {"WithAfterCase", {"--normal", "--with", "b"},
        "--with does not fit the job before it, --normal: it goes after --replace"},
    {"ReplaceWithoutWith", {"--replace", "a"}, "--replace \"a\" needs --with REPLACEMENT after it"},
    {"ReplaceWithoutWithBeforeNextJob", {"--replace", "a", "--match-case", "--lower"},
        "--replace \"a\" needs --with REPLACEMENT after it"},
    // Two modifiers of one job that contradict each other.
    {"WithTwice", {"--replace", "a", "--with", "b", "--with", "c"},
        "--with: the job before it, --replace \"a\", already has --with"},
    {"TwoPlacements", {"--insert", "x", "--at-end", "--at-start"},
        "--at-start: the job before it, --insert \"x\", already has --at-end"},
    {"TwoCharacterNumbers", {"--add-counter", "2", "--after-char", "2", "--after-char", "3"},
        "--after-char 3: the job before it, --add-counter 2, already has --after-char 2"},
    {"TwoScopes", {"--lower", "--name-only", "--ext-only"},
        "--ext-only: the job before it, --lower, already has --name-only"},
    // Numbers out of range or with junk.
    {"CountWithJunk", {"--remove", "3x"}, "--remove COUNT must be a whole number from 1 to 65535: 3x"},
    {"CountWithTwoSigns", {"--remove", "+-5"}, "--remove COUNT must be a whole number from 1 to 65535: +-5"},
    {"WidthTooLarge", {"--add-counter", "99999999999"},
        "--add-counter WIDTH must be a whole number from 1 to 65535: 99999999999"},
    {"WidthAboveTheLimit", {"--add-counter", "65536"},
        "--add-counter WIDTH must be a whole number from 1 to 65535: 65536"},
    {"CountZero", {"--remove", "0"}, "--remove COUNT must be a whole number from 1 to 65535: 0"},
    {"CountNegative", {"--remove=-1"}, "--remove COUNT must be a whole number from 1 to 65535: -1"},
    {"CountWithBlank", {"--remove", " 3"}, "--remove COUNT must be a whole number from 1 to 65535:  3"},
    {"CharacterNumberEmpty", {"--insert", "x", "--after-char", ""},
        "--after-char N must be a whole number from 1 to 65535: "},
    {"CharacterNumberFraction", {"--remove", "1", "--after-char", "1.5"},
        "--after-char N must be a whole number from 1 to 65535: 1.5"},
    {"CounterWithJunk", {"--lower", "-c", "1O"},
        "the counter must be a whole number from -2147483648 to "
        "2147483647: 1O"},
    // Empty texts.
    {"EmptyText", {"--insert", ""}, "--insert TEXT must not be empty"},
    {"EmptyFind", {"--replace", "", "--with", "x"}, "--replace FIND must not be empty"},
    {"EmptyAnchorBefore", {"--insert", "x", "--before", ""}, "--before STRING must not be empty"},
    {"EmptyAnchorAfter", {"--remove", "1", "--after="}, "--after STRING must not be empty"},
    // A regular expression that cannot run, found before any folder is touched.
    {"RegexThatDoesNotCompile", {"--lower", "--replace", "(a", "--with", "b", "--regex"},
        "invalid regular expression in --replace \"(a\": missing closing parenthesis at offset 2"},
    {"RegexReplacementThatDoesNotFit", {"--replace", "(a)", "--with", "$2", "--regex", "--upper"},
        "invalid regular expression in --replace \"(a)\": unknown substring at offset 2 of the replacement"},
    // Options that make no sense, late on a long and otherwise good command line.
    {"BadOptionLate",
        {"-rdu", "--lower", "--insert", "x", "--at-end", "--replace", "a", "--with", "b", "--sort", "natural",
            "--remove", "3", "--lowr"},
        "unknown option: --lowr"},
    {"AbbreviatedModifierThatDoesNotFit", {"--lower", "--after-c", "3", "--insert", "x"},
        "--after-char does not fit the job before it, --lower: it goes after --insert, --remove, "
        "--add-counter or --template"},
    {"AmbiguousAbbreviation", {"--insert", "x", "--at"}, "ambiguous option: --at (--at-start, --at-end)"},
    {"ValueMissing", {"--lower", "--insert"}, "option --insert needs a value"},
    {"JobsWithUndo", {"--undo", "--upper", "--insert", "x"}, "--undo takes no jobs: --upper"},
};

INSTANTIATE_TEST_SUITE_P(
    CliJobOptions, CliBadCommandLine, ::testing::ValuesIn(kBadCommandLines), caseName<BadCommandLine>);

/// --help lists the job options and its examples; the examples work as they say.
TEST(CliJobOptions, HelpAndItsExamples)
{
    const ProcessResult help = cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out, readFile(kCliData + "help.txt"));

    const ProcessResult swap = cli({"--replace", "^(.+) - (.+)(\\.mp3)$", "--with", "$2 - $1$3", "--regex",
        "--preview", "Artist - Title.mp3"});
    EXPECT_EQ(swap.out, "Title - Artist.mp3\n");
    const ProcessResult trip = cli({"--remove", "4", "--insert", "Trip ", "--preview", "IMG_0042.jpg"});
    EXPECT_EQ(trip.out, "Trip 0042.jpg\n");
    const ProcessResult photo = cli({"--replace", "_", "--with", " ", "--normal", "--name-only", "--lower",
        "--ext-only", "--add-counter", "3", "--before-ext", "-c", "1", "--preview", "my_trip_PIC.JPG"});
    EXPECT_EQ(photo.out, "My Trip Pic001.jpg\n");
}

} // namespace
} // namespace brindle
