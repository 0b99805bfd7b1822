#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <regex>

#include <gtest/gtest.h>

#include "common/ProcessLimits.h"
#include "common/TempTree.h"
#include "jobs/JobTestUtil.h"
#include "run/RecorderHost.h"
#include "core/run/RenameRun.h"

namespace brindle
{
namespace
{

using test::localTime;
using test::makeJob;
using test::RecorderHost;
using test::TempTree;

const Job kLower = makeJob(jobLower);
/// The counter, one digit wide, appended to the name.
const Job kCounterAtEnd = makeJob(jobCounter, posEnd, 1);

class RunTest : public ::testing::Test
{
protected:
    RunResult run(RunOptions o = {})
    {
        if (o.startFolder.empty())
            o.startFolder = tree.path();
        return runRename(session, host, o, &result);
    }
    static RunOptions options(bool recurse, bool renameDirs)
    {
        RunOptions o;
        o.recurse = recurse;
        o.renameDirs = renameDirs;
        return o;
    }

    TempTree tree;
    RenameSession session;
    RecorderHost host;
    ResultTree result;
};

TEST_F(RunTest, CounterNumbersSubfoldersThenFilesThenGoesDepthFirst)
{
    tree.file("x");
    tree.file("A/a1");
    tree.file("A/a2");
    tree.file("B/b1");
    session.jobs = {kCounterAtEnd};
    const RunResult r = run(options(true, true));
    EXPECT_TRUE(r.allWentThrough(session.stats));
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"A0", "B1", "x2"}));
    EXPECT_EQ(tree.list("A0"), (std::vector<std::string> {"a13", "a24"}));
    EXPECT_EQ(tree.list("B1"), (std::vector<std::string> {"b15"}));
    EXPECT_EQ(session.stats.foldersRenamed, 2);
    EXPECT_EQ(session.stats.filesRenamed, 4);
    EXPECT_EQ(host.folders, (std::vector<std::string> {tree.path(), "A0", "B1"}));
}

TEST_F(RunTest, ResetCounterRestartsInEveryFolder)
{
    tree.file("x");
    tree.file("A/a1");
    tree.file("A/a2");
    tree.file("B/b1");
    session.jobs = {kCounterAtEnd};
    RunOptions o = options(true, true);
    o.resetCounter = true;
    o.counterStart = 7;
    run(o);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"A7", "B8", "x9"}));
    EXPECT_EQ(tree.list("A7"), (std::vector<std::string> {"a17", "a28"}));
    EXPECT_EQ(tree.list("B8"), (std::vector<std::string> {"b17"}));
}

TEST_F(RunTest, DeclinedSubfolderIsStillEnteredUnderItsOldName)
{
    tree.file("Sub/File.TXT");
    tree.file("Top.TXT");
    session.jobs = {kLower};
    RunOptions o = options(true, true);
    o.confirm = true;
    o.log = true;
    host.answers = {false, true, true};
    const RunResult r = run(o);
    EXPECT_EQ(host.questions,
        (std::vector<std::string> {"Rename directory \"Sub\" to \"sub\"?",
            "Rename file \"Top.TXT\" to \"top.txt\"?", "Rename file \"File.TXT\" to \"file.txt\"?"}));
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"Sub", "top.txt"}));
    EXPECT_EQ(tree.list("Sub"), (std::vector<std::string> {"file.txt"}));
    EXPECT_NE(std::find(host.log.begin(), host.log.end(), "+ Recursing into Sub"), host.log.end());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(r.allWentThrough(session.stats));
    EXPECT_EQ(session.stats.foldersRenamed, 0);
    EXPECT_EQ(session.stats.foldersExamined, 1);
}

TEST_F(RunTest, NaturalOrderCountsNamesByTheValueOfTheirNumbers)
{
    for (const char* name : {"a10.txt", "a9.txt", "A100.txt", "b1.txt"})
        tree.file(name);
    session.jobs = {makeJob(jobCounter, posBeforeExt, 1)};
    RunOptions o;
    o.naturalSort = true;
    run(o);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"A1002.txt", "a101.txt", "a90.txt", "b13.txt"}));

    // Without it digits compare one by one, as they always did; backwards, the reverse.
    TempTree plain;
    for (const char* name : {"a10.txt", "a9.txt", "A100.txt", "b1.txt"})
        plain.file(name);
    o.startFolder = plain.path();
    o.naturalSort = false;
    o.sortOrder = SortOrder::NameDesc;
    run(o);
    EXPECT_EQ(plain.list(), (std::vector<std::string> {"A1002.txt", "a103.txt", "a91.txt", "b10.txt"}));
}

