// New names given by hand in the window: typed into the New name column, edited as text in a
// dialog, imported from a list; the plan exported. They go through the folder's plan (a swap, a
// name held by a file that stays fails live), survive edits of the jobs, and Go makes them.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTest>
#include <QTreeView>

#include "RunWindowUtil.h"
#include "gui/app/MainWindow.h"
#include "gui/app/ManualNamesEditor.h"
#include "gui/folders/FileListModel.h"
#include "gui/folders/FileListView.h"
#include "gui/folders/FolderTreeView.h"
#include "gui/folders/NewNamePreview.h"
#include "gui/run/LogWindow.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

Job upperJob()
{
    Job j = Job::create(jobUpper);
    j.modifier = scopeAll;
    j.int1 = 1;
    return j;
}

class ManualNamesWindow : public RunWindowFixture
{
protected:
    FileListView* slv() { return child<FileListView>(&win(), "slv"); }
    FileListModel* model() { return slv()->listModel(); }
    bool settled()
    {
        return waitFor([&] { return slv()->isLoaded() && win().preview()->isCurrent(); });
    }
    QModelIndex cell(const std::string& name) { return model()->index(model()->rowOf(name), colNewName); }
    EntryVerdict verdict(const std::string& name)
    {
        return static_cast<EntryVerdict>(cell(name).data(FileListModel::VerdictRole).toInt());
    }
    void trigger(const char* action) { child<QAction>(&win(), action)->trigger(); }

    /// Types text into the New name column of name as the user does: F2 on the cell, the text,
    /// Return.
    void typeNewName(const std::string& name, const QString& text)
    {
        auto* view = child<QTreeView>(slv(), "slvDetails");
        view->setCurrentIndex(cell(name));
        QTest::keyClick(view, Qt::Key_F2);
        // The editor just opened: the newest child (one closed before may linger until it is
        // deleted).
        const QList<QLineEdit*> editors
            = view->viewport()->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly);
        QLineEdit* edit = editors.isEmpty() ? nullptr : editors.back();
        ASSERT_NE(edit, nullptr);
        edit->setText(text);
        QPointer<QLineEdit> open = edit;
        QTest::keyClick(edit, Qt::Key_Return);
        // The view closes its editor once the name is handed over, and takes F2 again.
        ASSERT_TRUE(waitFor([&] { return !open || !open->isVisible(); }));
        ASSERT_TRUE(settled());
    }
};

TEST_F(ManualNamesWindow, TypedInTheColumnASwapAndAHeldNameThenGoAndUndo)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        m_tree.file(std::string("work/") + name, name);
    startIn();
    check("chkUndo");
    check("chkSimulation", false);
    slv()->setViewStyle(3);
    loadJobs({upperJob()});
    ASSERT_TRUE(settled());
    EXPECT_EQ(cell("a.txt").data().toString(), QStringLiteral("A.TXT"));

    typeNewName("a.txt", QStringLiteral("b.txt"));
    typeNewName("b.txt", QStringLiteral("a.txt"));
    typeNewName("c.txt", QStringLiteral("d.txt"));
    EXPECT_EQ(cell("a.txt").data().toString(), QStringLiteral("b.txt"));
    EXPECT_EQ(cell("b.txt").data().toString(), QStringLiteral("a.txt"));
    EXPECT_TRUE(cell("a.txt").data(Qt::FontRole).value<QFont>().italic());
    EXPECT_FALSE(cell("a.txt").data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_FALSE(cell("d.txt").data(Qt::FontRole).value<QFont>().italic());
    // The jobs move d.txt to D.TXT, so the name c.txt wants is free.
    EXPECT_EQ(verdict("c.txt"), EntryVerdict::Renamed);
    // A manual name for d.txt that keeps it makes c.txt's name held, live.
    typeNewName("d.txt", QStringLiteral("d.txt"));
    EXPECT_EQ(verdict("c.txt"), EntryVerdict::Error);
    EXPECT_EQ(toolTipOf(cell("c.txt")), QStringLiteral("held by d.txt, which stays"));
    EXPECT_EQ(win().manualNames()->count(), 4u);

    // Another job list keeps the names given by hand.
    loadJobs({upperJob(), upperJob()});
    ASSERT_TRUE(settled());
    EXPECT_EQ(cell("a.txt").data().toString(), QStringLiteral("b.txt"));
    EXPECT_EQ(verdict("c.txt"), EntryVerdict::Error);

    // Go asks first, as c.txt cannot be renamed.
    m_dialogs.answers = {true};
    go();
    EXPECT_EQ(m_tree.read("work/a.txt"), "b.txt");
    EXPECT_EQ(m_tree.read("work/b.txt"), "a.txt");
    EXPECT_EQ(m_tree.read("work/c.txt"), "c.txt");
    EXPECT_EQ(m_tree.read("work/d.txt"), "d.txt");
    // Done: the names were for the old names.
    EXPECT_EQ(win().manualNames()->count(), 0u);
    m_dialogs.answers = {true};
    undo();
    EXPECT_EQ(m_tree.read("work/a.txt"), "a.txt");
    EXPECT_EQ(m_tree.read("work/b.txt"), "b.txt");
}

