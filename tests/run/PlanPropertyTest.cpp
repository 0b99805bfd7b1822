// Random folder trees full of chains, swaps, rotations and clashes, through a simulation and
// then the real run with the same options, on a file system that compares bytes and with the
// run told that it folds case. Each case has its own fixed seed.
//
// What must hold, entry for entry: the simulation marks as errors exactly the entries the real
// run fails on, with the same reasons; every entry it shows renamed gets exactly that name;
// the counts are the same; nothing is lost; undo of the whole tree gives it back. The plan of
// the starting folder alone (the file list's New name column) agrees with the simulation there.
// Half the cases also give random entries new names by hand, which override the jobs and must
// keep every one of these promises as well.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "common/TempTree.h"
#include "common/TreeSnapshot.h"
#include "run/PropertyTestUtil.h"
#include "run/PlanTestUtil.h"
#include "core/run/NameCollator.h"
#include "core/run/UndoFile.h"
#include "core/run/RenameRun.h"

namespace brindle
{
namespace
{

using test::contentMultiset;
using test::lastName;
using test::makeJob;
using test::mapJob;
using test::pathsByInode;
using test::Random;
using test::sameTree;
using test::SimulationPathHost;
using test::snapshotTree;
using test::TempTree;
using test::treeDifference;
using test::TreeSnapshot;

using Strings = std::vector<std::string>;

/// The names a tree is made of, and that the mapping jobs send names to: few enough that
/// chains, cycles and clashes are common. Case twins, Latin and Greek letters, hidden names.
Strings namePool()
{
    Strings pool;
    for (const char* stem :
        {"a", "b", "c", "A", "B", "x y", "\xc3\xa9", "\xc3\x89", "\xcf\x83", "\xce\xa3", "1", "2"})
        for (const char* ext : {"", ".txt", ".TXT", ".jpg"})
            pool.push_back(std::string(stem) + ext);
    for (const char* hidden : {".h", ".H", ".c"})
        pool.push_back(hidden);
    return pool;
}

/// New names no entry can have, or that only a simulation that knows the rules would flag.
const Strings kOddTargets
    = {"", ".", "..", "x/y", "_brindlewick_undo.txt", "_Brindlewick_Undo.TXT", "l\nf", std::string(256, 'L')};

void writeFile(const std::string& path, const std::string& content)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
    ::close(fd);
}

void makeTree(Random& random, const std::string& folder, int depth, const Strings& pool, int& serial)
{
    const int entries = 3 + random.below(8);
    std::set<std::string> taken;
    for (int i = 0; i < entries; ++i) {
        const std::string name = random.pick(pool);
        if (!taken.insert(name).second)
            continue;
        const std::string path = folder + "/" + name;
        if (depth < 2 && random.chance(20)) {
            ASSERT_EQ(::mkdir(path.c_str(), 0755), 0) << path;
            makeTree(random, path, depth + 1, pool, serial);
        } else if (random.chance(5)) {
            ASSERT_EQ(::symlink("elsewhere", path.c_str()), 0) << path;
        } else {
            writeFile(path, "file " + std::to_string(serial++));
        }
    }
    // Numbers a counter can shift by one: n1, n2, ... each new name held by the next file.
    if (random.chance(30)) {
        const int count = 2 + random.below(5);
        for (int i = 1; i <= count; ++i)
            writeFile(folder + "/n" + std::to_string(i), "file " + std::to_string(serial++));
    }
}

/// A job that sends names along chains and rotations, onto each other and onto names no entry
/// can have: mostly names the starting folder holds (present), so that cycles close there.
Job randomMapping(Random& random, const Strings& pool, const Strings& present)
{
    const auto name = [&]() -> const std::string& {
        return present.empty() || random.chance(30) ? random.pick(pool) : random.pick(present);
    };
    std::vector<std::pair<std::string, std::string>> map;
    std::set<std::string> sources;
    const auto add = [&](const std::string& from, const std::string& to) {
        if (sources.insert(from).second)
            map.emplace_back(from, to);
    };
    // A rotation of a few names.
    if (random.chance(75)) {
        int k = 2 + random.below(4);
        Strings ring;
        for (int tries = 0; tries < 20 && static_cast<int>(ring.size()) < k; ++tries) {
            const std::string& n = present.empty() ? random.pick(pool) : random.pick(present);
            if (std::find(ring.begin(), ring.end(), n) == ring.end())
                ring.push_back(n);
        }
        k = static_cast<int>(ring.size());
        for (int i = 0; i < k; ++i)
            add(ring[static_cast<std::size_t>(i)], ring[static_cast<std::size_t>((i + 1) % k)]);
    }
    // Chains and clashes.
    const int more = 2 + random.below(8);
    for (int i = 0; i < more; ++i)
        add(name(), random.chance(85) ? name() : random.pick(kOddTargets));
    return mapJob(map);
}

/// The simulation's verdict on every entry, by the entry's path before the run.
struct Predicted {
    std::string newName;
    ResultState state = ResultState::Unchanged;
    std::string failureLine; // "! Cannot rename O to N: reason" for an error
};

class SimulationHost : public SimulationPathHost
{
public:
    std::map<std::string, Predicted> predicted;

