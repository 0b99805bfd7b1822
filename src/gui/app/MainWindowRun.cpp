// The main window's run: Go and Undo with the options of the controls, the log window, and Send To.

#include <QAction>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>

#include "gui/app/RunWindows.h"
#include "gui/app/MainWindow.h"
#include "gui/app/ManualNamesEditor.h"
#include "gui/app/RunOptionsPanel.h"
#include "core/base/FileIo.h"
#include "core/desktop/SendTo.h"
#include "core/run/UndoFile.h"
#include "gui/base/DisplayName.h"
#include "core/run/RenameRun.h"
#include "gui/run/LogWindow.h"
#include "gui/run/ProgressWindow.h"
#include "gui/run/ResultTreeWindow.h"
#include "ui_MainWindow.h"

namespace brindle
{

namespace
{

/// The question before an undo, naming the folder and how many names go back: counted from the
/// folder's undo file (pairs of lines) for one folder; empty when that file cannot be read (the
/// undo then says why itself).
QString undoQuestion(const std::string& folder, bool tree)
{
    const QString shown = nameForDisplay(folder);
    if (tree) {
        return QStringLiteral("Operation will undo renaming in \"%1\" and in every folder below it.\n"
                              "Then it will remove %2 from each of them. Continue?")
            .arg(
                shown, QString::fromUtf8(kUndoFileName.data(), static_cast<qsizetype>(kUndoFileName.size())));
    }
    std::string content;
    if (readWholeFile(folder + "/" + std::string(kUndoFileName), content).failed())
        return {};
    const auto lines = std::count(content.begin(), content.end(), '\n')
        + (content.empty() || content.back() == '\n' ? 0 : 1);
    const auto names = lines / 2;
    return QStringLiteral("Operation will undo renaming in \"%1\": %2 %3 back to what %4 before.\n"
                          "Then it will remove %5 from this directory. Continue?")
        .arg(shown)
        .arg(names)
        .arg(names == 1 ? QStringLiteral("name goes") : QStringLiteral("names go"),
            names == 1 ? QStringLiteral("it was") : QStringLiteral("they were"),
            QString::fromUtf8(kUndoFileName.data(), static_cast<qsizetype>(kUndoFileName.size())));
}

} // namespace

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
    const std::shared_ptr<const ManualNames> manual = m_manualNames->runNames();
    if (m_session.jobs.empty() && !manual) {
        showMessage(std::string(kNothingToDo));
        return;
    }
    // A job whose regular expression cannot run: said, and nothing starts.
    if (const std::string invalid = m_session.invalidJobMessage(); !invalid.empty()) {
        showMessage(invalid);
        return;
    }
    const RunOptions options = runOptions();
    if (!options.simulation && !confirmFailures(options))
        return;
    rememberFileMask();
    std::shared_ptr<ResultTree> tree;
    if (options.simulation)
        tree = std::make_shared<ResultTree>();
    // The run works on a copy of the session, which nothing on the window's thread touches
    // meanwhile; the counter and the counts come back at its end.
    auto session = std::make_shared<RenameSession>(m_session);
    auto host = std::make_unique<WindowRunHost>(
        *m_runWindows, *m_dialogs, [this] { writeSettings(); }, tree);
    setRunControlsEnabled(false);
    // The run reports its own failures through the host; the core throws nothing.
    m_runWindows->start(
        std::move(host), true,
        [session, options, tree, manual](
            IRunHost& worker) { runRename(*session, worker, options, tree.get(), manual.get()); },
        m_env.runStep,
        [this, session, simulation = options.simulation, manual](const std::string& error) {
            m_session.counterValue = session->counterValue;
            m_session.counterSpent = session->counterSpent;
            m_session.stats = session->stats;
            // The names given by hand were for the old names: done once Go made them.
            if (manual && !simulation)
                m_manualNames->runDone();
            workEnded(error);
        });
}

void MainWindow::undo()
{
    if (running())
        return;
    // "Recurse into subdirectories" undoes the whole tree of a recursive run. Undo reports its
    // own failures through the host.
    const bool tree = m_runOptions->recurse();
    auto host = std::make_unique<WindowRunHost>(*m_runWindows, *m_dialogs, nullptr, nullptr);
    host->setUndoQuestion(undoQuestion(selectedPath(), tree));
    setRunControlsEnabled(false);
    m_runWindows->start(
        std::move(host), false,
        [tree, folder = selectedPath()](IRunHost& host) {
            if (tree)
                undoTree(folder, host);
            else
                undoFolder(folder, host);
        },
        m_env.runStep, [this](const std::string& error) { workEnded(error); });
}

void MainWindow::workEnded(const std::string& error)
{
    // Nothing escapes the worker: what it threw all the same (no memory left) is said once
    // the windows are put right.
    if (!error.empty())
        showMessage(error);
    setRunControlsEnabled(true);
    emit runEnded();
    if (m_closeAfterRun) {
        m_closeAfterRun = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void MainWindow::addManualNamesMenu()
{
    const auto add = [this](const char* name, const QString& text, void (ManualNamesEditor::*slot)()) {
        auto* action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        ui->cmFile->insertAction(ui->sepSendTo, action);
        connect(action, &QAction::triggered, m_manualNames, slot);
        return action;
    };
    QAction* first = add(
        "cmEditNewNamesAsText", QStringLiteral("Edit New Names as Text..."), &ManualNamesEditor::editAsText);
    add("cmImportNewNames", QStringLiteral("Import New Names..."), &ManualNamesEditor::importList);
    add("cmExportPlan", QStringLiteral("Export Plan..."), &ManualNamesEditor::exportPlan);
    ui->cmFile->insertSeparator(first);
}

void MainWindow::addToSendTo()
{
    // The desktop entry and the file managers' menu entries together; without a home folder
    // there is no place for them, reported as a failure.
    const std::string dataHome = getDataHome();
    const Result<std::vector<std::string>> written = placeInSendTo(executablePath(), dataHome);
    if (written.ok())
        showMessage(sendToSuccessMessage(written.value(), dataHome), MessageKind::Information);
    else
        showMessage(written.error().message, MessageKind::Error);
}

} // namespace brindle
