// Faults in the middle of a run, injected from the host at a chosen entry: an entry removed
// or a target name taken after the folder was listed, a folder made read-only half-way. The
// run must report each failure with its message and go on, the undo files must record exactly
// the renames made, and undo must give back everything that is still there.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sys/resource.h>

#include <functional>
#include <memory>

#include <regex>

#include <gtest/gtest.h>

#include "common/ProcessLimits.h"
#include "common/ScratchMount.h"
#include "common/TempTree.h"
#include "common/TreeSnapshot.h"
#include "run/FailingFolderRead.h"
#include "run/PlanTestUtil.h"
#include "run/RecorderHost.h"
#include "core/run/RenameRun.h"

namespace brindle
{
namespace
{

using test::AsUnprivileged;
using test::contentMultiset;
using test::FileSizeLimit;
using test::RecorderHost;
using test::sameTree;
using test::ScratchMount;
using test::snapshotTree;
using test::TempTree;
using test::treeDifference;
using test::TreeSnapshot;

/// A recorder that runs a hook on every log line; "* Renaming file X" comes just before X is
/// renamed.
class HookHost : public RecorderHost
{
public:
    std::function<void(std::string_view)> onLog;
    void logLine(std::string_view line) override
    {
        RecorderHost::logLine(line);
        if (onLog)
            onLog(line);
    }
};

/// Runs a hook once, just before the file named file is renamed.
std::function<void(std::string_view)> beforeRenaming(const std::string& file, std::function<void()> hook)
{
    return [file, hook](std::string_view line) {
        if (line.ends_with("* Renaming file " + file))
            hook();
    };
}

class RunFaultTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"A.TXT", "B.TXT", "C.TXT", "D.TXT", "E.TXT", "Sub/F.TXT"})
            tree.file(name, std::string("content of ") + name);
        session.jobs = {Job::create(jobLower)};
        options.startFolder = tree.path();
        options.recurse = true;
        options.undo = true;
        options.log = true;
    }

    /// Undo in the subfolder, then in the starting folder.
    void undoAll()
    {
        RecorderHost undoHost;
        for (const std::string& folder : {tree.at("Sub"), tree.path()}) {
            const UndoResult u = undoFolder(folder, undoHost);
            EXPECT_EQ(u.errors, 0) << folder;
        }
        EXPECT_TRUE(undoHost.messages.empty()) << undoHost.messages.front();
    }

    TempTree tree;
    RenameSession session;
    HookHost host;
    RunOptions options;
};

TEST_F(RunFaultTest, AnEntryRemovedAfterListingIsReportedAndTheRunGoesOn)
{
    host.onLog = beforeRenaming("C.TXT", [&] { ASSERT_EQ(::unlink(tree.at("C.TXT").c_str()), 0); });
    const RunResult r = runRename(session, host, options);
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {
            "Cannot rename C.TXT to c.txt: No such file or directory. Operation will continue"}));
    EXPECT_EQ(r.renameFailures, 1);
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(tree.list(),
        (std::vector<std::string> {"Sub", "_brindlewick_undo.txt", "a.txt", "b.txt", "d.txt", "e.txt"}));
    EXPECT_EQ(tree.list("Sub"), (std::vector<std::string> {"_brindlewick_undo.txt", "f.txt"}));
    // The failed rename left no pair behind.
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"),
        "a.txt\r\nA.TXT\r\nb.txt\r\nB.TXT\r\nd.txt\r\nD.TXT\r\ne.txt\r\nE.TXT\r\n");
    undoAll();
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"A.TXT", "B.TXT", "D.TXT", "E.TXT", "Sub"}));
    EXPECT_EQ(tree.read("D.TXT"), "content of D.TXT");
    EXPECT_EQ(tree.list("Sub"), (std::vector<std::string> {"F.TXT"}));
}

