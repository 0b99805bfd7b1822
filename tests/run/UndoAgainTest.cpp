#include <sys/wait.h>
#include <unistd.h>

#include <random>

#include <gtest/gtest.h>

#include "common/TempTree.h"
#include "common/TreeSnapshot.h"
#include "jobs/JobTestUtil.h"
#include "run/RecorderHost.h"
#include "core/run/RenameRun.h"
#include "core/run/UndoFile.h"

namespace brindle
{
namespace
{

using test::makeJob;
using test::RecorderHost;
using test::TempTree;

/// abc -> bca -> cab -> abc: a cycle of three through the temporary name, and xyz -> yzx.
const Job kRotate = makeJob(jobReplace, replaceRegex, 0, 0, "^(.)(.)(.)", "$2$3$1");

RunResult runWithUndo(const std::string& folder, std::vector<Job> jobs, bool recurse = false)
{
    RenameSession session;
    session.jobs = std::move(jobs);
    RecorderHost host;
    RunOptions o;
    o.startFolder = folder;
    o.undo = true;
    o.recurse = recurse;
    o.renameDirs = recurse;
    return runRename(session, host, o);
}

bool hasTemporaryName(const test::TreeSnapshot& tree)
{
    for (const auto& [path, entry] : tree) {
        const std::size_t slash = path.rfind('/');
        if (isTemporaryName(slash == std::string::npos ? path : path.substr(slash + 1)))
            return true;
    }
    return false;
}

TEST(UndoAgainTest, AFileKeptAfterErrorsHoldsOnlyTheFailedPairsAndUndoesExactlyLater)
{
    TempTree tree;
    for (const char* name : {"abc", "bca", "cab", "xyz"})
        tree.file(std::string(name) + ".txt", std::string("I was ") + name);
    const test::TreeSnapshot before = test::snapshotTree(tree.path());
    ASSERT_TRUE(runWithUndo(tree.path(), {kRotate}).renameFailures == 0);
    ASSERT_EQ(::rename(tree.at("yzx.txt").c_str(), tree.at("mine.txt").c_str()), 0);

    // The user keeps the file with errors, puts the file back and undoes again.
    RecorderHost host;
    host.answers = {true, false};
    UndoResult r = undoFolder(tree.path(), host);
    EXPECT_EQ(r.errors, 1);
    EXPECT_EQ(r.renamed, 3);
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), "yzx.txt\r\nxyz.txt\r\n");
    ASSERT_EQ(::rename(tree.at("mine.txt").c_str(), tree.at("yzx.txt").c_str()), 0);
    RecorderHost again;
    r = undoFolder(tree.path(), again);
    EXPECT_EQ(r.errors, 0);
    EXPECT_EQ(r.renamed, 1);
    EXPECT_EQ(r.skipped, 0);
    EXPECT_TRUE(r.undoFileRemoved);
    EXPECT_EQ(test::treeDifference(before, test::snapshotTree(tree.path())), "");
    EXPECT_EQ(tree.read("abc.txt"), "I was abc");
}

TEST(UndoAgainTest, TheFailedPairsStayInTheirOrderWhateverWentBackBetweenThem)
{
    TempTree tree;
    tree.file("n1", "1");
    tree.file("n3", "3");
    tree.file("n5", "5");
    const std::string p2 = "gone2\r\no2\r\n";
    const std::string p4 = "gone4\r\no4\r\n";
    tree.file("_brindlewick_undo.txt", "n1\r\no1\r\n" + p2 + "n3\r\no3\r\n" + p4 + "n5\r\no5\r\n");
    RecorderHost host;
    host.answers = {true, false};
    const UndoResult r = undoFolder(tree.path(), host);
    EXPECT_EQ(r.renamed, 3);
    EXPECT_EQ(r.errors, 2);
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), p2 + p4);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"_brindlewick_undo.txt", "o1", "o3", "o5"}));
}

// ---- an undo stopped after each of its steps in turn ----

int g_stopAt = 0;
int g_steps = 0;

void stopAtStep(UndoStep)
{
    if (++g_steps == g_stopAt)
        ::_exit(42); // as a kill would: nothing after this step happens
}

/// Runs undo (of the tree when recurse) in a child process that stops after step stopAt;
/// true when it stopped there, false when the undo ended before.
bool undoStoppedAt(const std::string& folder, int stopAt, bool recurse)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        g_stopAt = stopAt;
        g_steps = 0;
        setUndoStepHook(&stopAtStep);
        RecorderHost host;
        host.defaultAnswer = false; // keep an undo file with errors
        host.answers = {true};
        if (recurse)
            undoTree(folder, host);
        else
            undoFolder(folder, host);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 42;
}

/// Undo to the end, as often as an undo file is left, answering Yes to everything.
void undoUntilDone(const std::string& folder, bool recurse)
{
    for (int i = 0; i < 3; ++i) {
        RecorderHost host;
        const UndoResult r = recurse ? undoTree(folder, host) : undoFolder(folder, host);
        if (!r.started)
            return;
    }
}

