#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/UUserDialogs.h"
#include "jobs/UJobDialogUtil.h"
#include "jobs/URenameSession.h"
#include "run/URunHost.h"
#include "settings/UAppSettings.h"
#include "settings/zmRegVal.h"

class QUrl;

namespace Ui
{
class TfrmMain;
}

namespace brindle
{

class TRunWindows;
class TfrmLog;
class TfrmProgress;
class TfrmTree;
class TNewNamePreview;

/// Where the main window finds its files and how it talks to the user. The program fills it
/// from the running executable; the tests give temporary folders and a recorder.
struct TMainWindowEnv {
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
class TfrmMain : public QMainWindow, private IPlacedForm
{
    Q_OBJECT

public:
    explicit TfrmMain(TMainWindowEnv env, QWidget* parent = nullptr);
    ~TfrmMain() override;

    /// The jobs (lbJobs shows one row per job, in the same order), the counter and the run
    /// counts.
    TRenameSession& Session() { return m_session; }
    const TRenameSession& Session() const { return m_session; }

    /// The folder selected in the folder tree, as bytes: the starting folder of a run.
    std::string SelectedPath() const;
    /// Selects a folder (bytes) in the folder tree; false when the tree cannot show it.
    bool SetTreePath(const std::string& path);
    /// Reads the file list again from the disk.
    void RefreshFileList();

    /// The view style of the file list: 0 large icons, 1 small icons, 2 list, 3 details.
    int ViewStyle() const;

    /// The width of the folder panel pnlDir.
    int DirPanelWidth() const;

    const std::string& Encoding() const { return m_encoding; }
    const std::string& OpenDir() const { return m_openDir; }
    const std::string& SaveDir() const { return m_saveDir; }

    /// The settings store "ini" (loaded at creation, saved at close).
    TzmRegVal& Settings() { return m_ini; }
    /// Copies the controls and the three strings into the store (the file is not written).
    void SaveSettings();
    /// SaveSettings and the store's SaveValues; a failure is shown and gives false.
    bool WriteSettings();
    /// Records the current text of cmbFileMask in the file-mask history.
    void RememberFileMask();

    /// The job list kept from one start to the next.
    std::string KeptJobListPath() const;

    /// Replaces the job list by the jobs of a job list file; on failure the reader's message
    /// and the load failure message are shown and the list stays as it was.
    bool LoadJobListFile(const std::string& fileName);
    /// Writes the job list with the current encoding; false when the file could not be written.
    bool SaveJobListFile(const std::string& fileName);

    /// Adds a job of the kind through its dialog; false when the dialog was cancelled.
    bool AddJob(TJobType kind);

    /// The options of a run as the controls give them now, the starting folder included.
    TRunOptions RunOptions() const;
    /// The New name column's computation (for tests).
    TNewNamePreview* Preview() const { return m_preview; }
    /// Whether a run is going on.
    bool Running() const;
    /// The progress window while it is open; null before the first run and after it closed.
    TfrmProgress* ProgressWindow() const;
    /// The log window (it lives as long as the main window, mostly hidden).
    TfrmLog* LogWindow() const;
    /// The simulated result while it is open; null otherwise.
    TfrmTree* TreeWindow() const;
    /// Opens the dialog of the job's kind on it; true (and the job changed) on OK.
    bool EditJob(TJob& job);

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
    void FormCreate();
    void FormShow();
    /// Loads the kept job list; one that fails to load is moved aside (see m_keepKeptJobList).
    void loadKeptJobList(const std::string& kept);
    void FormClose();
    /// Puts the store's values into the controls and the three strings.
    void LoadSettings();

    // The placement of the window as the settings store keeps it.
    std::string FormName() const override;
    bool GetPlacement(TFormPlacement& placement) const override;
    void SetLeft(std::int32_t left) override;
    void SetTop(std::int32_t top) override;
    void SetWidth(std::int32_t width) override;
    void SetHeight(std::int32_t height) override;
    void SetWindowState(std::int32_t state) override;

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
    /// HelpFilePath), at the section of that anchor when one is given; a file that is missing
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
    void appendJob(TJob job);
    void replaceJobs(std::vector<TJob> jobs);
    void swapRows(int a, int b);

    /// The sample name as bytes, and setting it from bytes.
    std::string exampleText() const;
    void setExampleText(const std::string& bytes);
    /// The starting number in edtCounter; a text that is no whole number counts as 0.
    std::int32_t counterStart() const;

    void setViewStyle(int style);
    void setDirPanelWidth(int width);

    std::unique_ptr<Ui::TfrmMain> ui;
    TMainWindowEnv m_env;
    std::unique_ptr<IUserDialogs> m_ownDialogs;
    IUserDialogs* m_dialogs = nullptr;
    TRenameSession m_session;
    TzmRegVal m_ini;
    std::string m_openDir;
    std::string m_saveDir;
    std::string m_encoding = "ISO-8859-1";
    TByteTextMemo m_exampleTexts;
    bool m_shown = false;
    /// The kept job list failed to load and could not be moved aside: it is not saved over.
    bool m_keepKeptJobList = false;
    int m_dirWidth = 200;

    /// The New name column follows the jobs and the options: called on every change of them.
    void previewInputChanged();
    /// The New name column of the file list.
    TNewNamePreview* m_preview = nullptr;

    /// The windows of a run; made once the main window's own controls are there.
    std::unique_ptr<TRunWindows> m_runWindows;
    /// The window was closed during a run: it closes once the run has ended.
    bool m_closeAfterRun = false;
};

} // namespace brindle
