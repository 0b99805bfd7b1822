#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/jobs/RenameSession.h"
#include "core/run/RenamePlan.h"
#include "core/run/NameCollator.h"

namespace brindle
{

class ResultTree;

/// The options of one run, as a front end (the main window's run options, the command line)
/// sets them when the run starts.
struct RunOptions {
    /// The starting folder, a full path (or a path relative to the process's current folder).
    /// It is never renamed itself.
    std::string startFolder;
    /// The file mask, exactly as typed (one pattern, not trimmed).
    std::string mask = "*.*";
    /// Further masks: a file is taken when any mask matches it.
    std::vector<std::string> moreMasks;
    /// Hidden files (names beginning with a full stop) are taken too when a mask matches them.
    bool hidden = false;
    /// The host's entryDone hears of every entry named, with its folder's path.
    bool reportEntries = false;
    bool recurse = false; ///< descend into subfolders
    bool renameDirs = false; ///< subfolders are renamed as well as files
    bool resetCounter = false; ///< the counter restarts in every folder
    bool sort = true; ///< sort each listing in sortOrder
    SortOrder sortOrder = SortOrder::NameAsc; ///< by name or by date, either way
    bool naturalSort = false; ///< names compare runs of digits by their value
    bool confirm = false; ///< ask before each rename (real run only)
    /// Write an undo file in every folder (real run only; a simulation checks the names
    /// against the undo file's rules all the same, since the real run would)
    bool undo = false;
    bool log = false; ///< write log lines
    bool simulation = false; ///< build the result tree, change nothing
    std::int32_t counterStart = 0; ///< the counter's starting number
    /// How names clash in each folder: as its file system compares them (found out per folder),
    /// or forced to exact bytes or to folded letter case.
    NameCaseRule nameCase = NameCaseRule::Detect;
};

/// How a run ended. The counts themselves are in the session's Stats.
struct RunResult {
    /// The job list was empty: the "Nothing to do!" message was shown and nothing else done.
    bool nothingToDo = false;
    /// A job's regular expression cannot run: its message was shown and nothing else done.
    bool invalidJob = false;
    /// The host asked to cancel; the walk stopped before its next entry.
    bool cancelled = false;
    /// An input/output failure on an undo file stopped the run; ioError holds the message
    /// that was shown.
    bool stopped = false;
    std::string ioError;
    /// Renames that failed ("Cannot rename ..."), refused names included.
    std::int32_t renameFailures = 0;
    /// Folders that could not be entered ("Cannot change to directory: ...").
    std::int32_t foldersNotEntered = 0;
    /// Folders left unrenamed because they could not be read ("Cannot read directory: ...").
    std::int32_t foldersNotRead = 0;
    /// Folders left unrenamed because their undo file could not be made.
    std::int32_t undoFilesNotMade = 0;
    /// A simulation's entries marked as errors: new names held by an entry that stays or
    /// wanted by an earlier entry (clashes), and new names the real run would refuse.
    std::int32_t clashes = 0;
    std::int32_t namesRefused = 0;
    /// Cycles of a real run broken by a temporary name.
    std::int32_t cycles = 0;
    /// Hidden files left out that a mask matches (without RunOptions::hidden).
    std::int32_t hiddenLeftOut = 0;
    /// Entries of the folders planned that a cancelled run never reached.
    std::int32_t notReached = 0;

