#include <sys/stat.h>
#include <unistd.h>

#include <regex>

#include <gtest/gtest.h>

#include "cli/CliTestUtil.h"
#include "common/RunProcess.h"
#include "common/TempTree.h"

namespace brindle
{
namespace
{

using test::cli;
using test::kCliData;
using test::localTime;
using test::ProcessResult;
using test::readFile;
using test::replaceAll;
using test::runProcess;
using test::TempTree;

const std::string kLowerJobs = kCliData + "lower.xml";

class CliRunTest : public ::testing::Test
{
protected:
    TempTree tree;
};

TEST_F(CliRunTest, SimulatePrintsTheResultTreeAndChangesNothing)
{
    // Dates fix the order: --sort date.
    tree.file("Album/Pic1.JPG");
    tree.dir("Album", localTime(2001, 1, 1, 0, 0));
    tree.dir("misc", localTime(2002, 1, 1, 0, 0));
    tree.file("ABC.txt", "", localTime(2001, 1, 1, 0, 0));
    tree.file("abc.TXT", "", localTime(2002, 1, 1, 0, 0));
    tree.file("keep.txt", "", localTime(2003, 1, 1, 0, 0));
    const auto before = tree.list();
    const ProcessResult r
        = cli({"-j", kLowerJobs, "-r", "-d", "-u", "--sort", "date", "--simulate", "--tree", tree.path()});
    EXPECT_EQ(r.out, replaceAll(readFile(kCliData + "simulate-clash.txt"), "{ROOT}", tree.path()));
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 1); // a clash
    EXPECT_EQ(tree.list(), before);
    EXPECT_EQ(tree.list("Album"), (std::vector<std::string> {"Pic1.JPG"}));
}

TEST_F(CliRunTest, SimulationWithoutClashExitsZero)
{
    tree.file("A.TXT");
    const ProcessResult r = cli({"-j", kLowerJobs, "-n", "-q", tree.path()});
    EXPECT_EQ(r.out, "A.TXT -> a.txt\n");
    EXPECT_EQ(r.exitCode, 0);
}

TEST_F(CliRunTest, RunPrintsTheCountsAndWritesUndoFilesThatUndoRestores)
{
    tree.file("IMG_1.JPG", "photo");
    tree.file("Misc/Note.TXT", "note");
    tree.file("Misc/same.txt");
    tree.dir("Other");
    const ProcessResult r = cli({"-j", kLowerJobs, "-r", "-d", "-u", tree.path()});
    EXPECT_EQ(r.out, "Renamed 2 files and 2 folders.\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(
        tree.read("_brindlewick_undo.txt"), "misc\r\nMisc\r\nother\r\nOther\r\nimg_1.jpg\r\nIMG_1.JPG\r\n");
    EXPECT_EQ(tree.read("misc/_brindlewick_undo.txt"), "note.txt\r\nNote.TXT\r\n");
    // A folder where nothing was renamed gets no undo file.
    EXPECT_FALSE(tree.exists("other/_brindlewick_undo.txt"));

    // Undo in the parent folder renames its subfolder back but leaves the subfolder's own
    // undo file alone; that one still works afterwards.
    const ProcessResult u = cli({"--undo", tree.path()});
    EXPECT_EQ(u.out, "3 files and/or directories have been renamed.\n");
    EXPECT_EQ(u.err, "");
    EXPECT_EQ(u.exitCode, 0);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"IMG_1.JPG", "Misc", "Other"}));
    EXPECT_EQ(tree.list("Other"), std::vector<std::string> {});
    EXPECT_EQ(tree.read("Misc/_brindlewick_undo.txt"), "note.txt\r\nNote.TXT\r\n");
    const ProcessResult sub = cli({"--undo", "-q", tree.at("Misc")});
    EXPECT_EQ(sub.out, "");
    EXPECT_EQ(sub.exitCode, 0);
    EXPECT_EQ(tree.list("Misc"), (std::vector<std::string> {"Note.TXT", "same.txt"}));
    EXPECT_EQ(tree.read("Misc/Note.TXT"), "note");

    // A second undo finds no undo file and says so.
    const ProcessResult again = cli({"--undo", tree.path()});
    EXPECT_EQ(again.err,
        "brindlewick-cli: Undo file _brindlewick_undo.txt does not exist in " + tree.path()
            + ". Operation will not continue!\n"
              "Undo files are written by every run without --no-undo-file, one in each folder where "
              "something was renamed.\n");
    EXPECT_EQ(again.exitCode, 1);
}

