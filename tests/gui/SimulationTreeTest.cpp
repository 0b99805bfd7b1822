#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QPointer>
#include <QToolButton>
#include <QTreeView>

#include "RunWindowUtil.h"
#include "jobs/JobTestUtil.h"
#include "gui/run/ResultTreeModel.h"
#include "gui/run/ResultTreeWindow.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

using Strings = std::vector<std::string>;

class SimulationTree : public RunWindowFixture
{
protected:
    /// A folder with a subfolder, two files that come out under one name, a file that takes the
    /// subfolder's new name and a file the jobs leave alone; jobs: lower case, then "-" removed.
    void startWithClashes()
    {
        m_tree.file("work/Docs/Inner.TXT");
        m_tree.file("work/DOCS");
        m_tree.file("work/b-1.txt");
        m_tree.file("work/B1.TXT");
        m_tree.file("work/keep.txt");
        startIn();
        Job lower = Job::create(jobLower);
        lower.modifier = scopeAll;
        Job dash = Job::create(jobReplace);
        dash.modifier = replaceText;
        dash.str1 = "-";
        dash.str2 = "";
        loadJobs({lower, dash});
        check("chkRecurseDirs");
        check("chkRenameDirs");
        // Neither an undo file nor a question in a simulation, even with both boxes checked.
        check("chkUndo");
        check("chkConfirm");
        check("chkSimulation");
    }

    ResultTreeWindow* tree()
    {
        ResultTreeWindow* t = win().treeWindow();
        if (!t)
            ADD_FAILURE() << "no result window";
        return t;
    }
    ResultTreeModel& model() { return tree()->model(); }
    QTreeView* view() { return tree()->treeView(); }
    QModelIndex root() { return model().index(0, 0); }

    std::string text(const QModelIndex& index) { return index.data().toString().toStdString(); }
    int image(const QModelIndex& index) { return index.data(ResultTreeModel::imageIndexRole).toInt(); }
    int selectedImage(const QModelIndex& index)
    {
        return index.data(ResultTreeModel::selectedIndexRole).toInt();
    }

    /// The picture the view draws for a node, normally or while selected.
    QImage drawn(const QModelIndex& index, QIcon::Mode mode)
    {
        return index.data(Qt::DecorationRole).value<QIcon>().pixmap(16, 16, mode).toImage();
    }

    /// The texts of a node's children in one column (by default their new names).
    Strings children(const QModelIndex& parent, int column = ResultTreeModel::colNewName)
    {
        Strings result;
        for (int row = 0; row < model().rowCount(parent); ++row)
            result.push_back(text(model().index(row, column, parent)));
        return result;
    }

    std::string resultText() { return child<QLabel>(tree(), "lblResult")->text().toStdString(); }
};

TEST_F(SimulationTree, ClashesAreMarkedOnTheLaterEntryAndNothingChangesOnDisk)
{
    startWithClashes();
    const Strings before = work();
    go();

    EXPECT_TRUE(m_dialogs.questions.empty());
    EXPECT_TRUE(m_dialogs.messages.empty());
    EXPECT_EQ(work(), before);
    EXPECT_EQ(work("Docs"), Strings {"Inner.TXT"});

    ASSERT_NE(tree(), nullptr);
    EXPECT_TRUE(tree()->isVisible());
    const QModelIndex top = root();
    EXPECT_EQ(text(top), m_tree.at("work"));
    EXPECT_EQ(image(top), 0);
    EXPECT_EQ(selectedImage(top), 1);
    // Subfolders first, then the files in name order.
    EXPECT_EQ(children(top, ResultTreeModel::colOldName),
        (Strings {"Docs", "b-1.txt", "B1.TXT", "DOCS", "keep.txt"}));
    EXPECT_EQ(children(top), (Strings {"docs", "b1.txt", "b1.txt", "docs", "keep.txt"}));
    const std::vector<std::pair<int, int>> images {{3, 4}, {5, 5}, {8, 8}, {8, 8}, {2, 2}};
    for (int row = 0; row < 5; ++row) {
        const QModelIndex node = model().index(row, 0, top);
        EXPECT_EQ(image(node), images[static_cast<std::size_t>(row)].first) << row;
        EXPECT_EQ(selectedImage(node), images[static_cast<std::size_t>(row)].second) << row;
        // The view draws those very pictures.
        EXPECT_EQ(drawn(node, QIcon::Normal), resultIcons()[static_cast<std::size_t>(image(node))].toImage())
            << row;
        EXPECT_EQ(drawn(node, QIcon::Selected),
            resultIcons()[static_cast<std::size_t>(selectedImage(node))].toImage())
            << row;
    }
    const QModelIndex docs = model().index(0, 0, top);
    EXPECT_EQ(children(docs), Strings {"inner.txt"});
    // An error's tooltip says why the real run would fail there.
    EXPECT_EQ(toolTipOf(model().index(2, 0, top)).toStdString(),
        "b1.txt (was \"B1.TXT\")\nalso the new name of b-1.txt, which comes first");
    EXPECT_EQ(toolTipOf(model().index(3, 0, top)).toStdString(),
        "docs (was \"DOCS\")\nalso the new name of Docs, which comes first");
    EXPECT_EQ(toolTipOf(model().index(1, 0, top)).toStdString(), "b1.txt");

    // First level shown, root selected; counted as the real run would count: the two entries
    // that would fail are not renamed.
    EXPECT_TRUE(view()->isExpanded(top));
    EXPECT_FALSE(view()->isExpanded(docs));
    EXPECT_EQ(view()->currentIndex(), top);
    EXPECT_EQ(resultText(), "2 files and 1 directories would be renamed.");
    EXPECT_EQ(progressText("lblErrors"), "2");
    EXPECT_EQ(progressText("lblFiles"), "2 of 4");
    EXPECT_EQ(progressText("lblFolders"), "1 of 1");
}

