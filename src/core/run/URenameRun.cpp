#include "run/URenameRun.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <algorithm>
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
    m_undoRules = options.undo;
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
    m_planOptions = PlanOptionsOf(m_options);
    m_planOptions.undo = m_undoRules;
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
    // 2. List it: one read gives the subfolders, the files and every other name, which the
    //    plan must know as well since they hold their names.
    TBWFileList dirs;
    TBWFileList files;
    TNameList others;
    m_lister.ListFolder(dir.get(), m_mask, m_needs, dirs, files, &others);
    // 3. Plan it: every new name, asked and validated, before anything is renamed.
    m_filesShare = shares.files;
    m_dirOnDisk.clear();
    const bool stoppedBefore = stopping();
    planFolder(dir.get(), std::move(dirs), std::move(files), std::move(others));
    // 4. Show the plan in a simulation, make it in a real run. Cancelled while the questions
    //    were asked, the run still makes the renames that were answered, then stops.
    std::vector<std::int32_t> childNodes;
    if (m_options.simulation) {
        if (!stopping())
            childNodes = showPlan(node, shares.dirs);
    } else if (!stoppedBefore && !m_result.stopped) {
        makePlan(dir.get(), shares.dirs, stopping());
    }
    // The subfolders are entered under the names they have on disk now. The rest of the plan
    // goes before they are walked, so the memory of a run is bounded by its largest folder.
    TBWFileList subfolders = m_plan.TakeDirs();
    for (std::size_t i = 0; i < subfolders.size(); ++i) {
        TBWFile& d = subfolders[i];
        const TOnDisk at = i < m_dirOnDisk.size() ? m_dirOnDisk[i] : TOnDisk::OldName;
        if (m_options.simulation || !m_options.renameDirs)
            d.NewName.clear();
        else if (at == TOnDisk::OldName)
            d.NewName = d.Name;
        else if (at == TOnDisk::Temporary)
            d.NewName = m_plan.TemporaryName();
    }
    m_plan = TFolderPlan();
    // 5. Its undo file is closed before any subfolder is entered.
    closeUndoFile(folder);
    // 6. Down into its subfolders.
    if (m_options.recurse && !stopping())
        goDown(std::move(dir), folder, std::move(subfolders), std::move(childNodes), shares.recursion);
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
    // The undo file is made at the folder's first rename (giveName), so a folder where nothing
    // is renamed keeps the one it had.
    m_undoState = TUndoState::NotMade;
    return dir;
}

