#pragma once

#include <sys/types.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "core/base/SysError.h"
#include "core/run/FolderEntries.h"

namespace brindle
{

/// Reads the entries of a folder through its directory descriptor with getdents64, a buffer at
/// a time, the buffer reused from folder to folder. Every listing goes through it: the run's,
/// the simulation's and the plan's (FolderLister), the window's file list and folder tree. A
/// read that fails is reported by error(), never taken for the end of the folder.
class FolderReader
{
public:
    /// One entry as the directory gives it; name stays valid until the next read.
    struct Entry {
        std::string_view name;
        /// d_type: DT_DIR, DT_REG, DT_LNK, ..., or DT_UNKNOWN where the file system does not say.
        unsigned char type = 0;
    };

    FolderReader();
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    /// Starts reading the folder open as dirFd from its first entry; the descriptor stays the
    /// caller's.
    void start(int dirFd);

    /// The next entry, "." and ".." left out. False at the end of the folder, or when reading
    /// failed (error() then says why).
    bool next(Entry& entry);

    /// Appends up to max more entries to out, each with its type, size and modification time
    /// from lstat (a link is never followed), so that a window can show the first ones while the
    /// rest are read. Hidden entries only withHidden; an entry that is gone by the time it is
    /// looked at, or whose name is longer than 65535 bytes, is left out. False once the folder
    /// has been read to its end, or reading failed.
    bool readMore(FolderEntries& out, std::size_t max, bool withHidden = false);

    /// Why the folder could not be read to its end: the failure of the rewind or of a read.
    SysError error() const { return m_error; }

    /// The call that reads directory entries: getdents64, unless a test puts another in its
    /// place to make reads fail. Returns the call it replaces; null puts getdents64 back.
    using ReadCall = ssize_t (*)(int fd, void* buffer, std::size_t size);
    static ReadCall setReadCall(ReadCall call);

private:
    int m_fd = -1;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_got = 0;
    std::size_t m_at = 0;
    bool m_end = true;
    SysError m_error;
};

/// Opens a folder for FolderReader: read-only, as a directory, following links in the path.
/// Returns the descriptor or -1 with errno set.
int openFolderForListing(const std::string& path);

} // namespace brindle
