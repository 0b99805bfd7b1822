// The New name column after an edit of the job list, on the offscreen platform: a folder
// shown in the window's file list (details view), then the job list replaced again and again
// by one of two job lists; measured each time until every row shows its new name: the time,
// the longest time the window went without handling events, and the memory the list holds per
// entry (names, sort keys, the column) above the window's base (on an empty folder, with both
// job lists used once). Not run by the tests. See
// bench/newname_bench.sh.
//
//   newname_bench --folder DIR [--empty DIR] [--reps N]

#include <QAbstractItemView>
#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GuiBenchUtil.h"
#include "core/joblist/JobListFile.h"

using namespace brindle;
using namespace brindle::bench;

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto options = benchOptions(argc, argv);
    const std::string folder = options["folder"];
    std::string empty = options["empty"];
    const int reps = intOption(options, "reps", 10);
    if (folder.empty()) {
        std::fprintf(stderr, "usage: newname_bench --folder DIR [--empty DIR] [--reps N]\n");
        return 2;
    }

    const std::string dir = makeScratchFolder("brindle-newname-bench");
    if (dir.empty())
        return 1;
    if (empty.empty()) {
        empty = dir + "/empty";
        std::filesystem::create_directory(empty);
    }
    // Two job lists to switch between: a counter before the name, and a text before it.
    Job counter = Job::create(jobCounter);
    counter.modifier = posBegin;
    counter.int1 = 6;
    Job lower = Job::create(jobLower);
    lower.modifier = scopeAll;
    Job insert = Job::create(jobInsert);
    insert.modifier = posBegin;
    insert.str1 = "holiday ";
    const std::string listA = dir + "/a.xml";
    const std::string listB = dir + "/b.xml";
    const std::vector<Job> jobsA = {counter};
    const std::vector<Job> jobsB = {lower, insert};
    if (!saveJobsToXml(listA, jobsA, "UTF-8").ok() || !saveJobsToXml(listB, jobsB, "UTF-8").ok())
        return 1;

    BenchWindow bw(dir + "/");
    MainWindow& win = bw.win;
    FileListView* slv = bw.slv;
    FileListModel* model = bw.model;
    NewNamePreview* preview = bw.preview;
    slv->setViewStyle(3);
    win.setTreePath(empty);
    runUntil([&] { return slv->isLoaded() && preview->isCurrent(); });
    // The base: the window on an empty folder, each job list used once (reading a job list
    // file and the first case mapping bring in the XML and Unicode tables, some 2 MB that
    // do not depend on the folder).
    for (const std::string* list : {&listA, &listB}) {
        win.loadJobListFile(*list);
        runUntil([&] { return preview->isCurrent(); });
    }
    win.session().previewName("IMG_0001.JPG", EntryKind::File);
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    const long baseRss = statusKb("VmRSS:");

    win.setTreePath(folder);
    runUntil([&] { return slv->isLoaded() && preview->isCurrent(); });
    const int rows = model->rowCount();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    // The folder shown, with the column of the last job list.
    const long listedRss = statusKb("VmRSS:");

    GapMeter meter;
    // Complete: the newest input is in, and the last row shows the name it gives: a number
    // first (the counter, whatever its value), or "holiday ".
    auto complete = [&](bool counterList) {
        if (!preview->isCurrent() || rows == 0)
            return false;
        const QString last = model->index(rows - 1, colNewName).data().toString();
        return counterList ? !last.isEmpty() && last.front().isDigit()
                           : last.startsWith(QLatin1String("holiday "));
    };
    std::vector<double> times, gaps;
    for (int rep = 0; rep < reps; ++rep) {
        const bool a = rep % 2 == 0;
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        meter.start();
        const double start = nowMs();
        win.loadJobListFile(a ? listA : listB);
        if (!runUntil([&] { return complete(a); })) {
            std::fprintf(stderr, "rep %d: the column was not complete after ten minutes\n", rep + 1);
            return 1;
        }
        slv->currentView()->viewport()->grab();
        const double took = nowMs() - start;
        meter.stop();
        times.push_back(took);
        gaps.push_back(meter.maxGap);
        std::fprintf(stderr, "rep %d: %d rows, column complete %.0f ms, longest gap %.1f ms\n", rep + 1, rows,
            took, meter.maxGap);
    }
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    const long rss = statusKb("VmRSS:");
    const double perEntry = rows > 0 ? (rss - baseRss) * 1024.0 / rows : 0.0;
    std::printf(
        "%d rows\tcolumn complete after an edit: median %.0f ms, worst %.0f ms\tlongest gap: median "
        "%.1f ms, worst %.1f ms\tmemory %.0f bytes/entry (RSS %ld -> shown %ld -> after the edits %ld "
        "kB, peak %ld kB)\n",
        rows, median(times), *std::max_element(times.begin(), times.end()), median(gaps),
        *std::max_element(gaps.begin(), gaps.end()), perEntry, baseRss, listedRss, rss, statusKb("VmHWM:"));
    win.close();
    std::filesystem::remove_all(dir);
    return 0;
}