TEST_F(CliRunTest, LogGoesToStandardOutputBeforeTheSummary)
{
    tree.file("Misc/Note.TXT", "", localTime(2004, 3, 2, 10, 0));
    tree.dir("Misc", localTime(2004, 3, 1, 18, 20));
    tree.file("IMG_1.JPG", "", localTime(2004, 3, 5, 9, 1));
    const ProcessResult r = cli({"-j", kLowerJobs, "-r", "-d", "--log", tree.path()});
    EXPECT_EQ(r.exitCode, 0);
    const std::string expected = replaceAll(readFile(kCliData + "run-log.txt"), "{ROOT}", tree.path());
    const std::regex stamp(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)");
    EXPECT_EQ(std::regex_replace(r.out, stamp, "{DATE}"), expected);
}

TEST_F(CliRunTest, ExistingTargetIsReportedOnStandardErrorAndFails)
{
    tree.file("A.txt", "first");
    tree.file("a.txt", "second");
    const ProcessResult r = cli({"-j", kLowerJobs, tree.path()});
    // The message names the entry that fails, its wanted name and why.
    EXPECT_EQ(r.err,
        "brindlewick-cli: Cannot rename A.txt to a.txt: held by a.txt, which stays. Operation will "
        "continue\n");
    // The failure is counted, and the summary says a rename failed.
    EXPECT_EQ(r.out, "Renamed 0 files and 0 folders; 1 failed.\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(tree.read("A.txt"), "first");
    EXPECT_EQ(tree.read("a.txt"), "second");
}

TEST_F(CliRunTest, ConfirmReadsTheAnswersFromStandardInput)
{
    tree.file("A.TXT");
    tree.file("B.TXT");
    tree.file("C.TXT");
    const ProcessResult r = cli({"-j", kLowerJobs, "--confirm", "-q", tree.path()}, "y\nn\n");
    EXPECT_EQ(r.err,
        "Rename file \"A.TXT\" to \"a.txt\"?\nRename file \"B.TXT\" to \"b.txt\"?\nRename file \"C.TXT\" to "
        "\"c.txt\"?\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.exitCode, 0);
    // The third question met the end of the input: no.
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"B.TXT", "C.TXT", "_brindlewick_undo.txt", "a.txt"}));
}

TEST_F(CliRunTest, UndoAfterErrorsKeepsTheFileUnlessConfirmed)
{
    tree.file("new", "1");
    tree.file("old", "2");
    tree.file("x.txt", "was a");
    tree.file("_brindlewick_undo.txt", "new\r\nold\r\nx.txt\r\na.txt\r\n");
    const ProcessResult r = cli({"--undo", tree.path()});
    EXPECT_EQ(r.err, "brindlewick-cli: Cannot rename new to old: File exists. Operation will continue\n");
    EXPECT_EQ(r.out, "1 files and/or directories have been renamed. 1 errors detected!\n");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(tree.exists("_brindlewick_undo.txt"));
    EXPECT_EQ(tree.read("a.txt"), "was a");
    // The file kept holds only the pair that failed.
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), "new\r\nold\r\n");

    // The second time, the pair that went back is not tried again; the other one fails again.
    const ProcessResult c = cli({"--undo", "--confirm", tree.path()}, "y\ny\n");
    EXPECT_EQ(c.err,
        "Operation will undo renaming in current directory.\nThen it will remove _brindlewick_undo.txt from "
        "this directory. Continue?\nbrindlewick-cli: Cannot rename new to old: File exists. Operation will "
        "continue\n"
        "Errors detected! Remove _brindlewick_undo.txt from this Dir?\n");
    EXPECT_EQ(c.out, "0 files and/or directories have been renamed. 1 errors detected!\n");
    EXPECT_EQ(c.exitCode, 1);
    EXPECT_FALSE(tree.exists("_brindlewick_undo.txt"));
}