TEST_F(ManualNamesWindow, ClearManualNamesAndTheQuestionBeforeAnotherFolder)
{
    m_tree.file("work/a.txt");
    m_tree.file("work/sub/x.txt");
    m_tree.file("other/y.txt");
    startIn();
    loadJobs({upperJob()});
    ASSERT_TRUE(settled());
    win().manualNames()->setName("a.txt", "mine.txt");
    ASSERT_TRUE(settled());
    EXPECT_EQ(cell("a.txt").data().toString(), QStringLiteral("mine.txt"));
    EXPECT_TRUE(child<QAction>(&win(), "cmClearManualNames")->isEnabled());

    // No: the folder stays with its names.
    m_dialogs.answers = {false};
    child<FolderTreeView>(&win(), "stv")->setPath(m_tree.at("other"));
    ASSERT_TRUE(settled());
    ASSERT_EQ(m_dialogs.questions.size(), 1u);
    EXPECT_EQ(m_dialogs.questions[0],
        QStringLiteral("Drop the 1 new names given by hand in %1?")
            .arg(QString::fromStdString(m_tree.at("work"))));
    EXPECT_EQ(model()->folder(), m_tree.at("work"));
    EXPECT_EQ(cell("a.txt").data().toString(), QStringLiteral("mine.txt"));

    trigger("cmClearManualNames");
    ASSERT_TRUE(settled());
    EXPECT_EQ(cell("a.txt").data().toString(), QStringLiteral("A.TXT"));
    // Without names nobody is asked.
    child<FolderTreeView>(&win(), "stv")->setPath(m_tree.at("other"));
    ASSERT_TRUE(settled());
    EXPECT_EQ(m_dialogs.questions.size(), 1u);
    EXPECT_EQ(model()->folder(), m_tree.at("other"));
}

TEST_F(ManualNamesWindow, TheTextDialogSwapsLinesAndRefusesAnEmptyLineOrASlash)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        m_tree.file(std::string("work/") + name, name);
    startIn();
    check("chkSimulation", false);
    loadJobs({upperJob()});
    ASSERT_TRUE(settled());
    QStringList problems;
    m_dialogs.dialogHandlers.push_back([&](QDialog& dialog) {
        auto* oldNames = child<QPlainTextEdit>(&dialog, "edtOldNames");
        auto* newNames = child<QPlainTextEdit>(&dialog, "edtNewNames");
        EXPECT_TRUE(oldNames->isReadOnly());
        EXPECT_EQ(oldNames->toPlainText(), QStringLiteral("a.txt\nb.txt\nc.txt"));
        EXPECT_EQ(newNames->toPlainText(), QStringLiteral("A.TXT\nB.TXT\nC.TXT"));
        auto* problem = child<QLabel>(&dialog, "lblProblem");
        for (const QString& text : {QStringLiteral("B.TXT\n\nC.TXT"), QStringLiteral("B.TXT\nA/TXT\nC.TXT"),
                 QStringLiteral("B.TXT\nA.TXT")}) {
            newNames->setPlainText(text);
            dialog.accept();
            EXPECT_EQ(dialog.result(), QDialog::Rejected);
            problems.push_back(problem->text());
        }
        // The first two lines swapped, the third as it was.
        newNames->setPlainText(QStringLiteral("B.TXT\nA.TXT\nC.TXT\n"));
        dialog.accept();
        return dialog.result();
    });
    trigger("cmEditNewNamesAsText");
    ASSERT_TRUE(settled());
    EXPECT_EQ(problems,
        (QStringList {QStringLiteral("Line 2 is empty."),
            QStringLiteral("Line 2 holds \"/\", which no name can hold."),
            QStringLiteral(
                "There are 2 lines for 3 names: each line is the new name of the name beside it.")}));
    EXPECT_EQ(cell("a.txt").data().toString(), QStringLiteral("B.TXT"));
    EXPECT_EQ(cell("b.txt").data().toString(), QStringLiteral("A.TXT"));
    // Only the changed lines became names by hand.
    EXPECT_EQ(win().manualNames()->count(), 2u);
    EXPECT_FALSE(cell("c.txt").data(Qt::FontRole).value<QFont>().italic());
    go();
    EXPECT_EQ(work(), (std::vector<std::string> {"A.TXT", "B.TXT", "C.TXT"}));
    EXPECT_EQ(m_tree.read("work/A.TXT"), "b.txt");
}

