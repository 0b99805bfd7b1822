#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>

#include "GuiTestUtil.h"
#include "jobs/JobTestUtil.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

class JobEditing : public MainWindowFixture
{
protected:
    void SetUp() override { start(); }

    void setChecked(QDialog& dialog, const char* radio)
    {
        child<QRadioButton>(&dialog, radio)->setChecked(true);
    }

    /// Three jobs: lower, upper, normal case, in that order.
    void addThree()
    {
        addJob("btnLower");
        addJob("btnUpper");
        addJob("btnNormal");
        ASSERT_EQ(rows().size(), 3u);
    }

    std::vector<JobType> kinds()
    {
        std::vector<JobType> result;
        for (const Job& job : win().session().jobs)
            result.push_back(job.jobType);
        return result;
    }
};

struct AddCase {
    const char* button;
    JobType kind;
    const char* title;
    friend void PrintTo(const AddCase& c, std::ostream* os) { *os << c.title; }
};

class AddJobButtons : public JobEditing, public ::testing::WithParamInterface<AddCase>
{
};

TEST_P(AddJobButtons, OpenTheDialogOfTheirKindAndAppendARow)
{
    // An insert job needs its text.
    addJob(GetParam().button, [](QDialog& dialog) {
        if (auto* text = dialog.findChild<QLineEdit*>(QStringLiteral("edtString")))
            text->setText(QStringLiteral("x"));
    });
    ASSERT_EQ(m_dialogs.dialogTitles.size(), 1u);
    EXPECT_EQ(m_dialogs.dialogTitles[0].toStdString(), GetParam().title);
    ASSERT_EQ(win().session().jobs.size(), 1u);
    const Job& job = win().session().jobs[0];
    EXPECT_EQ(job.jobType, GetParam().kind);
    EXPECT_EQ(rows(), std::vector<std::string> {job.description()});
    // Adding does not select the new row.
    EXPECT_EQ(selectedRow(), -1);
    EXPECT_TRUE(m_dialogs.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, AddJobButtons,
    ::testing::Values(AddCase {"btnLower", jobLower, "Conversion to lower case"},
        AddCase {"btnUpper", jobUpper, "Conversion to UPPER case"},
        AddCase {"btnNormal", jobNormal, "Case Normalisation"},
        AddCase {"btnInsert", jobInsert, "Insert a string"},
        AddCase {"btnRemoveChars", jobRemove, "Remove a number of characters"},
        AddCase {"btnReplace", jobReplace, "String Replacement"},
        AddCase {"btnCounter", jobCounter, "File Counter"},
        AddCase {"btnTemplate", jobTemplate, "New name from a template"}),
    [](const auto& info) { return std::string(info.param.button); });

TEST_F(JobEditing, NewRemoveJobStartsAtTheBeginningWithOneCharacter)
{
    addJob("btnRemoveChars", [](QDialog& dialog) {
        EXPECT_TRUE(child<QRadioButton>(&dialog, "rbBegin")->isChecked());
        EXPECT_EQ(child<QSpinBox>(&dialog, "edtCharacterCount")->value(), 1);
        EXPECT_EQ(child<QSpinBox>(&dialog, "edtCharacterNumber")->value(), 1);
    });
    ASSERT_EQ(win().session().jobs.size(), 1u);
    EXPECT_EQ(win().session().jobs[0], makeJob(jobRemove, posBegin, 1, 0));
}

TEST_F(JobEditing, CancelledAddLeavesTheListAsItWas)
{
    addJob("btnLower");
    m_dialogs.thenCancel([this](QDialog& dialog) { setChecked(dialog, "rbEnd"); });
    click("btnRemoveChars");
    EXPECT_EQ(rows().size(), 1u);
    EXPECT_EQ(kinds(), std::vector<JobType> {jobLower});
}

TEST_F(JobEditing, EditChangesTheJobAndItsRowInPlace)
{
    addThree();
    selectRow(1);
    m_dialogs.thenOk([this](QDialog& dialog) {
        EXPECT_TRUE(child<QRadioButton>(&dialog, "rbAll")->isChecked());
        setChecked(dialog, "rbExtension");
    });
    click("btnEdit");
    // A case job made in the window changes every letter (Int1 1).
    EXPECT_EQ(win().session().jobs[1], makeJob(jobUpper, scopeExtension, 1));
    EXPECT_EQ(rows()[1], makeJob(jobUpper, scopeExtension, 1).description());
    EXPECT_EQ(selectedRow(), 1);
    EXPECT_EQ(kinds(), (std::vector<JobType> {jobLower, jobUpper, jobNormal}));
}

TEST_F(JobEditing, CancelledEditKeepsDescriptionAndParameters)
{
    addJob("btnCounter", [this](QDialog& dialog) {
        child<QSpinBox>(&dialog, "edtCharacterCount")->setValue(3);
        setChecked(dialog, "rbEnd");
    });
    const Job before = win().session().jobs[0];
    const std::vector<std::string> rowsBefore = rows();
    selectRow(0);
    m_dialogs.thenCancel([this](QDialog& dialog) {
        child<QSpinBox>(&dialog, "edtCharacterCount")->setValue(9);
        setChecked(dialog, "rbBegin");
    });
    click("btnEdit");
    EXPECT_EQ(win().session().jobs[0], before);
    EXPECT_EQ(rows(), rowsBefore);
}

class NoSelection : public JobEditing, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(NoSelection, SaysSelectAJobFirst)
{
    addThree();
    const std::vector<std::string> before = rows();
    click(GetParam());
    ASSERT_EQ(m_dialogs.messages.size(), 1u);
    EXPECT_EQ(m_dialogs.messages[0], QStringLiteral("Please select a job first."));
    EXPECT_EQ(rows(), before);
    EXPECT_TRUE(m_dialogs.dialogTitles.size() == 3u) << "no dialog opened";
}

INSTANTIATE_TEST_SUITE_P(
    ListButtons, NoSelection, ::testing::Values("btnEdit", "btnRemove", "btnUp", "btnDown"));

TEST_F(JobEditing, DeleteSelectsTheRowThatTakesTheDeletedPlace)
{
    addThree();
    selectRow(2);
    click("btnRemove");
    EXPECT_EQ(kinds(), (std::vector<JobType> {jobLower, jobUpper}));
    EXPECT_EQ(selectedRow(), 1); // the new last row

    selectRow(0);
    click("btnRemove");
    EXPECT_EQ(kinds(), std::vector<JobType> {jobUpper});
    EXPECT_EQ(rows(), std::vector<std::string> {makeJob(jobUpper, scopeAll, 1).description()});
    EXPECT_EQ(selectedRow(), 0);

    click("btnRemove");
    EXPECT_TRUE(rows().empty());
    EXPECT_TRUE(win().session().jobs.empty());
    EXPECT_EQ(selectedRow(), -1);
    EXPECT_TRUE(m_dialogs.messages.empty());
}

TEST_F(JobEditing, UpMovesTheJobToTheTopAndStopsThere)
{
    addThree();
    selectRow(1);
    click("btnUp");
    click("btnUp");
    click("btnUp");
    EXPECT_EQ(kinds(), (std::vector<JobType> {jobUpper, jobLower, jobNormal}));
    EXPECT_EQ(rows()[0], makeJob(jobUpper, scopeAll, 1).description());
    EXPECT_EQ(selectedRow(), 0);
    EXPECT_TRUE(m_dialogs.messages.empty());
}

TEST_F(JobEditing, DownMovesTheJobAndDoesNothingOnTheLastRow)
{
    addThree();
    selectRow(0);
    click("btnDown");
    EXPECT_EQ(kinds(), (std::vector<JobType> {jobUpper, jobLower, jobNormal}));
    EXPECT_EQ(selectedRow(), 1);
    selectRow(2);
    click("btnDown");
    EXPECT_EQ(kinds(), (std::vector<JobType> {jobUpper, jobLower, jobNormal}));
    EXPECT_EQ(rows()[2], makeJob(jobNormal, scopeAll, 1).description());
    EXPECT_EQ(selectedRow(), 2);
    EXPECT_TRUE(m_dialogs.messages.empty());
}

// A case job made in the window changes every letter unless the user unchecks it.
TEST_F(JobEditing, CaseJobsAddedHereChangeEveryLetter)
{
    addJob("btnUpper",
        [](QDialog& dialog) { EXPECT_TRUE(child<QCheckBox>(&dialog, "chkAllLetters")->isChecked()); });
    EXPECT_EQ(win().session().jobs.at(0), makeJob(jobUpper, scopeAll, 1));
    EXPECT_EQ(rows().at(0), "Convert all characters to upper case (all letters)");
    auto* example = child<QLineEdit>(&win(), "edtExample");
    example->setText(QStringLiteral("straße café.txt"));
    click("btnExample");
    EXPECT_EQ(sampleResult(), QStringLiteral("STRASSE CAFÉ.TXT"));

    addJob(
        "btnLower", [](QDialog& dialog) { child<QCheckBox>(&dialog, "chkAllLetters")->setChecked(false); });
    EXPECT_EQ(win().session().jobs.at(1), makeJob(jobLower, scopeAll, 0));
    click("btnExample");
    EXPECT_EQ(sampleResult(), QStringLiteral("strasse cafÉ.txt"));
}

// The replace dialog opened from the window shows its message in the window's message boxes,
// and its help button opens the help page at the section on regular expressions.
TEST_F(JobEditing, ReplaceDialogTalksThroughTheWindow)
{
    m_tree.file("app/help/index.html", "<html></html>");
    addJob("btnReplace", [this](QDialog& dialog) {
        child<QCheckBox>(&dialog, "chkRegex")->setChecked(true);
        child<QLineEdit>(&dialog, "edtString1")->setText(QStringLiteral("(\\d+"));
        child<QPushButton>(&dialog, "btnOk")->click();
        EXPECT_TRUE(dialog.isVisible());
        child<QPushButton>(&dialog, "btnRegExHelp")->click();
        child<QLineEdit>(&dialog, "edtString1")->setText(QStringLiteral("(\\d+)"));
        child<QLineEdit>(&dialog, "edtString2")->setText(QStringLiteral("<$1>"));
    });
    EXPECT_EQ(m_dialogs.messages,
        std::vector<QString> {
            QStringLiteral("Invalid regular expression: missing closing parenthesis at offset 4")});
    const QString help = QUrl::fromLocalFile(QString::fromStdString(appDir() + "help/index.html")).toString();
    EXPECT_EQ(m_openedUrls, std::vector<QString> {help + QStringLiteral("#regex")});
    EXPECT_EQ(win().session().jobs.at(0), makeJob(jobReplace, replaceRegex, 0, 0, "(\\d+)", "<$1>"));
    EXPECT_EQ(rows().at(0), "Replace regex \"(\\d+)\" with \"<$1>\" (ignore case)");
    auto* example = child<QLineEdit>(&win(), "edtExample");
    example->setText(QStringLiteral("a1b22"));
    click("btnExample");
    EXPECT_EQ(sampleResult(), QStringLiteral("a<1>b<22>"));
}

TEST_F(JobEditing, SampleTestAppliesTheJobList)
{
    auto* example = child<QLineEdit>(&win(), "edtExample");
    EXPECT_EQ(example->text(), QStringLiteral("filename.ext"));
    click("btnExample");
    EXPECT_EQ(sampleResult(), QStringLiteral("filename.ext")); // an empty list changes nothing
    addJob("btnLower");
    example->setText(QStringLiteral("My File.TXT"));
    click("btnExample");
    EXPECT_EQ(sampleResult(), QStringLiteral("my file.txt"));
    // The sample stays as typed.
    EXPECT_EQ(example->text(), QStringLiteral("My File.TXT"));
}

TEST_F(JobEditing, SampleTestRestartsTheCounterAndKeepsTheSample)
{
    addJob("btnCounter", [this](QDialog& dialog) {
        child<QSpinBox>(&dialog, "edtCharacterCount")->setValue(3);
        setChecked(dialog, "rbEnd");
    });
    child<QSpinBox>(&win(), "edtCounter")->setValue(1);
    auto* example = child<QLineEdit>(&win(), "edtExample");
    example->setText(QStringLiteral("a"));
    click("btnExample");
    EXPECT_EQ(sampleResult(), QStringLiteral("a001"));
    // Again: the same, since the sample is not overwritten and the counter starts afresh.
    click("btnExample");
    EXPECT_EQ(sampleResult(), QStringLiteral("a001"));
    EXPECT_EQ(example->text(), QStringLiteral("a"));
    EXPECT_EQ(win().session().counterValue, 2);
}

} // namespace
