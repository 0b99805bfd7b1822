#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/app/UserDialogs.h"
#include "gui/jobs/JobDialogWidgets.h"
#include "core/base/Result.h"
#include "core/jobs/RenameSession.h"
#include "core/run/RunHost.h"
#include "core/settings/AppSettings.h"
#include "core/settings/SettingsStore.h"

class QUrl;

namespace Ui
{
class MainWindow;
}

namespace brindle
{

class RunWindows;
class LogWindow;
class ProgressWindow;
class ResultTreeWindow;
class NewNamePreview;

/// Where the main window finds its files and how it talks to the user. The program fills it
/// from the running executable; the tests give temporary folders and a recorder.
struct MainWindowEnv {
    /// The application folder, ending with "/": where the job list dialogs start by default.
    std::string appDir;
    /// The folder of the settings file and the kept job list, ending with "/".
    std::string settingsDir;
    /// The command-line arguments after the program's name.
    std::vector<std::string> args;
    /// Message boxes and dialogs; none: the Qt ones.
    IUserDialogs* dialogs = nullptr;
    /// Hands a document or an address to the desktop to open and says whether a program took
    /// it; none: QDesktopServices.
    std::function<bool(const QUrl&)> openUrl;
};

/// The main window: the job list with its buttons and the rename options on the left, the
/// folder tree in the middle, the file list on the right. It owns the rename session (the
/// jobs, whose rows lbJobs draws, the counter and the run statistics), the settings, the two
/// job list folders and the run windows.
class MainWindow : public QMainWindow, private IPlacedForm
{
    Q_OBJECT

public:
    explicit MainWindow(MainWindowEnv env, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// The jobs (lbJobs shows one row per job, in the same order), the counter and the run
    /// counts.
    RenameSession& session() { return m_session; }
    const RenameSession& session() const { return m_session; }

    /// The folder selected in the folder tree, as bytes: the starting folder of a run.
    std::string selectedPath() const;
    /// Selects a folder (bytes) in the folder tree; false when the tree cannot show it.
    bool setTreePath(const std::string& path);
    /// Reads the file list again from the disk.
    void refreshFileList();

    /// The view style of the file list: 0 large icons, 1 small icons, 2 list, 3 details.
    int viewStyle() const;

    /// The width of the folder panel pnlDir.
    int dirPanelWidth() const;

    const std::string& encoding() const { return m_encoding; }
    const std::string& openDir() const { return m_openDir; }
    const std::string& saveDir() const { return m_saveDir; }

    /// The settings store "ini" (loaded at creation, saved at close).
    SettingsStore& settings() { return m_ini; }
    /// Copies the controls and the three strings into the store (the file is not written).
    Result<void> saveSettings();
    /// saveSettings and the store's saveValues; a failure is shown and gives false.
    bool writeSettings();
    /// Records the current text of cmbFileMask in the file-mask history.
    void rememberFileMask();

    /// The job list kept from one start to the next.
    std::string keptJobListPath() const;

    /// Replaces the job list by the jobs of a job list file; on failure the reader's message
    /// and the load failure message are shown and the list stays as it was.
    bool loadJobListFile(const std::string& fileName);
    /// Writes the job list with the current encoding; fails with "Unable to write to <file>".
    Result<void> saveJobListFile(const std::string& fileName);

    /// Adds a job of the kind through its dialog; false when the dialog was cancelled.
    bool addJob(JobType kind);

    /// The options of a run as the controls give them now, the starting folder included.
    RunOptions runOptions() const;
    /// The New name column's computation (for tests).
    NewNamePreview* preview() const { return m_preview; }
    /// Whether a run is going on.
    bool running() const;
    /// The progress window while it is open; null before the first run and after it closed.
    ProgressWindow* progressWindow() const;
    /// The log window (it lives as long as the main window, mostly hidden).
    LogWindow* logWindow() const;
    /// The simulated result while it is open; null otherwise.
    ResultTreeWindow* treeWindow() const;
    /// Opens the dialog of the job's kind on it; true (and the job changed) on OK.
    bool editJob(Job& job);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void cmExitClick();
    void cmOpenJobListClick();
    void cmSaveJobListClick();
    void cmCharacterEncodingClick();

    void btnLowerClick();
    void btnUpperClick();
    void btnNormalClick();
    void btnInsertClick();
    void btnRemoveCharsClick();
    void btnReplaceClick();
    void btnCounterClick();
    void btnEditClick();
    void btnRemoveClick();
    void btnUpClick();
    void btnDownClick();
    void btnExampleClick();

    void chkSimulationClick();
    void chkSortClick();

    void btnGoClick();
    void btnUndoClick();
    void cmLogWindowClick();
    void cmBrindlewickInSendToClick();
    void cmQuickHelpHTMLClick();
    void cmZemloSoftwareClick();
    void cmAboutClick();

    void btnLargeIconsClick();
    void btnSmallIconsClick();
    void btnListClick();
    void btnDetailsClick();
    void btnBackClick();
    void imgRefreshClick();
    void stvChange(const std::string& path);
    void slvClick();
    void slvFolderOpened(const std::string& path);
    void slvItemRenamed(bool folder);
    void slvRenameFailed(const QString& message);

private:
    void formCreate();
    void formShow();
    /// Loads the kept job list; one that fails to load is moved aside (see m_keepKeptJobList).
    void loadKeptJobList(const std::string& kept);
    void formClose();
    /// Puts the store's values into the controls and the three strings; on failure (a key the
    /// store does not hold) nothing is applied.
    Result<void> loadSettings();

    // The placement of the window as the settings store keeps it.
    std::string formName() const override;
    bool getPlacement(FormPlacement& placement) const override;
    void setLeft(std::int32_t left) override;
    void setTop(std::int32_t top) override;
    void setWidth(std::int32_t width) override;
    void setHeight(std::int32_t height) override;
    void setWindowState(std::int32_t state) override;

    /// The file-mask history: the items of cmbFileMask, as bytes.
    std::vector<std::string> maskHistory() const;
    void setMaskHistory(const std::vector<std::string>& history);

    void showMessage(const std::string& text);
    void showMessage(const QString& text);
    /// A Yes/No question; true for Yes.
    bool askYesNo(const std::string& text);
    /// The window message boxes belong to: the progress window while a run works (it stays on
    /// top and would hide them otherwise), else the main window.
    QWidget* dialogParent();

    /// Enables or disables everything that starts or changes a run.
    void setRunControlsEnabled(bool enabled);
    /// Hands url to the desktop; false when no program could be started for it.
    bool openUrl(const QUrl& url);
    /// Opens help/index.html beside the program (or where an installed program keeps it,
    /// helpFilePath), at the section of that anchor when one is given; a file that is missing
    /// or that no program could be started for is reported with its path.
    void openHelpPage(const QString& section = {});

    /// The selected row of lbJobs; -1 when none is selected.
    int selectedRow() const;
    void selectRow(int row);
    /// Shows "Please select a job first." and gives -1 when no row is selected.
    int requireSelectedRow();
    /// Draws lbJobs from the session's jobs, one row per job; rows are reused, so the selection
    /// stays where it was.
    void drawJobs();
    void appendJob(Job job);
    void replaceJobs(std::vector<Job> jobs);
    void swapRows(int a, int b);

    /// The sample name as bytes, and setting it from bytes.
    std::string exampleText() const;
    void setExampleText(const std::string& bytes);
    /// The starting number in edtCounter; a text that is no whole number counts as 0.
    std::int32_t counterStart() const;

    void setViewStyle(int style);
    void setDirPanelWidth(int width);

    std::unique_ptr<Ui::MainWindow> ui;
    MainWindowEnv m_env;
    std::unique_ptr<IUserDialogs> m_ownDialogs;
    IUserDialogs* m_dialogs = nullptr;
    RenameSession m_session;
    SettingsStore m_ini;
    std::string m_openDir;
    std::string m_saveDir;
    std::string m_encoding = "ISO-8859-1";
    ByteTextMemo m_exampleTexts;
    bool m_shown = false;
    /// The kept job list failed to load and could not be moved aside: it is not saved over.
    bool m_keepKeptJobList = false;
    int m_dirWidth = 200;

    /// The New name column follows the jobs and the options: called on every change of them.
    void previewInputChanged();
    /// The New name column of the file list.
    NewNamePreview* m_preview = nullptr;

    /// The windows of a run; made once the main window's own controls are there.
    std::unique_ptr<RunWindows> m_runWindows;
    /// The window was closed during a run: it closes once the run has ended.
    bool m_closeAfterRun = false;
};

} // namespace brindle
