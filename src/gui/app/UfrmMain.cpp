#include "app/UfrmMain.h"

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
#include <exception>
#include <functional>
#include <initializer_list>
#include <utility>

#include "app/UNewNamePreview.h"
#include "app/URunWindows.h"
#include "app/UShellViews.h"
#include "base/UAppDir.h"
#include "base/UAppInfo.h"
#include "base/UErrors.h"
#include "base/UFileUtil.h"
#include "base/UNumbers.h"
#include "joblist/UJobIO.h"
#include "joblist/UfrmXMLEncoding.h"
#include "jobs/UfrmAddDetails.h"
#include "jobs/UfrmCaseDetails.h"
#include "jobs/UfrmCounterDetails.h"
#include "jobs/UfrmRemoveDetails.h"
#include "jobs/UfrmReplaceDetails.h"
#include "ui_UfrmMain.h"

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

QString jobRowText(const TJob& job)
{
    return BytesToText(job.Description());
}

TFileDialogOptions jobListDialog(const char* title, const std::string& folder)
{
    // All files: "*" here, since "*.*" would hide every name without a full stop.
    return TFileDialogOptions {QString::fromUtf8(title),
        {QStringLiteral("XML files (*.xml)"), QStringLiteral("All Files (*)")}, QStringLiteral("xml"),
        BytesToText(folder)};
}

} // namespace

