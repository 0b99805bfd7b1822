#include "core/base/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <new>
#include <vector>

#include "core/base/Fd.h"

namespace brindle
{

SysError writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return SysError::last();
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

SysError readAll(int fd, std::string& out, std::size_t sizeHint)
{
    // Room for the whole file and one read more, so the end is found without growing the
    // string; it grows only when the file is longer than the hint.
    constexpr std::size_t kChunk = 65536;
    out.clear();
    out.reserve(sizeHint + kChunk);
    std::size_t size = 0;
    for (;;) {
        if (out.size() - size < kChunk)
            out.resize(std::max(out.capacity(), size + kChunk));
        const ssize_t n = ::read(fd, out.data() + size, out.size() - size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const SysError e = SysError::last();
            out.clear();
            return e;
        }
        if (n == 0)
            break;
        size += static_cast<std::size_t>(n);
    }
    out.resize(size);
    return {};
}

SysError readAtMost(int fd, std::string& out, std::size_t limit, std::size_t sizeHint, bool& tooLarge)
{
    constexpr std::size_t kChunk = 65536;
    tooLarge = false;
    out.clear();
    try {
        // The hint plus one byte finds the end without growing the string; more only when the
        // file grew since it was measured.
        out.resize(std::min(sizeHint, limit) + 1);
        std::size_t size = 0;
        for (;;) {
            if (size == out.size()) {
                if (size > limit)
                    break;
                out.resize(std::min(size + std::max(size / 2, kChunk), limit + 1));
            }
            const ssize_t n = ::read(fd, out.data() + size, out.size() - size);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                const SysError e = SysError::last();
                std::string().swap(out);
                return e;
            }
            if (n == 0)
                break;
            size += static_cast<std::size_t>(n);
        }
        tooLarge = size > limit;
        out.resize(std::min(size, limit));
    } catch (const std::bad_alloc&) {
        std::string().swap(out);
        return ENOMEM;
    }
    return {};
}

SysError makeFolders(const std::string& folder, mode_t mode)
{
    for (std::size_t p = folder.find('/', 1); p != std::string::npos; p = folder.find('/', p + 1)) {
        if (::mkdir(folder.substr(0, p).c_str(), mode) != 0 && errno != EEXIST)
            return SysError::last();
    }
    if (!folder.ends_with('/') && ::mkdir(folder.c_str(), mode) != 0 && errno != EEXIST)
        return SysError::last();
    return isExistingFolder(folder) ? SysError() : SysError(ENOTDIR);
}

