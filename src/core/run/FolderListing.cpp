#include "core/run/FolderListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include "core/run/FileDates.h"
#include "core/run/RenamePlan.h"
#include "core/run/UndoFile.h"

namespace brindle
{

namespace
{

/// Whether a file is listed; a hidden one the mask matches but the needs leave out is counted.
inline bool keepFile(
    std::string_view name, bool isDir, const FileMask& mask, ListingNeeds needs, std::size_t& hiddenLeftOut)
{
    if (isDir || name == kUndoFileName || !mask.matches(name))
        return false;
    // A cycle's temporary name left by an interrupted run is never renamed by jobs.
    if (isHiddenName(name) && (!needs.hidden || isTemporaryName(name))) {
        ++hiddenLeftOut;
        return false;
    }
    return true;
}

} // namespace

/// Reads the folder once; pick(name, isDir) names the list an entry goes to, or null.
template <typename Pick> SysError FolderLister::list(int dirFd, ListingNeeds needs, Pick pick)
{
    m_hiddenLeftOut = 0;
    m_reader.start(dirFd);
    FolderReader::Entry e;
    while (m_reader.next(e)) {
        // The name ends with the NUL byte of its directory record.
        const char* name = e.name.data();
        bool isDir = e.type == DT_DIR;
        bool haveStat = false;
        struct stat st;
        if (e.type == DT_UNKNOWN) {
            // The file system does not say: ask, without following a link. An entry that went
            // meanwhile is left out.
            if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            haveStat = true;
            isDir = S_ISDIR(st.st_mode);
        }
        FileEntryList* out = pick(e.name, isDir);
        if (!out)
            continue;
        double date = 0.0;
        if (needs.dates) {
            if (haveStat || ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                date = fileTimeToDate(st.st_mtim.tv_sec);
        }
        out->emplace_back(std::string(e.name), date);
    }
    return m_reader.error();
}

SysError FolderLister::listSubfolders(int dirFd, FileEntryList& folders, ListingNeeds needs)
{
    folders.clear();
    const SysError e
        = list(dirFd, needs, [&](std::string_view, bool isDir) { return isDir ? &folders : nullptr; });
    if (e)
        folders.clear();
    return e;
}

SysError FolderLister::listFiles(int dirFd, const FileMask& mask, FileEntryList& files, ListingNeeds needs)
{
    files.clear();
    const SysError e = list(dirFd, needs, [&](std::string_view name, bool isDir) {
        return keepFile(name, isDir, mask, needs, m_hiddenLeftOut) ? &files : nullptr;
    });
    if (e)
        files.clear();
    return e;
}

SysError FolderLister::listFolder(int dirFd, const FileMask& mask, ListingNeeds needs, FileEntryList& folders,
    FileEntryList& files, NameList* others)
{
    folders.clear();
    files.clear();
    if (others)
        others->clear();
    const SysError e = list(dirFd, needs, [&](std::string_view name, bool isDir) -> FileEntryList* {
        if (isDir)
            return &folders;
        if (keepFile(name, isDir, mask, needs, m_hiddenLeftOut))
            return &files;
        if (others)
            others->push_back(name);
        return nullptr;
    });
    if (e) {
        folders.clear();
        files.clear();
        if (others)
            others->clear();
    }
    return e;
}

} // namespace brindle
