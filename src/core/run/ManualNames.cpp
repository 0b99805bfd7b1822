#include "core/run/ManualNames.h"

namespace brindle
{

void FolderNames::set(std::string oldName, std::string newName)
{
    Item& item = m_names[std::move(oldName)];
    item.newName = std::move(newName);
    item.manual = true;
}

void FolderNames::choose(std::string oldName)
{
    m_names.try_emplace(std::move(oldName));
}

void FolderNames::remove(std::string_view oldName)
{
    if (const auto it = m_names.find(oldName); it != m_names.end())
        m_names.erase(it);
}

const std::string* FolderNames::manualName(std::string_view oldName) const
{
    const auto it = m_names.find(oldName);
    return it != m_names.end() && it->second.manual ? &it->second.newName : nullptr;
}

bool FolderNames::chosen(std::string_view oldName) const
{
    return m_names.find(oldName) != m_names.end();
}

std::size_t FolderNames::manualCount() const
{
    std::size_t n = 0;
    for (const auto& [oldName, item] : m_names)
        n += item.manual ? 1 : 0;
    return n;
}

FolderNames& ManualNames::folder(std::string_view path)
{
    if (const auto it = m_folders.find(path); it != m_folders.end())
        return it->second;
    return m_folders[std::string(path)];
}

const FolderNames* ManualNames::find(std::string_view path) const
{
    const auto it = m_folders.find(path);
    return it != m_folders.end() ? &it->second : nullptr;
}

std::size_t ManualNames::size() const
{
    std::size_t n = 0;
    for (const auto& [path, names] : m_folders)
        n += names.size();
    return n;
}

std::string joinRelative(std::string_view folder, std::string_view name)
{
    std::string out(folder);
    if (!out.empty())
        out += '/';
    out += name;
    return out;
}

std::pair<std::string, std::string> splitRelative(std::string_view path)
{
    std::string folder;
    std::string_view last;
    std::size_t i = 0;
    while (i < path.size()) {
        const std::size_t slash = path.find('/', i);
        const std::string_view part = path.substr(i, slash == std::string_view::npos ? slash : slash - i);
        i = slash == std::string_view::npos ? path.size() : slash + 1;
        if (part.empty() || part == ".")
            continue;
        if (part == "..")
            return {};
        if (!last.empty())
            folder = joinRelative(folder, last);
        last = part;
    }
    return {folder, std::string(last)};
}

} // namespace brindle