TEST_F(CliRunTest, UndoDeclinedChangesNothing)
{
    tree.file("new");
    tree.file("_brindlewick_undo.txt", "new\nold\n");
    const ProcessResult r = cli({"--undo", "-i", tree.path()}, "n\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"_brindlewick_undo.txt", "new"}));
}

TEST_F(CliRunTest, FoldersThatDoNotExist)
{
    const ProcessResult run = cli({"-j", kLowerJobs, tree.at("missing")});
    EXPECT_EQ(run.err,
        "brindlewick-cli: cannot open folder " + tree.at("missing") + ": No such file or directory\n");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.exitCode, 1);
    const ProcessResult undo = cli({"--undo", tree.at("missing")});
    EXPECT_EQ(undo.err,
        "brindlewick-cli: Cannot change current directory to " + tree.at("missing")
            + ": No such file or directory\n");
    EXPECT_EQ(undo.exitCode, 1);
}

TEST_F(CliRunTest, EmptyJobListIsBadUsage)
{
    tree.file("A");
    const ProcessResult r = cli({"-j", kCliData + "empty.xml", tree.path()});
    EXPECT_EQ(
        r.err, "brindlewick-cli: the job list " + kCliData + "empty.xml holds no jobs: nothing to do\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(tree.exists("A"));
}

TEST_F(CliRunTest, MaskAndCounterOptions)
{
    tree.file("a.jpg");
    tree.file("b.JPG");
    tree.file("c.txt");
    tree.file("Sub/d.jpg");
    TempTree jobs;
    jobs.file("counter.xml",
        "<?xml version=\"1.0\"?><brindlewick><jobs><job type=\"jobCounter\" modifier=\"0\" int1=\"3\" "
        "int2=\"0\" str1=\"\" str2=\"\" /></jobs></brindlewick>");
    const ProcessResult r = cli({"-j", jobs.at("counter.xml"), "-m", "*.jpg", "-c", "7", "-r",
        "--reset-counter", "-q", "--no-undo-file", tree.path()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"007a.jpg", "008b.JPG", "Sub", "c.txt"}));
    EXPECT_EQ(tree.list("Sub"), (std::vector<std::string> {"007d.jpg"}));
}

/// --sort natural and natural-desc order names by the value of their numbers; name keeps the
/// designed order, digit by digit.
TEST_F(CliRunTest, NaturalSortOrders)
{
    TempTree jobs;
    jobs.file("counter.xml",
        "<?xml version=\"1.0\"?><brindlewick><jobs><job type=\"jobCounter\" modifier=\"0\" int1=\"1\" "
        "int2=\"0\" str1=\"\" str2=\"\" /></jobs></brindlewick>");
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"natural", {"0x9.txt", "1x10.txt", "2x100.txt"}},
        {"natural-desc", {"0x100.txt", "1x10.txt", "2x9.txt"}},
        {"name", {"0x10.txt", "1x100.txt", "2x9.txt"}},
    };
    for (const auto& [order, expected] : cases) {
        TempTree t;
        for (const char* name : {"x10.txt", "x9.txt", "x100.txt"})
            t.file(name);
        const ProcessResult r
            = cli({"-j", jobs.at("counter.xml"), "--sort", order, "-q", "--no-undo-file", t.path()});
        EXPECT_EQ(r.exitCode, 0) << order << ": " << r.err;
        EXPECT_EQ(t.list(), expected) << order;
    }
    const ProcessResult bad = cli({"-j", jobs.at("counter.xml"), "--sort", "numeric", tree.path()});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_NE(bad.err.find("unknown sort order: numeric (name, name-desc, natural, natural-desc, date, "
                           "date-desc, taken, taken-desc or none)"),
        std::string::npos);
}

