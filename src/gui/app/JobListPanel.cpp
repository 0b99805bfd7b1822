#include "gui/app/JobListPanel.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>

#include <algorithm>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "core/jobs/NameTemplate.h"
#include "core/jobs/JobStringLimit.h"
#include "core/jobs/RenameSession.h"
#include "core/meta/FactsReader.h"
#include "core/run/EntryFactsReading.h"
#include "gui/base/DisplayName.h"
#include "gui/folders/NewNamePreview.h"
#include "gui/app/UserDialogs.h"
#include "gui/base/NameText.h"
#include "gui/jobs/CaseJobDialog.h"
#include "gui/jobs/CounterJobDialog.h"
#include "gui/jobs/InsertJobDialog.h"
#include "gui/jobs/RemoveJobDialog.h"
#include "gui/jobs/ReplaceJobDialog.h"
#include "gui/jobs/TemplateJobDialog.h"

namespace brindle
{

namespace
{

constexpr const char* kMsgSelectJobFirst = "Please select a job first.";

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
    for (;;) {
        if (dialogs.execDialog(dialog) != QDialog::Accepted)
            return false;
        Job made = job;
        dialog.storeJob(made);
        // A text longer than any name the jobs may make is refused where it is typed; the
        // dialog opens again as it was left.
        if (jobStringsFit(made)) {
            job = std::move(made);
            return true;
        }
        dialogs.showMessage(parent, messageText(jobStringTooLongMessage()));
    }
}

} // namespace

JobListPanel::JobListPanel(const JobListControls& controls, RenameSession& session, IUserDialogs& dialogs,
    QWidget* window, std::function<std::int32_t()> counterStart)
    : QObject(window)
    , m_controls(controls)
    , m_session(session)
    , m_dialogs(dialogs)
    , m_window(window)
    , m_counterStart(std::move(counterStart))
{
    const std::pair<QAbstractButton*, JobType> adders[] = {{m_controls.addLower, jobLower},
        {m_controls.addUpper, jobUpper}, {m_controls.addNormal, jobNormal}, {m_controls.addInsert, jobInsert},
        {m_controls.addRemove, jobRemove}, {m_controls.addReplace, jobReplace},
        {m_controls.addCounter, jobCounter}, {m_controls.addTemplate, jobTemplate}};
    for (const auto& [button, kind] : adders) {
        if (button)
            connect(button, &QAbstractButton::clicked, this, [this, kind = kind] { addJob(kind); });
    }
    connect(m_controls.edit, &QAbstractButton::clicked, this, &JobListPanel::editSelectedJob);
    connect(m_controls.remove, &QAbstractButton::clicked, this, &JobListPanel::deleteSelectedJob);
    connect(m_controls.moveUp, &QAbstractButton::clicked, this, &JobListPanel::moveSelectedJobUp);
    connect(m_controls.moveDown, &QAbstractButton::clicked, this, &JobListPanel::moveSelectedJobDown);
    connect(m_controls.applyToSample, &QAbstractButton::clicked, this, &JobListPanel::applyJobsToSample);
    connect(m_controls.sample, &QLineEdit::returnPressed, this, &JobListPanel::applyJobsToSample);
    // The keys of a list: Delete removes the selected job; Enter and a double click edit it.
    auto* del = new QShortcut(QKeySequence(QKeySequence::Delete), m_controls.list);
    del->setContext(Qt::WidgetShortcut);
    connect(del, &QShortcut::activated, this, &JobListPanel::deleteSelectedJob);
    // The mouse and the keys each by their own way, so that one double click opens one dialog
    // whatever the style says about activating items.
    connect(m_controls.list, &QListWidget::doubleClicked, this, &JobListPanel::editSelectedJob);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        auto* enter = new QShortcut(QKeySequence(key), m_controls.list);
        enter->setContext(Qt::WidgetShortcut);
        connect(enter, &QShortcut::activated, this, &JobListPanel::editSelectedJob);
    }
    if (m_controls.sampleResult) {
        m_controls.sampleResult->setTextFormat(Qt::PlainText);
        m_controls.sampleResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
}

