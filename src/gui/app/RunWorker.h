#pragma once

#include <QObject>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/run/RunHost.h"

class QThread;

namespace brindle
{

/// Runs a run or an undo on a worker thread, so that a folder that is slow to answer never
/// holds up the window. The work reaches the window's host (an IRunHost living on this
/// object's thread) only through queued calls:
/// - a message, a question and the steps at the start and the end block the worker until the
///   window has dealt with them, never the window;
/// - the current folder, the counts and the log lines are kept for the window, which takes
///   them at most about 60 times a second and before every blocking call, so they reach it in
///   the order they were made;
/// - cancel is an atomic flag, answered on the worker whenever the run asks (before every
///   entry), so the Cancel button works at any moment.
class RunWorker : public QObject
{
    Q_OBJECT

public:
    /// What runs on the worker, with the host it is to use.
    using Work = std::function<void(IRunHost& host)>;

    explicit RunWorker(QObject* parent = nullptr);
    /// Cancels a run still going, answers a question it waits on with No and waits for it.
    ~RunWorker() override;
    RunWorker(const RunWorker&) = delete;
    RunWorker& operator=(const RunWorker&) = delete;

    /// Starts work on a worker thread; the calls of its host reach window, which must live
    /// until finished. onStep (may be empty) runs on the worker each time the work asks
    /// whether to cancel: a seam for tests that slow the run down. One work at a time.
    void start(IRunHost& window, Work work, std::function<void()> onStep = {});
    /// Whether a work is going on (from start until finished is emitted).
    bool running() const { return m_thread != nullptr; }
    /// Asks the work to stop before its next entry; a request lasts until the work ends.
    void requestCancel() { m_cancel.store(true); }
    bool cancelRequested() const { return m_cancel.load(); }
    /// The text of an exception the last work ended with, or empty.
    const std::string& error() const { return m_error; }

signals:
    /// The work has ended and everything it sent has reached the window.
    void finished();

private:
    class QueuedHost;
    /// What the worker has kept for the window since the last delivery.
    struct Pending {
        RunStats stats;
        bool hasStats = false;
        std::string folder;
        bool hasFolder = false;
        std::vector<std::string> lines;
    };

    /// On the worker: runs call on the window's thread (after the window has taken what is
    /// pending) and waits until it has run or the worker is let go.
    void callWindow(std::function<void(IRunHost&)> call);
    /// On the window's thread: hands what is pending to the window.
    void deliver();
    void ended();
    /// Lets a worker waiting on the window go without an answer.
    void abandon();

    IRunHost* m_window = nullptr;
    std::unique_ptr<QueuedHost> m_host;
    QThread* m_thread = nullptr;
    std::atomic<bool> m_cancel = false;
    std::string m_error;
    /// The counts last handed to the window.
    RunStats m_shown;
    QTimer m_repaint;

    // Shared by the worker and the window's thread.
    std::mutex m_mutex;
    std::condition_variable m_answered;
    Pending m_pending;
    /// Whether the window will answer no more calls (it is going).
    bool m_abandoned = false;
};

} // namespace brindle