TEST_F(RunTest, RegularExpressionThatCannotRunStopsTheRunBeforeItStarts)
{
    tree.file("Track - Artist.mp3");
    session.jobs = {kLower, makeJob(jobReplace, replaceRegex, 0, 0, "(\\w+", "$1")};
    RunOptions o;
    o.log = true;
    const RunResult r = run(o);
    EXPECT_TRUE(r.invalidJob);
    EXPECT_FALSE(r.allWentThrough(session.stats));
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {
            "Invalid regular expression in job 2: missing closing parenthesis at offset 4"}));
    EXPECT_EQ(host.started, 0);
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"Track - Artist.mp3"}));

    // Once it compiles, the run goes; a name it makes longer than a file name can be is refused.
    tree.file(std::string(200, 'x') + ".mp3");
    session.jobs[1].str1 = "(\\w+) - (\\w+)|x";
    session.jobs[1].str2 = "${2:+$2 - $1:xx}";
    host.messages.clear();
    const RunResult again = run(o);
    EXPECT_FALSE(again.invalidJob);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"artist - track.mp3", std::string(200, 'x') + ".mp3"}));
    EXPECT_EQ(again.renameFailures, 1);
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Cannot rename " + std::string(200, 'x') + ".mp3 to "
            + std::string(400, 'x') + ".mp3: a name longer than 255 bytes. Operation will continue"}));
}

TEST_F(RunTest, UnchangedNameIsOnlyCounted)
{
    tree.file("lower.txt");
    session.jobs = {kLower};
    RunOptions o;
    o.confirm = true;
    o.undo = true;
    run(o);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_FALSE(tree.exists("_brindlewick_undo.txt"));
    EXPECT_EQ(session.stats.filesExamined, 1);
    EXPECT_EQ(session.stats.filesRenamed, 0);
}

TEST_F(RunTest, ExistingTargetIsReportedAndBothFilesAreKept)
{
    tree.file("A.txt", "first");
    tree.file("a.txt", "second");
    tree.file("B.txt", "third");
    session.jobs = {kLower};
    RunOptions o;
    o.undo = true;
    o.log = true;
    const RunResult r = run(o);
    // The message names the entry that fails, its wanted name and why.
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {
            "Cannot rename A.txt to a.txt: held by a.txt, which stays. Operation will continue"}));
    EXPECT_EQ(tree.read("A.txt"), "first");
    EXPECT_EQ(tree.read("a.txt"), "second");
    EXPECT_EQ(tree.read("b.txt"), "third");
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), "b.txt\r\nB.txt\r\n");
    EXPECT_EQ(r.renameFailures, 1);
    // The failure shows in the Errors figure, and the log says what failed and why: the plan
    // knows it before anything is tried.
    EXPECT_EQ(session.stats.errorCount, 1);
    EXPECT_EQ(host.progress.back().errorCount, 1);
    EXPECT_NE(std::find(host.log.begin(), host.log.end(),
                  "! Cannot rename A.txt to a.txt: held by a.txt, which stays"),
        host.log.end());
    EXPECT_EQ(session.stats.filesExamined, 3);
    EXPECT_EQ(session.stats.filesRenamed, 1);
    EXPECT_FALSE(r.allWentThrough(session.stats));
}

struct BadNameCase {
    const char* label;
    std::string oldName;
    Job job;
    std::string newName;
    friend void PrintTo(const BadNameCase& c, std::ostream* os) { *os << c.label; }
};

class BadNewNameTest : public RunTest, public ::testing::WithParamInterface<BadNameCase>
{
};

TEST_P(BadNewNameTest, IsRefusedAndTheRunGoesOn)
{
    const BadNameCase& c = GetParam();
    tree.file("Sub/" + c.oldName, "data");
    session.jobs = {c.job};
    RunOptions o = options(true, false);
    o.undo = true;
    const RunResult r = run(o);
    // The message names the entry, the name refused and why.
    ASSERT_EQ(host.messages.size(), 1u);
    const std::string& m = host.messages[0];
    EXPECT_TRUE(m.starts_with("Cannot rename " + c.oldName + " to " + c.newName + ": ")) << m;
    EXPECT_TRUE(m.ends_with(". Operation will continue")) << m;
    EXPECT_GT(m.size(), c.oldName.size() + c.newName.size() + 44) << m;
    EXPECT_EQ(tree.read("Sub/" + c.oldName), "data");
    // Nothing was renamed, so no undo file was made.
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"Sub"}));
    EXPECT_EQ(tree.list("Sub"), (std::vector<std::string> {c.oldName}));
    EXPECT_EQ(r.renameFailures, 1);
    EXPECT_EQ(host.finished, 1);
}