TEST_F(RunFaultTest, ATargetTakenAfterListingIsNeverReplaced)
{
    host.onLog = beforeRenaming("C.TXT", [&] { tree.file("c.txt", "came in between"); });
    const TreeSnapshot before = snapshotTree(tree.path());
    const RunResult r = runRename(session, host, options);
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Cannot rename C.TXT to c.txt: File exists. Operation will continue"}));
    EXPECT_EQ(r.renameFailures, 1);
    EXPECT_EQ(tree.read("C.TXT"), "content of C.TXT");
    EXPECT_EQ(tree.read("c.txt"), "came in between");
    EXPECT_EQ(tree.read("Sub/f.txt"), "content of Sub/F.TXT");
    undoAll();
    TreeSnapshot expected = before;
    expected["c.txt"] = snapshotTree(tree.path()).at("c.txt");
    EXPECT_EQ(contentMultiset(snapshotTree(tree.path())), contentMultiset(expected));
    EXPECT_EQ(tree.list(),
        (std::vector<std::string> {"A.TXT", "B.TXT", "C.TXT", "D.TXT", "E.TXT", "Sub", "c.txt"}));
}

void chownAll(const TreeSnapshot& tree, const std::string& root, uid_t uid)
{
    ASSERT_EQ(::lchown(root.c_str(), uid, uid), 0);
    for (const auto& [path, entry] : tree)
        ASSERT_EQ(::lchown((root + "/" + path).c_str(), uid, uid), 0) << path;
}

TEST_F(RunFaultTest, AFolderMadeReadOnlyHalfWayFailsEntryByEntryAndTheRunGoesOn)
{
    const TreeSnapshot before = snapshotTree(tree.path());
    if (::geteuid() == 0)
        chownAll(before, tree.path(), AsUnprivileged::kNobody);
    host.onLog = beforeRenaming("C.TXT", [&] { ASSERT_EQ(::chmod(tree.path().c_str(), 0555), 0); });
    RunResult r;
    {
        AsUnprivileged nobody;
        if (!AsUnprivileged::checked())
            GTEST_SKIP() << "permissions cannot be made to count here";
        r = runRename(session, host, options);
    }
    ::chmod(tree.path().c_str(), 0755);
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Cannot rename C.TXT to c.txt: Permission denied. Operation will continue",
            "Cannot rename D.TXT to d.txt: Permission denied. Operation will continue",
            "Cannot rename E.TXT to e.txt: Permission denied. Operation will continue"}));
    EXPECT_EQ(r.renameFailures, 3);
    EXPECT_FALSE(r.stopped);
    // The undo file, opened before, still took the pairs of the renames that were made, and
    // the subfolder was renamed in as usual.
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"), "a.txt\r\nA.TXT\r\nb.txt\r\nB.TXT\r\n");
    EXPECT_EQ(tree.list("Sub"), (std::vector<std::string> {"_brindlewick_undo.txt", "f.txt"}));
    EXPECT_EQ(contentMultiset(snapshotTree(tree.path(), "_brindlewick_undo.txt")), contentMultiset(before));
    // The user who made the run undoes it: undo trusts no one else's undo files.
    {
        AsUnprivileged nobody;
        undoAll();
    }
    EXPECT_EQ(contentMultiset(snapshotTree(tree.path())), contentMultiset(before));
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"A.TXT", "B.TXT", "C.TXT", "D.TXT", "E.TXT", "Sub"}));
    EXPECT_EQ(tree.list("Sub"), (std::vector<std::string> {"F.TXT"}));
}

