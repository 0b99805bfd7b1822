// The New name column with a template that reads every file, on the offscreen platform: a
// folder of photos shown in the window's file list (details view), then a template job added
// ({taken:...}, nothing read yet in this process), then its template edited again and again.
// Measured each time until every row shows its final new name: the time, and the longest time
// the window went without handling events (a 1 ms timer's longest gap). Each row is checked
// against the template's pattern once the column is complete. Not run by the tests. See
// bench/template_column_bench.sh, which makes the photos and runs this several times (each
// process starts with nothing read, so the first figure is a first time).
//
//   template_column_bench --folder DIR [--edits N]

#include <QAbstractItemView>
#include <QApplication>
#include <QRegularExpression>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "GuiBenchUtil.h"
#include "core/joblist/JobListFile.h"

using namespace brindle;
using namespace brindle::bench;

namespace
{

struct Template {
    const char* text;
    /// What every new name of the folder's photos looks like with it.
    const char* pattern;
};

// Two templates to switch between: an edit of the format, as a user makes it in the job's dialog.
constexpr Template kTemplates[] = {
    {"{taken:%Y%m%d_%H%M%S}", R"(^\d{8}_\d{6}\.JPG$)"},
    {"{taken:%Y-%m-%d %H.%M.%S}", R"(^\d{4}-\d{2}-\d{2} \d{2}\.\d{2}\.\d{2}\.JPG$)"},
};

/// The processor time the process has used, all its threads, in ms: on a machine others load,
/// what the column costs apart from the time it waits for a processor.
double cpuMs()
{
    rusage u {};
    ::getrusage(RUSAGE_SELF, &u);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return ms(u.ru_utime) + ms(u.ru_stime);
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto options = benchOptions(argc, argv);
    const std::string folder = options["folder"];
    const int edits = intOption(options, "edits", 6);
    if (folder.empty()) {
        std::fprintf(stderr, "usage: template_column_bench --folder DIR [--edits N]\n");
        return 2;
    }

    const std::string dir = makeScratchFolder("brindle-template-column");
    if (dir.empty())
        return 1;
    std::vector<std::string> lists;
    for (std::size_t t = 0; t < std::size(kTemplates); ++t) {
        Job job = Job::create(jobTemplate);
        job.modifier = posInPlaceOfName;
        job.str1 = kTemplates[t].text;
        lists.push_back(dir + "/template" + std::to_string(t) + ".xml");
        const std::vector<Job> jobs = {job};
        if (!saveJobsToXml(lists.back(), jobs, "UTF-8").ok())
            return 1;
    }

    BenchWindow bw(dir + "/");
    MainWindow& win = bw.win;
    FileListView* slv = bw.slv;
    FileListModel* model = bw.model;
    NewNamePreview* preview = bw.preview;
    slv->setViewStyle(3);
    win.setTreePath(folder);
    runUntil([&] { return slv->isLoaded() && preview->isCurrent(); });
    const int rows = model->rowCount();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);

    GapMeter meter(Qt::PreciseTimer);
    // Cheap enough to ask between two turns of the event loop: the newest input is in and the
    // last row has a name of the template's pattern. Every row is checked after the clock stops.
    auto lastRowDone = [&](const QRegularExpression& re) {
        return preview->isCurrent() && rows > 0
            && re.match(model->index(rows - 1, colNewName).data().toString()).hasMatch();
    };
    auto everyRowDone = [&](const QRegularExpression& re) {
        std::set<QString> seen;
        for (int r = 0; r < rows; ++r) {
            const QString name = model->index(r, colNewName).data().toString();
            if (!re.match(name).hasMatch() || !seen.insert(name).second) {
                std::fprintf(stderr, "row %d: new name \"%s\"\n", r, name.toLocal8Bit().constData());
                return false;
            }
        }
        return true;
    };

    // The control: the longest gap over a second in which the window has nothing to do, which
    // is what the machine's other load alone costs the event loop.
    meter.start();
    runUntil([] { return false; }, 1000);
    meter.stop();
    const double idleGap = meter.maxGap;
    std::fprintf(stderr, "idle: longest gap %.1f ms\n", idleGap);

    std::vector<double> times, gaps, cpus;
    for (int rep = 0; rep <= edits; ++rep) {
        const Template& t = kTemplates[rep % std::size(kTemplates)];
        const QRegularExpression re(QString::fromLatin1(t.pattern));
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        meter.start();
        const double start = nowMs();
        const double cpuStart = cpuMs();
        win.loadJobListFile(lists[rep % lists.size()]);
        const double handled = nowMs() - start;
        if (!runUntil([&] { return lastRowDone(re); })) {
            std::fprintf(stderr, "%s: the column was not complete after ten minutes\n", t.text);
            return 1;
        }
        slv->currentView()->viewport()->grab();
        const double took = nowMs() - start;
        meter.stop();
        const double cpu = cpuMs() - cpuStart;
        if (!everyRowDone(re))
            return 1;
        times.push_back(took);
        gaps.push_back(meter.maxGap);
        cpus.push_back(cpu);
        std::fprintf(stderr,
            "%s %s: %d rows, column complete %.0f ms (processor %.0f ms), longest gap %.1f ms (the edit "
            "itself %.1f ms)\n",
            rep == 0 ? "added " : "edited", t.text, rows, took, cpu, meter.maxGap, handled);
    }
    const std::vector<double> editTimes(times.begin() + 1, times.end());
    const std::vector<double> editGaps(gaps.begin() + 1, gaps.end());
    // One line for the script to gather: rows, first time, first gap, edit median and worst
    // time, edit median and worst gap, the idle gap, processor time first and median of the edits.
    const std::vector<double> editCpus(cpus.begin() + 1, cpus.end());
    std::printf("%d\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\t%.1f\n", rows, times[0], gaps[0],
        median(editTimes), editTimes.empty() ? 0.0 : *std::max_element(editTimes.begin(), editTimes.end()),
        median(editGaps), editGaps.empty() ? 0.0 : *std::max_element(editGaps.begin(), editGaps.end()),
        idleGap, cpus[0], median(editCpus));
    win.close();
    std::filesystem::remove_all(dir);
    return 0;
}
