#include "core/run/RenameRun.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <algorithm>
#include <cstdio>
#include <ctime>

#include "core/run/EntryFactsReading.h"

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
struct Shares {
    double dirs;
    double files;
    double recursion;
};

/// The mask and the further masks of a run as one.
FileMask maskOf(const RunOptions& options)
{
    if (options.moreMasks.empty())
        return FileMask(options.mask);
    std::vector<std::string> masks {options.mask};
    masks.insert(masks.end(), options.moreMasks.begin(), options.moreMasks.end());
    return FileMask(masks);
}

Shares splitShare(double share, bool recurse, bool renameDirs)
{
    if (recurse)
        return renameDirs ? Shares {0.05 * share, 0.05 * share, 0.9 * share}
                          : Shares {0, 0.1 * share, 0.9 * share};
    return renameDirs ? Shares {0.5 * share, 0.5 * share, 0} : Shares {0, share, 0};
}

} // namespace

std::string repeatChar(std::int64_t count, char ch)
{
    return std::string(static_cast<std::uint8_t>(count), ch);
}

std::string simulationResultText(const RunStats& stats)
{
    return std::to_string(stats.filesRenamed) + " files and " + std::to_string(stats.foldersRenamed)
        + " directories have been renamed.";
}

RenameRun::RenameRun(RenameSession& session, IRunHost& host, const RunOptions& options, ResultTree* tree)
    : m_session(session)
    , m_host(host)
    , m_options(options)
    , m_tree(tree ? tree : &m_ownTree)
    , m_mask(maskOf(options))
{
    m_undoRules = options.undo;
    if (m_options.simulation) {
        // A simulation changes nothing and asks nothing.
        m_options.undo = false;
        m_options.confirm = false;
    }
}

RunResult runRename(RenameSession& session, IRunHost& host, const RunOptions& options, ResultTree* tree,
    const ManualNames* manual)
{
    RenameRun run(session, host, options, tree);
    run.setManualNames(manual);
    return run.execute();
}

RunResult RenameRun::execute()
{
    m_result = {};
    // Names given by hand are work enough without a job.
    if (m_session.jobs.empty() && (!m_manual || m_manual->empty())) {
        m_host.showMessage(kNothingToDo);
        m_result.nothingToDo = true;
        return m_result;
    }
    if (const std::string invalid = m_session.invalidJobMessage(); !invalid.empty()) {
        m_host.showMessage(invalid);
        m_result.invalidJob = true;
        return m_result;
    }
    beginRun();
    const std::string& start = m_options.startFolder;
    processDirectory(start, m_options.simulation ? m_tree->setRoot(start) : -1);
    endRun();
    return m_result;
}

void RenameRun::beginRun()
{
    m_host.runStarted(m_options);
    m_session.counterValue = m_options.counterStart;
    m_session.counterSpent = false;
    m_session.stats.reset();
    if (m_options.sort
        && (m_options.sortOrder == SortOrder::NameAsc || m_options.sortOrder == SortOrder::NameDesc))
        m_collator = &NameCollator::user(m_options.naturalSort);
    // Dates are read only where they are shown or sorted on.
    m_needs.dates = m_options.log
        || (m_options.sort
            && (m_options.sortOrder == SortOrder::DateAsc || m_options.sortOrder == SortOrder::DateDesc));
    m_needs.hidden = m_options.hidden;
    m_planOptions = planOptionsOf(m_options);
    m_planOptions.undo = m_undoRules;
    if (m_options.log)
        logLine(0, {"---- ", nowText(), " ---- Starting Renaming in ", m_options.startFolder});
}

void RenameRun::endRun()
{
    if (m_options.log) {
        if (m_result.cancelled) {
            // The counts as far as the run came, and what it left.
            const RunStats& s = m_session.stats;
            logLine(0,
                {"+ Renaming cancelled: ", std::to_string(s.filesRenamed), " files and ",
                    std::to_string(s.foldersRenamed), " folders renamed, ",
                    std::to_string(m_result.notReached), " entries of the folders entered not reached"});
        }
        if (m_result.stopped)
            logLine(0, {"+ Renaming stopped: ", m_result.ioError});
        logLine(0, {});
        logLine(0, {"---- ", nowText(), " ---- Finished Renaming in ", m_options.startFolder});
        logLine(0, {repeatChar(80, '-')});
    }
    m_host.runFinished(m_result, m_session.stats, m_options.simulation ? m_tree : nullptr);
}

