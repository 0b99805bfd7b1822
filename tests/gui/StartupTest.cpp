#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QAction>
#include <QListWidget>

#include "GuiTestUtil.h"
#include "core/base/FileIo.h"
#include "gui/folders/FileListView.h"
#include "jobs/JobTestUtil.h"
#include "core/joblist/JobListFile.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

using Startup = MainWindowFixture;

QString listFolder(MainWindow& win)
{
    return QString::fromStdString(child<FileListView>(&win, "slv")->folder());
}

TEST_F(Startup, CaptionAndEmptyFirstStart)
{
    start();
    // The folder shown (the home folder on a first start), then the program.
    EXPECT_TRUE(win().windowTitle().endsWith(QStringLiteral(" \u2014 Brindlewick")))
        << win().windowTitle().toStdString();
    EXPECT_TRUE(rows().empty());
    EXPECT_TRUE(m_dialogs.messages.empty());
    EXPECT_FALSE(m_tree.exists("settings/brindle_job_config.xml"));
}

/// With no settings file the tree starts at the home folder, and the file list shows that
/// folder from the start; so it does when the settings keep the home folder.
TEST_F(Startup, FirstStartFileListShowsTheTreesFolder)
{
    m_tree.file("home/notes.txt", "x");
    ScopedEnv home("HOME", m_tree.at("home"));
    for (int round = 0; round < 2; ++round) {
        if (round == 0) {
            ASSERT_FALSE(m_tree.exists("settings/brindle.ini"));
            start();
        } else {
            restart();
            ASSERT_TRUE(m_tree.exists("settings/brindle.ini"));
        }
        EXPECT_EQ(win().selectedPath(), m_tree.at("home")) << round;
        EXPECT_EQ(listFolder(win()).toStdString(), m_tree.at("home")) << round;
        auto* list = child<FileListView>(&win(), "slv");
        ASSERT_TRUE(waitFor([&] { return list->isLoaded(); })) << round;
        const QAbstractItemView* view = list->currentView();
        std::vector<std::string> shown;
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            shown.push_back(view->model()->index(row, 0, view->rootIndex()).data().toString().toStdString());
        EXPECT_EQ(shown, std::vector<std::string> {"notes.txt"}) << round;
    }
}

TEST_F(Startup, CommandLineFolderOpensTheTreeThere)
{
    m_tree.dir("work/photos/2024");
    start({m_tree.at("work/photos/2024"), "/ignored/second/argument"});
    EXPECT_EQ(win().selectedPath(), m_tree.at("work/photos/2024"));
    EXPECT_EQ(listFolder(win()).toStdString(), m_tree.at("work/photos/2024"));
    EXPECT_TRUE(m_dialogs.messages.empty());
}

TEST_F(Startup, CommandLineFileOpensItsFolder)
{
    m_tree.file("work/docs/readme.txt", "x");
    start({m_tree.at("work/docs/readme.txt")});
    EXPECT_EQ(win().selectedPath(), m_tree.at("work/docs"));
    EXPECT_TRUE(m_dialogs.messages.empty());
    // The file list shows the file's folder; the file itself is not selected.
    auto* list = child<FileListView>(&win(), "slv");
    EXPECT_EQ(listFolder(win()).toStdString(), m_tree.at("work/docs"));
    ASSERT_TRUE(waitFor([&] { return list->isLoaded(); }));
    EXPECT_EQ(list->selectedName(), std::nullopt);
}

TEST_F(Startup, CommandLineFolderWithDotsAndTrailingSlash)
{
    m_tree.dir("work/a/b");
    start({m_tree.at("work/a/./b/../b/")});
    EXPECT_EQ(win().selectedPath(), m_tree.at("work/a/b"));
}

TEST_F(Startup, CommandLinePathThatDoesNotExistIsReported)
{
    const std::string bad = m_tree.at("work/no such folder");
    start({bad});
    ASSERT_EQ(m_dialogs.messages.size(), 1u);
    EXPECT_EQ(m_dialogs.messages[0].toStdString(), "Error setting path: \"" + bad + "\"");
    // The rest of the start still happens: the kept job list is loaded.
    EXPECT_TRUE(rows().empty());
}