// Old name | New name | Result | Reason, row by row: a swap (a cycle the real run breaks with a
// temporary name), a name held by a file that stays, a file left alone.
TEST_F(SimulationTree, RowsShowOldAndNewNamesWithTheResultAndItsReason)
{
    for (const char* name : {"x-y.txt", "y-x.txt", "Q.TXT", "q.txt", "keep.txt"})
        m_tree.file(std::string("work/") + name);
    startIn();
    loadJobs({test::makeJob(jobReplace, replaceRegex, 1, 0, "^(\\w)-(\\w)", "$2-$1"), Job::create(jobLower)});
    check("chkSimulation");
    go();

    ASSERT_NE(tree(), nullptr);
    const QModelIndex top = root();
    std::vector<Strings> rows;
    for (int row = 0; row < model().rowCount(top); ++row) {
        Strings cells;
        for (int column = 0; column < model().columnCount(top); ++column)
            cells.push_back(text(model().index(row, column, top)));
        rows.push_back(cells);
    }
    const std::vector<Strings> expected {
        {"keep.txt", "keep.txt", "unchanged", ""},
        {"Q.TXT", "q.txt", "would fail", "held by q.txt, which stays"},
        {"q.txt", "q.txt", "unchanged", ""},
        {"x-y.txt", "y-x.txt", "would be renamed", ""},
        {"y-x.txt", "x-y.txt", "would be renamed", ""},
    };
    EXPECT_EQ(rows, expected);
    // The root row: the starting folder, nothing more.
    EXPECT_EQ(text(top), m_tree.at("work"));
    EXPECT_EQ(text(top.siblingAtColumn(ResultTreeModel::colNewName)), "");
    Strings headers;
    for (int column = 0; column < model().columnCount(); ++column)
        headers.push_back(model().headerData(column, Qt::Horizontal).toString().toStdString());
    EXPECT_EQ(headers, (Strings {"Old name", "New name", "Result", "Reason"}));
    EXPECT_FALSE(view()->isHeaderHidden());
    EXPECT_EQ(resultText(), "2 files and 0 directories would be renamed.");
}

TEST_F(SimulationTree, SubfoldersShowUnchangedWhenTheyAreNotRenamed)
{
    startWithClashes();
    check("chkRenameDirs", false);
    go();
    const QModelIndex docs = model().index(0, 0, root());
    EXPECT_EQ(text(docs), "Docs");
    EXPECT_EQ(text(docs.siblingAtColumn(ResultTreeModel::colResult)), "unchanged");
    EXPECT_EQ(image(docs), 0);
    EXPECT_EQ(selectedImage(docs), 1);
    // The scratch folder's file system tells docs from Docs, so the file beside the unchanged
    // subfolder is renamed, as the real run would rename it.
    EXPECT_EQ(text(model().index(3, ResultTreeModel::colNewName, root())), "docs");
    EXPECT_EQ(image(model().index(3, 0, root())), 5);
    EXPECT_EQ(resultText(), "3 files and 0 directories would be renamed.");
}

