#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/base/Result.h"
#include "core/jobs/Job.h"

namespace brindle
{

/// Job lists kept under a name of the user's: each one a job list file "<name>.xml" in one
/// folder ($XDG_DATA_HOME/brindlewick/presets/ for the program), so that they can also be
/// opened, copied and shared as files.
class PresetStore
{
public:
    /// folder ends with "/"; it is made when the first preset is saved.
    explicit PresetStore(std::string folder);

    /// The presets folder below a data folder (getDataHome), ending with "/"; empty for none.
    static std::string folderIn(const std::string& dataHome);

    const std::string& folder() const { return m_folder; }
    /// The names of the presets there, in byte order; none when the folder is missing.
    std::vector<std::string> names() const;
    /// Why name cannot name a preset ("" when it can): empty, "." or "..", a "/" or a NUL byte,
    /// a leading full stop, or longer than 200 bytes.
    static std::string nameProblem(std::string_view name);
    /// The file of the preset name.
    std::string fileOf(const std::string& name) const;

    /// Writes jobs as the preset name (replacing one of that name) in encoding.
    Result<void> save(const std::string& name, const std::vector<Job>& jobs, std::string_view encoding);
    Result<std::vector<Job>> load(const std::string& name) const;
    /// Gives preset from the name to; refused when to is taken or cannot name a preset.
    Result<void> rename(const std::string& from, const std::string& to);
    Result<void> remove(const std::string& name);

private:
    std::string m_folder;
};

} // namespace brindle
