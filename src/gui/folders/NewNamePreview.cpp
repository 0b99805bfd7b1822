#include "gui/folders/NewNamePreview.h"

#include <malloc.h>

#include <array>
#include <utility>

#include "gui/base/DisplayName.h"
#include "core/jobs/RenameSession.h"
#include "core/run/RenameRun.h"

namespace brindle
{

namespace
{

/// A worker's own collators (one collator is not to be used by two threads at once), made on
/// first use in that thread.
const NameCollator& workerCollator(bool natural)
{
    thread_local std::array<std::unique_ptr<NameCollator>, 2> collators;
    std::unique_ptr<NameCollator>& c = collators[natural ? 1 : 0];
    if (!c)
        c = std::make_unique<NameCollator>(NameCollator::userLocaleName(), natural);
    return *c;
}

EntryVerdict verdictOf(const RenamePlan& plan, std::size_t i)
{
    switch (plan.verdict(i)) {
    case Verdict::Renamed:
        return EntryVerdict::Renamed;
    case Verdict::Failed:
        return EntryVerdict::Error;
    case Verdict::Unchanged:
    case Verdict::Declined:
        break;
    }
    return EntryVerdict::Unchanged;
}

/// Entries from which the memory of a plan is given back to the system once it is done: from
/// a few thousand on, the free blocks a plan leaves (some 300 bytes an entry) outweigh the
/// fraction of a millisecond the trim takes.
constexpr std::size_t kTrimAfter = 5000;

} // namespace

std::shared_ptr<NewNames> newNamesFromPlan(const ListingTable& table, const RenamePlan& plan, bool sorted,
    const std::vector<std::uint32_t>& nameOrder)
{
    const std::size_t n = table.size();
    // The plan entry of each table entry.
    constexpr std::uint32_t kNone = 0xFFFFFFFF;
    std::vector<std::uint32_t> planOf(n, kNone);
    std::vector<std::uint32_t> order;
    if (sorted)
        order.reserve(n);
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const std::int64_t entry = table.find(plan.entry(i).name);
        if (entry < 0)
            continue; // hidden, or come since the table was read
        planOf[static_cast<std::size_t>(entry)] = static_cast<std::uint32_t>(i);
        if (sorted)
            order.push_back(static_cast<std::uint32_t>(entry));
    }
    auto names = std::make_shared<NewNames>();
    names->verdicts.reserve(n);
    names->nameAt.reserve(n + 1);
    for (std::size_t e = 0; e < n; ++e) {
        const std::uint32_t i = planOf[e];
        if (i == kNone) {
            names->add(EntryVerdict::None);
            continue;
        }
        const EntryVerdict verdict = verdictOf(plan, i);
        names->add(verdict, verdict == EntryVerdict::Unchanged ? std::string_view() : plan.newName(i));
        if (verdict == EntryVerdict::Error)
            names->reasons.emplace_back(static_cast<std::uint32_t>(e), plan.reason(i));
    }
    names->names.shrink_to_fit();
    if (sorted) {
        // What the plan does not hold (files outside the mask) follows in name order.
        for (const std::uint32_t e : nameOrder) {
            if (planOf[e] == kNone)
                order.push_back(e);
        }
        names->runOrder = std::move(order);
    }
    return names;
}

NewNamePreview::NewNamePreview(FileListModel* model, QObject* parent)
    : QObject(parent)
    , m_model(model)
{
    m_pool.setMaxThreadCount(1);
    // Only a folder read to its end is planned: the first rows of a large one would be
    // planned in vain.
    connect(m_model, &FileListModel::loaded, this, &NewNamePreview::refresh);
}

NewNamePreview::~NewNamePreview()
{
    m_pool.waitForDone();
}

void NewNamePreview::setInput(const RunOptions& options, std::vector<Job> jobs)
{
    m_options = options;
    m_jobs = std::move(jobs);
    m_hasInput = true;
    refresh();
}

void NewNamePreview::refresh()
{
    ++m_generation;
    if (m_busy)
        m_pending = true;
    else
        start();
}

void NewNamePreview::start()
{
    m_pending = false;
    const std::shared_ptr<const ListingTable> table = m_model->table();
    if (!m_hasInput || !table || !m_model->isLoaded()) {
        m_appliedFor = m_generation;
        m_message.clear();
        emit updated();
        return;
    }
    // A job list that cannot run renames nothing: the plan still gives the run's order.
    QString message;
    RenameSession check;
    check.jobs = m_jobs;
    if (const std::string invalid = check.invalidJobMessage(); !invalid.empty()) {
        message = QStringLiteral("No new names: %1").arg(nameForDisplay(invalid));
        check.jobs.clear();
    }
    std::vector<Job> jobs = std::move(check.jobs);
    RunOptions options = m_options;
    options.startFolder = m_model->folder();
    const std::uint64_t generation = m_generation;
    const bool sorted = options.sort;
    m_busy = true;
    m_pool.start([this, generation, table, options, jobs = std::move(jobs), message, sorted] {
        RenamePlan plan;
        planStartingFolder(options, jobs, plan, &workerCollator(options.naturalSort));
        std::vector<std::uint32_t> nameOrder;
        if (sorted)
            nameOrder = sortedEntries(*table, colName, false);
        std::shared_ptr<const NewNames> names = newNamesFromPlan(*table, plan, sorted, nameOrder);
        plan = RenamePlan();
        nameOrder = {};
        // The plan of a large folder leaves megabytes of small free blocks in this thread's
        // own heap; given back now, they do not stay with the window between two edits. A
        // small folder's plan leaves little, not worth a trim.
        if (table->size() >= kTrimAfter)
            ::malloc_trim(0);
        QMetaObject::invokeMethod(
            this, [this, generation, table, names = std::move(names), message]() mutable {
                finish(generation, table, std::move(names), message);
            });
    });
}

void NewNamePreview::finish(std::uint64_t generation, const std::shared_ptr<const ListingTable>& table,
    std::shared_ptr<const NewNames> names, const QString& message)
{
    m_busy = false;
    if (generation == m_generation) {
        m_appliedFor = generation;
        m_message = message;
        m_model->setNewNames(table, std::move(names));
        emit updated();
    }
    if (m_pending)
        start();
}

} // namespace brindle
