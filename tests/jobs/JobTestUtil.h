#pragma once

#include <string>

#include "jobs/UTJob.h"

namespace brindle::test
{

/// A job with every field given.
inline TJob MakeJob(TJobType kind, std::int32_t modifier = 0, std::int32_t int1 = 0, std::int32_t int2 = 0,
    std::string str1 = {}, std::string str2 = {})
{
    TJob job = TJob::Create(kind);
    job.Modifier = modifier;
    job.Int1 = int1;
    job.Int2 = int2;
    job.Str1 = std::move(str1);
    job.Str2 = std::move(str2);
    return job;
}

} // namespace brindle::test
