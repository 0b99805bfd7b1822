#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/jobs/RenameSession.h"
#include "core/run/FileEntry.h"
#include "core/run/FileMask.h"
#include "core/run/FileOps.h"
#include "core/run/FolderListing.h"
#include "core/run/FolderWalk.h"
#include "core/run/ManualNames.h"
#include "core/run/NameCollator.h"
#include "core/run/RenamePlan.h"
#include "core/run/ResultTree.h"
#include "core/run/RunHost.h"
#include "core/run/UndoFile.h"

namespace brindle
{

/// The message of a run started with an empty job list.
inline constexpr std::string_view kNothingToDo
    = "Nothing to do! Select some jobs from the toolbar buttons first!";

/// A text of count copies of ch, as the log's lines are drawn. The count is an 8-bit value: a
/// larger one is taken modulo 256.
std::string repeatChar(std::int64_t count, char ch);

/// The result text of a simulation: "N files and M directories have been renamed."
std::string simulationResultText(const RunStats& stats);

/// The options of each folder's plan in a run with these options.
RenamePlan::Options planOptionsOf(const RunOptions& options);

/// How the folder open as dirFd compares names under rule, found from its listing when the
/// rule is Detect.
NameCase nameCaseOf(NameCaseRule rule, int dirFd, const FileEntryList& dirs, const FileEntryList& files,
    const NameList& others);

/// The plan a run started in options.startFolder makes for that folder's own entries: listed
/// (hidden names included, as they hold their names), sorted, named from options.counterStart
/// through jobs and validated exactly as the run does, without a question and without
/// changing anything. The subfolders are not walked. collator is the one the names are sorted
/// with (null: the user's; a caller on another thread passes its own). Returns 0, or the errno
/// of a folder that cannot be opened (the plan is then empty).
/// manual holds the names given by hand for the folder's entries (or null); used receives the
/// plan's options (to name the same plan again with other manual names).
int planStartingFolder(const RunOptions& options, const std::vector<Job>& jobs, RenamePlan& plan,
    const NameCollator* collator = nullptr, const FolderNames* manual = nullptr,
    RenamePlan::Options* used = nullptr);

/// One run over a folder tree, from beginRun to endRun.
///
/// Each folder is planned before anything in it is renamed (RenamePlan): every new name in
/// the designed order, the questions asked, the names validated against everything the folder
/// holds, the renames put in an order where each target is free. A real run then makes the
/// plan's steps, never over an existing entry, writing each one into the folder's undo file
/// first when undo is on. A simulation shows the plan's verdicts in the result tree instead.
/// The counter and the counts live in the session; everything the user sees goes through the
/// host.
class RenameRun
{
public:
    /// tree receives the result of a simulation; it may be null for a real run (a simulation
    /// without one fills a tree of its own, which the host sees at runFinished).
    RenameRun(RenameSession& session, IRunHost& host, const RunOptions& options, ResultTree* tree = nullptr);

    /// Runs the whole sequence: the empty-list check, beginRun, the walk from the starting
    /// folder, endRun.
    RunResult execute();

    /// Names given by hand, by folder below the starting folder (null: none). They must
    /// outlive the run.
    void setManualNames(const ManualNames* names) { m_manual = names; }

private:
    /// What the walk keeps for each folder whose subfolders are still to be walked.
    struct WalkData {
        /// A simulation's result nodes of the subfolders.
        std::vector<std::int32_t> childNodes;
        /// Each subfolder's share of the progress.
        double subShare = 0.0;
        /// The folder's path from the starting folder, by the names before the run.
        std::string path;
        /// While entries are reported: the folder's path below the starting folder ("" or
        /// "a/b/") and each subfolder's name after the run.
        std::string shownPath;
        std::vector<std::string> subNames;
    };

    /// What became of the undo file of the folder being worked in.
    enum class UndoState : std::uint8_t {
        NotMade, ///< nothing renamed there yet: an earlier undo file is still untouched
        Open, ///< made at the folder's first rename
        Failed, ///< could not be made: nothing in the folder is renamed
    };

    /// Where a subfolder is on disk after the folder's steps.
    enum class OnDisk : std::uint8_t { OldName, NewName, Temporary };

