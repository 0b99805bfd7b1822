#pragma once

#include <string>
#include <string_view>

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
/// - a missing file is created, also where a symbolic link to it points.
/// Symbolic links are followed and stay. On failure error (when given) receives the system's
/// text and the result is false; a replaced file is then untouched and nothing is left behind.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error = nullptr);

/// Reads a whole file; false (with the system's text in error) when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& out, std::string* error = nullptr);

/// The folder part of a path up to and including its last "/"; empty when it has none.
std::string FolderOf(std::string_view path);

/// Whether path names an existing folder (symbolic links followed).
bool IsExistingFolder(const std::string& path);

/// Whether path names an existing entry that is not a folder (symbolic links followed).
bool IsExistingFile(const std::string& path);

} // namespace brindle
