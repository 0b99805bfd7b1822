#pragma once

#include <string>

namespace brindle
{

/// The folder of the running executable, ending with "/".
std::string GetAppDir();

/// The folder for the settings file and the kept job list: the application folder when it is
/// writable, otherwise $XDG_CONFIG_HOME/brindlewick/ (default ~/.config/brindlewick/), created
/// when create is true and it does not exist yet. Ends with "/".
std::string GetSettingsDir(bool create = true);

/// The kept job list file: GetSettingsDir() followed by "brindle_job_config.xml".
std::string KeptJobListPath(bool create = true);

inline constexpr const char* kKeptJobListName = "brindle_job_config.xml";

} // namespace brindle
