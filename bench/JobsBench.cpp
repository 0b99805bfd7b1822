// Micro-benchmarks of the name transformation and of the job list file.
//
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_BENCH=ON -DBRINDLE_GUI=OFF
//   cmake --build build/bench --target jobs_bench && build/bench/bench/jobs_bench

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "joblist/UJobIO.h"
#include "jobs/URenameSession.h"

using namespace brindle;

namespace
{

/// Names shaped like those of a photo or document folder, about 20 characters each.
std::vector<std::string> realisticNames(std::size_t count)
{
    static const char* stems[] = {"IMG_", "DSC", "Holiday Photo ", "report_final-", "Scan ", "track-"};
    static const char* exts[] = {".JPG", ".jpeg", ".pdf", ".TXT", ".mp3", ".tar.gz"};
    std::mt19937 rng(42);
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::string n = stems[rng() % 6];
        while (n.size() < 14)
            n += static_cast<char>('a' + rng() % 26);
        n += std::to_string(rng() % 10000);
        n += exts[rng() % 6];
        names.push_back(n);
    }
    return names;
}

/// One job of every kind that changes a name.
std::vector<TJob> sevenJobs()
{
    auto make = [](TJobType k, int mod, int i1, int i2, std::string s1, std::string s2) {
        TJob j = TJob::Create(k);
        j.Modifier = mod;
        j.Int1 = i1;
        j.Int2 = i2;
        j.Str1 = std::move(s1);
        j.Str2 = std::move(s2);
        return j;
    };
    return {
        make(jobLower, scopeExtension, 0, 0, "", ""),
        make(jobUpper, scopeFilename, 0, 0, "", ""),
        make(jobNormal, scopeAll, 0, 0, "", ""),
        make(jobInsert, posAfterChar, 3, 0, "-", ""),
        make(jobRemove, posBeforeString, 1, 0, ".", ""),
        make(jobReplace, replaceText, 0, 0, "_", " "),
        make(jobCounter, posBeforeString, 4, 0, ".", ""),
    };
}

void runJobList(benchmark::State& state, const std::vector<std::string>& names)
{
    TRenameSession session;
    session.Jobs = sevenJobs();
    std::size_t i = 0;
    std::string name;
    for (auto _ : state) {
        name = names[i++ % names.size()];
        session.ApplyJobListInPlace(name);
        benchmark::DoNotOptimize(name.data());
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ApplyJobList(benchmark::State& state)
{
    runJobList(state, realisticNames(4096));
}
BENCHMARK(BM_ApplyJobList);

void BM_ApplyJobListUtf8(benchmark::State& state)
{
    std::vector<std::string> names = realisticNames(4096);
    for (std::string& n : names)
        n.insert(4, "\xc3\xa9t\xc3\xa9 \xce\xb1");
    runJobList(state, names);
}
BENCHMARK(BM_ApplyJobListUtf8);

std::vector<TJob> tenThousandJobs()
{
    const std::vector<TJob> seven = sevenJobs();
    std::vector<TJob> jobs;
    for (int i = 0; i < 10000; ++i) {
        TJob j = seven[static_cast<std::size_t>(i) % seven.size()];
        j.Str1 += "R&D <" + std::to_string(i) + ">";
        jobs.push_back(j);
    }
    return jobs;
}

std::string tempPath()
{
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/brindle-bench-" + std::to_string(::getpid()) + ".xml";
}

void BM_SaveJobList10k(benchmark::State& state)
{
    const std::vector<TJob> jobs = tenThousandJobs();
    const std::string path = tempPath();
    for (auto _ : state) {
        if (!SaveJobsToXml(path, jobs, "ISO-8859-1"))
            state.SkipWithError("save failed");
    }
    ::unlink(path.c_str());
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_SaveJobList10k)->Unit(benchmark::kMillisecond);

// The same list with a Greek text and a euro sign in every job, saved as ISO-8859-7: every
// string goes through the encoding converter, one character at a time.
void BM_SaveJobList10kGreek(benchmark::State& state)
{
    std::vector<TJob> jobs = tenThousandJobs();
    for (TJob& j : jobs)
        j.Str2 = "\xCE\xA6\xCF\x89\xCF\x84\xCE\xBF\xCE\xB3\xCF\x81\xCE\xB1\xCF\x86\xCE\xAF\xCE\xB1 "
                 "\xE2\x82\xAC \xE6\x97\xA5";
    const std::string path = tempPath();
    for (auto _ : state) {
        if (!SaveJobsToXml(path, jobs, "ISO-8859-7"))
            state.SkipWithError("save failed");
    }
    ::unlink(path.c_str());
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_SaveJobList10kGreek)->Unit(benchmark::kMillisecond);

void BM_LoadJobList10k(benchmark::State& state)
{
    const std::string path = tempPath();
    SaveJobsToXml(path, tenThousandJobs(), "ISO-8859-1");
    for (auto _ : state) {
        TJobListLoad loaded = LoadJobsFromXml(path);
        if (!loaded.ok || loaded.jobs.size() != 10000)
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(loaded.jobs.data());
    }
    ::unlink(path.c_str());
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_LoadJobList10k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
