#include "run/URenameRun.h"

#include <fcntl.h>

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

} // namespace

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
    BeginRun();
    const std::string& start = m_options.startFolder;
    if (m_options.simulation)
        ProcessDirectory(start, AT_FDCWD, 1.0, 0, m_tree->SetRoot(start));
    else
        ProcessDirectory(start, AT_FDCWD, 1.0, 0, -1);
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
        m_collator = &TNameCollator::User();
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

void TRenameRun::stopOnUndoFailure(const std::string& folder, int errorNumber)
{
    m_result.stopped = true;
    m_result.ioError = (folder.ends_with('/') ? folder : folder + "/") + std::string(kUndoFileName) + ": "
        + ErrorText(errorNumber);
    m_host.showMessage(m_result.ioError);
}

void TRenameRun::ProcessDirectory(
    const std::string& folder, int parentFd, double share, int depth, std::int32_t node)
{
    const TRunOptions& o = m_options;
    const bool log = o.log;
    const bool sim = o.simulation;
    TRunStats& stats = m_session.Stats;

    // 1. Enter the folder. The starting folder may be reached through a link; a subfolder
    //    never is (links are files).
    if (log)
        LogLine(depth, {"> Changing to ", folder});
    TFd dir = OpenFolder(parentFd, folder, depth == 0);
    if (!dir.valid()) {
        m_host.showMessage("Cannot change to directory: " + folder);
        ++m_result.foldersNotEntered;
        return;
    }
    const int fd = dir.get();
    m_folder = folder;
    m_host.showCurrentFolder(folder);
    m_host.processEvents();

    if (o.resetCounter)
        m_session.CounterValue = o.counterStart;
    const TShares shares = splitShare(share, o.recurse, o.renameDirs);

    if (!sim && o.undo) {
        if (const int e = m_undoFile.Create(fd); e != 0) {
            stopOnUndoFailure(folder, e);
            return;
        }
    }

    // Dates are read only where they are shown or sorted on.
    const TListingNeeds needs {
        log || (o.sort && (o.sortOrder == TSortOrder::DateAsc || o.sortOrder == TSortOrder::DateDesc))};
    const TNameCollator& collator = m_collator ? *m_collator : TNameCollator::User();

    // One read of the folder gives both listings. Renaming the subfolders first does not
    // change which files there are, so the file listing is the one the folder has then.
    TBWFileList dirs;
    TBWFileList files;
    m_lister.ListFolder(fd, m_mask, needs, dirs, files);

    // Subfolders: sort, rename (or preview).
    if (log) {
        for (const TBWFile& e : dirs)
            LogLine(depth, {"- Added directory ", e.DisplayText()});
    }
    if (o.sort) {
        if (log)
            LogLine(depth, {"+ Sorting directories..."});
        SortEntries(dirs, o.sortOrder, collator);
    }
    double dirStep = 0.0;
    if (o.renameDirs) {
        if (dirs.empty())
            addProgress(shares.dirs);
        else
            dirStep = shares.dirs / static_cast<double>(dirs.size());
    }
    std::vector<std::int32_t> childNodes;
    if (sim) {
        childNodes.reserve(dirs.size());
        for (TBWFile& e : dirs) {
            if (stopping())
                break;
            if (log)
                LogLine(depth, {"* Renaming directory ", e.Name});
            std::string newName = e.Name;
            if (o.renameDirs) {
                newName = m_session.PreviewName(e.Name, TEntryKind::Folder);
                addProgress(dirStep);
            }
            bool clash = false;
            const std::int32_t child = m_tree->AddNode(node, e.Name, newName, TEntryKind::Folder, &clash);
            if (clash)
                ++stats.ErrorCount;
            childNodes.push_back(child);
            if (log)
                LogLine(depth, {"* Added Tree Index ", std::to_string(m_tree->IndexInParent(child))});
            m_host.resultNodeAdded(*m_tree, child);
        }
    } else if (o.renameDirs) {
        for (TBWFile& e : dirs) {
            if (stopping())
                break;
            if (log)
                LogLine(depth, {"* Renaming directory ", e.Name});
            renameEntry(fd, e.Name, TEntryKind::Folder);
            e.NewName = m_name;
            addProgress(dirStep);
        }
    }

    // Files: sort, rename (or preview).
    if (!stopping()) {
        if (log) {
            for (const TBWFile& e : files)
                LogLine(depth, {"- Added file ", e.DisplayText()});
        }
        if (o.sort) {
            if (log)
                LogLine(depth, {"+ Sorting files..."});
            SortEntries(files, o.sortOrder, collator);
        }
        double fileStep = 0.0;
        if (files.empty())
            addProgress(shares.files);
        else
            fileStep = shares.files / static_cast<double>(files.size());
        for (const TBWFile& e : files) {
            if (stopping())
                break;
            if (log)
                LogLine(depth, {"* Renaming file ", e.Name});
            if (sim) {
                m_name = e.Name;
                m_session.ApplyJobListInPlace(m_name);
                ++stats.FilesExamined;
                if (m_name != e.Name)
                    ++stats.FilesRenamed;
                bool clash = false;
                const std::int32_t child = m_tree->AddNode(node, e.Name, m_name, TEntryKind::File, &clash);
                if (clash)
                    ++stats.ErrorCount;
                m_host.resultNodeAdded(*m_tree, child);
            } else {
                renameEntry(fd, e.Name, TEntryKind::File);
            }
            addProgress(fileStep);
        }
    }
    // The file list goes before the recursion, so the memory of a run is bounded by its
    // largest folder, not by the files of every folder above the one at hand.
    TBWFileList().swap(files);

    // The undo file is closed before the recursion: at most one is open at a time. A failure
    // to sync or close it stops the run like a failed write.
    if (m_undoFile.IsOpen()) {
        const int e = m_undoFile.Close();
        if (e != 0 && !m_result.stopped)
            stopOnUndoFailure(folder, e);
    }

    // Recursion, each subfolder under its name on disk.
    if (o.recurse && !stopping()) {
        if (log)
            LogLine(depth, {"+ Recursing Directories..."});
        double subShare = 0.0;
        if (dirs.empty())
            addProgress(shares.recursion);
        else
            subShare = shares.recursion / static_cast<double>(dirs.size());
        for (std::size_t i = 0; i < dirs.size(); ++i) {
            if (stopping())
                break;
            const TBWFile& e = dirs[i];
            if (log)
                LogLine(depth, {"+ Recursing into ", e.Name, " (", e.NewName, ")"});
            if (sim) {
                // A cancelled walk may have left later subfolders without a node.
                if (i < childNodes.size())
                    ProcessDirectory(e.Name, fd, subShare, depth + 1, childNodes[i]);
            } else {
                ProcessDirectory(e.NewName.empty() ? e.Name : e.NewName, fd, subShare, depth + 1, -1);
            }
        }
    }
    // Leaving the folder closes its descriptor; the parent's is still open.
}

