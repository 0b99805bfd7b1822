#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/jobs/Job.h"

namespace brindle
{

/// The longest job string (text to insert, anchor, text to find, replacement) the dialogs, the
/// command line and job list files take: as long as the longest name the jobs may make on the
/// way, so no job can push a name past that bound on its own.
inline constexpr std::size_t kMaxJobStringBytes = kMaxWorkingNameBytes;

/// Whether both strings of job are within kMaxJobStringBytes.
bool jobStringsFit(const Job& job);

/// "The text is longer than 4096 bytes": why a job string is refused.
std::string jobStringTooLongMessage();

} // namespace brindle