TfrmMain::TfrmMain(TMainWindowEnv env, QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::TfrmMain>())
    , m_env(std::move(env))
{
    if (m_env.dialogs) {
        m_dialogs = m_env.dialogs;
    } else {
        m_ownDialogs = std::make_unique<TQtUserDialogs>();
        m_dialogs = m_ownDialogs.get();
    }
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    // The job panel is as wide as its controls need in the desktop's font, 334 at least.
    ui->pnlMain->setFixedWidth(std::max(334, ui->pnlMain->sizeHint().width()));
    m_openDir = m_env.appDir;
    m_saveDir = m_env.appDir;

    connect(ui->cmExit, &QAction::triggered, this, &TfrmMain::cmExitClick);
    connect(ui->cmOpenJobList, &QAction::triggered, this, &TfrmMain::cmOpenJobListClick);
    connect(ui->cmSaveJobList, &QAction::triggered, this, &TfrmMain::cmSaveJobListClick);
    connect(ui->cmCharacterEncoding, &QAction::triggered, this, &TfrmMain::cmCharacterEncodingClick);

    connect(ui->btnLower, &QToolButton::clicked, this, &TfrmMain::btnLowerClick);
    connect(ui->btnUpper, &QToolButton::clicked, this, &TfrmMain::btnUpperClick);
    connect(ui->btnNormal, &QToolButton::clicked, this, &TfrmMain::btnNormalClick);
    connect(ui->btnInsert, &QToolButton::clicked, this, &TfrmMain::btnInsertClick);
    connect(ui->btnRemoveChars, &QToolButton::clicked, this, &TfrmMain::btnRemoveCharsClick);
    connect(ui->btnReplace, &QToolButton::clicked, this, &TfrmMain::btnReplaceClick);
    connect(ui->btnCounter, &QToolButton::clicked, this, &TfrmMain::btnCounterClick);
    connect(ui->btnEdit, &QToolButton::clicked, this, &TfrmMain::btnEditClick);
    connect(ui->btnRemove, &QToolButton::clicked, this, &TfrmMain::btnRemoveClick);
    connect(ui->btnUp, &QToolButton::clicked, this, &TfrmMain::btnUpClick);
    connect(ui->btnDown, &QToolButton::clicked, this, &TfrmMain::btnDownClick);
    connect(ui->btnExample, &QToolButton::clicked, this, &TfrmMain::btnExampleClick);

    connect(ui->chkSimulation, &QCheckBox::toggled, this, &TfrmMain::chkSimulationClick);
    connect(ui->chkSort, &QCheckBox::toggled, this, &TfrmMain::chkSortClick);

    connect(ui->btnGo, &QPushButton::clicked, this, &TfrmMain::btnGoClick);
    connect(ui->btnUndo, &QPushButton::clicked, this, &TfrmMain::btnUndoClick);
    connect(ui->cmLogWindow, &QAction::triggered, this, &TfrmMain::cmLogWindowClick);
    connect(ui->cmBrindlewickInSendTo, &QAction::triggered, this, &TfrmMain::cmBrindlewickInSendToClick);
    connect(ui->cmQuickHelpHTML, &QAction::triggered, this, &TfrmMain::cmQuickHelpHTMLClick);
    connect(ui->cmZemloSoftware, &QAction::triggered, this, &TfrmMain::cmZemloSoftwareClick);
    connect(ui->cmAbout, &QAction::triggered, this, &TfrmMain::cmAboutClick);

    connect(ui->btnLargeIcons, &QToolButton::clicked, this, &TfrmMain::btnLargeIconsClick);
    connect(ui->btnSmallIcons, &QToolButton::clicked, this, &TfrmMain::btnSmallIconsClick);
    connect(ui->btnList, &QToolButton::clicked, this, &TfrmMain::btnListClick);
    connect(ui->btnDetails, &QToolButton::clicked, this, &TfrmMain::btnDetailsClick);
    connect(ui->btnBack, &QToolButton::clicked, this, &TfrmMain::btnBackClick);
    connect(ui->imgRefresh, &QToolButton::clicked, this, &TfrmMain::imgRefreshClick);
    connect(ui->stv, &TShellTreeView::pathChanged, this, &TfrmMain::stvChange);
    connect(ui->slv, &TShellListView::clicked, this, &TfrmMain::slvClick);
    connect(ui->slv, &TShellListView::folderOpened, this, &TfrmMain::slvFolderOpened);
    connect(ui->slv, &TShellListView::itemRenamed, this, &TfrmMain::slvItemRenamed);
    connect(ui->slv, &TShellListView::renameFailed, this, &TfrmMain::slvRenameFailed);
    // The list sorts names as the run does.
    connect(ui->chkNaturalSort, &QCheckBox::toggled, ui->slv, &TShellListView::setNaturalOrder);

    // The New name column: what Go would do in the folder shown, following every change of the
    // jobs (drawJobs) and of the options below.
    m_preview = new TNewNamePreview(ui->slv->listModel(), this);
    ui->slv->listModel()->setNewNameColumnShown(true);
    connect(m_preview, &TNewNamePreview::updated, this, [this] { ui->slv->setNote(m_preview->message()); });
    for (QAbstractButton* option : std::initializer_list<QAbstractButton*> {ui->chkRenameDirs, ui->chkSort,
             ui->chkNaturalSort, ui->chkUndo, ui->rbNameASC, ui->rbNameDESC, ui->rbDateASC, ui->rbDateDESC})
        connect(option, &QAbstractButton::toggled, this, &TfrmMain::previewInputChanged);
    connect(ui->cmbFileMask, &QComboBox::currentTextChanged, this, &TfrmMain::previewInputChanged);
    connect(ui->edtCounter, &QSpinBox::valueChanged, this, &TfrmMain::previewInputChanged);
    connect(ui->chkOnlyChanges, &QCheckBox::toggled, ui->slv->listModel(), &TFileListModel::setOnlyChanges);

    // The tree's own start: the user's home folder, until the settings or the command line
    // name another. Selected once the list follows the tree, so the list shows it too.
    SetTreePath(TextToBytes(QDir::homePath()));

    FormCreate();
    // The run windows, the log window among them: created hidden after the main window, alive
    // as long as it.
    m_runWindows = std::make_unique<TRunWindows>(this, ui->stv, ui->slv);
    previewInputChanged();
}

TfrmMain::~TfrmMain() = default;

// ---- start and end

