#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/URenameSession.h"
#include "run/UFileOps.h"
#include "run/UResultTree.h"
#include "run/URunHost.h"
#include "run/UTBWFile.h"
#include "run/UUndoFile.h"

namespace brindle
{

/// The message of a run started with an empty job list.
inline constexpr std::string_view kNothingToDo
    = "Nothing to do! Select some jobs from the toolbar buttons first!";

/// The result text of a simulation: "N files and M directories have been renamed."
std::string SimulationResultText(const TRunStats& stats);

/// One run over a folder tree: the steps of the Go button from BeginRun to EndRun.
///
/// A real run renames in every folder it walks, never over an existing entry, asks first
/// when confirm is on, and writes an undo file per folder when undo is on. A simulation
/// renames nothing and fills the result tree instead. The counter and the counts live in
/// the session; everything the user sees goes through the host.
class TRenameRun
{
public:
    /// tree receives the result of a simulation; it may be null for a real run (a simulation
    /// without one fills a tree of its own, which the host sees at runFinished).
    TRenameRun(
        TRenameSession& session, IRunHost& host, const TRunOptions& options, TResultTree* tree = nullptr);

    /// Runs the whole sequence: the empty-list check, BeginRun, the walk from the starting
    /// folder, EndRun.
    TRunResult Execute();

    /// One step of a real run for the entry oldName of the folder open as dirFd: computes the
    /// new name, asks, renames and records the pair (making the folder's undo file at its
    /// first rename). Returns the entry's name on disk after it.
    std::string RenameEntry(int dirFd, const std::string& oldName, TEntryKind kind);

private:
    /// One folder whose subfolders are still to be walked. The walk keeps a stack of these
    /// instead of recursing, so a tree of any depth needs no more call stack than a flat one.
    struct TFrame {
        /// The folder, while it is held open; only the deepest kHeldFolders frames hold one,
        /// and a frame that comes back to the top opens its folder again through "..".
        TFd fd;
        /// The folder's identity, to check that ".." leads back to it.
        dev_t dev = 0;
        ino_t ino = 0;
        /// The folder as the run passed it, for messages.
        std::string folder;
        int depth = 0;
        /// The subfolders, with the names they have on disk after their renaming.
        TBWFileList dirs;
        /// A simulation's result nodes of the subfolders.
        std::vector<std::int32_t> childNodes;
        /// Each subfolder's share of the progress, and the next subfolder to enter.
        double subShare = 0.0;
        std::size_t next = 0;
    };

    /// What became of the undo file of the folder being worked in.
    enum class TUndoState : std::uint8_t {
        NotMade, ///< nothing renamed there yet: an earlier undo file is still untouched
        Open, ///< made at the folder's first rename
        Failed, ///< could not be made: nothing in the folder is renamed
    };

