#include "gui/app/RunWindows.h"

#include <QApplication>

#include <string>

#include "gui/folders/FileListView.h"
#include "gui/folders/FolderTreeView.h"
#include "gui/app/UserDialogs.h"
#include "gui/base/NameText.h"
#include "core/run/ResultTree.h"
#include "gui/run/LogWindow.h"
#include "gui/run/ProgressWindow.h"
#include "gui/run/ResultTreeWindow.h"

namespace brindle
{

namespace
{

/// How many failures of one run or undo are shown in a message box before the user is asked
/// whether to go on seeing them.
constexpr int kFailuresShownUnasked = 3;

/// The question asked when a run or an undo meets a failure after kFailuresShownUnasked.
constexpr std::string_view kKeepShowingFailures
    = "More operations have failed. Keep showing a message for each failure?\r\n"
      "(No: the rest go only to the log window and to the final count.)";

} // namespace

// ---- the windows

RunWindows::RunWindows(QWidget* owner, FolderTreeView* folders, FileListView* files)
    : m_owner(owner)
    , m_folders(folders)
    , m_files(files)
    , m_log(new LogWindow(owner))
    , m_worker(std::make_unique<RunWorker>())
{
    QObject::connect(m_worker.get(), &RunWorker::finished, m_owner, [this] { workEnded(); });
}

RunWindows::~RunWindows()
{
    // The worker first: it may still call the host.
    m_worker.reset();
}

void RunWindows::start(std::unique_ptr<WindowRunHost> host, bool run, RunWorker::Work work,
    std::function<void()> onStep, std::function<void(const std::string& error)> ended)
{
    if (running())
        return;
    m_host = std::move(host);
    m_ended = std::move(ended);
    m_runWorks = run;
    m_worker->start(*m_host, std::move(work), std::move(onStep));
}

void RunWindows::workEnded()
{
    const std::string error = m_worker->error();
    if (!error.empty()) {
        // Nothing the work throws may escape into Qt; the windows are put right here.
        m_host->flush();
        if (m_progress)
            m_progress->endRun();
    }
    // The cursor restored and the file list given back.
    m_host.reset();
    m_runWorks = false;
    if (const auto ended = std::move(m_ended))
        ended(error);
}

ProgressWindow* RunWindows::progress() const
{
    return m_progress.data();
}

ResultTreeWindow* RunWindows::tree() const
{
    return m_tree.data();
}

QWidget* RunWindows::dialogParent() const
{
    // A question never hides behind the progress window: while that is shown, it is theirs.
    if (m_progress && m_progress->isVisible())
        return m_progress.data();
    return m_owner;
}

void RunWindows::beginRun(const RunOptions& options, std::shared_ptr<ResultTree> tree)
{
    if (!m_progress) {
        m_progress = new ProgressWindow(m_owner);
        QObject::connect(m_progress, &ProgressWindow::cancelRequested, m_owner, [this] { requestCancel(); });
    }
    m_progress->updateProgress(RunStats {});
    m_progress->beginRun();
    // A real run renames what the file list shows, so the list stops reading until the end; a
    // simulation changes nothing and stops it only while it is still reading the folder.
    if (!options.simulation || !m_files->isLoaded()) {
        m_files->suspend();
        m_filesSuspended = true;
    }
    if (options.simulation && tree) {
        // A result window that is open is reused as it stands, without showing it again.
        if (!m_tree) {
            m_tree = new ResultTreeWindow(m_owner);
            m_tree->show();
            m_progress->raise();
        }
        m_tree->beginSimulation(std::move(tree));
    }
}

void RunWindows::showCurrentFolder(std::string_view folder)
{
    if (m_progress)
        m_progress->showCurrentItem(bytesToText(folder));
}

void RunWindows::showProgress(const RunStats& stats)
{
    if (m_progress)
        m_progress->updateProgress(stats);
}

void RunWindows::endRun(const RunStats& stats, const ResultTree* tree, bool withLog)
{
    // After a simulation the list that was read before is still right.
    restoreFileList();
    // The folder tree is not watched: renamed subfolders are shown under their new names.
    if (!tree && stats.foldersRenamed > 0)
        m_folders->refresh();
    if (m_progress)
        m_progress->endRun();
    if (tree && m_tree)
        m_tree->endSimulation(stats);
    if (withLog)
        showLog();
}

void RunWindows::endUndo(bool withLog)
{
    m_folders->refresh();
    m_files->refresh();
    if (withLog)
        showLog();
}

void RunWindows::restoreFileList()
{
    if (m_filesSuspended) {
        m_filesSuspended = false;
        m_files->refresh();
    }
}

void RunWindows::appendLog(std::string_view line)
{
    m_logPending.push_back(bytesToText(line));
}

void RunWindows::flushLog()
{
    if (m_logPending.isEmpty())
        return;
    m_log->appendLines(m_logPending.join(QLatin1Char('\n')));
    m_logPending.clear();
}

void RunWindows::showLog()
{
    flushLog();
    m_log->showLog();
}

// ---- the host of one run or undo

WindowRunHost::WindowRunHost(RunWindows& windows, IUserDialogs& dialogs, std::function<void()> saveSettings,
    std::shared_ptr<ResultTree> tree)
    : m_windows(windows)
    , m_dialogs(dialogs)
    , m_saveSettings(std::move(saveSettings))
    , m_tree(std::move(tree))
{
}

WindowRunHost::~WindowRunHost()
{
    restoreCursor();
    // A run that did not reach its end still gives the file list back.
    if (!m_finished)
        m_windows.restoreFileList();
}

void WindowRunHost::showMessage(std::string_view text)
{
    say(text, MessageKind::Warning);
}

void WindowRunHost::say(std::string_view text, MessageKind kind)
{
    flush();
    m_dialogs.showMessage(m_windows.dialogParent(), messageText(text), kind);
}

bool WindowRunHost::askYesNo(std::string_view text, Question kind)
{
    if (kind == Question::ConfirmUndo && !m_undoQuestion.isEmpty()) {
        flush();
        return m_dialogs.askYesNo(m_windows.dialogParent(), m_undoQuestion);
    }
    return ask(text);
}

bool WindowRunHost::ask(std::string_view text)
{
    flush();
    return m_dialogs.askYesNo(m_windows.dialogParent(), messageText(text));
}

void WindowRunHost::showFailure(std::string_view message, std::string_view logText)
{
    // A box for each of the first few failures; then the user decides whether to see the rest,
    // which would otherwise be one modal box after another.
    if (++m_failures > kFailuresShownUnasked && !m_askedAboutFailures) {
        m_askedAboutFailures = true;
        m_showFailures = ask(kKeepShowingFailures);
    }
    if (m_showFailures) {
        say(message, MessageKind::Error);
        return;
    }
    // A run's log has the line already when it is on; otherwise it goes there now, so the
    // failures can still be read afterwards.
    if (!m_log) {
        m_windows.appendLog(logText);
        m_failuresLogged = true;
    }
}

void WindowRunHost::logLine(std::string_view line)
{
    m_windows.appendLog(line);
}

void WindowRunHost::runStarted(const RunOptions& options)
{
    m_log = options.log;
    if (m_saveSettings)
        m_saveSettings();
    m_windows.beginRun(options, m_tree);
    setCursor(Qt::BusyCursor);
}

void WindowRunHost::showCurrentFolder(std::string_view folder)
{
    m_windows.showCurrentFolder(folder);
}

void WindowRunHost::updateProgress(const RunStats& stats)
{
    m_stats = stats;
    m_statsPending = true;
    flush();
}

void WindowRunHost::runFinished(const RunResult&, const RunStats& stats, const ResultTree* tree)
{
    m_finished = true;
    m_stats = stats;
    m_statsPending = true;
    flush();
    restoreCursor();
    m_windows.endRun(stats, tree, m_log || m_failuresLogged);
}

void WindowRunHost::undoStarted()
{
    setCursor(Qt::WaitCursor);
}

std::string_view WindowRunHost::undoFileHint() const
{
    return "Undo files are written by runs with \"Create Undo file\" checked, one in each folder "
           "where something was renamed.";
}

void WindowRunHost::undoFinished(const UndoResult& result)
{
    m_finished = true;
    restoreCursor();
    m_windows.endUndo(m_failuresLogged);
    m_dialogs.showMessage(m_windows.dialogParent(), messageText(result.report),
        result.errors > 0 ? MessageKind::Warning : MessageKind::Information);
}

void WindowRunHost::flush()
{
    if (m_statsPending) {
        m_windows.showProgress(m_stats);
        m_statsPending = false;
    }
    m_windows.flushLog();
}

void WindowRunHost::setCursor(Qt::CursorShape shape)
{
    restoreCursor();
    QApplication::setOverrideCursor(shape);
    m_cursorSet = true;
}

void WindowRunHost::restoreCursor()
{
    if (m_cursorSet) {
        QApplication::restoreOverrideCursor();
        m_cursorSet = false;
    }
}

} // namespace brindle