INSTANTIATE_TEST_SUITE_P(Table, BadNewNameTest,
    ::testing::Values(BadNameCase {"Empty", "abc", makeJob(jobRemove, posBegin, 5), ""},
        BadNameCase {"Dot", "x", makeJob(jobReplace, replaceText, 1, 0, "x", "."), "."},
        BadNameCase {"DotDot", "xx", makeJob(jobReplace, replaceText, 1, 0, "x", "."), ".."},
        BadNameCase {"Slash", "ab", makeJob(jobReplace, replaceText, 1, 0, "b", "/b"), "a/b"},
        BadNameCase {"ParentPath", "ab", makeJob(jobInsert, posBegin, 0, 0, "../"), "../ab"},
        BadNameCase {"Nul", "ab", makeJob(jobReplace, replaceText, 1, 0, "b", std::string(1, '\0')),
            std::string("a\0", 2)},
        BadNameCase {"TooLong", "short", makeJob(jobInsert, posEnd, 0, 0, std::string(251, 'x')),
            "short" + std::string(251, 'x')},
        BadNameCase {"UndoFileName", "notes.txt",
            makeJob(jobReplace, replaceText, 1, 0, "notes.txt", "_brindlewick_undo.txt"),
            "_brindlewick_undo.txt"}),
    [](const ::testing::TestParamInfo<BadNameCase>& info) { return info.param.label; });

TEST_F(RunTest, OddNamesAreRenamedAndRecordedByteForByte)
{
    tree.file("\xff\xfe"
              "ABC");
    tree.file(std::string(255, 'L'));
    session.jobs = {kLower};
    RunOptions o;
    o.undo = true;
    o.sort = false;
    const RunResult r = run(o);
    EXPECT_TRUE(r.allWentThrough(session.stats));
    EXPECT_TRUE(tree.exists("\xff\xfe"
                            "abc"));
    EXPECT_TRUE(tree.exists(std::string(255, 'l')));
    const std::string undo = tree.read("_brindlewick_undo.txt");
    EXPECT_NE(undo.find("\xff\xfe"
                        "abc\r\n\xff\xfe"
                        "ABC\r\n"),
        std::string::npos);
    EXPECT_NE(undo.find(std::string(255, 'l') + "\r\n" + std::string(255, 'L') + "\r\n"), std::string::npos);
    EXPECT_EQ(undo.size(), 2 * (5 + 2) + 2 * (255 + 2));
}

TEST_F(RunTest, ANameWithALineFeedIsRenamedOnlyWithoutAnUndoFile)
{
    tree.file("New\nLine");
    session.jobs = {kLower};
    RunOptions o;
    o.undo = true;
    run(o);
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Cannot rename New\nLine to new\nline: a line feed, which the undo file "
                                   "cannot record. Operation will continue"}));
    EXPECT_TRUE(tree.exists("New\nLine"));
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), "");

    RecorderHost second;
    RunOptions plain;
    plain.startFolder = tree.path();
    runRename(session, second, plain);
    EXPECT_TRUE(second.messages.empty());
    EXPECT_TRUE(tree.exists("new\nline"));
}

TEST_F(RunTest, UndoFileRecordsSubfoldersThenFiles)
{
    tree.file("IMG_1.JPG");
    tree.file("Misc/same.txt");
    tree.file("_Brindlewick_Undo.TXT");
    session.jobs = {kLower};
    RunOptions o = options(true, true);
    o.undo = true;
    run(o);
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), "misc\r\nMisc\r\nimg_1.jpg\r\nIMG_1.JPG\r\n");
    // A name that differs from the undo file's in case only is listed and renamed like any
    // other, and the undo file is not replaced by it.
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {
            "Cannot rename _Brindlewick_Undo.TXT to _brindlewick_undo.txt: the name of the undo "
            "file. Operation will continue"}));
    EXPECT_TRUE(tree.exists("_Brindlewick_Undo.TXT"));
    // A folder where nothing was renamed gets no undo file.
    EXPECT_FALSE(tree.exists("misc/_brindlewick_undo.txt"));
}

TEST_F(RunTest, TheLogOfARunLineByLine)
{
    tree.file("IMG_1.JPG", "", localTime(2004, 3, 5, 9, 1));
    tree.dir("Misc", localTime(2004, 3, 1, 18, 20));
    session.jobs = {kLower};
    RunOptions o = options(true, false);
    o.sort = false;
    o.log = true;
    run(o);
    const std::string stamp = R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)";
    ASSERT_EQ(host.log.size(), 13u);
    EXPECT_TRUE(std::regex_match(host.log[0], std::regex("---- " + stamp + " ---- Starting Renaming in .*")))
        << host.log[0];
    EXPECT_EQ(host.log[0].substr(host.log[0].size() - tree.path().size()), tree.path());
    const std::vector<std::string> middle(host.log.begin() + 1, host.log.begin() + 11);
    // The new name follows the entry's line; a folder entered under its own name has no brackets.
    EXPECT_EQ(middle,
        (std::vector<std::string> {"> Changing to " + tree.path(), "- Added directory 01/03/2004 18:20 Misc",
            "- Added file 05/03/2004 09:01 IMG_1.JPG", "* Renaming file IMG_1.JPG", "* New name img_1.jpg",
            "+ Recursing Directories...", "+ Recursing into Misc", "   > Changing to Misc",
            "   + Recursing Directories...", ""}));
    EXPECT_TRUE(
        std::regex_match(host.log[11], std::regex("---- " + stamp + " ---- Finished Renaming in .*")));
    EXPECT_EQ(host.log[12], std::string(80, '-'));
}

