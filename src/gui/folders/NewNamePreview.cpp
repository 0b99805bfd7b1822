#include "gui/folders/NewNamePreview.h"

#include <fcntl.h>
#include <malloc.h>

#include <array>
#include <utility>

#include "core/jobs/RenameSession.h"
#include "core/jobs/TemplateSources.h"
#include "core/meta/FactsReader.h"
#include "core/run/ClashKey.h"
#include "core/run/EntryFactsReading.h"
#include "core/run/FileDates.h"
#include "core/run/FileOps.h"
#include "core/run/RenameRun.h"
#include "gui/base/DisplayName.h"

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

FactsCache& windowFactsCache()
{
    static FactsCache cache;
    return cache;
}

int planFromTable(const ListingTable& table, const std::string& folder, const RunOptions& options,
    const std::vector<Job>& jobs, RenamePlan& plan, const NameCollator* collator, const FolderNames* manual)
{
    plan = RenamePlan();
    // Opened only to learn how the folder compares names: the listing is the table's.
    const Fd dir = openFolder(AT_FDCWD, folder, true);
    if (!dir.valid())
        return dir.error().code();
    const FileMask mask(options.mask);
    const bool byName = options.sort
        && (options.sortOrder == SortOrder::NameAsc || options.sortOrder == SortOrder::NameDesc);
    const bool dates = options.sort && !byName;
    // The run's listing: every subfolder (hidden ones too), the files the mask takes (never a
    // hidden one or the undo file), every other name; each entry tagged with its table entry.
    FileEntryList dirs;
    FileEntryList files;
    NameList others;
    const auto add = [&](const FolderEntries& from, std::size_t i, std::uint32_t tag) {
        const std::string_view name = from.name(i);
        const FolderEntry& e = from.entries[i];
        FileEntryList* to = nullptr;
        if (e.type == EntryType::Folder)
            to = &dirs;
        else if (!isHiddenName(name) && name != kUndoFileName && mask.matches(name))
            to = &files;
        if (!to) {
            others.push_back(name);
            return;
        }
        FileEntry& entry = to->emplace_back(
            std::string(name), dates ? fileTimeToDate(static_cast<std::time_t>(e.mtime)) : 0.0);
        entry.tag = tag;
    };
    // In the folder's own order, as the run lists it: the hidden entries in their places
    // between the shown ones.
    std::size_t h = 0;
    for (std::size_t i = 0; i <= table.size(); ++i) {
        for (; h < table.hidden.size() && table.hiddenAt[h] == i; ++h)
            add(table.hidden, h, kHiddenEntry);
        if (i < table.size())
            add(table.entries, i, static_cast<std::uint32_t>(i));
    }
    RenamePlan::Options planOptions = planOptionsOf(options);
    planOptions.nameCase = nameCaseOf(options.nameCase, dir.get(), dirs, files, others);
    // Templates read the files; the column plans the folder again after every edit, so what
    // was read is kept for as long as the file stays as it is.
    planOptions.dirFd = dir.get();
    planOptions.folderName = folderNameOf(folder);
    planOptions.factsCache = &windowFactsCache();
    if (!collator && byName)
        collator = &NameCollator::user(options.naturalSort);
    // The counter starts where a run's starts: a run begins with the counter at its start.
    std::int32_t counter = options.counterStart;
    plan.setManualNames(manual);
    plan.compute(std::move(dirs), std::move(files), std::move(others), planOptions, jobs, counter);
    return 0;
}

std::shared_ptr<NewNames> newNamesFromPlan(const ListingTable& table, const RenamePlan& plan, bool sorted,
    const std::vector<std::uint32_t>& nameOrder, std::shared_ptr<const TemplateSources> sources,
    std::string_view folderName)
{
    const std::size_t n = table.size();
    // The plan entry of each table entry, found by the tag each plan entry carries.
    constexpr std::uint32_t kNone = 0xFFFFFFFF;
    std::vector<std::uint32_t> planOf(n, kNone);
    std::vector<std::uint32_t> order;
    if (sorted)
        order.reserve(n);
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const std::uint32_t entry = plan.entry(i).tag;
        if (entry >= n)
            continue; // hidden
        planOf[entry] = static_cast<std::uint32_t>(i);
        if (sorted)
            order.push_back(entry);
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
        if (verdict == EntryVerdict::Error) {
            names->reasons.emplace_back(static_cast<std::uint32_t>(e), plan.reason(i));
            if (plan.failure(i) == Failure::Held || plan.failure(i) == Failure::WantedFirst)
                ++names->clashes;
        }
        if (plan.manual(i))
            names->manual.push_back(static_cast<std::uint32_t>(e));
        if (sources && plan.entry(i).facts)
            names->facts.emplace_back(static_cast<std::uint32_t>(e), plan.entry(i).facts);
    }
    names->names.shrink_to_fit();
    if (sources && !names->facts.empty()) {
        names->templates = std::move(sources);
        names->folderName = folderName;
    }
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
    // Only a folder read to its end is planned: the first rows of a large one would be
    // planned in vain.
    connect(m_model, &FileListModel::loaded, this, &NewNamePreview::refresh);
}

NewNamePreview::~NewNamePreview() = default;

void NewNamePreview::setInput(const RunOptions& options, std::vector<Job> jobs)
{
    m_options = options;
    m_jobs = std::move(jobs);
    m_hasInput = true;
    refresh();
}

void NewNamePreview::setManualNames(std::shared_ptr<const FolderNames> names)
{
    m_manual = std::move(names);
    refresh();
}

void NewNamePreview::refresh()
{
    const std::shared_ptr<const ListingTable> table = m_model->table();
    if (!m_hasInput || !table || !m_model->isLoaded()) {
        m_task.cancel();
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
    m_task.start([this, table, folder = m_model->folder(), options = m_options, jobs = std::move(check.jobs),
                     message, manual = m_manual](const TaskContext&) -> LatestTask::Done {
        RenamePlan plan;
        planFromTable(
            *table, folder, options, jobs, plan, &workerCollator(options.naturalSort), manual.get());
        std::vector<std::uint32_t> nameOrder;
        if (options.sort)
            nameOrder = sortedEntries(*table, colName, false);
        auto sources = std::make_shared<const TemplateSources>(jobs);
        std::shared_ptr<const NewNames> names = newNamesFromPlan(*table, plan, options.sort, nameOrder,
            sources->empty() ? nullptr : std::move(sources), folderNameOf(folder));
        plan = RenamePlan();
        nameOrder = {};
        // The plan of a large folder leaves megabytes of small free blocks in this thread's
        // own heap; given back now, they do not stay with the window between two edits. A
        // small folder's plan leaves little, not worth a trim.
        if (table->size() >= kTrimAfter)
            ::malloc_trim(0);
        return [this, table, names, message] {
            m_message = message;
            m_model->setNewNames(table, names);
            emit updated();
        };
    });
}

} // namespace brindle
