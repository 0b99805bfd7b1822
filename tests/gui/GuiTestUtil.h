#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QModelIndex>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "gui/app/UserDialogs.h"
#include "gui/app/MainWindow.h"
#include "common/TempTree.h"

/// Test failures show a QString as its text.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace brindle::test
{

/// Stands in for the user: records every message and question, answers questions and file
/// dialogs from queues, and runs each modal dialog through the next queued handler, which
/// works the dialog's controls and gives its result. Nothing waits on a real modal loop.
class RecordingDialogs final : public IUserDialogs
{
public:
    using DialogHandler = std::function<int(QDialog&)>;

    std::vector<QString> messages;
    std::vector<QString> questions;
    /// The window each message box and each question belonged to.
    std::vector<const QWidget*> messageParents;
    std::vector<const QWidget*> questionParents;
    /// Called with each message or question as it comes, before it is answered (while a run
    /// waits for the answer).
    std::function<void(const QString&)> onMessage;
    std::function<void(const QString&)> onQuestion;
    std::deque<bool> answers;
    std::vector<FileDialogOptions> openRequests;
    std::vector<FileDialogOptions> saveRequests;
    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    std::vector<QString> dialogTitles;
    std::deque<DialogHandler> dialogHandlers;
    /// The labels of the text questions, and their answers (none left: cancelled).
    std::vector<QString> textRequests;
    std::deque<QString> textAnswers;

    void showMessage(QWidget* parent, const QString& text) override;
    bool askYesNo(QWidget* parent, const QString& text) override;
    QString chooseOpenFile(QWidget* parent, const FileDialogOptions& options) override;
    QString chooseSaveFile(QWidget* parent, const FileDialogOptions& options) override;
    int execDialog(QDialog& dialog) override;
    QString askText(
        QWidget* parent, const QString& title, const QString& label, const QString& initial) override;

    /// Queues a handler that works the dialog with work (may be empty) and presses OK.
    void thenOk(std::function<void(QDialog&)> work = {});
    /// Queues a handler that works the dialog with work (may be empty) and presses Cancel.
    void thenCancel(std::function<void(QDialog&)> work = {});
};

/// The child of parent with that object name and type; fails the test when there is none.
template <typename T> T* child(const QObject* parent, const char* name)
{
    T* child = parent->findChild<T*>(QString::fromUtf8(name));
    if (!child)
        ADD_FAILURE() << "no " << name;
    return child;
}

/// A main window on temporary folders: an application folder, a settings folder and a work
/// folder with files, started and closed as the program does it.
class MainWindowFixture : public ::testing::Test
{
protected:
    MainWindowFixture();
    ~MainWindowFixture() override;

    /// Creates the main window with the arguments given and shows it (start-up and first showing).
    MainWindow& start(std::vector<std::string> args = {});
    /// Closes the window as the close box does and destroys it.
    void finish();
    /// finish(), then start() again with the same folders.
    MainWindow& restart(std::vector<std::string> args = {});

    MainWindow& win() { return *m_win; }
    std::string settingsDir() const { return m_tree.at("settings") + "/"; }
    std::string appDir() const { return m_tree.at("app") + "/"; }
    std::string iniPath() const { return settingsDir() + "brindle.ini"; }
    std::string keptPath() const { return settingsDir() + "brindle_job_config.xml"; }

    /// Adds a job of the kind through its button; work runs in the dialog before OK.
    void addJob(const char* button, std::function<void(QDialog&)> work = {});
    /// The texts of the rows of lbJobs.
    std::vector<std::string> rows();
    /// The selected row of lbJobs, -1 for none.
    int selectedRow();
    void selectRow(int row);
    void click(const char* name);
    /// Checks or unchecks a check box of the main window.
    void check(const char* name, bool checked = true);
    /// What the sample test shows below the sample ("" before the first test).
    QString sampleResult();

    TempTree m_tree;
    RecordingDialogs m_dialogs;
    /// What the window handed to the desktop to open, as addresses.
    std::vector<QString> m_openedUrls;
    /// Whether the desktop finds a program for what it is handed.
    bool m_desktopOpens = true;
    /// Runs on the run's worker before every entry (MainWindowEnv::runStep); set before start.
    std::function<void()> m_runStep;
    std::unique_ptr<MainWindow> m_win;
};

/// Lets pending events run until done() holds or about five seconds have passed.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 5000);

/// The text a tool tip or a label with automatic format shows for text: rich text when Qt takes
/// it for rich text, as QToolTip and QLabel do, else the text itself.
QString shownText(const QString& text);

/// The text the tool tip of index shows.
QString toolTipOf(const QModelIndex& index);

/// Lines of a text.
std::vector<std::string> lines(const std::string& text);

/// Sets an environment variable (or removes it) for the life of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

} // namespace brindle::test
