// The main window's run: Go and Undo, the progress, log and result windows, and Send To.

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <exception>
#include <string>
#include <string_view>

#include "app/USendTo.h"
#include "app/UShellViews.h"
#include "app/UfrmMain.h"
#include "run/URenameRun.h"
#include "run/UfrmLog.h"
#include "run/UfrmProgress.h"
#include "run/UfrmTree.h"
#include "ui_UfrmMain.h"

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

QString decodeText(std::string_view bytes)
{
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

} // namespace

/// The main window's side of a run and of an undo: message boxes and questions through the
/// window's dialogs, the progress window, the log window, the result tree, the busy cursor.
/// One lives for one run or one undo.
class TWindowRunHost final : public IRunHost
{
public:
    TWindowRunHost(TfrmMain& win, std::shared_ptr<TResultTree> tree)
        : m_win(win)
        , m_tree(std::move(tree))
    {
    }

    ~TWindowRunHost() override
    {
        restoreCursor();
        // A run that did not reach its end (an exception) still gives the file list back.
        if (m_listSuspended && !m_finished)
            m_win.RefreshFileList();
    }

    TWindowRunHost(const TWindowRunHost&) = delete;
    TWindowRunHost& operator=(const TWindowRunHost&) = delete;

    void showMessage(std::string_view text) override
    {
        flush();
        m_win.showMessage(std::string(text));
    }

    bool askYesNo(std::string_view text, TQuestion) override
    {
        flush();
        return m_win.askYesNo(std::string(text));
    }

    void showFailure(std::string_view message, std::string_view logText) override
    {
        // A box for each of the first few failures; then the user decides whether to see the
        // rest, which would otherwise be one modal box after another.
        if (++m_failures > kFailuresShownUnasked && !m_askedAboutFailures) {
            m_askedAboutFailures = true;
            flush();
            m_showFailures = m_win.askYesNo(std::string(kKeepShowingFailures));
        }
        if (m_showFailures) {
            showMessage(message);
            return;
        }
        // A run's log has the line already when it is on; otherwise it goes there now, so the
        // failures can still be read afterwards.
        if (!m_log) {
            m_win.m_logPending.push_back(decodeText(logText));
            m_failuresLogged = true;
        }
    }

    void logLine(std::string_view line) override { m_win.m_logPending.push_back(decodeText(line)); }

    void runStarted(const TRunOptions& options) override
    {
        m_log = options.log;
        // The options of every run are kept, also when the program ends badly later.
        m_win.WriteSettings();
        if (!m_win.m_frmProgress) {
            m_win.m_frmProgress = new TfrmProgress(&m_win);
            QObject::connect(m_win.m_frmProgress, &TfrmProgress::cancelRequested, &m_win,
                [win = &m_win] { win->m_cancelRequested = true; });
        }
        m_win.m_frmProgress->UpdateProgress(TRunStats {});
        m_win.m_frmProgress->BeginRun();
        // A real run renames what the file list shows, so the list stops reading until the end;
        // a simulation changes nothing and stops it only while it is still reading the folder.
        TShellListView* slv = m_win.ui->slv;
        if (!options.simulation || !slv->isLoaded()) {
            slv->suspend();
            m_listSuspended = true;
        }
        setCursor(Qt::BusyCursor);
        m_win.m_cancelRequested = false;
        if (options.simulation && m_tree) {
            // A result window that is open is reused as it stands, without showing it again.
            if (!m_win.m_frmTree) {
                m_win.m_frmTree = new TfrmTree(&m_win);
                m_win.m_frmTree->show();
                m_win.m_frmProgress->raise();
            }
            m_win.m_frmTree->BeginSimulation(m_tree);
        }
        // The windows appear before the first folder is read.
        QCoreApplication::processEvents();
        m_clock.start();
    }

    void showCurrentFolder(std::string_view folder) override
    {
        if (m_win.m_frmProgress)
            m_win.m_frmProgress->ShowCurrentItem(decodeText(folder));
    }

    void updateProgress(const TRunStats& stats) override
    {
        m_stats = stats;
        m_statsPending = true;
    }

    void processEvents() override
    {
        // Events are handled at every step, but the windows are redrawn at most about 60
        // times a second: a run of 100,000 files would otherwise spend its time painting.
        if (m_clock.hasExpired(kRepaintIntervalMs)) {
            flush();
            m_clock.start();
        }
        QCoreApplication::processEvents();
    }

    bool cancelRequested() override { return m_win.m_cancelRequested; }

    void runFinished(const TRunResult& result, const TRunStats& stats, const TResultTree* tree) override
    {
        (void)result;
        m_finished = true;
        m_stats = stats;
        m_statsPending = true;
        flush();
        // After a simulation the list that was read before is still right.
        if (m_listSuspended)
            m_win.RefreshFileList();
        // The folder tree is not watched: renamed subfolders are shown under their new names.
        if (!tree && stats.FoldersRenamed > 0)
            m_win.ui->stv->refresh();
        restoreCursor();
        if (m_win.m_frmProgress)
            m_win.m_frmProgress->EndRun();
        if (tree && m_win.m_frmTree)
            m_win.m_frmTree->EndSimulation(stats);
        if (m_log || m_failuresLogged)
            m_win.m_frmLog->ShowLog();
    }

    void undoStarted() override { setCursor(Qt::WaitCursor); }

