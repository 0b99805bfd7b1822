#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brindle
{

/// What an entry is, as lstat says: a symbolic link is never followed, so a link to a folder
/// is a Link, and it is renamed like a file.
enum class EntryType : std::uint8_t { Folder, File, Link, Other };

/// One entry of FolderEntries: its name lies in the shared name bytes.
struct FolderEntry {
    std::uint32_t nameAt = 0;
    std::uint16_t nameLength = 0;
    EntryType type = EntryType::File;
    std::int64_t size = 0;
    /// Modification time, seconds since 1970 (UTC).
    std::int64_t mtime = 0;
};

/// The entries of a folder with their names stored back to back in one string: a large folder
/// costs the bytes of its names and a few words per entry, not a string object per entry.
struct FolderEntries {
    std::string names;
    std::vector<FolderEntry> entries;

    std::size_t size() const { return entries.size(); }
    std::string_view name(std::size_t i) const;
    /// Adds an entry; name must be at most 65535 bytes.
    void add(std::string_view name, EntryType type, std::int64_t size, std::int64_t mtime);
};

} // namespace brindle