namespace
{

/// A name of the listing with an ASCII letter, to find out whether the folder folds case.
std::string_view probeName(const TBWFileList& dirs, const TBWFileList& files, const TNameList& others)
{
    const auto hasLetter = [](std::string_view name) {
        return std::any_of(name.begin(), name.end(),
            [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
    };
    for (const TBWFileList* list : {&dirs, &files}) {
        for (const TBWFile& e : *list) {
            if (hasLetter(e.Name))
                return e.Name;
        }
    }
    for (std::size_t i = 0; i < others.size(); ++i) {
        if (hasLetter(others[i]))
            return others[i];
    }
    return {};
}

} // namespace

TFolderPlan::TOptions PlanOptionsOf(const TRunOptions& options)
{
    TFolderPlan::TOptions o;
    o.renameDirs = options.renameDirs;
    o.sort = options.sort;
    o.sortOrder = options.sortOrder;
    o.naturalSort = options.naturalSort;
    // A simulation checks names against the undo file's rules all the same, as Go would.
    o.undo = options.undo;
    return o;
}

TNameCase NameCaseOf(
    TNameCaseRule rule, int dirFd, const TBWFileList& dirs, const TBWFileList& files, const TNameList& others)
{
    switch (rule) {
    case TNameCaseRule::Exact:
        return TNameCase::Exact;
    case TNameCaseRule::Folding:
        return TNameCase::Folding;
    case TNameCaseRule::Detect:
        break;
    }
    return DetectNameCase(dirFd, probeName(dirs, files, others));
}

int PlanStartingFolder(const TRunOptions& options, const std::vector<TJob>& jobs, TFolderPlan& plan,
    const TNameCollator* collator)
{
    plan = TFolderPlan();
    const TFd dir = OpenFolder(AT_FDCWD, options.startFolder, true);
    if (!dir.valid())
        return dir.error().code();
    TFolderPlan::TOptions planOptions = PlanOptionsOf(options);
    TListingNeeds needs;
    needs.dates = options.sort
        && (options.sortOrder == TSortOrder::DateAsc || options.sortOrder == TSortOrder::DateDesc);
    TBWFileList dirs;
    TBWFileList files;
    TNameList others;
    TFolderLister lister;
    lister.ListFolder(dir.get(), TFileMask(options.mask), needs, dirs, files, &others);
    planOptions.nameCase = NameCaseOf(options.nameCase, dir.get(), dirs, files, others);
    if (!collator && options.sort
        && (options.sortOrder == TSortOrder::NameAsc || options.sortOrder == TSortOrder::NameDesc))
        collator = &TNameCollator::User(options.naturalSort);
    // The counter starts where a run's starts: a run begins with the counter at its start.
    std::int32_t counter = options.counterStart;
    plan.Compute(std::move(dirs), std::move(files), std::move(others), planOptions, jobs, counter);
    return 0;
}

void TRenameRun::planFolder(int dirFd, TBWFileList dirs, TBWFileList files, TNameList others)
{
    // The listing as designed: the subfolders as found, then sorted; the files' lines wait
    // until the run comes to the files.
    if (m_options.log) {
        for (const TBWFile& e : dirs)
            LogLine(m_depth, {"- Added directory ", e.DisplayText()});
        if (m_options.sort)
            LogLine(m_depth, {"+ Sorting directories..."});
        m_fileLines.clear();
        for (const TBWFile& e : files)
            m_fileLines.push_back("- Added file " + e.DisplayText());
    }
    m_filesListed = false;
    m_planOptions.nameCase = NameCaseOf(m_options.nameCase, dirFd, dirs, files, others);
    m_plan.SetListing(std::move(dirs), std::move(files), std::move(others));
    m_plan.Sort(m_planOptions, m_collator);
    // The questions come in listing order, before anything is renamed; once the run is to
    // stop, nobody is asked any more and nothing is renamed.
    TFolderPlan::TConfirm confirm;
    if (m_options.confirm) {
        confirm = [this](const TBWFile& e, TEntryKind kind, std::string_view newName) {
            if (stopping())
                return TFolderPlan::TAnswer::Stop;
            return confirmRename(e.Name, newName, kind == TEntryKind::Folder) ? TFolderPlan::TAnswer::Yes
                                                                              : TFolderPlan::TAnswer::No;
        };
    }
    m_plan.Name(m_session.Jobs, m_session.CounterValue, m_planOptions, confirm);
    m_plan.Validate(m_planOptions);
    m_plan.Order();
}

void TRenameRun::listFiles()
{
    if (m_filesListed)
        return;
    m_filesListed = true;
    if (m_options.log) {
        for (const std::string& line : m_fileLines)
            LogLine(m_depth, {line});
        if (m_options.sort)
            LogLine(m_depth, {"+ Sorting files..."});
    }
    std::vector<std::string>().swap(m_fileLines);
    m_fileStep = entryStep(m_plan.Size() - m_plan.DirCount(), m_filesShare);
}

double TRenameRun::entryStep(std::size_t count, double share)
{
    if (count == 0) {
        addProgress(share);
        return 0.0;
    }
    return share / static_cast<double>(count);
}

std::vector<std::int32_t> TRenameRun::showPlan(std::int32_t node, double dirShare)
{
    const bool renameDirs = m_options.renameDirs;
    const double dirStep = renameDirs ? entryStep(m_plan.DirCount(), dirShare) : 0.0;
    std::vector<std::int32_t> childNodes;
    childNodes.reserve(m_plan.DirCount());
    TRunStats& stats = m_session.Stats;
    for (std::size_t i = 0; i < m_plan.Size(); ++i) {
        const bool folder = m_plan.Kind(i) == TEntryKind::Folder;
        if (!folder && !m_filesListed) {
            if (stopping())
                break;
            listFiles();
        }
        if (stopping())
            break;
        const TBWFile& e = m_plan.Entry(i);
        if (m_options.log)
            LogLine(m_depth, {folder ? "* Renaming directory " : "* Renaming file ", e.Name});
        // Counted as the real run would count it: examined when named, renamed when it would be.
        const TVerdict verdict = m_plan.Verdict(i);
        if (m_plan.Named(i)) {
            ++(folder ? stats.FoldersExamined : stats.FilesExamined);
            if (verdict == TVerdict::Renamed)
                ++(folder ? stats.FoldersRenamed : stats.FilesRenamed);
        }
        TResultState state = TResultState::Unchanged;
        std::string reason;
        if (verdict == TVerdict::Failed) {
            state = TResultState::Error;
            reason = m_plan.Reason(i);
            ++(m_plan.Refused(i) ? m_result.namesRefused : m_result.clashes);
            ++stats.ErrorCount;
        } else if (verdict != TVerdict::Unchanged) {
            state = TResultState::Renamed;
        }
        const std::int32_t child
            = m_tree->AddPlannedNode(node, e.Name, m_plan.NewName(i), m_plan.Kind(i), state, reason);
        if (folder) {
            childNodes.push_back(child);
            if (m_options.log)
                LogLine(m_depth, {"* Added Tree Index ", std::to_string(m_tree->IndexInParent(child))});
        }
        m_host.resultNodeAdded(*m_tree, child);
        if (!folder)
            addProgress(m_fileStep);
        else if (renameDirs)
            addProgress(dirStep);
    }
    if (!stopping())
        listFiles();
    return childNodes;
}

void TRenameRun::makePlan(int dirFd, double dirShare, bool answeredOnly)
{
    // A real run touches the subfolders only when it renames them.
    const bool renameDirs = m_options.renameDirs;
    const double dirStep = renameDirs ? entryStep(m_plan.DirCount(), dirShare) : 0.0;
    m_dirOnDisk.assign(m_plan.DirCount(), TOnDisk::OldName);
    m_atTemporary = kNoEntry;
    m_failedEarly = kNoEntry;
    for (const TPlanStep& step : m_plan.Steps()) {
        const bool folder = m_plan.Kind(step.entry) == TEntryKind::Folder;
        if (folder && !renameDirs)
            continue;
        // An entry the walk stopped before has no step.
        if (!m_plan.Named(step.entry))
            continue;
        // Cancel waits while a member of a cycle has the temporary name, and for the renames
        // answered before it came; an undo file that cannot be written does not.
        const bool halt = m_result.stopped || (!answeredOnly && m_atTemporary == kNoEntry && stopping());
        if (!folder && !m_filesListed) {
            if (halt)
                break;
            listFiles();
        }
        if (halt)
            break;
        if (step.toTemporary) {
            moveToTemporary(dirFd, step.entry);
            continue;
        }
        RenameEntry(dirFd, step.entry);
        addProgress(folder ? dirStep : m_fileStep);
    }
    // Stopped in the middle of a cycle: the member at the temporary name goes back, as the
    // undo file (which cannot be written any more) expects.
    if (m_atTemporary != kNoEntry)
        moveBack(dirFd, m_atTemporary, false);
    if (!stopping())
        listFiles();
}

void TRenameRun::moveToTemporary(int dirFd, std::uint32_t entry)
{
    const TBWFile& e = m_plan.Entry(entry);
    const bool folder = m_plan.Kind(entry) == TEntryKind::Folder;
    const std::string& temporary = m_plan.TemporaryName();
    if (m_options.log) {
        LogLine(m_depth,
            {folder ? "* Renaming directory " : "* Renaming file ", e.Name, " to a temporary name ",
                temporary, " (cycle)"});
    }
    if (m_options.undo && m_undoState == TUndoState::Failed)
        return;
    const TSysError error = giveName(dirFd, e.Name, temporary, folder, true);
    if (!error) {
        m_atTemporary = entry;
        ++m_result.cycles;
        return;
    }
    // The member keeps its name (the undo file's failure is reported already); its own step
    // has nothing left to try.
    m_failedEarly = entry;
    if (m_result.stopped || m_undoState == TUndoState::Failed)
        return;
    reportRenameFailure(e.Name + " to a temporary name " + temporary, m_plan.NewName(entry), error.text());
}

void TRenameRun::RenameEntry(int dirFd, std::uint32_t entry)
{
    const TBWFile& e = m_plan.Entry(entry);
    const bool folder = m_plan.Kind(entry) == TEntryKind::Folder;
    TRunStats& stats = m_session.Stats;
    if (m_options.log)
        LogLine(m_depth, {folder ? "* Renaming directory " : "* Renaming file ", e.Name});
    switch (m_plan.Verdict(entry)) {
    case TVerdict::Unchanged:
    case TVerdict::Declined:
        break;
    case TVerdict::Failed: {
        // A failure the plan foresaw: nothing is tried.
        const std::string_view newName = m_plan.NewName(entry);
        m_to.assign(e.Name).append(" to ").append(newName);
        reportRenameFailure(m_to, newName, m_plan.Reason(entry));
        break;
    }
    case TVerdict::Renamed: {
        // A folder without its undo file is left alone; a failed move to the temporary name
        // was reported already.
        if (entry == m_failedEarly || (m_options.undo && m_undoState == TUndoState::Failed))
            break;
        const bool fromTemporary = entry == m_atTemporary;
        m_from = fromTemporary ? m_plan.TemporaryName() : e.Name;
        m_to.assign(m_plan.NewName(entry));
        const TSysError error = giveName(dirFd, m_from, m_to, folder, true);
        if (!error) {
            ++(folder ? stats.FoldersRenamed : stats.FilesRenamed);
            if (folder)
                m_dirOnDisk[entry] = TOnDisk::NewName;
            if (fromTemporary)
                m_atTemporary = kNoEntry;
            break;
        }
        // A late failure: the target was taken, or the entry went, after the plan was made.
        if (m_result.stopped || m_undoState == TUndoState::Failed)
            break;
        reportRenameFailure(
            (fromTemporary ? m_from + " (" + e.Name + ")" : m_from) + " to " + m_to, m_to, error.text());
        if (fromTemporary)
            moveBack(dirFd, entry, true);
        break;
    }
    }
    ++(folder ? stats.FoldersExamined : stats.FilesExamined);
}

void TRenameRun::moveBack(int dirFd, std::uint32_t entry, bool record)
{
    m_atTemporary = kNoEntry;
    const TBWFile& e = m_plan.Entry(entry);
    const bool folder = m_plan.Kind(entry) == TEntryKind::Folder;
    const std::string& temporary = m_plan.TemporaryName();
    if (m_options.log) {
        LogLine(
            m_depth, {folder ? "* Renaming directory " : "* Renaming file ", temporary, " back to ", e.Name});
    }
    // Recorded like every step; when the undo file cannot take it, the entry goes back all the
    // same, and the undo file's last pair then names a rename that undo finds undone.
    const bool wasStopped = m_result.stopped;
    TSysError error = giveName(dirFd, temporary, e.Name, folder, record && !wasStopped);
    if (error && !wasStopped && m_result.stopped)
        error = RenameNoReplace(dirFd, temporary, e.Name, folder);
    if (!error)
        return;
    if (folder)
        m_dirOnDisk[entry] = TOnDisk::Temporary;
    ++m_result.renameFailures;
    reportFailure(m_depth,
        "Cannot rename " + temporary + " back to " + e.Name + ". " + e.Name + " is now named " + temporary
            + ". Operation will continue",
        "! Cannot rename " + temporary + " back to " + e.Name + ": " + error.text() + "; " + e.Name
            + " is now named " + temporary);
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

bool TRenameRun::confirmRename(const std::string& oldName, std::string_view newName, bool folder)
{
    std::string question = folder ? "Rename directory \"" : "Rename file \"";
    question.append(oldName).append("\" to \"").append(newName).append("\"?");
    return m_host.askYesNo(question, TQuestion::ConfirmRename);
}

TSysError TRenameRun::giveName(
    int dirFd, const std::string& from, const std::string& to, bool folder, bool record)
{
    bool recorded = false;
    if (record && m_options.undo) {
        // 1. The folder's first rename makes its undo file; a target that is plainly taken
        //    fails first, so an earlier undo file is not given up for nothing.
        if (m_undoState == TUndoState::Failed)
            return EINVAL;
        if (m_undoState == TUndoState::NotMade) {
            if (const TSysError taken = TargetTaken(dirFd, from, to))
                return taken;
            if (!makeUndoFile(dirFd, m_depth))
                return EINVAL;
        }
        // 2. The pair goes to the undo file before the rename is made: a run killed between
        //    the two leaves a record of a rename that never happened, which undo passes over,
        //    never a rename that no undo file knows.
        if (const TSysError w = m_undoFile.Add(to, from)) {
            stopOnUndoFailure(m_folder, w);
            return w;
        }
        recorded = true;
    }
    // 3. Rename, never over another entry.
    const TSysError e = RenameNoReplace(dirFd, from, to, folder);
    // 4. A failed rename takes its pair back; if even that fails, the file no longer matches
    //    the folder and the run stops.
    if (e && recorded) {
        if (const TSysError t = m_undoFile.TakeBack())
            stopOnUndoFailure(m_folder, t);
    }
    return e;
}

void TRenameRun::reportRenameFailure(std::string_view what, std::string_view newName, std::string_view reason)
{
    ++m_result.renameFailures;
    std::string message = "Cannot rename ";
    message.append(newName).append(". Operation will continue");
    std::string logText = "! Cannot rename ";
    logText.append(what).append(": ").append(reason);
    reportFailure(m_depth, message, logText);
}

} // namespace brindle
