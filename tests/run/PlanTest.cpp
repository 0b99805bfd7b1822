// The plan of a folder: which renames go through and which fail (and why), in which order
// they are made on disk, and that a simulation shows exactly what the real run then does.

#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <thread>

#include <gtest/gtest.h>

#include "common/TempTree.h"
#include "common/TreeSnapshot.h"
#include "jobs/JobTestUtil.h"
#include "run/PlanTestUtil.h"
#include "run/RecorderHost.h"
#include "core/run/FileEntry.h"
#include "core/run/UndoFile.h"
#include "core/run/RenamePlan.h"
#include "core/run/RenameRun.h"

namespace brindle
{
namespace
{

using test::makeJob;
using test::mapJob;
using test::Mapping;
using test::RecorderHost;
using test::simulateRunAndUndo;
using test::TempTree;
using test::TreeSnapshot;

using Strings = std::vector<std::string>;

/// One folder, one job that maps names, and what must come of it.
struct PlanCase {
    const char* label;
    Strings files; ///< made with their own name as content; a name ending in "/" is a folder
    Mapping map;
    Strings after; ///< "name=content" of every entry afterwards, sorted; a folder "name/=its name before"
    Strings failures; ///< "old name: reason", sorted
    int cycles = 0;
    std::string mask = "*.*";
    NameCaseRule nameCase = NameCaseRule::Exact;
    bool renameDirs = true;
    friend void PrintTo(const PlanCase& c, std::ostream* os) { *os << c.label; }
};

/// The entries of a folder as "name=content" (a folder: "name/=" + the name in its "id" file),
/// sorted, the undo file left out.
Strings folderState(const TempTree& tree)
{
    Strings out;
    for (const std::string& name : tree.list()) {
        if (name == kUndoFileName)
            continue;
        struct stat st;
        EXPECT_EQ(::lstat(tree.at(name).c_str(), &st), 0) << name;
        out.push_back(
            S_ISDIR(st.st_mode) ? name + "/=" + tree.read(name + "/id") : name + "=" + tree.read(name));
    }
    std::sort(out.begin(), out.end());
    return out;
}

/// "old name: reason" for every "! Cannot rename O to N: reason" line of a run's log.
Strings failuresInLog(const Strings& log, const PlanCase& c)
{
    Strings out;
    for (const std::string& line : log) {
        if (!line.starts_with("! Cannot rename "))
            continue;
        // The old name is the one of the mapping that the line begins with.
        const std::string rest = line.substr(16);
        std::string old;
        for (const auto& [from, to] : c.map) {
            if (rest.starts_with(from + " to ") && from.size() > old.size())
                old = from;
        }
        const std::size_t colon = rest.find(": ", old.size());
        out.push_back(old + ": " + rest.substr(colon + 2));
    }
    std::sort(out.begin(), out.end());
    return out;
}

/// "old name: reason" for every error node of a simulated tree.
Strings failuresInTree(const ResultTree& tree)
{
    Strings out;
    for (std::int32_t i = 1; i < static_cast<std::int32_t>(tree.size()); ++i) {
        const ResultNode& n = tree.node(i);
        if (n.state != ResultState::Error)
            continue;
        const std::size_t was = n.text.rfind(" (was \"");
        const std::string old = n.text.substr(was + 7, n.text.size() - was - 9);
        out.push_back(old + ": " + std::string(tree.reason(i)));
    }
    std::sort(out.begin(), out.end());
    return out;
}

using PlanCaseTest = ::testing::TestWithParam<PlanCase>;

TEST_P(PlanCaseTest, TheSimulationForeseesTheRunAndUndoGivesEverythingBack)
{
    const PlanCase& c = GetParam();
    TempTree tree;
    for (const std::string& name : c.files) {
        if (name.ends_with('/'))
            tree.file(name + "id", name.substr(0, name.size() - 1));
        else
            tree.file(name, name);
    }
    RenameSession session;
    session.jobs = {mapJob(c.map)};
    RunOptions o;
    o.startFolder = tree.path();
    o.mask = c.mask;
    o.renameDirs = c.renameDirs;
    o.nameCase = c.nameCase;
    o.undo = true;
    o.log = true;
    simulateRunAndUndo(
        session, o, nullptr, [&](const ResultTree& simulated, const RecorderHost& host, const RunResult& r) {
            EXPECT_EQ(failuresInTree(simulated), c.failures) << simulated.toText();
            EXPECT_EQ(folderState(tree), c.after);
            EXPECT_EQ(failuresInLog(host.log, c), c.failures);
            EXPECT_EQ(r.renameFailures, static_cast<std::int32_t>(c.failures.size()));
            EXPECT_EQ(host.messages.size(), c.failures.size());
            EXPECT_EQ(r.cycles, c.cycles);
        });
}

INSTANTIATE_TEST_SUITE_P(Table, PlanCaseTest,
    ::testing::Values(
        // Renumbering up by one: every new name is held by the next file until it moves.
        PlanCase {"ShiftUpByOne", {"1.txt", "2.txt", "3.txt", "4.txt", "5.txt"},
            {{"1.txt", "2.txt"}, {"2.txt", "3.txt"}, {"3.txt", "4.txt"}, {"4.txt", "5.txt"},
                {"5.txt", "6.txt"}},
            {"2.txt=1.txt", "3.txt=2.txt", "4.txt=3.txt", "5.txt=4.txt", "6.txt=5.txt"}, {}},
        PlanCase {"Swap", {"a.txt", "b.txt"}, {{"a.txt", "b.txt"}, {"b.txt", "a.txt"}},
            {"a.txt=b.txt", "b.txt=a.txt"}, {}, 1},
        PlanCase {"Rotation", {"a.txt", "b.txt", "c.txt"},
            {{"a.txt", "b.txt"}, {"b.txt", "c.txt"}, {"c.txt", "a.txt"}},
            {"a.txt=c.txt", "b.txt=a.txt", "c.txt=b.txt"}, {}, 1},
        PlanCase {"TwoCyclesAndAChain", {"a", "b", "c", "d", "e", "f", "g"},
            {{"a", "b"}, {"b", "a"}, {"c", "d"}, {"d", "c"}, {"e", "f"}, {"f", "g"}, {"g", "h"}},
            {"a=b", "b=a", "c=d", "d=c", "f=e", "g=f", "h=g"}, {}, 2},
        PlanCase {"CycleThroughAFolderAndAFile", {"x/", "y.txt"}, {{"x", "y.txt"}, {"y.txt", "x"}},
            {"x=y.txt", "y.txt/=x"}, {}, 1},
        // What the simulation could not see: a hidden file and a file outside the mask.
        PlanCase {"HeldByAHiddenFile", {"a.txt", ".config"}, {{"a.txt", ".config"}},
            {".config=.config", "a.txt=a.txt"}, {"a.txt: held by .config, which stays"}},
        PlanCase {"HeldByAFileOutsideTheMask", {"a.txt", "b.jpg"}, {{"a.txt", "b.jpg"}},
            {"a.txt=a.txt", "b.jpg=b.jpg"}, {"a.txt: held by b.jpg, which stays"}, 0, "*.txt"},
        PlanCase {"TwoWantOneNameTheFirstGetsIt", {"a.txt", "b.txt"},
            {{"a.txt", "c.txt"}, {"b.txt", "c.txt"}}, {"b.txt=b.txt", "c.txt=a.txt"},
            {"b.txt: also the new name of a.txt, which comes first"}},
        PlanCase {"AFailureCascades", {"a.txt", "b.txt", "c.txt"}, {{"a.txt", "b.txt"}, {"c.txt", "a.txt"}},
            {"a.txt=a.txt", "b.txt=b.txt", "c.txt=c.txt"},
            {"a.txt: held by b.txt, which stays", "c.txt: held by a.txt, whose own rename fails"}},
        PlanCase {"ARefusedNameBreaksARotation", {"a.txt", "b.txt", "c.txt"},
            {{"a.txt", "b.txt"}, {"b.txt", "x/y"}, {"c.txt", "a.txt"}},
            {"a.txt=a.txt", "b.txt=b.txt", "c.txt=c.txt"},
            {"a.txt: held by b.txt, whose own rename fails",
                "b.txt: a name with \"/\", which would leave the folder",
                "c.txt: held by a.txt, whose own rename fails"}},
        // The folder is the one that fails, not the file that stays.
        PlanCase {"AFolderWhoseNameIsHeldByAFileThatStays", {"D/", "f.txt"}, {{"D", "f.txt"}},
            {"D/=D", "f.txt=f.txt"}, {"D: held by f.txt, which stays"}},
        PlanCase {"CaseTwinsOnACaseSensitiveFileSystem", {"Makefile", "makefile"},
            {{"Makefile", "old-Makefile"}, {"makefile", "old-makefile"}},
            {"old-Makefile=Makefile", "old-makefile=makefile"}, {}},
        PlanCase {"UndoFileNameInAnotherCaseIsAnotherName", {"notes"}, {{"notes", "_BRINDLEWICK_UNDO.TXT"}},
            {"_BRINDLEWICK_UNDO.TXT=notes"}, {}},
        PlanCase {"ALineFeedIsRefusedWhileUndoFilesAreWritten", {"a"}, {{"a", "a\nb"}}, {"a=a"},
            {"a: a line feed, which the undo file cannot record"}},
        // Where the file system folds case.
        PlanCase {"FoldingACaseOnlyChangeIsTheEntryItself", {"README"}, {{"README", "readme"}},
            {"readme=README"}, {}, 0, "*.*", NameCaseRule::Folding},
        PlanCase {"FoldingANameHeldInAnotherCase", {"a.txt", "b.txt"}, {{"a.txt", "B.TXT"}},
            {"a.txt=a.txt", "b.txt=b.txt"}, {"a.txt: held by b.txt, which stays"}, 0, "*.*",
            NameCaseRule::Folding},
        PlanCase {"FoldingTwoWantOneName", {"x1", "x2"}, {{"x1", "Same"}, {"x2", "SAME"}},
            {"Same=x1", "x2=x2"}, {"x2: also the new name of x1, which comes first"}, 0, "*.*",
            NameCaseRule::Folding},
        PlanCase {"FoldingLettersOfEveryScript", {"a", "b"},
            {{"a", "\xc3\xa9t\xc3\xa9"}, {"b", "\xc3\x89T\xc3\x89"}}, {"b=b", "\xc3\xa9t\xc3\xa9=a"},
            {"b: also the new name of a, which comes first"}, 0, "*.*", NameCaseRule::Folding},
        PlanCase {"FoldingSwapAcrossCase", {"a.txt", "b.txt"}, {{"a.txt", "B.txt"}, {"b.txt", "A.txt"}},
            {"A.txt=b.txt", "B.txt=a.txt"}, {}, 1, "*.*", NameCaseRule::Folding},
        PlanCase {"FoldingTheUndoFilesNameIsHeld", {"notes"}, {{"notes", "_BRINDLEWICK_UNDO.TXT"}},
            {"notes=notes"}, {"notes: held by _brindlewick_undo.txt, which stays"}, 0, "*.*",
            NameCaseRule::Folding}),
    [](const ::testing::TestParamInfo<PlanCase>& info) { return info.param.label; });

class PlanRunTest : public ::testing::Test
{
protected:
    RunResult run(RunOptions o = {})
    {
        o.startFolder = tree.path();
        o.nameCase = NameCaseRule::Exact;
        return runRename(session, host, o, &result);
    }