std::string TRenameRun::RenameEntry(int dirFd, const std::string& oldName, TEntryKind kind)
{
    renameEntry(dirFd, oldName, kind);
    return m_name;
}

void TRenameRun::renameEntry(int dirFd, const std::string& oldName, TEntryKind kind)
{
    const bool folder = kind == TEntryKind::Folder;
    TRunStats& stats = m_session.Stats;
    // 1. The new name.
    m_name = oldName;
    m_session.ApplyJobListInPlace(m_name);
    // 2. Unchanged: counted only.
    if (m_name != oldName) {
        // 3. Ask.
        bool go = true;
        if (m_options.confirm) {
            std::string question = folder ? "Rename directory \"" : "Rename file \"";
            question.append(oldName).append("\" to \"").append(m_name).append("\"?");
            go = m_host.askYesNo(question, TQuestion::ConfirmRename);
        }
        if (go) {
            // 4. Rename, never over another entry. A name that would leave the folder is
            //    refused, and so, while the undo file is written, is a name with a line feed,
            //    which the line-based undo file could not give back.
            int e = EINVAL;
            const bool recordable = !m_options.undo
                || (m_name.find('\n') == std::string::npos && oldName.find('\n') == std::string::npos);
            const bool record = m_options.undo && m_undoFile.IsOpen();
            if (IsUsableName(m_name) && recordable) {
                // 4a. The pair goes to the undo file before the rename is made: a run killed
                //     between the two leaves a record of a rename that never happened, which
                //     undo passes over, never a rename that no undo file knows.
                if (record) {
                    if (const int w = m_undoFile.Add(m_name, oldName); w != 0) {
                        stopOnUndoFailure(m_folder, w);
                        m_name = oldName;
                        ++(folder ? stats.FoldersExamined : stats.FilesExamined);
                        return;
                    }
                }
                e = RenameNoReplace(dirFd, oldName, m_name, folder);
                // 4b. A failed rename takes its pair back; if even that fails, the file no
                //     longer matches the folder and the run stops.
                if (e != 0 && record) {
                    if (const int t = m_undoFile.TakeBack(); t != 0)
                        stopOnUndoFailure(m_folder, t);
                }
            }
            if (e != 0) {
                m_host.showMessage("Cannot rename " + m_name + ". Operation will continue");
                ++m_result.renameFailures;
                m_name = oldName;
            } else {
                // 5. Count (the pair is already recorded).
                ++(folder ? stats.FoldersRenamed : stats.FilesRenamed);
            }
        } else {
            m_name = oldName;
        }
    }
    // 6. Examined in every case.
    ++(folder ? stats.FoldersExamined : stats.FilesExamined);
}

} // namespace brindle
