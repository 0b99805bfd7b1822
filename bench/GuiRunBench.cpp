// Times a run started from the window, from the Go button to the filled result tree (or, for a
// real run, to the final counts), and the command-line front end on the same tree; measures how
// long the window went without handling events while the run worked. Runs on the offscreen
// platform; not run by the tests. See bench/gui_bench.sh.
//
//   gui_bench --folder DIR --jobs FILE --cli PATH [--recurse] [--sort name|none] [--reps N]
//             [--real --template DIR]

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "GuiBenchUtil.h"
#include "gui/run/ProgressWindow.h"
#include "gui/run/ResultTreeWindow.h"

extern char** environ;

namespace
{

using namespace brindle;
using namespace brindle::bench;

struct Options {
    std::string folder;
    std::string jobs;
    std::string cli;
    std::string templ;
    bool recurse = false;
    bool real = false;
    std::string sort = "name";
    int reps = 5;
};

/// Wall time of one run of the command-line front end, its output thrown away.
double timeCli(const Options& o)
{
    std::vector<std::string> args {o.cli, "-j", o.jobs, "-q"};
    if (!o.real)
        args.push_back("-n");
    if (o.recurse)
        args.push_back("-r");
    args.push_back("--sort");
    args.push_back(o.sort);
    args.push_back(o.folder);
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const double start = nowMs();
    pid_t pid = 0;
    if (posix_spawn(&pid, o.cli.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        std::perror("posix_spawn");
        return -1;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double elapsed = nowMs() - start;
    posix_spawn_file_actions_destroy(&actions);
    return elapsed;
}

void freshCopy(const Options& o)
{
    std::filesystem::remove_all(o.folder);
    std::filesystem::copy(o.templ, o.folder, std::filesystem::copy_options::recursive);
    ::sync();
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    auto options = benchOptions(argc, argv, {"recurse", "real"});
    Options o;
    o.folder = options["folder"];
    o.jobs = options["jobs"];
    o.cli = options["cli"];
    o.templ = options["template"];
    o.recurse = options.contains("recurse");
    o.real = options.contains("real");
    if (options.contains("sort"))
        o.sort = options["sort"];
    o.reps = intOption(options, "reps", o.reps);
    if (o.folder.empty() || o.jobs.empty() || o.cli.empty() || (o.real && o.templ.empty())) {
        std::fprintf(stderr,
            "usage: gui_bench --folder DIR --jobs FILE --cli PATH [--recurse] "
            "[--sort name|none] [--reps N] [--real --template DIR]\n");
        return 2;
    }

    // The window on a scratch application folder, as the program starts it.
    std::string dir = makeScratchFolder("brindle-gui-bench");
    if (dir.empty())
        return 1;
    dir += "/";
    BenchWindow bw(dir);
    MainWindow& win = bw.win;
    QApplication::processEvents();
    if (!win.loadJobListFile(o.jobs))
        return 1;
    auto box = [&](const char* name, bool on) {
        win.findChild<QCheckBox*>(QString::fromUtf8(name))->setChecked(on);
    };
    box("chkSimulation", !o.real);
    box("chkRecurseDirs", o.recurse);
    box("chkSort", o.sort != "none");
    box("chkLog", false);
    box("chkConfirm", false);
    box("chkUndo", false);

    // Event-loop passes during the run: a timer that fires as often as the loop lets it.
    GapMeter meter;

    std::vector<double> windowMs;
    std::vector<double> cliMs;
    std::vector<double> gaps;
    auto* go = win.findChild<QAbstractButton*>(QStringLiteral("btnGo"));
    for (int rep = 0; rep < o.reps; ++rep) {
        if (o.real)
            freshCopy(o);
        if (!win.setTreePath(o.folder)) {
            std::fprintf(stderr, "cannot select %s\n", o.folder.c_str());
            return 1;
        }
        QApplication::processEvents();
        // As the user would: the file list has shown the folder before Go is pressed. (A real
        // run stops the list from reading at its start, so it need not wait.)
        FileListView* slv = bw.slv;
        QElapsedTimer wait;
        wait.start();
        while (!o.real && !slv->isLoaded() && wait.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        for (int i = 0; i < 20; ++i)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        std::fprintf(stderr, "list loaded after %lld ms\n", static_cast<long long>(wait.elapsed()));

        meter.start();
        const double start = nowMs();
        go->click();
        // The run works on the worker; the event loop turns until it has ended.
        if (!runUntil([&] { return !win.running(); })) {
            std::fprintf(stderr, "the run did not end\n");
            return 1;
        }
        // The result is on the screen: the tree window laid out and painted (or, for a real
        // run, the progress window with its final counts).
        if (ResultTreeWindow* tree = win.treeWindow())
            tree->grab();
        else
            win.progressWindow()->grab();
        const double elapsed = nowMs() - start;
        meter.stop();
        windowMs.push_back(elapsed);
        gaps.push_back(meter.maxGap);
        std::fprintf(stderr, "window run %d: %.1f ms, %ld event passes, longest gap %.1f ms\n", rep + 1,
            elapsed, meter.ticks, meter.maxGap);

        if (o.real)
            freshCopy(o);
        cliMs.push_back(timeCli(o));
        std::fprintf(stderr, "cli run %d: %.1f ms\n", rep + 1, cliMs.back());
    }
    const double w = median(windowMs);
    const double c = median(cliMs);
    std::printf("%s\t%s\twindow %.0f ms\tcli %.0f ms\tratio %.2f\tlongest gap %.1f ms\n",
        o.real ? "real" : "simulate", o.folder.c_str(), w, c, c > 0 ? w / c : 0.0, median(gaps));
    win.close();
    std::filesystem::remove_all(dir);
    return bw.dialogs.messages == 0 ? 0 : 1;
}
