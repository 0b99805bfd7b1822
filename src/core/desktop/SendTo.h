#pragma once

#include <string>
#include <vector>

#include "core/base/AppDir.h"
#include "core/base/Result.h"
#include "core/base/SysError.h"

namespace brindle
{

/// The file name of the entry that offers the program for a selected folder.
inline constexpr const char* kSendToFileName = "Brindle Wick.desktop";
/// The name the desktop shows for that entry.
inline constexpr const char* kSendToDescription = "Brindle Wick";

/// The folder where the desktop looks for the user's own applications, the Linux counterpart of
/// a Send To folder: $XDG_DATA_HOME/applications/ when XDG_DATA_HOME is an absolute path, else
/// ~/.local/share/applications/. Ends with "/"; empty when no home folder is known.
std::string getSendToFolder();

/// The text of a desktop entry that starts target with the selected folders as its arguments
/// (Exec= the target with %F, MimeType=inode/directory;): the program opens at the first of
/// them, and several selected folders start one window, not one each. The target is quoted and
/// escaped as desktop entries require. Empty when target cannot be written into an entry: a
/// name that is not valid UTF-8 or that holds a control character.
std::string desktopEntryText(const std::string& target, const std::string& description);

/// Writes the desktop entry for target to linkFile, replacing an earlier one without a
/// question and never leaving a half-written file; the folder is created when missing.
/// Fails with EINVAL for a target desktopEntryText cannot write and with ENOENT for an empty
/// linkFile folder.
SysError createShellLink(
    const std::string& target, const std::string& linkFile, const std::string& description);

/// The messages of the Send To menu item. The failure's reason, when given, follows on a line
/// of its own.
std::string sendToSuccessMessage(const std::string& folder);
std::string sendToFailureMessage(const std::string& linkFile, const std::string& reason = {});

// ---- The context-menu entries of the file managers

/// The line by which the entries below are known as the program's own: a file of one of their
/// names is replaced only when it holds this line, so an entry the user wrote is never lost.
inline constexpr const char* kOwnEntryMarker = "# Written by Brindlewick (File, Place Brindlewick in Send "
                                               "To), which replaces this file when asked again.";

/// The file manager entries, by the folder below the data folder ($XDG_DATA_HOME) they go into.
enum class MenuEntry {
    /// kio/servicemenus/brindlewick.desktop: a Dolphin service menu (run only when executable).
    DolphinServiceMenu,
    /// nautilus/scripts/Rename with Brindlewick: a Nautilus script (executable).
    NautilusScript,
    /// Thunar/sendto/brindlewick.desktop: an entry of Thunar's Send To menu.
    ThunarSendTo,
    /// nemo/actions/brindlewick.nemo_action: a Nemo action.
    NemoAction,
};
inline constexpr MenuEntry kMenuEntries[] = {
    MenuEntry::DolphinServiceMenu, MenuEntry::NautilusScript, MenuEntry::ThunarSendTo, MenuEntry::NemoAction};

/// The entry's path below the data folder, such as "kio/servicemenus/brindlewick.desktop".
std::string menuEntryPath(MenuEntry entry);
/// Whether the file manager needs the entry to be executable.
bool menuEntryExecutable(MenuEntry entry);

/// The text of the entry that starts target on the selected folders (the program uses the first
/// of them), with kOwnEntryMarker when ownMarker is true (the user's copies; a copy installed for
/// every user has none). Fails with why when target cannot be written into this kind of entry.
Result<std::string> menuEntryText(MenuEntry entry, const std::string& target, bool ownMarker);

/// The Send To menu item's work: the desktop entry kSendToFileName in dataHome/applications/,
/// and the four file manager entries below dataHome, all for the program target. dataHome is
/// the user's data folder ending with "/" (getDataHome), empty when there is none.
/// - The texts of all five are made first: a target that one of them cannot hold (bytes that
///   are not UTF-8, a control character, ...) writes nothing.
/// - Missing folders are made. The desktop entry is replaced whatever it held; a file manager
///   entry only when it is a regular file holding kOwnEntryMarker, so a file of that name the
///   program did not write is left as it is and the whole set fails.
/// - Every file is written to a temporary file beside it and synced first; only when all five
///   are written do they take their names, an absent one without replacing anything that
///   appeared meanwhile. No file is ever seen half-written.
/// Gives every file written, the desktop entry first; fails with sendToFailureMessage for the
/// file that could not be written and why.
Result<std::vector<std::string>> placeInSendTo(const std::string& target, const std::string& dataHome);

/// The user's data folder ending with "/": $XDG_DATA_HOME when it is an absolute path, else
/// ~/.local/share/; empty when no home folder is known.
std::string getDataHome();

/// The success message of placeInSendTo (written: the files it wrote): the designed text with the
/// applications folder, and the file manager entries on the lines after it.
std::string sendToSuccessMessage(const std::vector<std::string>& written, const std::string& dataHome);

} // namespace brindle