TEST_F(SimulationTree, ExpandButtonsOpenEverythingOrTheFirstLevel)
{
    m_tree.file("work/A/B/C/deep.TXT");
    startIn();
    lowerCaseJob();
    check("chkRecurseDirs");
    check("chkSimulation");
    go();
    const QModelIndex a = model().index(0, 0, root());
    const QModelIndex b = model().index(0, 0, a);
    const QModelIndex c = model().index(0, 0, b);
    ASSERT_EQ(children(c), Strings {"deep.txt"});

    child<QToolButton>(tree(), "btnExpand")->click();
    for (const QModelIndex& node : {root(), a, b, c})
        EXPECT_TRUE(view()->isExpanded(node));

    view()->setCurrentIndex(c);
    child<QToolButton>(tree(), "btnExpandOneLevel")->click();
    EXPECT_TRUE(view()->isExpanded(root()));
    for (const QModelIndex& node : {a, b, c})
        EXPECT_FALSE(view()->isExpanded(node));
    EXPECT_EQ(view()->currentIndex(), root());
}

TEST_F(SimulationTree, WindowIsReusedWhileOpenAndANewOneFollowsAClose)
{
    m_tree.file("work/A.TXT");
    startIn();
    lowerCaseJob();
    check("chkSimulation");
    go();
    QPointer<ResultTreeWindow> first = win().treeWindow();
    ASSERT_TRUE(first);
    EXPECT_EQ(children(root()), Strings {"a.txt"});

    // The next simulation fills the same window with the tree as it is now.
    m_tree.file("work/B.TXT");
    go();
    EXPECT_EQ(win().treeWindow(), first.data());
    EXPECT_EQ(children(root()), (Strings {"a.txt", "b.txt"}));

    // A real run leaves it alone.
    m_tree.file("work/C.TXT");
    check("chkSimulation", false);
    go();
    EXPECT_EQ(work(), (Strings {"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(children(root()), (Strings {"a.txt", "b.txt"}));
    EXPECT_EQ(resultText(), "2 files and 0 directories would be renamed.");

    // Closing destroys it; the next simulation makes a new one.
    first->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(win().treeWindow(), nullptr);
    check("chkSimulation");
    go();
    ASSERT_NE(win().treeWindow(), nullptr);
    EXPECT_TRUE(win().treeWindow()->isVisible());
    EXPECT_EQ(children(root()), (Strings {"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(resultText(), "0 files and 0 directories would be renamed.");
}

TEST_F(SimulationTree, WindowLegendAndButtonsAsDesigned)
{
    startIn();
    ResultTreeWindow window(&win());
    EXPECT_EQ(window.windowTitle().toStdString(), "Brindlewick Simulated Result ...");
    // Room for long names and the reasons of errors.
    EXPECT_GE(window.width(), 700);
    EXPECT_GE(window.height(), 450);
    EXPECT_NE(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(child<QLabel>(&window, "lblResult")->text().toStdString(), "...");
    EXPECT_EQ(child<QToolButton>(&window, "btnExpand")->toolTip().toStdString(), "Expand All Nodes");
    EXPECT_EQ(
        child<QToolButton>(&window, "btnExpandOneLevel")->toolTip().toStdString(), "Expand First Level");
    EXPECT_FALSE(child<QToolButton>(&window, "btnExpand")->icon().isNull());
    EXPECT_FALSE(child<QToolButton>(&window, "btnExpandOneLevel")->icon().isNull());
    auto* tv = child<QTreeView>(&window, "tvSim");
    EXPECT_EQ(tv->indentation(), 19);
    EXPECT_EQ(tv->editTriggers(), QAbstractItemView::NoEditTriggers);

    // The legend: folder pictures in the first row, file pictures in the second.
    const std::vector<std::pair<const char*, int>> pictures {{"imgFolderUnchanged", 0},
        {"imgFolderRenamed", 3}, {"imgFolderError", 6}, {"imgFileUnchanged", 2}, {"imgFileRenamed", 5},
        {"imgFileError", 8}};
    for (const auto& [name, index] : pictures) {
        auto* label = child<QLabel>(&window, name);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->pixmap().toImage(), resultIcons()[static_cast<std::size_t>(index)].toImage())
            << name;
    }
    Strings texts;
    for (const char* name : {"lblFolders", "lblFolderUnchanged", "lblFolderRenamed", "lblFolderError",
             "lblFiles", "lblFileUnchanged", "lblFileRenamed", "lblFileError"})
        texts.push_back(child<QLabel>(&window, name)->text().toStdString());
    EXPECT_EQ(texts,
        (Strings {"Folders:", "unchanged", "renamed", "renaming error", "Files:", "unchanged", "renamed",
            "renaming error"}));
}

TEST(SimulationImages, NineDistinctSixteenPixelPictures)
{
    const ImageList& images = resultIcons();
    for (std::size_t i = 0; i < images.size(); ++i) {
        EXPECT_EQ(images[i].size(), QSize(16, 16)) << i;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(images[i].toImage(), images[j].toImage()) << i << " and " << j;
    }
}

} // namespace