std::string folderOf(std::string_view path)
{
    const std::size_t p = path.rfind('/');
    return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

bool isExistingFolder(const std::string& path)
{
    struct stat st {
    };
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isExistingFile(const std::string& path)
{
    struct stat st {
    };
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

std::string absolutePath(const std::string& path)
{
    if (path.empty())
        return {};
    std::string full = path;
    if (full.front() != '/') {
        char* cwd = ::getcwd(nullptr, 0);
        full = std::string(cwd ? cwd : "") + "/" + full;
        std::free(cwd);
    }
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= full.size()) {
        std::size_t end = full.find('/', start);
        if (end == std::string::npos)
            end = full.size();
        const std::string part = full.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result;
    for (const std::string& part : parts)
        result += "/" + part;
    return result.empty() ? std::string("/") : result;
}

namespace
{

void syncFolder(const std::string& folder)
{
    const Fd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid())
        ::fsync(dir.get());
}

/// Whether the symbolic link at link (its status lst) may be followed: one of the user's own or
/// root's, or one in a folder that nobody else may write to. Anyone who can write to a folder
/// can plant a link there to make the user's save write over, or create, a file elsewhere.
bool isTrustedLink(const std::string& link, const struct stat& lst)
{
    const uid_t me = ::geteuid();
    if (lst.st_uid == me || lst.st_uid == 0)
        return true;
    const std::string folder = folderOf(link);
    struct stat dir {
    };
    if (::stat(folder.empty() ? "." : folder.c_str(), &dir) != 0)
        return false;
    return (dir.st_uid == me || dir.st_uid == 0) && (dir.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

/// Checks the symbolic links a save of path would follow: each must be trusted (EACCES if not),
/// and a chain of links must end at an existing entry (ENOENT if not): a save never creates a
/// file where a link points.
SysError checkLinks(const std::string& path)
{
    std::string at = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat lst {
        };
        if (::lstat(at.c_str(), &lst) != 0) {
            const int error = errno;
            // Nothing at the path itself: a new file is made there.
            if (hops == 0)
                return error == ENOENT ? SysError() : SysError(error);
            // A link whose target is no name in a folder (a descriptor's link in /proc names a
            // pipe) still ends at something when the whole path can be followed.
            struct stat st {
            };
            if (::stat(path.c_str(), &st) == 0)
                return {};
            return error;
        }
        if (!S_ISLNK(lst.st_mode))
            return {};
        if (!isTrustedLink(at, lst))
            return EACCES;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(at.c_str(), link.data(), link.size());
        if (n < 0)
            return SysError::last();
        link.resize(static_cast<std::size_t>(n));
        at = link.starts_with('/') ? link : folderOf(at) + link;
    }
    return ELOOP;
}

enum class Outcome { Done, Failed, Retry, NotHere };

/// How one attempt at saving ended, with the error of a failure.
struct Step {
    Outcome outcome;
    SysError error;
};

Step failed(SysError error)
{
    return {Outcome::Failed, error};
}

/// Writes bytes to the new file fd, syncs and closes it; the error of the first step that failed.
SysError writeSyncClose(Fd& fd, std::string_view bytes)
{
    SysError e = writeAll(fd.get(), bytes);
    if (!e && ::fsync(fd.get()) != 0)
        e = SysError::last();
    if (const SysError closed = fd.close(); !e)
        e = closed;
    return e;
}

/// A file where nothing is yet. O_EXCL, so that nothing that appeared meanwhile is replaced;
/// the file is removed again when it cannot be written whole.
Step createFile(const std::string& target, std::string_view bytes)
{
    Fd fd(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd.valid())
        return fd.error() == EEXIST ? Step {Outcome::Retry, {}} : failed(fd.error());
    if (const SysError e = writeSyncClose(fd, bytes)) {
        ::unlink(target.c_str());
        return failed(e);
    }
    syncFolder(folderOf(target));
    return {Outcome::Done, {}};
}

/// Replaces the regular file target (whose status is st) in one step: readers see the old file
/// or the new one, never a part, and a failure leaves the old one as it was. NotHere when no
/// temporary file with the file's owner can be made beside it.
Step replaceWhole(const std::string& target, const struct stat& st, std::string_view bytes)
{
    // 1. A temporary file in the same folder, so that the rename stays on one file system. Its
    //    name is the file's own after a full stop, cut so that it stays a valid name.
    constexpr std::size_t kMaxName = 255;
    constexpr std::string_view kSuffix = ".XXXXXX";
    const std::string folder = folderOf(target);
    std::string base = target.substr(folder.size());
    if (base.size() > kMaxName - 1 - kSuffix.size())
        base.resize(kMaxName - 1 - kSuffix.size());
    std::string temp = folder + "." + base + std::string(kSuffix);
    Fd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.valid())
        return {Outcome::NotHere, {}};
    // 2. The owner and group of the file being replaced; where they cannot be given, the file is
    //    written in place rather than taken over.
    struct stat made {
    };
    if (::fstat(fd.get(), &made) != 0
        || ((made.st_uid != st.st_uid || made.st_gid != st.st_gid)
            && ::fchown(fd.get(), st.st_uid, st.st_gid) != 0)) {
        fd.close();
        ::unlink(temp.c_str());
        return {Outcome::NotHere, {}};
    }
    // 3. Its permissions, the bytes, and a sync, so the rename never publishes a part.
    SysError e = ::fchmod(fd.get(), st.st_mode & 07777) == 0 ? writeSyncClose(fd, bytes) : SysError::last();
    if (e) {
        ::unlink(temp.c_str());
        return failed(e);
    }
    // 4. Put it in place in one step, and make the new directory entry durable too.
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        e = SysError::last();
        ::unlink(temp.c_str());
        return failed(e);
    }
    syncFolder(folder);
    return {Outcome::Done, {}};
}

/// Writes over the regular file open as fd: every name of it sees the new bytes.
SysError writeInPlace(int fd, std::string_view bytes)
{
    // 1. Room for the new bytes first, so that a full disk fails before any old byte is touched
    //    (where the file system can tell in advance).
    if (!bytes.empty() && ::fallocate(fd, 0, 0, static_cast<off_t>(bytes.size())) != 0 && errno != EOPNOTSUPP
        && errno != ENOSYS)
        return SysError::last();
    // 2. The bytes from the start, the rest cut off, and a sync.
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return SysError::last();
    if (const SysError e = writeAll(fd, bytes))
        return e;
    if (::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0 || ::fsync(fd) != 0)
        return SysError::last();
    return {};
}

/// Writes to a character device or a FIFO that has a reader, waiting for it as a write does.
SysError writeStream(int fd, std::string_view bytes)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return SysError::last();
    return writeAll(fd, bytes);
}

Step saveOnce(const std::string& path, std::string_view bytes)
{
    // 1. Only links that can be trusted are followed, and only to an entry that exists.
    if (const SysError e = checkLinks(path))
        return failed(e);
    // 2. Open what the path names now, links followed: nothing is created or cut yet, and a FIFO
    //    without a reader fails at once instead of waiting for one.
    const Fd fd(::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.valid()) {
        if (fd.error() != ENOENT)
            return failed(fd.error());
        // 3. Nothing there: a new file under the path's own name (O_NOFOLLOW: a link that
        //    appeared meanwhile is not followed).
        return createFile(path, bytes);
    }
    struct stat st {
    };
    if (::fstat(fd.get(), &st) != 0)
        return failed(SysError::last());
    if (S_ISREG(st.st_mode)) {
        // 4. A file with one link is replaced whole where that can be done: under the name it has
        //    in its folder, once that name is seen to be the file opened.
        if (st.st_nlink == 1) {
            if (char* real = ::realpath(path.c_str(), nullptr)) {
                const std::string target = real;
                std::free(real);
                struct stat now {
                };
                if (::stat(target.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino) {
                    if (const Step step = replaceWhole(target, st, bytes); step.outcome != Outcome::NotHere)
                        return step;
                }
            }
        }
        // 5. Otherwise (hard links, a folder that cannot be written, ...) it is written in place.
        const SysError e = writeInPlace(fd.get(), bytes);
        return e ? failed(e) : Step {Outcome::Done, {}};
    }
    if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) {
        // 6. A device such as /dev/null or a FIFO with a reader takes the bytes as they are.
        const SysError e = writeStream(fd.get(), bytes);
        return e ? failed(e) : Step {Outcome::Done, {}};
    }
    // 7. Anything else, a block device above all, is never written over.
    return failed(EINVAL);
}

} // namespace

SysError writeFileAtomically(const std::string& path, std::string_view bytes)
{
    // A file that appears between the look and the creation is looked at again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const Step step = saveOnce(path, bytes);
        if (step.outcome != Outcome::Retry)
            return step.error;
    }
    return EEXIST;
}

SysError readWholeFile(const std::string& path, std::string& out)
{
    out.clear();
    const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid())
        return fd.error();
    struct stat st {
    };
    if (::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode))
        return EISDIR;
    return readAll(fd.get(), out, S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0);
}

} // namespace brindle
