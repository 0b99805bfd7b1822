#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QFileSystemModel>

#include "RunWindowUtil.h"
#include "gui/folders/FileListView.h"
#include "gui/folders/FolderTreeView.h"
#include "gui/run/LogWindow.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

using Strings = std::vector<std::string>;

/// The question before an undo of one folder: the folder and the number of names that go back.
QString undoQuestion(const std::string& folder, int names)
{
    return QStringLiteral("Operation will undo renaming in \"%1\": %2 %3 back to what %4 before.\n"
                          "Then it will remove _brindlewick_undo.txt from this directory. Continue?")
        .arg(QString::fromStdString(folder))
        .arg(names)
        .arg(names == 1 ? QStringLiteral("name goes") : QStringLiteral("names go"),
            names == 1 ? QStringLiteral("it was") : QStringLiteral("they were"));
}

/// The question before an undo of a folder and every folder below it.
QString treeQuestion(const std::string& folder)
{
    return QStringLiteral("Operation will undo renaming in \"%1\" and in every folder below it.\n"
                          "Then it will remove _brindlewick_undo.txt from each of them. Continue?")
        .arg(QString::fromStdString(folder));
}
const QString kRemoveQuestion
    = QStringLiteral("Errors detected! Remove _brindlewick_undo.txt from this Dir?");

class UndoWindow : public RunWindowFixture
{
protected:
    /// The names the folder tree shows below the selected folder, once they are the expected ones
    /// or the wait runs out: the tree reads folders on its own time, and a rename can keep the
    /// number of rows the same.
    Strings treeChildren(const Strings& expected)
    {
        auto* stv = child<FolderTreeView>(&win(), "stv");
        const QModelIndex current = stv->currentIndex();
        stv->expand(current);
        const auto names = [&] {
            Strings shown;
            for (int row = 0; row < stv->model()->rowCount(current); ++row)
                shown.push_back(stv->model()->index(row, 0, current).data().toString().toStdString());
            std::sort(shown.begin(), shown.end());
            return shown;
        };
        waitFor([&] { return names() == expected; });
        return names();
    }
};

