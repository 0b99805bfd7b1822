// The main window's run: Go and Undo with the options of the controls, the log window, and Send To.

#include <QAction>
#include <QTimer>

#include <string>
#include <string_view>

#include "gui/app/RunWindows.h"
#include "gui/app/MainWindow.h"
#include "gui/app/RunOptionsPanel.h"
#include "core/desktop/SendTo.h"
#include "core/run/RenameRun.h"
#include "gui/run/LogWindow.h"
#include "gui/run/ProgressWindow.h"
#include "gui/run/ResultTreeWindow.h"
#include "ui_MainWindow.h"

namespace brindle
{

ProgressWindow* MainWindow::progressWindow() const
{
    return m_runWindows->progress();
}

LogWindow* MainWindow::logWindow() const
{
    return m_runWindows->log();
}

ResultTreeWindow* MainWindow::treeWindow() const
{
    return m_runWindows->tree();
}

bool MainWindow::running() const
{
    return m_runWindows->running();
}

void MainWindow::setRunControlsEnabled(bool enabled)
{
    // The job panel (jobs, options, Go, Undo, the sample), the folder tree and the file list
    // (which can rename in place), and loading another job list.
    ui->pnlMain->setEnabled(enabled);
    ui->splitterFolders->setEnabled(enabled);
    ui->cmOpenJobList->setEnabled(enabled);
}

void MainWindow::go()
{
    if (running())
        return;
    if (m_session.jobs.empty()) {
        showMessage(std::string(kNothingToDo));
        return;
    }
    // A job whose regular expression cannot run: said, and nothing starts.
    if (const std::string invalid = m_session.invalidJobMessage(); !invalid.empty()) {
        showMessage(invalid);
        return;
    }
    rememberFileMask();
    const RunOptions options = runOptions();
    std::shared_ptr<ResultTree> tree;
    if (options.simulation)
        tree = std::make_shared<ResultTree>();

    m_runWindows->setRunning(true);
    setRunControlsEnabled(false);
    {
        WindowRunHost host(
            *m_runWindows, *m_dialogs, [this] { writeSettings(); }, tree);
        // The run reports its own failures through the host; the core throws nothing.
        runRename(m_session, host, options, tree.get());
    }
    m_runWindows->setRunning(false);
    setRunControlsEnabled(true);
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void MainWindow::undo()
{
    if (running())
        return;
    WindowRunHost host(*m_runWindows, *m_dialogs, nullptr, nullptr);
    // "Recurse into subdirectories" undoes the whole tree of a recursive run. Undo reports its
    // own failures through the host.
    if (m_runOptions->recurse())
        undoTree(selectedPath(), host);
    else
        undoFolder(selectedPath(), host);
}

void MainWindow::addToSendTo()
{
    // The desktop entry and the file managers' menu entries together; without a home folder
    // there is no place for them, reported as a failure.
    const std::string dataHome = getDataHome();
    const Result<std::vector<std::string>> written = placeInSendTo(executablePath(), dataHome);
    showMessage(written.ok() ? sendToSuccessMessage(written.value(), dataHome) : written.error().message);
}

} // namespace brindle
