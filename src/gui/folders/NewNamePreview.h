#pragma once

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <cstdint>
#include <memory>
#include <vector>

#include "gui/folders/FileListModel.h"
#include "core/jobs/Job.h"
#include "core/run/RunHost.h"

namespace brindle
{

/// The New name column of the file list: for the folder shown, what a run started there with
/// the given jobs and options would do with each entry, from the run's own plan. Computed on
/// a worker from a copy of the jobs whenever the jobs, the options or the table shown change;
/// one computation at a time, and an answer for an older input or table is dropped, so the
/// window never waits and the column ends with the newest input.
class NewNamePreview : public QObject
{
    Q_OBJECT

public:
    explicit NewNamePreview(FileListModel* model, QObject* parent = nullptr);
    ~NewNamePreview() override;

    /// The jobs and options to preview; options.startFolder is ignored (the folder shown is
    /// the one planned), options.counterStart is the counter of its first name.
    void setInput(const RunOptions& options, std::vector<Job> jobs);
    /// Computes the column again for the input and the table shown (the folder was read again).
    void refresh();
    /// Why the column shows no new names (a job that cannot run), or empty.
    const QString& message() const { return m_message; }
    /// The column shows what the last input gives for the table shown.
    bool isCurrent() const { return !m_busy && !m_pending && m_appliedFor == m_generation; }

signals:
    /// A computation's answer was put into the column (message() may have changed).
    void updated();

private:
    void start();
    void finish(std::uint64_t generation, const std::shared_ptr<const ListingTable>& table,
        std::shared_ptr<const NewNames> names, const QString& message);

    FileListModel* m_model;
    RunOptions m_options;
    std::vector<Job> m_jobs;
    bool m_hasInput = false;
    /// Counts inputs and tables; an answer computed for an older one is dropped.
    std::uint64_t m_generation = 0;
    std::uint64_t m_appliedFor = 0;
    bool m_busy = false;
    /// Something changed while the worker was busy: it starts again when done.
    bool m_pending = false;
    QString m_message;
    /// Last: waited for before anything else goes.
    QThreadPool m_pool;
};

/// The column for table from a plan of the same folder (entries matched by name; entries the
/// plan does not hold get no verdict) and, when the plan sorted its entries, the run's order of
/// the table: the plan's entries in its order, then the rest in nameOrder. Runs on any thread.
std::shared_ptr<NewNames> newNamesFromPlan(const ListingTable& table, const RenamePlan& plan, bool sorted,
    const std::vector<std::uint32_t>& nameOrder);

} // namespace brindle
