#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "common/TestName.h"
#include "common/TempTree.h"
#include "common/TreeSnapshot.h"
#include "run/FailingFolderRead.h"
#include "run/RecorderHost.h"
#include "core/run/RenameRun.h"
#include "core/run/UndoFile.h"

namespace brindle
{
namespace
{

using test::RecorderHost;
using test::TempTree;

/// A string literal with its NUL bytes.
template <std::size_t N> std::string bytes(const char (&s)[N])
{
    return std::string(s, N - 1);
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

struct ParseCase {
    std::string content;
    Pairs pairs;
    friend void PrintTo(const ParseCase& c, std::ostream* os) { *os << brindle::test::quoted(c.content); }
};

using ParseUndoTest = ::testing::TestWithParam<ParseCase>;

TEST_P(ParseUndoTest, Pairs)
{
    EXPECT_EQ(parseUndoPairs(GetParam().content), GetParam().pairs);
}

INSTANTIATE_TEST_SUITE_P(Table, ParseUndoTest,
    ::testing::Values(ParseCase {"", {}}, ParseCase {"a\r\nb\r\n", {{"a", "b"}}},
        ParseCase {"a\nb\n", {{"a", "b"}}}, ParseCase {"a\r\nb", {{"a", "b"}}},
        ParseCase {"a\r\nb\r\nc\r\n", {{"a", "b"}, {"c", ""}}}, ParseCase {"\r\n\r\n", {{"", ""}}},
        ParseCase {"a\n\nb\n", {{"a", ""}, {"b", ""}}},
        // A carriage return inside a name, or before the CR LF, belongs to the name.
        ParseCase {"a\r\r\nb\rc\r\n", {{"a\r", "b\rc"}}},
        ParseCase {std::string("x\0y\r\nz\r\n", 8), {{std::string("x\0y", 3), "z"}}}));

class UndoFileTest : public ::testing::Test
{
protected:
    void SetUp() override { dir = openFolder(AT_FDCWD, tree.path(), true); }
    UndoResult undo() { return undoFolder(tree.path(), host); }
    TempTree tree;
    Fd dir;
    RecorderHost host;
};

TEST_F(UndoFileTest, WritesEachPairAsItComesWithCrLf)
{
    UndoFileWriter w;
    ASSERT_EQ(w.create(dir.get()), 0);
    ASSERT_EQ(w.add("misc", "Misc"), 0);
    // Handed to the kernel at once: a run killed now keeps this pair.
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), "misc\r\nMisc\r\n");
    ASSERT_EQ(w.add("img_1.jpg", "IMG_1.JPG"), 0);
    EXPECT_EQ(w.close(), 0);
    EXPECT_FALSE(w.isOpen());
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), "misc\r\nMisc\r\nimg_1.jpg\r\nIMG_1.JPG\r\n");
}

TEST_F(UndoFileTest, CreateEmptiesAnEarlierFile)
{
    tree.file("_brindlewick_undo.txt", "old\r\nstuff\r\n");
    UndoFileWriter w;
    ASSERT_EQ(w.create(dir.get()), 0);
    EXPECT_EQ(w.close(), 0);
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), "");
}

TEST_F(UndoFileTest, CreateRefusesALinkAFolderAndAPipe)
{
    TempTree elsewhere;
    elsewhere.file("precious", "keep me");
    tree.symlink(elsewhere.at("precious"), "_brindlewick_undo.txt");
    UndoFileWriter w;
    EXPECT_EQ(w.create(dir.get()), ELOOP);
    EXPECT_EQ(elsewhere.read("precious"), "keep me");

    TempTree other;
    other.dir("_brindlewick_undo.txt");
    Fd otherDir = openFolder(AT_FDCWD, other.path(), true);
    EXPECT_EQ(w.create(otherDir.get()), EISDIR);

    TempTree third;
    ASSERT_EQ(::mkfifo(third.at("_brindlewick_undo.txt").c_str(), 0644), 0);
    Fd thirdDir = openFolder(AT_FDCWD, third.path(), true);
    EXPECT_NE(w.create(thirdDir.get()), 0); // no reader: refused at once, not blocked
    EXPECT_FALSE(w.isOpen());
}