bool JobListPanel::addJob(JobType kind)
{
    Job job = Job::create(kind);
    // A template takes the place of the name unless told otherwise.
    if (kind == jobTemplate)
        job.modifier = posInPlaceOfName;
    // A case job made here changes every letter; stored job lists keep their A-to-Z jobs.
    if (kind == jobLower || kind == jobUpper || kind == jobNormal)
        job.int1 = 1;
    if (!editJob(job))
        return false;
    m_session.jobs.push_back(std::move(job));
    drawJobs();
    return true;
}

bool JobListPanel::editJob(Job& job)
{
    switch (job.jobType) {
    case jobLower:
    case jobUpper:
    case jobNormal:
        return runJobDialog<CaseJobDialog>(m_dialogs, m_window, job);
    case jobInsert:
        return runJobDialog<InsertJobDialog>(m_dialogs, m_window, job, [this](InsertJobDialog& dialog) {
            dialog.showMessage = [this](QWidget* parent, const QString& text) {
                m_dialogs.showMessage(parent, text, MessageKind::Warning);
            };
        });
    case jobRemove:
        return runJobDialog<RemoveJobDialog>(m_dialogs, m_window, job);
    case jobReplace:
        return runJobDialog<ReplaceJobDialog>(m_dialogs, m_window, job, [this](ReplaceJobDialog& dialog) {
            dialog.showMessage = [this](QWidget* parent, const QString& text) {
                m_dialogs.showMessage(parent, text, MessageKind::Warning);
            };
            dialog.showRegexHelp = [this] { emit helpRequested(QStringLiteral("regex")); };
        });
    case jobCounter:
        return runJobDialog<CounterJobDialog>(m_dialogs, m_window, job);
    case jobTemplate: {
        // The sample of the dialog: the jobs before this one, then the job as set in the
        // dialog, on the sample (with its file's values when a file was clicked).
        const auto at = std::find_if(m_session.jobs.begin(), m_session.jobs.end(),
            [&job](const Job& other) { return &other == &job; });
        std::vector<Job> before(m_session.jobs.begin(), at);
        return runJobDialog<TemplateJobDialog>(
            m_dialogs, m_window, job, [this, before = std::move(before)](TemplateJobDialog& dialog) {
                dialog.showMessage
                    = [this](QWidget* parent, const QString& text) { m_dialogs.showMessage(parent, text); };
                dialog.sample = [this, before](const Job& edited, std::string& failure) {
                    std::vector<Job> jobs = before;
                    jobs.push_back(edited);
                    const std::string name = m_sampleFile.empty() ? sampleText() : m_sampleFile;
                    std::int32_t counter = m_counterStart();
                    return sampleName(jobs, name, failure, counter);
                };
            });
    }
    default:
        return false;
    }
}

void JobListPanel::replaceJobs(std::vector<Job> jobs)
{
    m_session.jobs = std::move(jobs);
    drawJobs();
    selectRow(-1);
}

std::string JobListPanel::sampleText() const
{
    return m_sampleTexts.bytes(m_controls.sample, m_controls.sample->text());
}

void JobListPanel::setSampleText(const std::string& bytes)
{
    m_controls.sample->setText(m_sampleTexts.show(m_controls.sample, bytes));
}

void JobListPanel::showSampleOf(const std::string& name)
{
    m_sampleFolder.clear();
    m_sampleFile.clear();
    if (name != sampleText())
        setSampleText(name);
    std::string failure;
    showSampleResult(m_session.previewName(name, EntryKind::File, &failure), failure);
}

void JobListPanel::showSampleResult(const std::string& result, const std::string& failure)
{
    // The sample stays as typed: the result goes below it, so testing twice gives the same.
    const QString text = bytesToText(result);
    if (m_controls.sampleResult) {
        m_controls.sampleResult->setText(QStringLiteral("Result: ") + text);
        m_controls.sampleResult->setToolTip(failure.empty() ? text : nameForDisplay(failure));
    }
}

QString JobListPanel::sampleResult() const
{
    const QString text = m_controls.sampleResult ? m_controls.sampleResult->text() : QString();
    return text.isEmpty() ? text : text.mid(static_cast<qsizetype>(QStringLiteral("Result: ").size()));
}