    TempTree tree;
    RenameSession session;
    RecorderHost host;
    ResultTree result;
};

TEST_F(PlanRunTest, TheLogShowsEachRenameAsItHappensAndTheTemporaryStep)
{
    for (const char* name : {"a", "b", "c", "d"})
        tree.file(name, name, test::localTime(2004, 3, 5, 9, 1));
    session.jobs = {mapJob({{"a", "b"}, {"b", "a"}, {"c", "d"}, {"d", "e"}})};
    RunOptions o;
    o.log = true;
    o.undo = true;
    run(o);
    const Strings body(host.log.begin() + 1, host.log.end() - 3);
    ASSERT_EQ(body.size(), 16u) << ::testing::PrintToString(host.log);
    const std::string temporary = body[7].substr(38, 25);
    EXPECT_TRUE(temporary.starts_with(".brindlewick-tmp-")) << body[7];
    // The listing comes in the folder's own order.
    Strings added(body.begin() + 2, body.begin() + 6);
    std::sort(added.begin(), added.end());
    EXPECT_EQ(added,
        (Strings {"- Added file 05/03/2004 09:01 a", "- Added file 05/03/2004 09:01 b",
            "- Added file 05/03/2004 09:01 c", "- Added file 05/03/2004 09:01 d"}));
    EXPECT_EQ(Strings(body.begin(), body.begin() + 2),
        (Strings {"> Changing to " + tree.path(), "+ Sorting directories..."}));
    EXPECT_EQ(Strings(body.begin() + 6, body.end()),
        (Strings {"+ Sorting files...",
            // The swap: a steps aside, b takes a's name, a takes b's.
            "* Renaming file a to a temporary name " + temporary + " (cycle)", "* Renaming file b",
            "* New name a", "* Renaming file a", "* New name b",
            // The chain runs from its free end: d to e first, then c to d.
            "* Renaming file d", "* New name e", "* Renaming file c", "* New name d"}));
    // Every step on disk is in the undo file, the temporary one too.
    EXPECT_EQ(tree.read("_brindlewick_undo.txt"),
        temporary + "\r\na\r\na\r\nb\r\nb\r\n" + temporary + "\r\ne\r\nd\r\nd\r\nc\r\n");
    EXPECT_EQ(tree.read("a"), "b");
    EXPECT_EQ(tree.read("b"), "a");
    EXPECT_EQ(tree.read("d"), "c");
    EXPECT_EQ(tree.read("e"), "d");
}

// ---- the plan alone, without a folder ----

/// Files named by number, zero-padded to six digits, in that order.
FileEntryList numbered(int count)
{
    FileEntryList files;
    files.reserve(static_cast<std::size_t>(count));
    char name[16];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, "%06d", i);
        files.emplace_back(name, 0.0);
    }
    return files;
}