    void showMessage(std::string_view) override { }
    void resultNodeAdded(const ResultTree& tree, std::int32_t index) override
    {
        const ResultNode& node = tree.node(index);
        const std::string path = nodePath(tree, index);
        const std::string& old = oldName();
        Predicted p;
        p.state = node.state;
        p.newName = node.text;
        if (node.state == ResultState::Error) {
            p.newName.resize(node.text.size() - old.size() - 9); // " (was \"O\")"
            p.failureLine
                = "! Cannot rename " + old + " to " + p.newName + ": " + std::string(tree.reason(index));
        }
        predicted[path] = p;
    }
};

class RunLogHost : public IRunHost
{
public:
    std::multiset<std::string> failureLines;
    std::vector<std::string> messages;

    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    bool askYesNo(std::string_view, Question) override { return true; }
    void logLine(std::string_view line) override
    {
        const std::size_t start = line.find_first_not_of(' ');
        if (start != std::string_view::npos && line.substr(start).starts_with("! "))
            failureLines.emplace(line.substr(start));
    }
};

using PlanPropertyTest = ::testing::TestWithParam<unsigned>;

TEST_P(PlanPropertyTest, TheSimulationTellsWhatTheRunDoesEntryForEntry)
{
    Random random(GetParam());
    const Strings pool = namePool();
    TempTree root(test::memoryTempBase());
    const std::string start = root.at("tree");
    ASSERT_EQ(::mkdir(start.c_str(), 0755), 0);
    int serial = 0;
    makeTree(random, start, 0, pool, serial);

    RenameSession session;
    RunOptions o;
    o.startFolder = start;
    o.recurse = random.chance(80);
    o.renameDirs = random.chance(50);
    o.undo = true;
    o.log = true;
    o.nameCase = random.chance(50) ? NameCaseRule::Exact : NameCaseRule::Folding;
    o.mask = random.pick(Strings {"*.*", "*.*", "*.txt", "*", "?*", "n*"});
    o.sort = random.chance(80);
    o.sortOrder = random.chance(70) ? SortOrder::NameAsc : SortOrder::NameDesc;
    o.resetCounter = random.chance(70);
    const int kind = random.below(10);
    if (kind < 6) {
        session.jobs = {randomMapping(random, pool, root.list("tree"))};
    } else if (kind < 8) {
        // The numbers one up (or down), each folder counting from its own start.
        session.jobs = {makeJob(jobRemove, posEnd, 1), makeJob(jobCounter, posEnd, 1)};
        o.counterStart = random.chance(70) ? 2 : 0;
        o.resetCounter = true;
    } else {
        session.jobs = {random.chance(50) ? makeJob(jobLower) : makeJob(jobUpper, 0, 1),
            makeJob(jobReplace, replaceText, 0, 0, random.pick(Strings {"a", "b", ".txt", "1"}),
                random.pick(Strings {"b", "a", ".TXT", "2", ""}))};
    }

    const TreeSnapshot original = snapshotTree(start);
    std::map<ino_t, std::string> pathOf = pathsByInode(original);

    // Names given by hand: swaps of two entries of one folder, names of entries that stay,
    // names no entry can have, and a list line for a name the folder does not hold.
    ManualNames manual;
    if (random.chance(50)) {
        std::map<std::string, Strings> byFolder;
        for (const auto& [path, entry] : original) {
            const auto [folder, name] = splitRelative(path);
            byFolder[folder].push_back(name);
        }
        for (const auto& [folder, names] : byFolder) {
            FolderNames& f = manual.folder(folder);
            for (const std::string& name : names) {
                if (!random.chance(25))
                    continue;
                const int what = random.below(10);
                if (what < 3 && names.size() > 1) {
                    const std::string& other = random.pick(names);
                    f.set(name, other);
                    f.set(other, name);
                } else if (what < 7) {
                    f.set(name, random.pick(names));
                } else if (what < 9) {
                    f.set(name, random.pick(pool));
                } else {
                    f.set(name, random.pick(kOddTargets));
                }
            }
            if (random.chance(20))
                f.set("not-there", "anything");
        }
    }

    // The simulation changes nothing.
    SimulationHost simHost;
    RunOptions sim = o;
    sim.simulation = true;
    ResultTree tree;
    const RunResult simulated = runRename(session, simHost, sim, &tree, &manual);
    const RunStats simStats = session.stats;
    ASSERT_TRUE(sameTree(snapshotTree(start), original));

    // The plan of the starting folder alone, as the file list's New name column makes it,
    // says of each of its entries what the simulation says.
    RenamePlan preview;
    ASSERT_EQ(planStartingFolder(o, session.jobs, preview, nullptr, manual.find("")), 0);
    for (std::size_t i = 0; i < preview.size(); ++i) {
        const std::string& name = preview.entry(i).name;
        const auto it = simHost.predicted.find(name);
        ASSERT_NE(it, simHost.predicted.end()) << name;
        const Verdict v = preview.verdict(i);
        const ResultState state = v == Verdict::Renamed ? ResultState::Renamed
            : v == Verdict::Failed                      ? ResultState::Error
                                                        : ResultState::Unchanged;
        EXPECT_EQ(state, it->second.state) << name;
        if (state != ResultState::Unchanged) {
            EXPECT_EQ(preview.newName(i), it->second.newName) << name;
        }
        // An entry named by hand that is to be renamed gets exactly that name.
        const FolderNames* top = manual.find("");
        const std::string* byHand = top && preview.named(i) ? top->manualName(name) : nullptr;
        if (byHand && v != Verdict::Failed) {
            EXPECT_TRUE(preview.manual(i)) << name;
            EXPECT_EQ(preview.newName(i), *byHand) << name;
        }
    }
    EXPECT_EQ(preview.size(),
        static_cast<std::size_t>(std::count_if(simHost.predicted.begin(), simHost.predicted.end(),
            [](const auto& p) { return p.first.find('/') == std::string::npos; })));

    // The real run.
    RunLogHost runHost;
    const RunResult r = runRename(session, runHost, o, nullptr, &manual);
    EXPECT_FALSE(r.stopped) << r.ioError;
    EXPECT_EQ(r.foldersNotEntered, 0);

    // The same failures with the same reasons, and the same counts.
    std::multiset<std::string> foreseen;
    for (const auto& [path, p] : simHost.predicted) {
        if (p.state == ResultState::Error)
            foreseen.insert(p.failureLine);
    }
    EXPECT_EQ(runHost.failureLines, foreseen);
    EXPECT_EQ(static_cast<std::size_t>(r.renameFailures), foreseen.size());
    EXPECT_EQ(session.stats.filesRenamed, simStats.filesRenamed);
    EXPECT_EQ(session.stats.foldersRenamed, simStats.foldersRenamed);
    EXPECT_EQ(session.stats.filesExamined, simStats.filesExamined);
    EXPECT_EQ(session.stats.errorCount, simStats.errorCount);
    EXPECT_EQ(r.allWentThrough(session.stats), simulated.allWentThrough(simStats));

    // Entry for entry: renamed exactly where the simulation said, to the name it showed.
    const TreeSnapshot afterRun = snapshotTree(start, std::string(kUndoFileName));
    EXPECT_EQ(contentMultiset(afterRun), contentMultiset(original));
    EXPECT_EQ(afterRun.size(), original.size());
    for (const auto& [path, entry] : afterRun) {
        ASSERT_TRUE(pathOf.contains(entry.inode)) << path;
        const std::string& was = pathOf[entry.inode];
        const auto it = simHost.predicted.find(was);
        const bool shownRenamed = it != simHost.predicted.end() && it->second.state == ResultState::Renamed;
        if (shownRenamed)
            EXPECT_EQ(lastName(path), it->second.newName) << was;
        else
            EXPECT_EQ(lastName(path), lastName(was))
                << "renamed though shown " << (it == simHost.predicted.end() ? "nowhere" : "unrenamed");
    }

    // Undo of the whole tree gives it back.
    RunLogHost undoHost;
    const UndoResult u = undoTree(start, undoHost);
    EXPECT_EQ(u.errors, 0) << (undoHost.messages.empty() ? "" : undoHost.messages.front());
    // Each entry the run renamed is counted once, though a cycle's member goes back in two steps.
    EXPECT_EQ(u.renamed, session.stats.filesRenamed + session.stats.foldersRenamed);
    const TreeSnapshot restored = snapshotTree(start);
    EXPECT_TRUE(sameTree(restored, original)) << treeDifference(original, restored);
}

INSTANTIATE_TEST_SUITE_P(Seeds, PlanPropertyTest, ::testing::Range(1u, 301u));

} // namespace
} // namespace brindle
