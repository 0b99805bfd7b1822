// brindlewick-cli killed with SIGKILL in the middle of renaming 20,000 files with undo files,
// again and again: after every kill, undo in every folder (deepest first) must give back every
// name the killed run changed, and no file may be lost. Half of the kills come at a random
// time within the length of a whole run, half when the undo files show a random number of
// renames made. Two job lists: every name to lower case (one rename per file), and the last
// digit of every number one up, 9 going round to 0, which makes each folder 500 cycles of ten
// files, each broken by a temporary name, and chains at the ends. With the second job list,
// every other undo is killed as well, at a random moment, once or twice, and then run again:
// it must still give back every name.

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "common/RunProcess.h"
#include "common/TempTree.h"
#include "common/TreeSnapshot.h"

extern char** environ;

namespace brindle
{
namespace
{

using test::contentMultiset;
using test::foldersDeepestFirst;
using test::ProcessResult;
using test::runProcess;
using test::sameTree;
using test::snapshotTree;
using test::TempTree;
using test::treeDifference;
using test::TreeSnapshot;
using Clock = std::chrono::steady_clock;

const std::string kLowerJobs = BRINDLE_TEST_DATA "/cli/lower.xml";
const std::string kUndo = "_brindlewick_undo.txt";
constexpr int kFolders = 4;
constexpr int kFilesPerFolder = 5000;
constexpr int kKillsWanted = 20;

/// The job list that turns the last digit of Photo_NNNNN.JPG one up, 9 round to 0.
const std::string kRoundJobs
    = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<brindlewick><jobs>"
      "<job type=\"jobReplace\" modifier=\"1\" int1=\"1\" int2=\"0\" "
      "str1=\"\\A(Photo_\\d{4})(?:(0)|(1)|(2)|(3)|(4)|(5)|(6)|(7)|(8)|(9))(\\.JPG)\\z\" "
      "str2=\"$1${2:+1:}${3:+2:}${4:+3:}${5:+4:}${6:+5:}${7:+6:}${8:+7:}${9:+8:}"
      "${10:+9:}${11:+0:}$12\" /></jobs></brindlewick>\n";

/// Starts brindlewick-cli with args, its output to /dev/null, and returns its process id.
pid_t start(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int e = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return e == 0 ? pid : -1;
}

/// Starts the run (the jobs of jobsFile, subfolders too, undo files on) and returns its process
/// id.
pid_t startRun(const std::string& jobsFile, const std::string& folder)
{
    return start({BRINDLE_CLI, "-j", jobsFile, "-r", "-d", "-u", "-q", folder});
}

/// Bytes written so far to the undo files of the subfolders (under either name).
off_t undoBytes(const std::string& tree)
{
    off_t total = 0;
    for (int i = 1; i <= kFolders; ++i) {
        for (const char* prefix : {"Album", "album"}) {
            struct stat st;
            if (::stat((tree + "/" + prefix + std::to_string(i) + "/" + kUndo).c_str(), &st) == 0)
                total += st.st_size;
        }
    }
    return total;
}

std::string lastName(const std::string& path)
{
    return path.substr(path.rfind('/') + 1);
}

TreeSnapshot withoutUndoFiles(TreeSnapshot tree)
{
    std::erase_if(tree, [](const auto& entry) { return lastName(entry.first) == kUndo; });
    return tree;
}

/// Kills runs of jobsFile again and again; after each kill, undo in every folder (one undo each,
/// or with wholeTree one undo of the whole tree) must give everything back.
void killAgainAndAgain(const std::string& jobsFile, bool wholeTree)
{
    TempTree root;
    root.file("sentinel/Photo_00001.JPG", "outside");
    const std::string tree = root.at("tree");
    for (int f = 1; f <= kFolders; ++f) {
        const std::string folder = tree + "/Album" + std::to_string(f);
        root.dir("tree/Album" + std::to_string(f));
        for (int i = 1; i <= kFilesPerFolder; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "/Photo_%05d.JPG", i);
            const std::string content = std::to_string(f) + ":" + std::to_string(i);
            const int fd = ::open((folder + name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
            ::close(fd);
        }
    }
    const TreeSnapshot original = snapshotTree(tree);
    const TreeSnapshot sentinel = snapshotTree(root.at("sentinel"));
    const std::vector<std::string> contents = contentMultiset(original);
    std::map<ino_t, std::string> nameOf;
    for (const auto& [path, entry] : original)
        nameOf[entry.inode] = lastName(path);
    ASSERT_EQ(original.size(), static_cast<std::size_t>(kFolders * (kFilesPerFolder + 1)));

    std::mt19937 random(20250607);
    int undoKills = 0;
    // Puts every name back: undo in every folder that has an undo file, deepest first.
    auto undoEverywhere = [&](int cycle, const TreeSnapshot& now) {
        if (wholeTree && cycle % 2 == 0) {
            // Undo killed when its undo files have shrunk to a random size (each pair leaves its
            // file once it is back), then run again to the end.
            const off_t bytes = undoBytes(tree);
            const off_t target = bytes > 0 ? static_cast<off_t>(random() % static_cast<unsigned>(bytes)) : 0;
            const pid_t pid = start({BRINDLE_CLI, "--undo", "-r", "-q", tree});
            EXPECT_GT(pid, 0);
            int status = 0;
            while (undoBytes(tree) > target && ::waitpid(pid, &status, WNOHANG) == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            undoKills += WIFSIGNALED(status) ? 1 : 0;
            EXPECT_EQ(contentMultiset(withoutUndoFiles(snapshotTree(tree))), contents) << "cycle " << cycle;
            const TreeSnapshot left = snapshotTree(tree);
            const bool anyUndoFile = std::any_of(
                left.begin(), left.end(), [](const auto& entry) { return lastName(entry.first) == kUndo; });
            const ProcessResult u = runProcess({BRINDLE_CLI, "--undo", "-r", "-q", tree});
            EXPECT_EQ(u.exitCode, anyUndoFile ? 0 : 1) << "cycle " << cycle << ": " << u.err;
        } else if (wholeTree) {
            // A run killed before its first undo file leaves nothing to undo, and says so.
            const bool anyUndoFile = std::any_of(
                now.begin(), now.end(), [](const auto& entry) { return lastName(entry.first) == kUndo; });
            const ProcessResult u = runProcess({BRINDLE_CLI, "--undo", "-r", "-q", tree});
            EXPECT_EQ(u.exitCode, anyUndoFile ? 0 : 1) << "cycle " << cycle << ": " << u.err;
        }
        for (const std::string& folder : wholeTree ? std::vector<std::string>() : foldersDeepestFirst(now)) {
            if (!now.contains(folder.empty() ? kUndo : folder + "/" + kUndo))
                continue;
            const ProcessResult u
                = runProcess({BRINDLE_CLI, "--undo", "-q", folder.empty() ? tree : tree + "/" + folder});
            EXPECT_EQ(u.exitCode, 0) << "cycle " << cycle << ", folder " << folder << ": " << u.err;
        }
        const TreeSnapshot restored = snapshotTree(tree);
        EXPECT_TRUE(sameTree(restored, original)) << "cycle " << cycle << ":\n"
                                                  << treeDifference(original, restored);
        return sameTree(restored, original);
    };

    // One whole run gives the time within which the kills are spread.
    const auto t0 = Clock::now();
    const pid_t whole = startRun(jobsFile, tree);
    ASSERT_GT(whole, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(whole, &status, 0), whole);
    const auto runTime = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - t0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const TreeSnapshot renamed = snapshotTree(tree);
    ASSERT_EQ(contentMultiset(withoutUndoFiles(renamed)), contents);
    std::size_t renamedCount = 0;
    for (const auto& [path, entry] : withoutUndoFiles(renamed))
        renamedCount += entry.type == 'f' && nameOf.at(entry.inode) != lastName(path) ? 1 : 0;
    ASSERT_EQ(renamedCount, static_cast<std::size_t>(kFolders * kFilesPerFolder)) << "every file renamed";
    const auto u0 = Clock::now();
    ASSERT_TRUE(undoEverywhere(0, renamed));
    const auto undoTime = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - u0);
    const off_t fullUndo = static_cast<off_t>(kFolders) * kFilesPerFolder * 34; // bytes of all pairs
    int kills = 0;
    int partial = 0;
    for (int cycle = 1; kills < kKillsWanted && cycle <= 3 * kKillsWanted; ++cycle) {
        const pid_t pid = startRun(jobsFile, tree);
        ASSERT_GT(pid, 0);
        if (cycle % 2 == 1) {
            std::this_thread::sleep_for(
                std::chrono::microseconds(random() % static_cast<unsigned>(runTime.count() + 1)));
        } else {
            const off_t target = static_cast<off_t>(random() % static_cast<unsigned>(fullUndo));
            while (undoBytes(tree) < target && ::waitpid(pid, &status, WNOHANG) == 0)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ::kill(pid, SIGKILL);
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        kills += killed ? 1 : 0;

        // No file lost or replaced, nothing outside touched, whatever the moment.
        const TreeSnapshot withUndo = snapshotTree(tree);
        const TreeSnapshot now = withoutUndoFiles(withUndo);
        ASSERT_EQ(contentMultiset(now), contents) << "cycle " << cycle;
        ASSERT_TRUE(sameTree(snapshotTree(root.at("sentinel")), sentinel));
        std::size_t changed = 0;
        for (const auto& [path, entry] : now)
            changed += nameOf.at(entry.inode) == lastName(path) ? 0 : 1;
        partial += killed && changed > 0 && changed < original.size() ? 1 : 0;

        ASSERT_TRUE(undoEverywhere(cycle, withUndo));
    }
    EXPECT_GE(kills, kKillsWanted);
    // Most kills came with some names changed and some not.
    EXPECT_GE(partial, kKillsWanted / 2);
    if (wholeTree) {
        EXPECT_GE(undoKills, kKillsWanted / 3);
    }
    std::printf(
        "whole run %lld ms, whole undo %lld ms, %d kills, %d with the tree part renamed, %d undos killed\n",
        static_cast<long long>(runTime.count() / 1000), static_cast<long long>(undoTime.count() / 1000),
        kills, partial, undoKills);
}

TEST(CliCrashTest, EveryKilledRunIsUndoneWithoutLoss)
{
    killAgainAndAgain(kLowerJobs, false);
}

TEST(CliUndoAgainTest, AnUndoKeptAfterErrorsAndRunAgainGivesEveryNameBack)
{
    TempTree tree;
    for (const char* name : {"abc", "bca", "cab", "xyz"})
        tree.file(std::string(name) + ".txt", std::string("I was ") + name + "\n");
    const TreeSnapshot original = snapshotTree(tree.path());
    ProcessResult r = runProcess(
        {BRINDLE_CLI, "-q", "-u", "--replace", "^(.)(.)(.)", "--with", "$2$3$1", "--regex", tree.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(::rename(tree.at("yzx.txt").c_str(), tree.at("mine.txt").c_str()), 0);
    r = runProcess({BRINDLE_CLI, "--undo", tree.path()}, "n\n");
    EXPECT_EQ(r.exitCode, 1);
    ASSERT_EQ(::rename(tree.at("mine.txt").c_str(), tree.at("yzx.txt").c_str()), 0);
    r = runProcess({BRINDLE_CLI, "--undo", tree.path()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(tree.read("abc.txt"), "I was abc\n");
    const TreeSnapshot restored = snapshotTree(tree.path());
    EXPECT_TRUE(sameTree(restored, original)) << treeDifference(original, restored);
}

TEST(CliCrashTest, EveryKilledRunFullOfCyclesAndChainsIsUndoneWithoutLoss)
{
    TempTree jobs;
    jobs.file("round.xml", kRoundJobs);
    killAgainAndAgain(jobs.at("round.xml"), true);
}

} // namespace
} // namespace brindle