void RenameRun::logLine(int depth, std::initializer_list<std::string_view> parts)
{
    // The indent is an 8-bit count of blanks: 3 per depth, modulo 256.
    m_line.assign(static_cast<std::uint8_t>(3 * depth), ' ');
    for (std::string_view part : parts)
        m_line += part;
    m_host.logLine(m_line);
}

void RenameRun::updateProgress()
{
    m_host.updateProgress(m_session.stats);
}

void RenameRun::addProgress(double amount)
{
    m_session.stats.runProgress += amount;
    updateProgress();
}

bool RenameRun::stopping()
{
    if (m_result.stopped || m_result.cancelled)
        return true;
    if (m_host.cancelRequested())
        m_result.cancelled = true;
    return m_result.cancelled;
}

void RenameRun::stopOnUndoFailure(const std::string& folder, SysError error)
{
    m_result.stopped = true;
    m_result.ioError
        = (folder.ends_with('/') ? folder : folder + "/") + std::string(kUndoFileName) + ": " + error.text();
    m_host.showMessage(m_result.ioError);
}

void RenameRun::reportFailure(int depth, const std::string& message, const std::string& logText)
{
    ++m_session.stats.errorCount;
    if (m_options.log)
        logLine(depth, {logText});
    m_host.showFailure(message, logText);
}

void RenameRun::processDirectory(const std::string& start, std::int32_t rootNode)
{
    // The starting folder, then every subfolder depth first: a folder stays on the walk while
    // its subfolders are walked, each entered under its name on disk.
    m_walk.clear();
    m_path.clear();
    m_shownPath.clear();
    processFolder(start, AT_FDCWD, 1.0, 0, rootNode);
    while (!m_walk.empty()) {
        if (stopping()) {
            // Nothing more is done in any folder: every undo file is closed already.
            m_walk.clear();
            break;
        }
        auto& top = m_walk.top();
        if (top.next == top.subfolders.size()) {
            leaveFolder();
            continue;
        }
        const int depth = static_cast<int>(m_walk.size()) - 1;
        const std::size_t i = top.next++;
        const FileEntry& e = top.subfolders[i];
        // The log names the folder on disk when its rename moved it.
        if (m_options.log) {
            if (e.newName.empty() || e.newName == e.name)
                logLine(depth, {"+ Recursing into ", e.name});
            else
                logLine(depth, {"+ Recursing into ", e.name, " (now ", e.newName, ")"});
        }
        // A simulation enters a subfolder under its name, a real run under its name on disk.
        // A cancelled simulation may have left later subfolders without a node.
        if (m_options.simulation && i >= top.data.childNodes.size())
            continue;
        const std::string name = m_options.simulation || e.newName.empty() ? e.name : e.newName;
        const std::int32_t node = m_options.simulation ? top.data.childNodes[i] : -1;
        m_path = joinRelative(top.data.path, e.name);
        if (m_options.reportEntries)
            m_shownPath
                = top.data.shownPath + (i < top.data.subNames.size() ? top.data.subNames[i] : e.name) + "/";
        processFolder(name, top.fd.get(), top.data.subShare, depth + 1, node);
    }
}

void RenameRun::leaveFolder()
{
    // The folder above may have been let go to keep the descriptors bounded: ".." of the
    // folder just left leads back to it, unless a folder was moved meanwhile.
    const SysError e = m_walk.pop();
    if (!e)
        return;
    // Going on elsewhere could rename outside the tree: the run stops, as designed for a
    // parent folder that cannot be made current again.
    m_result.stopped = true;
    m_result.ioError = "Cannot change to directory: " + m_walk.top().name + ": "
        + (e == ESTALE ? std::string("it was moved during the run") : e.text());
    m_host.showMessage(m_result.ioError);
    m_walk.clear();
}