TEST_F(ManualNamesWindow, ImportAListAndExportThePlan)
{
    for (const char* name : {"a.txt", "b.txt", "odd\xff.txt"})
        m_tree.file(std::string("work/") + name, name);
    m_tree.file("list.csv", "a.txt,first.txt\n\"odd\xff.txt\",\"say \"\"x\"\".txt\"\nghost.txt,g.txt\n");
    startIn();
    loadJobs({upperJob()});
    ASSERT_TRUE(settled());
    m_dialogs.openAnswers.push_back(QString::fromStdString(m_tree.at("list.csv")));
    trigger("cmImportNewNames");
    ASSERT_TRUE(settled());
    ASSERT_FALSE(m_dialogs.messages.empty());
    EXPECT_EQ(m_dialogs.messages.back(),
        QStringLiteral(
            "2 new names imported. 1 names of the list are not in this folder; the log lists them."));
    ASSERT_NE(win().logWindow()->findChild<QPlainTextEdit*>(), nullptr);
    EXPECT_TRUE(win().logWindow()->findChild<QPlainTextEdit*>()->toPlainText().contains(
        QStringLiteral("ghost.txt (line 3)")));
    EXPECT_EQ(cell("a.txt").data().toString(), QStringLiteral("first.txt"));
    EXPECT_EQ(cell("b.txt").data().toString(), QStringLiteral("B.TXT"));

    m_dialogs.saveAnswers.push_back(QString::fromStdString(m_tree.at("plan.tsv")));
    trigger("cmExportPlan");
    EXPECT_EQ(m_tree.read("plan.tsv"),
        "a.txt\tfirst.txt\trenamed\t\nb.txt\tB.TXT\trenamed\t\nodd\xff.txt\tsay \"x\".txt\trenamed\t\n");
    m_dialogs.saveAnswers.push_back(QString::fromStdString(m_tree.at("plan.json")));
    trigger("cmExportPlan");
    const std::string json = m_tree.read("plan.json");
    EXPECT_NE(
        json.find("{\"old\": [111,100,100,255,46,116,120,116], \"new\": \"say \\\"x\\\".txt\", \"verdict\": "
                  "\"renamed\", \"reason\": \"\", \"manual\": true}"),
        std::string::npos)
        << json;
    EXPECT_NE(
        json.find("{\"old\": \"b.txt\", \"new\": \"B.TXT\", \"verdict\": \"renamed\", \"reason\": \"\", "
                  "\"manual\": false}"),
        std::string::npos)
        << json;

    // The exported plan reads back as a list of the same names.
    m_dialogs.openAnswers.push_back(QString::fromStdString(m_tree.at("plan.tsv")));
    win().manualNames()->clear();
    trigger("cmImportNewNames");
    ASSERT_TRUE(settled());
    EXPECT_EQ(m_dialogs.messages.back(), QStringLiteral("3 new names imported."));
    EXPECT_EQ(cell("odd\xff.txt").data(FileListModel::VerdictRole).toInt(),
        static_cast<int>(EntryVerdict::Renamed));
}

} // namespace
