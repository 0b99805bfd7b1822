#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/jobs/Job.h"

namespace brindle
{

/// Whether a name belongs to a file or to a folder: it picks the counts a name goes into.
enum class EntryKind : std::uint8_t { File, Folder };

/// The counts of one run, zeroed at its start.
struct RunStats {
    std::int32_t filesExamined = 0;
    std::int32_t foldersExamined = 0;
    std::int32_t filesRenamed = 0;
    std::int32_t foldersRenamed = 0;
    std::int32_t errorCount = 0;
    /// The entries the run will rename, as far as it has planned: those whose folder's plan gives
    /// them a new name, those it finds failing included (nothing is tried in a folder left by an
    /// interrupted run). It grows as each folder is planned, before anything there is renamed,
    /// so it never falls below the renamed and failed counts; at the end it is their sum, less
    /// what a stopped run did not reach.
    std::int32_t filesToRename = 0;
    std::int32_t foldersToRename = 0;
    double runProgress = 0.0;

    void reset() { *this = RunStats {}; }
};

/// The job list with the counter its counter jobs share and the counts of the current run.
/// The main window owns one, the command-line front end another; nothing here is global.
class RenameSession
{
public:
    /// The jobs, applied first to last.
    std::vector<Job> jobs;
    /// Read and advanced by every counter job.
    std::int32_t counterValue = 0;
    /// The counter gave 2147483647 already: the next counter job fails (see JobState).
    bool counterSpent = false;
    RunStats stats;

    /// The name after every job of the list, first to last. When a job cannot make the name,
    /// failure (when given) receives why and the name is returned as it was.
    /// entry: what template jobs know of the file (null for a bare name).
    std::string applyJobList(
        std::string_view name, std::string* failure = nullptr, const EntryFacts* entry = nullptr);
    void applyJobListInPlace(
        std::string& name, std::string* failure = nullptr, const EntryFacts* entry = nullptr);

    /// applyJobList, counting the name as examined and, when it changed, as renamed.
    std::string previewName(std::string_view name, EntryKind kind, std::string* failure = nullptr,
        const EntryFacts* entry = nullptr);

    /// What the jobs read of each file they name (the greatest need of any job).
    FactsNeed factsNeed() const;

    /// "Invalid regular expression in job N: <message>" for the first job whose regular
    /// expression cannot run, or "Invalid template in job N: <message>" for one whose template
    /// cannot be used (N counts from 1); empty when every job can run. A run with such a job
    /// does not start.
    std::string invalidJobMessage() const;
};

} // namespace brindle