bool RenameRun::processFolder(
    const std::string& folder, int parentFd, double share, int depth, std::int32_t node)
{
    // 1. Enter the folder.
    Fd dir = enterFolder(folder, parentFd, depth);
    if (!dir.valid())
        return false;
    const Shares shares = splitShare(share, m_options.recurse, m_options.renameDirs);
    // 2. List it: one read gives the subfolders, the files and every other name, which the
    //    plan must know as well since they hold their names.
    //    A folder that cannot be read to its end is left as it is: a part of its names is no
    //    ground to validate new names on.
    FileEntryList dirs;
    FileEntryList files;
    NameList others;
    if (const SysError e = m_lister.listFolder(dir.get(), m_mask, m_needs, dirs, files, &others)) {
        ++m_result.foldersNotRead;
        reportFolderLeftOut("Cannot read directory: " + folder, depth, e);
        return false;
    }
    m_result.hiddenLeftOut += static_cast<std::int32_t>(m_lister.hiddenLeftOut());
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
    // The subfolders' names after the run, for the paths of the entries reported below them.
    std::vector<std::string> subNames;
    if (m_options.reportEntries && m_options.recurse) {
        subNames.reserve(m_plan.dirCount());
        for (std::size_t i = 0; i < m_plan.dirCount(); ++i) {
            const bool moved = m_options.simulation
                ? m_plan.verdict(i) == Verdict::Renamed
                : i < m_dirOnDisk.size() && m_dirOnDisk[i] == OnDisk::NewName;
            subNames.emplace_back(moved ? m_plan.newName(i) : m_plan.entry(i).name);
        }
    }
    // The subfolders are entered under the names they have on disk now. The rest of the plan
    // goes before they are walked, so the memory of a run is bounded by its largest folder.
    FileEntryList subfolders = m_plan.takeDirs();
    for (std::size_t i = 0; i < subfolders.size(); ++i) {
        FileEntry& d = subfolders[i];
        const OnDisk at = i < m_dirOnDisk.size() ? m_dirOnDisk[i] : OnDisk::OldName;
        if (m_options.simulation || !m_options.renameDirs)
            d.newName.clear();
        else if (at == OnDisk::OldName)
            d.newName = d.name;
        else if (at == OnDisk::Temporary)
            d.newName = m_plan.temporaryName();
    }
    m_plan = RenamePlan();
    // 5. Its undo file is closed before any subfolder is entered.
    closeUndoFile(folder);
    // 6. Down into its subfolders.
    if (m_options.recurse && !stopping())
        goDown(std::move(dir), folder, std::move(subfolders), std::move(childNodes), std::move(subNames),
            shares.recursion);
    return true;
}

Fd RenameRun::enterFolder(const std::string& folder, int parentFd, int depth)
{
    // The starting folder may be reached through a link; a subfolder never is (links are files).
    if (m_options.log)
        logLine(depth, {"> Changing to ", folder});
    Fd dir = openFolder(parentFd, folder, depth == 0);
    if (!dir.valid()) {
        ++m_result.foldersNotEntered;
        reportFolderLeftOut("Cannot change to directory: " + folder, depth, dir.error());
        return dir;
    }
    m_folder = folder;
    m_depth = depth;
    m_host.showCurrentFolder(folder);
    if (m_options.resetCounter) {
        m_session.counterValue = m_options.counterStart;
        m_session.counterSpent = false;
    }
    // The undo file is made at the folder's first rename (giveName), so a folder where nothing
    // is renamed keeps the one it had.
    m_undoState = UndoState::NotMade;
    return dir;
}

void RenameRun::reportFolderLeftOut(const std::string& message, int depth, SysError reason)
{
    // A simulation's errors are the entries it marks; a real run counts every failure.
    if (!m_options.simulation)
        ++m_session.stats.errorCount;
    const std::string logText = "! " + message + ": " + reason.text();
    if (m_options.log)
        logLine(depth, {logText});
    m_host.showFailure(message, logText);
}

