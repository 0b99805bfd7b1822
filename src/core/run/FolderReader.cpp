#include "core/run/FolderReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

#include "core/run/FileEntry.h"

namespace brindle
{

namespace
{

// Large enough that most folders take one read, small enough to keep one per worker.
constexpr std::size_t kBufferSize = 256 * 1024;

ssize_t readDirectory(int fd, void* buffer, std::size_t size)
{
    return ::getdents64(fd, buffer, size);
}

// The test seam of setReadCall; every reader of the process reads through it.
std::atomic<FolderReader::ReadCall> g_readCall {&readDirectory};

EntryType typeOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return EntryType::Folder;
    if (S_ISREG(mode))
        return EntryType::File;
    if (S_ISLNK(mode))
        return EntryType::Link;
    return EntryType::Other;
}

} // namespace

FolderReader::FolderReader()
    : m_buffer(new char[kBufferSize])
{
}

FolderReader::~FolderReader() = default;

FolderReader::ReadCall FolderReader::setReadCall(ReadCall call)
{
    return g_readCall.exchange(call ? call : &readDirectory);
}

void FolderReader::start(int dirFd)
{
    m_fd = dirFd;
    m_got = 0;
    m_at = 0;
    m_error = {};
    // A descriptor that was read before is read again from its first entry.
    m_end = ::lseek(dirFd, 0, SEEK_SET) < 0;
    if (m_end)
        m_error = SysError::last();
}

bool FolderReader::next(Entry& entry)
{
    for (;;) {
        if (m_at >= m_got) {
            if (m_end)
                return false;
            const ssize_t got = g_readCall.load()(m_fd, m_buffer.get(), kBufferSize);
            m_at = 0;
            m_got = got > 0 ? static_cast<std::size_t>(got) : 0;
            if (got <= 0) {
                // 0 is the end of the folder; a failure is kept, so that no caller takes what
                // was read so far for the whole folder.
                if (got < 0)
                    m_error = SysError::last();
                m_end = true;
                return false;
            }
        }
        const auto* d = reinterpret_cast<const struct dirent64*>(m_buffer.get() + m_at);
        m_at += d->d_reclen;
        const std::string_view name(d->d_name);
        if (name == "." || name == "..")
            continue;
        entry.name = name;
        entry.type = d->d_type;
        return true;
    }
}

bool FolderReader::readMore(FolderEntries& out, std::size_t max, bool withHidden)
{
    Entry e;
    for (std::size_t added = 0; added < max;) {
        if (!next(e))
            return false;
        if ((!withHidden && isHiddenName(e.name)) || e.name.size() > 0xFFFF)
            continue;
        struct stat st;
        // Never through a link; an entry removed since the folder was read is left out. The
        // name ends with the NUL byte of its directory record.
        if (::fstatat(m_fd, e.name.data(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        out.add(e.name, typeOf(st.st_mode), static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec));
        ++added;
    }
    return true;
}

int openFolderForListing(const std::string& path)
{
    return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace brindle
