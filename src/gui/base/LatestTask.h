#pragma once

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace brindle
{

class LatestTask;

/// What a task of LatestTask sees of its owner: whether it is still wanted, and a way to hand
/// a partial result back before the work is done.
class TaskContext
{
public:
    /// Whether the task went stale (a newer task of its key was started, or it was cancelled):
    /// whatever it hands back is dropped, so it may stop at its next convenient point.
    bool cancelled() const { return m_cancel->load(std::memory_order_relaxed); }
    /// Runs f on the owner's thread, unless the task has gone stale by then.
    void post(std::function<void()> f) const;

private:
    friend class LatestTask;
    TaskContext(LatestTask* tasks, std::string key, std::uint64_t generation,
        std::shared_ptr<const std::atomic<bool>> cancel);

    LatestTask* m_tasks;
    std::string m_key;
    std::uint64_t m_generation;
    std::shared_ptr<const std::atomic<bool>> m_cancel;
};

/// Work of an object on the window's thread done on a worker thread of its own, where only the
/// answer to the newest request counts: the window never waits, and an answer computed for an
/// older input is never applied over a newer one.
///
/// Every task has a key (a folder of a tree, or "" where there is one kind of task). Starting a
/// task gives it the next generation number and makes the older task of its key stale: its
/// cancel token is set and what it hands back is dropped. Tasks run one at a time in the order
/// they were started; a stale task that has not begun is skipped. What the work returns runs
/// on the owner's thread, and only while its task is the newest of its key. Destroying the
/// helper cancels every task and waits for the one at hand.
class LatestTask : public QObject
{
public:
    /// What runs on the owner's thread once the work is done; may be empty.
    using Done = std::function<void()>;
    using Work = std::function<Done(const TaskContext&)>;

    explicit LatestTask(QObject* parent = nullptr);
    ~LatestTask() override;
    LatestTask(const LatestTask&) = delete;
    LatestTask& operator=(const LatestTask&) = delete;

    /// Starts work as the newest task of key.
    void start(Work work, const std::string& key = {});
    /// Makes the task of key stale without starting another.
    void cancel(const std::string& key = {});
    /// Makes every task stale.
    void cancelAll();
    /// Whether the newest task of key has not handed back its result yet.
    bool busy(const std::string& key = {}) const { return m_latest.contains(key); }
    /// How many keys have a task whose result is still to come.
    std::size_t pending() const { return m_latest.size(); }

private:
    friend class TaskContext;
    struct Latest {
        std::uint64_t generation = 0;
        std::shared_ptr<std::atomic<bool>> cancel;
    };
    bool isLatest(const std::string& key, std::uint64_t generation) const;
    void finish(const std::string& key, std::uint64_t generation, const Done& done);

    /// The newest task of each key whose result is still to come; used on the owner's thread
    /// only.
    std::map<std::string, Latest> m_latest;
    std::uint64_t m_generation = 0;
    /// Last: waited for before anything else goes.
    QThreadPool m_pool;
};

} // namespace brindle
