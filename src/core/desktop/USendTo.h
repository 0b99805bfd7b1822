#pragma once

#include <string>

#include "base/UAppDir.h"
#include "base/USysError.h"

namespace brindle
{

/// The file name of the entry that offers the program for a selected folder.
inline constexpr const char* kSendToFileName = "Brindle Wick.desktop";
/// The name the desktop shows for that entry.
inline constexpr const char* kSendToDescription = "Brindle Wick";

/// The folder where the desktop looks for the user's own applications, the Linux counterpart of
/// a Send To folder: $XDG_DATA_HOME/applications/ when XDG_DATA_HOME is an absolute path, else
/// ~/.local/share/applications/. Ends with "/"; empty when no home folder is known.
std::string GetSendToFolder();

/// The text of a desktop entry that starts target with a selected folder as its first argument
/// (Exec= the target with %f, MimeType=inode/directory;). The target is quoted and escaped as
/// desktop entries require. Empty when target cannot be written into an entry: a name that is
/// not valid UTF-8 or that holds a control character.
std::string DesktopEntryText(const std::string& target, const std::string& description);

/// Writes the desktop entry for target to linkFile, replacing an earlier one without a
/// question and never leaving a half-written file; the folder is created when missing.
/// Fails with EINVAL for a target DesktopEntryText cannot write and with ENOENT for an empty
/// linkFile folder.
TSysError CreateShellLink(
    const std::string& target, const std::string& linkFile, const std::string& description);

/// The messages of the Send To menu item.
std::string SendToSuccessMessage(const std::string& folder);
std::string SendToFailureMessage(const std::string& linkFile);

} // namespace brindle
