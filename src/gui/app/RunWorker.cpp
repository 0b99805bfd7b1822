#include "gui/app/RunWorker.h"

#include <QThread>

#include <exception>
#include <utility>

namespace brindle
{

namespace
{

/// The window takes the counts, the current folder and the log lines at most this often
/// (about 60 times a second); a run of 100,000 files would otherwise spend its time painting.
constexpr int kRepaintIntervalMs = 16;

} // namespace

/// The host the work sees on the worker: every call is passed on to the window's host.
class RunWorker::QueuedHost final : public IRunHost
{
public:
    QueuedHost(RunWorker& worker, std::function<void()> onStep, std::string undoFileHint)
        : m_worker(worker)
        , m_onStep(std::move(onStep))
        , m_undoFileHint(std::move(undoFileHint))
    {
    }

    std::string_view undoFileHint() const override { return m_undoFileHint; }

    void showMessage(std::string_view text) override
    {
        m_worker.callWindow([text = std::string(text)](IRunHost& window) { window.showMessage(text); });
    }

    void showFailure(std::string_view message, std::string_view logText) override
    {
        m_worker.callWindow([message = std::string(message), logText = std::string(logText)](
                                IRunHost& window) { window.showFailure(message, logText); });
    }

    bool askYesNo(std::string_view text, Question kind) override
    {
        // No, unless the window answers (it does not when it is going).
        auto answer = std::make_shared<bool>(false);
        m_worker.callWindow([answer, text = std::string(text), kind](
                                IRunHost& window) { *answer = window.askYesNo(text, kind); });
        return *answer;
    }

    void logLine(std::string_view line) override
    {
        const std::lock_guard lock(m_worker.m_mutex);
        m_worker.m_pending.lines.emplace_back(line);
    }

    void runStarted(const RunOptions& options) override
    {
        m_worker.callWindow([options](IRunHost& window) { window.runStarted(options); });
    }

    void showCurrentFolder(std::string_view folder) override
    {
        const std::lock_guard lock(m_worker.m_mutex);
        m_worker.m_pending.folder.assign(folder);
        m_worker.m_pending.hasFolder = true;
    }

    void updateProgress(const RunStats& stats) override
    {
        const std::lock_guard lock(m_worker.m_mutex);
        m_worker.m_pending.stats = stats;
        m_worker.m_pending.hasStats = true;
    }

    bool cancelRequested() override
    {
        if (m_onStep)
            m_onStep();
        return m_worker.m_cancel.load();
    }

    // resultNodeAdded is not passed on: the tree is still being filled on the worker. The
    // window reads it at runFinished, while the worker waits.

    void runFinished(const RunResult& result, const RunStats& stats, const ResultTree* tree) override
    {
        m_worker.callWindow(
            [result, stats, tree](IRunHost& window) { window.runFinished(result, stats, tree); });
    }

    void undoStarted() override
    {
        m_worker.callWindow([](IRunHost& window) { window.undoStarted(); });
    }

    void undoFinished(const UndoResult& result) override
    {
        m_worker.callWindow([result](IRunHost& window) { window.undoFinished(result); });
    }

private:
    RunWorker& m_worker;
    std::function<void()> m_onStep;
    // The window's text, taken on the window's thread when the work starts.
    std::string m_undoFileHint;
};

RunWorker::RunWorker(QObject* parent)
    : QObject(parent)
{
    m_repaint.setInterval(kRepaintIntervalMs);
    connect(&m_repaint, &QTimer::timeout, this, &RunWorker::deliver);
}

RunWorker::~RunWorker()
{
    if (!m_thread)
        return;
    // The window is going: the work is cancelled and let go of any call it waits on, so that
    // it ends at its next step.
    requestCancel();
    abandon();
    m_thread->wait();
    delete m_thread;
}

void RunWorker::start(IRunHost& window, Work work, std::function<void()> onStep)
{
    if (m_thread)
        return;
    m_window = &window;
    m_cancel.store(false);
    m_error.clear();
    m_shown = RunStats {};
    {
        const std::lock_guard lock(m_mutex);
        m_pending = Pending {};
        m_abandoned = false;
    }
    m_host = std::make_unique<QueuedHost>(*this, std::move(onStep), std::string(window.undoFileHint()));
    m_thread = QThread::create([this, work = std::move(work)] {
        try {
            work(*m_host);
        } catch (const std::exception& e) {
            // Read on the window's thread once the thread has ended.
            m_error = e.what();
        }
    });
    // Queued: the thread's last signal comes from the worker.
    connect(m_thread, &QThread::finished, this, &RunWorker::ended);
    m_repaint.start();
    m_thread->start();
}

void RunWorker::callWindow(std::function<void(IRunHost&)> call)
{
    auto done = std::make_shared<bool>(false);
    QMetaObject::invokeMethod(
        this,
        [this, call = std::move(call), done] {
            {
                const std::lock_guard lock(m_mutex);
                if (m_abandoned)
                    return;
            }
            // What the worker kept comes first, so the window sees everything in order.
            deliver();
            call(*m_window);
            const std::lock_guard lock(m_mutex);
            *done = true;
            m_answered.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(m_mutex);
    m_answered.wait(lock, [&] { return *done || m_abandoned; });
}

void RunWorker::deliver()
{
    if (!m_window)
        return;
    Pending pending;
    {
        const std::lock_guard lock(m_mutex);
        std::swap(pending, m_pending);
    }
    if (!pending.hasFolder && !pending.hasStats && pending.lines.empty())
        return;
    if (pending.hasFolder)
        m_window->showCurrentFolder(pending.folder);
    for (const std::string& line : pending.lines)
        m_window->logLine(line);
    if (pending.hasStats)
        m_shown = pending.stats;
    // The window paints the counts and the new log lines once per delivery.
    m_window->updateProgress(m_shown);
}

void RunWorker::ended()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_repaint.stop();
    deliver();
    m_host.reset();
    m_window = nullptr;
    emit finished();
}

void RunWorker::abandon()
{
    const std::lock_guard lock(m_mutex);
    m_abandoned = true;
    m_answered.notify_all();
}

} // namespace brindle