    /// Whether everything went through: no failure, no folder left out, no clash, not stopped
    /// and not cancelled.
    bool allWentThrough(const RunStats& stats) const
    {
        return !nothingToDo && !invalidJob && !cancelled && !stopped && renameFailures == 0
            && foldersNotEntered == 0 && foldersNotRead == 0 && undoFilesNotMade == 0
            && stats.errorCount == 0;
    }
};

/// How an undo ended.
struct UndoResult {
    /// The undo got past its question and worked through the file (undoStarted was called).
    bool started = false;
    /// Pairs renamed back (R) and pairs that failed (E).
    std::int32_t renamed = 0;
    std::int32_t errors = 0;
    /// Pairs passed over, neither renamed nor an error: whole pairs with nothing to rename back
    /// (the new name gone, the old one there), as a run or an undo killed between two of its
    /// steps leaves them.
    std::int32_t skipped = 0;
    /// Whether the undo file was removed at the end (in an undo of a tree: every undo file).
    bool undoFileRemoved = false;
    /// Folders whose undo file was read and undone.
    std::int32_t folders = 0;
    /// The closing report: "R files and/or directories have been renamed." with, after errors,
    /// " E errors detected!". Empty when the undo did not start.
    std::string report;
    /// The folder or its undo file could not be used; the message has been shown.
    bool failed = false;
};

/// One entry as a run left it, or as a simulation finds the real run would leave it.
struct EntryOutcome {
    /// The path of the entry's folder below the starting folder, with a trailing '/' ("" for
    /// the starting folder itself), under the names the folders have after the run.
    std::string_view folder;
    std::string_view oldName;
    /// The name the jobs give (the old name when a job could not make one).
    std::string_view newName;
    EntryKind kind = EntryKind::File;
    /// Renamed (or would be), Failed (reason says why), Declined, or Unchanged.
    Verdict verdict = Verdict::Unchanged;
    std::string_view reason;
};

/// The questions the engine asks, so that a host without a person at hand (the command line)
/// can answer each one by its own rule. A window shows the text and ignores the kind.
enum class Question : std::uint8_t {
    ConfirmRename, ///< "Rename file \"O\" to \"N\"?" / "Rename directory ..."
    ConfirmUndo, ///< "Operation will undo renaming in current directory. ..."
    RemoveUndoFileAfterErrors, ///< "Errors detected! Remove _brindlewick_undo.txt from this Dir?"
};

/// Everything through which the run and the undo reach the user. The window implements it
/// with message boxes, the progress window and the log window; the command line with the
/// terminal; the tests with a recorder. All calls come on the thread the run or the undo works
/// on (the window's run works on a worker thread, whose host passes each call on to the
/// window's thread and waits there for every answer).
///
/// Order of calls in a run: runStarted, then (for each folder) showCurrentFolder, then per
/// entry any of askYesNo, showMessage, logLine, updateProgress, with cancelRequested asked
/// before every entry; at the end the log trailer (when logging) and runFinished. An undo:
/// questions and messages, undoStarted once it goes ahead, undoFinished at its end.
class IRunHost
{
public:
    virtual ~IRunHost() = default;

    /// An information message with an OK button ("Cannot rename x. Operation will continue").
    /// Texts use CR LF for a line break.
    virtual void showMessage(std::string_view text) = 0;

    /// A failure the run or the undo goes on after: a rename that failed, a folder that cannot
    /// be entered, an undo file that cannot be made. message is the text to show as
    /// showMessage shows it; logText says the same in one line with the system's reason
    /// ("! Cannot rename a to b: File exists"), for a host that stops showing the failures
    /// and keeps them in its log instead. By default the message is shown.
    virtual void showFailure(std::string_view message, std::string_view logText)
    {
        (void)logText;
        showMessage(message);
    }

    /// A confirmation with Yes and No; true for Yes.
    virtual bool askYesNo(std::string_view text, Question kind) = 0;

    /// Appends one line (indent included, no line end) to the run log. Called only while the
    /// run's log option is on.
    virtual void logLine(std::string_view line) = 0;

    /// beginRun's window work: save the settings, open and show the progress window with its
    /// Cancel button, set the busy cursor, clear a cancel request left from before.
    virtual void runStarted(const RunOptions& options) { (void)options; }

    /// The folder being entered, as the run passed it (full path for the starting folder, bare
    /// name below it): the progress window's current-item label.
    virtual void showCurrentFolder(std::string_view folder) { (void)folder; }

    /// updateProgress: the counts ("foldersRenamed of foldersToRename", "filesRenamed of
    /// filesToRename", errorCount) and the gauge (nearest integer of 100 x runProgress).
    /// Called once per entry and folder step; a window may coalesce repaints.
    virtual void updateProgress(const RunStats& stats) { (void)stats; }

    /// Whether the user asked to stop the run. Asked before every entry.
    virtual bool cancelRequested() { return false; }

    /// A simulation added node to the result tree (its text, images and place are final).
    /// A window may show it at once or wait for runFinished.
    virtual void resultNodeAdded(const ResultTree& tree, std::int32_t node)
    {
        (void)tree;
        (void)node;
    }

    /// Every entry named, as it is renamed (or found to fail) in a real run, in listing order
    /// in a simulation; only while RunOptions::reportEntries is on.
    virtual void entryDone(const EntryOutcome& outcome) { (void)outcome; }

    /// endRun's window work, after the log trailer: refresh the file list, restore the cursor,
    /// show the Close button in place of Cancel; in a simulation (tree not null) expand the
    /// tree's first level, set the result text ("N files and M directories have been
    /// renamed.") and bring the result window to the front; when logging, show the log window.
    /// Not called when the job list was empty.
    virtual void runFinished(const RunResult& result, const RunStats& stats, const ResultTree* tree)
    {
        (void)result;
        (void)stats;
        (void)tree;
    }

    /// The line the undo adds to its message about a folder without an undo file: how this
    /// front end comes to write one, for a user who expected to find it.
    virtual std::string_view undoFileHint() const
    {
        return "Undo files are written by runs with undo files on, one in each folder where "
               "something was renamed.";
    }

    /// The undo goes ahead: show the busy cursor.
    virtual void undoStarted() { }

    /// The undo is over (called only after undoStarted): redraw the folder tree, refresh the
    /// file list, restore the cursor and show result.report as a message.
    virtual void undoFinished(const UndoResult& result) { (void)result; }
};

} // namespace brindle
