#include "RunWindowUtil.h"

#include <QApplication>

#include <regex>

#include "app/UShellViews.h"
#include "joblist/UJobIO.h"
#include "run/UfrmLog.h"
#include "run/UfrmProgress.h"

namespace brindle::test
{

TfrmMain& RunWindowFixture::startIn(const std::string& rel)
{
    m_tree.dir(rel);
    return start({m_tree.at(rel)});
}

void RunWindowFixture::loadJobs(const std::vector<TJob>& jobs)
{
    const std::string file = m_tree.at("jobs.xml");
    ASSERT_TRUE(SaveJobsToXml(file, jobs, "UTF-8"));
    ASSERT_TRUE(win().LoadJobListFile(file));
}

void RunWindowFixture::lowerCaseJob()
{
    TJob job = TJob::Create(jobLower);
    job.Modifier = scopeAll;
    loadJobs({job});
}

TfrmProgress* RunWindowFixture::progress()
{
    TfrmProgress* p = win().ProgressWindow();
    if (!p)
        ADD_FAILURE() << "no progress window";
    return p;
}

std::string RunWindowFixture::progressText(const char* label)
{
    TfrmProgress* p = progress();
    if (!p)
        return {};
    QLabel* l = Child<QLabel>(p, label);
    return l ? l->text().toStdString() : std::string();
}

int RunWindowFixture::gauge()
{
    TfrmProgress* p = progress();
    QProgressBar* bar = p ? Child<QProgressBar>(p, "gauProgress") : nullptr;
    return bar ? bar->value() : -1;
}

std::vector<std::string> RunWindowFixture::logLines()
{
    return Lines(win().LogWindow()->Text().toStdString());
}

bool RunWindowFixture::listShows(const QString& name)
{
    auto* slv = Child<TShellListView>(&win(), "slv");
    return slv && WaitFor([&] { return slv->isLoaded() && slv->selectName(name); }, 2000)
        && slv->currentView()->isVisible();
}

std::vector<std::string> RunWindowFixture::work(const std::string& rel) const
{
    return m_tree.list(rel.empty() ? std::string("work") : "work/" + rel);
}

bool IsStampLine(const std::string& line, const std::string& rest)
{
    static const std::regex stamp(R"(---- \d\d/\d\d/\d{4} \d\d:\d\d:\d\d ---- )");
    std::smatch m;
    return std::regex_search(line, m, stamp) && m.position(0) == 0
        && line.substr(static_cast<std::size_t>(m.length(0))) == rest;
}

} // namespace brindle::test
