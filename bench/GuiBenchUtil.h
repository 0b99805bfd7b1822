// What the window benchmarks share: their options, a scratch folder, dialogs that answer
// nothing, the main window set up, a clock in milliseconds, the process's memory, a wait on the event loop,
// the longest time the loop stood still, and the median of the repetitions.
#pragma once

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "gui/app/MainWindow.h"
#include "gui/app/UserDialogs.h"
#include "gui/folders/FileListModel.h"
#include "gui/folders/FileListView.h"
#include "gui/folders/NewNamePreview.h"

namespace brindle::bench
{

/// The options of a benchmark's command line by name ("--folder DIR" as {"folder", "DIR"});
/// the names in flags take no value ("--real" as {"real", ""}).
inline std::map<std::string, std::string> benchOptions(
    int argc, char** argv, std::initializer_list<std::string_view> flags = {})
{
    std::map<std::string, std::string> options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (!a.starts_with("--"))
            continue;
        const std::string name(a.substr(2));
        const bool flag = std::find(flags.begin(), flags.end(), name) != flags.end();
        options[name] = flag || i + 1 >= argc ? std::string() : std::string(argv[++i]);
    }
    return options;
}

/// The whole-number option name, or fallback when it is not given.
inline int intOption(const std::map<std::string, std::string>& options, const std::string& name, int fallback)
{
    const auto it = options.find(name);
    return it == options.end() ? fallback : std::atoi(it->second.c_str());
}

/// A new folder under the temporary folder, its name from prefix; empty when it cannot be made.
inline std::string makeScratchFolder(std::string_view prefix)
{
    std::string dir = std::filesystem::temp_directory_path() / (std::string(prefix) + "-XXXXXX");
    return ::mkdtemp(dir.data()) ? dir : std::string();
}

/// Answers Yes, chooses and types nothing and shows nothing: messages go to standard error
/// and are counted.
class SilentDialogs final : public IUserDialogs
{
public:
    int messages = 0;
    void showMessage(QWidget*, const QString& text) override
    {
        ++messages;
        std::fprintf(stderr, "message: %s\n", text.toLocal8Bit().constData());
    }
    bool askYesNo(QWidget*, const QString&) override { return true; }
    QString chooseOpenFile(QWidget*, const FileDialogOptions&) override { return {}; }
    QString chooseSaveFile(QWidget*, const FileDialogOptions&) override { return {}; }
    int execDialog(QDialog&) override { return 0; }
    QString askText(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
};

/// The main window as the program starts it, on the application and settings folder dir
/// (ending in '/'), answered by silent dialogs, 1200 by 700 and shown; its file list and New
/// name column at hand.
struct BenchWindow {
    explicit BenchWindow(const std::string& dir)
        : env(envIn(dir, dialogs))
        , win(env)
    {
        win.resize(1200, 700);
        win.show();
    }

    static MainWindowEnv envIn(const std::string& dir, IUserDialogs& dialogs)
    {
        MainWindowEnv env;
        env.appDir = dir;
        env.settingsDir = dir;
        env.dialogs = &dialogs;
        return env;
    }

    SilentDialogs dialogs;
    MainWindowEnv env;
    MainWindow win;
    FileListView* slv = win.findChild<FileListView*>(QStringLiteral("slv"));
    FileListModel* model = slv->listModel();
    NewNamePreview* preview = win.preview();
};

inline double nowMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

/// A line of /proc/self/status in kB (VmRSS, VmHWM); -1 when it is missing.
inline long statusKb(const char* key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(std::string(key).size() + 1));
    }
    return -1;
}

/// Lets the event loop run until done() holds; false after timeoutMs.
template <typename Done> bool runUntil(Done done, double timeoutMs = 600000)
{
    const double start = nowMs();
    while (!done()) {
        if (nowMs() - start > timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

/// The longest time the event loop went without turning while the meter runs: a 1 ms timer
/// that fires as often as the loop lets it.
class GapMeter
{
public:
    explicit GapMeter(Qt::TimerType type = Qt::CoarseTimer)
    {
        m_ticker.setInterval(1);
        m_ticker.setTimerType(type);
        QObject::connect(&m_ticker, &QTimer::timeout, [this] {
            const double t = nowMs();
            if (m_lastTick > 0)
                maxGap = std::max(maxGap, t - m_lastTick);
            m_lastTick = t;
            ++ticks;
        });
    }
    /// Starts measuring anew.
    void start()
    {
        maxGap = 0;
        ticks = 0;
        m_lastTick = 0;
        m_ticker.start();
    }
    void stop() { m_ticker.stop(); }

    /// The longest gap in ms, and the times the timer fired, since start.
    double maxGap = 0;
    long ticks = 0;

private:
    QTimer m_ticker;
    double m_lastTick = 0;
};

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

} // namespace brindle::bench
