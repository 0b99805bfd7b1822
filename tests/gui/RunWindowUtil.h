#pragma once

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <string>
#include <vector>

#include "GuiTestUtil.h"
#include "core/jobs/Job.h"

namespace brindle
{
class ProgressWindow;
}

namespace brindle::test
{

/// The main window on a work folder with files, ready to run: jobs are loaded from a job list
/// file, options set on the check boxes, and Go or Undo pressed as the user does.
class RunWindowFixture : public MainWindowFixture
{
protected:
    /// Starts the window with the folder tree at work/rel.
    MainWindow& startIn(const std::string& rel = "work");
    /// Replaces the job list by jobs (through a job list file, as File, Open does).
    void loadJobs(const std::vector<Job>& jobs);
    /// The job list of one job that lower-cases the whole name.
    void lowerCaseJob();

    /// Presses Go (or Undo) as the user does and, when a run (an undo) started, waits for the
    /// window's signal that it has ended.
    void go() { pressAndWait("btnGo"); }
    void undo() { pressAndWait("btnUndo"); }
    void pressAndWait(const char* button);

    /// The progress window; fails the test when none is open.
    ProgressWindow* progress();
    /// The text of a label of the progress window ("lblFiles", ...).
    std::string progressText(const char* label);
    int gauge();

    /// The text of the log window, one entry per line.
    std::vector<std::string> logLines();

    /// Whether the file list shows name (once it has read its folder) and can be seen.
    bool listShows(const QString& name);

    /// The work folder's entries (or those of work/rel).
    std::vector<std::string> work(const std::string& rel = {}) const;
};

/// Whether line matches the shape "---- dd/mm/yyyy hh:nn:ss ---- " + rest.
bool isStampLine(const std::string& line, const std::string& rest);

} // namespace brindle::test