/// A subfolder remounted read-only while the run is still in the folder above it. Without
/// undo files each rename in it fails and the run goes on; with them, the undo file cannot be
/// made there, so nothing in it is renamed (one message), and the run goes on with the rest
/// of the tree. The renames made are all recorded.
class ReadOnlyMountTest : public RunFaultTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(ReadOnlyMountTest, RunReportsAndLosesNothing)
{
    tree.file("Sub/G.TXT", "content of Sub/G.TXT");
    tree.file("Tail/H.TXT", "content of Tail/H.TXT");
    options.undo = GetParam();
    std::string why;
    const auto mount = ScratchMount::bind(tree.at("Sub"), why);
    if (!mount)
        GTEST_SKIP() << why;
    const TreeSnapshot before = snapshotTree(tree.path());
    host.onLog = beforeRenaming("C.TXT", [&] { ASSERT_EQ(mount->makeReadOnly(), 0); });
    const RunResult r = runRename(session, host, options);
    EXPECT_EQ(tree.list("Sub"), (std::vector<std::string> {"F.TXT", "G.TXT"}));
    EXPECT_EQ(contentMultiset(snapshotTree(tree.path(), "_brindlewick_undo.txt")), contentMultiset(before));
    if (options.undo) {
        EXPECT_EQ(host.messages,
            (std::vector<std::string> {
                "Cannot create Sub/_brindlewick_undo.txt: Read-only file system. Nothing "
                "in this directory is renamed. Operation will continue"}));
        EXPECT_FALSE(r.stopped);
        EXPECT_EQ(r.undoFilesNotMade, 1);
        EXPECT_EQ(tree.list("Tail"), (std::vector<std::string> {"_brindlewick_undo.txt", "h.txt"}));
        RecorderHost undoHost;
        EXPECT_EQ(undoFolder(tree.at("Tail"), undoHost).errors, 0);
        EXPECT_EQ(undoFolder(tree.path(), undoHost).errors, 0);
        EXPECT_EQ(tree.list("Tail"), (std::vector<std::string> {"H.TXT"}));
        EXPECT_EQ(tree.list(),
            (std::vector<std::string> {"A.TXT", "B.TXT", "C.TXT", "D.TXT", "E.TXT", "Sub", "Tail"}));
    } else {
        EXPECT_EQ(host.messages,
            (std::vector<std::string> {
                "Cannot rename F.TXT to f.txt: Read-only file system. Operation will continue",
                "Cannot rename G.TXT to g.txt: Read-only file system. Operation will continue"}));
        EXPECT_FALSE(r.stopped);
        EXPECT_EQ(r.renameFailures, 2);
        EXPECT_EQ(tree.list("Tail"), (std::vector<std::string> {"h.txt"}));
    }
}

/// A swap, a.txt and b.txt exchanging names: a.txt steps aside to a temporary name, b.txt
/// takes a.txt, a.txt takes b.txt. Another program takes a.txt in between, so b.txt cannot
/// move, and a.txt cannot take b.txt. With the intruder gone again by then, a.txt goes back to
/// its own name; with it still there, a.txt is left under the temporary name and both names
/// are reported. Undo then needs the intruder gone.
using CycleFaultTest = ::testing::TestWithParam<bool>;