/// Every number one up: the name is replaced by the counter, starting at 1. With wrap, the last
/// takes the first's name and the whole folder is one cycle.
std::vector<Job> shiftJobs(int count, bool wrap)
{
    std::vector<Job> jobs = {makeJob(jobRemove, posBegin, 6), makeJob(jobCounter, posBegin, 6)};
    if (wrap) {
        char last[16];
        std::snprintf(last, sizeof last, "%06d", count);
        jobs.push_back(makeJob(jobReplace, replaceRegex, 1, 0, std::string("\\A") + last + "\\z", "000000"));
    }
    return jobs;
}

RenamePlan::Options unsorted(NameCase nameCase = NameCase::Exact)
{
    RenamePlan::Options o;
    o.sort = false;
    o.undo = true;
    o.nameCase = nameCase;
    return o;
}

/// Makes the plan's steps on a folder held in memory, as the real run makes them on disk, and
/// checks that every target is free when its turn comes. Returns the entries' final names
/// by entry.
Strings replaySteps(const RenamePlan& plan, const NameList& others)
{
    std::map<std::string, std::size_t> names; // name on the model disk -> entry (others: npos)
    Strings at(plan.size());
    for (std::size_t i = 0; i < plan.size(); ++i) {
        at[i] = plan.entry(i).name;
        names[at[i]] = i;
    }
    for (std::size_t k = 0; k < others.size(); ++k)
        names[std::string(others[k])] = std::string::npos;
    const auto move = [&](std::size_t i, const std::string& to) {
        EXPECT_FALSE(names.contains(to)) << at[i] << " -> " << to << " while it is held";
        names.erase(at[i]);
        names[to] = i;
        at[i] = to;
    };
    for (const PlanStep& step : plan.steps()) {
        if (step.toTemporary)
            move(step.entry, plan.temporaryName());
        else if (plan.verdict(step.entry) == Verdict::Renamed)
            move(step.entry, std::string(plan.newName(step.entry)));
    }
    return at;
}