TEST_F(UndoFileTest, UndoesTheLastRenameFirst)
{
    // a.txt became x.txt, then b.txt took the freed name a.txt.
    tree.file("x.txt", "was a");
    tree.file("a.txt", "was b");
    tree.file("_brindlewick_undo.txt", "x.txt\r\na.txt\r\na.txt\r\nb.txt\r\n");
    const UndoResult r = undo();
    EXPECT_EQ(r.renamed, 2);
    EXPECT_EQ(r.errors, 0);
    EXPECT_EQ(tree.read("a.txt"), "was a");
    EXPECT_EQ(tree.read("b.txt"), "was b");
    EXPECT_FALSE(tree.exists("_brindlewick_undo.txt"));
    EXPECT_TRUE(r.undoFileRemoved);
    EXPECT_EQ(r.report, "2 files and/or directories have been renamed.");
    EXPECT_TRUE(host.messages.empty());
    ASSERT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(host.questions[0],
        "Operation will undo renaming in current directory.\r\nThen it will remove _brindlewick_undo.txt "
        "from "
        "this directory. Continue?");
    EXPECT_EQ(host.undoStartedCount, 1);
    EXPECT_EQ(host.undoFinishedCount, 1);
}

TEST_F(UndoFileTest, EmptyUndoFileIsRemovedAfterTheQuestion)
{
    tree.file("_brindlewick_undo.txt");
    const UndoResult r = undo();
    EXPECT_EQ(host.questions.size(), 1u);
    EXPECT_EQ(r.report, "0 files and/or directories have been renamed.");
    EXPECT_FALSE(tree.exists("_brindlewick_undo.txt"));
}

TEST_F(UndoFileTest, DeclinedUndoChangesNothing)
{
    tree.file("new");
    tree.file("_brindlewick_undo.txt", "new\r\nold\r\n");
    host.answers = {false};
    const UndoResult r = undo();
    EXPECT_FALSE(r.started);
    EXPECT_TRUE(tree.exists("new"));
    EXPECT_TRUE(tree.exists("_brindlewick_undo.txt"));
    EXPECT_EQ(host.undoStartedCount, 0);
}

TEST_F(UndoFileTest, MissingFolderOrFileIsReported)
{
    const UndoResult noFile = undo();
    EXPECT_TRUE(noFile.failed);
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Undo file _brindlewick_undo.txt does not exist in " + tree.path()
            + ". Operation will not continue!\r\n" + std::string(host.undoFileHint())}));
    EXPECT_TRUE(host.questions.empty());

    RecorderHost other;
    const UndoResult noFolder = undoFolder(tree.at("missing"), other);
    EXPECT_TRUE(noFolder.failed);
    EXPECT_EQ(other.messages,
        (std::vector<std::string> {
            "Cannot change current directory to " + tree.at("missing") + ": No such file or directory"}));
}

TEST_F(UndoFileTest, AnUndoFileThatIsALinkIsNotFollowed)
{
    TempTree elsewhere;
    elsewhere.file("list", "victim\r\nrenamed\r\n");
    elsewhere.file("victim");
    tree.symlink(elsewhere.at("list"), "_brindlewick_undo.txt");
    tree.file("victim");
    const UndoResult r = undo();
    EXPECT_TRUE(r.failed);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0],
        "Cannot read " + tree.path() + "/_brindlewick_undo.txt: Too many levels of symbolic links");
    EXPECT_TRUE(tree.exists("victim"));
    EXPECT_TRUE(tree.exists("_brindlewick_undo.txt"));
}

TEST_F(UndoFileTest, ErrorsKeepTheFileUnlessTheUserAgrees)
{
    tree.file("new", "1");
    tree.file("old", "2");
    tree.file("_brindlewick_undo.txt", "new\r\nold\r\n");
    host.answers = {true, false};
    UndoResult r = undo();
    EXPECT_EQ(r.errors, 1);
    EXPECT_EQ(r.report, "0 files and/or directories have been renamed. 1 errors detected!");
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Cannot rename new to old: File exists. Operation will continue"}));
    EXPECT_EQ(host.questions.back(), "Errors detected! Remove _brindlewick_undo.txt from this Dir?");
    EXPECT_EQ(tree.read("new"), "1");
    EXPECT_EQ(tree.read("old"), "2");
    EXPECT_TRUE(tree.exists("_brindlewick_undo.txt"));

    host.answers = {true, true};
    r = undo();
    EXPECT_TRUE(r.undoFileRemoved);
    EXPECT_FALSE(tree.exists("_brindlewick_undo.txt"));
}

/// The last pair of a file written by a run that was killed: the pair goes to the file just
/// before its rename, so the rename may never have happened. A pair that is whole, its new name
/// missing and its old name there, is passed over, and the report says so. A record cut short, and a file
/// that is no undo file at all, are errors: the file stays.
struct LastPairCase {
    const char* label;
    std::vector<std::string> present; // files in the folder besides the undo file
    std::string content;
    int renamed;
    int errors;
    int skipped;
    std::vector<std::string> after; // the folder afterwards, undo file aside
    friend void PrintTo(const LastPairCase& c, std::ostream* os) { *os << c.label; }
};

