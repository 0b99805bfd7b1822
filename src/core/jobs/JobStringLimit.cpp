#include "core/jobs/JobStringLimit.h"

namespace brindle
{

bool jobStringsFit(const Job& job)
{
    return job.str1.size() <= kMaxJobStringBytes && job.str2.size() <= kMaxJobStringBytes;
}

std::string jobStringTooLongMessage()
{
    return "The text is longer than " + std::to_string(kMaxJobStringBytes) + " bytes";
}

} // namespace brindle