TEST_F(Startup, KeptJobListIsWrittenAtCloseAndLoadedAtTheNextStart)
{
    start();
    finish();
    // An empty list is written too: six lines.
    ASSERT_TRUE(m_tree.exists("settings/brindle_job_config.xml"));
    EXPECT_EQ(lines(m_tree.read("settings/brindle_job_config.xml")).size(), 6u);

    start();
    EXPECT_TRUE(m_dialogs.messages.empty());
    addJob("btnUpper");
    addJob("btnCounter");
    const std::vector<Job> jobs = win().session().jobs;
    const std::vector<std::string> shown = rows();
    restart();
    EXPECT_EQ(win().session().jobs, jobs);
    EXPECT_EQ(rows(), shown);
    EXPECT_TRUE(m_dialogs.messages.empty());
}

TEST_F(Startup, ExitMenuClosesLikeTheCloseBox)
{
    start();
    addJob("btnLower");
    child<QAction>(&win(), "cmExit")->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(win().isVisible());
    EXPECT_EQ(m_tree.read("settings/brindle_job_config.xml"), jobsToXml(win().session().jobs, "ISO-8859-1"));
}

TEST_F(Startup, GarbageKeptJobListGivesTwoMessagesAndAnEmptyList)
{
    m_tree.file("settings/brindle_job_config.xml", "\x01\x02 garbage");
    start();
    ASSERT_EQ(m_dialogs.messages.size(), 2u);
    EXPECT_TRUE(m_dialogs.messages[0].startsWith(QStringLiteral("XML error: ")));
    EXPECT_TRUE(m_dialogs.messages[1].startsWith(
        QString::fromStdString("Failed to load jobs from file " + keptPath())));
    EXPECT_TRUE(rows().empty());
}

TEST_F(Startup, KeptJobListThatFailsToLoadIsMovedAsideAndNeverOverwritten)
{
    const std::string unreadable = jobsToXml(std::vector<Job> {makeJob(jobUpper)}, "latin-9x");
    const auto failure = [&](const std::string& lastLine) {
        QString text = QString::fromStdString(loadFailureMessage(keptPath()) + "\r\n\r\n" + lastLine);
        return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    };
    m_tree.file("settings/brindle_job_config.xml", unreadable);

    // Where it cannot be moved aside (a folder holds the name), it is kept and not written.
    m_tree.dir("settings/brindle_job_config.xml.bad/inside");
    start();
    ASSERT_EQ(m_dialogs.messages.size(), 2u);
    EXPECT_TRUE(m_dialogs.messages[0].startsWith(QStringLiteral("XML error: ")))
        << m_dialogs.messages[0].toStdString();
    EXPECT_EQ(m_dialogs.messages[1],
        failure("It could not be moved to " + keptPath()
            + ".bad (Is a directory), so it will not be overwritten"));
    addJob("btnLower");
    finish();
    EXPECT_EQ(m_tree.read("settings/brindle_job_config.xml"), unreadable);

    // Moved aside, over an older one, before anything is saved.
    ::rmdir(m_tree.at("settings/brindle_job_config.xml.bad/inside").c_str());
    ::rmdir(m_tree.at("settings/brindle_job_config.xml.bad").c_str());
    m_tree.file("settings/brindle_job_config.xml.bad", "an older one");
    m_dialogs.messages.clear();
    start();
    ASSERT_EQ(m_dialogs.messages.size(), 2u);
    EXPECT_EQ(m_dialogs.messages[1], failure("The file has been moved to " + keptPath() + ".bad"));
    EXPECT_EQ(m_tree.read("settings/brindle_job_config.xml.bad"), unreadable);
    EXPECT_FALSE(m_tree.exists("settings/brindle_job_config.xml"));
    EXPECT_TRUE(rows().empty());
    addJob("btnLower");
    const std::vector<Job> jobs = win().session().jobs;
    finish();
    EXPECT_EQ(m_tree.read("settings/brindle_job_config.xml.bad"), unreadable);
    EXPECT_EQ(m_tree.read("settings/brindle_job_config.xml"), jobsToXml(jobs, "ISO-8859-1"));
}

TEST_F(Startup, UnwritableKeptJobListIsReportedAndTheWindowStillCloses)
{
    // A folder in the place of the file cannot be replaced, whoever runs the test.
    m_tree.dir("settings/brindle_job_config.xml");
    start();
    const std::size_t before = m_dialogs.messages.size();
    win().close();
    QApplication::processEvents();
    EXPECT_FALSE(win().isVisible());
    ASSERT_EQ(m_dialogs.messages.size(), before + 1);
    EXPECT_EQ(m_dialogs.messages.back().toStdString(), "Unable to write to " + keptPath());
    m_win.reset();
}

} // namespace
