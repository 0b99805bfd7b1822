#include "core/run/FileOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <dirent.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include <unicode/utf8.h>

#include "core/base/LazyIcu.h"
#include "core/jobs/Utf8Chars.h"

namespace brindle
{

namespace
{

bool sameEntry(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

/// Whether a and b are the same text apart from letter case (simple case folding); bytes
/// outside any UTF-8 sequence must be equal.
bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    std::size_t i = 0;
    std::size_t j = 0;
    auto next = [](std::string_view s, std::size_t& at) -> std::uint32_t {
        const std::size_t len = charLen(s, at);
        const auto c0 = static_cast<unsigned char>(s[at]);
        if (len == 1) {
            ++at;
            return c0 < 0x80 ? static_cast<std::uint32_t>(lazy::u_foldCase(c0, U_FOLD_CASE_DEFAULT))
                             : 0x110000u + c0;
        }
        UChar32 cp;
        std::int32_t pos = static_cast<std::int32_t>(at);
        U8_NEXT_UNSAFE(reinterpret_cast<const std::uint8_t*>(s.data()), pos, cp);
        at += len;
        return static_cast<std::uint32_t>(lazy::u_foldCase(cp, U_FOLD_CASE_DEFAULT));
    };
    while (i < a.size() && j < b.size()) {
        if (next(a, i) != next(b, j))
            return false;
    }
    return i == a.size() && j == b.size();
}

/// A rename with no protection of its own, after the caller has made sure that to is free or
/// is the entry itself.
SysError plainRename(int dirFd, const std::string& from, const std::string& to)
{
    return ::renameat(dirFd, from.c_str(), dirFd, to.c_str()) == 0 ? SysError() : SysError::last();
}

/// Whether to is taken by an entry other than from itself: no error when to is free or is
/// from under another letter case, otherwise EEXIST or the lookup's error.
SysError checkTarget(int dirFd, const std::string& from, const std::string& to)
{
    struct stat target;
    if (::fstatat(dirFd, to.c_str(), &target, AT_SYMLINK_NOFOLLOW) != 0)
        return errno == ENOENT ? SysError() : SysError::last();
    struct stat source;
    if (::fstatat(dirFd, from.c_str(), &source, AT_SYMLINK_NOFOLLOW) != 0)
        return SysError::last();
    // The same entry found under both names, differing in letter case only, is a case-only
    // change on a file system that ignores case. Two hard links of one file (possible only for
    // a file with more than one link; folders have none) are two entries and stay apart.
    if (sameEntry(source, target) && equalIgnoringCase(from, to)
        && (S_ISDIR(source.st_mode) || source.st_nlink == 1))
        return {};
    return EEXIST;
}

} // namespace

bool isUsableName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.size() <= kMaxNameBytes
        && name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

Fd openFolder(int parentFd, const std::string& path, bool followLink)
{
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    Fd fd(::openat(parentFd, path.c_str(), flags));
    if (!fd.valid())
        return fd;
    // Reading the folder is not enough to work in it: looking up a name inside needs search
    // permission, which a lookup of "." checks.
    struct stat st;
    if (::fstatat(fd.get(), ".", &st, 0) != 0)
        return Fd::failure(SysError::last());
    return fd;
}

SysError targetTaken(int dirFd, const std::string& from, const std::string& to)
{
    return checkTarget(dirFd, from, to);
}

SysError renameNoReplace(int dirFd, const std::string& from, const std::string& to, bool isFolder)
{
    // 1. The kernel renames only when to does not exist, in one step.
    if (::renameat2(dirFd, from.c_str(), dirFd, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    const SysError e = SysError::last();
    if (e == EEXIST) {
        // 2. to exists. When it is from itself (a case-only change on a file system that
        //    ignores case) the entry is renamed; any other entry is left alone.
        const SysError taken = checkTarget(dirFd, from, to);
        return taken ? taken : plainRename(dirFd, from, to);
    }
    if (e != EINVAL && e != ENOSYS && e != ENOTSUP)
        return e;
    return renameNoReplaceFallback(dirFd, from, to, isFolder);
}

SysError renameNoReplaceFallback(int dirFd, const std::string& from, const std::string& to, bool isFolder)
{
    // 3. The file system cannot rename without replacing. A file gets its new name as a hard
    //    link, which fails when to exists, and then loses the old one.
    if (!isFolder) {
        if (::linkat(dirFd, from.c_str(), dirFd, to.c_str(), 0) == 0) {
            if (::unlinkat(dirFd, from.c_str(), 0) == 0)
                return {};
            // 3a. The old name cannot go: take the new one back so nothing has changed.
            const SysError unlinkError = SysError::last();
            ::unlinkat(dirFd, to.c_str(), 0);
            return unlinkError;
        }
        const SysError linkError = SysError::last();
        if (linkError != EPERM && linkError != ENOTSUP && linkError != EXDEV && linkError != EMLINK) {
            // 3b. EEXIST: to is taken, unless it is the entry itself under another case.
            if (linkError != EEXIST)
                return linkError;
            const SysError taken = checkTarget(dirFd, from, to);
            return taken ? taken : plainRename(dirFd, from, to);
        }
        // 3c. No hard links on this file system either: go on as for a folder.
    }
    // 4. A folder (or a file that cannot be linked): look first, then rename. Between the two
    //    steps another program could create to; no better is possible on such a file system.
    const SysError taken = checkTarget(dirFd, from, to);
    return taken ? taken : plainRename(dirFd, from, to);
}

namespace
{

/// Whether the folder dirFd holds an entry named exactly name, as its listing says.
bool listingHolds(int dirFd, const std::string& name)
{
    const int copy = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (copy < 0)
        return true; // unknown: taken, to be safe
    DIR* dir = ::fdopendir(copy);
    if (!dir) {
        ::close(copy);
        return true;
    }
    bool found = false;
    while (const dirent* d = ::readdir(dir)) {
        if (name == d->d_name) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

SysError renameCaseOnly(
    int dirFd, const std::string& from, const std::string& to, bool isFolder, bool planned)
{
    // 1. As every rename: the kernel's own, or the entry found under to by its inode.
    const SysError e = renameNoReplace(dirFd, from, to, isFolder);
    if (e != EEXIST || !equalIgnoringCase(from, to))
        return e;
    // 2. to looks taken. It is from itself unless the folder lists an entry of that exact name.
    if (!planned && listingHolds(dirFd, to))
        return EEXIST;
    // 3. The direct rename: the file system finds from under to and renames it in place.
    if (!plainRename(dirFd, from, to))
        return {};
    // 4. Refused: through a temporary name no entry has (of the form of a cycle's, so that a
    //    kill in between is noticed by the next run), then to the new name; if that fails,
    //    back to the old one.
    const auto seed
        = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::string temporary;
    for (unsigned long long k = 0; k < 16; ++k) {
        char buffer[32];
        std::snprintf(
            buffer, sizeof buffer, ".brindlewick-tmp-%08llx", (seed + k * 0x9E3779B9ull) & 0xFFFFFFFFull);
        if (!renameNoReplace(dirFd, from, buffer, isFolder)) {
            temporary = buffer;
            break;
        }
    }
    if (temporary.empty())
        return e;
    if (const SysError toNew = plainRename(dirFd, temporary, to)) {
        plainRename(dirFd, temporary, from);
        return toNew;
    }
    return {};
}

Result<void> renameInFolder(const std::string& folder, const std::string& from, const std::string& to)
{
    if (!isUsableName(to) || !isUsableName(from))
        return Error {"invalid name"};
    if (from == to)
        return {};
    const Fd dir = openFolder(AT_FDCWD, folder, true);
    if (!dir.valid())
        return Error {dir.error().text()};
    struct stat st;
    const bool isFolder
        = ::fstatat(dir.get(), from.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
    if (const SysError e = renameNoReplace(dir.get(), from, to, isFolder))
        return Error {e.text()};
    return {};
}

} // namespace brindle
