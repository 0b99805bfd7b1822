#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedLayout>
#include <QTest>
#include <QTreeView>

#include "common/TestName.h"
#include "GuiTestUtil.h"
#include "gui/folders/FileListModel.h"
#include "gui/folders/FileListView.h"
#include "gui/folders/FolderTreeView.h"
#include "gui/base/NameText.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

// ---- the folder tree and the file list in the window

class Views : public MainWindowFixture
{
protected:
    void SetUp() override
    {
        m_tree.file("work/top/a.TXT", "a");
        m_tree.file("work/top/b.txt", "b");
        m_tree.dir("work/top/sub");
        m_tree.file("work/top/sub/inner.txt", "i");
        start({m_tree.at("work/top")});
        slv = child<FileListView>(&win(), "slv");
        stv = child<FolderTreeView>(&win(), "stv");
    }

    /// Waits until the file list shows the name.
    bool listShows(const QString& name)
    {
        return waitFor([&] { return slv->isLoaded() && slv->selectName(name); });
    }

    QModelIndex listIndex(const QString& name)
    {
        FileListModel* model = slv->listModel();
        return model->index(model->rowOf(textToBytes(name)), 0);
    }

    FileListView* slv = nullptr;
    FolderTreeView* stv = nullptr;
};

TEST_F(Views, ViewStyleButtonsSwitchTheList)
{
    EXPECT_EQ(win().viewStyle(), 3); // the details first, with the New name column
    const char* buttons[] = {"btnLargeIcons", "btnSmallIcons", "btnList", "btnDetails"};
    for (int style = 0; style < 4; ++style) {
        click(buttons[style]);
        EXPECT_EQ(win().viewStyle(), style);
        QAbstractItemView* view = slv->currentView();
        EXPECT_TRUE(view->isVisible());
        if (style == 3) {
            EXPECT_NE(qobject_cast<QTreeView*>(view), nullptr);
        } else {
            auto* list = qobject_cast<QListView*>(view);
            ASSERT_NE(list, nullptr);
            EXPECT_EQ(list->viewMode(), style == 0 ? QListView::IconMode : QListView::ListMode);
        }
    }
}

TEST_F(Views, DoubleClickOnAFolderEntersItAndTheTreeFollows)
{
    ASSERT_TRUE(listShows(QStringLiteral("sub")));
    auto* view = slv->currentView();
    const QModelIndex index = listIndex(QStringLiteral("sub"));
    const QRect rect = view->visualRect(index);
    ASSERT_TRUE(rect.isValid());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_TRUE(waitFor([&] { return win().selectedPath() == m_tree.at("work/top/sub"); }));
    EXPECT_EQ(slv->folder(), m_tree.at("work/top/sub"));

    click("btnBack");
    EXPECT_EQ(win().selectedPath(), m_tree.at("work/top"));
    EXPECT_EQ(slv->folder(), m_tree.at("work/top"));
}

TEST_F(Views, DoubleClickOnAFileStaysInTheFolder)
{
    ASSERT_TRUE(listShows(QStringLiteral("b.txt")));
    auto* view = slv->currentView();
    QTest::mouseClick(
        view->viewport(), Qt::LeftButton, {}, view->visualRect(listIndex(QStringLiteral("b.txt"))).center());
    QTest::mouseDClick(
        view->viewport(), Qt::LeftButton, {}, view->visualRect(listIndex(QStringLiteral("b.txt"))).center());
    QApplication::processEvents();
    EXPECT_EQ(win().selectedPath(), m_tree.at("work/top"));
}

TEST_F(Views, BackStopsAtTheRoot)
{
    ASSERT_TRUE(win().setTreePath("/"));
    click("btnBack");
    EXPECT_EQ(win().selectedPath(), "/");
}

TEST_F(Views, ClickOnAFilePreviewsItsName)
{
    addJob("btnLower");
    ASSERT_TRUE(listShows(QStringLiteral("a.TXT")));
    auto* view = slv->currentView();
    QTest::mouseClick(
        view->viewport(), Qt::LeftButton, {}, view->visualRect(listIndex(QStringLiteral("a.TXT"))).center());
    // The clicked name becomes the sample, and what the jobs make of it shows below.
    EXPECT_EQ(child<QLineEdit>(&win(), "edtExample")->text(), QStringLiteral("a.TXT"));
    EXPECT_EQ(sampleResult(), QStringLiteral("a.txt"));
}

