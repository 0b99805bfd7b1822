#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliOptions.h"
#include "core/jobs/RenameSession.h"
#include "core/run/ManualNames.h"

namespace brindle
{

/// How an editing of names ended.
enum class EditOutcome : unsigned char {
    Go, ///< the plan is clean (or -y takes what goes through): rename
    Cancelled, ///< saved unchanged or emptied: nothing is renamed
    Failed, ///< the editor failed, or the edit could not be matched to the entries
};

/// For each line written, the index of the edited line that stands for it, or npos for a line
/// that was removed (its entry keeps its name). Unchanged lines anchor the match; between two
/// anchors, as many edited lines as written ones are taken in order, and none means removed.
/// Fails (false, the reason in why) where lines were added or a stretch cannot be matched.
bool matchEditedLines(const std::vector<std::string>& written, const std::vector<std::string>& edited,
    std::vector<std::size_t>& match, std::string& why);

/// The names of folder (its entries that the run names, after the jobs and the names already
/// in manual) in an editor, one a line, until the plan has no failure: each changed line
/// becomes its entry's manual name. editor is the command (run by /bin/sh with the file's path
/// as "$1").
EditOutcome editNames(const CliOptions& options, const RenameSession& session, const std::string& folder,
    FolderNames& manual, const std::string& editor);

/// The editor the user chose: $VISUAL, else $EDITOR, else vi.
std::string chosenEditor();

} // namespace brindle
