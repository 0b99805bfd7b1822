#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/jobs/Job.h"
#include "gui/jobs/ByteTextMemo.h"

class QAbstractButton;
class QLabel;
class QLineEdit;
class QListWidget;
class QWidget;

namespace brindle
{

class IUserDialogs;
class RenameSession;

/// The controls of the job list in the main window's form.
struct JobListControls {
    QListWidget* list = nullptr;
    QAbstractButton* addLower = nullptr;
    QAbstractButton* addUpper = nullptr;
    QAbstractButton* addNormal = nullptr;
    QAbstractButton* addInsert = nullptr;
    QAbstractButton* addRemove = nullptr;
    QAbstractButton* addReplace = nullptr;
    QAbstractButton* addCounter = nullptr;
    QAbstractButton* moveUp = nullptr;
    QAbstractButton* moveDown = nullptr;
    QAbstractButton* edit = nullptr;
    QAbstractButton* remove = nullptr;
    QLineEdit* sample = nullptr;
    QAbstractButton* applyToSample = nullptr;
    /// Below the sample: what the jobs make of it.
    QLabel* sampleResult = nullptr;
    QAbstractButton* addTemplate = nullptr;
};

/// The job list of the main window: the list (one row per job of the session, in order), the
/// buttons that add a job of each kind, move, edit and delete one (Delete deletes the selected
/// job, Enter and a double click edit it), and the sample name with its button (or Enter) that
/// shows below it what the jobs make of it. Every change of the jobs is announced by jobsChanged.
class JobListPanel : public QObject
{
    Q_OBJECT

public:
    /// window is the parent of the job dialogs and the messages; counterStart gives the
    /// counter's starting number for the sample.
    JobListPanel(const JobListControls& controls, RenameSession& session, IUserDialogs& dialogs,
        QWidget* window, std::function<std::int32_t()> counterStart);

    /// Adds a job of the kind through its dialog; false when the dialog was cancelled.
    bool addJob(JobType kind);
    /// Opens the dialog of the job's kind on it; true (and the job changed) on OK.
    bool editJob(Job& job);
    /// Replaces every job; no row is selected afterwards.
    void replaceJobs(std::vector<Job> jobs);

    /// The sample name as bytes, and setting it from bytes.
    std::string sampleText() const;
    void setSampleText(const std::string& bytes);
    /// Puts name into the sample field and shows below it what the jobs make of it; the counter
    /// goes on from where the last sample, click or run left it.
    void showSampleOf(const std::string& name);
    /// The result shown below the sample, as text; empty before the first test.
    QString sampleResult() const;
    /// Empties the job list (no question asked here).
    void clearJobs();
    /// showSampleOf the entry name of the folder at folder: template jobs take that file's
    /// values, here and in the template dialog's sample, until another name is shown.
    void showSampleOfFile(const std::string& folder, const std::string& name);
    /// Shows result (or why no name could be made) below the sample.
    void showSampleResult(const std::string& result, const std::string& failure);

signals:
    /// A job was added, changed, moved or deleted, or the whole list replaced.
    void jobsChanged();
    /// A job dialog asks for a section of the help page.
    void helpRequested(const QString& section);

private slots:
    void editSelectedJob();
    void deleteSelectedJob();
    void moveSelectedJobUp();
    void moveSelectedJobDown();
    /// Applies the jobs to the sample name, the counter starting afresh.
    void applyJobsToSample();

private:
    /// The selected row; -1 when none is selected.
    int selectedRow() const;
    void selectRow(int row);
    /// Shows "Please select a job first." and gives -1 when no row is selected.
    int requireSelectedRow();
    /// Draws the list from the session's jobs, one row per job; rows are reused, so the
    /// selection stays where it was. Emits jobsChanged.
    void drawJobs();
    void swapJobs(int a, int b);

    JobListControls m_controls;
    RenameSession& m_session;
    IUserDialogs& m_dialogs;
    QWidget* m_window;
    std::function<std::int32_t()> m_counterStart;
    /// What the jobs make of name with the values of the sample file (when name is its name),
    /// counter going on; failure receives why a job cannot.
    std::string sampleName(
        const std::vector<Job>& jobs, const std::string& name, std::string& failure, std::int32_t& counter);

    ByteTextMemo m_sampleTexts;
    /// The file of the sample: its folder and name; empty for a typed name.
    std::string m_sampleFolder;
    std::string m_sampleFile;
};

} // namespace brindle
