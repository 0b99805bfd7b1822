// Micro-benchmarks of a folder's plan (sorting, naming, validating, ordering) and of a whole
// simulation of one folder on disk (/dev/shm), at 10,000 and 100,000 entries listed in random
// order: the ratio of the two times shows whether any step grows faster than the folder (10
// for a linear step, about 12.5 for the comparisons of the sort). Three batches: every name
// lower-cased, every number one up (one chain), and one up with the last going round (one
// cycle).
//
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_BENCH=ON -DBRINDLE_GUI=OFF
//   cmake --build build/bench --target plan_bench
//   build/bench/bin/plan_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/run/RenamePlan.h"
#include "core/run/RenameRun.h"

using namespace brindle;

namespace
{

Job job(JobType kind, int modifier, int int1, std::string str1 = {}, std::string str2 = {})
{
    Job j = Job::create(kind);
    j.modifier = modifier;
    j.int1 = int1;
    j.str1 = std::move(str1);
    j.str2 = std::move(str2);
    return j;
}

/// IMG_000001.JPG and on, in a random order, as a folder gives them.
FileEntryList photoNames(int count)
{
    FileEntryList files;
    files.reserve(static_cast<std::size_t>(count));
    char name[32];
    for (int i = 1; i <= count; ++i) {
        std::snprintf(name, sizeof name, "IMG_%06d.JPG", i);
        files.emplace_back(name, 0.0);
    }
    std::srand(7);
    for (std::size_t i = files.size(); i > 1; --i)
        std::swap(files[i - 1], files[static_cast<std::size_t>(std::rand()) % i]);
    return files;
}

/// The three kinds of batch: every name lower-cased (no chain), every number one up (one chain
/// through the whole folder), and one up with the last taking the first's number (one cycle).
std::vector<Job> batchJobs(int kind, int count)
{
    if (kind == 0)
        return {job(jobLower, 0, 0)};
    std::vector<Job> jobs
        = {job(jobReplace, replaceRegex, 1, "\\A(IMG_)\\d{6}", "$1"), job(jobCounter, posBeforeExt, 6)};
    if (kind == 2) {
        char last[32];
        std::snprintf(last, sizeof last, "\\AIMG_%06d\\.JPG\\z", count + 1);
        jobs.push_back(job(jobReplace, replaceRegex, 1, last, "IMG_000001.JPG"));
    }
    return jobs;
}

const char* const kKinds[] = {"lower", "shift", "rotation"};

void BM_Plan(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const int kind = static_cast<int>(state.range(1));
    const FileEntryList files = photoNames(count);
    const std::vector<Job> jobs = batchJobs(kind, count);
    RenamePlan::Options options;
    options.undo = true;
    for (auto _ : state) {
        std::int32_t counter = 2;
        RenamePlan plan;
        plan.compute({}, files, {}, options, jobs, counter);
        benchmark::DoNotOptimize(plan.steps().data());
        if (plan.cycleCount() != (kind == 2 ? 1u : 0u))
            state.SkipWithError("unexpected cycles");
    }
    state.SetLabel(kKinds[kind]);
    state.SetItemsProcessed(state.iterations() * count);
}
/// The fastest repetition: on a machine shared with other work, the run least disturbed.
double fastest(const std::vector<double>& v)
{
    return *std::min_element(v.begin(), v.end());
}

BENCHMARK(BM_Plan)
    ->ArgsProduct({{10000, 100000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", fastest);

/// A folder of count files on a memory file system, made once per size.
class BenchFolder
{
public:
    explicit BenchFolder(int count)
    {
        char path[] = "/dev/shm/brindle-bench-XXXXXX";
        if (!::mkdtemp(path))
            std::abort();
        m_path = path;
        for (const FileEntry& f : photoNames(count)) {
            const int fd = ::open((m_path + "/" + f.name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            ::close(fd);
        }
    }
    ~BenchFolder()
    {
        for (const FileEntry& f : photoNames(static_cast<int>(count())))
            ::unlink((m_path + "/" + f.name).c_str());
        ::rmdir(m_path.c_str());
    }
    const std::string& path() const { return m_path; }
    std::size_t count() const { return m_count; }

private:
    std::string m_path;
    std::size_t m_count = 0;

    friend BenchFolder& folderOf(int);
};

BenchFolder& folderOf(int count)
{
    static std::map<int, std::unique_ptr<BenchFolder>> folders;
    auto& f = folders[count];
    if (!f) {
        f = std::make_unique<BenchFolder>(count);
        f->m_count = static_cast<std::size_t>(count);
    }
    return *f;
}

class QuietHost : public IRunHost
{
public:
    void showMessage(std::string_view) override { }
    bool askYesNo(std::string_view, Question) override { return true; }
    void logLine(std::string_view) override { }
};

void BM_Simulation(benchmark::State& state)
{
    const int count = static_cast<int>(state.range(0));
    const int kind = static_cast<int>(state.range(1));
    const BenchFolder& folder = folderOf(count);
    RenameSession session;
    session.jobs = batchJobs(kind, count);
    RunOptions o;
    o.startFolder = folder.path();
    o.simulation = true;
    o.counterStart = 2;
    for (auto _ : state) {
        QuietHost host;
        ResultTree tree;
        const RunResult r = runRename(session, host, o, &tree);
        benchmark::DoNotOptimize(tree.size());
        if (!r.allWentThrough(session.stats))
            state.SkipWithError("the simulation found errors");
    }
    state.SetLabel(kKinds[kind]);
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_Simulation)
    ->ArgsProduct({{10000, 100000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", fastest);

} // namespace

BENCHMARK_MAIN();
