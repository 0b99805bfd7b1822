// Opens a folder in the window's file list on the offscreen platform and measures: the time to
// the first rows painted, the time to the whole list read, sorted and painted, the longest
// time the window went without handling events meanwhile, a re-sort by name in the other
// direction, and the memory the list holds per entry above the window's base. Not run by the
// tests. See bench/folder_view_bench.sh.
//
//   folder_view_bench --folder DIR [--empty DIR] [--view 0-3] [--reps N]

#include <QAbstractItemView>
#include <QApplication>
#include <QHeaderView>
#include <QTimer>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "GuiBenchUtil.h"

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
    const int style = intOption(options, "view", 2);
    const int reps = intOption(options, "reps", 3);
    if (folder.empty()) {
        std::fprintf(stderr, "usage: folder_view_bench --folder DIR [--empty DIR] [--view 0-3] [--reps N]\n");
        return 2;
    }

    const std::string dir = makeScratchFolder("brindle-view-bench");
    if (dir.empty())
        return 1;
    if (empty.empty()) {
        empty = dir + "/empty";
        std::filesystem::create_directory(empty);
    }
    BenchWindow bw(dir + "/");
    MainWindow& win = bw.win;
    FileListView* slv = bw.slv;
    FileListModel* model = bw.model;
    win.setTreePath(empty);
    slv->setViewStyle(style);
    runUntil([&] { return slv->isLoaded(); });
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    const long baseRss = statusKb("VmRSS:");

    GapMeter meter;

    std::vector<double> firstMs, sortedMs, gaps, resortMs, resortGaps;
    long loadedRss = 0;
    int rows = 0;
    for (int rep = 0; rep < reps; ++rep) {
        // Start from the empty folder each time, as a user coming from another folder.
        win.setTreePath(empty);
        runUntil([&] { return slv->isLoaded(); });
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        meter.start();
        const double start = nowMs();
        win.setTreePath(folder);
        runUntil([&] { return model->rowCount() > 0; });
        slv->currentView()->viewport()->grab();
        const double first = nowMs() - start;
        runUntil([&] { return slv->isLoaded(); });
        slv->currentView()->viewport()->grab();
        const double sorted = nowMs() - start;
        meter.stop();
        rows = model->rowCount();
        firstMs.push_back(first);
        sortedMs.push_back(sorted);
        gaps.push_back(meter.maxGap);
        const double loadGap = meter.maxGap;
        for (int i = 0; i < 20; ++i)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        loadedRss = statusKb("VmRSS:");

        // The other direction by name, as a click on the header asks for it.
        const std::string firstName(model->nameAt(0));
        meter.start();
        const double t0 = nowMs();
        model->sort(colName, Qt::DescendingOrder);
        runUntil([&] { return std::string(model->nameAt(0)) != firstName; }, 60000);
        slv->currentView()->viewport()->grab();
        resortMs.push_back(nowMs() - t0);
        meter.stop();
        resortGaps.push_back(meter.maxGap);
        model->sort(colName, Qt::AscendingOrder);
        runUntil([&] { return std::string(model->nameAt(0)) == firstName; }, 60000);
        std::fprintf(stderr,
            "rep %d: %d rows, first rows painted %.0f ms, all sorted and painted %.0f ms, longest gap "
            "%.1f ms; re-sort %.0f ms (gap %.1f ms)\n",
            rep + 1, rows, first, sorted, loadGap, resortMs.back(), resortGaps.back());
    }
    const double perEntry = rows > 0 ? (loadedRss - baseRss) * 1024.0 / rows : 0.0;
    std::printf("view %d\t%d rows\tfirst rows %.0f ms\tsorted %.0f ms\tlongest gap %.1f ms\tre-sort %.0f ms "
                "(gap %.1f ms)\tmemory %.0f bytes/entry (RSS %ld -> %ld kB, peak %ld kB)\n",
        style, rows, median(firstMs), median(sortedMs), median(gaps), median(resortMs), median(resortGaps),
        perEntry, baseRss, loadedRss, statusKb("VmHWM:"));
    win.close();
    std::filesystem::remove_all(dir);
    return 0;
}