TEST(FolderPlanTest, AHundredThousandShiftedByOneRunFromTheFreeEnd)
{
    constexpr int kCount = 100000;
    std::int32_t counter = 1;
    RenamePlan plan;
    plan.compute({}, numbered(kCount), {}, unsorted(), shiftJobs(kCount, false), counter);
    EXPECT_EQ(plan.cycleCount(), 0u);
    EXPECT_TRUE(plan.temporaryName().empty());
    ASSERT_EQ(plan.steps().size(), static_cast<std::size_t>(kCount));
    EXPECT_EQ(plan.steps().front().entry, static_cast<std::uint32_t>(kCount - 1));
    EXPECT_EQ(plan.steps().back().entry, 0u);
    const Strings final = replaySteps(plan, {});
    EXPECT_EQ(final.front(), "000001");
    EXPECT_EQ(final.back(), "100000");
}

TEST(FolderPlanTest, AHundredThousandInOneCycleTakeOneTemporaryName)
{
    constexpr int kCount = 100000;
    std::int32_t counter = 1;
    RenamePlan plan;
    plan.compute({}, numbered(kCount), {}, unsorted(), shiftJobs(kCount, true), counter);
    EXPECT_EQ(plan.cycleCount(), 1u);
    EXPECT_TRUE(plan.temporaryName().starts_with(kTemporaryPrefix));
    ASSERT_EQ(plan.steps().size(), static_cast<std::size_t>(kCount + 1));
    EXPECT_TRUE(plan.steps().front().toTemporary);
    EXPECT_EQ(std::count_if(
                  plan.steps().begin(), plan.steps().end(), [](const PlanStep& s) { return s.toTemporary; }),
        1);
    for (std::size_t i = 0; i < plan.size(); ++i)
        ASSERT_EQ(plan.verdict(i), Verdict::Renamed) << i;
    const Strings final = replaySteps(plan, {});
    EXPECT_EQ(final.front(), "000001");
    EXPECT_EQ(final.back(), "000000");
}

