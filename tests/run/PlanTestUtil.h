#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "common/TreeSnapshot.h"
#include "jobs/JobTestUtil.h"
#include "run/RecorderHost.h"
#include "core/run/RenameRun.h"
#include "core/run/UndoFile.h"

namespace brindle::test
{

/// Old name to new name.
using Mapping = std::vector<std::pair<std::string, std::string>>;

/// One regular-expression replace job that gives each name of map its new name and leaves
/// every other name alone: any chain, swap, rotation or clash a test needs. Names must not hold
/// "\E", and new names none of "$", "\", ":" and "}".
inline Job mapJob(const Mapping& map)
{
    std::string pattern = "\\A(?:";
    std::string replacement;
    for (std::size_t k = 0; k < map.size(); ++k) {
        if (k != 0)
            pattern += '|';
        pattern += "(\\Q" + map[k].first + "\\E)";
        // Only the group that matched gives its text.
        replacement += "${" + std::to_string(k + 1) + ":+" + map[k].second + ":}";
    }
    pattern += ")\\z";
    return makeJob(jobReplace, replaceRegex, 1, 0, pattern, replacement);
}

/// The simulation, then the real run with the same options and names by hand, then undo of
/// that run (of the whole tree with recurse): the simulation must change nothing and count
/// what the run counts, and undo must give every name back. check sees the run before undo.
inline void simulateRunAndUndo(RenameSession& session, const RunOptions& o, const ManualNames* manual,
    const std::function<void(const ResultTree& simulated, const RecorderHost& host, const RunResult& r)>&
        check)
{
    const TreeSnapshot before = snapshotTree(o.startFolder);
    RecorderHost simHost;
    RunOptions sim = o;
    sim.simulation = true;
    ResultTree simulated;
    const RunResult s = runRename(session, simHost, sim, &simulated, manual);
    const RunStats simStats = session.stats;
    EXPECT_TRUE(sameTree(snapshotTree(o.startFolder), before));

    RecorderHost host;
    const RunResult r = runRename(session, host, o, nullptr, manual);
    EXPECT_EQ(session.stats.filesRenamed, simStats.filesRenamed);
    EXPECT_EQ(session.stats.foldersRenamed, simStats.foldersRenamed);
    EXPECT_EQ(session.stats.errorCount, simStats.errorCount);
    EXPECT_EQ(r.allWentThrough(session.stats), s.allWentThrough(simStats));
    check(simulated, host, r);

    RecorderHost undoHost;
    EXPECT_EQ(
        (o.recurse ? undoTree(o.startFolder, undoHost) : undoFolder(o.startFolder, undoHost)).errors, 0);
    const TreeSnapshot restored = snapshotTree(o.startFolder);
    EXPECT_TRUE(sameTree(restored, before)) << treeDifference(before, restored);
}

} // namespace brindle::test
