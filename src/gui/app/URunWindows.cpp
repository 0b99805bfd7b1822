#include "app/URunWindows.h"

#include <QApplication>

#include <string>

#include "app/UShellViews.h"
#include "app/UUserDialogs.h"
#include "base/UNameText.h"
#include "run/UResultTree.h"
#include "run/UfrmLog.h"
#include "run/UfrmProgress.h"
#include "run/UfrmTree.h"

namespace brindle
{

namespace
{

/// The progress window and the log are brought up to date at most this often (about 60 times
/// a second); the final counts are always shown.
constexpr qint64 kRepaintIntervalMs = 16;

/// How many failures of one run or undo are shown in a message box before the user is asked
/// whether to go on seeing them.
constexpr int kFailuresShownUnasked = 3;

/// The question asked when a run or an undo meets a failure after kFailuresShownUnasked.
constexpr std::string_view kKeepShowingFailures
    = "More operations have failed. Keep showing a message for each failure?\r\n"
      "(No: the rest go only to the log window and to the final count.)";

} // namespace

// ---- the windows

TRunWindows::TRunWindows(QWidget* owner, TShellTreeView* folders, TShellListView* files)
    : m_owner(owner)
    , m_folders(folders)
    , m_files(files)
    , m_log(new TfrmLog(owner))
{
}

TRunWindows::~TRunWindows() = default;

TfrmProgress* TRunWindows::Progress() const
{
    return m_progress.data();
}

TfrmTree* TRunWindows::Tree() const
{
    return m_tree.data();
}

QWidget* TRunWindows::DialogParent() const
{
    if (m_running && m_progress && m_progress->isVisible())
        return m_progress.data();
    return m_owner;
}

void TRunWindows::BeginRun(const TRunOptions& options, std::shared_ptr<TResultTree> tree)
{
    if (!m_progress) {
        m_progress = new TfrmProgress(m_owner);
        QObject::connect(m_progress, &TfrmProgress::cancelRequested, m_owner, [this] { RequestCancel(); });
    }
    m_progress->UpdateProgress(TRunStats {});
    m_progress->BeginRun();
    // A real run renames what the file list shows, so the list stops reading until the end; a
    // simulation changes nothing and stops it only while it is still reading the folder.
    if (!options.simulation || !m_files->isLoaded()) {
        m_files->suspend();
        m_filesSuspended = true;
    }
    m_cancelRequested = false;
    if (options.simulation && tree) {
        // A result window that is open is reused as it stands, without showing it again.
        if (!m_tree) {
            m_tree = new TfrmTree(m_owner);
            m_tree->show();
            m_progress->raise();
        }
        m_tree->BeginSimulation(std::move(tree));
    }
}

void TRunWindows::ShowCurrentFolder(std::string_view folder)
{
    if (m_progress)
        m_progress->ShowCurrentItem(BytesToText(folder));
}

void TRunWindows::ShowProgress(const TRunStats& stats)
{
    if (m_progress)
        m_progress->UpdateProgress(stats);
}

void TRunWindows::EndRun(const TRunStats& stats, const TResultTree* tree, bool showLog)
{
    // After a simulation the list that was read before is still right.
    RestoreFileList();
    // The folder tree is not watched: renamed subfolders are shown under their new names.
    if (!tree && stats.FoldersRenamed > 0)
        m_folders->refresh();
    if (m_progress)
        m_progress->EndRun();
    if (tree && m_tree)
        m_tree->EndSimulation(stats);
    if (showLog)
        ShowLog();
}

void TRunWindows::EndUndo(bool showLog)
{
    m_folders->refresh();
    m_files->refresh();
    if (showLog)
        ShowLog();
}

void TRunWindows::RestoreFileList()
{
    if (m_filesSuspended) {
        m_filesSuspended = false;
        m_files->refresh();
    }
}

void TRunWindows::AppendLog(std::string_view line)
{
    m_logPending.push_back(BytesToText(line));
}

void TRunWindows::FlushLog()
{
    if (m_logPending.isEmpty())
        return;
    m_log->AppendLines(m_logPending.join(QLatin1Char('\n')));
    m_logPending.clear();
}

void TRunWindows::ShowLog()
{
    FlushLog();
    m_log->ShowLog();
}

// ---- the host of one run or undo

TWindowRunHost::TWindowRunHost(TRunWindows& windows, IUserDialogs& dialogs,
    std::function<void()> saveSettings, std::shared_ptr<TResultTree> tree)
    : m_windows(windows)
    , m_dialogs(dialogs)
    , m_saveSettings(std::move(saveSettings))
    , m_tree(std::move(tree))
{
}

TWindowRunHost::~TWindowRunHost()
{
    restoreCursor();
    // A run that did not reach its end (an exception) still gives the file list back.
    if (!m_finished)
        m_windows.RestoreFileList();
}

void TWindowRunHost::showMessage(std::string_view text)
{
    flush();
    m_dialogs.showMessage(m_windows.DialogParent(), MessageText(text));
}

bool TWindowRunHost::askYesNo(std::string_view text, TQuestion)
{
    return ask(text);
}

bool TWindowRunHost::ask(std::string_view text)
{
    flush();
    return m_dialogs.askYesNo(m_windows.DialogParent(), MessageText(text));
}

void TWindowRunHost::showFailure(std::string_view message, std::string_view logText)
{
    // A box for each of the first few failures; then the user decides whether to see the rest,
    // which would otherwise be one modal box after another.
    if (++m_failures > kFailuresShownUnasked && !m_askedAboutFailures) {
        m_askedAboutFailures = true;
        m_showFailures = ask(kKeepShowingFailures);
    }
    if (m_showFailures) {
        showMessage(message);
        return;
    }
    // A run's log has the line already when it is on; otherwise it goes there now, so the
    // failures can still be read afterwards.
    if (!m_log) {
        m_windows.AppendLog(logText);
        m_failuresLogged = true;
    }
}

void TWindowRunHost::logLine(std::string_view line)
{
    m_windows.AppendLog(line);
}

void TWindowRunHost::runStarted(const TRunOptions& options)
{
    m_log = options.log;
    if (m_saveSettings)
        m_saveSettings();
    m_windows.BeginRun(options, m_tree);
    setCursor(Qt::BusyCursor);
    // The windows appear before the first folder is read.
    QCoreApplication::processEvents();
    m_clock.start();
}

void TWindowRunHost::showCurrentFolder(std::string_view folder)
{
    m_windows.ShowCurrentFolder(folder);
}

void TWindowRunHost::updateProgress(const TRunStats& stats)
{
    m_stats = stats;
    m_statsPending = true;
}

void TWindowRunHost::processEvents()
{
    // Events are handled at every step, but the windows are redrawn at most about 60 times a
    // second: a run of 100,000 files would otherwise spend its time painting.
    if (m_clock.hasExpired(kRepaintIntervalMs)) {
        flush();
        m_clock.start();
    }
    QCoreApplication::processEvents();
}

bool TWindowRunHost::cancelRequested()
{
    return m_windows.CancelRequested();
}

void TWindowRunHost::runFinished(const TRunResult&, const TRunStats& stats, const TResultTree* tree)
{
    m_finished = true;
    m_stats = stats;
    m_statsPending = true;
    flush();
    restoreCursor();
    m_windows.EndRun(stats, tree, m_log || m_failuresLogged);
}

void TWindowRunHost::undoStarted()
{
    setCursor(Qt::WaitCursor);
}

void TWindowRunHost::undoFinished(const TUndoResult& result)
{
    m_finished = true;
    restoreCursor();
    m_windows.EndUndo(m_failuresLogged);
    m_dialogs.showMessage(m_windows.DialogParent(), MessageText(result.report));
}

void TWindowRunHost::flush()
{
    if (m_statsPending) {
        m_windows.ShowProgress(m_stats);
        m_statsPending = false;
    }
    m_windows.FlushLog();
}

void TWindowRunHost::setCursor(Qt::CursorShape shape)
{
    restoreCursor();
    QApplication::setOverrideCursor(shape);
    m_cursorSet = true;
}

void TWindowRunHost::restoreCursor()
{
    if (m_cursorSet) {
        QApplication::restoreOverrideCursor();
        m_cursorSet = false;
    }
}

} // namespace brindle