using LastPairTest = ::testing::TestWithParam<LastPairCase>;

TEST_P(LastPairTest, NeverMadeRenameIsPassedOver)
{
    const LastPairCase& c = GetParam();
    TempTree tree;
    for (const std::string& name : c.present)
        tree.file(name, name);
    tree.file("_brindlewick_undo.txt", c.content);
    RecorderHost host;
    host.answers = {true, false};
    const UndoResult r = undoFolder(tree.path(), host);
    EXPECT_EQ(r.renamed, c.renamed);
    EXPECT_EQ(r.errors, c.errors);
    EXPECT_EQ(r.skipped, c.skipped);
    EXPECT_EQ(static_cast<int>(host.messages.size()), c.errors);
    EXPECT_EQ(r.undoFileRemoved, c.errors == 0);
    EXPECT_EQ(r.report.ends_with(" 1 pair passed over: nothing to rename back"), c.skipped == 1) << r.report;
    std::vector<std::string> names = tree.list();
    std::erase(names, "_brindlewick_undo.txt");
    EXPECT_EQ(names, c.after);
}

INSTANTIATE_TEST_SUITE_P(Table, LastPairTest,
    ::testing::Values(
        LastPairCase {"RecordedButNotRenamed", {"done-new", "pending-old"},
            "done-new\r\ndone-old\r\npending-new\r\npending-old\r\n", 1, 0, 1, {"done-old", "pending-old"}},
        LastPairCase {"CutShortInTheOldName", {"done-new", "pending-old"},
            "done-new\r\ndone-old\r\npending-new\r\npend", 1, 1, 0, {"done-old", "pending-old"}},
        LastPairCase {"CutShortAfterTheNewName", {"done-new", "pending-old"},
            "done-new\r\ndone-old\r\npending-new\r\n", 1, 1, 0, {"done-old", "pending-old"}},
        LastPairCase {"CutShortInTheNewName", {"done-new", "pending-old"}, "done-new\r\ndone-old\r\npend", 1,
            1, 0, {"done-old", "pending-old"}},
        LastPairCase {"NotAnUndoFile", {"notes"}, "remember the milk", 0, 1, 0, {"notes"}},
        LastPairCase {"NotAnUndoFileWithTwoLines", {"milk"}, "milk\r\neggs", 0, 1, 0, {"milk"}},
        LastPairCase {"CompleteButBothNamesGone", {"done-new"},
            "done-new\r\ndone-old\r\ngone-new\r\ngone-old\r\n", 1, 1, 0, {"done-old"}},
        // An undo killed between renaming a pair back and cutting it off the file leaves such
        // a pair anywhere in the file: it is passed over too.
        LastPairCase {"AnEarlierPairIsPassedOverToo", {"x-old", "last-new"},
            "x-new\r\nx-old\r\nlast-new\r\nlast-old\r\n", 1, 0, 1, {"last-old", "x-old"}},
        LastPairCase {"OddCountWithTheNameThereIsAnError", {"done-new", "odd"},
            "done-new\r\ndone-old\r\nodd\r\n", 1, 1, 0, {"done-old", "odd"}}),
    [](const ::testing::TestParamInfo<LastPairCase>& info) { return info.param.label; });

/// Undo files that name things outside the folder, or names no file can have: each pair fails
/// with its message, nothing outside the folder is touched and the other pairs still go back.
struct BadUndoCase {
    const char* label;
    std::string content;
    int errors;
    friend void PrintTo(const BadUndoCase& c, std::ostream* os) { *os << c.label; }
};

using BadUndoTest = ::testing::TestWithParam<BadUndoCase>;

TEST_P(BadUndoTest, TouchesNothingOutsideTheFolder)
{
    TempTree outer;
    outer.file("victim", "outside");
    outer.dir("folder");
    outer.file("folder/inside", "in");
    outer.file("folder/good-new", "good");
    outer.file("folder/_brindlewick_undo.txt", "good-new\r\ngood-old\r\n" + GetParam().content);
    RecorderHost host;
    host.answers = {true, false};
    const UndoResult r = undoFolder(outer.at("folder"), host);
    EXPECT_EQ(r.errors, GetParam().errors);
    EXPECT_EQ(static_cast<int>(host.messages.size()), GetParam().errors);
    EXPECT_EQ(r.renamed, 1);
    EXPECT_EQ(outer.read("folder/good-old"), "good");
    EXPECT_EQ(outer.list(), (std::vector<std::string> {"folder", "victim"}));
    EXPECT_EQ(outer.read("victim"), "outside");
    EXPECT_EQ(outer.read("folder/inside"), "in");
    EXPECT_TRUE(outer.exists("folder/_brindlewick_undo.txt"));
    EXPECT_EQ(
        outer.list("folder"), (std::vector<std::string> {"_brindlewick_undo.txt", "good-old", "inside"}));
}

