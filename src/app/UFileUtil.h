#pragma once

#include <string>
#include <string_view>

namespace brindle
{

/// Replaces the file at path with bytes, never leaving a half-written file: the bytes go to a
/// temporary file beside it, which is synced and then renamed over the old one. A symbolic link
/// at path is followed, so the file it names is replaced. On failure the old file is untouched,
/// the temporary file is removed, error (when given) receives the system's text and the result
/// is false.
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
