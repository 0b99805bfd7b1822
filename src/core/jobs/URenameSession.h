#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/UTJob.h"

namespace brindle
{

/// Whether a name belongs to a file or to a folder: it picks the counts a name goes into.
enum class TEntryKind : std::uint8_t { File, Folder };

/// The counts of one run, zeroed at its start.
struct TRunStats {
    std::int32_t FilesExamined = 0;
    std::int32_t FoldersExamined = 0;
    std::int32_t FilesRenamed = 0;
    std::int32_t FoldersRenamed = 0;
    std::int32_t ErrorCount = 0;
    double RunProgress = 0.0;

    void Reset() { *this = TRunStats {}; }
};

/// The job list with the counter its counter jobs share and the counts of the current run.
/// The main window owns one, the command-line front end another; nothing here is global.
class TRenameSession
{
public:
    /// The jobs, applied first to last.
    std::vector<TJob> Jobs;
    /// Read and advanced by every counter job.
    std::int32_t CounterValue = 0;
    TRunStats Stats;

    /// The name after every job of the list, first to last.
    std::string ApplyJobList(std::string_view name);
    void ApplyJobListInPlace(std::string& name);

    /// ApplyJobList, counting the name as examined and, when it changed, as renamed.
    std::string PreviewName(std::string_view name, TEntryKind kind);

    /// "Invalid regular expression in job N: <message>" for the first job whose regular
    /// expression cannot run (N counts from 1), or empty when every job can. A run with such a
    /// job does not start.
    std::string InvalidJobMessage() const;
};

} // namespace brindle
