#include "core/run/FolderWalk.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace brindle
{

WalkFrame makeWalkFrame(Fd fd, std::string name, FileEntryList subfolders)
{
    WalkFrame frame;
    struct stat st;
    if (::fstat(fd.get(), &st) == 0) {
        frame.dev = st.st_dev;
        frame.ino = st.st_ino;
    }
    frame.fd = std::move(fd);
    frame.name = std::move(name);
    frame.subfolders = std::move(subfolders);
    return frame;
}

SysError reopenParent(const WalkFrame& child, WalkFrame& parent)
{
    Fd up(::openat(child.fd.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!up.valid())
        return up.error();
    struct stat st;
    if (::fstat(up.get(), &st) != 0)
        return SysError::last();
    if (st.st_dev != parent.dev || st.st_ino != parent.ino)
        return ESTALE;
    parent.fd = std::move(up);
    return {};
}

} // namespace brindle
