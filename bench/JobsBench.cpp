// Micro-benchmarks of the name transformation and of the job list file.
//
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLE_BENCH=ON -DBRINDLE_GUI=OFF
//   cmake --build build/bench --target jobs_bench && build/bench/bench/jobs_bench

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/joblist/JobListFile.h"
#include "core/jobs/RenameSession.h"
#include "core/run/FileEntry.h"
#include "core/run/NameCollator.h"

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
std::vector<Job> sevenJobs()
{
    auto make = [](JobType k, int mod, int i1, int i2, std::string s1, std::string s2) {
        Job j = Job::create(k);
        j.modifier = mod;
        j.int1 = i1;
        j.int2 = i2;
        j.str1 = std::move(s1);
        j.str2 = std::move(s2);
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
    RenameSession session;
    session.jobs = sevenJobs();
    std::size_t i = 0;
    std::string name;
    for (auto _ : state) {
        name = names[i++ % names.size()];
        session.applyJobListInPlace(name);
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

/// Names of 20 characters with two words around " - ", as a music folder has them.
std::vector<std::string> trackNames(std::size_t count)
{
    std::mt19937 rng(15);
    std::vector<std::string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::string n;
        for (std::size_t k = 0; k < 6; ++k)
            n += static_cast<char>('a' + rng() % 26);
        n += " - ";
        for (std::size_t k = 0; k < 7; ++k)
            n += static_cast<char>('a' + rng() % 26);
        n += ".mp3";
        names.push_back(n);
    }
    return names;
}

/// A regular-expression replace that swaps the two parts of every name: the goal is 500,000
/// names a second.
void BM_RegexCaptureSwap(benchmark::State& state)
{
    RenameSession session;
    Job swap = Job::create(jobReplace);
    swap.modifier = replaceRegex;
    swap.str1 = R"((\w+) - (\w+))";
    swap.str2 = "$2 - $1";
    session.jobs = {swap};
    const std::vector<std::string> names = trackNames(4096);
    std::size_t i = 0;
    std::string name;
    for (auto _ : state) {
        name = names[i++ % names.size()];
        session.applyJobListInPlace(name);
        benchmark::DoNotOptimize(name.data());
    }
    if (name.size() != 20 || name.find(" - ") != 7)
        state.SkipWithError("the swap did not happen");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RegexCaptureSwap);

/// Case jobs that change every letter, on names with accented and Greek letters.
void BM_EveryLetterCase(benchmark::State& state)
{
    std::vector<std::string> names = realisticNames(4096);
    for (std::string& n : names)
        n.insert(4, "\xc3\xa9t\xc3\xa9 \xce\xb1");
    RenameSession session;
    for (JobType kind : {jobUpper, jobLower, jobNormal}) {
        Job job = Job::create(kind);
        job.int1 = 1;
        session.jobs.push_back(job);
    }
    std::size_t i = 0;
    std::string name;
    for (auto _ : state) {
        name = names[i++ % names.size()];
        session.applyJobListInPlace(name);
        benchmark::DoNotOptimize(name.data());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EveryLetterCase);

/// 100,000 names of a photo or music folder, numbered without leading zeros, shuffled.
FileEntryList hundredThousandEntries()
{
    const std::vector<std::string> stems = realisticNames(100000);
    FileEntryList list;
    list.reserve(stems.size());
    for (std::size_t i = 0; i < stems.size(); ++i)
        list.emplace_back(stems[i].substr(0, 10) + std::to_string(i) + ".jpg", 0.0);
    std::mt19937 rng(100);
    std::shuffle(list.begin(), list.end(), rng);
    return list;
}

/// Sorting 100,000 names by name, in the designed order (state.range(0) 0) and in natural
/// order (1): the goal is at most twice the time of the designed sort.
void BM_SortNames100k(benchmark::State& state)
{
    const NameCollator collator("en_US.UTF-8", state.range(0) != 0);
    const FileEntryList original = hundredThousandEntries();
    for (auto _ : state) {
        state.PauseTiming();
        FileEntryList list = original;
        state.ResumeTiming();
        sortEntries(list, SortOrder::NameAsc, collator);
        benchmark::DoNotOptimize(list.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(original.size()));
}
BENCHMARK(BM_SortNames100k)->Arg(0)->Arg(1)->ArgName("natural")->Unit(benchmark::kMillisecond);

std::vector<Job> tenThousandJobs()
{
    const std::vector<Job> seven = sevenJobs();
    std::vector<Job> jobs;
    for (int i = 0; i < 10000; ++i) {
        Job j = seven[static_cast<std::size_t>(i) % seven.size()];
        j.str1 += "R&D <" + std::to_string(i) + ">";
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
    const std::vector<Job> jobs = tenThousandJobs();
    const std::string path = tempPath();
    for (auto _ : state) {
        if (!saveJobsToXml(path, jobs, "ISO-8859-1").ok())
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
    std::vector<Job> jobs = tenThousandJobs();
    for (Job& j : jobs)
        j.str2 = "\xCE\xA6\xCF\x89\xCF\x84\xCE\xBF\xCE\xB3\xCF\x81\xCE\xB1\xCF\x86\xCE\xAF\xCE\xB1 "
                 "\xE2\x82\xAC \xE6\x97\xA5";
    const std::string path = tempPath();
    for (auto _ : state) {
        if (!saveJobsToXml(path, jobs, "ISO-8859-7").ok())
            state.SkipWithError("save failed");
    }
    ::unlink(path.c_str());
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_SaveJobList10kGreek)->Unit(benchmark::kMillisecond);

void BM_LoadJobList10k(benchmark::State& state)
{
    const std::string path = tempPath();
    if (!saveJobsToXml(path, tenThousandJobs(), "ISO-8859-1").ok()) {
        state.SkipWithError("save failed");
        return;
    }
    for (auto _ : state) {
        Result<std::vector<Job>> loaded = loadJobsFromXml(path);
        if (!loaded.ok() || loaded.value().size() != 10000) {
            state.SkipWithError("load failed");
            break;
        }
        benchmark::DoNotOptimize(loaded.value().data());
    }
    ::unlink(path.c_str());
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_LoadJobList10k)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