void JobListPanel::clearJobs()
{
    replaceJobs({});
}

void JobListPanel::showSampleOfFile(const std::string& folder, const std::string& name)
{
    m_sampleFolder = folder;
    m_sampleFile = name;
    if (name != sampleText())
        setSampleText(name);
    std::string failure;
    // As for a typed name, the counter goes on from where it stands.
    const std::string result = sampleName(m_session.jobs, name, failure, m_session.counterValue);
    showSampleResult(result, failure);
}

std::string JobListPanel::sampleName(
    const std::vector<Job>& jobs, const std::string& name, std::string& failure, std::int32_t& counter)
{
    RenameSession session;
    session.jobs = jobs;
    session.counterValue = counter;
    struct CounterBack {
        std::int32_t& to;
        const RenameSession& from;
        ~CounterBack() { to = from.counterValue; }
    } counterBack {counter, session};
    const FactsNeed need = session.factsNeed();
    if (m_sampleFolder.empty() || name != m_sampleFile)
        return session.applyJobList(name, &failure);
    // One file's values, read on the window's thread: a file's headers, cached.
    const int dir = ::open(m_sampleFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const std::shared_ptr<const FileFacts> facts
        = dir >= 0 ? readFileFacts(dir, name, need, &windowFactsCache()) : nullptr;
    if (dir >= 0)
        ::close(dir);
    const std::string folderName = folderNameOf(m_sampleFolder);
    const EntryFacts entry {folderName, facts.get()};
    return session.applyJobList(name, &failure, &entry);
}

void JobListPanel::applyJobsToSample()
{
    m_session.counterValue = m_counterStart();
    m_session.counterSpent = false;
    showSampleOf(sampleText());
}

void JobListPanel::editSelectedJob()
{
    const int row = requireSelectedRow();
    if (row < 0)
        return;
    if (editJob(m_session.jobs[static_cast<std::size_t>(row)]))
        drawJobs();
}

void JobListPanel::deleteSelectedJob()
{
    const int row = requireSelectedRow();
    if (row < 0)
        return;
    m_session.jobs.erase(m_session.jobs.begin() + row);
    drawJobs();
    const int count = m_controls.list->count();
    selectRow(count == 0 ? -1 : std::min(row, count - 1));
}

void JobListPanel::moveSelectedJobUp()
{
    const int row = requireSelectedRow();
    if (row <= 0)
        return;
    swapJobs(row, row - 1);
    selectRow(row - 1);
}

void JobListPanel::moveSelectedJobDown()
{
    const int row = requireSelectedRow();
    if (row < 0 || row >= m_controls.list->count() - 1)
        return;
    swapJobs(row, row + 1);
    selectRow(row + 1);
}

int JobListPanel::selectedRow() const
{
    const QList<QListWidgetItem*> items = m_controls.list->selectedItems();
    return items.isEmpty() ? -1 : m_controls.list->row(items.front());
}

void JobListPanel::selectRow(int row)
{
    QListWidget* list = m_controls.list;
    if (row < 0 || row >= list->count()) {
        list->clearSelection();
        list->setCurrentRow(-1);
        return;
    }
    list->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

int JobListPanel::requireSelectedRow()
{
    const int row = selectedRow();
    if (row < 0)
        m_dialogs.showMessage(m_window, QString::fromUtf8(kMsgSelectJobFirst), MessageKind::Warning);
    return row;
}

void JobListPanel::drawJobs()
{
    QListWidget* list = m_controls.list;
    const int count = static_cast<int>(m_session.jobs.size());
    while (list->count() > count)
        delete list->takeItem(list->count() - 1);
    for (int row = 0; row < count; ++row) {
        const QString text = bytesToText(m_session.jobs[static_cast<std::size_t>(row)].description());
        if (row == list->count())
            list->addItem(text);
        else if (list->item(row)->text() != text)
            list->item(row)->setText(text);
    }
    emit jobsChanged();
}

void JobListPanel::swapJobs(int a, int b)
{
    std::swap(m_session.jobs[static_cast<std::size_t>(a)], m_session.jobs[static_cast<std::size_t>(b)]);
    drawJobs();
}

} // namespace brindle