TEST(FolderPlanTest, AFailureAtTheEndOfAHundredThousandLongChainFailsEveryEntry)
{
    constexpr int kCount = 100000;
    std::int32_t counter = 1;
    NameList others;
    others.push_back("100000"); // a name outside the mask holds the chain's last target
    RenamePlan plan;
    plan.compute({}, numbered(kCount), others, unsorted(), shiftJobs(kCount, false), counter);
    for (std::size_t i = 0; i < plan.size(); ++i) {
        ASSERT_EQ(plan.verdict(i), Verdict::Failed) << i;
        ASSERT_EQ(plan.failure(i), Failure::Held) << i;
    }
    EXPECT_EQ(plan.reason(kCount - 1), "held by 100000, which stays");
    EXPECT_EQ(plan.reason(0), "held by 000001, whose own rename fails");
    // Nothing moves.
    const Strings final = replaySteps(plan, others);
    EXPECT_EQ(final.front(), "000000");
    EXPECT_EQ(final.back(), "099999");
}

TEST(FolderPlanTest, ANameThatGrowsPastTheBoundFailsAndKeepsItsNameWhileTheOthersGoOn)
{
    // Doubling "a" twelve times makes 4096 bytes, the bound; "aa" grows one step further. The
    // jobs after the failure do nothing, the counter job among them.
    std::vector<Job> jobs = {mapJob({{"b", "aa"}, {"c", "z"}})};
    for (int i = 0; i < 12; ++i)
        jobs.push_back(makeJob(jobReplace, replaceRegex, 1, 0, "^(a.*)$", "$1$1"));
    jobs.push_back(makeJob(jobReplace, replaceRegex, 1, 0, "^a+$", "x"));
    jobs.push_back(makeJob(jobCounter, posEnd, 1));
    FileEntryList files = {FileEntry("a", 0), FileEntry("b", 0), FileEntry("c", 0)};
    std::int32_t counter = 1;
    RenamePlan plan;
    plan.compute({}, files, {}, unsorted(), jobs, counter);
    EXPECT_EQ(counter, 3);
    EXPECT_EQ(plan.newName(0), "x1");
    EXPECT_EQ(plan.verdict(1), Verdict::Failed);
    EXPECT_EQ(plan.failure(1), Failure::JobFailed);
    EXPECT_TRUE(plan.refused(1));
    EXPECT_EQ(plan.newName(1), "b");
    EXPECT_EQ(plan.reason(1), "the new name grew longer than 4096 bytes");
    EXPECT_EQ(plan.verdict(2), Verdict::Renamed);
    EXPECT_EQ(plan.newName(2), "z2");

    RenameSession session;
    session.jobs = jobs;
    session.counterValue = 1;
    std::string why;
    EXPECT_EQ(session.applyJobList("b", &why), "b");
    EXPECT_EQ(why, "the new name grew longer than 4096 bytes");
    EXPECT_EQ(session.counterValue, 1);
}

