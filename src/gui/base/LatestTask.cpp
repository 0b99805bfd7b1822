#include "gui/base/LatestTask.h"

#include <utility>

namespace brindle
{

TaskContext::TaskContext(LatestTask* tasks, std::string key, std::uint64_t generation,
    std::shared_ptr<const std::atomic<bool>> cancel)
    : m_tasks(tasks)
    , m_key(std::move(key))
    , m_generation(generation)
    , m_cancel(std::move(cancel))
{
}

void TaskContext::post(std::function<void()> f) const
{
    // Queued to the helper, which lives on the owner's thread: a call still waiting when the
    // helper goes is dropped with it.
    QMetaObject::invokeMethod(
        m_tasks,
        [tasks = m_tasks, key = m_key, generation = m_generation, f = std::move(f)] {
            if (tasks->isLatest(key, generation))
                f();
        },
        Qt::QueuedConnection);
}

LatestTask::LatestTask(QObject* parent)
    : QObject(parent)
{
    m_pool.setMaxThreadCount(1);
}

LatestTask::~LatestTask()
{
    cancelAll();
    m_pool.clear();
    m_pool.waitForDone();
}

void LatestTask::start(Work work, const std::string& key)
{
    const std::uint64_t generation = ++m_generation;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    Latest& latest = m_latest[key];
    if (latest.cancel)
        latest.cancel->store(true);
    latest = Latest {generation, cancel};
    m_pool.start([this, context = TaskContext(this, key, generation, cancel), work = std::move(work)] {
        // A task that went stale while it waited for its turn is not begun.
        if (context.cancelled())
            return;
        Done done = work(context);
        QMetaObject::invokeMethod(
            this,
            [this, key = context.m_key, generation = context.m_generation, done = std::move(done)] {
                finish(key, generation, done);
            },
            Qt::QueuedConnection);
    });
}

void LatestTask::cancel(const std::string& key)
{
    const auto at = m_latest.find(key);
    if (at == m_latest.end())
        return;
    at->second.cancel->store(true);
    m_latest.erase(at);
}

void LatestTask::cancelAll()
{
    for (auto& [key, latest] : m_latest)
        latest.cancel->store(true);
    m_latest.clear();
}

bool LatestTask::isLatest(const std::string& key, std::uint64_t generation) const
{
    const auto at = m_latest.find(key);
    return at != m_latest.end() && at->second.generation == generation;
}

void LatestTask::finish(const std::string& key, std::uint64_t generation, const Done& done)
{
    if (!isLatest(key, generation))
        return;
    // Not busy any more by the time done runs: done may start the next task of its key.
    m_latest.erase(key);
    if (done)
        done();
}

} // namespace brindle