    void undoFinished(const TUndoResult& result) override
    {
        m_win.ui->stv->refresh();
        m_win.RefreshFileList();
        restoreCursor();
        if (m_failuresLogged) {
            m_win.flushLog();
            m_win.m_frmLog->ShowLog();
        }
        m_win.showMessage(result.report);
    }

    /// Brings the progress window and the log window up to date.
    void flush()
    {
        if (m_statsPending && m_win.m_frmProgress) {
            m_win.m_frmProgress->UpdateProgress(m_stats);
            m_statsPending = false;
        }
        m_win.flushLog();
    }

private:
    void setCursor(Qt::CursorShape shape)
    {
        restoreCursor();
        QApplication::setOverrideCursor(shape);
        m_cursorSet = true;
    }

    void restoreCursor()
    {
        if (m_cursorSet) {
            QApplication::restoreOverrideCursor();
            m_cursorSet = false;
        }
    }

    TfrmMain& m_win;
    std::shared_ptr<TResultTree> m_tree;
    bool m_log = false;
    bool m_cursorSet = false;
    TRunStats m_stats;
    bool m_statsPending = false;
    bool m_listSuspended = false;
    bool m_finished = false;
    // Failures of this run or undo, and whether the rest are still shown in message boxes.
    int m_failures = 0;
    bool m_askedAboutFailures = false;
    bool m_showFailures = true;
    bool m_failuresLogged = false;
    QElapsedTimer m_clock;
};

TRunOptions TfrmMain::RunOptions() const
{
    TRunOptions o;
    o.startFolder = SelectedPath();
    o.mask = TextToBytes(ui->cmbFileMask->currentText());
    o.recurse = ui->chkRecurseDirs->isChecked();
    o.renameDirs = ui->chkRenameDirs->isChecked();
    o.resetCounter = ui->chkResetCounter->isChecked();
    o.sort = ui->chkSort->isChecked();
    o.sortOrder = ui->rbNameDESC->isChecked() ? TSortOrder::NameDesc
        : ui->rbDateASC->isChecked()          ? TSortOrder::DateAsc
        : ui->rbDateDESC->isChecked()         ? TSortOrder::DateDesc
                                              : TSortOrder::NameAsc;
    o.naturalSort = ui->chkNaturalSort->isChecked();
    o.confirm = ui->chkConfirm->isChecked();
    o.undo = ui->chkUndo->isChecked();
    o.log = ui->chkLog->isChecked();
    o.simulation = ui->chkSimulation->isChecked();
    o.counterStart = counterStart();
    return o;
}

TfrmProgress* TfrmMain::ProgressWindow() const
{
    return m_frmProgress.data();
}

TfrmTree* TfrmMain::TreeWindow() const
{
    return m_frmTree.data();
}

QWidget* TfrmMain::dialogParent()
{
    if (m_running && m_frmProgress && m_frmProgress->isVisible())
        return m_frmProgress.data();
    return this;
}

void TfrmMain::setRunControlsEnabled(bool enabled)
{
    // The job panel (jobs, options, Go, Undo, the sample), the folder tree and the file list
    // (which can rename in place), and loading another job list.
    ui->pnlMain->setEnabled(enabled);
    ui->Splitter1->setEnabled(enabled);
    ui->cmOpenJobList->setEnabled(enabled);
}

void TfrmMain::flushLog()
{
    if (m_logPending.isEmpty())
        return;
    m_frmLog->AppendLines(m_logPending.join(QLatin1Char('\n')));
    m_logPending.clear();
}

void TfrmMain::btnGoClick()
{
    if (m_running)
        return;
    if (m_session.Jobs.empty()) {
        showMessage(std::string(kNothingToDo));
        return;
    }
    // A job whose regular expression cannot run: said, and nothing starts.
    if (const std::string invalid = m_session.InvalidJobMessage(); !invalid.empty()) {
        showMessage(invalid);
        return;
    }
    RememberFileMask();
    const TRunOptions options = RunOptions();
    std::shared_ptr<TResultTree> tree;
    if (options.simulation)
        tree = std::make_shared<TResultTree>();

    m_running = true;
    setRunControlsEnabled(false);
    {
        TWindowRunHost host(*this, tree);
        try {
            RunRename(m_session, host, options, tree.get());
        } catch (const std::exception& e) {
            // Nothing the run throws may escape into Qt; the windows are put right below.
            host.flush();
            if (m_frmProgress)
                m_frmProgress->EndRun();
            showMessage(std::string(e.what()));
        }
    }
    m_running = false;
    setRunControlsEnabled(true);
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TfrmMain::btnUndoClick()
{
    if (m_running)
        return;
    TWindowRunHost host(*this, nullptr);
    try {
        UndoFolder(SelectedPath(), host);
    } catch (const std::exception& e) {
        showMessage(std::string(e.what()));
    }
}

void TfrmMain::cmLogWindowClick()
{
    flushLog();
    m_frmLog->ShowLog();
}

void TfrmMain::cmBrindlewickInSendToClick()
{
    // The desktop entry and the file managers' menu entries together; without a home folder
    // there is no place for them, reported as a failure.
    const std::string dataHome = GetDataHome();
    const TSendToResult result = PlaceInSendTo(ExecutablePath(), dataHome);
    showMessage(result.ok ? SendToSuccessMessage(result, dataHome)
                          : SendToFailureMessage(result.failedFile, result.reason));
}

} // namespace brindle