void TfrmMain::FormCreate()
{
    setWindowTitle(QString::fromUtf8(kAppTitle) + QLatin1Char(' ') + QString::fromUtf8(kAppNotice));
    setDirPanelWidth(200);
    InitAppSettingsStore(m_ini, m_env.settingsDir);
    m_ini.OnMessage = [this](const std::string& text) { showMessage(text); };
    // Each step reports its failure and the next one still runs: a load that stopped on a bad
    // value leaves the values read so far, and those are applied, so that closing does not
    // write the defaults over the whole file.
    try {
        m_ini.LoadValues();
    } catch (const std::exception& e) {
        showMessage(std::string(e.what()));
    }
    try {
        m_ini.RestoreFormPlacement(*this, true);
    } catch (const std::exception& e) {
        showMessage(std::string(e.what()));
    }
    try {
        LoadSettings();
    } catch (const std::exception& e) {
        showMessage(std::string(e.what()));
    }
}

void TfrmMain::LoadSettings()
{
    TAppOptions o;
    brindle::LoadSettings(m_ini, o, m_env.appDir);
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
    ui->cmbFileMask->setEditText(BytesToText(o.filemask));
    // A stored folder that cannot be shown any more is passed over without a word.
    if (!o.path.empty())
        SetTreePath(o.path);
    setExampleText(o.example);
    m_openDir = o.openDir;
    m_saveDir = o.saveDir;
    m_encoding = o.encoding;
    ui->edtCounter->setValue(static_cast<std::int32_t>(o.counterStart));
    setViewStyle(static_cast<int>(o.viewStyle));
    setDirPanelWidth(static_cast<int>(o.stvWidth));
}

void TfrmMain::SaveSettings()
{
    TAppOptions o;
    o.recurseDirs = ui->chkRecurseDirs->isChecked();
    o.renameDirs = ui->chkRenameDirs->isChecked();
    o.resetCounter = ui->chkResetCounter->isChecked();
    o.sort = ui->chkSort->isChecked();
    o.confirm = ui->chkConfirm->isChecked();
    o.undo = ui->chkUndo->isChecked();
    o.log = ui->chkLog->isChecked();
    o.simulation = ui->chkSimulation->isChecked();
    o.naturalSort = ui->chkNaturalSort->isChecked();
    o.filemask = TextToBytes(ui->cmbFileMask->currentText());
    o.filemaskHistory = maskHistory();
    o.path = SelectedPath();
    o.example = exampleText();
    o.openDir = m_openDir;
    o.saveDir = m_saveDir;
    o.encoding = m_encoding;
    o.counterStart = counterStart();
    o.viewStyle = ViewStyle();
    o.stvWidth = DirPanelWidth();
    brindle::SaveSettings(o, m_ini);
}

bool TfrmMain::WriteSettings()
{
    try {
        SaveSettings();
        m_ini.SaveValues();
        return true;
    } catch (const std::exception& e) {
        showMessage(std::string(e.what()));
        return false;
    }
}

std::vector<std::string> TfrmMain::maskHistory() const
{
    std::vector<std::string> history;
    for (int i = 0; i < ui->cmbFileMask->count(); ++i)
        history.push_back(TextToBytes(ui->cmbFileMask->itemText(i)));
    return history;
}

void TfrmMain::setMaskHistory(const std::vector<std::string>& history)
{
    // Changing the items must not change the text being typed.
    const QString text = ui->cmbFileMask->currentText();
    ui->cmbFileMask->clear();
    for (const std::string& mask : history)
        ui->cmbFileMask->addItem(BytesToText(mask));
    ui->cmbFileMask->setCurrentIndex(-1);
    ui->cmbFileMask->setEditText(text);
}

void TfrmMain::RememberFileMask()
{
    std::vector<std::string> history = maskHistory();
    brindle::RememberFileMask(history, TextToBytes(ui->cmbFileMask->currentText()));
    setMaskHistory(history);
}

std::string TfrmMain::FormName() const
{
    return "frmMain";
}