// The log draws its lines with an 8-bit count of characters.
TEST(repeatChar, CountIsTakenModulo256)
{
    EXPECT_EQ(repeatChar(0, ' '), "");
    EXPECT_EQ(repeatChar(80, '-'), std::string(80, '-'));
    EXPECT_EQ(repeatChar(255, 'x').size(), 255u);
    EXPECT_EQ(repeatChar(256, 'x'), "");
    EXPECT_EQ(repeatChar(258, ' '), "  ");
}

TEST_F(RunTest, TheLogOfASimulationWithSorting)
{
    tree.file("b.TXT", "", localTime(2004, 3, 5, 9, 1));
    tree.dir("Sub", localTime(2004, 3, 1, 18, 20));
    session.jobs = {kLower};
    RunOptions o = options(false, true);
    o.simulation = true;
    o.log = true;
    run(o);
    const std::vector<std::string> body(host.log.begin() + 1, host.log.end() - 3);
    EXPECT_EQ(body,
        (std::vector<std::string> {"> Changing to " + tree.path(), "- Added directory 01/03/2004 18:20 Sub",
            "+ Sorting directories...", "* Renaming directory Sub", "* New name sub", "* Added Tree Index 0",
            "- Added file 05/03/2004 09:01 b.TXT", "+ Sorting files...", "* Renaming file b.TXT",
            "* New name b.txt"}));
}

TEST_F(RunTest, SimulationChangesNothingAndMarksClashes)
{
    tree.file("a.TXT");
    tree.file("A.txt");
    tree.file("Sub/X.TXT");
    session.jobs = {kLower};
    RunOptions o = options(true, false);
    o.simulation = true;
    o.confirm = true;
    o.undo = true;
    const RunResult r = run(o);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"A.txt", "Sub", "a.TXT"}));
    EXPECT_EQ(tree.list("Sub"), (std::vector<std::string> {"X.TXT"}));
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(session.stats.errorCount, 1);
    // Counted as the real run counts: the entry that would fail is not renamed.
    EXPECT_EQ(session.stats.filesRenamed, 2);
    EXPECT_EQ(session.stats.foldersExamined, 0);
    EXPECT_FALSE(r.allWentThrough(session.stats));
    // Sorted by name with case ignored, the two files compare equal: either may come first.
    const std::string text = result.toText();
    EXPECT_TRUE(text
            == tree.path()
                + "\n  = Sub/\n    ~ x.txt\n  ~ a.txt\n  ! a.txt (was \"A.txt\"): also the new name of "
                  "a.TXT, "
                  "which comes first\n"
        || text
            == tree.path()
                + "\n  = Sub/\n    ~ x.txt\n  ~ a.txt\n  ! a.txt (was \"a.TXT\"): also the new name of "
                  "A.txt, "
                  "which comes first\n")
        << text;
    EXPECT_EQ(host.resultNodes, 4);
}

TEST_F(RunTest, ProgressSplitsEachFoldersShareAndEndsFull)
{
    tree.file("S/s.TXT");
    tree.file("t.TXT");
    session.jobs = {kLower};
    run(options(true, true));
    std::vector<double> steps;
    for (const RunStats& s : host.progress)
        steps.push_back(s.runProgress);
    const std::vector<double> expected {0.05, 0.10, 0.145, 0.19, 1.0};
    ASSERT_EQ(steps.size(), expected.size());
    for (std::size_t i = 0; i < steps.size(); ++i)
        EXPECT_NEAR(steps[i], expected[i], 1e-9) << i;
}

TEST_F(RunTest, WithoutRenamingSubfoldersTheFolderCountsStayZero)
{
    tree.file("Sub/f");
    session.jobs = {makeJob(jobUpper)};
    run(options(true, false));
    EXPECT_EQ(session.stats.foldersExamined, 0);
    EXPECT_EQ(session.stats.foldersRenamed, 0);
    EXPECT_EQ(session.stats.filesRenamed, 1);
    EXPECT_TRUE(tree.exists("Sub/F"));
    EXPECT_NEAR(session.stats.runProgress, 1.0, 1e-9);
}

// The totals the progress shows are what the plans of the folders entered so far will rename:
// never below what was renamed or failed at any report, and their sum at the end.
class ToRenameTotalsTest : public ::testing::TestWithParam<bool>
{
};

