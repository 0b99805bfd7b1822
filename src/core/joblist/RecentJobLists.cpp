#include "core/joblist/RecentJobLists.h"

#include <algorithm>
#include <utility>

#include "core/base/FileIo.h"

namespace brindle
{

RecentJobLists::RecentJobLists(std::string file)
    : m_file(std::move(file))
{
}

void RecentJobLists::load()
{
    m_paths.clear();
    std::string text;
    if (m_file.empty() || readWholeFile(m_file, text).failed())
        return;
    std::size_t start = 0;
    while (start < text.size() && m_paths.size() < kMaxEntries) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && std::find(m_paths.begin(), m_paths.end(), line) == m_paths.end())
            m_paths.push_back(std::move(line));
        start = end + 1;
    }
}

Result<void> RecentJobLists::add(const std::string& path)
{
    if (path.empty() || path.find('\n') != std::string::npos)
        return {};
    std::erase(m_paths, path);
    m_paths.insert(m_paths.begin(), path);
    if (m_paths.size() > kMaxEntries)
        m_paths.resize(kMaxEntries);
    return write();
}

Result<void> RecentJobLists::remove(const std::string& path)
{
    if (std::erase(m_paths, path) == 0)
        return {};
    return write();
}

Result<void> RecentJobLists::write() const
{
    std::string text;
    for (const std::string& p : m_paths)
        text += p + "\n";
    if (const SysError written = writeFileAtomically(m_file, text); written.failed())
        return Error {"Unable to write to " + m_file};
    return {};
}

} // namespace brindle
