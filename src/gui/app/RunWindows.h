#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <memory>
#include <string_view>

#include "core/run/RunHost.h"

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

/// The windows of a run and of an undo, and what the main window lends them: the progress
/// window (made at the first run), the log window (made hidden with the main window and alive as
/// long as it), the simulated result (made by a simulation, gone when closed), the log lines on
/// their way to the log window, the request to cancel, and the folder tree and file list, which
/// a run changes under them. The main window owns one; a run or an undo reaches it through a
/// WindowRunHost.
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

    /// Whether a run is going on; set by the main window around it.
    bool running() const { return m_running; }
    void setRunning(bool running) { m_running = running; }
    void requestCancel() { m_cancelRequested = true; }
    bool cancelRequested() const { return m_cancelRequested; }
    /// The window message boxes belong to: the progress window while a run works (it stays on
    /// top and would hide them otherwise), else the main window.
    QWidget* dialogParent() const;

    /// A run begins: the progress window shown with Cancel, the file list stopped from reading
    /// (a simulation stops it only while it still reads its folder), a cancel request left from
    /// before cleared, and in a simulation the result window made or reused for tree.
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
    QWidget* m_owner;
    FolderTreeView* m_folders;
    FileListView* m_files;
    QPointer<ProgressWindow> m_progress;
    LogWindow* m_log = nullptr;
    QPointer<ResultTreeWindow> m_tree;
    QStringList m_logPending;
    bool m_running = false;
    bool m_cancelRequested = false;
    bool m_filesSuspended = false;
};

/// The main window's side of one run or one undo: message boxes and questions through the
/// window's dialogs, everything else through its run windows; the busy cursor. Progress and the
/// log are brought up to date at most about 60 times a second, the final counts always.
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
    void processEvents() override;
    bool cancelRequested() override;
    void runFinished(const RunResult& result, const RunStats& stats, const ResultTree* tree) override;
    void undoStarted() override;
    void undoFinished(const UndoResult& result) override;

    /// Brings the progress window and the log window up to date.
    void flush();

private:
    /// A Yes/No question, whatever its kind; true for Yes.
    bool ask(std::string_view text);
    void setCursor(Qt::CursorShape shape);
    void restoreCursor();

    RunWindows& m_windows;
    IUserDialogs& m_dialogs;
    std::function<void()> m_saveSettings;
    std::shared_ptr<ResultTree> m_tree;
    bool m_log = false;
    bool m_cursorSet = false;
    RunStats m_stats;
    bool m_statsPending = false;
    bool m_started = false;
    bool m_finished = false;
    // Failures of this run or undo, and whether the rest are still shown in message boxes.
    int m_failures = 0;
    bool m_askedAboutFailures = false;
    bool m_showFailures = true;
    bool m_failuresLogged = false;
    QElapsedTimer m_clock;
};

} // namespace brindle