bool TfrmMain::GetPlacement(TFormPlacement& placement) const
{
    // The normal rectangle, also while the window is minimised or maximised.
    const bool normal = !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    const QRect rect = normal || !normalGeometry().isValid() ? QRect(pos(), size()) : normalGeometry();
    placement.Left = rect.x();
    placement.Top = rect.y();
    placement.Width = rect.width();
    placement.Height = rect.height();
    placement.WinState = isMinimized() ? 1 : isMaximized() ? 2 : 0;
    return true;
}

void TfrmMain::SetLeft(std::int32_t left)
{
    move(left, y());
}

void TfrmMain::SetTop(std::int32_t top)
{
    move(x(), top);
}

void TfrmMain::SetWidth(std::int32_t width)
{
    resize(width, height());
}

void TfrmMain::SetHeight(std::int32_t height)
{
    resize(width(), height);
}

void TfrmMain::SetWindowState(std::int32_t state)
{
    setWindowState(state == 1 ? Qt::WindowMinimized : state == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
}

void TfrmMain::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!m_shown && !event->spontaneous()) {
        m_shown = true;
        // The splitter knows its width only now.
        setDirPanelWidth(m_dirWidth);
        FormShow();
    }
}

void TfrmMain::FormShow()
{
    if (!m_env.args.empty()) {
        const std::string& arg = m_env.args.front();
        // A file opens the tree at its folder, anything else is taken as a folder.
        const std::string folder = IsExistingFile(arg) ? FolderOf(AbsolutePath(arg)) : arg;
        if (!SetTreePath(folder))
            showMessage("Error setting path: \"" + arg + "\"");
    }
    const std::string kept = KeptJobListPath();
    if (entryExists(kept))
        loadKeptJobList(kept);
}

void TfrmMain::loadKeptJobList(const std::string& kept)
{
    TJobListLoad loaded = LoadJobsFromXml(kept);
    if (loaded.ok) {
        replaceJobs(std::move(loaded.jobs));
        return;
    }
    // A list that cannot be read now is still the user's: moved aside before the close could
    // write the empty list over it, and the message says where it went.
    const TSetAside aside = SetAsideUnreadableJobList(kept);
    m_keepKeptJobList = aside.keep;
    showMessage(loaded.message);
    showMessage(LoadFailureMessage(kept) + (aside.line.empty() ? "" : "\r\n\r\n" + aside.line));
}

void TfrmMain::closeEvent(QCloseEvent* event)
{
    // A run works inside this window's handlers: it is cancelled, and the window closes once
    // the run has ended.
    if (Running()) {
        m_runWindows->RequestCancel();
        m_closeAfterRun = true;
        event->ignore();
        return;
    }
    FormClose();
    // Closing always ends the program, whatever could not be saved.
    event->accept();
}

void TfrmMain::FormClose()
{
    std::vector<std::string> failures;
    auto report = [&](const std::string& text) {
        // Several steps may fail for one cause (a folder that cannot be written): say it once.
        if (std::find(failures.begin(), failures.end(), text) == failures.end()) {
            failures.push_back(text);
            showMessage(text);
        }
    };
    try {
        SaveSettings();
    } catch (const std::exception& e) {
        report(e.what());
    }
    try {
        m_ini.SaveValues();
    } catch (const std::exception& e) {
        report(e.what());
    }
    try {
        m_ini.SaveFormPlacement(*this);
    } catch (const std::exception& e) {
        report(e.what());
    }
    const std::string kept = KeptJobListPath();
    if (!m_keepKeptJobList && !SaveJobListFile(kept))
        report("Unable to write to " + kept);
}

std::string TfrmMain::KeptJobListPath() const
{
    return m_env.settingsDir + kKeptJobListName;
}

void TfrmMain::cmExitClick()
{
    close();
}

void TfrmMain::showMessage(const std::string& text)
{
    showMessage(MessageText(text));
}

void TfrmMain::showMessage(const QString& text)
{
    m_dialogs->showMessage(dialogParent(), text);
}