namespace
{

/// A name of the listing with an ASCII letter whose case-swapped twin the listing does not
/// hold, to find out whether the folder folds case: found on disk, the twin is the name itself.
std::string_view probeName(const FileEntryList& dirs, const FileEntryList& files, const NameList& others)
{
    const auto hasLetter = [](std::string_view name) {
        return std::any_of(name.begin(), name.end(),
            [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); });
    };
    const auto listed = [&](std::string_view name) {
        for (const FileEntryList* list : {&dirs, &files}) {
            for (const FileEntry& e : *list) {
                if (e.name == name)
                    return true;
            }
        }
        for (std::size_t i = 0; i < others.size(); ++i) {
            if (others[i] == name)
                return true;
        }
        return false;
    };
    // A few candidates at most: each costs a pass over the listing. A name held in both
    // cases proves the file system compares bytes, but a twin listed is no probe.
    int candidates = 0;
    std::string twin;
    const auto usable = [&](std::string_view name) {
        if (!hasLetter(name) || ++candidates > 4)
            return false;
        twin.assign(name);
        for (char& c : twin)
            c = (c >= 'a' && c <= 'z')   ? static_cast<char>(c - 32)
                : (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32)
                                         : c;
        return !listed(twin);
    };
    for (const FileEntryList* list : {&dirs, &files}) {
        for (const FileEntry& e : *list) {
            if (candidates > 4)
                return {};
            if (usable(e.name))
                return e.name;
        }
    }
    for (std::size_t i = 0; i < others.size() && candidates <= 4; ++i) {
        if (usable(others[i]))
            return others[i];
    }
    return {};
}

} // namespace

RenamePlan::Options planOptionsOf(const RunOptions& options)
{
    RenamePlan::Options o;
    o.renameDirs = options.renameDirs;
    o.sort = options.sort;
    o.sortOrder = options.sortOrder;
    o.naturalSort = options.naturalSort;
    // A simulation checks names against the undo file's rules all the same, as Go would.
    o.undo = options.undo;
    return o;
}

NameCase nameCaseOf(NameCaseRule rule, int dirFd, const FileEntryList& dirs, const FileEntryList& files,
    const NameList& others)
{
    switch (rule) {
    case NameCaseRule::Exact:
        return NameCase::Exact;
    case NameCaseRule::Folding:
        return NameCase::Folding;
    case NameCaseRule::Detect:
        break;
    }
    return detectNameCase(dirFd, probeName(dirs, files, others));
}

int planStartingFolder(const RunOptions& options, const std::vector<Job>& jobs, RenamePlan& plan,
    const NameCollator* collator, const FolderNames* manual, RenamePlan::Options* used)
{
    plan = RenamePlan();
    const Fd dir = openFolder(AT_FDCWD, options.startFolder, true);
    if (!dir.valid())
        return dir.error().code();
    RenamePlan::Options planOptions = planOptionsOf(options);
    ListingNeeds needs;
    needs.dates = options.sort
        && (options.sortOrder == SortOrder::DateAsc || options.sortOrder == SortOrder::DateDesc);
    needs.hidden = options.hidden;
    FileEntryList dirs;
    FileEntryList files;
    NameList others;
    FolderLister lister;
    if (const SysError e = lister.listFolder(dir.get(), maskOf(options), needs, dirs, files, &others))
        return e.code();
    planOptions.nameCase = nameCaseOf(options.nameCase, dir.get(), dirs, files, others);
    planOptions.dirFd = dir.get();
    planOptions.folderName = folderNameOf(options.startFolder);
    if (!collator && options.sort
        && (options.sortOrder == SortOrder::NameAsc || options.sortOrder == SortOrder::NameDesc))
        collator = &NameCollator::user(options.naturalSort);
    // The counter starts where a run's starts: a run begins with the counter at its start.
    std::int32_t counter = options.counterStart;
    plan.setManualNames(manual);
    plan.compute(std::move(dirs), std::move(files), std::move(others), planOptions, jobs, counter);
    if (used)
        *used = planOptions;
    return 0;
}

