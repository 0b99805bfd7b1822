#include "RunWindowUtil.h"

#include <QApplication>
#include <QSignalSpy>

#include <regex>

#include "gui/folders/FileListView.h"
#include "core/joblist/JobListFile.h"
#include "gui/run/LogWindow.h"
#include "gui/run/ProgressWindow.h"

namespace brindle::test
{

MainWindow& RunWindowFixture::startIn(const std::string& rel)
{
    m_tree.dir(rel);
    MainWindow& window = start({m_tree.at(rel)});
    // A first start writes undo files; the run tests ask for them where they look at them.
    check("chkUndo", false);
    return window;
}

void RunWindowFixture::loadJobs(const std::vector<Job>& jobs)
{
    const std::string file = m_tree.at("jobs.xml");
    ASSERT_TRUE(saveJobsToXml(file, jobs, "UTF-8").ok());
    ASSERT_TRUE(win().loadJobListFile(file));
}

void RunWindowFixture::lowerCaseJob()
{
    Job job = Job::create(jobLower);
    job.modifier = scopeAll;
    loadJobs({job});
}

void RunWindowFixture::pressAndWait(const char* button)
{
    QSignalSpy ended(&win(), &MainWindow::runEnded);
    click(button);
    // Nothing started (an empty job list, a job that cannot run): nothing to wait for.
    if (!win().running())
        return;
    if (ended.empty() && !ended.wait(30000))
        ADD_FAILURE() << button << ": the run did not end";
}

ProgressWindow* RunWindowFixture::progress()
{
    ProgressWindow* p = win().progressWindow();
    if (!p)
        ADD_FAILURE() << "no progress window";
    return p;
}

std::string RunWindowFixture::progressText(const char* label)
{
    ProgressWindow* p = progress();
    if (!p)
        return {};
    QLabel* l = child<QLabel>(p, label);
    return l ? l->text().toStdString() : std::string();
}

int RunWindowFixture::gauge()
{
    ProgressWindow* p = progress();
    QProgressBar* bar = p ? child<QProgressBar>(p, "gauProgress") : nullptr;
    return bar ? bar->value() : -1;
}

std::vector<std::string> RunWindowFixture::logLines()
{
    return lines(win().logWindow()->text().toStdString());
}

bool RunWindowFixture::listShows(const QString& name)
{
    auto* slv = child<FileListView>(&win(), "slv");
    return slv && waitFor([&] { return slv->isLoaded() && slv->selectName(name); }, 2000)
        && slv->currentView()->isVisible();
}

std::vector<std::string> RunWindowFixture::work(const std::string& rel) const
{
    return m_tree.list(rel.empty() ? std::string("work") : "work/" + rel);
}

bool isStampLine(const std::string& line, const std::string& rest)
{
    static const std::regex stamp(R"(---- \d\d/\d\d/\d{4} \d\d:\d\d:\d\d ---- )");
    std::smatch m;
    return std::regex_search(line, m, stamp) && m.position(0) == 0
        && line.substr(static_cast<std::size_t>(m.length(0))) == rest;
}

} // namespace brindle::test
