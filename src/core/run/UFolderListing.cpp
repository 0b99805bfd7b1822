#include "run/UFolderListing.h"

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

TEntryType typeOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return TEntryType::Folder;
    if (S_ISREG(mode))
        return TEntryType::File;
    if (S_ISLNK(mode))
        return TEntryType::Link;
    return TEntryType::Other;
}
} // namespace

std::string_view TFolderEntries::Name(std::size_t i) const
{
    const TFolderEntry& e = entries[i];
    return std::string_view(names).substr(e.nameAt, e.nameLength);
}

void TFolderEntries::Add(std::string_view name, TEntryType type, std::int64_t size, std::int64_t mtime)
{
    TFolderEntry e;
    e.nameAt = static_cast<std::uint32_t>(names.size());
    e.nameLength = static_cast<std::uint16_t>(name.size());
    e.type = type;
    e.size = size;
    e.mtime = mtime;
    names.append(name);
    entries.push_back(e);
}

TFolderReader::TFolderReader(int dirFd, bool withHidden)
    : m_fd(dirFd)
    , m_withHidden(withHidden)
    , m_buffer(new char[kBufferSize])
{
    if (::lseek(m_fd, 0, SEEK_SET) < 0) {
        m_error = errno;
        m_end = true;
    }
}

TFolderReader::~TFolderReader() = default;

bool TFolderReader::ReadMore(TFolderEntries& out, std::size_t max)
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
        if (name == "." || name == ".." || (!m_withHidden && IsHiddenName(name)) || name.size() > 0xFFFF)
            continue;
        struct stat st;
        // Never through a link; an entry removed since the folder was read is left out.
        if (::fstatat(m_fd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        out.Add(name, typeOf(st.st_mode), static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec));
        ++added;
    }
    return true;
}

int OpenFolderForListing(const std::string& path)
{
    return ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

} // namespace brindle
