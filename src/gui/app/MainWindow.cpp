#include "gui/app/MainWindow.h"

#include <sys/stat.h>

#include <QCloseEvent>
#include <QDir>
#include <QLabel>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>
#include <utility>

#include "core/base/AppDir.h"
#include "core/base/AppInfo.h"
#include "core/base/FileIo.h"
#include "core/joblist/JobListFile.h"
#include "gui/app/AboutDialog.h"
#include "core/joblist/RecentJobLists.h"
#include "gui/app/JobListPanel.h"
#include "gui/app/PresetsMenu.h"
#include "gui/app/RunOptionsPanel.h"
#include "gui/app/RunWindows.h"
#include "gui/base/NameText.h"
#include "gui/folders/FileListView.h"
#include "gui/folders/FolderTreeView.h"
#include "gui/folders/NewNamePreview.h"
#include "gui/app/ManualNamesEditor.h"
#include "gui/folders/PlanSummaryBar.h"
#include "gui/joblist/EncodingDialog.h"
#include "ui_MainWindow.h"

namespace brindle
{

namespace
{

bool entryExists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

/// How long after the last change of the jobs, the options or the placement they are saved.
constexpr int kSaveDelayMs = 1000;

/// The user's home folder, where the job list dialogs start before one was used.
std::string homeFolder()
{
    return textToBytes(QDir::homePath());
}

/// The job list kept from one start to the next.
std::string keptJobListIn(const std::string& settingsDir)
{
    return settingsDir + kKeptJobListName;
}

FileDialogOptions jobListDialog(const char* title, const std::string& folder)
{
    // All files: "*" here, since "*.*" would hide every name without a full stop.
    return FileDialogOptions {QString::fromUtf8(title),
        {QStringLiteral("XML files (*.xml)"), QStringLiteral("All Files (*)")}, QStringLiteral("xml"),
        bytesToText(folder)};
}

} // namespace

MainWindow::MainWindow(MainWindowEnv env, QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::MainWindow>())
    , m_env(std::move(env))
    , m_placement(this, kMainFormName)
    , m_help(m_env.appDir, m_env.openUrl, [this](const std::string& text) { showMessage(text); })
{
    if (m_env.dialogs) {
        m_dialogs = m_env.dialogs;
    } else {
        m_ownDialogs = std::make_unique<QtUserDialogs>();
        m_dialogs = m_ownDialogs.get();
    }
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // The job panel is as wide as its controls need in the desktop's font, 334 at least.
    ui->pnlMain->setFixedWidth(std::max(334, ui->pnlMain->sizeHint().width()));
    // The job list dialogs start in the folder used last, else at home: never in the folder of
    // the program, which is a system folder once installed.
    m_openDir = homeFolder();
    m_saveDir = m_openDir;
    setFirstStartSize();
    setAcceptDrops(true);
    // What the jobs make of the sample goes below it, so the sample stays as typed.
    auto* sampleResult = new QLabel(ui->pnlMain);
    sampleResult->setObjectName(QStringLiteral("lblSampleResult"));
    sampleResult->setContentsMargins(6, 0, 6, 6);
    ui->layoutJobPanel->insertWidget(ui->layoutJobPanel->indexOf(ui->layoutExample) + 1, sampleResult);
    ui->layoutExample->setContentsMargins(6, 0, 6, 2);
    // The plan's summary under the file list.
    m_summary = new PlanSummaryBar(ui->slv->listModel(), ui->pnlFiles);
    ui->pnlFiles->layout()->addWidget(m_summary);
    m_saveTimer = new QTimer(this);
    m_saveTimer->setSingleShot(true);
    m_saveTimer->setInterval(kSaveDelayMs);
    connect(m_saveTimer, &QTimer::timeout, this, &MainWindow::saveState);

    m_runOptions = new RunOptionsPanel(
        RunOptionsControls {ui->cmbFileMask, ui->edtCounter, ui->chkRecurseDirs, ui->chkRenameDirs,
            ui->chkResetCounter, ui->chkSort, ui->rbNameASC, ui->rbNameDESC, ui->rbDateASC, ui->rbDateDESC,
            ui->chkNaturalSort, ui->chkConfirm, ui->chkUndo, ui->chkLog, ui->chkSimulation, ui->rbTakenASC,
            ui->rbTakenDESC},
        this);
    m_jobList = new JobListPanel(
        JobListControls {ui->lbJobs, ui->btnLower, ui->btnUpper, ui->btnNormal, ui->btnInsert,
            ui->btnRemoveChars, ui->btnReplace, ui->btnCounter, ui->btnUp, ui->btnDown, ui->btnEdit,
            ui->btnRemove, ui->edtExample, ui->btnExample, sampleResult, ui->btnTemplate},
        m_session, *m_dialogs, this, [this] { return m_runOptions->counterStart(); });
    // The New name column: what Go would do in the folder shown, following every change of the
    // jobs and of the options.
    m_preview = new NewNamePreview(ui->slv->listModel(), this);
    ui->slv->listModel()->setNewNameColumnShown(true);
    m_manualNames = new ManualNamesEditor(ui->slv, m_preview, *m_dialogs, this,
        [this] { return m_runWindows ? m_runWindows->log() : nullptr; });
    addManualNamesMenu();
    connectControls();
    addShortcuts();
    tidyHeaderBarsAndButtons();
    addPresetsAndRecent();

    // The tree's own start: the user's home folder, until the settings or the command line
    // name another. Selected once the list follows the tree, so the list shows it too.
    setTreePath(textToBytes(QDir::homePath()));

    loadSettings();
    // The run windows, the log window among them: created hidden after the main window, alive
    // as long as it.
    m_runWindows = std::make_unique<RunWindows>(this, ui->stv, ui->slv);
    updatePreview();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectControls()
{
    connect(ui->cmExit, &QAction::triggered, this, &QWidget::close);
    connect(ui->cmOpenJobList, &QAction::triggered, this, &MainWindow::openJobList);
    connect(ui->cmSaveJobList, &QAction::triggered, this, &MainWindow::saveJobList);
    connect(ui->cmCharacterEncoding, &QAction::triggered, this, &MainWindow::chooseEncoding);
    connect(ui->cmBrindlewickInSendTo, &QAction::triggered, this, &MainWindow::addToSendTo);
    connect(ui->cmLogWindow, &QAction::triggered, this, [this] { m_runWindows->showLog(); });
    connect(ui->cmQuickHelpHTML, &QAction::triggered, this, [this] { m_help.open(); });
    // The project has no web site: its home is the help page that comes with it.
    ui->cmZemloSoftware->setText(QStringLiteral("Brindlewick &Home Page..."));
    connect(ui->cmZemloSoftware, &QAction::triggered, this, [this] { m_help.open(); });
    connect(ui->cmAbout, &QAction::triggered, this, &MainWindow::showAbout);

    connect(ui->btnGo, &QPushButton::clicked, this, &MainWindow::go);
    connect(ui->btnUndo, &QPushButton::clicked, this, &MainWindow::undo);

    connect(m_jobList, &JobListPanel::jobsChanged, this, &MainWindow::updatePreview);
    connect(m_jobList, &JobListPanel::helpRequested, this,
        [this](const QString& section) { m_help.open(section); });
    connect(m_runOptions, &RunOptionsPanel::changed, this, &MainWindow::updatePreview);
    connect(m_runOptions, &RunOptionsPanel::simulationChanged, ui->btnGo, [this](bool simulation) {
        ui->btnGo->setText(simulation ? QStringLiteral("&Simulate") : QStringLiteral("&Go"));
    });
    // Sorted before processing, the list shows the run's order, so the counter runs down it; and
    // it sorts names as the run does.
    connect(m_runOptions, &RunOptionsPanel::sortChanged, ui->slv, &FileListView::setRunOrder);
    connect(m_runOptions, &RunOptionsPanel::naturalOrderChanged, ui->slv, &FileListView::setNaturalOrder);

    for (const auto& [button, style] : {std::pair {ui->btnLargeIcons, 0}, std::pair {ui->btnSmallIcons, 1},
             std::pair {ui->btnList, 2}, std::pair {ui->btnDetails, 3}})
        connect(
            button, &QToolButton::clicked, ui->slv, [this, style = style] { ui->slv->setViewStyle(style); });
    connect(ui->btnBack, &QToolButton::clicked, this, &MainWindow::showParentFolder);
    connect(ui->imgRefresh, &QToolButton::clicked, ui->stv, &FolderTreeView::refresh);
    connect(ui->stv, &FolderTreeView::pathChanged, ui->slv, &FileListView::setFolder);
    // Names given by hand belong to their folder: dropped, after a question, for another one;
    // kept, the folder stays.
    connect(ui->stv, &FolderTreeView::pathChanged, this, [this](const std::string& path) {
        if (!m_manualNames->folderChanging(path))
            ui->stv->setPath(m_manualNames->folder());
    });
    connect(ui->slv, &FileListView::clicked, this, &MainWindow::showSampleOfSelectedFile);
    connect(ui->slv, &FileListView::folderOpened, ui->stv, &FolderTreeView::setPath);
    // The tree is not watched: a folder renamed in the list is shown under its new name there too.
    connect(ui->slv, &FileListView::itemRenamed, ui->stv, [this](bool folder) {
        if (folder)
            ui->stv->refresh();
    });
    connect(ui->slv, &FileListView::renameFailed, this,
        [this](const QString& text) { showMessage(text, MessageKind::Error); });
    connect(ui->chkOnlyChanges, &QCheckBox::toggled, ui->slv->listModel(), &FileListModel::setOnlyChanges);
    connect(m_preview, &NewNamePreview::updated, this, [this] {
        ui->slv->setNote(m_preview->message());
        m_summary->refresh();
    });
    connect(ui->slv->listModel(), &FileListModel::tableChanged, m_summary, &PlanSummaryBar::refresh);
    connect(ui->stv, &FolderTreeView::pathChanged, this, &MainWindow::updateTitle);
    connect(m_jobList, &JobListPanel::jobsChanged, this, &MainWindow::scheduleSave);
    connect(m_runOptions, &RunOptionsPanel::changed, this, &MainWindow::scheduleSave);
}

// ---- start and end

void MainWindow::loadSettings()
{
    updateTitle();
    setDirPanelWidth(200);
    initAppSettingsStore(m_ini, m_env.settingsDir);
    m_ini.onMessage = [this](const std::string& text) { showMessage(text); };
    // Each step reports its failure and the next one still runs: a load that stopped on a bad
    // value leaves the values read so far, and those are applied, so that closing does not
    // write the defaults over the whole file.
    if (const Result<void> loaded = m_ini.loadValues(); !loaded.ok())
        showMessage(loaded.error().message);
    m_ini.restoreFormPlacement(m_placement, true);
    AppOptions o;
    if (const Result<void> read = brindle::loadSettings(m_ini, o, homeFolder()); !read.ok()) {
        showMessage(read.error().message);
        return;
    }
    m_runOptions->applySettings(o);
    // A stored folder that cannot be shown any more is passed over without a word.
    if (!o.path.empty())
        setTreePath(o.path);
    m_jobList->setSampleText(o.example);
    m_openDir = o.openDir;
    m_saveDir = o.saveDir;
    m_encoding = o.encoding;
    ui->slv->setViewStyle(static_cast<int>(o.viewStyle));
    setDirPanelWidth(static_cast<int>(o.stvWidth));
}

Result<void> MainWindow::saveSettings()
{
    AppOptions o;
    m_runOptions->storeSettings(o);
    o.path = selectedPath();
    o.example = m_jobList->sampleText();
    o.openDir = m_openDir;
    o.saveDir = m_saveDir;
    o.encoding = m_encoding;
    o.viewStyle = viewStyle();
    o.stvWidth = dirPanelWidth();
    return brindle::saveSettings(o, m_ini);
}

bool MainWindow::writeSettings()
{
    Result<void> written = saveSettings();
    if (written.ok())
        written = m_ini.saveValues();
    if (!written.ok())
        showMessage(written.error().message);
    return written.ok();
}

void MainWindow::rememberFileMask()
{
    m_runOptions->rememberMask();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown && !event->spontaneous()) {
        m_shown = true;
        // The splitter knows its width only now.
        setDirPanelWidth(m_dirWidth);
        openStartArguments();
    }
}

void MainWindow::openStartArguments()
{
    if (!m_env.args.empty()) {
        const std::string& arg = m_env.args.front();
        // A file opens the tree at its folder, anything else is taken as a folder.
        const std::string folder = isExistingFile(arg) ? folderOf(absolutePath(arg)) : arg;
        if (!setTreePath(folder))
            showMessage("Error setting path: \"" + arg + "\"");
    }
    const std::string kept = keptJobListIn(m_env.settingsDir);
    if (entryExists(kept))
        loadKeptJobList(kept);
    // From now on a change is saved soon after it is made: a program killed loses nothing.
    m_saveAsYouGo = true;
}

void MainWindow::loadKeptJobList(const std::string& kept)
{
    Result<std::vector<Job>> loaded = loadJobsFromXml(kept);
    if (loaded.ok()) {
        m_jobList->replaceJobs(std::move(loaded).value());
        return;
    }
    // A list that cannot be read now is still the user's: moved aside before the close could
    // write the empty list over it, and the message says where it went.
    const SetAside aside = setAsideUnreadableJobList(kept);
    m_keepKeptJobList = aside.keep;
    showMessage(loaded.error().message);
    showMessage(loadFailureMessage(kept) + (aside.line.empty() ? "" : "\r\n\r\n" + aside.line));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A run or an undo works on the worker: it is cancelled, and the window closes once it
    // has ended.
    if (running()) {
        m_runWindows->requestCancel();
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    saveAtClose();
    // Closing always ends the program, whatever could not be saved.
    event->accept();
}

void MainWindow::saveAtClose()
{
    std::vector<std::string> failures;
    auto report = [&](const std::string& text) {
        // Several steps may fail for one cause (a folder that cannot be written): say it once.
        if (std::find(failures.begin(), failures.end(), text) == failures.end()) {
            failures.push_back(text);
            showMessage(text);
        }
    };
    // The three steps run in this order (a braced list is evaluated left to right), each whatever
    // became of the one before.
    for (const Result<void>& step :
        {saveSettings(), m_ini.saveValues(), m_ini.saveFormPlacement(m_placement)}) {
        if (!step.ok())
            report(step.error().message);
    }
    if (!m_keepKeptJobList) {
        if (const Result<void> saved = saveJobListFile(keptJobListIn(m_env.settingsDir)); !saved.ok())
            report(saved.error().message);
    }
}

void MainWindow::showMessage(const std::string& text, MessageKind kind)
{
    showMessage(messageText(text), kind);
}

void MainWindow::showMessage(const QString& text, MessageKind kind)
{
    m_dialogs->showMessage(dialogParent(), text, kind);
}

QWidget* MainWindow::dialogParent()
{
    // Before the run windows are made (messages of the settings at start-up): this window.
    return m_runWindows ? m_runWindows->dialogParent() : this;
}

// ---- folder tree and file list

std::string MainWindow::selectedPath() const
{
    return ui->stv->path();
}

bool MainWindow::setTreePath(const std::string& path)
{
    return ui->stv->setPath(path);
}

int MainWindow::viewStyle() const
{
    return ui->slv->viewStyle();
}

int MainWindow::dirPanelWidth() const
{
    const QList<int> sizes = ui->splitterFolders->sizes();
    return sizes.isEmpty() || !ui->splitterFolders->isVisible() ? m_dirWidth : sizes.front();
}

void MainWindow::setDirPanelWidth(int width)
{
    m_dirWidth = std::max(width, ui->pnlDir->minimumWidth());
    // The file panel takes every change of the window's width; the folder panel keeps its own.
    ui->splitterFolders->setStretchFactor(0, 0);
    ui->splitterFolders->setStretchFactor(1, 1);
    ui->splitterFolders->setSizes({m_dirWidth, std::max(1, ui->splitterFolders->width() - m_dirWidth)});
}

void MainWindow::showParentFolder()
{
    const std::string& current = ui->slv->folder();
    if (current.empty() || current == "/")
        return;
    const std::size_t slash = current.rfind('/');
    if (slash == std::string::npos)
        return;
    setTreePath(slash == 0 ? std::string("/") : current.substr(0, slash));
}

void MainWindow::showSampleOfSelectedFile()
{
    if (const std::optional<std::string> name = ui->slv->selectedName())
        m_jobList->showSampleOfFile(ui->slv->folder(), *name);
}

// ---- jobs and options

void MainWindow::updatePreview()
{
    if (m_preview)
        m_preview->setInput(runOptions(), m_session.jobs);
}

RunOptions MainWindow::runOptions() const
{
    RunOptions o = m_runOptions->options();
    o.startFolder = selectedPath();
    return o;
}

void MainWindow::showAbout()
{
    AboutDialog about(this);
    m_dialogs->execDialog(about);
}

// ---- job list files and encoding

bool MainWindow::loadJobListFile(const std::string& fileName)
{
    Result<std::vector<Job>> loaded = loadJobsFromXml(fileName);
    if (!loaded.ok()) {
        showMessage(loaded.error().message);
        showMessage(loadFailureMessage(fileName));
        return false;
    }
    m_jobList->replaceJobs(std::move(loaded).value());
    return true;
}

Result<void> MainWindow::saveJobListFile(const std::string& fileName)
{
    return saveJobsToXml(fileName, m_session.jobs, m_encoding);
}

void MainWindow::openJobList()
{
    const QString chosen
        = m_dialogs->chooseOpenFile(this, jobListDialog("Load Job List from XML file", m_openDir));
    if (chosen.isEmpty())
        return;
    const std::string fileName = textToBytes(chosen);
    if (loadJobListFile(fileName)) {
        m_jobListFile = fileName;
        rememberJobListFile(fileName);
    }
    m_openDir = folderOf(fileName);
}

void MainWindow::saveJobListAs()
{
    if (m_session.jobs.empty()) {
        showMessage(std::string(kMsgNothingToSave));
        return;
    }
    const QString chosen
        = m_dialogs->chooseSaveFile(this, jobListDialog("Save Job List as XML file", m_saveDir));
    if (chosen.isEmpty())
        return;
    const std::string fileName = textToBytes(chosen);
    if (entryExists(fileName) && !m_dialogs->askYesNo(dialogParent(), messageText(kMsgFileExistsOverwrite)))
        return;
    // The writer replaces the file only once the new one is complete.
    if (const Result<void> saved = saveJobListFile(fileName); !saved.ok())
        showMessage(saved.error().message);
    else {
        m_jobListFile = fileName;
        rememberJobListFile(fileName);
    }
    m_saveDir = folderOf(fileName);
}

void MainWindow::chooseEncoding()
{
    EncodingDialog dialog(this);
    dialog.selectEncoding(m_encoding);
    dialog.checkEncoding = [this, &dialog](const std::string& name) {
        if (encodingReadsBack(name))
            return true;
        m_dialogs->showMessage(&dialog, messageText(encodingRefusedMessage(name)));
        return false;
    };
    if (m_dialogs->execDialog(dialog) != QDialog::Accepted)
        return;
    m_encoding = dialog.encodingName();
    writeSettings();
}

} // namespace brindle