TEST_P(ToRenameTotalsTest, GrowFolderByFolderAndEndAsRenamedPlusFailed)
{
    struct Host : RecorderHost {
        std::int32_t filesFailed = 0;
        std::int32_t foldersFailed = 0;
        /// Reports whose totals were below what was already renamed or failed.
        int below = 0;
        void entryDone(const EntryOutcome& e) override
        {
            if (e.verdict == Verdict::Failed)
                ++(e.kind == EntryKind::Folder ? foldersFailed : filesFailed);
        }
        void updateProgress(const RunStats& s) override
        {
            RecorderHost::updateProgress(s);
            below += s.filesRenamed + filesFailed > s.filesToRename
                || s.foldersRenamed + foldersFailed > s.foldersToRename;
        }
    } host;
    TempTree tree;
    // Renamed, held by an entry that stays, unchanged; a subfolder renamed with its own.
    tree.file("A.txt");
    tree.file("a.txt");
    tree.file("B.txt");
    tree.file("c.txt");
    tree.file("Sub/X.TXT");
    tree.file("Sub/Y.TXT");
    tree.file("Sub/y.txt");
    tree.file("Sub/Deep/F1");
    tree.file("Sub/Deep/F2");
    tree.file("Sub/Deep/g");
    tree.dir("Sub/Deep/Inner");
    RenameSession session;
    session.jobs = {kLower};
    RunOptions o;
    o.startFolder = tree.path();
    o.recurse = true;
    o.renameDirs = true;
    o.reportEntries = true;
    o.simulation = GetParam();
    ResultTree result;
    runRename(session, host, o, &result);

    EXPECT_EQ(host.below, 0);
    ASSERT_FALSE(host.progress.empty());
    // The starting folder's plan first: B.txt and A.txt (held), Sub.
    EXPECT_EQ(host.progress.front().filesToRename, 2);
    EXPECT_EQ(host.progress.front().foldersToRename, 1);
    const RunStats& last = session.stats;
    EXPECT_EQ(last.filesToRename, 6);
    EXPECT_EQ(last.foldersToRename, 3);
    EXPECT_EQ(last.filesToRename, last.filesRenamed + host.filesFailed);
    EXPECT_EQ(last.foldersToRename, last.foldersRenamed + host.foldersFailed);
    EXPECT_EQ(host.filesFailed, 2);
}

INSTANTIATE_TEST_SUITE_P(RunAndSimulation, ToRenameTotalsTest, ::testing::Bool(),
    [](const auto& info) { return info.param ? std::string("Simulation") : std::string("Run"); });

TEST_F(RunTest, EmptyJobListDoesNothingButSaySo)
{
    tree.file("A");
    const RunResult r = run();
    EXPECT_TRUE(r.nothingToDo);
    EXPECT_EQ(host.messages, (std::vector<std::string> {std::string(kNothingToDo)}));
    EXPECT_EQ(host.started, 0);
    EXPECT_EQ(host.finished, 0);
}

TEST_F(RunTest, LinksAreRenamedAsFilesAndNeverEntered)
{
    tree.file("Real/Inner.TXT");
    tree.symlink("Real", "LinkDir");
    session.jobs = {kLower};
    run(options(true, true));
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"linkdir", "real"}));
    EXPECT_EQ(tree.list("real"), (std::vector<std::string> {"inner.txt"}));
    EXPECT_EQ(session.stats.filesExamined, 2);
    EXPECT_EQ(session.stats.foldersExamined, 1);
}

TEST_F(RunTest, HiddenFilesStayHiddenFoldersAreWalked)
{
    tree.file(".Hidden.TXT");
    tree.file(".Folder/X.TXT");
    session.jobs = {kLower};
    run(options(true, true));
    EXPECT_EQ(tree.list(), (std::vector<std::string> {".Hidden.TXT", ".folder"}));
    EXPECT_EQ(tree.list(".folder"), (std::vector<std::string> {"x.txt"}));
}

TEST_F(RunTest, SortsByDateWhenAsked)
{
    tree.file("z", "", localTime(2001, 1, 1, 0, 0));
    tree.file("a", "", localTime(2003, 1, 1, 0, 0));
    tree.file("m", "", localTime(2002, 1, 1, 0, 0));
    session.jobs = {makeJob(jobCounter, posBegin, 1)};
    RunOptions o;
    o.sortOrder = SortOrder::DateDesc;
    run(o);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"0a", "1m", "2z"}));
}

TEST_F(RunTest, CancelStopsBeforeTheNextEntryAndClosesTheUndoFile)
{
    for (const char* name : {"A", "B", "C", "D", "E"})
        tree.file(name);
    tree.file("Sub/F");
    session.jobs = {kLower};
    std::string undoSeenMidRun;
    host.cancelWhen = [&] {
        if (session.stats.filesRenamed < 2)
            return false;
        if (undoSeenMidRun.empty())
            undoSeenMidRun = tree.read("_brindlewick_undo.txt");
        return true;
    };
    RunOptions o = options(true, false);
    o.undo = true;
    o.log = true;
    const RunResult r = run(o);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(
        tree.list(), (std::vector<std::string> {"C", "D", "E", "Sub", "_brindlewick_undo.txt", "a", "b"}));
    EXPECT_EQ(tree.list("Sub"), (std::vector<std::string> {"F"}));
    // Each pair reached the file as soon as its rename was made.
    EXPECT_EQ(undoSeenMidRun, "a\r\nA\r\nb\r\nB\r\n");
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), "a\r\nA\r\nb\r\nB\r\n");
    ASSERT_GE(host.log.size(), 4u);
    // The log says how far the run came: two renamed, three files of the folder not reached.
    EXPECT_EQ(host.log[host.log.size() - 4],
        "+ Renaming cancelled: 2 files and 0 folders renamed, 3 entries of the folders entered not reached");
    EXPECT_EQ(host.log.back(), std::string(80, '-'));
    EXPECT_EQ(host.finished, 1);
    EXPECT_TRUE(host.lastResult.cancelled);
}

