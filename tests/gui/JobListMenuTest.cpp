#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include "GuiTestUtil.h"
#include "core/base/FileIo.h"
#include "jobs/JobTestUtil.h"
#include "core/joblist/JobListFile.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

class JobListMenu : public MainWindowFixture
{
protected:
    void SetUp() override { start(); }

    void trigger(const char* action)
    {
        if (auto* a = child<QAction>(&win(), action))
            a->trigger();
    }

    QString at(const std::string& rel) { return QString::fromStdString(m_tree.at(rel)); }

    void writeJobs(const std::string& rel, const std::vector<Job>& jobs)
    {
        m_tree.file(rel, jobsToXml(jobs, "ISO-8859-1"));
    }
};

TEST_F(JobListMenu, OpenReplacesTheListAndRemembersTheFolder)
{
    addJob("btnUpper");
    writeJobs("work/lists/two.xml", {makeJob(jobLower, scopeExtension), makeJob(jobCounter, posEnd, 3)});
    m_dialogs.openAnswers.push_back(at("work/lists/two.xml"));
    trigger("cmOpenJobList");

    ASSERT_EQ(m_dialogs.openRequests.size(), 1u);
    const FileDialogOptions& options = m_dialogs.openRequests[0];
    EXPECT_EQ(options.title, QStringLiteral("Load Job List from XML file"));
    EXPECT_EQ(options.filters,
        (QStringList {QStringLiteral("XML files (*.xml)"), QStringLiteral("All Files (*)")}));
    EXPECT_EQ(options.defaultSuffix, QStringLiteral("xml"));
    // No folder remembered yet: the home folder, never the program's.
    EXPECT_EQ(options.folder, QDir::homePath());

    EXPECT_EQ(rows(),
        (std::vector<std::string> {
            makeJob(jobLower, scopeExtension).description(), makeJob(jobCounter, posEnd, 3).description()}));
    EXPECT_EQ(win().session().jobs.size(), 2u);
    EXPECT_EQ(win().openDir(), m_tree.at("work/lists") + "/");
    EXPECT_TRUE(m_dialogs.messages.empty());

    // The next open starts in that folder.
    trigger("cmOpenJobList");
    ASSERT_EQ(m_dialogs.openRequests.size(), 2u);
    EXPECT_EQ(m_dialogs.openRequests[1].folder.toStdString(), m_tree.at("work/lists") + "/");
    EXPECT_EQ(win().session().jobs.size(), 2u); // cancelled: nothing changes
}

TEST_F(JobListMenu, FailedOpenShowsBothMessagesAndKeepsTheList)
{
    addJob("btnUpper");
    m_tree.file("work/bad/garbage.xml", "this is not XML <<<");
    m_dialogs.openAnswers.push_back(at("work/bad/garbage.xml"));
    trigger("cmOpenJobList");

    ASSERT_EQ(m_dialogs.messages.size(), 2u);
    EXPECT_TRUE(m_dialogs.messages[0].startsWith(QStringLiteral("XML error: ")))
        << m_dialogs.messages[0].toStdString();
    const std::string failure = loadFailureMessage(m_tree.at("work/bad/garbage.xml"));
    EXPECT_EQ(m_dialogs.messages[1].toStdString(),
        lines(failure)[0] + "\n" + lines(failure)[1] + "\n" + lines(failure)[2] + "\n\n" + lines(failure)[4]
            + "\n" + lines(failure)[5]);
    EXPECT_EQ(rows(), std::vector<std::string> {makeJob(jobUpper, scopeAll, 1).description()});
    // The folder is remembered also after a failed load.
    EXPECT_EQ(win().openDir(), m_tree.at("work/bad") + "/");
}

TEST_F(JobListMenu, WrongRootIsRefused)
{
    m_tree.file("work/root.xml", "<?xml version=\"1.0\"?>\r\n<Brindlewick><jobs/></Brindlewick>\r\n");
    m_dialogs.openAnswers.push_back(at("work/root.xml"));
    trigger("cmOpenJobList");
    ASSERT_EQ(m_dialogs.messages.size(), 2u);
    EXPECT_EQ(m_dialogs.messages[0], QStringLiteral("Root node element is not recognised. Loading aborted!"));
}

