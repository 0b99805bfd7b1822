#include "app/UFileUtil.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace brindle
{

namespace
{

void setError(std::string* error, int err)
{
    if (error)
        *error = std::strerror(err);
}

bool writeAll(int fd, std::string_view bytes)
{
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

std::string FolderOf(std::string_view path)
{
    const std::size_t p = path.rfind('/');
    return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

bool IsExistingFolder(const std::string& path)
{
    struct stat st {
    };
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsExistingFile(const std::string& path)
{
    struct stat st {
    };
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error)
{
    // 1. Follow a symbolic link, so that the file it names is replaced and the link stays.
    std::string target = path;
    struct stat st {
    };
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved))
            target = resolved;
    }
    // 2. Keep the permissions of the file being replaced; a new file gets the usual ones.
    const mode_t mode = ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : newFileMode();

    // 3. Write and sync a temporary file in the same folder, so the rename stays on one file system.
    const std::string folder = FolderOf(target);
    const std::string base = target.substr(folder.size());
    std::string temp = folder + "." + base + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        setError(error, errno);
        return false;
    }
    const bool written = ::fchmod(fd, mode) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeErr = errno;
    if (::close(fd) != 0 || !written) {
        setError(error, written ? errno : writeErr);
        ::unlink(temp.c_str());
        return false;
    }
    // 4. Put it in place in one step: readers see the old file or the new one, never a part.
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        setError(error, errno);
        ::unlink(temp.c_str());
        return false;
    }
    // 5. Make the new directory entry durable too.
    const int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& out, std::string* error)
{
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        setError(error, errno);
        return false;
    }
    struct stat st {
    };
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        ::close(fd);
        setError(error, EISDIR);
        return false;
    }
    char buf[65536];
    while (true) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            setError(error, errno);
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}

} // namespace brindle