TEST_F(RunTest, AFolderWhoseUndoFileCannotBeMadeIsLeftUnrenamedAndTheRunGoesOn)
{
    tree.file("top.TXT");
    tree.file("A/f.TXT");
    tree.dir("A/_brindlewick_undo.txt");
    tree.file("B/g.TXT");
    session.jobs = {kLower};
    RunOptions o = options(true, false);
    o.undo = true;
    o.log = true;
    const RunResult r = run(o);
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Cannot create A/_brindlewick_undo.txt: Is a directory. Nothing in this "
                                   "directory is renamed. Operation will continue"}));
    EXPECT_EQ(r.undoFilesNotMade, 1);
    EXPECT_EQ(session.stats.errorCount, 1);
    EXPECT_TRUE(tree.exists("top.txt"));
    EXPECT_TRUE(tree.exists("A/f.TXT"));
    EXPECT_TRUE(tree.exists("B/g.txt"));
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), "top.txt\r\ntop.TXT\r\n");
    EXPECT_EQ(tree.read("B/_brindlewick_undo.txt"), "g.txt\r\ng.TXT\r\n");
    EXPECT_NE(std::find(host.log.begin(), host.log.end(),
                  "   ! Cannot create A/_brindlewick_undo.txt: Is a directory; nothing in this directory is "
                  "renamed"),
        host.log.end());
    EXPECT_EQ(host.finished, 1);
    EXPECT_FALSE(r.allWentThrough(session.stats));
}

TEST_F(RunTest, SubfoldersLeftUnrenamedForWantOfAnUndoFileAreEnteredUnderTheirOwnNames)
{
    // The top folder cannot have its undo file, so neither subfolder is renamed; the walk must
    // still find both under the names they keep, and rename inside them.
    tree.dir("_brindlewick_undo.txt");
    tree.file("A/x.TXT");
    tree.file("B/y.TXT");
    session.jobs = {kLower};
    RunOptions o = options(true, true);
    o.undo = true;
    const RunResult r = run(o);
    EXPECT_EQ(r.foldersNotEntered, 0);
    EXPECT_EQ(host.messages.size(), 1u); // the undo file that cannot be made, nothing else
    EXPECT_TRUE(tree.exists("A/x.txt"));
    EXPECT_TRUE(tree.exists("B/y.txt"));
    EXPECT_EQ(session.stats.foldersRenamed, 0);
}

TEST_F(RunTest, UndoFileWriteFailureStopsTheRunWithTheSystemsText)
{
    for (const char* name : {"A", "B", "C", "D"})
        tree.file(name);
    tree.file("Sub/E");
    session.jobs = {kLower};
    RunOptions o = options(true, false);
    o.undo = true;
    o.sort = true;
    // A file size limit of 8 bytes lets the first pair ("a\r\nA\r\n", 6 bytes) through and
    // makes the second write fail.
    RunResult r;
    {
        test::FileSizeLimit limit(8);
        r = run(o);
    }
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(
        host.messages, (std::vector<std::string> {tree.path() + "/_brindlewick_undo.txt: File too large"}));
    // The rename whose pair could not be written was taken back; nothing after it was made.
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"B", "C", "D", "Sub", "_brindlewick_undo.txt", "a"}));
    EXPECT_EQ(tree.list("Sub"), (std::vector<std::string> {"E"}));
    // The half-written second pair was taken back: the file holds whole pairs only.
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), "a\r\nA\r\n");
    EXPECT_EQ(session.stats.filesRenamed, 1);
    EXPECT_EQ(host.finished, 1);
}

TEST_F(RunTest, AFolderThatVanishesIsReportedOnceAndItsSiblingsGoOn)
{
    tree.file("A/a.TXT");
    tree.dir("B");
    tree.file("C/c.TXT");
    tree.file("x.TXT");
    session.jobs = {kLower};
    bool removed = false;
    host.cancelWhen = [&] {
        if (!removed)
            removed = ::rmdir(tree.at("B").c_str()) == 0;
        return false;
    };
    const RunResult r = run(options(true, false));
    EXPECT_TRUE(removed);
    EXPECT_EQ(host.messages, (std::vector<std::string> {"Cannot change to directory: B"}));
    EXPECT_EQ(r.foldersNotEntered, 1);
    EXPECT_TRUE(tree.exists("A/a.txt"));
    EXPECT_TRUE(tree.exists("C/c.txt"));
    EXPECT_LT(session.stats.runProgress, 0.99);
}