void RenameRun::planFolder(int dirFd, FileEntryList dirs, FileEntryList files, NameList others)
{
    // The listing as designed: the subfolders as found, then sorted; the files' lines wait
    // until the run comes to the files.
    if (m_options.log) {
        for (const FileEntry& e : dirs)
            logLine(m_depth, {"- Added directory ", e.displayText()});
        if (m_options.sort)
            logLine(m_depth, {"+ Sorting directories..."});
        m_fileLines.clear();
        for (const FileEntry& e : files)
            m_fileLines.push_back("- Added file " + e.displayText());
    }
    m_filesListed = false;
    m_planOptions.nameCase = nameCaseOf(m_options.nameCase, dirFd, dirs, files, others);
    m_planOptions.dirFd = dirFd;
    m_planOptions.folderName = folderNameOf(m_folder);
    m_plan.setListing(std::move(dirs), std::move(files), std::move(others));
    m_plan.sort(m_planOptions, m_collator);
    m_plan.setManualNames(m_manual ? m_manual->find(m_path) : nullptr);
    // The questions come in listing order, before anything is renamed; once the run is to
    // stop, nobody is asked any more and nothing is renamed. In a folder left by an
    // interrupted run nothing is renamed, so nothing is asked either.
    RenamePlan::Confirm confirm;
    if (m_options.confirm && m_plan.leftover().empty()) {
        confirm = [this](const FileEntry& e, EntryKind kind, std::string_view newName) {
            if (stopping())
                return RenamePlan::Answer::Stop;
            return confirmRename(e.name, newName, kind == EntryKind::Folder) ? RenamePlan::Answer::Yes
                                                                             : RenamePlan::Answer::No;
        };
    }
    m_plan.name(m_session.jobs, m_session.counterValue, m_planOptions, confirm, &m_session.counterSpent);
    m_plan.validate(m_planOptions);
    m_plan.order();
    countToRename();
}

void RenameRun::countToRename()
{
    // The totals grow by what this plan will rename or find failing, before anything is
    // renamed (the next progress step reports them); the entries nobody was asked about (the
    // run stopped) are not counted.
    RunStats& stats = m_session.stats;
    for (std::size_t i = 0; i < m_plan.size(); ++i) {
        if (!m_plan.named(i))
            continue;
        const Verdict verdict = m_plan.verdict(i);
        if (verdict == Verdict::Renamed
            || (verdict == Verdict::Failed && m_plan.failure(i) != Failure::Interrupted))
            ++(m_plan.kind(i) == EntryKind::Folder ? stats.foldersToRename : stats.filesToRename);
    }
}

void RenameRun::listFiles()
{
    if (m_filesListed)
        return;
    m_filesListed = true;
    if (m_options.log) {
        for (const std::string& line : m_fileLines)
            logLine(m_depth, {line});
        if (m_options.sort)
            logLine(m_depth, {"+ Sorting files..."});
    }
    std::vector<std::string>().swap(m_fileLines);
    m_fileStep = entryStep(m_plan.size() - m_plan.dirCount(), m_filesShare);
}

double RenameRun::entryStep(std::size_t count, double share)
{
    if (count == 0) {
        addProgress(share);
        return 0.0;
    }
    return share / static_cast<double>(count);
}

void RenameRun::reportInterrupted()
{
    // One message for the folder; its entries then fail without one each (a simulation marks
    // them, and counts them as its errors).
    const std::string& leftover = m_plan.leftover();
    if (leftover.empty())
        return;
    const std::string message = interruptedRunMessage(m_folder, leftover);
    const std::string logText = "! " + m_folder + " holds a file left by an interrupted run (" + leftover
        + "); nothing in this directory is renamed";
    if (m_options.simulation) {
        if (m_options.log)
            logLine(m_depth, {logText});
        m_host.showFailure(message, logText);
    } else {
        reportFailure(m_depth, message, logText);
    }
}

