#include "core/jobs/RenameSession.h"

namespace brindle
{

std::string RenameSession::applyJobList(std::string_view name, std::string* failure)
{
    std::string result(name);
    applyJobListInPlace(result, failure);
    return result;
}

void RenameSession::applyJobListInPlace(std::string& name, std::string* failure)
{
    JobState state {counterValue, {}, counterSpent};
    const std::string before = name;
    for (const Job& job : jobs)
        job.applyInPlace(name, state);
    counterValue = state.counter;
    counterSpent = state.counterSpent;
    if (!state.failure.empty()) {
        name = before;
        if (failure)
            *failure = std::move(state.failure);
    }
}

std::string RenameSession::previewName(std::string_view name, EntryKind kind, std::string* failure)
{
    std::string result = applyJobList(name, failure);
    const bool changed = result != name;
    if (kind == EntryKind::File) {
        stats.filesRenamed += changed ? 1 : 0;
        ++stats.filesExamined;
    } else {
        stats.foldersRenamed += changed ? 1 : 0;
        ++stats.foldersExamined;
    }
    return result;
}

std::string RenameSession::invalidJobMessage() const
{
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const std::string error = jobs[i].regexError();
        if (!error.empty())
            return "Invalid regular expression in job " + std::to_string(i + 1) + ": " + error;
    }
    return {};
}

} // namespace brindle
