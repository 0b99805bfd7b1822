#pragma once

#include <string>
#include <string_view>

#include "core/base/Fd.h"
#include "core/base/Result.h"
#include "core/base/SysError.h"

namespace brindle
{

/// The longest name, in bytes, that Linux file systems take.
inline constexpr std::size_t kMaxNameBytes = 255;

/// Whether name can be the new name of an entry of a folder: not empty, not "." or "..",
/// no '/' and no NUL byte, at most kMaxNameBytes bytes. Anything else would leave the folder
/// or fail.
bool isUsableName(std::string_view name);

/// Opens a folder to work in it, as the walk "makes a folder current": parentFd and path as
/// for openat. With followLink false a symbolic link is refused. The folder must be readable
/// and searchable. Returns the descriptor, or an invalid one that holds the reason.
Fd openFolder(int parentFd, const std::string& path, bool followLink);

/// Renames from to to inside the folder open as dirFd, never replacing an existing entry.
/// When to exists and is the entry itself under another letter case (a file system that
/// ignores case), the entry is renamed. Fails with EEXIST when to is taken.
SysError renameNoReplace(int dirFd, const std::string& from, const std::string& to, bool isFolder);

/// Whether to names an entry of the folder dirFd other than from itself (renameNoReplace would
/// fail with EEXIST). No error when to is free or is from under another letter case, EEXIST
/// when it is taken, or the error of a lookup that failed.
SysError targetTaken(int dirFd, const std::string& from, const std::string& to);

/// Renames from to to, a change of letter case only, inside the folder dirFd on a file system
/// that folds case. When renameNoReplace finds to taken by what looks like another entry (a
/// FUSE file system gives one file other inode numbers under other cases), to is from itself
/// if no entry of the folder is named to exactly: known (planned: the caller's listing said
/// so), or read from the folder. Then the entry is renamed directly, and where the file system
/// refuses that, through a temporary name. EEXIST when another entry holds to.
SysError renameCaseOnly(
    int dirFd, const std::string& from, const std::string& to, bool isFolder, bool planned);

/// The steps renameNoReplace takes where the file system cannot rename without replacing:
/// a file is linked under the new name (which fails when it is taken) and unlinked under the
/// old one; a folder, or a file that cannot be linked, is renamed after a check that the new
/// name is free.
SysError renameNoReplaceFallback(int dirFd, const std::string& from, const std::string& to, bool isFolder);

/// Renames the entry from to to inside folder (names as bytes), never replacing an existing
/// entry; a change of letter case on a file system that ignores case renames the entry itself.
/// A new name that is empty, "." or "..", holds "/" or is longer than 255 bytes is refused.
/// Fails with the reason ("invalid name", or the system's text).
Result<void> renameInFolder(const std::string& folder, const std::string& from, const std::string& to);

} // namespace brindle