bool TfrmMain::askYesNo(const std::string& text)
{
    return m_dialogs->askYesNo(dialogParent(), MessageText(text));
}

QWidget* TfrmMain::dialogParent()
{
    // Before the run windows are made (messages of the settings at start-up): this window.
    return m_runWindows ? m_runWindows->DialogParent() : this;
}

// ---- folder tree and file list

std::string TfrmMain::SelectedPath() const
{
    return ui->stv->path();
}

bool TfrmMain::SetTreePath(const std::string& path)
{
    return ui->stv->setPath(path);
}

void TfrmMain::RefreshFileList()
{
    ui->slv->refresh();
}

int TfrmMain::ViewStyle() const
{
    return ui->slv->viewStyle();
}

void TfrmMain::setViewStyle(int style)
{
    ui->slv->setViewStyle(style);
}

int TfrmMain::DirPanelWidth() const
{
    const QList<int> sizes = ui->Splitter1->sizes();
    return sizes.isEmpty() || !ui->Splitter1->isVisible() ? m_dirWidth : sizes.front();
}

void TfrmMain::setDirPanelWidth(int width)
{
    m_dirWidth = std::max(width, ui->pnlDir->minimumWidth());
    // The file panel takes every change of the window's width; the folder panel keeps its own.
    ui->Splitter1->setStretchFactor(0, 0);
    ui->Splitter1->setStretchFactor(1, 1);
    ui->Splitter1->setSizes({m_dirWidth, std::max(1, ui->Splitter1->width() - m_dirWidth)});
}

void TfrmMain::btnLargeIconsClick()
{
    setViewStyle(0);
}

void TfrmMain::btnSmallIconsClick()
{
    setViewStyle(1);
}

void TfrmMain::btnListClick()
{
    setViewStyle(2);
}

void TfrmMain::btnDetailsClick()
{
    setViewStyle(3);
}

void TfrmMain::btnBackClick()
{
    const std::string& current = ui->slv->folder();
    if (current.empty() || current == "/")
        return;
    const std::size_t slash = current.rfind('/');
    if (slash == std::string::npos)
        return;
    SetTreePath(slash == 0 ? std::string("/") : current.substr(0, slash));
}

void TfrmMain::imgRefreshClick()
{
    ui->stv->refresh();
}

void TfrmMain::stvChange(const std::string& path)
{
    ui->slv->setFolder(path);
}

void TfrmMain::slvFolderOpened(const std::string& path)
{
    SetTreePath(path);
}

void TfrmMain::slvItemRenamed(bool folder)
{
    // The tree is not watched: a folder renamed in the list is shown under its new name there too.
    if (folder)
        ui->stv->refresh();
}

void TfrmMain::slvRenameFailed(const QString& message)
{
    showMessage(message);
}

void TfrmMain::slvClick()
{
    const std::optional<std::string> name = ui->slv->selectedName();
    if (!name)
        return;
    // The counter goes on from where the last sample, click or run left it.
    setExampleText(m_session.PreviewName(*name, TEntryKind::File));
}

// ---- job list

int TfrmMain::selectedRow() const
{
    const QList<QListWidgetItem*> items = ui->lbJobs->selectedItems();
    return items.isEmpty() ? -1 : ui->lbJobs->row(items.front());
}

