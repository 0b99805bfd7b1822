#pragma once

#include <string>

#include "core/jobs/Job.h"

namespace brindle::test
{

/// A job with every field given.
inline Job makeJob(JobType kind, std::int32_t modifier = 0, std::int32_t int1 = 0, std::int32_t int2 = 0,
    std::string str1 = {}, std::string str2 = {})
{
    Job job = Job::create(kind);
    job.modifier = modifier;
    job.int1 = int1;
    job.int2 = int2;
    job.str1 = std::move(str1);
    job.str2 = std::move(str2);
    return job;
}

} // namespace brindle::test
