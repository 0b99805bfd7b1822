#pragma once

// What the randomised run tests share: choices from a fixed seed, each entry of a tree by its
// inode, and the entry behind each node of a simulation's result tree.

#include <sys/types.h>

#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "common/TreeSnapshot.h"
#include "core/jobs/Job.h"
#include "core/run/ResultTree.h"
#include "core/run/RunHost.h"

namespace brindle::test
{

/// Choices from a fixed seed, so that a failing case reproduces exactly.
class Random
{
public:
    explicit Random(unsigned seed)
        : m_rng(seed)
    {
    }
    int below(int n) { return static_cast<int>(m_rng() % static_cast<unsigned>(n)); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> const T& pick(const std::vector<T>& items)
    {
        return items[static_cast<std::size_t>(below(static_cast<int>(items.size())))];
    }
    template <typename T, std::size_t N> const T& pick(const T (&items)[N]) { return items[below(N)]; }

private:
    std::mt19937 m_rng;
};

/// A job of a random kind with random fields, its texts drawn from strings.
template <std::size_t N> Job randomJob(Random& random, const char* const (&strings)[N])
{
    Job job = Job::create(static_cast<JobType>(1 + random.below(7)));
    job.modifier = random.below(5);
    job.int1 = random.below(4);
    job.int2 = random.below(4);
    job.str1 = random.pick(strings);
    job.str2 = random.pick(strings);
    return job;
}

inline std::string lastName(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

/// The path of each entry of a tree, by its inode: where an entry was before a run.
inline std::map<ino_t, std::string> pathsByInode(const TreeSnapshot& tree)
{
    std::map<ino_t, std::string> pathOf;
    for (const auto& [path, entry] : tree)
        pathOf[entry.inode] = path;
    return pathOf;
}

/// A simulation's host that knows the entry behind each result node: its old name, from the
/// log line before the node, and its path before the run, relative to the starting folder.
/// It says yes to every question.
class SimulationPathHost : public IRunHost
{
public:
    bool askYesNo(std::string_view, Question) override { return true; }
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

protected:
    const std::string& oldName() const { return m_oldName; }
    /// The path of the entry behind a node being added; once for each node.
    std::string nodePath(const ResultTree& tree, std::int32_t index)
    {
        const std::int32_t parent = tree.node(index).parent;
        const std::string path = (parent == 0 ? "" : m_paths.at(parent) + "/") + m_oldName;
        m_paths[index] = path;
        return path;
    }

private:
    std::string m_oldName;
    std::map<std::int32_t, std::string> m_paths;
};

} // namespace brindle::test
