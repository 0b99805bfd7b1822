// The main window's shell: its title, its first size, the keys, drag and drop, and the state
// saved as it changes.

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QToolButton>
#include <QTimer>
#include <QUrl>

#include <algorithm>

#include "core/base/AppDir.h"
#include "core/base/AppInfo.h"
#include "core/base/FileIo.h"
#include "core/desktop/SendTo.h"
#include "core/joblist/JobListFile.h"
#include "core/joblist/RecentJobLists.h"
#include "gui/app/PresetsMenu.h"
#include "gui/app/JobListPanel.h"
#include "gui/app/MainWindow.h"
#include "gui/base/DisplayName.h"
#include "gui/base/NameText.h"
#include "gui/folders/FileListModel.h"
#include "gui/folders/FileListView.h"
#include "gui/folders/FolderTreeView.h"
#include "gui/folders/NewNamePreview.h"
#include "gui/folders/PlanSummaryBar.h"
#include "ui_MainWindow.h"

namespace brindle
{

namespace
{

/// The file beside the settings that lists the job list files used last.
constexpr const char* kRecentJobListsName = "brindle_recent_job_lists.txt";

/// The size of a first start: wide enough for the New name column beside the names.
constexpr QSize kFirstStartSize(1100, 700);

/// The bytes of the local file a dropped address names.
std::string localPathOf(const QUrl& url)
{
    if (!url.isLocalFile())
        return {};
    const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return std::string(path.constData(), static_cast<std::size_t>(path.size()));
}

/// The last component of a path without a trailing "/".
std::string lastComponent(const std::string& path)
{
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const std::size_t slash = trimmed.rfind('/');
    return slash == std::string::npos || trimmed == "/" ? trimmed : trimmed.substr(slash + 1);
}

} // namespace

void MainWindow::setFirstStartSize()
{
    QSize size = kFirstStartSize;
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        size = size.boundedTo(available.size());
        resize(size);
        move(available.center() - QPoint(size.width() / 2, size.height() / 2));
        return;
    }
    resize(size);
}

void MainWindow::tidyHeaderBarsAndButtons()
{
    // The controls of the file panel's bar start after its caption: at any width they never
    // cover it. (The folder panel's bar holds one button at its right end, and may be narrower
    // than its caption.)
    QFont bold = ui->lblFileExplorer->font();
    bold.setBold(true);
    const QMargins m = ui->layoutExplorerBar->contentsMargins();
    ui->layoutExplorerBar->setContentsMargins(
        QFontMetrics(bold).horizontalAdvance(ui->lblFileExplorer->text()) + 12, m.top(), m.right(),
        m.bottom());
    for (QToolButton* button : findChildren<QToolButton*>()) {
        if (button->text().isEmpty() && button->accessibleName().isEmpty())
            button->setAccessibleName(button->toolTip());
    }
}

void MainWindow::updateTitle()
{
    const std::string folder = selectedPath();
    const QString app = QString::fromUtf8(kAppName);
    setWindowTitle(
        folder.empty() ? app : nameForDisplay(lastComponent(folder)) + QStringLiteral(" \u2014 ") + app);
}

void MainWindow::addShortcuts()
{
    // The keys every desktop gives these, whatever the platform's own table says.
    ui->cmOpenJobList->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    ui->cmSaveJobList->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    ui->cmExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    ui->cmQuickHelpHTML->setShortcut(QKeySequence(Qt::Key_F1));

    auto* saveAs = new QAction(QStringLiteral("Save Job List &As..."), this);
    saveAs->setObjectName(QStringLiteral("cmSaveJobListAs"));
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(saveAs, &QAction::triggered, this, &MainWindow::saveJobListAs);
    auto* clear = new QAction(QStringLiteral("C&lear Job List"), this);
    clear->setObjectName(QStringLiteral("cmClearJobList"));
    connect(clear, &QAction::triggered, this, &MainWindow::clearJobList);
    // Right after Save, whatever the menu holds further down.
    const QList<QAction*> fileItems = ui->cmFile->actions();
    const qsizetype save = fileItems.indexOf(ui->cmSaveJobList);
    QAction* const next = save >= 0 && save + 1 < fileItems.size() ? fileItems[save + 1] : ui->sepSendTo;
    ui->cmFile->insertAction(next, saveAs);
    ui->cmFile->insertAction(next, clear);

    // Keys of the window without a menu item of their own.
    const auto windowKey = [this](const char* name, const QList<QKeySequence>& keys, auto slot) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
    };
    windowKey("cmRefresh", {QKeySequence(Qt::Key_F5)}, &MainWindow::refreshFolders);
    windowKey(
        "cmGo", {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)}, [this] {
            if (ui->btnGo->isEnabled() && ui->btnGo->isVisible())
                ui->btnGo->click();
        });
    windowKey("cmUndo", {QKeySequence(Qt::CTRL | Qt::Key_Z)}, [this] {
        if (ui->btnUndo->isEnabled() && ui->btnUndo->isVisible())
            ui->btnUndo->click();
    });
}

void MainWindow::refreshFolders()
{
    ui->stv->refresh();
    ui->slv->refresh();
}