/// A job list with a regular expression that cannot run: a run and a preview say which job and
/// why, exit 2 and change nothing; describing it works.
TEST_F(CliRunTest, RegularExpressionThatCannotRunIsBadUsage)
{
    tree.file("A.txt");
    TempTree jobs;
    jobs.file("regex.xml",
        "<?xml version=\"1.0\"?><brindlewick><jobs><job type=\"jobLower\" modifier=\"0\" int1=\"0\" "
        "int2=\"0\" str1=\"\" str2=\"\" /><job type=\"jobReplace\" modifier=\"1\" int1=\"0\" int2=\"0\" "
        "str1=\"(a\" str2=\"b\" /></jobs></brindlewick>");
    const std::string message
        = "brindlewick-cli: Invalid regular expression in job 2: missing closing parenthesis at offset 2\n";
    for (const std::vector<std::string>& args :
        {std::vector<std::string> {"-j", jobs.at("regex.xml"), tree.path()},
            {"-j", jobs.at("regex.xml"), "-n", tree.path()},
            {"-j", jobs.at("regex.xml"), "--preview", "A.txt"}}) {
        const ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << args.back();
        EXPECT_EQ(r.err, message);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(tree.list(), std::vector<std::string> {"A.txt"});
    const ProcessResult describe = cli({"-j", jobs.at("regex.xml"), "--describe"});
    EXPECT_EQ(describe.exitCode, 0);
    EXPECT_EQ(describe.out,
        "Convert all characters to lower case\nReplace regex \"(a\" with \"b\" (ignore case)\n");

    // Once it compiles, the preview shows what it does.
    jobs.file("swap.xml",
        "<?xml version=\"1.0\"?><brindlewick><jobs><job type=\"jobReplace\" modifier=\"1\" int1=\"0\" "
        "int2=\"0\" str1=\"(\\w+) - (\\w+)\" str2=\"$2 - $1\" /></jobs></brindlewick>");
    const ProcessResult swap = cli({"-j", jobs.at("swap.xml"), "--preview", "track - artist.mp3"});
    EXPECT_EQ(swap.exitCode, 0) << swap.err;
    EXPECT_EQ(swap.out, "artist - track.mp3\n");
}

/// Short options combine, the last of a group may take the next argument as its value, and
/// "--" ends the options, so a folder whose name begins with '-' can be given.
TEST_F(CliRunTest, ShortOptionsCombineAndDoubleDashEndsThem)
{
    tree.file("-n/Sub/A.TXT");
    tree.file("-n/B.TXT");
    const ProcessResult r
        = runProcess({"/bin/sh", "-c", "cd \"$1\" && exec \"$2\" --no-undo-file -rdqj \"$3\" -- -n", "sh",
            tree.path(), BRINDLE_CLI, kLowerJobs});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(tree.list("-n"), (std::vector<std::string> {"b.txt", "sub"}));
    EXPECT_EQ(tree.list("-n/sub"), (std::vector<std::string> {"a.txt"}));
}

/// A folder the program may not enter. Root ignores permissions, so the program runs as the
/// unprivileged user 65534 on a tree that user owns.
TEST_F(CliRunTest, FolderThatCannotBeEnteredIsReportedAndItsSiblingsGoOn)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to run the program as another user";
    if (::access("/usr/bin/setpriv", X_OK) != 0)
        GTEST_SKIP() << "setpriv (util-linux) is not installed";
    TempTree jobs;
    jobs.file("lower.xml", readFile(kLowerJobs));
    ::chmod(jobs.at("lower.xml").c_str(), 0644);
    tree.file("A/File.TXT");
    tree.file("Locked/Inner.TXT");
    tree.file("Z/Last.TXT");
    tree.file("Top.TXT");
    for (const char* rel :
        {"", "A", "A/File.TXT", "Locked", "Locked/Inner.TXT", "Z", "Z/Last.TXT", "Top.TXT"})
        ASSERT_EQ(::chown(tree.at(rel).c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(tree.at("Locked").c_str(), 0), 0);
    const ProcessResult r
        = runProcess({"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", BRINDLE_CLI,
            "-j", jobs.at("lower.xml"), "-r", "-d", "--no-undo-file", tree.path()});
    EXPECT_EQ(r.err, "brindlewick-cli: Cannot change to directory: locked: Permission denied\n");
    EXPECT_EQ(r.exitCode, 1);
    ::chmod(tree.at("locked").c_str(), 0755);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"a", "locked", "top.txt", "z"}));
    EXPECT_EQ(tree.list("a"), (std::vector<std::string> {"file.txt"}));
    EXPECT_EQ(tree.list("locked"), (std::vector<std::string> {"Inner.TXT"}));
    EXPECT_EQ(tree.list("z"), (std::vector<std::string> {"last.txt"}));
}

