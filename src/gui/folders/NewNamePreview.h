#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include "core/jobs/Job.h"
#include "core/run/ManualNames.h"
#include "core/run/RunHost.h"
#include "gui/base/LatestTask.h"
#include "gui/folders/FileListModel.h"

namespace brindle
{

class FactsCache;
class TemplateSources;

/// The New name column of the file list: for the folder shown, what a run started there with
/// the given jobs and options would do with each entry, from the run's own plan of the listing
/// the file list holds (its hidden entries included). Computed on a worker from a copy of the
/// jobs whenever the jobs, the options or the table shown change; the newest input wins
/// (LatestTask), so the window never waits and the column ends with the newest input.
class NewNamePreview : public QObject
{
    Q_OBJECT

public:
    explicit NewNamePreview(FileListModel* model, QObject* parent = nullptr);
    ~NewNamePreview() override;

    /// The jobs and options to preview; options.startFolder is ignored (the folder shown is
    /// the one planned), options.counterStart is the counter of its first name.
    void setInput(const RunOptions& options, std::vector<Job> jobs);
    /// The names given by hand in the folder shown (null: none); they override the jobs.
    void setManualNames(std::shared_ptr<const FolderNames> names);
    /// Computes the column again for the input and the table shown (the folder was read again).
    void refresh();
    /// Why the column shows no new names (a job that cannot run), or empty.
    const QString& message() const { return m_message; }
    /// The column shows what the last input gives for the table shown.
    bool isCurrent() const { return !m_task.busy(); }

signals:
    /// A computation's answer was put into the column (message() may have changed).
    void updated();

private:
    FileListModel* m_model;
    RunOptions m_options;
    std::vector<Job> m_jobs;
    std::shared_ptr<const FolderNames> m_manual;
    bool m_hasInput = false;
    QString m_message;
    /// Last: waited for before anything else goes.
    LatestTask m_task;
};

/// The plan a run started in folder makes for the entries of table (shown and hidden), as
/// planStartingFolder makes it from a listing of its own: sorted, named from
/// options.counterStart through jobs and validated, without a question. Each plan entry's tag
/// is its entry number in table (hidden entries: kHiddenEntry). collator sorts the names (null:
/// the user's). Returns 0, or the errno of a folder that cannot be opened to learn how it
/// compares names (the plan is then empty). Runs on any thread.
/// manual holds the names given by hand (or null).
int planFromTable(const ListingTable& table, const std::string& folder, const RunOptions& options,
    const std::vector<Job>& jobs, RenamePlan& plan, const NameCollator* collator = nullptr,
    const FolderNames* manual = nullptr);

/// The facts the window's plans have read, by file and state of the file, shared by every plan
/// and the sample field.
FactsCache& windowFactsCache();

/// The tag of a plan entry that is one of the table's hidden entries.
inline constexpr std::uint32_t kHiddenEntry = 0xFFFFFFFF;

/// The column for table from a plan of its entries (planFromTable; entries the plan does not
/// hold get no verdict) and, when the plan sorted its entries, the run's order of the table:
/// the plan's entries in its order, then the rest in nameOrder. Runs on any thread.
std::shared_ptr<NewNames> newNamesFromPlan(const ListingTable& table, const RenamePlan& plan, bool sorted,
    const std::vector<std::uint32_t>& nameOrder, std::shared_ptr<const TemplateSources> sources = nullptr,
    std::string_view folderName = {});

} // namespace brindle
