#include "core/jobs/RenameSession.h"

namespace brindle
{

std::string RenameSession::applyJobList(std::string_view name, std::string* failure, const EntryFacts* entry)
{
    std::string result(name);
    applyJobListInPlace(result, failure, entry);
    return result;
}

void RenameSession::applyJobListInPlace(std::string& name, std::string* failure, const EntryFacts* entry)
{
    JobState state {counterValue, {}, counterSpent, entry};
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

std::string RenameSession::previewName(
    std::string_view name, EntryKind kind, std::string* failure, const EntryFacts* entry)
{
    std::string result = applyJobList(name, failure, entry);
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

FactsNeed RenameSession::factsNeed() const
{
    FactsNeed need = FactsNeed::None;
    for (const Job& job : jobs)
        need = need | job.factsNeed();
    return need;
}

std::string RenameSession::invalidJobMessage() const
{
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const std::string error = jobs[i].regexError();
        if (!error.empty())
            return "Invalid regular expression in job " + std::to_string(i + 1) + ": " + error;
        const std::string templateError = jobs[i].templateError();
        if (!templateError.empty())
            return "Invalid template in job " + std::to_string(i + 1) + ": " + templateError;
    }
    return {};
}

} // namespace brindle
