#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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
    /// without one uses a tree of its own, see ResultTree).
    TRenameRun(
        TRenameSession& session, IRunHost& host, const TRunOptions& options, TResultTree* tree = nullptr);

    /// Runs the whole sequence: the empty-list check, BeginRun, the walk from the starting
    /// folder, EndRun.
    TRunResult Execute();

    const TResultTree& ResultTree() const { return *m_tree; }

    /// One step of a real run for the entry oldName of the folder open as dirFd: computes the
    /// new name, asks, renames and records the pair. Returns the entry's name on disk after it.
    std::string RenameEntry(int dirFd, const std::string& oldName, TEntryKind kind);

private:
    void BeginRun();
    void EndRun();
    /// One folder and, when asked, its subfolders. folder is the full path of the starting
    /// folder or a bare name relative to parentFd.
    void ProcessDirectory(
        const std::string& folder, int parentFd, double share, int depth, std::int32_t node);
    /// RenameEntry's work; on return m_name holds the name on disk.
    void renameEntry(int dirFd, const std::string& oldName, TEntryKind kind);

    void LogLine(int depth, std::initializer_list<std::string_view> parts);
    void UpdateProgress();
    void addProgress(double amount);
    /// Whether the walk must stop before its next entry (cancelled or stopped).
    bool stopping();
    void stopOnUndoFailure(const std::string& folder, int errorNumber);

    TRenameSession& m_session;
    IRunHost& m_host;
    TRunOptions m_options;
    TResultTree m_ownTree;
    TResultTree* m_tree;
    TRunResult m_result;

    TFileMask m_mask;
    TFolderLister m_lister;
    TUndoFileWriter m_undoFile;
    const TNameCollator* m_collator = nullptr;
    // Buffers reused from entry to entry.
    std::string m_name;
    std::string m_line;
    // The folder being worked in, as the run passed it, for the undo file's messages.
    std::string m_folder;
};

/// The Go button's sequence: see TRenameRun::Execute.
TRunResult RunRename(
    TRenameSession& session, IRunHost& host, const TRunOptions& options, TResultTree* tree = nullptr);

} // namespace brindle
