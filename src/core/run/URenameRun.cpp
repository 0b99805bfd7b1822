#include "run/URenameRun.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "run/UGlobals.h"

namespace brindle
{

namespace
{

/// The present moment as "dd/mm/yyyy hh:nn:ss" in local time.
std::string nowText()
{
    const std::time_t now = std::time(nullptr);
    std::tm tm {};
    ::localtime_r(&now, &tm);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d %02d:%02d:%02d", tm.tm_mday, tm.tm_mon + 1,
        tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buffer;
}

/// How a folder's share of the progress splits between renaming its subfolders, its files
/// and the recursion into its subfolders.
struct TShares {
    double dirs;
    double files;
    double recursion;
};

TShares splitShare(double share, bool recurse, bool renameDirs)
{
    if (recurse)
        return renameDirs ? TShares {0.05 * share, 0.05 * share, 0.9 * share}
                          : TShares {0, 0.1 * share, 0.9 * share};
    return renameDirs ? TShares {0.5 * share, 0.5 * share, 0} : TShares {0, share, 0};
}

/// The message and log line of a folder that cannot be entered.
std::string notEnteredMessage(const std::string& folder)
{
    return "Cannot change to directory: " + folder;
}

} // namespace

std::string_view RefusalReason(std::string_view newName, std::string_view oldName, bool undo)
{
    if (!IsUsableName(newName))
        return "a name not allowed in the folder";
    if (newName == kUndoFileName)
        return "the name of the undo file";
    // The undo file holds one name a line: a name with a line feed could not be given back.
    if (undo
        && (newName.find('\n') != std::string_view::npos || oldName.find('\n') != std::string_view::npos))
        return "a line feed, which the undo file cannot record";
    return {};
}

std::string SimulationResultText(const TRunStats& stats)
{
    return std::to_string(stats.FilesRenamed) + " files and " + std::to_string(stats.FoldersRenamed)
        + " directories have been renamed.";
}

TRenameRun::TRenameRun(TRenameSession& session, IRunHost& host, const TRunOptions& options, TResultTree* tree)
    : m_session(session)
    , m_host(host)
    , m_options(options)
    , m_tree(tree ? tree : &m_ownTree)
    , m_mask(options.mask)
{
    if (m_options.simulation) {
        // A simulation changes nothing and asks nothing.
        m_options.undo = false;
        m_options.confirm = false;
    }
}

TRunResult RunRename(TRenameSession& session, IRunHost& host, const TRunOptions& options, TResultTree* tree)
{
    return TRenameRun(session, host, options, tree).Execute();
}

TRunResult TRenameRun::Execute()
{
    m_result = {};
    if (m_session.Jobs.empty()) {
        m_host.showMessage(kNothingToDo);
        m_result.nothingToDo = true;
        return m_result;
    }
    if (const std::string invalid = m_session.InvalidJobMessage(); !invalid.empty()) {
        m_host.showMessage(invalid);
        m_result.invalidJob = true;
        return m_result;
    }
    BeginRun();
    const std::string& start = m_options.startFolder;
    ProcessDirectory(start, m_options.simulation ? m_tree->SetRoot(start) : -1);
    EndRun();
    return m_result;
}

void TRenameRun::BeginRun()
{
    m_host.runStarted(m_options);
    m_session.CounterValue = m_options.counterStart;
    m_session.Stats.Reset();
    if (m_options.sort
        && (m_options.sortOrder == TSortOrder::NameAsc || m_options.sortOrder == TSortOrder::NameDesc))
        m_collator = &TNameCollator::User(m_options.naturalSort);
    // Dates are read only where they are shown or sorted on.
    m_needs.dates = m_options.log
        || (m_options.sort
            && (m_options.sortOrder == TSortOrder::DateAsc || m_options.sortOrder == TSortOrder::DateDesc));
    if (m_options.log)
        LogLine(0, {"---- ", nowText(), " ---- Starting Renaming in ", m_options.startFolder});
}

void TRenameRun::EndRun()
{
    if (m_options.log) {
        if (m_result.cancelled)
            LogLine(0, {"+ Renaming cancelled"});
        if (m_result.stopped)
            LogLine(0, {"+ Renaming stopped: ", m_result.ioError});
        LogLine(0, {});
        LogLine(0, {"---- ", nowText(), " ---- Finished Renaming in ", m_options.startFolder});
        LogLine(0, {RepeatChar(80, '-')});
    }
    m_host.runFinished(m_result, m_session.Stats, m_options.simulation ? m_tree : nullptr);
}

void TRenameRun::LogLine(int depth, std::initializer_list<std::string_view> parts)
{
    // The indent is an 8-bit count of blanks: 3 per depth, modulo 256.
    m_line.assign(static_cast<std::uint8_t>(3 * depth), ' ');
    for (std::string_view part : parts)
        m_line += part;
    m_host.logLine(m_line);
}

void TRenameRun::UpdateProgress()
{
    m_host.updateProgress(m_session.Stats);
    m_host.processEvents();
}

void TRenameRun::addProgress(double amount)
{
    m_session.Stats.RunProgress += amount;
    UpdateProgress();
}

bool TRenameRun::stopping()
{
    if (m_result.stopped || m_result.cancelled)
        return true;
    if (m_host.cancelRequested())
        m_result.cancelled = true;
    return m_result.cancelled;
}

void TRenameRun::stopOnUndoFailure(const std::string& folder, TSysError error)
{
    m_result.stopped = true;
    m_result.ioError
        = (folder.ends_with('/') ? folder : folder + "/") + std::string(kUndoFileName) + ": " + error.text();
    m_host.showMessage(m_result.ioError);
}

void TRenameRun::reportFailure(int depth, const std::string& message, const std::string& logText)
{
    ++m_session.Stats.ErrorCount;
    if (m_options.log)
        LogLine(depth, {logText});
    m_host.showFailure(message, logText);
}

void TRenameRun::ProcessDirectory(const std::string& start, std::int32_t rootNode)
{
    // The starting folder, then every subfolder depth first: a folder's frame stays on the
    // stack while its subfolders are walked, each entered under its name on disk.
    m_frames.clear();
    processFolder(start, AT_FDCWD, 1.0, 0, rootNode);
    while (!m_frames.empty()) {
        if (stopping()) {
            // Nothing more is done in any folder: every undo file is closed already.
            m_frames.clear();
            break;
        }
        TFrame& top = m_frames.back();
        if (top.next == top.dirs.size()) {
            leaveFolder();
            continue;
        }
        const std::size_t i = top.next++;
        const TBWFile& e = top.dirs[i];
        if (m_options.log)
            LogLine(top.depth, {"+ Recursing into ", e.Name, " (", e.NewName, ")"});
        // A simulation enters a subfolder under its name, a real run under its name on disk.
        // A cancelled simulation may have left later subfolders without a node.
        if (m_options.simulation && i >= top.childNodes.size())
            continue;
        const std::string name = m_options.simulation || e.NewName.empty() ? e.Name : e.NewName;
        const std::int32_t node = m_options.simulation ? top.childNodes[i] : -1;
        processFolder(name, top.fd.get(), top.subShare, top.depth + 1, node);
    }
}

void TRenameRun::leaveFolder()
{
    TFrame child = std::move(m_frames.back());
    m_frames.pop_back();
    if (m_frames.empty())
        return;
    TFrame& parent = m_frames.back();
    if (parent.fd.valid())
        return;
    // The folder above was let go to keep the descriptors bounded: ".." of the folder just
    // left leads back to it, unless a folder was moved meanwhile, which its identity shows.
    TFd up(::openat(child.fd.get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    TSysError e = up.error();
    if (!e) {
        struct stat st;
        if (::fstat(up.get(), &st) != 0)
            e = TSysError::last();
        else if (st.st_dev != parent.dev || st.st_ino != parent.ino)
            e = ESTALE;
    }
    if (e) {
        // Going on elsewhere could rename outside the tree: the run stops, as designed for a
        // parent folder that cannot be made current again.
        m_result.stopped = true;
        m_result.ioError = "Cannot change to directory: " + parent.folder + ": "
            + (e == ESTALE ? std::string("it was moved during the run") : e.text());
        m_host.showMessage(m_result.ioError);
        m_frames.clear();
        return;
    }
    parent.fd = std::move(up);
}

bool TRenameRun::processFolder(
    const std::string& folder, int parentFd, double share, int depth, std::int32_t node)
{
    // 1. Enter the folder.
    TFd dir = enterFolder(folder, parentFd, depth);
    if (!dir.valid())
        return false;
    const TShares shares = splitShare(share, m_options.recurse, m_options.renameDirs);
    // 2. List it: one read gives both listings. Renaming the subfolders first does not change
    //    which files there are, so the file listing is the one the folder has then.
    TBWFileList dirs;
    TBWFileList files;
    m_lister.ListFolder(dir.get(), m_mask, m_needs, dirs, files);
    // 3. Its subfolders, then 4. its files: renamed, or previewed in a simulation.
    std::vector<std::int32_t> childNodes = handleSubfolders(dir.get(), dirs, node, shares.dirs);
    if (!stopping())
        handleFiles(dir.get(), files, node, shares.files);
    // The file list goes before the subfolders are walked, so the memory of a run is bounded
    // by its largest folder, not by the files of every folder above the one at hand.
    TBWFileList().swap(files);
    // 5. Its undo file is closed before any subfolder is entered.
    closeUndoFile(folder);
    // 6. Down into its subfolders.
    if (m_options.recurse && !stopping())
        goDown(std::move(dir), folder, std::move(dirs), std::move(childNodes), shares.recursion);
    return true;
}

TFd TRenameRun::enterFolder(const std::string& folder, int parentFd, int depth)
{
    // The starting folder may be reached through a link; a subfolder never is (links are files).
    if (m_options.log)
        LogLine(depth, {"> Changing to ", folder});
    TFd dir = OpenFolder(parentFd, folder, depth == 0);
    if (!dir.valid()) {
        ++m_result.foldersNotEntered;
        // A simulation's errors are the entries it marks; a real run counts every failure.
        if (!m_options.simulation)
            ++m_session.Stats.ErrorCount;
        const std::string message = notEnteredMessage(folder);
        const std::string logText = "! " + message + ": " + dir.error().text();
        if (m_options.log)
            LogLine(depth, {logText});
        m_host.showFailure(message, logText);
        return dir;
    }
    m_folder = folder;
    m_depth = depth;
    m_host.showCurrentFolder(folder);
    m_host.processEvents();
    if (m_options.resetCounter)
        m_session.CounterValue = m_options.counterStart;
    // The undo file is made at the folder's first rename (renameEntry), so a folder where
    // nothing is renamed keeps the one it had.
    m_undoState = TUndoState::NotMade;
    return dir;
}

void TRenameRun::prepareListing(TBWFileList& list, std::string_view added, std::string_view sorting)
{
    if (m_options.log) {
        for (const TBWFile& e : list)
            LogLine(m_depth, {added, e.DisplayText()});
    }
    if (m_options.sort) {
        if (m_options.log)
            LogLine(m_depth, {sorting});
        SortEntries(list, m_options.sortOrder, m_collator ? *m_collator : TNameCollator::User());
    }
}

double TRenameRun::entryStep(std::size_t count, double share)
{
    if (count == 0) {
        addProgress(share);
        return 0.0;
    }
    return share / static_cast<double>(count);
}

std::vector<std::int32_t> TRenameRun::handleSubfolders(
    int dirFd, TBWFileList& dirs, std::int32_t node, double share)
{
    prepareListing(dirs, "- Added directory ", "+ Sorting directories...");
    // A real run touches the subfolders only when it renames them; a simulation shows each one.
    const bool rename = m_options.renameDirs;
    if (!rename && !m_options.simulation)
        return {};
    const double step = rename ? entryStep(dirs.size(), share) : 0.0;
    std::vector<std::int32_t> childNodes;
    childNodes.reserve(m_options.simulation ? dirs.size() : 0);
    for (TBWFile& e : dirs) {
        if (stopping())
            break;
        const std::int32_t child = handleEntry(dirFd, e, TEntryKind::Folder, node, rename);
        if (m_options.simulation)
            childNodes.push_back(child);
        if (rename)
            addProgress(step);
    }
    return childNodes;
}

void TRenameRun::handleFiles(int dirFd, TBWFileList& files, std::int32_t node, double share)
{
    prepareListing(files, "- Added file ", "+ Sorting files...");
    const double step = entryStep(files.size(), share);
    for (TBWFile& e : files) {
        if (stopping())
            break;
        handleEntry(dirFd, e, TEntryKind::File, node, true);
        addProgress(step);
    }
}

std::int32_t TRenameRun::handleEntry(
    int dirFd, TBWFile& entry, TEntryKind kind, std::int32_t node, bool rename)
{
    const bool folder = kind == TEntryKind::Folder;
    if (m_options.log)
        LogLine(m_depth, {folder ? "* Renaming directory " : "* Renaming file ", entry.Name});
    if (!m_options.simulation) {
        // The subfolder is entered later under the name it has on disk now.
        renameEntry(dirFd, entry.Name, kind);
        if (folder)
            entry.NewName = m_name;
        return -1;
    }
    // A simulation: the new name, counted as a real run would count it, and its result node.
    m_name = entry.Name;
    if (rename) {
        m_session.ApplyJobListInPlace(m_name);
        TRunStats& stats = m_session.Stats;
        ++(folder ? stats.FoldersExamined : stats.FilesExamined);
        if (m_name != entry.Name)
            ++(folder ? stats.FoldersRenamed : stats.FilesRenamed);
    }
    const std::int32_t child = previewNode(node, entry.Name, m_name, kind);
    if (folder && m_options.log)
        LogLine(m_depth, {"* Added Tree Index ", std::to_string(m_tree->IndexInParent(child))});
    m_host.resultNodeAdded(*m_tree, child);
    return child;
}

void TRenameRun::closeUndoFile(const std::string& folder)
{
    // At most one undo file is open at a time. A failure to sync or close it stops the run like
    // a failed write.
    if (!m_undoFile.IsOpen())
        return;
    const TSysError e = m_undoFile.Close();
    if (e && !m_result.stopped)
        stopOnUndoFailure(folder, e);
}

void TRenameRun::goDown(
    TFd dir, const std::string& folder, TBWFileList dirs, std::vector<std::int32_t> childNodes, double share)
{
    if (m_options.log)
        LogLine(m_depth, {"+ Recursing Directories..."});
    if (dirs.empty()) {
        addProgress(share);
        return;
    }
    // The subfolders are walked from the frame, each under its name on disk; the folder's
    // identity lets the walk check ".." when it comes back to it.
    struct stat st {
    };
    ::fstat(dir.get(), &st);
    TFrame frame;
    frame.dev = st.st_dev;
    frame.ino = st.st_ino;
    frame.folder = folder;
    frame.depth = m_depth;
    frame.subShare = share / static_cast<double>(dirs.size());
    frame.dirs = std::move(dirs);
    frame.childNodes = std::move(childNodes);
    frame.fd = std::move(dir);
    m_frames.push_back(std::move(frame));
    // Only the deepest folders stay open.
    if (m_frames.size() > kHeldFolders)
        m_frames[m_frames.size() - 1 - kHeldFolders].fd.close();
}

std::int32_t TRenameRun::previewNode(
    std::int32_t parent, const std::string& oldName, const std::string& newName, TEntryKind kind)
{
    // The entries the real run would fail on are marked: a clash with an earlier entry, and
    // a new name it refuses.
    const bool refused = newName != oldName && !RefusalReason(newName, oldName, false).empty();
    bool clash = false;
    const std::int32_t child = m_tree->AddNode(parent, oldName, newName, kind, &clash, refused);
    if (refused) {
        ++m_result.namesRefused;
        ++m_session.Stats.ErrorCount;
    } else if (clash) {
        ++m_result.clashes;
        ++m_session.Stats.ErrorCount;
    }
    return child;
}

std::string TRenameRun::RenameEntry(int dirFd, const std::string& oldName, TEntryKind kind)
{
    renameEntry(dirFd, oldName, kind);
    return m_name;
}

bool TRenameRun::makeUndoFile(int dirFd, int depth)
{
    const TSysError e = m_undoFile.Create(dirFd);
    if (!e) {
        m_undoState = TUndoState::Open;
        return true;
    }
    // Nothing may be renamed without its record: the folder is left as it is, and the run
    // goes on with the rest of the tree.
    m_undoState = TUndoState::Failed;
    ++m_result.undoFilesNotMade;
    const std::string file
        = (m_folder.ends_with('/') ? m_folder : m_folder + "/") + std::string(kUndoFileName);
    const std::string reason = e.text();
    reportFailure(depth,
        "Cannot create " + file + ": " + reason
            + ". Nothing in this directory is renamed. Operation will continue",
        "! Cannot create " + file + ": " + reason + "; nothing in this directory is renamed");
    return false;
}

void TRenameRun::renameEntry(int dirFd, const std::string& oldName, TEntryKind kind)
{
    const bool folder = kind == TEntryKind::Folder;
    TRunStats& stats = m_session.Stats;
    // 1. The new name.
    m_name = oldName;
    m_session.ApplyJobListInPlace(m_name);
    // 2. Unchanged, in a folder whose undo file could not be made, or declined (3): counted
    //    only, and the entry keeps its name on disk.
    const bool withoutUndoFile = m_options.undo && m_undoState == TUndoState::Failed;
    if (m_name != oldName && !withoutUndoFile && confirmRename(oldName, folder)
        && giveNewName(dirFd, oldName, folder))
        ++(folder ? stats.FoldersRenamed : stats.FilesRenamed);
    else
        m_name = oldName;
    // 6. Examined in every case.
    ++(folder ? stats.FoldersExamined : stats.FilesExamined);
}

bool TRenameRun::confirmRename(const std::string& oldName, bool folder)
{
    // 3. Ask.
    if (!m_options.confirm)
        return true;
    std::string question = folder ? "Rename directory \"" : "Rename file \"";
    question.append(oldName).append("\" to \"").append(m_name).append("\"?");
    return m_host.askYesNo(question, TQuestion::ConfirmRename);
}

bool TRenameRun::giveNewName(int dirFd, const std::string& oldName, bool folder)
{
    // 4. Rename, never over another entry. A name that would leave the folder, the undo file's
    //    name and (while the undo file is written) a name with a line feed are refused before
    //    anything is touched.
    const bool undo = m_options.undo;
    const std::string_view refusal = RefusalReason(m_name, oldName, undo);
    TSysError e = refusal.empty() ? 0 : EINVAL;
    bool recorded = false;
    if (!e && undo) {
        // 4a. The folder's first rename makes its undo file; a target that is plainly taken
        //     fails first, so an earlier undo file is not given up for nothing.
        if (m_undoState == TUndoState::NotMade) {
            e = TargetTaken(dirFd, oldName, m_name);
            if (!e && !makeUndoFile(dirFd, m_depth))
                return false;
        }
        // 4b. The pair goes to the undo file before the rename is made: a run killed between
        //     the two leaves a record of a rename that never happened, which undo passes over,
        //     never a rename that no undo file knows.
        if (!e) {
            if (const TSysError w = m_undoFile.Add(m_name, oldName)) {
                stopOnUndoFailure(m_folder, w);
                return false;
            }
            recorded = true;
        }
    }
    if (!e) {
        e = RenameNoReplace(dirFd, oldName, m_name, folder);
        // 4c. A failed rename takes its pair back; if even that fails, the file no longer
        //     matches the folder and the run stops.
        if (e && recorded) {
            if (const TSysError t = m_undoFile.TakeBack())
                stopOnUndoFailure(m_folder, t);
        }
    }
    if (!e)
        return true;
    // 5. A failure is reported and counted; the run goes on.
    ++m_result.renameFailures;
    const std::string reason = refusal.empty() ? e.text() : std::string(refusal);
    reportFailure(m_depth, "Cannot rename " + m_name + ". Operation will continue",
        "! Cannot rename " + oldName + " to " + m_name + ": " + reason);
    return false;
}

} // namespace brindle
