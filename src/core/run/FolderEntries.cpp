#include "core/run/FolderEntries.h"

namespace brindle
{

std::string_view FolderEntries::name(std::size_t i) const
{
    const FolderEntry& e = entries[i];
    return std::string_view(names).substr(e.nameAt, e.nameLength);
}

void FolderEntries::add(std::string_view name, EntryType type, std::int64_t size, std::int64_t mtime)
{
    FolderEntry e;
    e.nameAt = static_cast<std::uint32_t>(names.size());
    e.nameLength = static_cast<std::uint16_t>(name.size());
    e.type = type;
    e.size = size;
    e.mtime = mtime;
    names.append(name);
    entries.push_back(e);
}

} // namespace brindle