std::vector<std::int32_t> RenameRun::showPlan(std::int32_t node, double dirShare)
{
    reportInterrupted();
    const bool renameDirs = m_options.renameDirs;
    const double dirStep = renameDirs ? entryStep(m_plan.dirCount(), dirShare) : 0.0;
    std::vector<std::int32_t> childNodes;
    childNodes.reserve(m_plan.dirCount());
    RunStats& stats = m_session.stats;
    for (std::size_t i = 0; i < m_plan.size(); ++i) {
        const bool folder = m_plan.kind(i) == EntryKind::Folder;
        if (!folder && !m_filesListed) {
            if (stopping())
                break;
            listFiles();
        }
        if (stopping())
            break;
        const FileEntry& e = m_plan.entry(i);
        const Verdict verdict = m_plan.verdict(i);
        if (m_options.log) {
            logLine(m_depth, {folder ? "* Renaming directory " : "* Renaming file ", e.name});
            // The new name on a line of its own, so that the line before stays as it always was.
            if (verdict == Verdict::Renamed || verdict == Verdict::Failed)
                logLine(m_depth, {"* New name ", m_plan.newName(i)});
        }
        // Counted as the real run would count it: examined when named, renamed when it would be.
        if (m_plan.named(i)) {
            ++(folder ? stats.foldersExamined : stats.filesExamined);
            if (verdict == Verdict::Renamed)
                ++(folder ? stats.foldersRenamed : stats.filesRenamed);
        }
        ResultState state = ResultState::Unchanged;
        std::string reason;
        if (verdict == Verdict::Failed) {
            state = ResultState::Error;
            reason = m_plan.reason(i);
            ++(m_plan.refused(i) ? m_result.namesRefused : m_result.clashes);
            ++stats.errorCount;
        } else if (verdict != Verdict::Unchanged) {
            state = ResultState::Renamed;
        }
        const std::int32_t child
            = m_tree->addPlannedNode(node, e.name, m_plan.newName(i), m_plan.kind(i), state, reason);
        if (m_plan.named(i))
            reportEntry(static_cast<std::uint32_t>(i), verdict, reason);
        if (folder) {
            childNodes.push_back(child);
            if (m_options.log)
                logLine(m_depth, {"* Added Tree Index ", std::to_string(m_tree->indexInParent(child))});
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

void RenameRun::makePlan(int dirFd, double dirShare, bool answeredOnly)
{
    // A real run touches the subfolders only when it renames them.
    const bool renameDirs = m_options.renameDirs;
    const double dirStep = renameDirs ? entryStep(m_plan.dirCount(), dirShare) : 0.0;
    m_dirOnDisk.assign(m_plan.dirCount(), OnDisk::OldName);
    m_atTemporary = kNoEntry;
    m_failedEarly = kNoEntry;
    if (!answeredOnly)
        reportInterrupted();
    const std::vector<PlanStep>& steps = m_plan.steps();
    for (std::size_t k = 0; k < steps.size(); ++k) {
        const PlanStep& step = steps[k];
        const bool folder = m_plan.kind(step.entry) == EntryKind::Folder;
        if (folder && !renameDirs)
            continue;
        // An entry the walk stopped before has no step.
        if (!m_plan.named(step.entry))
            continue;
        // Cancel waits while a member of a cycle has the temporary name, and for the renames
        // answered before it came; an undo file that cannot be written does not.
        const bool halt = m_result.stopped || (!answeredOnly && m_atTemporary == kNoEntry && stopping());
        if (halt) {
            // The entries left are counted, so the summary says how far the run came.
            for (std::size_t r = k; r < steps.size(); ++r) {
                const PlanStep& left = steps[r];
                if (!left.toTemporary && m_plan.named(left.entry)
                    && (renameDirs || m_plan.kind(left.entry) == EntryKind::File))
                    ++m_result.notReached;
            }
            break;
        }
        if (!folder && !m_filesListed)
            listFiles();
        if (step.toTemporary) {
            moveToTemporary(dirFd, step.entry);
            continue;
        }
        renameEntry(dirFd, step.entry);
        addProgress(folder ? dirStep : m_fileStep);
    }
    // Stopped in the middle of a cycle: the member at the temporary name goes back, as the
    // undo file (which cannot be written any more) expects.
    if (m_atTemporary != kNoEntry)
        moveBack(dirFd, m_atTemporary, false);
    if (!stopping())
        listFiles();
}

void RenameRun::moveToTemporary(int dirFd, std::uint32_t entry)
{
    const FileEntry& e = m_plan.entry(entry);
    const bool folder = m_plan.kind(entry) == EntryKind::Folder;
    const std::string& temporary = m_plan.temporaryName();
    if (m_options.log) {
        logLine(m_depth,
            {folder ? "* Renaming directory " : "* Renaming file ", e.name, " to a temporary name ",
                temporary, " (cycle)"});
    }
    if (m_options.undo && m_undoState == UndoState::Failed)
        return;
    const SysError error = giveName(dirFd, e.name, temporary, folder, true);
    if (!error) {
        m_atTemporary = entry;
        ++m_result.cycles;
        return;
    }
    // The member keeps its name (the undo file's failure is reported already); its own step
    // has nothing left to try.
    m_failedEarly = entry;
    if (m_result.stopped || m_undoState == UndoState::Failed)
        return;
    reportRenameFailure(e.name + " to a temporary name " + temporary, error.text());
    reportEntry(entry, Verdict::Failed, error.text());
}

void RenameRun::renameEntry(int dirFd, std::uint32_t entry)
{
    const FileEntry& e = m_plan.entry(entry);
    const bool folder = m_plan.kind(entry) == EntryKind::Folder;
    RunStats& stats = m_session.stats;
    const Verdict planned = m_plan.verdict(entry);
    if (m_options.log) {
        logLine(m_depth, {folder ? "* Renaming directory " : "* Renaming file ", e.name});
        if (planned == Verdict::Renamed || planned == Verdict::Failed)
            logLine(m_depth, {"* New name ", m_plan.newName(entry)});
    }
    switch (planned) {
    case Verdict::Unchanged:
        break;
    case Verdict::Declined:
        reportEntry(entry, Verdict::Declined, {});
        break;
    case Verdict::Failed: {
        // A failure the plan foresaw: nothing is tried. A folder left by an interrupted run
        // was reported once.
        if (m_plan.failure(entry) == Failure::Interrupted)
            break;
        const std::string_view newName = m_plan.newName(entry);
        m_to.assign(e.name);
        if (m_plan.failure(entry) != Failure::JobFailed)
            m_to.append(" to ").append(newName);
        const std::string reason = m_plan.reason(entry);
        reportRenameFailure(m_to, reason);
        reportEntry(entry, Verdict::Failed, reason);
        break;
    }
    case Verdict::Renamed: {
        // A folder without its undo file is left alone; a failed move to the temporary name
        // was reported already.
        if (entry == m_failedEarly)
            break;
        if (m_options.undo && m_undoState == UndoState::Failed) {
            reportEntry(entry, Verdict::Failed, "no undo file in this folder");
            break;
        }
        const bool fromTemporary = entry == m_atTemporary;
        m_from = fromTemporary ? m_plan.temporaryName() : e.name;
        m_to.assign(m_plan.newName(entry));
        const SysError error
            = giveName(dirFd, m_from, m_to, folder, true, !fromTemporary && m_plan.caseOnly(entry));
        if (!error) {
            ++(folder ? stats.foldersRenamed : stats.filesRenamed);
            if (folder)
                m_dirOnDisk[entry] = OnDisk::NewName;
            if (fromTemporary)
                m_atTemporary = kNoEntry;
            reportEntry(entry, Verdict::Renamed, {});
            break;
        }
        // A late failure: the target was taken, or the entry went, after the plan was made.
        reportEntry(entry, Verdict::Failed, error.text());
        if (m_result.stopped || m_undoState == UndoState::Failed)
            break;
        reportRenameFailure(
            (fromTemporary ? m_from + " (" + e.name + ")" : m_from) + " to " + m_to, error.text());
        if (fromTemporary)
            moveBack(dirFd, entry, true);
        break;
    }
    }
    ++(folder ? stats.foldersExamined : stats.filesExamined);
}

void RenameRun::moveBack(int dirFd, std::uint32_t entry, bool record)
{
    m_atTemporary = kNoEntry;
    const FileEntry& e = m_plan.entry(entry);
    const bool folder = m_plan.kind(entry) == EntryKind::Folder;
    const std::string& temporary = m_plan.temporaryName();
    if (m_options.log) {
        logLine(
            m_depth, {folder ? "* Renaming directory " : "* Renaming file ", temporary, " back to ", e.name});
    }
    // Recorded like every step; when the undo file cannot take it, the entry goes back all the
    // same, and the undo file's last pair then names a rename that undo finds undone.
    const bool wasStopped = m_result.stopped;
    SysError error = giveName(dirFd, temporary, e.name, folder, record && !wasStopped);
    if (error && !wasStopped && m_result.stopped)
        error = renameNoReplace(dirFd, temporary, e.name, folder);
    if (!error)
        return;
    if (folder)
        m_dirOnDisk[entry] = OnDisk::Temporary;
    ++m_result.renameFailures;
    reportFailure(m_depth,
        "Cannot rename " + temporary + " back to " + e.name + ". " + e.name + " is now named " + temporary
            + ". Operation will continue",
        "! Cannot rename " + temporary + " back to " + e.name + ": " + error.text() + "; " + e.name
            + " is now named " + temporary);
}

void RenameRun::closeUndoFile(const std::string& folder)
{
    // At most one undo file is open at a time. A failure to sync or close it stops the run like
    // a failed write.
    if (!m_undoFile.isOpen())
        return;
    const SysError e = m_undoFile.close();
    if (e && !m_result.stopped)
        stopOnUndoFailure(folder, e);
}

void RenameRun::goDown(Fd dir, const std::string& folder, FileEntryList dirs,
    std::vector<std::int32_t> childNodes, std::vector<std::string> subNames, double share)
{
    if (m_options.log)
        logLine(m_depth, {"+ Recursing Directories..."});
    if (dirs.empty()) {
        addProgress(share);
        return;
    }
    // The subfolders are walked from the folder's place on the walk, each under its name on
    // disk; only the deepest folders stay open.
    const double subShare = share / static_cast<double>(dirs.size());
    m_walk.push(std::move(dir), folder, std::move(dirs),
        {std::move(childNodes), subShare, m_path, m_shownPath, std::move(subNames)});
}

bool RenameRun::makeUndoFile(int dirFd, int depth)
{
    const SysError e = m_undoFile.create(dirFd);
    if (!e) {
        m_undoState = UndoState::Open;
        return true;
    }
    // Nothing may be renamed without its record: the folder is left as it is, and the run
    // goes on with the rest of the tree.
    m_undoState = UndoState::Failed;
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

bool RenameRun::confirmRename(const std::string& oldName, std::string_view newName, bool folder)
{
    std::string question = folder ? "Rename directory \"" : "Rename file \"";
    question.append(oldName).append("\" to \"").append(newName).append("\"?");
    return m_host.askYesNo(question, Question::ConfirmRename);
}

SysError RenameRun::giveName(
    int dirFd, const std::string& from, const std::string& to, bool folder, bool record, bool caseOnly)
{
    bool recorded = false;
    if (record && m_options.undo) {
        // 1. The folder's first rename makes its undo file; a target that is plainly taken
        //    fails first, so an earlier undo file is not given up for nothing.
        if (m_undoState == UndoState::Failed)
            return EINVAL;
        if (m_undoState == UndoState::NotMade) {
            // (A change of case only is the entry's own name, whatever the lookup says.)
            if (const SysError taken = caseOnly ? SysError() : targetTaken(dirFd, from, to))
                return taken;
            if (!makeUndoFile(dirFd, m_depth))
                return EINVAL;
        }
        // 2. The pair goes to the undo file before the rename is made: a run killed between
        //    the two leaves a record of a rename that never happened, which undo passes over,
        //    never a rename that no undo file knows.
        if (const SysError w = m_undoFile.add(to, from)) {
            stopOnUndoFailure(m_folder, w);
            return w;
        }
        recorded = true;
    }
    // 3. Rename, never over another entry. A change of letter case only, on a file system that
    //    folds case, is the entry's own name: the plan found no other entry holding it.
    const SysError e = caseOnly && m_planOptions.nameCase != NameCase::Exact
        ? renameCaseOnly(dirFd, from, to, folder, true)
        : renameNoReplace(dirFd, from, to, folder);
    // 4. A failed rename takes its pair back; if even that fails, the file no longer matches
    //    the folder and the run stops.
    if (e && recorded) {
        if (const SysError t = m_undoFile.takeBack())
            stopOnUndoFailure(m_folder, t);
    }
    return e;
}

void RenameRun::reportRenameFailure(std::string_view what, std::string_view reason)
{
    ++m_result.renameFailures;
    std::string logText = "! Cannot rename ";
    logText.append(what).append(": ").append(reason);
    std::string message = logText.substr(2);
    message.append(". Operation will continue");
    reportFailure(m_depth, message, logText);
}

void RenameRun::reportEntry(std::uint32_t entry, Verdict verdict, std::string_view reason)
{
    if (!m_options.reportEntries)
        return;
    EntryOutcome outcome;
    outcome.folder = m_shownPath;
    outcome.oldName = m_plan.entry(entry).name;
    outcome.newName = m_plan.newName(entry);
    outcome.kind = m_plan.kind(entry);
    outcome.verdict = verdict;
    outcome.reason = reason;
    m_host.entryDone(outcome);
}

} // namespace brindle