TEST_P(CycleFaultTest, AMemberLeftAtTheTemporaryNameGoesBackOrIsReportedByBothNames)
{
    const bool intruderLeaves = GetParam();
    TempTree tree;
    tree.file("a.txt", "A");
    tree.file("b.txt", "B");
    RenameSession session;
    session.jobs = {test::mapJob({{"a.txt", "b.txt"}, {"b.txt", "a.txt"}})};
    RunOptions o;
    o.startFolder = tree.path();
    o.undo = true;
    o.log = true;
    HookHost host;
    host.onLog = [&](std::string_view line) {
        if (line == "* Renaming file b.txt")
            tree.file("a.txt", "intruder");
        if (line == "* Renaming file a.txt" && intruderLeaves) {
            ASSERT_EQ(::unlink(tree.at("a.txt").c_str()), 0);
        }
    };
    const RunResult r = runRename(session, host, o);
    EXPECT_FALSE(r.stopped);
    EXPECT_EQ(r.cycles, 1);
    EXPECT_EQ(tree.read("b.txt"), "B");
    std::vector<std::string> names = tree.list();
    std::erase(names, "_brindlewick_undo.txt");
    if (intruderLeaves) {
        // Each message names the entry (a member at the temporary name by both names) and why.
        ASSERT_EQ(host.messages.size(), 2u);
        EXPECT_EQ(host.messages[0], "Cannot rename b.txt to a.txt: File exists. Operation will continue");
        EXPECT_TRUE(std::regex_match(host.messages[1],
            std::regex(R"(Cannot rename \.brindlewick-tmp-[0-9a-f]{8} \(a\.txt\) to b\.txt: File exists\. )"
                       R"(Operation will continue)")))
            << host.messages[1];
        EXPECT_EQ(names, (std::vector<std::string> {"a.txt", "b.txt"}));
        EXPECT_EQ(tree.read("a.txt"), "A");
    } else {
        ASSERT_EQ(names.size(), 3u);
        const std::string temporary = names[0];
        EXPECT_TRUE(temporary.starts_with(".brindlewick-tmp-")) << temporary;
        EXPECT_EQ(tree.read(temporary), "A");
        EXPECT_EQ(tree.read("a.txt"), "intruder");
        EXPECT_EQ(host.messages,
            (std::vector<std::string> {"Cannot rename b.txt to a.txt: File exists. Operation will continue",
                "Cannot rename " + temporary + " (a.txt) to b.txt: File exists. Operation will continue",
                "Cannot rename " + temporary + " back to a.txt. a.txt is now named " + temporary
                    + ". Operation will continue"}));
        EXPECT_NE(std::find(host.log.begin(), host.log.end(),
                      "! Cannot rename " + temporary + " back to a.txt: File exists; a.txt is now named "
                          + temporary),
            host.log.end());
        ASSERT_EQ(::unlink(tree.at("a.txt").c_str()), 0);
    }
    // Every step that was made is recorded, so undo gives the names back.
    RecorderHost undoHost;
    const UndoResult u = undoFolder(tree.path(), undoHost);
    EXPECT_EQ(u.errors, 0) << (undoHost.messages.empty() ? "" : undoHost.messages.front());
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"a.txt", "b.txt"}));
    EXPECT_EQ(tree.read("a.txt"), "A");
}

INSTANTIATE_TEST_SUITE_P(Intruder, CycleFaultTest, ::testing::Bool(),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Leaves" : "Stays"; });

TEST(CycleStopTest, AnUndoFileThatCannotGrowInTheMiddleOfACycleStopsTheRunWithTheMemberBack)
{
    TempTree tree;
    tree.file("a.txt", "A");
    tree.file("b.txt", "B");
    RenameSession session;
    session.jobs = {test::mapJob({{"a.txt", "b.txt"}, {"b.txt", "a.txt"}})};
    RunOptions o;
    o.startFolder = tree.path();
    o.undo = true;
    o.log = true;
    HookHost host;
    std::unique_ptr<FileSizeLimit> limit;
    host.onLog = [&](std::string_view line) {
        // a.txt is at the temporary name and recorded; the next pair cannot be written.
        if (line == "* Renaming file b.txt") {
            struct stat st;
            ASSERT_EQ(::stat(tree.at("_brindlewick_undo.txt").c_str(), &st), 0);
            limit = std::make_unique<FileSizeLimit>(static_cast<rlim_t>(st.st_size));
        }
    };
    const RunResult r = runRename(session, host, o);
    limit.reset();
    EXPECT_TRUE(r.stopped);
    EXPECT_NE(r.ioError.find("File too large"), std::string::npos) << r.ioError;
    // a.txt is back under its name, b.txt never moved; the undo file's one pair names a
    // rename that undo finds undone.
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"_brindlewick_undo.txt", "a.txt", "b.txt"}));
    EXPECT_EQ(tree.read("a.txt"), "A");
    RecorderHost undoHost;
    const UndoResult u = undoFolder(tree.path(), undoHost);
    EXPECT_EQ(u.errors, 0);
    EXPECT_EQ(u.skipped, 1);
    EXPECT_EQ(tree.list(), (std::vector<std::string> {"a.txt", "b.txt"}));
}

/// Runs a hook when the run enters its n-th folder (counting from 1).
class EnterHookHost : public RecorderHost
{
public:
    std::size_t when = 0;
    std::function<void()> hook;
    void showCurrentFolder(std::string_view folder) override
    {
        RecorderHost::showCurrentFolder(folder);
        if (folders.size() == when)
            hook();
    }
};