TEST_F(RunTest, AStartingFolderThatCannotBeEnteredEndsTheRunNormally)
{
    session.jobs = {kLower};
    RunOptions o;
    o.startFolder = tree.at("missing");
    o.log = true;
    const RunResult r = run(o);
    EXPECT_EQ(
        host.messages, (std::vector<std::string> {"Cannot change to directory: " + tree.at("missing")}));
    EXPECT_EQ(r.foldersNotEntered, 1);
    EXPECT_EQ(host.finished, 1);
    EXPECT_EQ(host.log.back(), std::string(80, '-'));
}

TEST_F(RunTest, LogIndentWrapsAtAnEightBitCount)
{
    // 86 levels deep: 3 x 86 = 258 blanks, taken modulo 256.
    std::string path;
    for (int i = 0; i < 86; ++i)
        path += (i ? "/" : "") + std::string("d");
    tree.dir(path);
    session.jobs = {kLower};
    RunOptions o = options(true, false);
    o.log = true;
    run(o);
    EXPECT_NE(std::find(host.log.begin(), host.log.end(), "   > Changing to d"), host.log.end());
    EXPECT_NE(std::find(host.log.begin(), host.log.end(), std::string(255, ' ') + "> Changing to d"),
        host.log.end());
    EXPECT_NE(std::find(host.log.begin(), host.log.end(), "  > Changing to d"), host.log.end());
}

TEST_F(RunTest, AnUndoFileWithAnotherHardLinkIsReplacedNeverWrittenInto)
{
    // The old undo file is also a file outside the tree, as ln or a snapshot made with cp -al
    // leaves it: the run gives the folder a new undo file and the other name keeps its bytes.
    TempTree outside;
    outside.file("keep.txt", "precious\r\nbytes\r\n");
    tree.file("A.TXT");
    ASSERT_EQ(::link(outside.at("keep.txt").c_str(), tree.at("_brindlewick_undo.txt").c_str()), 0);
    session.jobs = {kLower};
    RunOptions o;
    o.undo = true;
    EXPECT_TRUE(run(o).allWentThrough(session.stats));
    EXPECT_EQ(outside.read("keep.txt"), "precious\r\nbytes\r\n");
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), "a.txt\r\nA.TXT\r\n");
    struct stat kept;
    struct stat made;
    ASSERT_EQ(::stat(outside.at("keep.txt").c_str(), &kept), 0);
    ASSERT_EQ(::stat(tree.at("_brindlewick_undo.txt").c_str(), &made), 0);
    EXPECT_NE(kept.st_ino, made.st_ino);
    EXPECT_EQ(kept.st_nlink, 1u);
}

TEST_F(RunTest, TheUndoFilesNameIsRefusedAndASimulationMarksIt)
{
    tree.file("notes.txt", "milk");
    session.jobs = {makeJob(jobReplace, replaceText, 1, 0, "notes.txt", "_brindlewick_undo.txt")};
    RunOptions sim;
    sim.simulation = true;
    const RunResult simulated = run(sim);
    EXPECT_EQ(result.toText(),
        tree.path() + "\n  ! _brindlewick_undo.txt (was \"notes.txt\"): the name of the undo file\n");
    EXPECT_EQ(session.stats.errorCount, 1);
    EXPECT_EQ(simulated.namesRefused, 1);
    EXPECT_FALSE(simulated.allWentThrough(session.stats));

    // The real run refuses it, undo files or not.
    const RunResult real = run();
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Cannot rename notes.txt to _brindlewick_undo.txt: the name of the undo "
                                   "file. Operation will continue"}));
    EXPECT_EQ(real.renameFailures, 1);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"notes.txt"}));
    EXPECT_EQ(tree.read("notes.txt"), "milk");
}

TEST_F(RunTest, AFolderWhereNothingIsRenamedKeepsItsUndoFile)
{
    tree.file("A.JPG");
    tree.file("C.TXT");
    tree.file("c.txt");
    session.jobs = {kLower};
    RunOptions o;
    o.undo = true;
    o.mask = "*.JPG";
    run(o);
    const std::string first = "a.jpg\r\nA.JPG\r\n";
    ASSERT_EQ(tree.read("_brindlewick_undo.txt"), first);
    // A second run with another mask renames nothing; a third fails on its only rename.
    for (const char* mask : {"*.PNG", "C.TXT"}) {
        o.mask = mask;
        run(o);
        EXPECT_EQ(tree.read("_brindlewick_undo.txt"), first) << mask;
    }
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {
            "Cannot rename C.TXT to c.txt: held by c.txt, which stays. Operation will continue"}));
    // The first run can still be undone.
    RecorderHost undoHost;
    EXPECT_EQ(undoFolder(tree.path(), undoHost).renamed, 1);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"A.JPG", "C.TXT", "c.txt"}));
}

