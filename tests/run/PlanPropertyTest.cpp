// Random folder trees full of chains, swaps, rotations and clashes, through a simulation and
// then the real run with the same options, on a file system that compares bytes and with the
// run told that it folds case. Each case has its own fixed seed.
//
// What must hold, entry for entry: the simulation marks as errors exactly the entries the real
// run fails on, with the same reasons; every entry it shows renamed gets exactly that name;
// the counts are the same; nothing is lost; undo of the whole tree gives it back. The plan of
// the starting folder alone (the file list's New name column) agrees with the simulation there.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include <gtest/gtest.h>

#include "common/TempTree.h"
#include "common/TreeSnapshot.h"
#include "run/PlanTestUtil.h"
#include "run/UGlobals.h"
#include "run/URenameRun.h"

namespace brindle
{
namespace
{

using test::ContentMultiset;
using test::MakeJob;
using test::MapJob;
using test::SameTree;
using test::SnapshotTree;
using test::TempTree;
using test::TreeDifference;
using test::TTreeSnapshot;

using Strings = std::vector<std::string>;

class TRandom
{
public:
    explicit TRandom(unsigned seed)
        : m_rng(seed)
    {
    }
    int below(int n) { return static_cast<int>(m_rng() % static_cast<unsigned>(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> const T& pick(const std::vector<T>& items)
    {
        return items[static_cast<std::size_t>(below(static_cast<int>(items.size())))];
    }

private:
    std::mt19937 m_rng;
};

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

void makeTree(TRandom& random, const std::string& folder, int depth, const Strings& pool, int& serial)
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
TJob randomMapping(TRandom& random, const Strings& pool, const Strings& present)
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
    return MapJob(map);
}

/// The simulation's verdict on every entry, by the entry's path before the run.
struct TPredicted {
    std::string newName;
    TResultState state = TResultState::Unchanged;
    std::string failureLine; // "! Cannot rename O to N: reason" for an error
};

class TSimulationHost : public IRunHost
{
public:
    std::map<std::string, TPredicted> predicted;

    void showMessage(std::string_view) override { }
    bool askYesNo(std::string_view, TQuestion) override { return true; }
    void logLine(std::string_view line) override
    {
        const std::size_t start = line.find_first_not_of(' ');
        if (start == std::string_view::npos)
            return;
        line.remove_prefix(start);
        for (const std::string_view prefix : {"* Renaming file ", "* Renaming directory "}) {
            if (line.starts_with(prefix))
                m_oldName = line.substr(prefix.size());
        }
    }
    void resultNodeAdded(const TResultTree& tree, std::int32_t index) override
    {
        const TResultNode& node = tree.Node(index);
        const std::string path = (node.Parent == 0 ? "" : m_paths.at(node.Parent) + "/") + m_oldName;
        m_paths[index] = path;
        TPredicted p;
        p.state = node.State;
        p.newName = node.Text;
        if (node.State == TResultState::Error) {
            p.newName.resize(node.Text.size() - m_oldName.size() - 9); // " (was \"O\")"
            p.failureLine = "! Cannot rename " + m_oldName + " to " + p.newName + ": "
                + std::string(tree.Reason(index));
        }
        predicted[path] = p;
    }

private:
    std::string m_oldName;
    std::map<std::int32_t, std::string> m_paths;
};

class TRunLogHost : public IRunHost
{
public:
    std::multiset<std::string> failureLines;
    std::vector<std::string> messages;

    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    bool askYesNo(std::string_view, TQuestion) override { return true; }
    void logLine(std::string_view line) override
    {
        const std::size_t start = line.find_first_not_of(' ');
        if (start != std::string_view::npos && line.substr(start).starts_with("! "))
            failureLines.emplace(line.substr(start));
    }
};

std::string lastName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class PlanPropertyTest : public ::testing::TestWithParam<unsigned>
{
};

TEST_P(PlanPropertyTest, TheSimulationTellsWhatTheRunDoesEntryForEntry)
{
    TRandom random(GetParam());
    const Strings pool = namePool();
    TempTree root(test::MemoryTempBase());
    const std::string start = root.at("tree");
    ASSERT_EQ(::mkdir(start.c_str(), 0755), 0);
    int serial = 0;
    makeTree(random, start, 0, pool, serial);

    TRenameSession session;
    TRunOptions o;
    o.startFolder = start;
    o.recurse = random.chance(80);
    o.renameDirs = random.chance(50);
    o.undo = true;
    o.log = true;
    o.nameCase = random.chance(50) ? TNameCaseRule::Exact : TNameCaseRule::Folding;
    o.mask = random.pick(Strings {"*.*", "*.*", "*.txt", "*", "?*", "n*"});
    o.sort = random.chance(80);
    o.sortOrder = random.chance(70) ? TSortOrder::NameAsc : TSortOrder::NameDesc;
    o.resetCounter = random.chance(70);
    const int kind = random.below(10);
    if (kind < 6) {
        session.Jobs = {randomMapping(random, pool, root.list("tree"))};
    } else if (kind < 8) {
        // The numbers one up (or down), each folder counting from its own start.
        session.Jobs = {MakeJob(jobRemove, posEnd, 1), MakeJob(jobCounter, posEnd, 1)};
        o.counterStart = random.chance(70) ? 2 : 0;
        o.resetCounter = true;
    } else {
        session.Jobs = {random.chance(50) ? MakeJob(jobLower) : MakeJob(jobUpper, 0, 1),
            MakeJob(jobReplace, replaceText, 0, 0, random.pick(Strings {"a", "b", ".txt", "1"}),
                random.pick(Strings {"b", "a", ".TXT", "2", ""}))};
    }

    const TTreeSnapshot original = SnapshotTree(start);
    std::map<ino_t, std::string> pathOf;
    for (const auto& [path, entry] : original)
        pathOf[entry.inode] = path;

    // The simulation changes nothing.
    TSimulationHost simHost;
    TRunOptions sim = o;
    sim.simulation = true;
    TResultTree tree;
    const TRunResult simulated = RunRename(session, simHost, sim, &tree);
    const TRunStats simStats = session.Stats;
    ASSERT_TRUE(SameTree(SnapshotTree(start), original));

    // The plan of the starting folder alone, as the file list's New name column makes it,
    // says of each of its entries what the simulation says.
    TFolderPlan preview;
    ASSERT_EQ(PlanStartingFolder(o, session.Jobs, preview), 0);
    for (std::size_t i = 0; i < preview.Size(); ++i) {
        const std::string& name = preview.Entry(i).Name;
        const auto it = simHost.predicted.find(name);
        ASSERT_NE(it, simHost.predicted.end()) << name;
        const TVerdict v = preview.Verdict(i);
        const TResultState state = v == TVerdict::Renamed ? TResultState::Renamed
            : v == TVerdict::Failed                       ? TResultState::Error
                                                          : TResultState::Unchanged;
        EXPECT_EQ(state, it->second.state) << name;
        if (state != TResultState::Unchanged) {
            EXPECT_EQ(preview.NewName(i), it->second.newName) << name;
        }
    }
    EXPECT_EQ(preview.Size(),
        static_cast<std::size_t>(std::count_if(simHost.predicted.begin(), simHost.predicted.end(),
            [](const auto& p) { return p.first.find('/') == std::string::npos; })));

    // The real run.
    TRunLogHost runHost;
    const TRunResult r = RunRename(session, runHost, o);
    EXPECT_FALSE(r.stopped) << r.ioError;
    EXPECT_EQ(r.foldersNotEntered, 0);

    // The same failures with the same reasons, and the same counts.
    std::multiset<std::string> foreseen;
    for (const auto& [path, p] : simHost.predicted) {
        if (p.state == TResultState::Error)
            foreseen.insert(p.failureLine);
    }
    EXPECT_EQ(runHost.failureLines, foreseen);
    EXPECT_EQ(static_cast<std::size_t>(r.renameFailures), foreseen.size());
    EXPECT_EQ(session.Stats.FilesRenamed, simStats.FilesRenamed);
    EXPECT_EQ(session.Stats.FoldersRenamed, simStats.FoldersRenamed);
    EXPECT_EQ(session.Stats.FilesExamined, simStats.FilesExamined);
    EXPECT_EQ(session.Stats.ErrorCount, simStats.ErrorCount);
    EXPECT_EQ(r.AllWentThrough(session.Stats), simulated.AllWentThrough(simStats));

    // Entry for entry: renamed exactly where the simulation said, to the name it showed.
    const TTreeSnapshot afterRun = SnapshotTree(start, std::string(kUndoFileName));
    EXPECT_EQ(ContentMultiset(afterRun), ContentMultiset(original));
    EXPECT_EQ(afterRun.size(), original.size());
    for (const auto& [path, entry] : afterRun) {
        ASSERT_TRUE(pathOf.contains(entry.inode)) << path;
        const std::string& was = pathOf[entry.inode];
        const auto it = simHost.predicted.find(was);
        const bool shownRenamed = it != simHost.predicted.end() && it->second.state == TResultState::Renamed;
        if (shownRenamed)
            EXPECT_EQ(lastName(path), it->second.newName) << was;
        else
            EXPECT_EQ(lastName(path), lastName(was))
                << "renamed though shown " << (it == simHost.predicted.end() ? "nowhere" : "unrenamed");
    }

    // Undo of the whole tree gives it back.
    TRunLogHost undoHost;
    const TUndoResult u = UndoTree(start, undoHost);
    EXPECT_EQ(u.errors, 0) << (undoHost.messages.empty() ? "" : undoHost.messages.front());
    // Each entry the run renamed is counted once, though a cycle's member goes back in two steps.
    EXPECT_EQ(u.renamed, session.Stats.FilesRenamed + session.Stats.FoldersRenamed);
    const TTreeSnapshot restored = SnapshotTree(start);
    EXPECT_TRUE(SameTree(restored, original)) << TreeDifference(original, restored);
}

INSTANTIATE_TEST_SUITE_P(Seeds, PlanPropertyTest, ::testing::Range(1u, 301u));

} // namespace
} // namespace brindle
