#include "core/joblist/PresetStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "core/base/FileIo.h"
#include "core/joblist/JobListFile.h"

namespace brindle
{

namespace
{

constexpr std::string_view kPresetExtension = ".xml";
constexpr std::size_t kMaxPresetNameBytes = 200;

Error presetError(const std::string& what, const std::string& name, int error)
{
    return Error {what + " \"" + name + "\": " + errorText(error)};
}

} // namespace

PresetStore::PresetStore(std::string folder)
    : m_folder(std::move(folder))
{
}

std::string PresetStore::folderIn(const std::string& dataHome)
{
    return dataHome.empty() ? std::string() : dataHome + "brindlewick/presets/";
}

std::vector<std::string> PresetStore::names() const
{
    std::vector<std::string> out;
    DIR* dir = ::opendir(m_folder.c_str());
    if (!dir)
        return out;
    while (const dirent* e = ::readdir(dir)) {
        const std::string_view file = e->d_name;
        if (file.size() <= kPresetExtension.size() || !file.ends_with(kPresetExtension))
            continue;
        std::string name(file.substr(0, file.size() - kPresetExtension.size()));
        struct stat st;
        if (nameProblem(name).empty() && ::stat((m_folder + std::string(file)).c_str(), &st) == 0
            && S_ISREG(st.st_mode))
            out.push_back(std::move(name));
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end());
    return out;
}

std::string PresetStore::nameProblem(std::string_view name)
{
    if (name.empty())
        return "Type a name for the preset";
    if (name.find('/') != std::string_view::npos || name.find('\0') != std::string_view::npos)
        return "A preset name cannot hold \"/\"";
    if (name.front() == '.')
        return "A preset name cannot begin with a full stop";
    if (name.size() > kMaxPresetNameBytes)
        return "A preset name is at most " + std::to_string(kMaxPresetNameBytes) + " bytes long";
    return {};
}

std::string PresetStore::fileOf(const std::string& name) const
{
    return m_folder + name + std::string(kPresetExtension);
}

Result<void> PresetStore::save(
    const std::string& name, const std::vector<Job>& jobs, std::string_view encoding)
{
    if (const std::string problem = nameProblem(name); !problem.empty())
        return Error {problem};
    if (m_folder.empty())
        return Error {"No home folder is known, so there is no folder for presets."};
    if (const SysError made = makeFolders(m_folder, 0700); made.failed())
        return presetError("Cannot make the presets folder", m_folder, made.code());
    return saveJobsToXml(fileOf(name), jobs, encoding);
}

Result<std::vector<Job>> PresetStore::load(const std::string& name) const
{
    if (const std::string problem = nameProblem(name); !problem.empty())
        return Error {problem};
    return loadJobsFromXml(fileOf(name));
}

Result<void> PresetStore::rename(const std::string& from, const std::string& to)
{
    if (const std::string problem = nameProblem(to); !problem.empty())
        return Error {problem};
    if (from == to)
        return {};
    // The new name is never taken over: link to it, then let the old one go.
    if (::link(fileOf(from).c_str(), fileOf(to).c_str()) != 0) {
        const int error = errno;
        if (error == EEXIST)
            return Error {"A preset named \"" + to + "\" exists already"};
        return presetError("Cannot rename the preset", from, error);
    }
    if (::unlink(fileOf(from).c_str()) != 0)
        return presetError("Cannot rename the preset", from, errno);
    return {};
}

Result<void> PresetStore::remove(const std::string& name)
{
    if (::unlink(fileOf(name).c_str()) != 0)
        return presetError("Cannot delete the preset", name, errno);
    return {};
}

} // namespace brindle
