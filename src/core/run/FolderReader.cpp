#include "core/run/FolderReader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace brindle
{

namespace
{
constexpr std::size_t kBufferSize = 64 * 1024;

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

FolderReader::FolderReader(int dirFd, bool withHidden)
    : m_fd(dirFd)
    , m_withHidden(withHidden)
    , m_buffer(new char[kBufferSize])
{
    if (::lseek(m_fd, 0, SEEK_SET) < 0) {
        m_error = errno;
        m_end = true;
    }
}

FolderReader::~FolderReader() = default;

bool FolderReader::readMore(FolderEntries& out, std::size_t max)
{
    std::size_t added = 0;
    while (added < max) {
        if (m_at >= m_got) {
            if (m_end)
                return false;
            m_got = ::getdents64(m_fd, m_buffer.get(), kBufferSize);
            m_at = 0;
            if (m_got <= 0) {
                if (m_got < 0)
                    m_error = errno;
                m_end = true;
                return false;
            }
        }
        const auto* d = reinterpret_cast<const struct dirent64*>(m_buffer.get() + m_at);
        m_at += d->d_reclen;
        const std::string_view name(d->d_name);
        if (name == "." || name == ".." || (!m_withHidden && isHiddenName(name)) || name.size() > 0xFFFF)
            continue;
        struct stat st;
        // Never through a link; an entry removed since the folder was read is left out.
        if (::fstatat(m_fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        out.add(name, typeOf(st.st_mode), static_cast<std::int64_t>(st.st_size),
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
