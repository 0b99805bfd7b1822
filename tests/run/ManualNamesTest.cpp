// Names given by hand: they override the jobs for their entry and go through the folder's plan
// like any other new name, so swaps, held names and refused names behave as for the jobs, and
// undo gives everything back. Only the chosen entries are named when a run is told so.

#include <algorithm>

#include <gtest/gtest.h>

#include "common/TempTree.h"
#include "common/TreeSnapshot.h"
#include "jobs/JobTestUtil.h"
#include "run/PlanTestUtil.h"
#include "run/RecorderHost.h"
#include "core/run/ManualNames.h"
#include "core/run/RenamePlan.h"
#include "core/run/RenameRun.h"
#include "core/run/UndoFile.h"

namespace brindle
{
namespace
{

using test::makeJob;
using test::mapJob;
using test::Mapping;
using test::RecorderHost;
using test::simulateRunAndUndo;
using test::snapshotTree;
using test::TempTree;
using test::TreeSnapshot;

using Strings = std::vector<std::string>;

/// One tree (a name ending in "/" is a folder, "sub/x" a file in it), the jobs' mapping, the
/// names given by hand as "folder path|old name" to new name, and what must come of it.
struct ManualCase {
    const char* label;
    Strings files;
    Mapping jobs;
    Mapping manual;
    Strings after; ///< "path=content" of every file afterwards, sorted
    Strings failures; ///< "! Cannot rename ..." log lines, sorted
    int cycles = 0;
    friend void PrintTo(const ManualCase& c, std::ostream* os) { *os << c.label; }
};

Strings filesNow(const std::string& root)
{
    Strings out;
    for (const auto& [path, entry] : snapshotTree(root, std::string(kUndoFileName))) {
        if (entry.type == 'f')
            out.push_back(path + "=" + entry.data);
    }
    std::sort(out.begin(), out.end());
    return out;
}

using ManualCaseTest = ::testing::TestWithParam<ManualCase>;

TEST_P(ManualCaseTest, TheSimulationTheRunAndUndoAgree)
{
    const ManualCase& c = GetParam();
    TempTree tree;
    for (const std::string& name : c.files) {
        if (name.ends_with('/'))
            tree.dir(name.substr(0, name.size() - 1));
        else
            tree.file(name, name);
    }
    ManualNames manual;
    for (const auto& [key, to] : c.manual) {
        const std::size_t bar = key.find('|');
        manual.folder(key.substr(0, bar)).set(key.substr(bar + 1), to);
    }
    RenameSession session;
    session.jobs = {mapJob(c.jobs)};
    RunOptions o;
    o.startFolder = tree.path();
    o.recurse = true;
    o.undo = true;
    o.log = true;
    o.nameCase = NameCaseRule::Exact;
    simulateRunAndUndo(
        session, o, &manual, [&](const ResultTree& simulated, const RecorderHost& host, const RunResult& r) {
            EXPECT_EQ(filesNow(tree.path()), c.after);
            Strings failures;
            for (const std::string& line : host.log) {
                const std::size_t at = line.find("! Cannot rename ");
                if (at != std::string::npos)
                    failures.push_back(line.substr(at));
            }
            std::sort(failures.begin(), failures.end());
            EXPECT_EQ(failures, c.failures);
            EXPECT_EQ(r.cycles, c.cycles);
            EXPECT_EQ(simulated.toText().find("(was") != std::string::npos, !c.failures.empty())
                << simulated.toText();
        });
}

INSTANTIATE_TEST_SUITE_P(Table, ManualCaseTest,
    ::testing::Values(ManualCase {"SwapTypedByHandTakesOneTemporaryName", {"a", "b"}, {},
                          {{"|a", "b"}, {"|b", "a"}}, {"a=b", "b=a"}, {}, 1},
        ManualCase {"ANameHeldByAFileThatStaysFails", {"a", "c"}, {}, {{"|a", "c"}}, {"a=a", "c=c"},
            {"! Cannot rename a to c: held by c, which stays"}},
        ManualCase {"TheHandOverridesTheJobsForItsEntryOnly", {"a", "b"}, {{"a", "x"}, {"b", "y"}},
            {{"|a", "z"}}, {"y=b", "z=a"}, {}},
        ManualCase {"TheOwnNameByHandKeepsTheEntryFromTheJobs", {"a", "b"}, {{"a", "x"}, {"b", "y"}},
            {{"|a", "a"}}, {"a=a", "y=b"}, {}},
        ManualCase {"AJobsNameAndAHandNameWantedTwiceTheFirstGetsIt", {"a", "b"}, {{"a", "n"}}, {{"|b", "n"}},
            {"b=b", "n=a"}, {"! Cannot rename b to n: also the new name of a, which comes first"}},
        ManualCase {"ARefusedNameByHand", {"a"}, {}, {{"|a", "x/y"}}, {"a=a"},
            {"! Cannot rename a to x/y: a name with \"/\", which would leave the folder"}},
        ManualCase {"EachFolderItsOwnNames", {"a", "sub/", "sub/a", "sub/b"}, {},
            {{"|a", "top"}, {"sub|a", "b"}, {"sub|b", "a"}}, {"sub/a=sub/b", "sub/b=sub/a", "top=a"}, {}, 1},
        ManualCase {"ANameNotInTheFolderIsLeftAlone", {"a"}, {}, {{"|missing", "a"}, {"nowhere|a", "b"}},
            {"a=a"}, {}}),
    [](const ::testing::TestParamInfo<ManualCase>& info) { return info.param.label; });

RenamePlan::Options unsortedOptions()
{
    RenamePlan::Options o;
    o.sort = false;
    return o;
}

TEST(ManualPlanTest, TheCounterAdvancesForANameByHandSoTheOthersKeepTheirNumbers)
{
    FolderNames manual;
    manual.set("b", "mine");
    RenamePlan plan;
    plan.setManualNames(&manual);
    std::int32_t counter = 1;
    plan.compute({}, {FileEntry("a", 0), FileEntry("b", 0), FileEntry("c", 0)}, {}, unsortedOptions(),
        {makeJob(jobCounter, posEnd, 1)}, counter);
    EXPECT_EQ(counter, 4);
    EXPECT_EQ(plan.newName(0), "a1");
    EXPECT_EQ(plan.newName(1), "mine");
    EXPECT_EQ(plan.newName(2), "c3");
    EXPECT_FALSE(plan.manual(0));
    EXPECT_TRUE(plan.manual(1));
}

TEST(ManualPlanTest, ANameByHandStandsWhereTheJobsFail)
{
    // Doubling a name past 4096 bytes fails the jobs; the hand's name is given all the same.
    std::vector<Job> jobs;
    for (int i = 0; i < 13; ++i)
        jobs.push_back(makeJob(jobReplace, replaceRegex, 1, 0, "^(a.*)$", "$1$1"));
    FolderNames manual;
    manual.set("a", "short");
    RenamePlan plan;
    std::int32_t counter = 0;
    plan.compute({}, {FileEntry("a", 0), FileEntry("ab", 0)}, {}, unsortedOptions(), jobs, counter);
    ASSERT_EQ(plan.failure(0), Failure::JobFailed);
    plan.setManualNames(&manual);
    plan.compute({}, {FileEntry("a", 0), FileEntry("ab", 0)}, {}, unsortedOptions(), jobs, counter);
    EXPECT_EQ(plan.verdict(0), Verdict::Renamed);
    EXPECT_EQ(plan.newName(0), "short");
    EXPECT_EQ(plan.reason(0), "");
    EXPECT_EQ(plan.failure(1), Failure::JobFailed);
}

TEST(ManualPlanTest, OnlyTheChosenEntriesAreNamedAndTheOthersStillHoldTheirNames)
{
    FolderNames chosen;
    chosen.setOnlyChosen(true);
    chosen.choose("A");
    chosen.choose("C");
    RenamePlan plan;
    plan.setManualNames(&chosen);
    std::int32_t counter = 0;
    // "A" lower-cased is "a", which the unchosen "a" holds; "C" goes through.
    plan.compute({}, {FileEntry("A", 0), FileEntry("a", 0), FileEntry("B", 0), FileEntry("C", 0)}, {},
        unsortedOptions(), {makeJob(jobLower, 0, 1)}, counter);
    EXPECT_EQ(plan.verdict(0), Verdict::Failed);
    EXPECT_EQ(plan.reason(0), "held by a, which stays");
    EXPECT_FALSE(plan.named(1));
    EXPECT_FALSE(plan.named(2));
    EXPECT_EQ(plan.newName(2), "B");
    EXPECT_EQ(plan.verdict(3), Verdict::Renamed);
    EXPECT_EQ(plan.newName(3), "c");
    EXPECT_EQ(counter, 0);
}

struct SplitCase {
    const char* path;
    const char* folder;
    const char* name;
};

using SplitRelativeTest = ::testing::TestWithParam<SplitCase>;

TEST_P(SplitRelativeTest, FolderAndName)
{
    const auto [folder, name] = splitRelative(GetParam().path);
    EXPECT_EQ(folder, GetParam().folder);
    EXPECT_EQ(name, GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Table, SplitRelativeTest,
    ::testing::Values(SplitCase {"a", "", "a"}, SplitCase {"a/b/c", "a/b", "c"},
        SplitCase {"./a//b", "a", "b"}, SplitCase {"a/b/", "a", "b"}, SplitCase {"a/../b", "", ""},
        SplitCase {"..", "", ""}, SplitCase {".", "", ""}, SplitCase {"x y/\xff.txt", "x y", "\xff.txt"}));

} // namespace
} // namespace brindle