INSTANTIATE_TEST_SUITE_P(Table, BadUndoTest,
    ::testing::Values(BadUndoCase {"ParentPathAsNewName", "../victim\r\nstolen\r\n", 1},
        BadUndoCase {"ParentPathAsOldName", "inside\r\n../victim\r\n", 1},
        BadUndoCase {"AbsolutePath", "inside\r\n/etc/passwd\r\n/etc/passwd\r\nmine\r\n", 2},
        BadUndoCase {"Dots", ".\r\nx\r\ninside\r\n..\r\n", 2}, BadUndoCase {"OddCount", "inside\r\n", 1},
        BadUndoCase {"Binary", bytes("in\0side\r\nx\xff\r\n\x01\x02\x03\r\n\r\n"), 2},
        BadUndoCase {
            "TheUndoFileItself", "_brindlewick_undo.txt\r\nkept\r\ninside\r\n_brindlewick_undo.txt\r\n", 2},
        BadUndoCase {"LineFeedsOnly", "inside\n../victim\n", 1}),
    [](const ::testing::TestParamInfo<BadUndoCase>& info) { return info.param.label; });

/// A host that keeps none of the messages of a huge undo but samples the heap in use.
class HeapSamplingHost : public IRunHost
{
public:
    static std::size_t inUse()
    {
        const struct mallinfo2 m = ::mallinfo2();
        return m.uordblks + m.hblkhd;
    }
    void showMessage(std::string_view) override { }
    bool askYesNo(std::string_view, Question kind) override
    {
        return kind != Question::RemoveUndoFileAfterErrors;
    }
    void logLine(std::string_view) override { }
    void showFailure(std::string_view, std::string_view) override
    {
        if (failures++ % 1024 == 0)
            peak = std::max(peak, inUse());
    }
    std::size_t peak = 0;
    std::size_t failures = 0;
};

TEST(UndoMemoryTest, AHugeUndoFileTakesMemoryOfAboutItsSize)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps books of its own";
#endif
    // 4 MiB of line feeds: two million pairs of empty names, each an error.
    constexpr std::size_t kSize = std::size_t {4} << 20;
    TempTree tree(test::memoryTempBase());
    tree.file("_brindlewick_undo.txt", std::string(kSize, '\n'));
    HeapSamplingHost host;
    const std::size_t before = HeapSamplingHost::inUse();
    const UndoResult r = undoFolder(tree.path(), host);
    EXPECT_EQ(r.errors, static_cast<std::int32_t>(kSize / 2));
    EXPECT_EQ(host.failures, kSize / 2);
    EXPECT_TRUE(tree.exists("_brindlewick_undo.txt"));
    EXPECT_LT(host.peak - before, 2 * kSize);
}

// ---- the undo of a whole tree ----

class UndoTreeTest : public ::testing::Test
{
protected:
    TempTree tree;
    RecorderHost host;
};

TEST_F(UndoTreeTest, EveryFolderDeepestFirstWithOneQuestionAndOneReport)
{
    // A recursive run with renamed subfolders: the undo file of Photos records Photos/2004 ->
    // 2004 renamed; the file inside 2004 was renamed too.
    for (const char* name :
        {"A.TXT", "Photos/B.TXT", "Photos/Day 1/C.TXT", "Photos/Day 1/D.TXT", "Other/E.TXT"})
        tree.file(name, name);
    tree.symlink(tree.path() + "/Photos", "Link");
    const test::TreeSnapshot before = test::snapshotTree(tree.path());
    RenameSession session;
    session.jobs = {Job::create(jobLower)};
    RunOptions o;
    o.startFolder = tree.path();
    o.recurse = true;
    o.renameDirs = true;
    o.undo = true;
    RecorderHost runHost;
    ASSERT_TRUE(runRename(session, runHost, o).allWentThrough(session.stats));
    ASSERT_TRUE(tree.exists("photos/day 1/_brindlewick_undo.txt"));

    const UndoResult r = undoTree(tree.path(), host);
    EXPECT_EQ(host.questions,
        (std::vector<std::string> {
            "Operation will undo renaming in current directory.\r\nThen it will remove "
            "_brindlewick_undo.txt from this directory. Continue?"}));
    // 1 link + 3 folders + 5 files renamed, in 4 folders.
    EXPECT_EQ(r.renamed, 9);
    EXPECT_EQ(r.folders, 4);
    EXPECT_EQ(r.report, "9 files and/or directories have been renamed.");
    EXPECT_TRUE(r.undoFileRemoved);
    EXPECT_EQ(host.undoStartedCount, 1);
    EXPECT_EQ(host.undoFinishedCount, 1);
    EXPECT_TRUE(host.messages.empty()) << host.messages.front();
    const test::TreeSnapshot after = test::snapshotTree(tree.path());
    EXPECT_TRUE(test::sameTree(after, before)) << test::treeDifference(before, after);
}

