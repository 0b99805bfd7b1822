#pragma once

#include "core/base/SysError.h"
#include "core/run/FileEntry.h"
#include "core/run/FileMask.h"
#include "core/run/FolderReader.h"

namespace brindle
{

/// What a listing reads besides the names.
struct ListingNeeds {
    /// Fill date (one stat per entry); without it date stays 0.
    bool dates = false;
    /// Take hidden files too (names beginning with a full stop) when the mask matches them.
    bool hidden = false;
};

/// The listings of the run, the simulation and the plan, through one FolderReader whose buffer
/// is reused from folder to folder. Symbolic links are never followed: a link is a file,
/// whatever it points at. Each listing returns the error of a folder that could not be read to
/// its end; its lists are then empty, since a part of a folder is no ground to rename on.
class FolderLister
{
public:
    /// The subfolders of the folder open as dirFd, hidden ones included, "." and ".." left out,
    /// in the order the directory gives them.
    SysError listSubfolders(int dirFd, FileEntryList& folders, ListingNeeds needs = {});

    /// The files of the folder that match the mask, leaving out hidden files and the undo file,
    /// in the order the directory gives them.
    SysError listFiles(int dirFd, const FileMask& mask, FileEntryList& files, ListingNeeds needs = {});

    /// Both listings from one read of the folder: listSubfolders into folders and listFiles
    /// into files; others (when not null) receives every other name of the folder (hidden
    /// files, files outside the mask, the undo file), which hold their names during a run.
    /// The run uses this, since reading a large folder is much of its work.
    SysError listFolder(int dirFd, const FileMask& mask, ListingNeeds needs, FileEntryList& folders,
        FileEntryList& files, NameList* others = nullptr);

    /// The hidden files of the last listing that the mask matched but that were left out.
    std::size_t hiddenLeftOut() const { return m_hiddenLeftOut; }

private:
    template <typename Pick> SysError list(int dirFd, ListingNeeds needs, Pick pick);
    FolderReader m_reader;
    std::size_t m_hiddenLeftOut = 0;
};

} // namespace brindle
