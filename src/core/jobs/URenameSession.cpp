#include "jobs/URenameSession.h"

namespace brindle
{

std::string TRenameSession::ApplyJobList(std::string_view name)
{
    std::string result(name);
    ApplyJobListInPlace(result);
    return result;
}

void TRenameSession::ApplyJobListInPlace(std::string& name)
{
    for (const TJob& job : Jobs)
        job.ApplyInPlace(name, CounterValue);
}

std::string TRenameSession::PreviewName(std::string_view name, TEntryKind kind)
{
    std::string result = ApplyJobList(name);
    const bool changed = result != name;
    if (kind == TEntryKind::File) {
        Stats.FilesRenamed += changed ? 1 : 0;
        ++Stats.FilesExamined;
    } else {
        Stats.FoldersRenamed += changed ? 1 : 0;
        ++Stats.FoldersExamined;
    }
    return result;
}

std::string TRenameSession::InvalidJobMessage() const
{
    for (std::size_t i = 0; i < Jobs.size(); ++i) {
        const std::string error = Jobs[i].RegexError();
        if (!error.empty())
            return "Invalid regular expression in job " + std::to_string(i + 1) + ": " + error;
    }
    return {};
}

} // namespace brindle
