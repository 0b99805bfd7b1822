// Keys and direct handling: the menus' shortcuts, Delete and Enter on the jobs, Escape on the
// tool windows, Enter in the sample field, drag and drop, F2 in the file list.

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QTreeView>
#include <QSignalSpy>
#include <QUrl>

#include "RunWindowUtil.h"
#include "gui/folders/FileListModel.h"
#include "gui/folders/FileListView.h"
#include "gui/folders/NewNamePreview.h"
#include "gui/run/ProgressWindow.h"
#include "gui/run/ResultTreeWindow.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

class WindowKeys : public RunWindowFixture
{
protected:
    FileListView* slv() { return child<FileListView>(&win(), "slv"); }
    QAction* action(const char* name) { return child<QAction>(&win(), name); }
    QString sampleResult() { return child<QLabel>(&win(), "lblSampleResult")->text(); }

    /// Drops the addresses of paths on the window as a file manager does.
    bool drop(const std::vector<std::string>& paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& p : paths)
            urls << QUrl::fromLocalFile(QString::fromStdString(p));
        data.setUrls(urls);
        const QPoint at(win().width() / 2, win().height() / 2);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&win(), &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&win(), &dropped);
        return dropped.isAccepted();
    }
};

TEST_F(WindowKeys, MenusAndWindowHaveTheStandardKeys)
{
    startIn();
    const std::pair<const char*, QKeySequence> keys[] = {
        {"cmOpenJobList", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"cmSaveJobList", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"cmSaveJobListAs", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"cmExit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"cmQuickHelpHTML", QKeySequence(Qt::Key_F1)},
        {"cmRefresh", QKeySequence(Qt::Key_F5)},
        {"cmUndo", QKeySequence(Qt::CTRL | Qt::Key_Z)},
        {"cmGo", QKeySequence(Qt::CTRL | Qt::Key_Return)},
    };
    for (const auto& [name, key] : keys) {
        QAction* a = action(name);
        ASSERT_TRUE(a) << name;
        EXPECT_TRUE(a->shortcuts().contains(key)) << name << " lacks " << key.toString().toStdString();
    }
}

TEST_F(WindowKeys, CtrlReturnIsGo)
{
    m_tree.file("work/A.TXT");
    startIn();
    check("chkSimulation", false);
    check("chkUndo", false);
    lowerCaseJob();
    QSignalSpy ended(&win(), &MainWindow::runEnded);
    ASSERT_TRUE(waitFor([&] { return win().preview()->isCurrent(); }));
    action("cmGo")->trigger();
    ASSERT_TRUE(ended.wait(30000));
    EXPECT_EQ(work(), (std::vector<std::string> {"a.txt"}));
}

TEST_F(WindowKeys, DeleteAndEnterWorkOnTheSelectedJob)
{
    startIn();
    addJob("btnLower");
    addJob("btnUpper");
    auto* list = child<QListWidget>(&win(), "lbJobs");
    QApplication::setActiveWindow(&win());
    list->setFocus();
    selectRow(0);
    // Enter opens the job's dialog (Cancel changes nothing).
    m_dialogs.thenCancel();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(m_dialogs.dialogHandlers.empty());
    // So does a double click, here choosing the extension only (the job dialog was the active
    // window until now).
    QApplication::setActiveWindow(&win());
    list->setFocus();
    m_dialogs.thenOk([](QDialog& d) { child<QAbstractButton>(&d, "rbExtension")->click(); });
    // A double click as the window system gives it: a click, then the second press.
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(rows().front(), "Convert extension to lower case (all letters)");
    // Delete removes it.
    QApplication::setActiveWindow(&win());
    list->setFocus();
    selectRow(0);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(rows(), (std::vector<std::string> {"Convert all characters to upper case (all letters)"}));
}

TEST_F(WindowKeys, EnterInTheSampleShowsTheResultBelowAndKeepsTheSample)
{
    startIn();
    addJob("btnInsert", [](QDialog& d) { child<QLineEdit>(&d, "edtString")->setText(QStringLiteral("x_")); });
    auto* sample = child<QLineEdit>(&win(), "edtExample");
    sample->setText(QStringLiteral("photo.jpg"));
    QTest::keyClick(sample, Qt::Key_Return);
    EXPECT_EQ(sample->text(), QStringLiteral("photo.jpg"));
    EXPECT_EQ(sampleResult(), QStringLiteral("Result: x_photo.jpg"));
    // Twice gives the same: the jobs are not applied to their own result.
    click("btnExample");
    EXPECT_EQ(sample->text(), QStringLiteral("photo.jpg"));
    EXPECT_EQ(sampleResult(), QStringLiteral("Result: x_photo.jpg"));
}

TEST_F(WindowKeys, EscapeClosesTheToolWindows)
{
    m_tree.file("work/A.TXT");
    startIn();
    check("chkUndo", false);
    check("chkSimulation", true);
    lowerCaseJob();
    go();
    ASSERT_TRUE(win().treeWindow());
    ASSERT_TRUE(win().progressWindow());
    QPointer<ResultTreeWindow> tree = win().treeWindow();
    QPointer<ProgressWindow> progress = win().progressWindow();
    for (QWidget* w : {static_cast<QWidget*>(tree.data()), static_cast<QWidget*>(progress.data())}) {
        QApplication::setActiveWindow(w);
        QTest::keyClick(w, Qt::Key_Escape);
    }
    EXPECT_TRUE(waitFor([&] { return !tree && !progress; }));
}

TEST_F(WindowKeys, DroppingAFolderOpensIt)
{
    m_tree.dir("work/Photos");
    m_tree.file("work/Photos/a.jpg");
    startIn();
    ASSERT_TRUE(drop({m_tree.at("work/Photos")}));
    EXPECT_EQ(win().selectedPath(), m_tree.at("work/Photos"));
    EXPECT_EQ(win().windowTitle(), QStringLiteral("Photos \u2014 Brindlewick"));
}

TEST_F(WindowKeys, DroppingFilesOpensTheirFolderAndSelectsThem)
{
    m_tree.dir("work/Music");
    m_tree.file("work/Music/a.mp3");
    m_tree.file("work/Music/b.mp3");
    startIn();
    ASSERT_TRUE(drop({m_tree.at("work/Music/b.mp3"), m_tree.at("work/Music/a.mp3")}));
    EXPECT_EQ(win().selectedPath(), m_tree.at("work/Music"));
    EXPECT_TRUE(waitFor([&] { return slv()->selectedName() == std::optional<std::string>("b.mp3"); }));
}

TEST_F(WindowKeys, DroppingNothingLocalIsRefused)
{
    startIn();
    QMimeData data;
    data.setUrls({QUrl(QStringLiteral("https://example.org/a.txt"))});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&win(), &enter);
    EXPECT_FALSE(enter.isAccepted());
    EXPECT_FALSE(win().openPaths({m_tree.at("work/missing/a.txt")}));
}

TEST_F(WindowKeys, F2SelectsTheNameBeforeTheExtension)
{
    m_tree.file("work/report.final.pdf");
    m_tree.dir("work/folder.d");
    startIn();
    slv()->setViewStyle(3);
    ASSERT_TRUE(listShows(QStringLiteral("report.final.pdf")));
    for (const auto& [name, selected] :
        {std::pair {"report.final.pdf", "report.final"}, std::pair {"folder.d", "folder.d"}}) {
        ASSERT_TRUE(slv()->selectName(std::string_view(name)));
        slv()->editSelected();
        QLineEdit* editor = nullptr;
        ASSERT_TRUE(waitFor([&] {
            editor = slv()->currentView()->viewport()->findChild<QLineEdit*>();
            return editor && editor->selectedText() == QString::fromUtf8(selected);
        })) << name
            << ": " << (editor ? editor->selectedText().toStdString() : "no editor");
        QTest::keyClick(editor, Qt::Key_Escape);
        QApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

} // namespace
