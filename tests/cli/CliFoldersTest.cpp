// Several FOLDERs on one command line: each a run of its own, in turn; one that cannot be used
// is reported and the others go on; the exit status is the worst of them.

#include <gtest/gtest.h>

#include "cli/CliTestUtil.h"
#include "common/RunProcess.h"
#include "common/TempTree.h"

namespace brindle
{
namespace
{

using test::cli;
using test::ProcessResult;
using test::TempTree;

const std::string kSummary = "Renamed 2 files and 0 folders.\n";

TEST(CliFolders, EachFolderIsARunOfItsOwnAndUndoTakesSeveralToo)
{
    TempTree t;
    for (const char* folder : {"A", "B", "C"}) {
        t.file(std::string(folder) + "/x.txt");
        t.file(std::string(folder) + "/y.txt");
    }
    const ProcessResult r
        = cli({"--add-counter", "2", "--at-end", "-c", "5", "-u", t.at("A"), t.at("B"), t.at("C")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
        t.at("A") + ":\n" + kSummary + "\n" + t.at("B") + ":\n" + kSummary + "\n" + t.at("C") + ":\n"
            + kSummary);
    // The counter starts again in every FOLDER.
    for (const char* folder : {"A", "B", "C"})
        EXPECT_EQ(t.list(folder), (std::vector<std::string> {"_brindlewick_undo.txt", "x.txt05", "y.txt06"}));

    const ProcessResult u = cli({"--undo", t.at("A"), t.at("C")});
    EXPECT_EQ(u.exitCode, 0) << u.err;
    const std::string report = "2 files and/or directories have been renamed.\n";
    EXPECT_EQ(u.out, t.at("A") + ":\n" + report + "\n" + t.at("C") + ":\n" + report);
    EXPECT_EQ(t.list("A"), (std::vector<std::string> {"x.txt", "y.txt"}));
    EXPECT_EQ(t.list("B"), (std::vector<std::string> {"_brindlewick_undo.txt", "x.txt05", "y.txt06"}));
    EXPECT_EQ(t.list("C"), (std::vector<std::string> {"x.txt", "y.txt"}));
}

/// A FOLDER that is missing among good ones, and a file: the missing one reported, the others
/// handled, exit status 1. The same for a simulation and an undo.
TEST(CliFolders, MissingFolderOrFileAmongGoodOnes)
{
    TempTree t;
    t.file("good1/A.TXT");
    t.file("good2/B.TXT");
    t.file("file.txt");
    const ProcessResult sim
        = cli({"-n", "--lower", t.at("good1"), t.at("missing"), t.at("file.txt"), t.at("good2")});
    EXPECT_EQ(sim.exitCode, 1);
    // The missing one is said once, with the reason, and has no summary; a file is renamed
    // alone in its folder's plan (here it keeps its name).
    EXPECT_EQ(
        sim.err, "brindlewick-cli: cannot open folder " + t.at("missing") + ": No such file or directory\n");
    EXPECT_EQ(sim.out,
        t.at("good1") + ":\nA.TXT -> a.txt\nWould rename 1 file and 0 folders.\n\n" + t.path()
            + ":\nWould rename 0 files and 0 folders.\n\n" + t.at("good2")
            + ":\nB.TXT -> b.txt\nWould rename 1 file and 0 folders.\n");
    EXPECT_EQ(t.list("good1"), std::vector<std::string> {"A.TXT"});

    const ProcessResult run
        = cli({"-u", "-q", "--lower", t.at("good1"), t.at("missing"), t.at("file.txt"), t.at("good2")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, sim.err);
    EXPECT_EQ(t.list("good1"), (std::vector<std::string> {"_brindlewick_undo.txt", "a.txt"}));
    EXPECT_EQ(t.list("good2"), (std::vector<std::string> {"_brindlewick_undo.txt", "b.txt"}));

    const ProcessResult undo = cli({"--undo", "-q", t.at("missing"), t.at("good1"), t.at("good2")});
    EXPECT_EQ(undo.exitCode, 1);
    EXPECT_EQ(undo.err,
        "brindlewick-cli: Cannot change current directory to " + t.at("missing")
            + ": No such file or directory\n");
    EXPECT_EQ(t.list("good1"), std::vector<std::string> {"A.TXT"});
    EXPECT_EQ(t.list("good2"), std::vector<std::string> {"B.TXT"});
}

/// A folder given twice, or with --recurse one inside another, would be walked twice: its names
/// renamed again and its undo file replaced, so that the first renaming could not be undone.
/// Refused before anything is renamed; an undo of each is fine.
TEST(CliFolders, TheSameFolderTwiceIsRefused)
{
    TempTree t;
    t.file("A/x");
    t.file("A/Sub/y");
    t.file("B/z");
    t.symlink("A", "LinkToA");
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{t.at("A"), t.at("B"), t.at("A")}, t.at("A") + " is the same folder as " + t.at("A")},
        {{t.at("A"), t.at("A/Sub/../")}, t.at("A/Sub/../") + " is the same folder as " + t.at("A")},
        {{t.at("LinkToA"), t.at("A")}, t.at("A") + " is the same folder as " + t.at("LinkToA")},
        {{"-r", t.at("A/Sub"), t.at("A")},
            t.at("A/Sub") + " is inside " + t.at("A") + ", which --recurse walks"},
        {{"-n", "-r", t.at("A"), t.at("B"), t.at("LinkToA/Sub")},
            t.at("LinkToA/Sub") + " is inside " + t.at("A") + ", which --recurse walks"},
    };
    for (const auto& [folders, message] : refused) {
        std::vector<std::string> args = {"--insert", "-"};
        args.insert(args.end(), folders.begin(), folders.end());
        const ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << message;
        EXPECT_EQ(
            r.err, "brindlewick-cli: " + message + "\nTry 'brindlewick-cli --help' for more information.\n");
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(t.list("A"), (std::vector<std::string> {"Sub", "x"}));
    EXPECT_EQ(t.list("A/Sub"), std::vector<std::string> {"y"});

    // Without --recurse a folder inside another is a folder of its own.
    const ProcessResult apart = cli({"-q", "-u", "--insert", "-", t.at("A"), t.at("A/Sub")});
    EXPECT_EQ(apart.exitCode, 0) << apart.err;
    EXPECT_EQ(t.list("A"), (std::vector<std::string> {"-x", "Sub", "_brindlewick_undo.txt"}));
    EXPECT_EQ(t.list("A/Sub"), (std::vector<std::string> {"-y", "_brindlewick_undo.txt"}));
    const ProcessResult undo = cli({"--undo", "-q", t.at("A"), t.at("A/Sub"), t.at("A")});
    EXPECT_EQ(undo.exitCode, 1); // the second undo of A finds no undo file
    EXPECT_EQ(t.list("A"), (std::vector<std::string> {"Sub", "x"}));
    EXPECT_EQ(t.list("A/Sub"), std::vector<std::string> {"y"});
}

/// The exit status is the worst of the FOLDERs: a clash in one makes the simulation of all
/// exit 1, whichever comes first.
TEST(CliFolders, ExitStatusIsTheWorst)
{
    TempTree t;
    t.file("clash/A.txt");
    t.file("clash/a.txt");
    t.file("fine/B.txt");
    t.file("fine2/C.txt");
    EXPECT_EQ(cli({"-n", "-q", "--lower", t.at("fine"), t.at("fine2")}).exitCode, 0);
    EXPECT_EQ(cli({"-n", "-q", "--lower", t.at("clash"), t.at("fine")}).exitCode, 1);
    EXPECT_EQ(cli({"-n", "-q", "--lower", t.at("fine"), t.at("clash")}).exitCode, 1);
    // An empty job list is bad usage before any FOLDER.
    t.file("none.xml", "<brindlewick/>");
    const ProcessResult empty = cli({"-j", t.at("none.xml"), t.at("fine"), t.at("clash")});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_EQ(
        empty.err, "brindlewick-cli: the job list " + t.at("none.xml") + " holds no jobs: nothing to do\n");
    EXPECT_EQ(empty.out, "");
}

} // namespace
} // namespace brindle