TEST(RunWalkTest, AFolderMovedOutOfTheTreeDuringTheRunStopsItThere)
{
    // A chain of 20 folders d, deeper than the walk holds open; the fourth level also holds e.
    TempTree tree;
    TempTree outside;
    std::string path = "d";
    for (int depth = 2; depth <= 20; ++depth)
        path += "/d";
    tree.file(path + "/F.TXT");
    tree.file("d/d/d/e/E.TXT");
    outside.file("e/E.TXT", "not the tree's");
    // While the run is in the deepest folder, the part of the chain from the fifth level down
    // is moved out of the tree. Coming back up, ".." of that folder leads outside.
    EnterHookHost host;
    host.when = 21;
    host.hook = [&] { ASSERT_EQ(::rename(tree.at("d/d/d/d").c_str(), outside.at("moved").c_str()), 0); };
    RenameSession session;
    session.jobs = {Job::create(jobLower)};
    RunOptions o;
    o.startFolder = tree.path();
    o.recurse = true;
    const RunResult r = runRename(session, host, o);
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(host.messages,
        (std::vector<std::string> {"Cannot change to directory: d: it was moved during the run"}));
    EXPECT_EQ(outside.list("e"), (std::vector<std::string> {"E.TXT"}));
    EXPECT_EQ(tree.list("d/d/d/e"), (std::vector<std::string> {"E.TXT"}));
    EXPECT_EQ(host.folders.size(), 21u);
}

using FolderReadFaultTest = ::testing::TestWithParam<bool>;

// A folder whose reading fails part-way is left as it is, with what is below it: the run plans
// nothing over a part of a folder. It says why, as for a folder it cannot enter, and goes on.
TEST_P(FolderReadFaultTest, AFolderThatCannotBeReadIsLeftUnrenamedAndReported)
{
    const bool simulation = GetParam();
    TempTree tree;
    for (const char* name : {"TOP.TXT", "Good/G.TXT", "Bad/A.TXT", "Bad/B.TXT", "Bad/C.TXT", "Bad/D.TXT",
             "Bad/E.TXT", "Bad/F.TXT", "Bad/Deep/H.TXT", "Last/L.TXT"})
        tree.file(name, name);
    const TreeSnapshot badBefore = snapshotTree(tree.at("Bad"));
    RenameSession session;
    session.jobs = {Job::create(jobLower)};
    RunOptions options;
    options.startFolder = tree.path();
    options.recurse = true;
    options.undo = true;
    options.log = true;
    options.simulation = simulation;
    RecorderHost host;
    RunResult r;
    {
        test::FailingFolderRead failing(tree.at("Bad"));
        r = runRename(session, host, options);
        EXPECT_GE(failing.reads(), 2);
    }
    EXPECT_TRUE(sameTree(snapshotTree(tree.at("Bad")), badBefore))
        << treeDifference(badBefore, snapshotTree(tree.at("Bad")));
    EXPECT_EQ(host.messages, (std::vector<std::string> {"Cannot read directory: Bad"}));
    EXPECT_NE(
        std::find(host.log.begin(), host.log.end(), "   ! Cannot read directory: Bad: Input/output error"),
        host.log.end());
    EXPECT_EQ(r.foldersNotRead, 1);
    EXPECT_FALSE(r.stopped);
    EXPECT_FALSE(r.allWentThrough(session.stats));
    // The other folders, before and after it, are renamed (or would be) all the same.
    EXPECT_EQ(session.stats.filesRenamed, 3);
    EXPECT_EQ(session.stats.errorCount, simulation ? 0 : 1);
    if (!simulation) {
        EXPECT_EQ(tree.list("Good"), (std::vector<std::string> {"_brindlewick_undo.txt", "g.txt"}));
        EXPECT_EQ(tree.list("Last"), (std::vector<std::string> {"_brindlewick_undo.txt", "l.txt"}));
    }
}

INSTANTIATE_TEST_SUITE_P(Run, FolderReadFaultTest, ::testing::Bool(),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Simulation" : "RealRun"; });

INSTANTIATE_TEST_SUITE_P(UndoFiles, ReadOnlyMountTest, ::testing::Bool(),
    [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "On" : "Off"; });

} // namespace
} // namespace brindle