TEST_F(UndoWindow, UndoAfterARunRestoresTheNamesAndRedrawsTreeAndList)
{
    m_tree.file("work/IMG_1.JPG");
    m_tree.file("work/IMG_2.JPG");
    m_tree.file("work/Sub/IMG_3.JPG");
    startIn();
    lowerCaseJob();
    check("chkUndo");
    check("chkRenameDirs");
    check("chkRecurseDirs");
    go();
    ASSERT_EQ(work(), (Strings {"_brindlewick_undo.txt", "img_1.jpg", "img_2.jpg", "sub"}));
    // The run shows the new names in the list and in the tree.
    EXPECT_TRUE(listShows(QStringLiteral("img_1.jpg")));
    EXPECT_EQ(treeChildren({"sub"}), Strings {"sub"});

    // Without "Recurse into subdirectories" Undo works on one folder.
    check("chkRecurseDirs", false);
    m_dialogs.answers = {true};
    undo();
    EXPECT_EQ(m_dialogs.questions, std::vector<QString> {undoQuestion(m_tree.at("work"), 3)});
    EXPECT_EQ(m_dialogs.messages,
        std::vector<QString> {QStringLiteral("3 files and/or directories have been renamed.")});
    EXPECT_EQ(work(), (Strings {"IMG_1.JPG", "IMG_2.JPG", "Sub"}));
    // Undo works on one folder: the subfolder keeps its own undo file and names.
    EXPECT_EQ(work("Sub"), (Strings {"_brindlewick_undo.txt", "img_3.jpg"}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(listShows(QStringLiteral("IMG_1.JPG")));
    EXPECT_FALSE(child<FileListView>(&win(), "slv")->selectName(QStringLiteral("img_1.jpg")));
    EXPECT_EQ(treeChildren({"Sub"}), Strings {"Sub"});

    // A second undo finds no undo file.
    undo();
    EXPECT_EQ(m_dialogs.messages.back().toStdString(),
        "Undo file _brindlewick_undo.txt does not exist in " + m_tree.at("work")
            + ". Operation will not continue!\n"
              "Undo files are written by runs with \"Create Undo file\" checked, one in each folder where "
              "something was renamed.");
    EXPECT_EQ(m_dialogs.questions.size(), 1u);
}

TEST_F(UndoWindow, WithRecurseOneUndoGivesBackTheWholeRun)
{
    m_tree.file("work/IMG_1.JPG");
    m_tree.file("work/Sub/IMG_3.JPG");
    m_tree.file("work/Sub/Deeper/IMG_4.JPG");
    startIn();
    lowerCaseJob();
    check("chkUndo");
    check("chkRenameDirs");
    check("chkRecurseDirs");
    go();
    ASSERT_EQ(work("sub/deeper"), (Strings {"_brindlewick_undo.txt", "img_4.jpg"}));

    m_dialogs.answers = {true};
    undo();
    // One question, one report with the counts of every folder.
    EXPECT_EQ(m_dialogs.questions, std::vector<QString> {treeQuestion(m_tree.at("work"))});
    EXPECT_EQ(m_dialogs.messages,
        std::vector<QString> {QStringLiteral("5 files and/or directories have been renamed.")});
    EXPECT_EQ(work(), (Strings {"IMG_1.JPG", "Sub"}));
    EXPECT_EQ(work("Sub"), (Strings {"Deeper", "IMG_3.JPG"}));
    EXPECT_EQ(work("Sub/Deeper"), (Strings {"IMG_4.JPG"}));
    EXPECT_EQ(treeChildren({"Sub"}), Strings {"Sub"});
}

TEST_F(UndoWindow, AnsweringNoChangesNothing)
{
    m_tree.file("work/a.txt");
    m_tree.file("work/_brindlewick_undo.txt", "a.txt\r\nA.TXT\r\n");
    startIn();
    m_dialogs.answers = {false};
    undo();
    EXPECT_EQ(m_dialogs.questions, std::vector<QString> {undoQuestion(m_tree.at("work"), 1)});
    EXPECT_TRUE(m_dialogs.messages.empty());
    EXPECT_EQ(work(), (Strings {"_brindlewick_undo.txt", "a.txt"}));
}

struct ErrorsCase {
    bool remove;
    Strings after;
    friend void PrintTo(const ErrorsCase& c, std::ostream* os) { *os << (c.remove ? "removed" : "kept"); }
};

class UndoWithErrors : public UndoWindow, public ::testing::WithParamInterface<ErrorsCase>
{
};

TEST_P(UndoWithErrors, AreReportedPairByPairAndTheUndoFileGoesOnlyOnYes)
{
    // gone.txt was renamed away since; x.txt comes back.
    m_tree.file("work/x.txt");
    m_tree.file("work/_brindlewick_undo.txt", "gone.txt\r\nGONE.TXT\r\nx.txt\r\nX.TXT\r\n");
    startIn();
    const QCursor* cursorAtMessage = nullptr;
    Qt::CursorShape shapeAtMessage = Qt::ArrowCursor;
    m_dialogs.onMessage = [&](const QString& text) {
        if (text.startsWith(QStringLiteral("Cannot rename"))) {
            cursorAtMessage = QApplication::overrideCursor();
            if (cursorAtMessage)
                shapeAtMessage = cursorAtMessage->shape();
        }
    };
    m_dialogs.answers = {true, GetParam().remove};
    undo();
    EXPECT_EQ(
        m_dialogs.questions, (std::vector<QString> {undoQuestion(m_tree.at("work"), 2), kRemoveQuestion}));
    EXPECT_EQ(m_dialogs.messages,
        (std::vector<QString> {
            QStringLiteral(
                "Cannot rename gone.txt to GONE.TXT: No such file or directory. Operation will continue"),
            QStringLiteral("1 files and/or directories have been renamed. 1 errors detected!")}));
    EXPECT_EQ(work(), GetParam().after);
    // The hourglass while the undo works, the normal cursor for the report.
    EXPECT_NE(cursorAtMessage, nullptr);
    EXPECT_EQ(shapeAtMessage, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Answers, UndoWithErrors,
    ::testing::Values(ErrorsCase {true, {"X.TXT"}}, ErrorsCase {false, {"X.TXT", "_brindlewick_undo.txt"}}));

TEST_F(UndoWindow, AfterTheThirdFailureTheRestCanGoToTheLog)
{
    std::string pairs;
    for (int i = 1; i <= 5; ++i)
        pairs += "gone" + std::to_string(i) + ".txt\r\nGONE" + std::to_string(i) + ".TXT\r\n";
    m_tree.file("work/_brindlewick_undo.txt", pairs);
    startIn();
    m_dialogs.answers = {true, false, false};
    undo();
    EXPECT_EQ(m_dialogs.questions,
        (std::vector<QString> {undoQuestion(m_tree.at("work"), 5),
            QStringLiteral("More operations have failed. Keep showing a message for each failure?\n"
                           "(No: the rest go only to the log window and to the final count.)"),
            kRemoveQuestion}));
    // The last rename is undone first.
    EXPECT_EQ(m_dialogs.messages,
        (std::vector<QString> {
            QStringLiteral(
                "Cannot rename gone5.txt to GONE5.TXT: No such file or directory. Operation will continue"),
            QStringLiteral(
                "Cannot rename gone4.txt to GONE4.TXT: No such file or directory. Operation will continue"),
            QStringLiteral(
                "Cannot rename gone3.txt to GONE3.TXT: No such file or directory. Operation will continue"),
            QStringLiteral("0 files and/or directories have been renamed. 5 errors detected!")}));
    EXPECT_EQ(logLines(),
        (Strings {"! Cannot rename gone2.txt to GONE2.TXT: No such file or directory",
            "! Cannot rename gone1.txt to GONE1.TXT: No such file or directory"}));
    EXPECT_TRUE(win().logWindow()->isVisible());
    EXPECT_EQ(work(), Strings {"_brindlewick_undo.txt"});
}

TEST_F(UndoWindow, FolderThatIsGoneIsReported)
{
    startIn("work/gone");
    ASSERT_EQ(::rmdir(m_tree.at("work/gone").c_str()), 0);
    undo();
    EXPECT_EQ(m_dialogs.messages,
        std::vector<QString> {QString::fromStdString(
            "Cannot change current directory to " + m_tree.at("work/gone") + ": No such file or directory")});
    EXPECT_TRUE(m_dialogs.questions.empty());
}

} // namespace