TEST_F(Views, ClicksGoOnWithTheCounter)
{
    addJob("btnCounter", [](QDialog& dialog) {
        child<QRadioButton>(&dialog, "rbEnd")->setChecked(true);
        child<QSpinBox>(&dialog, "edtCharacterCount")->setValue(2);
    });
    child<QSpinBox>(&win(), "edtCounter")->setValue(5);
    auto* example = child<QLineEdit>(&win(), "edtExample");
    // The sample test sets the counter from edtCounter; the clicks after it go on from there.
    example->setText(QStringLiteral("s"));
    click("btnExample");
    EXPECT_EQ(sampleResult(), QStringLiteral("s05"));
    ASSERT_TRUE(listShows(QStringLiteral("b.txt")));
    auto* view = slv->currentView();
    QTest::mouseClick(
        view->viewport(), Qt::LeftButton, {}, view->visualRect(listIndex(QStringLiteral("b.txt"))).center());
    EXPECT_EQ(sampleResult(), QStringLiteral("b.txt06"));
    QTest::mouseClick(
        view->viewport(), Qt::LeftButton, {}, view->visualRect(listIndex(QStringLiteral("a.TXT"))).center());
    EXPECT_EQ(sampleResult(), QStringLiteral("a.TXT07"));
}

TEST_F(Views, ClickOnEmptySpaceChangesNothing)
{
    addJob("btnUpper");
    auto* view = slv->currentView();
    view->clearSelection();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
        QPoint(view->viewport()->width() - 2, view->viewport()->height() - 2));
    EXPECT_EQ(child<QLineEdit>(&win(), "edtExample")->text(), QStringLiteral("filename.ext"));
}

TEST_F(Views, RefreshReadsTheTreeAgain)
{
    const QModelIndex top = stv->currentIndex();
    stv->expand(top);
    ASSERT_TRUE(waitFor([&] { return stv->model()->rowCount(top) == 1; }));
    m_tree.dir("work/top/new folder");
    QTest::qWait(200);
    // The tree is not watched: the new folder shows only after a refresh.
    EXPECT_EQ(stv->model()->rowCount(stv->currentIndex()), 1);
    click("imgRefresh");
    EXPECT_EQ(win().selectedPath(), m_tree.at("work/top"));
    EXPECT_TRUE(waitFor([&] { return stv->model()->rowCount(stv->currentIndex()) == 2; }));
}

TEST_F(Views, RenamingInPlaceRenamesOnDisk)
{
    ASSERT_TRUE(listShows(QStringLiteral("b.txt")));
    slv->editSelected();
    auto* editor = slv->currentView()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), QStringLiteral("b.txt"));
    editor->setText(QStringLiteral("renamed.txt"));
    QTest::keyClick(editor, Qt::Key_Return);
    // The view hands the edited text over once the key has been handled.
    EXPECT_TRUE(waitFor([&] { return m_tree.exists("work/top/renamed.txt"); }));
    EXPECT_FALSE(m_tree.exists("work/top/b.txt"));
    EXPECT_TRUE(m_dialogs.messages.empty());
}

TEST_F(Views, RenamingOntoAnExistingNameIsRefused)
{
    ASSERT_TRUE(listShows(QStringLiteral("b.txt")));
    slv->editSelected();
    auto* editor = slv->currentView()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("a.TXT"));
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return !m_dialogs.messages.empty(); }));
    ASSERT_EQ(m_dialogs.messages.size(), 1u);
    EXPECT_TRUE(m_dialogs.messages[0].startsWith(QStringLiteral("Cannot rename b.txt to a.TXT")))
        << m_dialogs.messages[0].toStdString();
    EXPECT_EQ(m_tree.read("work/top/a.TXT"), "a");
    EXPECT_EQ(m_tree.read("work/top/b.txt"), "b");
}

} // namespace
