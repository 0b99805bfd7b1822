// The main window's run: Go and Undo with the options of the controls, the log window, and Send To.

#include <QAction>
#include <QTimer>

#include <exception>
#include <string>
#include <string_view>

#include "app/URunWindows.h"
#include "app/UfrmMain.h"
#include "desktop/USendTo.h"
#include "run/URenameRun.h"
#include "run/UfrmLog.h"
#include "run/UfrmProgress.h"
#include "run/UfrmTree.h"
#include "ui_UfrmMain.h"

namespace brindle
{

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
    return m_runWindows->Progress();
}

TfrmLog* TfrmMain::LogWindow() const
{
    return m_runWindows->Log();
}

TfrmTree* TfrmMain::TreeWindow() const
{
    return m_runWindows->Tree();
}

bool TfrmMain::Running() const
{
    return m_runWindows->Running();
}

void TfrmMain::setRunControlsEnabled(bool enabled)
{
    // The job panel (jobs, options, Go, Undo, the sample), the folder tree and the file list
    // (which can rename in place), and loading another job list.
    ui->pnlMain->setEnabled(enabled);
    ui->Splitter1->setEnabled(enabled);
    ui->cmOpenJobList->setEnabled(enabled);
}

void TfrmMain::btnGoClick()
{
    if (Running())
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

    m_runWindows->SetRunning(true);
    setRunControlsEnabled(false);
    {
        TWindowRunHost host(
            *m_runWindows, *m_dialogs, [this] { WriteSettings(); }, tree);
        try {
            RunRename(m_session, host, options, tree.get());
        } catch (const std::exception& e) {
            // Nothing the run throws may escape into Qt; the windows are put right below.
            host.flush();
            if (ProgressWindow())
                ProgressWindow()->EndRun();
            showMessage(std::string(e.what()));
        }
    }
    m_runWindows->SetRunning(false);
    setRunControlsEnabled(true);
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TfrmMain::btnUndoClick()
{
    if (Running())
        return;
    TWindowRunHost host(*m_runWindows, *m_dialogs, nullptr, nullptr);
    try {
        // "Recurse into subdirectories" undoes the whole tree of a recursive run.
        if (ui->chkRecurseDirs->isChecked())
            UndoTree(SelectedPath(), host);
        else
            UndoFolder(SelectedPath(), host);
    } catch (const std::exception& e) {
        showMessage(std::string(e.what()));
    }
}

void TfrmMain::cmLogWindowClick()
{
    m_runWindows->ShowLog();
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