TEST_F(UndoTreeTest, ATreeWithoutAnyUndoFileIsSaidSoAndNothingIsAsked)
{
    tree.file("Sub/Deeper/x.txt");
    TempTree outside;
    outside.file("_brindlewick_undo.txt", "x\r\ny\r\n");
    tree.symlink(outside.path(), "Sub/LinkOut");
    const UndoResult r = undoTree(tree.path(), host);
    EXPECT_TRUE(r.failed);
    EXPECT_FALSE(r.started);
    EXPECT_TRUE(host.questions.empty());
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Undo file _brindlewick_undo.txt does not exist in " + tree.path()
            + ". Operation will not continue!\r\n" + std::string(host.undoFileHint())}));
    EXPECT_TRUE(outside.exists("_brindlewick_undo.txt"));
}

// A folder whose subfolders cannot all be listed is reported and its subfolders are left as they
// are; its own undo file and the rest of the tree are undone.
TEST_F(UndoTreeTest, AFolderThatCannotBeReadIsReportedAndTheRestIsUndone)
{
    tree.file("A/_brindlewick_undo.txt", "new\r\nold\r\n");
    tree.file("A/new", "a");
    tree.file("A/Below/_brindlewick_undo.txt", "y\r\nx\r\n");
    tree.file("A/Below/y", "b");
    tree.file("C/_brindlewick_undo.txt", "n\r\no\r\n");
    tree.file("C/n", "c");
    UndoResult r;
    {
        test::FailingFolderRead failing(tree.at("A"));
        r = undoTree(tree.path(), host);
    }
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Cannot read directory " + tree.at("A") + ". Operation will continue"}));
    EXPECT_EQ(r.renamed, 2);
    EXPECT_EQ(r.errors, 1);
    EXPECT_FALSE(r.undoFileRemoved);
    EXPECT_EQ(tree.read("A/old"), "a");
    EXPECT_EQ(tree.read("C/o"), "c");
    EXPECT_EQ(tree.list("A/Below"), (std::vector<std::string> {"_brindlewick_undo.txt", "y"}));
}

class UndoTreeErrorsTest : public UndoTreeTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(UndoTreeErrorsTest, OneQuestionForEveryFolderWithErrors)
{
    // Two folders whose pair cannot be given back (neither name is there), one that can.
    tree.file("A/_brindlewick_undo.txt", "gone\r\nwas\r\n");
    tree.file("A/B/_brindlewick_undo.txt", "lost\r\nold\r\nnew\r\nold2\r\n");
    tree.file("A/B/new", "ok");
    tree.file("C/_brindlewick_undo.txt", "y\r\nx\r\n");
    tree.file("C/y", "fine");
    host.answers = {true, GetParam()};
    const UndoResult r = undoTree(tree.path(), host);
    EXPECT_EQ(r.renamed, 2);
    EXPECT_EQ(r.errors, 2);
    EXPECT_EQ(r.report, "2 files and/or directories have been renamed. 2 errors detected!");
    ASSERT_EQ(host.questions.size(), 2u);
    EXPECT_EQ(host.questions[1], "Errors detected! Remove _brindlewick_undo.txt from this Dir?");
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {
            "Cannot rename lost to old: No such file or directory. Operation will continue",
            "Cannot rename gone to was: No such file or directory. Operation will continue"}));
    EXPECT_EQ(tree.read("A/B/old2"), "ok");
    EXPECT_EQ(tree.read("C/x"), "fine");
    EXPECT_FALSE(tree.exists("C/_brindlewick_undo.txt"));
    EXPECT_EQ(tree.exists("A/_brindlewick_undo.txt"), !GetParam());
    EXPECT_EQ(tree.exists("A/B/_brindlewick_undo.txt"), !GetParam());
    EXPECT_EQ(r.undoFileRemoved, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Answers, UndoTreeErrorsTest, ::testing::Bool(),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Yes" : "No"; });

} // namespace
} // namespace brindle