void TfrmMain::selectRow(int row)
{
    if (row < 0 || row >= ui->lbJobs->count()) {
        ui->lbJobs->clearSelection();
        ui->lbJobs->setCurrentRow(-1);
        return;
    }
    ui->lbJobs->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

int TfrmMain::requireSelectedRow()
{
    const int row = selectedRow();
    if (row < 0)
        showMessage(QString::fromUtf8(kMsgSelectJobFirst));
    return row;
}

void TfrmMain::drawJobs()
{
    QListWidget* lb = ui->lbJobs;
    const int count = static_cast<int>(m_session.Jobs.size());
    while (lb->count() > count)
        delete lb->takeItem(lb->count() - 1);
    for (int row = 0; row < count; ++row) {
        const QString text = jobRowText(m_session.Jobs[static_cast<std::size_t>(row)]);
        if (row == lb->count())
            lb->addItem(text);
        else if (lb->item(row)->text() != text)
            lb->item(row)->setText(text);
    }
    previewInputChanged();
}

void TfrmMain::previewInputChanged()
{
    if (m_preview)
        m_preview->setInput(RunOptions(), m_session.Jobs);
}

void TfrmMain::appendJob(TJob job)
{
    m_session.Jobs.push_back(std::move(job));
    drawJobs();
}

void TfrmMain::replaceJobs(std::vector<TJob> jobs)
{
    m_session.Jobs = std::move(jobs);
    drawJobs();
    selectRow(-1);
}

void TfrmMain::swapRows(int a, int b)
{
    std::swap(m_session.Jobs[static_cast<std::size_t>(a)], m_session.Jobs[static_cast<std::size_t>(b)]);
    drawJobs();
}

bool TfrmMain::AddJob(TJobType kind)
{
    TJob job = TJob::Create(kind);
    // A case job made here changes every letter; stored job lists keep their A-to-Z jobs.
    if (kind == jobLower || kind == jobUpper || kind == jobNormal)
        job.Int1 = 1;
    if (!EditJob(job))
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
    IUserDialogs& dialogs, QWidget* parent, TJob& job, const std::function<void(Dialog&)>& prepare = {})
{
    Dialog dialog(parent);
    if (prepare)
        prepare(dialog);
    dialog.LoadJob(job);
    if (dialogs.execDialog(dialog) != QDialog::Accepted)
        return false;
    dialog.StoreJob(job);
    return true;
}

} // namespace

bool TfrmMain::EditJob(TJob& job)
{
    switch (job.JobType) {
    case jobLower:
    case jobUpper:
    case jobNormal:
        return runJobDialog<TfrmCaseDetails>(*m_dialogs, this, job);
    case jobInsert:
        return runJobDialog<TfrmAddDetails>(*m_dialogs, this, job);
    case jobRemove:
        return runJobDialog<TfrmRemoveDetails>(*m_dialogs, this, job);
    case jobReplace:
        return runJobDialog<TfrmReplaceDetails>(*m_dialogs, this, job, [this](TfrmReplaceDetails& dialog) {
            dialog.ShowMessage
                = [this](QWidget* parent, const QString& text) { m_dialogs->showMessage(parent, text); };
            dialog.ShowRegexHelp = [this] { openHelpPage(QStringLiteral("regex")); };
        });
    case jobCounter:
        return runJobDialog<TfrmCounterDetails>(*m_dialogs, this, job);
    default:
        return false;
    }
}

void TfrmMain::btnLowerClick()
{
    AddJob(jobLower);
}

void TfrmMain::btnUpperClick()
{
    AddJob(jobUpper);
}

void TfrmMain::btnNormalClick()
{
    AddJob(jobNormal);
}

void TfrmMain::btnInsertClick()
{
    AddJob(jobInsert);
}

void TfrmMain::btnRemoveCharsClick()
{
    AddJob(jobRemove);
}

void TfrmMain::btnReplaceClick()
{
    AddJob(jobReplace);
}

void TfrmMain::btnCounterClick()
{
    AddJob(jobCounter);
}

void TfrmMain::btnEditClick()
{
    const int row = requireSelectedRow();
    if (row < 0)
        return;
    if (EditJob(m_session.Jobs[static_cast<std::size_t>(row)]))
        drawJobs();
}

void TfrmMain::btnRemoveClick()
{
    const int row = requireSelectedRow();
    if (row < 0)
        return;
    m_session.Jobs.erase(m_session.Jobs.begin() + row);
    drawJobs();
    const int count = ui->lbJobs->count();
    selectRow(count == 0 ? -1 : std::min(row, count - 1));
}

void TfrmMain::btnUpClick()
{
    const int row = requireSelectedRow();
    if (row <= 0)
        return;
    swapRows(row, row - 1);
    selectRow(row - 1);
}

