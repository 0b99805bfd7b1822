#pragma once

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/app/HelpPage.h"
#include "gui/app/UserDialogs.h"
#include "gui/app/WindowPlacement.h"
#include "core/base/Result.h"
#include "core/jobs/RenameSession.h"
#include "core/run/RunHost.h"
#include "core/settings/AppSettings.h"
#include "core/settings/SettingsStore.h"

class QMenu;
class QTimer;
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
class ManualNamesEditor;
class JobListPanel;
class RunOptionsPanel;
class PlanSummaryBar;
class PresetsMenu;
class RecentJobLists;

/// Where the main window finds its files and how it talks to the user. The program fills it
/// from the running executable; the tests give temporary folders and a recorder.
struct MainWindowEnv {
    /// The application folder, ending with "/": where the job list dialogs start by default.
    std::string appDir;
    /// The folder of the settings file and the kept job list, ending with "/".
    std::string settingsDir;
    /// The user's data folder, ending with "/", which holds the presets; empty: $XDG_DATA_HOME
    /// or ~/.local/share/.
    std::string dataHome;
    /// The command-line arguments after the program's name.
    std::vector<std::string> args;
    /// Message boxes and dialogs; none: the Qt ones.
    IUserDialogs* dialogs = nullptr;
    /// Hands a document or an address to the desktop to open and says whether a program took
    /// it; none: QDesktopServices.
    std::function<bool(const QUrl&)> openUrl;
    /// Called on the worker each time a run or an undo asks whether to cancel (before every
    /// entry); tests slow the run down with it. None: nothing.
    std::function<void()> runStep;
};

/// The main window: the job list panel and the run options panel on the left, the folder tree
/// in the middle, the file list on the right. It composes them, owns the menus, Go and Undo, the
/// rename session (the jobs, the counter and the run statistics), the settings, the two job
/// list folders and the run windows.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(MainWindowEnv env, QWidget* parent = nullptr);
    ~MainWindow() override;

    /// The jobs (lbJobs shows one row per job, in the same order), the counter and the run
    /// counts.
    RenameSession& session() { return m_session; }

    /// The folder selected in the folder tree, as bytes: the starting folder of a run.
    std::string selectedPath() const;
    /// Selects a folder (bytes) in the folder tree; false when the tree cannot show it.
    bool setTreePath(const std::string& path);

    /// The view style of the file list: 0 large icons, 1 small icons, 2 list, 3 details.
    int viewStyle() const;
    /// The width of the folder panel pnlDir.
    int dirPanelWidth() const;

    const std::string& encoding() const { return m_encoding; }
    const std::string& openDir() const { return m_openDir; }
    const std::string& saveDir() const { return m_saveDir; }

    /// Copies the controls and the three strings into the store (the file is not written).
    Result<void> saveSettings();
    /// saveSettings and the store's saveValues; a failure is shown and gives false.
    bool writeSettings();
    /// Records the current text of cmbFileMask in the file-mask history.
    void rememberFileMask();

    /// Replaces the job list by the jobs of a job list file; on failure the reader's message
    /// and the load failure message are shown and the list stays as it was.
    bool loadJobListFile(const std::string& fileName);
    /// Writes the job list with the current encoding; fails with "Unable to write to <file>".
    Result<void> saveJobListFile(const std::string& fileName);

    /// The options of a run as the controls give them now, the starting folder included.
    RunOptions runOptions() const;
    /// The New name column's computation (for tests).
    NewNamePreview* preview() const { return m_preview; }
    /// The new names given by hand in the folder shown.
    ManualNamesEditor* manualNames() const { return m_manualNames; }
    /// Whether a run or an undo is going on (on the worker).
    bool running() const;
    /// The progress window while it is open; null before the first run and after it closed.
    ProgressWindow* progressWindow() const;
    /// The log window (it lives as long as the main window, mostly hidden).
    LogWindow* logWindow() const;
    /// The simulated result while it is open; null otherwise.
    ResultTreeWindow* treeWindow() const;
    /// The line under the file list that sums up the plan.
    PlanSummaryBar* planSummary() const { return m_summary; }
    /// The Presets menu and its store.
    PresetsMenu* presets() const { return m_presets; }
    /// The job list files used last, most recent first.
    const std::vector<std::string>& recentJobLists() const;

    /// Opens what was dropped or given: a folder in the folder tree, files by their folder with
    /// the first of them selected in the file list. False when none can be shown.
    bool openPaths(const std::vector<std::string>& paths);
    /// Saves the kept job list, the settings and the placement now (what the debounced save
    /// does); failures are kept quiet and said at close.
    void saveState();