    void BeginRun();
    void EndRun();
    /// The walk from the starting folder: every folder in the designed order, depth first,
    /// without recursion and with a bounded number of open descriptors.
    void ProcessDirectory(const std::string& start, std::int32_t rootNode);
    /// One folder (folder is the full path of the starting folder or a bare name relative to
    /// parentFd; share its part of the progress; node its result node in a simulation): enters
    /// it, lists it, handles its subfolders and its files, closes its undo file and, when its
    /// subfolders are to be walked, pushes its frame. Returns whether it could be entered.
    bool processFolder(const std::string& folder, int parentFd, double share, int depth, std::int32_t node);
    /// Opens the folder and makes it the one worked in; a folder that cannot be entered is
    /// reported and gives an invalid descriptor.
    TFd enterFolder(const std::string& folder, int parentFd, int depth);
    /// Logs the entries of a listing ("- Added ...") and sorts it when sorting is on.
    void prepareListing(TBWFileList& list, std::string_view added, std::string_view sorting);
    /// Each entry's part of share; with no entry the whole share is added at once.
    double entryStep(std::size_t count, double share);
    /// The subfolders: renamed in a real run that renames folders, each shown as a result node
    /// in a simulation. Returns the nodes (a simulation's; empty otherwise).
    std::vector<std::int32_t> handleSubfolders(int dirFd, TBWFileList& dirs, std::int32_t node, double share);
    /// The matching files: renamed, or previewed in a simulation.
    void handleFiles(int dirFd, TBWFileList& files, std::int32_t node, double share);
    /// One entry, file or folder: in a real run renamed (a folder's NewName is then its name on
    /// disk); in a simulation its new name computed (when rename) and counted, and its result
    /// node added below node and returned.
    std::int32_t handleEntry(int dirFd, TBWFile& entry, TEntryKind kind, std::int32_t node, bool rename);
    /// Closes the folder's undo file, if one was made; a failure stops the run.
    void closeUndoFile(const std::string& folder);
    /// Pushes the folder's frame so that its subfolders are walked next, each with its part of
    /// share.
    void goDown(TFd dir, const std::string& folder, TBWFileList dirs, std::vector<std::int32_t> childNodes,
        double share);
    /// Takes the top frame off the stack after its subfolders, opening the folder above it
    /// again when it was not held open. Stops the run when that fails.
    void leaveFolder();
    /// A simulation's result node for an entry, marked when the real run would fail on it.
    std::int32_t previewNode(
        std::int32_t parent, const std::string& oldName, const std::string& newName, TEntryKind kind);
    /// RenameEntry's work; on return m_name holds the name on disk.
    void renameEntry(int dirFd, const std::string& oldName, TEntryKind kind);
    /// Asks before the rename of oldName to m_name when confirming is on; true to go ahead.
    bool confirmRename(const std::string& oldName, bool folder);
    /// Renames oldName to m_name, recorded in the undo file first when undo is on. True when
    /// the entry has its new name; a failure is reported (or, for the undo file, stops the run).
    bool giveNewName(int dirFd, const std::string& oldName, bool folder);
    /// Makes the undo file of the folder dirFd at its first rename; false when it cannot be
    /// made (reported; the folder is then left unrenamed).
    bool makeUndoFile(int dirFd, int depth);
    /// Reports a failure the run goes on after: shown (or, as the host decides, only logged),
    /// counted in ErrorCount, and logged at depth when the log is on.
    void reportFailure(int depth, const std::string& message, const std::string& logText);

    void LogLine(int depth, std::initializer_list<std::string_view> parts);
    void UpdateProgress();
    void addProgress(double amount);
    /// Whether the walk must stop before its next entry (cancelled or stopped).
    bool stopping();
    void stopOnUndoFailure(const std::string& folder, TSysError error);

    TRenameSession& m_session;
    IRunHost& m_host;
    TRunOptions m_options;
    TResultTree m_ownTree;
    TResultTree* m_tree;
    TRunResult m_result;

    TFileMask m_mask;
    TFolderLister m_lister;
    TUndoFileWriter m_undoFile;
    TUndoState m_undoState = TUndoState::NotMade;
    const TNameCollator* m_collator = nullptr;
    TListingNeeds m_needs;
    std::vector<TFrame> m_frames;
    // Buffers reused from entry to entry.
    std::string m_name;
    std::string m_line;
    // The folder being worked in, as the run passed it, and its depth, for messages.
    std::string m_folder;
    int m_depth = 0;
};

/// How many folders of the path from the starting folder down the walk holds open at most;
/// those above are opened again through ".." when the walk comes back to them.
inline constexpr std::size_t kHeldFolders = 16;

/// Why the run refuses newName for an entry named oldName (undo: while the undo file is
/// written), or empty when it does not: a name that would leave the folder or that no file can
/// have, the undo file's own name, and with undo a line feed that the undo file cannot record.
std::string_view RefusalReason(std::string_view newName, std::string_view oldName, bool undo);

/// The Go button's sequence: see TRenameRun::Execute.
TRunResult RunRename(
    TRenameSession& session, IRunHost& host, const TRunOptions& options, TResultTree* tree = nullptr);

} // namespace brindle
