#pragma once

#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/run/RunHost.h"
#include "gui/app/RunWorker.h"
#include "gui/app/UserDialogs.h"

class QWidget;

namespace brindle
{

class IUserDialogs;
class ResultTree;
class FileListView;
class FolderTreeView;
class LogWindow;
class ProgressWindow;
class ResultTreeWindow;
class WindowRunHost;

/// The windows of a run and of an undo, and what the main window lends them: the progress
/// window (made at the first run), the log window (made hidden with the main window and alive as
/// long as it), the simulated result (made by a simulation, gone when closed), the log lines on
/// their way to the log window, the worker a run or an undo works on, and the folder tree and
/// file list, which a run changes under them. The main window owns one; a run or an undo
/// reaches it through a WindowRunHost, from the worker through RunWorker's queued calls.
class RunWindows
{
public:
    /// The windows belong to owner; folders and files are the main window's views.
    RunWindows(QWidget* owner, FolderTreeView* folders, FileListView* files);
    ~RunWindows();
    RunWindows(const RunWindows&) = delete;
    RunWindows& operator=(const RunWindows&) = delete;

    /// The progress window while it is open; null before the first run and after it closed.
    ProgressWindow* progress() const;
    LogWindow* log() const { return m_log; }
    /// The simulated result while it is open; null otherwise.
    ResultTreeWindow* tree() const;

    /// Starts a run (run true) or an undo on the worker, host being the window's side of it and
    /// onStep the worker's seam for tests (RunWorker::start). ended runs on the window's thread
    /// once the work has ended and host is gone, with the text of an exception that ended the
    /// work, or empty. One at a time.
    void start(std::unique_ptr<WindowRunHost> host, bool run, RunWorker::Work work,
        std::function<void()> onStep, std::function<void(const std::string& error)> ended);
    /// Whether a run or an undo works.
    bool running() const { return m_worker->running(); }
    /// Asks the run to stop before its next entry.
    void requestCancel() { m_worker->requestCancel(); }
    /// The window message boxes belong to: the progress window while a run works (it stays on
    /// top and would hide them otherwise), else the main window.
    QWidget* dialogParent() const;

    /// A run begins: the progress window shown with Cancel, the file list stopped from reading
    /// (a simulation stops it only while it still reads its folder), and in a simulation the
    /// result window made or reused for tree.
    void beginRun(const RunOptions& options, std::shared_ptr<ResultTree> tree);
    void showCurrentFolder(std::string_view folder);
    void showProgress(const RunStats& stats);
    /// A run ends: the file list read again, the folder tree too when folders were renamed,
    /// Close in place of Cancel, the simulated result shown (tree not null), the log shown
    /// when asked.
    void endRun(const RunStats& stats, const ResultTree* tree, bool withLog);
    /// An undo ends: the folder tree and the file list read again; the log shown when asked.
    void endUndo(bool withLog);
    /// Gives the file list back to the folder after a run that ended without endRun.
    void restoreFileList();

    /// Keeps a line for the log window; flushLog puts the kept lines there.
    void appendLog(std::string_view line);
    void flushLog();
    /// flushLog and shows the log window.
    void showLog();

private:
    void workEnded();

    QWidget* m_owner;
    FolderTreeView* m_folders;
    FileListView* m_files;
    QPointer<ProgressWindow> m_progress;
    LogWindow* m_log = nullptr;
    QPointer<ResultTreeWindow> m_tree;
    QStringList m_logPending;
    /// Whether the work going on is a run (not an undo).
    bool m_runWorks = false;
    bool m_filesSuspended = false;
    // The work going on: the window's side of it and what comes after it.
    std::unique_ptr<WindowRunHost> m_host;
    std::function<void(const std::string&)> m_ended;
    /// Last: a run still working when the windows go is stopped first.
    std::unique_ptr<RunWorker> m_worker;
};

/// The main window's side of one run or one undo, on the window's thread: message boxes and
/// questions through the window's dialogs, everything else through its run windows; the busy
/// cursor. The calls come from the worker through RunWorker, which hands over the counts and
/// the log at most about 60 times a second; each updateProgress paints them, and the final
/// counts always come with runFinished.
class WindowRunHost final : public IRunHost
{
public:
    /// saveSettings keeps the options of every run, also when the program ends badly later.
    WindowRunHost(RunWindows& windows, IUserDialogs& dialogs, std::function<void()> saveSettings,
        std::shared_ptr<ResultTree> tree);
    ~WindowRunHost() override;
    WindowRunHost(const WindowRunHost&) = delete;
    WindowRunHost& operator=(const WindowRunHost&) = delete;

    void showMessage(std::string_view text) override;
    bool askYesNo(std::string_view text, Question kind) override;
    void showFailure(std::string_view message, std::string_view logText) override;
    void logLine(std::string_view line) override;
    void runStarted(const RunOptions& options) override;
    void showCurrentFolder(std::string_view folder) override;
    void updateProgress(const RunStats& stats) override;
    void runFinished(const RunResult& result, const RunStats& stats, const ResultTree* tree) override;
    void undoStarted() override;
    std::string_view undoFileHint() const override;
    /// The question an undo asks before it starts, in place of the core's (which does not name
    /// the folder); empty: the core's.
    void setUndoQuestion(QString question) { m_undoQuestion = std::move(question); }
    void undoFinished(const UndoResult& result) override;

    /// Brings the progress window and the log window up to date.
    void flush();

private:
    /// A Yes/No question, whatever its kind; true for Yes.
    bool ask(std::string_view text);
    /// A message box of that kind, the counts and the log brought up to date first.
    void say(std::string_view text, MessageKind kind);
    void setCursor(Qt::CursorShape shape);
    void restoreCursor();

    RunWindows& m_windows;
    IUserDialogs& m_dialogs;
    std::function<void()> m_saveSettings;
    std::shared_ptr<ResultTree> m_tree;
    bool m_log = false;
    bool m_cursorSet = false;
    QString m_undoQuestion;
    RunStats m_stats;
    bool m_statsPending = false;
    bool m_started = false;
    bool m_finished = false;
    // Failures of this run or undo, and whether the rest are still shown in message boxes.
    int m_failures = 0;
    bool m_askedAboutFailures = false;
    bool m_showFailures = true;
    bool m_failuresLogged = false;
};

} // namespace brindle