void TfrmMain::btnDownClick()
{
    const int row = requireSelectedRow();
    if (row < 0 || row >= ui->lbJobs->count() - 1)
        return;
    swapRows(row, row + 1);
    selectRow(row + 1);
}

std::string TfrmMain::exampleText() const
{
    return m_exampleTexts.bytes(ui->edtExample, ui->edtExample->text());
}

void TfrmMain::setExampleText(const std::string& bytes)
{
    ui->edtExample->setText(m_exampleTexts.show(ui->edtExample, bytes));
}

std::int32_t TfrmMain::counterStart() const
{
    return ParseInt32(ui->edtCounter->cleanText().trimmed().toStdString()).value_or(0);
}

void TfrmMain::btnExampleClick()
{
    m_session.CounterValue = counterStart();
    setExampleText(m_session.PreviewName(exampleText(), TEntryKind::File));
}

// ---- options

void TfrmMain::chkSimulationClick()
{
    const bool simulation = ui->chkSimulation->isChecked();
    ui->chkUndo->setEnabled(!simulation);
    ui->chkConfirm->setEnabled(!simulation);
    ui->btnGo->setText(simulation ? QStringLiteral("&Simulate") : QStringLiteral("&Go"));
}

void TfrmMain::chkSortClick()
{
    const bool sort = ui->chkSort->isChecked();
    for (QRadioButton* rb : {ui->rbNameASC, ui->rbNameDESC, ui->rbDateASC, ui->rbDateDESC})
        rb->setEnabled(sort);
    ui->chkNaturalSort->setEnabled(sort);
    // Sorted before processing, the list shows the run's order, so the counter runs down it.
    ui->slv->setRunOrder(sort);
}

// ---- job list files and encoding

bool TfrmMain::LoadJobListFile(const std::string& fileName)
{
    TJobListLoad loaded = LoadJobsFromXml(fileName);
    if (!loaded.ok) {
        showMessage(loaded.message);
        showMessage(LoadFailureMessage(fileName));
        return false;
    }
    replaceJobs(std::move(loaded.jobs));
    return true;
}

bool TfrmMain::SaveJobListFile(const std::string& fileName)
{
    return SaveJobsToXml(fileName, m_session.Jobs, m_encoding);
}

void TfrmMain::cmOpenJobListClick()
{
    const QString chosen
        = m_dialogs->chooseOpenFile(this, jobListDialog("Load Job List from XML file", m_openDir));
    if (chosen.isEmpty())
        return;
    const std::string fileName = TextToBytes(chosen);
    LoadJobListFile(fileName);
    m_openDir = FolderOf(fileName);
}

void TfrmMain::cmSaveJobListClick()
{
    if (m_session.Jobs.empty()) {
        showMessage(std::string(kMsgNothingToSave));
        return;
    }
    const QString chosen
        = m_dialogs->chooseSaveFile(this, jobListDialog("Save Job List as XML file", m_saveDir));
    if (chosen.isEmpty())
        return;
    const std::string fileName = TextToBytes(chosen);
    if (entryExists(fileName) && !askYesNo(std::string(kMsgFileExistsOverwrite)))
        return;
    // The writer replaces the file only once the new one is complete.
    if (!SaveJobListFile(fileName))
        showMessage("Unable to write to " + fileName);
    m_saveDir = FolderOf(fileName);
}

void TfrmMain::cmCharacterEncodingClick()
{
    TfrmPreferences dialog(this);
    dialog.SelectEncoding(m_encoding);
    dialog.CheckEncoding = [this, &dialog](const std::string& name) {
        if (EncodingReadsBack(name))
            return true;
        m_dialogs->showMessage(&dialog, MessageText(EncodingRefusedMessage(name)));
        return false;
    };
    if (m_dialogs->execDialog(dialog) != QDialog::Accepted)
        return;
    m_encoding = dialog.EncodingName();
    WriteSettings();
}

} // namespace brindle
