#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include "core/base/SysError.h"

namespace brindle
{

/// Saves bytes as the file at path, never leaving a half-written file where that can be
/// avoided and never replacing anything but a regular file:
/// - a regular file with one link, in a folder where a temporary file can be made and given the
///   file's owner, is replaced in one step by a synced temporary file beside it;
/// - another regular file (more than one link, a folder that cannot be written, a name too long
///   for a temporary name) is written in place, so every name of it sees the new bytes;
/// - a character device or a FIFO with a reader is written in place; a FIFO without a reader, a
///   block device, a socket or a folder is refused;
/// - a missing file is created; a symbolic link to a missing file is refused (ENOENT), never
///   followed to create one.
/// Symbolic links are followed and stay, but only links of the user's own or root's, or links in
/// a folder nobody else may write to; another user's link is refused (EACCES). On failure a
/// replaced file is untouched and nothing is left behind.
SysError writeFileAtomically(const std::string& path, std::string_view bytes);

/// Reads a whole file into out (a folder is refused with EISDIR).
SysError readWholeFile(const std::string& path, std::string& out);

/// Writes all of bytes to fd from its current offset, going on after a partial write or an
/// interruption.
SysError writeAll(int fd, std::string_view bytes);

/// Reads fd to its end into out (its old content is replaced), straight into the string;
/// sizeHint (the file's size, when known) spares growing it.
SysError readAll(int fd, std::string& out, std::size_t sizeHint = 0);

/// Reads fd to its end into out (its old content is replaced), but never more than limit + 1
/// bytes: tooLarge tells that the end was not reached within limit bytes. sizeHint (the file's
/// size, when known) is reserved up front so the string does not grow. A failed allocation is
/// ENOMEM, not an exception.
SysError readAtMost(int fd, std::string& out, std::size_t limit, std::size_t sizeHint, bool& tooLarge);

/// mkdir -p: makes every missing folder of the path folder (which ends with "/" or names the
/// last folder), each with mode (less the umask). Fails when a folder cannot be made or the
/// path is not a folder in the end (ENOTDIR).
SysError makeFolders(const std::string& folder, mode_t mode);

/// The folder part of a path up to and including its last "/"; empty when it has none.
std::string folderOf(std::string_view path);

/// path made absolute (against the current folder) with "//", "." and ".." taken out, as
/// bytes; "/" stays "/". An empty path stays empty.
std::string absolutePath(const std::string& path);

/// Whether path names an existing folder (symbolic links followed).
bool isExistingFolder(const std::string& path);

/// Whether path names an existing entry that is not a folder (symbolic links followed).
bool isExistingFile(const std::string& path);

} // namespace brindle