TEST(FolderPlanTest, TheTemporaryNameIsHiddenAndHeldByNoEntry)
{
    NameList others;
    for (int i = 0; i < 50; ++i)
        others.push_back(std::string(kTemporaryPrefix) + std::to_string(i));
    FileEntryList files = {FileEntry("a", 0), FileEntry("b", 0)};
    std::int32_t counter = 0;
    RenamePlan plan;
    plan.compute({}, files, others, unsorted(), {mapJob({{"a", "b"}, {"b", "a"}})}, counter);
    ASSERT_EQ(plan.cycleCount(), 1u);
    EXPECT_EQ(plan.temporaryName().size(), kTemporaryPrefix.size() + 8);
    for (std::size_t k = 0; k < others.size(); ++k)
        EXPECT_NE(plan.temporaryName(), others[k]);
    EXPECT_EQ(replaySteps(plan, others), (Strings {"b", "a"}));
}

TEST(FolderPlanTest, ConfirmationsComeInListingOrderAndADeclinedEntryHoldsItsName)
{
    // Subfolders first, then files, each asked once; the declined b keeps its name, so a,
    // which wanted it, fails.
    FileEntryList dirs = {FileEntry("D", 0)};
    FileEntryList files = {FileEntry("a", 0), FileEntry("b", 0), FileEntry("c", 0)};
    RenamePlan::Options o = unsorted();
    o.renameDirs = true;
    Strings asked;
    std::int32_t counter = 0;
    RenamePlan plan;
    plan.compute(dirs, files, {}, o, {mapJob({{"D", "E"}, {"a", "b"}, {"b", "c2"}, {"c", "d"}})}, counter,
        [&](const FileEntry& e, EntryKind, std::string_view newName) {
            asked.push_back(e.name + ">" + std::string(newName));
            return e.name != "b" ? RenamePlan::Answer::Yes : RenamePlan::Answer::No;
        });
    EXPECT_EQ(asked, (Strings {"D>E", "a>b", "b>c2", "c>d"}));
    EXPECT_EQ(plan.verdict(0), Verdict::Renamed);
    EXPECT_EQ(plan.verdict(1), Verdict::Failed);
    EXPECT_EQ(plan.reason(1), "held by b, which stays");
    EXPECT_EQ(plan.verdict(2), Verdict::Declined);
    EXPECT_EQ(plan.verdict(3), Verdict::Renamed);

    // Cancelled while b was to be asked: b and c keep their names, unexamined.
    RenamePlan stopped;
    stopped.setListing(dirs, files, {});
    EXPECT_FALSE(stopped.name({mapJob({{"D", "E"}, {"a", "x"}, {"b", "y"}, {"c", "z"}})}, counter, o,
        [&](const FileEntry& e, EntryKind, std::string_view) {
            return e.name == "b" ? RenamePlan::Answer::Stop : RenamePlan::Answer::Yes;
        }));
    EXPECT_TRUE(stopped.named(1));
    EXPECT_EQ(stopped.verdict(1), Verdict::Renamed);
    EXPECT_FALSE(stopped.named(2));
    EXPECT_FALSE(stopped.named(3));
    EXPECT_EQ(stopped.newName(3), "c");
}