    void beginRun();
    void endRun();
    /// The walk from the starting folder: every folder in the designed order, depth first,
    /// without recursion and with a bounded number of open descriptors.
    void processDirectory(const std::string& start, std::int32_t rootNode);
    /// One folder (folder is the full path of the starting folder or a bare name relative to
    /// parentFd; share its part of the progress; node its result node in a simulation): enters
    /// it, lists and plans it, shows or makes the plan, closes its undo file and, when its
    /// subfolders are to be walked, puts it on the walk. Returns whether it could be entered
    /// and read.
    bool processFolder(const std::string& folder, int parentFd, double share, int depth, std::int32_t node);
    /// Opens the folder and makes it the one worked in; a folder that cannot be entered is
    /// reported and gives an invalid descriptor.
    Fd enterFolder(const std::string& folder, int parentFd, int depth);
    /// Reports a folder the run leaves out (message, and in the log with the reason), counted
    /// as an error of a real run.
    void reportFolderLeftOut(const std::string& message, int depth, SysError reason);
    /// The folder's plan from its listing: the listing logged ("- Added ..."), sorted, named
    /// (asking when confirming), validated and ordered.
    void planFolder(int dirFd, FileEntryList dirs, FileEntryList files, NameList others);
    /// Adds what the folder's plan will rename to the run's totals.
    void countToRename();
    /// The "- Added file" lines and "+ Sorting files...", once per folder, when the run comes to
    /// the files; sets each file's part of the file share.
    void listFiles();
    /// Each entry's part of share; with no entry the whole share is added at once.
    double entryStep(std::size_t count, double share);
    /// A simulation: every entry of the plan as a result node below node, in listing order.
    /// Returns the subfolders' nodes.
    std::vector<std::int32_t> showPlan(std::int32_t node, double dirShare);
    /// A real run: the plan's steps. answeredOnly: the run was cancelled while asking, and
    /// makes only the renames answered before, whatever comes.
    void makePlan(int dirFd, double dirShare, bool answeredOnly);
    /// The cycle's first member steps aside to the temporary name.
    void moveToTemporary(int dirFd, std::uint32_t entry);
    /// renameEntry: one entry's step of a real run (its rename, a failure the plan foresaw, or
    /// only its turn), counted and logged.
    void renameEntry(int dirFd, std::uint32_t entry);
    /// A member left at the temporary name goes back to its old name; recorded unless the undo
    /// file failed. Reported when even that is not possible.
    void moveBack(int dirFd, std::uint32_t entry, bool record);
    /// The one message of a folder left by an interrupted run, which the plan leaves as it is.
    void reportInterrupted();
    /// Closes the folder's undo file, if one was made; a failure stops the run.
    void closeUndoFile(const std::string& folder);
    /// Puts the folder on the walk so that its subfolders are walked next, each with its part
    /// of share.
    void goDown(Fd dir, const std::string& folder, FileEntryList dirs, std::vector<std::int32_t> childNodes,
        std::vector<std::string> subNames, double share);
    /// Tells the host of entry i of the plan when entries are reported.
    void reportEntry(std::uint32_t entry, Verdict verdict, std::string_view reason);
    /// Takes the folder at the top of the walk off after its subfolders, opening the folder
    /// above it again when it was not held open. Stops the run when that fails.
    void leaveFolder();
    /// Asks before the rename of oldName to newName when confirming is on; true to go ahead.
    bool confirmRename(const std::string& oldName, std::string_view newName, bool folder);
    /// Renames from to to (to the entry's new name or the temporary name), recorded in the undo
    /// file first when undo is on, making it at the folder's first rename. An empty SysError
    /// when the entry has the name; otherwise the reason (EINVAL with m_undoFailed set: there
    /// is no undo file and nothing may be renamed). caseOnly: the plan found to to be from's
    /// own name under another letter case.
    SysError giveName(int dirFd, const std::string& from, const std::string& to, bool folder, bool record,
        bool caseOnly = false);
    /// Makes the undo file of the folder dirFd at its first rename; false when it cannot be
    /// made (reported; the folder is then left unrenamed).
    bool makeUndoFile(int dirFd, int depth);
    /// Reports a failure the run goes on after: shown (or, as the host decides, only logged),
    /// counted in errorCount, and logged at depth when the log is on.
    void reportFailure(int depth, const std::string& message, const std::string& logText);
    /// A rename that failed, naming the entry, its wanted name and the reason: "Cannot rename " +
    /// what ("a.TXT to a.txt") + ": " + reason + ". Operation will continue", and the same as
    /// the log line "! Cannot rename a.TXT to a.txt: " + reason.
    void reportRenameFailure(std::string_view what, std::string_view reason);

    void logLine(int depth, std::initializer_list<std::string_view> parts);
    void updateProgress();
    void addProgress(double amount);
    /// Whether the walk must stop before its next entry (cancelled or stopped).
    bool stopping();
    void stopOnUndoFailure(const std::string& folder, SysError error);

    static constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;

    RenameSession& m_session;
    IRunHost& m_host;
    RunOptions m_options;
    const ManualNames* m_manual = nullptr;
    /// The folder at hand's path from the starting folder, by the names before the run.
    std::string m_path;
    /// Whether names obey the undo file's rules: a real run that writes undo files, and a
    /// simulation of one.
    bool m_undoRules = false;
    ResultTree m_ownTree;
    ResultTree* m_tree;
    RunResult m_result;

    FileMask m_mask;
    FolderLister m_lister;
    UndoFileWriter m_undoFile;
    UndoState m_undoState = UndoState::NotMade;
    const NameCollator* m_collator = nullptr;
    ListingNeeds m_needs;
    FolderWalk<WalkData> m_walk;
    // The folder at hand: its plan, where its subfolders are, its "- Added file" lines (only
    // while logging), whether they were logged, each file's part of the progress, the member
    // of a cycle at the temporary name and the entry whose step failed already.
    RenamePlan m_plan;
    RenamePlan::Options m_planOptions;
    std::vector<OnDisk> m_dirOnDisk;
    std::vector<std::string> m_fileLines;
    bool m_filesListed = false;
    double m_filesShare = 0.0;
    double m_fileStep = 0.0;
    std::uint32_t m_atTemporary = kNoEntry;
    std::uint32_t m_failedEarly = kNoEntry;
    // Buffers reused from entry to entry.
    std::string m_from;
    std::string m_to;
    std::string m_line;
    // The folder being worked in, as the run passed it, and its depth, for messages.
    std::string m_folder;
    int m_depth = 0;
    // The path of the folder at hand below the starting folder, while entries are reported.
    std::string m_shownPath;
};

/// A whole run with these options: see RenameRun::execute.
/// manual: names given by hand (see RenameRun::setManualNames).
RunResult runRename(RenameSession& session, IRunHost& host, const RunOptions& options,
    ResultTree* tree = nullptr, const ManualNames* manual = nullptr);

} // namespace brindle