/// A chain of depth folders below root, each named d; the file F is in the first fileLevels
/// folders and in the deepest. It is made with mkdirat from the folder above, so no path
/// grows with the depth. (Changes deep down cost the kernel time in proportion to the depth,
/// so the test makes few of them there.)
void makeChain(const std::string& root, int depth, int fileLevels)
{
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    for (int i = 0; i <= depth; ++i) {
        if (i < fileLevels || i == depth) {
            const int file = ::openat(fd, "F", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            ASSERT_GE(file, 0) << i;
            ::close(file);
        }
        if (i == depth)
            break;
        ASSERT_EQ(::mkdirat(fd, "d", 0755), 0) << i;
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        ASSERT_GE(fd = next, 0) << i;
    }
    ::close(fd);
}

/// What going down the chain finds: its depth, and how many levels hold a file by the name
/// file and an undo file.
struct Chain {
    int depth = 0;
    int files = 0;
    int undoFiles = 0;
};

Chain readChain(const std::string& root, const char* file)
{
    Chain chain;
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd >= 0) {
        struct stat st;
        chain.files += ::fstatat(fd, file, &st, AT_SYMLINK_NOFOLLOW) == 0 ? 1 : 0;
        chain.undoFiles += ::fstatat(fd, "_brindlewick_undo.txt", &st, AT_SYMLINK_NOFOLLOW) == 0 ? 1 : 0;
        const int child = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = child;
        chain.depth += fd >= 0 ? 1 : 0;
    }
    return chain;
}

/// Open descriptors limited to a few dozen for as long as it lives.
class FewDescriptors
{
public:
    explicit FewDescriptors(rlim_t limit)
    {
        ::getrlimit(RLIMIT_NOFILE, &m_saved);
        struct rlimit low = m_saved;
        low.rlim_cur = std::min(limit, m_saved.rlim_cur);
        ::setrlimit(RLIMIT_NOFILE, &low);
    }
    ~FewDescriptors() { ::setrlimit(RLIMIT_NOFILE, &m_saved); }
    FewDescriptors(const FewDescriptors&) = delete;
    FewDescriptors& operator=(const FewDescriptors&) = delete;

private:
    struct rlimit m_saved {
    };
};

using DeepTreeTest = ::testing::TestWithParam<bool>;

TEST_P(DeepTreeTest, FiftyThousandLevelsWithFewDescriptors)
{
    constexpr int kDepth = 50000;
    constexpr int kFileLevels = 1000;
    TempTree tree(test::memoryTempBase());
    makeChain(tree.path(), kDepth, kFileLevels);
    RenameSession session;
    session.jobs = {kLower};
    RunOptions o;
    o.startFolder = tree.path();
    o.recurse = true;
    o.undo = true;
    o.simulation = GetParam();
    RecorderHost host;
    ResultTree result;
    RunResult r;
    {
        // The walk holds a bounded number of folders open, whatever the depth.
        FewDescriptors few(64);
        r = runRename(session, host, o, &result);
    }
    EXPECT_TRUE(r.allWentThrough(session.stats));
    EXPECT_TRUE(host.messages.empty()) << host.messages.front();
    EXPECT_EQ(host.folders.size(), static_cast<std::size_t>(kDepth + 1));
    EXPECT_EQ(session.stats.filesRenamed, kFileLevels + 1);
    EXPECT_EQ(readChain(tree.path(), "d").depth, kDepth);
    if (o.simulation) {
        EXPECT_EQ(readChain(tree.path(), "F").files, kFileLevels + 1);
        EXPECT_EQ(readChain(tree.path(), "F").undoFiles, 0);
        // Every folder's node, and the deepest file's last of all.
        ASSERT_EQ(result.size(), static_cast<std::size_t>(kDepth + kFileLevels + 2));
        const ResultNode& deepest = result.node(static_cast<std::int32_t>(result.size() - 1));
        EXPECT_EQ(deepest.text, "f");
        EXPECT_EQ(deepest.state, ResultState::Renamed);
    } else {
        // Every file was renamed and recorded in its folder's own undo file.
        const Chain chain = readChain(tree.path(), "f");
        EXPECT_EQ(chain.files, kFileLevels + 1);
        EXPECT_EQ(chain.undoFiles, kFileLevels + 1);
        // Undo of the whole tree walks it the same way, and gives every name back.
        RecorderHost undoHost;
        UndoResult u;
        {
            FewDescriptors few(64);
            u = undoTree(tree.path(), undoHost);
        }
        EXPECT_EQ(u.renamed, kFileLevels + 1);
        EXPECT_EQ(u.folders, kFileLevels + 1);
        EXPECT_TRUE(undoHost.messages.empty()) << undoHost.messages.front();
        const Chain restored = readChain(tree.path(), "F");
        EXPECT_EQ(restored.files, kFileLevels + 1);
        EXPECT_EQ(restored.undoFiles, 0);
        EXPECT_EQ(restored.depth, kDepth);
    }
}

INSTANTIATE_TEST_SUITE_P(RealAndSimulated, DeepTreeTest, ::testing::Bool(),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Simulation" : "RealRun"; });

} // namespace
} // namespace brindle