/// A tree renamed by a run with cycles, chains and a plain rename in two folders.
void makeRenamedTree(TempTree& tree, test::TreeSnapshot& before)
{
    for (const char* name : {"abc", "bca", "cab", "xyz", "pqr", "qrp"})
        tree.file(std::string(name) + ".txt", std::string("I was ") + name);
    for (const char* name : {"abc", "bca", "mno"})
        tree.file(std::string("sub/") + name, std::string("sub ") + name);
    before = test::snapshotTree(tree.path());
    ASSERT_EQ(runWithUndo(tree.path(), {kRotate}, true).renameFailures, 0);
}

using UndoStoppedTest = ::testing::TestWithParam<bool>;

TEST_P(UndoStoppedTest, StoppedAfterEachStepInTurnThenUndoneAgainIsExact)
{
    const bool recurse = GetParam();
    int stops = 0;
    for (int k = 1;; ++k) {
        TempTree tree;
        test::TreeSnapshot before;
        makeRenamedTree(tree, before);
        if (!recurse) {
            ASSERT_EQ(::unlink(tree.at("ubs/_brindlewick_undo.txt").c_str()), 0);
        }
        const bool stopped = undoStoppedAt(tree.path(), k, recurse);
        undoUntilDone(tree.path(), recurse);
        test::TreeSnapshot after = test::snapshotTree(tree.path());
        if (!recurse) {
            // The subfolder's own files were left renamed: only its name is compared.
            for (auto it = after.begin(); it != after.end();)
                it = it->first.starts_with("sub/") ? after.erase(it) : std::next(it);
            for (auto it = before.begin(); it != before.end();)
                it = it->first.starts_with("sub/") ? before.erase(it) : std::next(it);
        }
        EXPECT_EQ(test::treeDifference(before, after), "") << "stopped after step " << k;
        EXPECT_FALSE(hasTemporaryName(after)) << "stopped after step " << k;
        if (!stopped)
            break;
        ++stops;
    }
    // Every pair's rename and record, the syncs and the removals: many places to stop.
    EXPECT_GT(stops, recurse ? 20 : 14);
}

INSTANTIATE_TEST_SUITE_P(FolderAndTree, UndoStoppedTest, ::testing::Bool(),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Tree" : "Folder"; });

TEST(UndoStoppedTwiceTest, StoppedAgainWhileUndoingAStoppedUndoStillEndsExact)
{
    std::mt19937 random(20261209);
    for (int round = 0; round < 12; ++round) {
        TempTree tree;
        test::TreeSnapshot before;
        makeRenamedTree(tree, before);
        std::vector<int> stopsAt;
        for (int stop = 0; stop < 3; ++stop) {
            const int k = 1 + static_cast<int>(random() % 12);
            stopsAt.push_back(k);
            undoStoppedAt(tree.path(), k, true);
        }
        undoUntilDone(tree.path(), true);
        const test::TreeSnapshot after = test::snapshotTree(tree.path());
        EXPECT_EQ(test::treeDifference(before, after), "")
            << "stopped after " << stopsAt[0] << ", " << stopsAt[1] << ", " << stopsAt[2];
    }
}

// ---- a folder left by an interrupted run ----

TEST(InterruptedRunTest, AFolderWithALeftoverIsNotRenamedAndUndoBringsTheFileBack)
{
    // A run killed right after a cycle's first step: a's file waits under the temporary name.
    TempTree tree;
    const std::string leftover = ".brindlewick-tmp-0badc0de";
    tree.file(leftover, "I was a");
    tree.file("b", "I was b");
    tree.file("c", "I was c");
    tree.file("_brindlewick_undo.txt", leftover + "\r\na\r\n");
    const std::string undoBefore = tree.read("_brindlewick_undo.txt");

    RenameSession session;
    session.jobs = {makeJob(jobUpper)};
    RecorderHost host;
    RunOptions o;
    o.startFolder = tree.path();
    o.undo = true;
    const RunResult r = runRename(session, host, o);
    EXPECT_FALSE(r.allWentThrough(session.stats));
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {tree.path() + " holds a file left by an interrupted run (" + leftover
            + "). Undo that run first. Nothing in this directory is renamed. Operation will continue"}));
    EXPECT_EQ(session.stats.filesRenamed, 0);
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), undoBefore);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {leftover, "_brindlewick_undo.txt", "b", "c"}));

    // The simulation says the same, entry by entry.
    RenameSession simSession;
    simSession.jobs = session.jobs;
    RecorderHost simHost;
    ResultTree result;
    o.simulation = true;
    const RunResult s = runRename(simSession, simHost, o, &result);
    EXPECT_EQ(simHost.messages, host.messages);
    EXPECT_EQ(s.namesRefused, 2);
    ASSERT_GE(result.size(), 3u);
    EXPECT_EQ(result.reason(1),
        "the folder holds a file left by an interrupted run (" + leftover + "); undo that run first");

    RecorderHost undoHost;
    const UndoResult u = undoFolder(tree.path(), undoHost);
    EXPECT_EQ(u.errors, 0);
    EXPECT_EQ(tree.read("a"), "I was a");
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"a", "b", "c"}));
}

} // namespace
} // namespace brindle