/// A job list of one regular-expression replace (case sensitive), written for a test.
std::string regexJobs(TempTree& where, const std::string& pattern, const std::string& replacement)
{
    where.file("jobs.xml",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<brindlewick><jobs><job type=\"jobReplace\" "
        "modifier=\"1\" int1=\"1\" int2=\"0\" str1=\""
            + pattern + "\" str2=\"" + replacement + "\" /></jobs></brindlewick>\n");
    return where.at("jobs.xml");
}

TEST_F(CliRunTest, ARotationIsSimulatedAndMadeAndUndone)
{
    TempTree jobs;
    const std::string rotate = regexJobs(jobs, R"(\A(?:(a)|(b)|(c))\.txt\z)", "${1:+b:}${2:+c:}${3:+a:}.txt");
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        tree.file(name, name);
    const ProcessResult sim = cli({"-j", rotate, "-n", tree.path()});
    EXPECT_EQ(
        sim.out, "a.txt -> b.txt\nb.txt -> c.txt\nc.txt -> a.txt\nWould rename 3 files and 0 folders.\n");
    EXPECT_EQ(sim.exitCode, 0);
    const ProcessResult run = cli({"-j", rotate, "-u", tree.path()});
    EXPECT_EQ(run.out, "Renamed 3 files and 0 folders.\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(tree.read("b.txt"), "a.txt");
    EXPECT_EQ(tree.read("c.txt"), "b.txt");
    EXPECT_EQ(tree.read("a.txt"), "c.txt");
    // Four steps back (one of them onto the temporary name), three files counted.
    const ProcessResult undo = cli({"--undo", tree.path()});
    EXPECT_EQ(undo.out, "3 files and/or directories have been renamed.\n");
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(tree.read("a.txt"), "a.txt");
}

TEST_F(CliRunTest, ATargetHeldOutsideTheMaskFailsInTheSimulationAsInTheRun)
{
    TempTree jobs;
    const std::string toJpg = regexJobs(jobs, R"(\Aa\.txt\z)", "b.jpg");
    tree.file("a.txt", "a");
    tree.file("b.jpg", "b");
    const ProcessResult sim = cli({"-j", toJpg, "-m", "*.txt", "-n", tree.path()});
    EXPECT_EQ(sim.out,
        "! a.txt -> b.jpg: held by b.jpg, which stays\nWould rename 0 files and 0 folders; 1 would fail "
        "(clashes: "
        "1).\n");
    EXPECT_EQ(sim.exitCode, 1);
    const ProcessResult run = cli({"-j", toJpg, "-m", "*.txt", tree.path()});
    EXPECT_EQ(run.err,
        "brindlewick-cli: Cannot rename a.txt to b.jpg: held by b.jpg, which stays. Operation will "
        "continue\n");
    EXPECT_EQ(run.out, "Renamed 0 files and 0 folders; 1 failed.\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(tree.read("b.jpg"), "b");
}

TEST_F(CliRunTest, UndoWithRecurseUndoesEveryFolderOfTheRun)
{
    tree.file("IMG_1.JPG", "photo");
    tree.file("Misc/Note.TXT", "note");
    tree.file("Misc/Deeper/X.TXT", "x");
    ASSERT_EQ(cli({"-j", kLowerJobs, "-r", "-d", "-u", "-q", tree.path()}).exitCode, 0);
    ASSERT_TRUE(tree.exists("misc/deeper/_brindlewick_undo.txt"));
    const ProcessResult u = cli({"--undo", "-r", tree.path()});
    EXPECT_EQ(u.out, "5 files and/or directories have been renamed.\n");
    EXPECT_EQ(u.err, "");
    EXPECT_EQ(u.exitCode, 0);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"IMG_1.JPG", "Misc"}));
    EXPECT_EQ(tree.list("Misc"), (std::vector<std::string> {"Deeper", "Note.TXT"}));
    EXPECT_EQ(tree.list("Misc/Deeper"), (std::vector<std::string> {"X.TXT"}));
    const ProcessResult again = cli({"--undo", "-r", tree.path()});
    EXPECT_EQ(again.err,
        "brindlewick-cli: Undo file _brindlewick_undo.txt does not exist in " + tree.path()
            + ". Operation will not continue!\n"
              "Undo files are written by every run without --no-undo-file, one in each folder where "
              "something was renamed.\n");
    EXPECT_EQ(again.exitCode, 1);
}

} // namespace
} // namespace brindle