TEST_F(JobListMenu, SavingAnEmptyListSaysSoAndWritesNothing)
{
    trigger("cmSaveJobList");
    ASSERT_EQ(m_dialogs.messages.size(), 1u);
    EXPECT_EQ(m_dialogs.messages[0], QStringLiteral("No jobs have been defined yet. Nothing to save"));
    EXPECT_TRUE(m_dialogs.saveRequests.empty());
}

TEST_F(JobListMenu, SaveWritesTheJobsWithTheEncoding)
{
    addJob("btnUpper");
    m_dialogs.saveAnswers.push_back(at("work/out.xml"));
    trigger("cmSaveJobList");
    ASSERT_EQ(m_dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(m_dialogs.saveRequests[0].title, QStringLiteral("Save Job List as XML file"));
    EXPECT_EQ(m_dialogs.saveRequests[0].defaultSuffix, QStringLiteral("xml"));
    EXPECT_EQ(m_dialogs.saveRequests[0].folder, QDir::homePath());
    EXPECT_TRUE(m_dialogs.questions.empty()); // a new file needs no question
    EXPECT_EQ(m_tree.read("work/out.xml"), jobsToXml(win().session().jobs, "ISO-8859-1"));
    EXPECT_EQ(win().saveDir(), m_tree.at("work") + "/");
}

TEST_F(JobListMenu, NoToOverwriteLeavesFileAndFolder)
{
    addJob("btnUpper");
    m_tree.file("work/keep/old.xml", "old contents");
    m_dialogs.saveAnswers.push_back(at("work/keep/old.xml"));
    m_dialogs.answers.push_back(false);
    trigger("cmSaveJobList");
    ASSERT_EQ(m_dialogs.questions.size(), 1u);
    EXPECT_EQ(m_dialogs.questions[0], QStringLiteral("File exists. Overwrite?"));
    EXPECT_EQ(m_tree.read("work/keep/old.xml"), "old contents");
    EXPECT_EQ(win().saveDir(), QDir::homePath().toStdString());

    m_dialogs.saveAnswers.push_back(at("work/keep/old.xml"));
    m_dialogs.answers.push_back(true);
    trigger("cmSaveJobList");
    EXPECT_EQ(m_tree.read("work/keep/old.xml"), jobsToXml(win().session().jobs, "ISO-8859-1"));
    EXPECT_EQ(win().saveDir(), m_tree.at("work/keep") + "/");
}

TEST_F(JobListMenu, FailedSaveIsReportedAndTheOldFileStays)
{
    addJob("btnUpper");
    // A folder where the file should go: it can be neither replaced nor written, even by root.
    m_tree.dir("work/taken.xml");
    m_dialogs.saveAnswers.push_back(at("work/taken.xml"));
    m_dialogs.answers.push_back(true);
    trigger("cmSaveJobList");
    ASSERT_EQ(m_dialogs.messages.size(), 1u);
    EXPECT_EQ(m_dialogs.messages[0].toStdString(), "Unable to write to " + m_tree.at("work/taken.xml"));
    EXPECT_TRUE(isExistingFolder(m_tree.at("work/taken.xml")));

    m_dialogs.saveAnswers.push_back(at("work/missing/folder/list.xml"));
    trigger("cmSaveJobList");
    ASSERT_EQ(m_dialogs.messages.size(), 2u);
    EXPECT_EQ(m_dialogs.messages[1].toStdString(),
        "Unable to write to " + m_tree.at("work/missing/folder/list.xml"));
}

TEST_F(JobListMenu, SavedListOpensAsTheSameJobs)
{
    addJob("btnReplace", [](QDialog& dialog) {
        child<QLineEdit>(&dialog, "edtString1")->setText(QStringLiteral("R&D <\"x\">"));
        child<QLineEdit>(&dialog, "edtString2")->setText(QStringLiteral("it's"));
    });
    addJob("btnCounter");
    const std::vector<Job> saved = win().session().jobs;
    m_dialogs.saveAnswers.push_back(at("work/round.xml"));
    trigger("cmSaveJobList");
    click("btnRemove"); // nothing selected: only the message
    selectRow(0);
    click("btnRemove");
    m_dialogs.openAnswers.push_back(at("work/round.xml"));
    trigger("cmOpenJobList");
    EXPECT_EQ(win().session().jobs, saved);
    EXPECT_EQ(rows().size(), 2u);
}

} // namespace
