#include "gui/app/MainWindow.h"

#include <sys/stat.h>

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QShowEvent>
#include <QSpinBox>
#include <QComboBox>
#include <QCheckBox>
#include <QRadioButton>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <utility>

#include "gui/folders/NewNamePreview.h"
#include "gui/app/RunWindows.h"
#include "gui/folders/FolderViews.h"
#include "core/base/AppDir.h"
#include "core/base/AppInfo.h"
#include "core/base/FileIo.h"
#include "core/base/Numbers.h"
#include "core/joblist/JobListFile.h"
#include "gui/joblist/EncodingDialog.h"
#include "gui/jobs/InsertJobDialog.h"
#include "gui/jobs/CaseJobDialog.h"
#include "gui/jobs/CounterJobDialog.h"
#include "gui/jobs/RemoveJobDialog.h"
#include "gui/jobs/ReplaceJobDialog.h"
#include "ui_MainWindow.h"

namespace brindle
{

namespace
{

constexpr const char* kMsgSelectJobFirst = "Please select a job first.";

bool entryExists(const std::string& path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

QString jobRowText(const Job& job)
{
    return bytesToText(job.description());
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
    m_openDir = m_env.appDir;
    m_saveDir = m_env.appDir;

    connect(ui->cmExit, &QAction::triggered, this, &MainWindow::cmExitClick);
    connect(ui->cmOpenJobList, &QAction::triggered, this, &MainWindow::cmOpenJobListClick);
    connect(ui->cmSaveJobList, &QAction::triggered, this, &MainWindow::cmSaveJobListClick);
    connect(ui->cmCharacterEncoding, &QAction::triggered, this, &MainWindow::cmCharacterEncodingClick);

    connect(ui->btnLower, &QToolButton::clicked, this, &MainWindow::btnLowerClick);
    connect(ui->btnUpper, &QToolButton::clicked, this, &MainWindow::btnUpperClick);
    connect(ui->btnNormal, &QToolButton::clicked, this, &MainWindow::btnNormalClick);
    connect(ui->btnInsert, &QToolButton::clicked, this, &MainWindow::btnInsertClick);
    connect(ui->btnRemoveChars, &QToolButton::clicked, this, &MainWindow::btnRemoveCharsClick);
    connect(ui->btnReplace, &QToolButton::clicked, this, &MainWindow::btnReplaceClick);
    connect(ui->btnCounter, &QToolButton::clicked, this, &MainWindow::btnCounterClick);
    connect(ui->btnEdit, &QToolButton::clicked, this, &MainWindow::btnEditClick);
    connect(ui->btnRemove, &QToolButton::clicked, this, &MainWindow::btnRemoveClick);
    connect(ui->btnUp, &QToolButton::clicked, this, &MainWindow::btnUpClick);
    connect(ui->btnDown, &QToolButton::clicked, this, &MainWindow::btnDownClick);
    connect(ui->btnExample, &QToolButton::clicked, this, &MainWindow::btnExampleClick);

    connect(ui->chkSimulation, &QCheckBox::toggled, this, &MainWindow::chkSimulationClick);
    connect(ui->chkSort, &QCheckBox::toggled, this, &MainWindow::chkSortClick);

    connect(ui->btnGo, &QPushButton::clicked, this, &MainWindow::btnGoClick);
    connect(ui->btnUndo, &QPushButton::clicked, this, &MainWindow::btnUndoClick);
    connect(ui->cmLogWindow, &QAction::triggered, this, &MainWindow::cmLogWindowClick);
    connect(ui->cmBrindlewickInSendTo, &QAction::triggered, this, &MainWindow::cmBrindlewickInSendToClick);
    connect(ui->cmQuickHelpHTML, &QAction::triggered, this, &MainWindow::cmQuickHelpHTMLClick);
    connect(ui->cmZemloSoftware, &QAction::triggered, this, &MainWindow::cmZemloSoftwareClick);
    connect(ui->cmAbout, &QAction::triggered, this, &MainWindow::cmAboutClick);

    connect(ui->btnLargeIcons, &QToolButton::clicked, this, &MainWindow::btnLargeIconsClick);
    connect(ui->btnSmallIcons, &QToolButton::clicked, this, &MainWindow::btnSmallIconsClick);
    connect(ui->btnList, &QToolButton::clicked, this, &MainWindow::btnListClick);
    connect(ui->btnDetails, &QToolButton::clicked, this, &MainWindow::btnDetailsClick);
    connect(ui->btnBack, &QToolButton::clicked, this, &MainWindow::btnBackClick);
    connect(ui->imgRefresh, &QToolButton::clicked, this, &MainWindow::imgRefreshClick);
    connect(ui->stv, &FolderTreeView::pathChanged, this, &MainWindow::stvChange);
    connect(ui->slv, &FileListView::clicked, this, &MainWindow::slvClick);
    connect(ui->slv, &FileListView::folderOpened, this, &MainWindow::slvFolderOpened);
    connect(ui->slv, &FileListView::itemRenamed, this, &MainWindow::slvItemRenamed);
    connect(ui->slv, &FileListView::renameFailed, this, &MainWindow::slvRenameFailed);
    // The list sorts names as the run does.
    connect(ui->chkNaturalSort, &QCheckBox::toggled, ui->slv, &FileListView::setNaturalOrder);

    // The New name column: what Go would do in the folder shown, following every change of the
    // jobs (drawJobs) and of the options below.
    m_preview = new NewNamePreview(ui->slv->listModel(), this);
    ui->slv->listModel()->setNewNameColumnShown(true);
    connect(m_preview, &NewNamePreview::updated, this, [this] { ui->slv->setNote(m_preview->message()); });
    for (QAbstractButton* option : std::initializer_list<QAbstractButton*> {ui->chkRenameDirs, ui->chkSort,
             ui->chkNaturalSort, ui->chkUndo, ui->rbNameASC, ui->rbNameDESC, ui->rbDateASC, ui->rbDateDESC})
        connect(option, &QAbstractButton::toggled, this, &MainWindow::previewInputChanged);
    connect(ui->cmbFileMask, &QComboBox::currentTextChanged, this, &MainWindow::previewInputChanged);
    connect(ui->edtCounter, &QSpinBox::valueChanged, this, &MainWindow::previewInputChanged);
    connect(ui->chkOnlyChanges, &QCheckBox::toggled, ui->slv->listModel(), &FileListModel::setOnlyChanges);

    // The tree's own start: the user's home folder, until the settings or the command line
    // name another. Selected once the list follows the tree, so the list shows it too.
    setTreePath(textToBytes(QDir::homePath()));

    formCreate();
    // The run windows, the log window among them: created hidden after the main window, alive
    // as long as it.
    m_runWindows = std::make_unique<RunWindows>(this, ui->stv, ui->slv);
    previewInputChanged();
}

MainWindow::~MainWindow() = default;

// ---- start and end

void MainWindow::formCreate()
{
    setWindowTitle(QString::fromUtf8(kAppTitle) + QLatin1Char(' ') + QString::fromUtf8(kAppNotice));
    setDirPanelWidth(200);
    initAppSettingsStore(m_ini, m_env.settingsDir);
    m_ini.onMessage = [this](const std::string& text) { showMessage(text); };
    // Each step reports its failure and the next one still runs: a load that stopped on a bad
    // value leaves the values read so far, and those are applied, so that closing does not
    // write the defaults over the whole file.
    if (const Result<void> loaded = m_ini.loadValues(); !loaded.ok())
        showMessage(loaded.error().message);
    m_ini.restoreFormPlacement(*this, true);
    if (const Result<void> applied = loadSettings(); !applied.ok())
        showMessage(applied.error().message);
}

Result<void> MainWindow::loadSettings()
{
    AppOptions o;
    if (Result<void> read = brindle::loadSettings(m_ini, o, m_env.appDir); !read.ok())
        return read;
    ui->chkRecurseDirs->setChecked(o.recurseDirs);
    ui->chkRenameDirs->setChecked(o.renameDirs);
    ui->chkResetCounter->setChecked(o.resetCounter);
    ui->chkSort->setChecked(o.sort);
    ui->chkConfirm->setChecked(o.confirm);
    ui->chkUndo->setChecked(o.undo);
    ui->chkLog->setChecked(o.log);
    ui->chkSimulation->setChecked(o.simulation);
    ui->chkNaturalSort->setChecked(o.naturalSort);
    chkSortClick();
    chkSimulationClick();
    setMaskHistory(o.filemaskHistory);
    ui->cmbFileMask->setEditText(bytesToText(o.filemask));
    // A stored folder that cannot be shown any more is passed over without a word.
    if (!o.path.empty())
        setTreePath(o.path);
    setExampleText(o.example);
    m_openDir = o.openDir;
    m_saveDir = o.saveDir;
    m_encoding = o.encoding;
    ui->edtCounter->setValue(static_cast<std::int32_t>(o.counterStart));
    setViewStyle(static_cast<int>(o.viewStyle));
    setDirPanelWidth(static_cast<int>(o.stvWidth));
    return {};
}

Result<void> MainWindow::saveSettings()
{
    AppOptions o;
    o.recurseDirs = ui->chkRecurseDirs->isChecked();
    o.renameDirs = ui->chkRenameDirs->isChecked();
    o.resetCounter = ui->chkResetCounter->isChecked();
    o.sort = ui->chkSort->isChecked();
    o.confirm = ui->chkConfirm->isChecked();
    o.undo = ui->chkUndo->isChecked();
    o.log = ui->chkLog->isChecked();
    o.simulation = ui->chkSimulation->isChecked();
    o.naturalSort = ui->chkNaturalSort->isChecked();
    o.filemask = textToBytes(ui->cmbFileMask->currentText());
    o.filemaskHistory = maskHistory();
    o.path = selectedPath();
    o.example = exampleText();
    o.openDir = m_openDir;
    o.saveDir = m_saveDir;
    o.encoding = m_encoding;
    o.counterStart = counterStart();
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

std::vector<std::string> MainWindow::maskHistory() const
{
    std::vector<std::string> history;
    for (int i = 0; i < ui->cmbFileMask->count(); ++i)
        history.push_back(textToBytes(ui->cmbFileMask->itemText(i)));
    return history;
}

void MainWindow::setMaskHistory(const std::vector<std::string>& history)
{
    // Changing the items must not change the text being typed.
    const QString text = ui->cmbFileMask->currentText();
    ui->cmbFileMask->clear();
    for (const std::string& mask : history)
        ui->cmbFileMask->addItem(bytesToText(mask));
    ui->cmbFileMask->setCurrentIndex(-1);
    ui->cmbFileMask->setEditText(text);
}

void MainWindow::rememberFileMask()
{
    std::vector<std::string> history = maskHistory();
    brindle::rememberFileMask(history, textToBytes(ui->cmbFileMask->currentText()));
    setMaskHistory(history);
}

std::string MainWindow::formName() const
{
    return "frmMain";
}

bool MainWindow::getPlacement(FormPlacement& placement) const
{
    // The normal rectangle, also while the window is minimised or maximised.
    const bool normal = !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    const QRect rect = normal || !normalGeometry().isValid() ? QRect(pos(), size()) : normalGeometry();
    placement.left = rect.x();
    placement.top = rect.y();
    placement.width = rect.width();
    placement.height = rect.height();
    placement.winState = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    return true;
}

void MainWindow::setLeft(std::int32_t left)
{
    move(left, y());
}

void MainWindow::setTop(std::int32_t top)
{
    move(x(), top);
}

void MainWindow::setWidth(std::int32_t width)
{
    resize(width, height());
}

void MainWindow::setHeight(std::int32_t height)
{
    resize(width(), height);
}

void MainWindow::setWindowState(std::int32_t state)
{
    QMainWindow::setWindowState(state == 1 ? Qt::WindowMinimized
            : state == 2                   ? Qt::WindowMaximized
                                           : Qt::WindowNoState);
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown && !event->spontaneous()) {
        m_shown = true;
        // The splitter knows its width only now.
        setDirPanelWidth(m_dirWidth);
        formShow();
    }
}

void MainWindow::formShow()
{
    if (!m_env.args.empty()) {
        const std::string& arg = m_env.args.front();
        // A file opens the tree at its folder, anything else is taken as a folder.
        const std::string folder = isExistingFile(arg) ? folderOf(absolutePath(arg)) : arg;
        if (!setTreePath(folder))
            showMessage("Error setting path: \"" + arg + "\"");
    }
    const std::string kept = keptJobListPath();
    if (entryExists(kept))
        loadKeptJobList(kept);
}

void MainWindow::loadKeptJobList(const std::string& kept)
{
    Result<std::vector<Job>> loaded = loadJobsFromXml(kept);
    if (loaded.ok()) {
        replaceJobs(std::move(loaded).value());
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
    // A run works inside this window's handlers: it is cancelled, and the window closes once
    // the run has ended.
    if (running()) {
        m_runWindows->requestCancel();
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    formClose();
    // Closing always ends the program, whatever could not be saved.
    event->accept();
}

void MainWindow::formClose()
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
    for (const Result<void>& step : {saveSettings(), m_ini.saveValues(), m_ini.saveFormPlacement(*this)}) {
        if (!step.ok())
            report(step.error().message);
    }
    if (!m_keepKeptJobList) {
        if (const Result<void> saved = saveJobListFile(keptJobListPath()); !saved.ok())
            report(saved.error().message);
    }
}

std::string MainWindow::keptJobListPath() const
{
    return m_env.settingsDir + kKeptJobListName;
}

void MainWindow::cmExitClick()
{
    close();
}

void MainWindow::showMessage(const std::string& text)
{
    showMessage(messageText(text));
}

void MainWindow::showMessage(const QString& text)
{
    m_dialogs->showMessage(dialogParent(), text);
}

bool MainWindow::askYesNo(const std::string& text)
{
    return m_dialogs->askYesNo(dialogParent(), messageText(text));
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

void MainWindow::refreshFileList()
{
    ui->slv->refresh();
}

int MainWindow::viewStyle() const
{
    return ui->slv->viewStyle();
}

void MainWindow::setViewStyle(int style)
{
    ui->slv->setViewStyle(style);
}

int MainWindow::dirPanelWidth() const
{
    const QList<int> sizes = ui->Splitter1->sizes();
    return sizes.isEmpty() || !ui->Splitter1->isVisible() ? m_dirWidth : sizes.front();
}

void MainWindow::setDirPanelWidth(int width)
{
    m_dirWidth = std::max(width, ui->pnlDir->minimumWidth());
    // The file panel takes every change of the window's width; the folder panel keeps its own.
    ui->Splitter1->setStretchFactor(0, 0);
    ui->Splitter1->setStretchFactor(1, 1);
    ui->Splitter1->setSizes({m_dirWidth, std::max(1, ui->Splitter1->width() - m_dirWidth)});
}

void MainWindow::btnLargeIconsClick()
{
    setViewStyle(0);
}

void MainWindow::btnSmallIconsClick()
{
    setViewStyle(1);
}

void MainWindow::btnListClick()
{
    setViewStyle(2);
}

void MainWindow::btnDetailsClick()
{
    setViewStyle(3);
}

void MainWindow::btnBackClick()
{
    const std::string& current = ui->slv->folder();
    if (current.empty() || current == "/")
        return;
    const std::size_t slash = current.rfind('/');
    if (slash == std::string::npos)
        return;
    setTreePath(slash == 0 ? std::string("/") : current.substr(0, slash));
}

void MainWindow::imgRefreshClick()
{
    ui->stv->refresh();
}

void MainWindow::stvChange(const std::string& path)
{
    ui->slv->setFolder(path);
}

void MainWindow::slvFolderOpened(const std::string& path)
{
    setTreePath(path);
}

void MainWindow::slvItemRenamed(bool folder)
{
    // The tree is not watched: a folder renamed in the list is shown under its new name there too.
    if (folder)
        ui->stv->refresh();
}

void MainWindow::slvRenameFailed(const QString& message)
{
    showMessage(message);
}

void MainWindow::slvClick()
{
    const std::optional<std::string> name = ui->slv->selectedName();
    if (!name)
        return;
    // The counter goes on from where the last sample, click or run left it.
    setExampleText(m_session.previewName(*name, EntryKind::File));
}

// ---- job list

int MainWindow::selectedRow() const
{
    const QList<QListWidgetItem*> items = ui->lbJobs->selectedItems();
    return items.isEmpty() ? -1 : ui->lbJobs->row(items.front());
}

void MainWindow::selectRow(int row)
{
    if (row < 0 || row >= ui->lbJobs->count()) {
        ui->lbJobs->clearSelection();
        ui->lbJobs->setCurrentRow(-1);
        return;
    }
    ui->lbJobs->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

int MainWindow::requireSelectedRow()
{
    const int row = selectedRow();
    if (row < 0)
        showMessage(QString::fromUtf8(kMsgSelectJobFirst));
    return row;
}

void MainWindow::drawJobs()
{
    QListWidget* lb = ui->lbJobs;
    const int count = static_cast<int>(m_session.jobs.size());
    while (lb->count() > count)
        delete lb->takeItem(lb->count() - 1);
    for (int row = 0; row < count; ++row) {
        const QString text = jobRowText(m_session.jobs[static_cast<std::size_t>(row)]);
        if (row == lb->count())
            lb->addItem(text);
        else if (lb->item(row)->text() != text)
            lb->item(row)->setText(text);
    }
    previewInputChanged();
}

void MainWindow::previewInputChanged()
{
    if (m_preview)
        m_preview->setInput(runOptions(), m_session.jobs);
}

void MainWindow::appendJob(Job job)
{
    m_session.jobs.push_back(std::move(job));
    drawJobs();
}

void MainWindow::replaceJobs(std::vector<Job> jobs)
{
    m_session.jobs = std::move(jobs);
    drawJobs();
    selectRow(-1);
}

void MainWindow::swapRows(int a, int b)
{
    std::swap(m_session.jobs[static_cast<std::size_t>(a)], m_session.jobs[static_cast<std::size_t>(b)]);
    drawJobs();
}

bool MainWindow::addJob(JobType kind)
{
    Job job = Job::create(kind);
    // A case job made here changes every letter; stored job lists keep their A-to-Z jobs.
    if (kind == jobLower || kind == jobUpper || kind == jobNormal)
        job.int1 = 1;
    if (!editJob(job))
        return false;
    appendJob(std::move(job));
    return true;
}

namespace
{

/// Loads the job into a dialog of its kind, runs it and stores it back on OK; prepare, when
/// given, connects the dialog to the window first.
template <typename Dialog>
bool runJobDialog(
    IUserDialogs& dialogs, QWidget* parent, Job& job, const std::function<void(Dialog&)>& prepare = {})
{
    Dialog dialog(parent);
    if (prepare)
        prepare(dialog);
    dialog.loadJob(job);
    if (dialogs.execDialog(dialog) != QDialog::Accepted)
        return false;
    dialog.storeJob(job);
    return true;
}

} // namespace

bool MainWindow::editJob(Job& job)
{
    switch (job.jobType) {
    case jobLower:
    case jobUpper:
    case jobNormal:
        return runJobDialog<CaseJobDialog>(*m_dialogs, this, job);
    case jobInsert:
        return runJobDialog<InsertJobDialog>(*m_dialogs, this, job);
    case jobRemove:
        return runJobDialog<RemoveJobDialog>(*m_dialogs, this, job);
    case jobReplace:
        return runJobDialog<ReplaceJobDialog>(*m_dialogs, this, job, [this](ReplaceJobDialog& dialog) {
            dialog.showMessage
                = [this](QWidget* parent, const QString& text) { m_dialogs->showMessage(parent, text); };
            dialog.showRegexHelp = [this] { openHelpPage(QStringLiteral("regex")); };
        });
    case jobCounter:
        return runJobDialog<CounterJobDialog>(*m_dialogs, this, job);
    default:
        return false;
    }
}

void MainWindow::btnLowerClick()
{
    addJob(jobLower);
}

void MainWindow::btnUpperClick()
{
    addJob(jobUpper);
}

void MainWindow::btnNormalClick()
{
    addJob(jobNormal);
}

void MainWindow::btnInsertClick()
{
    addJob(jobInsert);
}

void MainWindow::btnRemoveCharsClick()
{
    addJob(jobRemove);
}

void MainWindow::btnReplaceClick()
{
    addJob(jobReplace);
}

void MainWindow::btnCounterClick()
{
    addJob(jobCounter);
}

void MainWindow::btnEditClick()
{
    const int row = requireSelectedRow();
    if (row < 0)
        return;
    if (editJob(m_session.jobs[static_cast<std::size_t>(row)]))
        drawJobs();
}

void MainWindow::btnRemoveClick()
{
    const int row = requireSelectedRow();
    if (row < 0)
        return;
    m_session.jobs.erase(m_session.jobs.begin() + row);
    drawJobs();
    const int count = ui->lbJobs->count();
    selectRow(count == 0 ? -1 : std::min(row, count - 1));
}

void MainWindow::btnUpClick()
{
    const int row = requireSelectedRow();
    if (row <= 0)
        return;
    swapRows(row, row - 1);
    selectRow(row - 1);
}

void MainWindow::btnDownClick()
{
    const int row = requireSelectedRow();
    if (row < 0 || row >= ui->lbJobs->count() - 1)
        return;
    swapRows(row, row + 1);
    selectRow(row + 1);
}

std::string MainWindow::exampleText() const
{
    return m_exampleTexts.bytes(ui->edtExample, ui->edtExample->text());
}

void MainWindow::setExampleText(const std::string& bytes)
{
    ui->edtExample->setText(m_exampleTexts.show(ui->edtExample, bytes));
}

std::int32_t MainWindow::counterStart() const
{
    return parseInt32(ui->edtCounter->cleanText().trimmed().toStdString()).value_or(0);
}

void MainWindow::btnExampleClick()
{
    m_session.counterValue = counterStart();
    setExampleText(m_session.previewName(exampleText(), EntryKind::File));
}

// ---- options

void MainWindow::chkSimulationClick()
{
    const bool simulation = ui->chkSimulation->isChecked();
    ui->chkUndo->setEnabled(!simulation);
    ui->chkConfirm->setEnabled(!simulation);
    ui->btnGo->setText(simulation ? QStringLiteral("&Simulate") : QStringLiteral("&Go"));
}

void MainWindow::chkSortClick()
{
    const bool sort = ui->chkSort->isChecked();
    for (QRadioButton* rb : {ui->rbNameASC, ui->rbNameDESC, ui->rbDateASC, ui->rbDateDESC})
        rb->setEnabled(sort);
    ui->chkNaturalSort->setEnabled(sort);
    // Sorted before processing, the list shows the run's order, so the counter runs down it.
    ui->slv->setRunOrder(sort);
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
    replaceJobs(std::move(loaded).value());
    return true;
}

Result<void> MainWindow::saveJobListFile(const std::string& fileName)
{
    return saveJobsToXml(fileName, m_session.jobs, m_encoding);
}

void MainWindow::cmOpenJobListClick()
{
    const QString chosen
        = m_dialogs->chooseOpenFile(this, jobListDialog("Load Job List from XML file", m_openDir));
    if (chosen.isEmpty())
        return;
    const std::string fileName = textToBytes(chosen);
    loadJobListFile(fileName);
    m_openDir = folderOf(fileName);
}

void MainWindow::cmSaveJobListClick()
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
    if (entryExists(fileName) && !askYesNo(std::string(kMsgFileExistsOverwrite)))
        return;
    // The writer replaces the file only once the new one is complete.
    if (const Result<void> saved = saveJobListFile(fileName); !saved.ok())
        showMessage(saved.error().message);
    m_saveDir = folderOf(fileName);
}

void MainWindow::cmCharacterEncodingClick()
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