TEST(FolderPlanTest, PlansMadeOnOtherThreadsAreTheSame)
{
    // Sorting with the shared collator, a regular expression and folded keys, on four threads
    // at once, each from its own copy of the jobs.
    FileEntryList files;
    for (int i = 0; i < 3000; ++i)
        files.emplace_back((i % 3 == 0 ? "IMG " : "img ") + std::to_string(i * 7919 % 3000) + ".JPG", 0.0);
    const std::vector<Job> jobs = {makeJob(jobReplace, replaceRegex, 0, 0, "(img) (\\d+)", "$2 $1"),
        makeJob(jobLower, 0, 1), makeJob(jobCounter, posEnd, 2)};
    RenamePlan::Options o;
    o.naturalSort = true;
    o.nameCase = NameCase::Folding;
    const auto make = [&](std::vector<Job> ownJobs) {
        std::int32_t counter = 5;
        RenamePlan plan;
        plan.compute({}, files, {}, o, ownJobs, counter);
        Strings out;
        for (std::size_t i = 0; i < plan.size(); ++i)
            out.push_back(plan.entry(i).name + ">" + std::string(plan.newName(i)) + ":" + plan.reason(i));
        return out;
    };
    const Strings alone = make(jobs);
    std::vector<Strings> results(4);
    std::vector<std::thread> threads;
    for (Strings& r : results)
        threads.emplace_back([&, copy = jobs]() mutable { r = make(std::move(copy)); });
    for (std::thread& t : threads)
        t.join();
    for (const Strings& r : results)
        EXPECT_EQ(r, alone);
}

struct KeyCase {
    const char* label;
    std::string a;
    std::string b;
    bool same;
    friend void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.label; }
};

using FoldedKeyTest = ::testing::TestWithParam<KeyCase>;

TEST_P(FoldedKeyTest, ClashesAsAFileSystemThatFoldsCase)
{
    std::string a;
    std::string b;
    foldedNameKey(GetParam().a, a);
    foldedNameKey(GetParam().b, b);
    EXPECT_EQ(a == b, GetParam().same);
}

INSTANTIATE_TEST_SUITE_P(Table, FoldedKeyTest,
    ::testing::Values(KeyCase {"Ascii", "ReadMe.TXT", "readme.txt", true},
        KeyCase {"LatinAccent", "\xc3\x89t\xc3\xa9", "\xc3\xa9T\xc3\x89", true},
        KeyCase {"AccentIsNotCase", "\xc3\xa9", "e", false},
        KeyCase {"GreekFinalSigma", "\xce\xbf\xcf\x82", "\xce\x9f\xce\xa3", true},
        KeyCase {"GreekAccentDropped", "\xce\x86", "\xce\xb1", true},
        KeyCase {"CyrillicCase", "\xd0\x94", "\xd0\xb4", true},
        KeyCase {"InvalidBytesStay", "a\xff", "A\xff", true},
        KeyCase {"InvalidBytesDiffer", "a\xfe", "a\xff", false}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return info.param.label; });

TEST(NameCaseTest, ThisFileSystemComparesBytesAndTheFoldingTypesAreKnown)
{
    TempTree tree;
    tree.file("Probe.txt");
    const int fd = ::open(tree.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    // The scratch folders live on tmpfs or ext4 without the case-folding flag.
    EXPECT_EQ(detectNameCase(fd, "Probe.txt"), NameCase::Exact);
    EXPECT_EQ(detectNameCase(fd, ""), NameCase::Exact);
    ::close(fd);
    EXPECT_TRUE(fileSystemFoldsCase(0x4d44)); // FAT
    EXPECT_TRUE(fileSystemFoldsCase(0x2011BAB0)); // exFAT
    EXPECT_FALSE(fileSystemFoldsCase(0xEF53)); // ext2/3/4
    EXPECT_FALSE(fileSystemFoldsCase(0x01021994)); // tmpfs
}

} // namespace
} // namespace brindle