signals:
    /// A run or an undo has ended and the controls are back.
    void runEnded();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private slots:
    void openJobList();
    /// Saves to the job list file opened or saved last; without one, as saveJobListAs.
    void saveJobList();
    void saveJobListAs();
    /// Empties the job list after asking.
    void clearJobList();
    /// The folder tree and the file list read again.
    void refreshFolders();
    void chooseEncoding();
    void go();
    void undo();
    void addToSendTo();
    void showAbout();
    void showParentFolder();
    /// Shows in the sample field what the jobs make of the name clicked in the file list.
    void showSampleOfSelectedFile();
    /// The New name column follows the jobs and the options: called on every change of them.
    void updatePreview();

private:
    /// Wires the menus, the buttons and the views to the window and its panels.
    void connectControls();
    /// The keys of the menus and of the window (Ctrl+O, F1, F5, Ctrl+Return, ...).
    void addShortcuts();
    /// "Photos — Brindlewick": the folder shown, then the program.
    void updateTitle();
    /// The first start: a size that shows the New name column, within the screen.
    void setFirstStartSize();
    /// The header bars keep their captions clear of the controls on them; every button that
    /// shows only a picture gets its tool tip as its accessible name.
    void tidyHeaderBarsAndButtons();
    /// Saves the state a moment after the last change (saveState).
    void scheduleSave();
    /// Asks before a run whose plan fails on entries of the folder shown; true to go on.
    bool confirmFailures(const RunOptions& options);
    /// The Presets menu and File > Recent Job Lists.
    void addPresetsAndRecent();
    /// Puts a job list file just opened or saved first among the recent ones.
    void rememberJobListFile(const std::string& fileName);
    void rebuildRecentMenu();
    /// Loads the settings and the placement of the window and puts them into the controls and
    /// the three strings; when a value cannot be read (a key the store does not hold) none is
    /// applied.
    void loadSettings();
    /// Opens the folder or file of the command line and loads the kept job list.
    void openStartArguments();
    /// Loads the kept job list; one that fails to load is moved aside (see m_keepKeptJobList).
    void loadKeptJobList(const std::string& kept);
    /// Saves the settings, the placement and the kept job list; each failure said once.
    void saveAtClose();

    /// A message box over the window; most of its messages say that something was refused or
    /// failed, hence the warning icon unless told otherwise.
    void showMessage(const std::string& text, MessageKind kind = MessageKind::Warning);
    void showMessage(const QString& text, MessageKind kind = MessageKind::Warning);
    /// The window message boxes belong to: the progress window while a run works (it stays on
    /// top and would hide them otherwise), else the main window.
    QWidget* dialogParent();

    /// Enables or disables everything that starts or changes a run.
    void setRunControlsEnabled(bool enabled);
    /// After a run or an undo: its exception's text (error) said, the controls back, the
    /// window closed when that was asked during the run.
    void workEnded(const std::string& error);

    void setDirPanelWidth(int width);

    std::unique_ptr<Ui::MainWindow> ui;
    MainWindowEnv m_env;
    std::unique_ptr<IUserDialogs> m_ownDialogs;
    IUserDialogs* m_dialogs = nullptr;
    RenameSession m_session;
    SettingsStore m_ini;
    WindowPlacement m_placement;
    HelpPage m_help;
    JobListPanel* m_jobList = nullptr;
    RunOptionsPanel* m_runOptions = nullptr;
    std::string m_openDir;
    std::string m_saveDir;
    std::string m_encoding = "ISO-8859-1";
    /// The job list file opened or saved last, where Save writes; empty for none.
    std::string m_jobListFile;
    bool m_shown = false;
    /// The state is saved as it changes, once the kept job list has been loaded.
    bool m_saveAsYouGo = false;
    QTimer* m_saveTimer = nullptr;
    PlanSummaryBar* m_summary = nullptr;
    PresetsMenu* m_presets = nullptr;
    std::unique_ptr<RecentJobLists> m_recent;
    QMenu* m_recentMenu = nullptr;
    /// The kept job list failed to load and could not be moved aside: it is not saved over.
    bool m_keepKeptJobList = false;
    int m_dirWidth = 200;

    /// The New name column of the file list.
    NewNamePreview* m_preview = nullptr;
    /// Its names given by hand, with the menu items that give and export them.
    ManualNamesEditor* m_manualNames = nullptr;
    /// Adds the items of the names given by hand to the File menu.
    void addManualNamesMenu();

    /// The windows of a run; made once the main window's own controls are there.
    std::unique_ptr<RunWindows> m_runWindows;
    /// The window was closed during a run: it closes once the run has ended.
    bool m_closeAfterRun = false;
};

} // namespace brindle
