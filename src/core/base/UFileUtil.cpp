#include "base/UFileUtil.h"

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

namespace
{

/// Writes bytes at the start of fd, however many calls that takes.
bool writeAllAt(int fd, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

void syncFolder(const std::string& folder)
{
    const int dirFd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

/// The name a chain of symbolic links ends at when that end is missing; path itself when it is
/// no link. False (errno set) when the chain cannot be followed.
bool missingTarget(const std::string& path, std::string& target)
{
    target = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {
        };
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return true;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0)
            return false;
        link.resize(static_cast<std::size_t>(n));
        target = link.starts_with('/') ? link : FolderOf(target) + link;
    }
    errno = ELOOP;
    return false;
}

enum class TOutcome { Done, Failed, Retry, NotHere };

/// A file where nothing is yet. O_EXCL, so that nothing that appeared meanwhile is replaced;
/// the file is removed again when it cannot be written whole.
TOutcome createFile(const std::string& target, std::string_view bytes, std::string* error)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (errno == EEXIST)
            return TOutcome::Retry;
        setError(error, errno);
        return TOutcome::Failed;
    }
    bool ok = writeAll(fd, bytes) && ::fsync(fd) == 0;
    int err = errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(target.c_str());
        setError(error, err);
        return TOutcome::Failed;
    }
    syncFolder(FolderOf(target));
    return TOutcome::Done;
}

/// Replaces the regular file target (whose status is st) in one step: readers see the old file
/// or the new one, never a part, and a failure leaves the old one as it was. NotHere when no
/// temporary file with the file's owner can be made beside it.
TOutcome replaceWhole(
    const std::string& target, const struct stat& st, std::string_view bytes, std::string* error)
{
    // 1. A temporary file in the same folder, so that the rename stays on one file system. Its
    //    name is the file's own after a full stop, cut so that it stays a valid name.
    constexpr std::size_t kMaxName = 255;
    constexpr std::string_view kSuffix = ".XXXXXX";
    const std::string folder = FolderOf(target);
    std::string base = target.substr(folder.size());
    if (base.size() > kMaxName - 1 - kSuffix.size())
        base.resize(kMaxName - 1 - kSuffix.size());
    std::string temp = folder + "." + base + std::string(kSuffix);
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return TOutcome::NotHere;
    // 2. The owner and group of the file being replaced; where they cannot be given, the file is
    //    written in place rather than taken over.
    struct stat made {
    };
    if (::fstat(fd, &made) != 0
        || ((made.st_uid != st.st_uid || made.st_gid != st.st_gid)
            && ::fchown(fd, st.st_uid, st.st_gid) != 0)) {
        ::close(fd);
        ::unlink(temp.c_str());
        return TOutcome::NotHere;
    }
    // 3. Its permissions, the bytes, and a sync, so the rename never publishes a part.
    const bool written = ::fchmod(fd, st.st_mode & 07777) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
    const int writeErr = errno;
    if (::close(fd) != 0 || !written) {
        setError(error, written ? errno : writeErr);
        ::unlink(temp.c_str());
        return TOutcome::Failed;
    }
    // 4. Put it in place in one step, and make the new directory entry durable too.
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        setError(error, errno);
        ::unlink(temp.c_str());
        return TOutcome::Failed;
    }
    syncFolder(folder);
    return TOutcome::Done;
}

/// Writes over the regular file open as fd: every name of it sees the new bytes.
bool writeInPlace(int fd, std::string_view bytes, std::string* error)
{
    // 1. Room for the new bytes first, so that a full disk fails before any old byte is touched
    //    (where the file system can tell in advance).
    if (!bytes.empty() && ::fallocate(fd, 0, 0, static_cast<off_t>(bytes.size())) != 0 && errno != EOPNOTSUPP
        && errno != ENOSYS) {
        setError(error, errno);
        return false;
    }
    // 2. The bytes from the start, the rest cut off, and a sync.
    if (!writeAllAt(fd, bytes) || ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0
        || ::fsync(fd) != 0) {
        setError(error, errno);
        return false;
    }
    return true;
}

/// Writes to a character device or a FIFO that has a reader, waiting for it as a write does.
bool writeStream(int fd, std::string_view bytes, std::string* error)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 || !writeAll(fd, bytes)) {
        setError(error, errno);
        return false;
    }
    return true;
}

TOutcome saveOnce(const std::string& path, std::string_view bytes, std::string* error)
{
    // 1. Open what the path names now, links followed: nothing is created or cut yet, and a FIFO
    //    without a reader fails at once instead of waiting for one.
    const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            setError(error, errno);
            return TOutcome::Failed;
        }
        // 2. Nothing there: a new file, where the link points when the path is one.
        std::string target;
        if (!missingTarget(path, target)) {
            setError(error, errno);
            return TOutcome::Failed;
        }
        return createFile(target, bytes, error);
    }
    struct stat st {
    };
    TOutcome outcome = TOutcome::Failed;
    if (::fstat(fd, &st) != 0) {
        setError(error, errno);
    } else if (S_ISREG(st.st_mode)) {
        // 3. A file with one link is replaced whole where that can be done: under the name it has
        //    in its folder, once that name is seen to be the file opened.
        outcome = TOutcome::NotHere;
        if (st.st_nlink == 1) {
            if (char* real = ::realpath(path.c_str(), nullptr)) {
                const std::string target = real;
                std::free(real);
                struct stat now {
                };
                if (::stat(target.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino)
                    outcome = replaceWhole(target, st, bytes, error);
            }
        }
        // 4. Otherwise (hard links, a folder that cannot be written, ...) it is written in place.
        if (outcome == TOutcome::NotHere)
            outcome = writeInPlace(fd, bytes, error) ? TOutcome::Done : TOutcome::Failed;
    } else if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
        // 5. A device such as /dev/null or a FIFO with a reader takes the bytes as they are.
        outcome = writeStream(fd, bytes, error) ? TOutcome::Done : TOutcome::Failed;
    } else {
        // 6. Anything else, a block device above all, is never written over.
        setError(error, EINVAL);
    }
    ::close(fd);
    return outcome;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error)
{
    // A file that appears between the look and the creation is looked at again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const TOutcome outcome = saveOnce(path, bytes, error);
        if (outcome != TOutcome::Retry)
            return outcome == TOutcome::Done;
    }
    setError(error, EEXIST);
    return false;
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
