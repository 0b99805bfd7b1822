#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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

/// Hidden means the name begins with a full stop.
inline bool isHiddenName(std::string_view name)
{
    return name.starts_with('.');
}

/// Reads the entries of a folder a few at a time (so that a window can show the first ones
/// while the rest are read), each with its type, size and modification time from lstat.
/// "." and ".." are left out; with withHidden false, hidden entries too. An entry that is gone
/// by the time it is looked at is left out.
class FolderReader
{
public:
    /// Reads the folder open as dirFd (the descriptor stays the caller's).
    explicit FolderReader(int dirFd, bool withHidden = false);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    /// Appends up to max more entries to out. False once the folder has been read to its end,
    /// or reading failed (Error() then says why).
    bool readMore(FolderEntries& out, std::size_t max);
    /// 0, or the errno of a failed read.
    int error() const { return m_error; }

private:
    int m_fd;
    bool m_withHidden;
    std::unique_ptr<char[]> m_buffer;
    long m_got = 0;
    long m_at = 0;
    bool m_end = false;
    int m_error = 0;
};

/// Opens a folder for FolderReader: read-only, as a directory, following links in the path.
/// Returns the descriptor or -1 with errno set.
int openFolderForListing(const std::string& path);

} // namespace brindle
