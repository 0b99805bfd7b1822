// Random trees and random job lists through real runs with undo files, then undo in every
// folder, deepest first. Each case has its own fixed seed, so a failure reproduces exactly.
//
// What must hold, whatever the tree and the jobs:
// - the run loses nothing and replaces nothing: the same file contents, link targets and
//   folders before and after, and every entry keeps its inode in its own folder;
// - nothing outside the starting folder changes (a sentinel tree beside it);
// - every entry the run renamed got the name a simulation of the same run predicted, and
//   every predicted change that did not happen was declined or reported;
// - the undo files record exactly the renames that were made;
// - undo in every folder, deepest first, gives back the original tree, names, bytes and
//   permissions, and removes every undo file.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>

#include <gtest/gtest.h>

#include "common/TempTree.h"
#include "common/TreeSnapshot.h"
#include "run/PropertyTestUtil.h"
#include "core/run/NameCollator.h"
#include "core/run/UndoFile.h"
#include "core/run/RenameRun.h"

namespace brindle
{
namespace
{

using test::contentMultiset;
using test::foldersDeepestFirst;
using test::lastName;
using test::pathsByInode;
using test::Random;
using test::randomJob;
using test::sameTree;
using test::SimulationPathHost;
using test::snapshotTree;
using test::TempTree;
using test::treeDifference;
using test::TreeSnapshot;

const std::string kUndo(kUndoFileName);

// Pieces of names: letters in both cases, Greek with and without accents and both sigmas,
// Latin accents, an invalid byte, a cut-off UTF-8 sequence, blanks, digits and, rarely, a line
// feed (which no undo file could record).
const char* const kPieces[] = {"a", "A", "b", "B", "img", "IMG", "Photo", "photo", "\xce\xb1", "\xce\x91",
    "\xce\xac", "\xce\x86", "\xcf\x83", "\xcf\x82", "\xce\xa3", "\xc3\xa9", "\xc3\x89", "\xcf\x89", "\xff",
    "\xc3", " ", "_", "-", "1", "07", "x"};
const char* const kExtensions[] = {"", "", ".txt", ".TXT", ".jpg", ".JPG", ".tar.gz", "."};
const char* const kStrings[] = {"", "", "a", "A", ".", ".txt", "\xcf\x83", "\xcf\x82", "\xce\x86", "x", "_",
    "/", "\xff", " ", "IMG", "07"};
const char* const kMasks[] = {"*.*", "*.*", "*", "*.txt", "*.TXT", "?*", "*a*", "*.jp?"};

/// ASCII letters of name with their case swapped.
std::string swapCase(std::string name)
{
    for (char& c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

/// Builds random trees below a root folder.
class TreeMaker
{
public:
    TreeMaker(Random& random, const std::string& sentinelFile)
        : m_random(random)
        , m_sentinelFile(sentinelFile)
    {
    }

    void fill(const std::string& folder, int depth)
    {
        std::set<std::string> taken {kUndo};
        std::vector<std::string> files;
        std::vector<std::string> folders;
        const int entries = depth == 0 ? 6 + m_random.below(10) : 3 + m_random.below(7);
        for (int i = 0; i < entries; ++i) {
            std::string name = newName();
            // Twins that differ by letter case only.
            const bool twin = m_random.chance(30);
            for (const std::string& n : {name, twin ? swapCase(name) : std::string()}) {
                if (n.empty() || !isUsableName(n) || !taken.insert(n).second)
                    continue;
                const std::string path = folder + "/" + n;
                const int kind = m_random.below(100);
                if (kind < 22 && depth < 3) {
                    ::mkdir(path.c_str(), 0755);
                    folders.push_back(n);
                } else if (kind < 28) {
                    makeLink(path, files, folders);
                } else {
                    makeFile(path);
                    files.push_back(n);
                }
            }
        }
        // A numbered sequence (p1, p2, ...): a job list that shifts the numbers makes each
        // rename take the name the one before it freed.
        if (m_random.chance(30)) {
            const std::string base = m_random.chance(70) ? "p" : "\xcf\x80"; // p or π
            const int count = 2 + m_random.below(5);
            for (int i = 1; i <= count; ++i) {
                const std::string name = base + std::to_string(i);
                if (taken.insert(name).second)
                    makeFile(folder + "/" + name);
            }
        }
        for (const std::string& sub : folders)
            fill(folder + "/" + sub, depth + 1);
    }

private:
    std::string newName()
    {
        std::string name = m_random.chance(8) ? "." : "";
        const int pieces = 1 + m_random.below(3);
        for (int i = 0; i < pieces; ++i)
            name += m_random.pick(kPieces);
        if (m_random.chance(2))
            name += "l\nf";
        return name + m_random.pick(kExtensions);
    }

    void makeFile(const std::string& path)
    {
        // Mostly unique contents, some empty or shared: the comparison is of multisets.
        const std::string content
            = m_random.chance(10) ? std::string() : "content " + std::to_string(m_counter++);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0) << path;
        ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
        ::close(fd);
        const struct timespec when[2]
            = {{1000000000 + m_random.below(4) * 86400, 0}, {1000000000 + m_random.below(4) * 86400, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), when, 0);
        if (m_random.chance(20))
            ::chmod(path.c_str(), 0444);
    }

    void makeLink(const std::string& path, const std::vector<std::string>& files,
        const std::vector<std::string>& folders)
    {
        std::string target;
        switch (m_random.below(4)) {
        case 0:
            target = files.empty()
                ? "missing"
                : files[static_cast<std::size_t>(m_random.below(static_cast<int>(files.size())))];
            break;
        case 1:
            target = folders.empty()
                ? "."
                : folders[static_cast<std::size_t>(m_random.below(static_cast<int>(folders.size())))];
            break;
        case 2:
            target = "nowhere/at/all";
            break;
        default:
            target = m_sentinelFile;
            break;
        }
        ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0) << path;
    }

    Random& m_random;
    std::string m_sentinelFile;
    int m_counter = 0;
};

/// The simulation's prediction: the new name of every entry it handled, by the entry's path
/// (relative to the starting folder) before the run. Old names come from the log lines that
/// precede each node.
class PredictingHost : public SimulationPathHost
{
public:
    std::map<std::string, std::string> predicted;
    std::vector<std::string> messages;

    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    void resultNodeAdded(const ResultTree& tree, std::int32_t index) override
    {
        const ResultNode& node = tree.node(index);
        const std::string path = nodePath(tree, index);
        const std::string& old = oldName();
        std::string newName = node.text;
        if (node.state == ResultState::Error) {
            const std::string suffix = " (was \"" + old + "\")";
            EXPECT_TRUE(newName.ends_with(suffix)) << newName;
            newName.resize(newName.size() - suffix.size());
        }
        predicted[path] = newName;
    }
};

/// The real run's user: answers each confirmation at random and records what it is told.
class RunHost : public IRunHost
{
public:
    explicit RunHost(Random& random)
        : m_random(random)
    {
    }
    std::vector<std::string> messages;
    std::set<std::string> declined; // the text of every declined confirmation
    int declines = 0;

    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    bool askYesNo(std::string_view text, Question kind) override
    {
        if (kind != Question::ConfirmRename)
            return true;
        if (m_random.chance(75))
            return true;
        declined.insert(std::string(text));
        ++declines;
        return false;
    }
    void logLine(std::string_view) override { }

private:
    Random& m_random;
};

using RunPropertyTest = ::testing::TestWithParam<unsigned>;

TEST_P(RunPropertyTest, RunThenUndoEverywhereLosesNothing)
{
    Random random(GetParam());
    // In memory: the run syncs an undo file in every folder, and the disk is not under test.
    TempTree root(test::memoryTempBase());
    root.file("sentinel/keep", "outside the tree");
    root.file("sentinel/a.txt", "outside a.txt");
    root.dir("sentinel/Sub");
    const std::string start = root.at("tree");
    ::mkdir(start.c_str(), 0755);
    TreeMaker maker(random, root.at("sentinel/keep"));
    maker.fill(start, 0);

    RenameSession session;
    // Mostly jobs that change most names (case, a counter, an insert, or a shift of the
    // numbers at the end of names, one down), then random ones.
    const int kind = random.below(10);
    if (kind < 5) {
        Job lower = Job::create(jobLower);
        Job upper = Job::create(jobUpper);
        Job counter = Job::create(jobCounter);
        counter.modifier = posEnd;
        counter.int1 = 2;
        Job insert = Job::create(jobInsert);
        insert.str1 = "\xce\x86-";
        const Job productive[] = {lower, upper, counter, insert};
        session.jobs.push_back(random.pick(productive));
    } else if (kind < 8) {
        Job cut = Job::create(jobRemove);
        cut.modifier = posEnd;
        cut.int1 = 1;
        Job number = Job::create(jobCounter);
        number.modifier = posEnd;
        number.int1 = 1;
        session.jobs = {cut, number};
    }
    const int jobCount = (session.jobs.empty() ? 1 : 0) + random.below(kind < 8 ? 2 : 3);
    for (int i = 0; i < jobCount; ++i)
        session.jobs.push_back(randomJob(random, kStrings));
    // A shift of the numbers down by one, in ascending name order, starting at 0 in every
    // folder: p1 becomes p0, then p2 takes the freed p1, and so on.
    const bool shift = kind >= 5 && kind < 8 && random.chance(80);
    const char* const kShiftMasks[] = {"p?", "??", "p*", "?*"};
    RunOptions o;
    o.startFolder = start;
    o.mask = shift ? random.pick(kShiftMasks) : random.pick(kMasks);
    o.recurse = random.chance(80);
    o.renameDirs = !shift && random.chance(50);
    o.resetCounter = shift || random.chance(30);
    o.sort = shift || random.chance(80);
    o.sortOrder = shift || random.chance(30) ? SortOrder::NameAsc : static_cast<SortOrder>(random.below(4));
    o.confirm = random.chance(25);
    o.undo = true;
    o.counterStart = shift || random.chance(30) ? 0 : random.below(20) - 5;

    const TreeSnapshot original = snapshotTree(start);
    const TreeSnapshot sentinel = snapshotTree(root.at("sentinel"));
    std::map<ino_t, std::string> pathOf = pathsByInode(original);

    // The simulation: what the run should do. It changes nothing.
    PredictingHost simHost;
    RunOptions sim = o;
    sim.simulation = true;
    sim.log = true;
    ResultTree tree;
    runRename(session, simHost, sim, &tree);
    ASSERT_TRUE(sameTree(snapshotTree(start), original));

    // The real run.
    RunHost runHost(random);
    o.log = random.chance(50);
    const RunResult result = runRename(session, runHost, o);
    EXPECT_FALSE(result.stopped) << result.ioError;
    EXPECT_EQ(result.foldersNotEntered, 0);
    EXPECT_EQ(session.stats.filesRenamed + session.stats.foldersRenamed
            + static_cast<std::int32_t>(runHost.messages.size()) + runHost.declines,
        static_cast<std::int32_t>(std::count_if(simHost.predicted.begin(), simHost.predicted.end(),
            [](const auto& p) { return lastName(p.first) != p.second; })));

    // Nothing lost, nothing replaced, nothing outside changed.
    const TreeSnapshot afterRun = snapshotTree(start, kUndo);
    EXPECT_EQ(contentMultiset(afterRun), contentMultiset(original));
    EXPECT_TRUE(sameTree(snapshotTree(root.at("sentinel")), sentinel));
    EXPECT_EQ(root.list(), (std::vector<std::string> {"sentinel", "tree"}));

    // Each entry is the one it was (same inode, same folder); a renamed one got the predicted
    // name, an entry left alone was not to change or was declined or reported.
    std::map<std::string, std::string> renamedTo; // original path -> new name
    std::map<std::string, std::string> nowAt; // original path -> path now
    for (const auto& [path, entry] : afterRun) {
        ASSERT_TRUE(pathOf.contains(entry.inode)) << path;
        const std::string& was = pathOf[entry.inode];
        nowAt[was] = path;
        EXPECT_EQ(std::count(path.begin(), path.end(), '/'), std::count(was.begin(), was.end(), '/')) << path;
        if (lastName(path) != lastName(was))
            renamedTo[was] = lastName(path);
    }
    EXPECT_EQ(nowAt.size(), original.size());
    for (const auto& [was, name] : renamedTo) {
        ASSERT_TRUE(simHost.predicted.contains(was)) << was;
        EXPECT_EQ(simHost.predicted[was], name) << was;
    }
    for (const auto& [was, name] : simHost.predicted) {
        if (name == lastName(was) || renamedTo.contains(was))
            continue;
        // The message names the entry, its wanted name and a reason.
        const std::string failed = "Cannot rename " + lastName(was) + " to " + name + ": ";
        const bool reported
            = std::any_of(runHost.messages.begin(), runHost.messages.end(), [&](const std::string& m) {
                  return m.starts_with(failed) && m.ends_with(". Operation will continue")
                      && m.size() > failed.size() + 24;
              });
        const bool declined
            = runHost.declined.contains("Rename file \"" + lastName(was) + "\" to \"" + name + "\"?")
            || runHost.declined.contains("Rename directory \"" + lastName(was) + "\" to \"" + name + "\"?");
        EXPECT_TRUE(reported || declined) << "not renamed, not reported: " << was;
    }

    // The undo files record exactly the renames made, folder by folder.
    std::set<std::pair<std::string, std::string>> recorded; // (original path, new name)
    const TreeSnapshot withUndo = snapshotTree(start);
    std::map<std::string, std::string> wasAt; // path now -> original path
    for (const auto& [was, now] : nowAt)
        wasAt[now] = was;
    for (const auto& [path, entry] : withUndo) {
        if (lastName(path) != kUndo)
            continue;
        const std::string folder = path == kUndo ? "" : path.substr(0, path.size() - kUndo.size() - 1);
        const std::string folderWas = folder.empty() ? "" : wasAt.at(folder) + "/";
        for (const auto& [newName, oldName] : parseUndoPairs(entry.data))
            recorded.emplace(folderWas + oldName, newName);
    }
    std::set<std::pair<std::string, std::string>> made(renamedTo.begin(), renamedTo.end());
    EXPECT_EQ(recorded, made);

    // Undo in every folder that has an undo file, deepest first, gives the tree back.
    RunHost undoHost(random);
    for (const std::string& folder : foldersDeepestFirst(withUndo)) {
        if (!withUndo.contains(folder.empty() ? kUndo : folder + "/" + kUndo))
            continue;
        const UndoResult u = undoFolder(folder.empty() ? start : start + "/" + folder, undoHost);
        EXPECT_EQ(u.errors, 0) << folder;
        EXPECT_EQ(u.skipped, 0) << folder;
        EXPECT_TRUE(u.undoFileRemoved) << folder;
    }
    EXPECT_TRUE(undoHost.messages.empty()) << undoHost.messages.front();
    const TreeSnapshot restored = snapshotTree(start);
    EXPECT_TRUE(sameTree(restored, original)) << treeDifference(original, restored);
    EXPECT_TRUE(sameTree(snapshotTree(root.at("sentinel")), sentinel));
}

INSTANTIATE_TEST_SUITE_P(Seeds, RunPropertyTest, ::testing::Range(1u, 101u));

} // namespace
} // namespace brindle