void MainWindow::saveJobList()
{
    if (m_jobListFile.empty()) {
        saveJobListAs();
        return;
    }
    if (m_session.jobs.empty()) {
        showMessage(std::string(kMsgNothingToSave));
        return;
    }
    if (const Result<void> saved = saveJobListFile(m_jobListFile); !saved.ok())
        showMessage(saved.error().message);
}

void MainWindow::clearJobList()
{
    if (m_session.jobs.empty())
        return;
    if (!m_dialogs->askYesNo(this, QStringLiteral("Remove every job from the job list?")))
        return;
    m_jobList->clearJobs();
}

bool MainWindow::confirmFailures(const RunOptions& options)
{
    // The plan of the folder shown, when it is the one of the options given now; a plan still
    // being made is not waited for: the run reports its failures itself.
    const FileListModel& model = *ui->slv->listModel();
    if (!m_preview->isCurrent() || model.folder() != options.startFolder)
        return true;
    const QString question = failureQuestion(model);
    return question.isEmpty() || m_dialogs->askYesNo(this, question);
}

// ---- presets and recent job lists

void MainWindow::addPresetsAndRecent()
{
    auto* presetsMenu = new QMenu(QStringLiteral("&Presets"), this);
    presetsMenu->setObjectName(QStringLiteral("cmPresets"));
    menuBar()->insertMenu(ui->cmSettings->menuAction(), presetsMenu);
    const std::string dataHome = m_env.dataHome.empty() ? getDataHome() : m_env.dataHome;
    m_presets = new PresetsMenu(presetsMenu, PresetStore::folderIn(dataHome), *m_dialogs, this,
        PresetsHost {[this]() -> const std::vector<Job>& { return m_session.jobs; },
            [this](std::vector<Job> jobs) { m_jobList->replaceJobs(std::move(jobs)); },
            [this] { return m_encoding; }});

    m_recent = std::make_unique<RecentJobLists>(m_env.settingsDir + kRecentJobListsName);
    m_recent->load();
    m_recentMenu = new QMenu(QStringLiteral("&Recent Job Lists"), this);
    m_recentMenu->setObjectName(QStringLiteral("cmRecentJobLists"));
    ui->cmFile->insertMenu(ui->cmSaveJobList, m_recentMenu);
    rebuildRecentMenu();
}

const std::vector<std::string>& MainWindow::recentJobLists() const
{
    return m_recent->paths();
}

void MainWindow::rememberJobListFile(const std::string& fileName)
{
    (void)m_recent->add(absolutePath(fileName));
    // Drawn afresh once the item that may have called this is done with.
    QTimer::singleShot(0, this, &MainWindow::rebuildRecentMenu);
}

void MainWindow::rebuildRecentMenu()
{
    m_recentMenu->clear();
    int number = 1;
    for (const std::string& path : m_recent->paths()) {
        QString text = nameForDisplay(path);
        text.replace(QLatin1Char('&'), QStringLiteral("&&"));
        QAction* item = m_recentMenu->addAction(QStringLiteral("&%1 %2").arg(number++).arg(text));
        connect(item, &QAction::triggered, this, [this, path] {
            if (running())
                return;
            const std::string file = path;
            if (loadJobListFile(file)) {
                m_jobListFile = file;
                rememberJobListFile(file);
            } else {
                // A file that cannot be read any more leaves the list.
                (void)m_recent->remove(file);
                QTimer::singleShot(0, this, &MainWindow::rebuildRecentMenu);
            }
        });
    }
    m_recentMenu->setEnabled(!m_recent->paths().empty());
}

// ---- drag and drop

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!running() && std::any_of(urls.begin(), urls.end(), [](const QUrl& u) { return u.isLocalFile(); }))
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (std::string path = localPathOf(url); !path.empty())
            paths.push_back(std::move(path));
    }
    if (!running() && openPaths(paths))
        event->acceptProposedAction();
}

bool MainWindow::openPaths(const std::vector<std::string>& paths)
{
    if (paths.empty())
        return false;
    const std::string& first = paths.front();
    if (isExistingFolder(first))
        return setTreePath(first);
    // Files: their folder (the first file's), with the first of them selected.
    const std::string file = absolutePath(first);
    std::string folder = folderOf(file);
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder.empty() || !setTreePath(folder))
        return false;
    ui->slv->selectWhenLoaded(file.substr(file.rfind('/') + 1));
    return true;
}

// ---- the state saved as it changes

void MainWindow::scheduleSave()
{
    if (m_saveAsYouGo && m_saveTimer)
        m_saveTimer->start();
}

void MainWindow::saveState()
{
    if (m_saveTimer)
        m_saveTimer->stop();
    if (!m_saveAsYouGo || running())
        return;
    // Quietly: a folder that cannot be written is said once, at close.
    if (!m_keepKeptJobList)
        (void)saveJobListFile(m_env.settingsDir + kKeptJobListName);
    if (saveSettings().ok() && m_ini.saveValues().ok())
        (void)m_ini.saveFormPlacement(m_placement);
}

void MainWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    scheduleSave();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    scheduleSave();
}

} // namespace brindle
