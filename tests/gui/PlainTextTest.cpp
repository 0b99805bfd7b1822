// Outside text (names, paths, undo lines, job strings) is shown as the characters it holds in
// every message box, tool tip and label: a name that starts like a tag is never taken for
// markup, never loads an image and never changes what a message says.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>

#include <functional>

#include "RunWindowUtil.h"
#include "gui/app/UserDialogs.h"
#include "gui/base/NameText.h"
#include "gui/base/PlainText.h"
#include "gui/folders/FileListModel.h"
#include "gui/folders/FileListView.h"
#include "gui/folders/NewNamePreview.h"
#include "gui/run/ProgressWindow.h"
#include "gui/run/ResultTreeModel.h"
#include "gui/run/ResultTreeWindow.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

/// Names that rich text would turn into an image, bold letters, a line break or an ampersand
/// (no slash: they are names of files too).
const std::vector<std::string> kMarkupNames = {
    "<img src=\"nothing.png\">",
    "<b>bold.txt",
    "&amp;.txt",
    "a<br>b &lt;c&gt;.txt",
    "<qt><p>fake",
};

/// What a label shows, by the format it is set to.
QString labelShows(const QLabel* label)
{
    switch (label->textFormat()) {
    case Qt::PlainText:
        return label->text();
    case Qt::RichText: {
        QTextDocument doc;
        doc.setHtml(label->text());
        return doc.toPlainText();
    }
    default:
        return shownText(label->text());
    }
}

/// Runs show while a timer finds the message box it opens, notes what its text label shows and
/// presses button.
QString shownByMessageBox(const std::function<void()>& show, QMessageBox::StandardButton button)
{
    QString shown;
    bool seen = false;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = true;
        const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        shown = label ? labelShows(label) : QString();
        if (QAbstractButton* b = box->button(button))
            b->click();
        else
            box->reject();
    });
    poll.start();
    show();
    poll.stop();
    EXPECT_TRUE(seen) << "no message box";
    return shown;
}

class MarkupName : public ::testing::TestWithParam<std::string>
{
};

TEST_P(MarkupName, MessageBoxesShowItLiterally)
{
    const QString name = bytesToText(GetParam());
    const QString message = QStringLiteral("Cannot rename %1 to x.txt. Operation will continue").arg(name);
    QtUserDialogs dialogs;
    EXPECT_EQ(shownByMessageBox([&] { dialogs.showMessage(nullptr, message); }, QMessageBox::Ok), message);
    bool answer = false;
    EXPECT_EQ(
        shownByMessageBox([&] { answer = dialogs.askYesNo(nullptr, message); }, QMessageBox::Yes), message);
    EXPECT_TRUE(answer);
}

TEST_P(MarkupName, ToolTipsAndLabelsShowItLiterally)
{
    const QString name = bytesToText(GetParam());
    const QString text = name + QStringLiteral("\nsecond  line");
    EXPECT_EQ(shownText(plainToolTip(text)), text);
    QLabel label;
    setPlainLabel(&label, text);
    EXPECT_EQ(labelShows(&label), text);
}

INSTANTIATE_TEST_SUITE_P(PlainText, MarkupName, ::testing::ValuesIn(kMarkupNames));

class PlainTextWindows : public RunWindowFixture
{
protected:
    FileListView* slv() { return child<FileListView>(&win(), "slv"); }
    FileListModel* model() { return slv()->listModel(); }
    bool settled()
    {
        return waitFor([&] { return slv()->isLoaded() && win().preview()->isCurrent(); });
    }
};

TEST_F(PlainTextWindows, FileListResultTreeAndProgressShowNamesLiterally)
{
    // The folder a run shows as it goes is named like markup too.
    const std::string folder = "work/<b>folder";
    for (const std::string& name : kMarkupNames)
        m_tree.file(folder + "/" + name);
    startIn(folder);
    Job insert = Job::create(jobInsert);
    insert.modifier = posBegin;
    insert.str1 = "<i>";
    loadJobs({insert});
    ASSERT_TRUE(settled());
    ASSERT_EQ(model()->rowCount(), static_cast<int>(kMarkupNames.size()));
    for (const std::string& name : kMarkupNames) {
        const int row = model()->rowOf(name);
        ASSERT_GE(row, 0) << name;
        const QString shown = bytesToText(name);
        const QString renamed = QStringLiteral("<i>") + shown;
        EXPECT_TRUE(toolTipOf(model()->index(row, colName)).startsWith(shown)) << name;
        EXPECT_TRUE(toolTipOf(model()->index(row, colName)).endsWith(renamed)) << name;
        EXPECT_EQ(toolTipOf(model()->index(row, colNewName)), renamed) << name;
    }

    // The simulation's tree.
    check("chkSimulation");
    go();
    ASSERT_NE(win().treeWindow(), nullptr);
    const QAbstractItemModel& tree = win().treeWindow()->model();
    const QModelIndex top = tree.index(0, 0);
    ASSERT_EQ(tree.rowCount(top), static_cast<int>(kMarkupNames.size()));
    for (int row = 0; row < tree.rowCount(top); ++row) {
        const QString tip = toolTipOf(tree.index(row, 0, top));
        EXPECT_TRUE(tip.startsWith(QStringLiteral("<i>"))) << tip.toStdString();
        EXPECT_EQ(tip, tree.index(row, ResultTreeModel::colNewName, top).data().toString());
    }
    EXPECT_TRUE(
        shownText(tree.index(0, 0).data(Qt::ToolTipRole).toString()).endsWith(QStringLiteral("<b>folder")));

    // The real run's progress window names the folder.
    check("chkSimulation", false);
    go();
    auto* current = child<QLabel>(progress(), "lblCurrentItem");
    ASSERT_NE(current, nullptr);
    EXPECT_TRUE(labelShows(current).endsWith(QStringLiteral("<b>folder")))
        << labelShows(current).toStdString();
    EXPECT_TRUE(shownText(current->toolTip()).endsWith(QStringLiteral("<b>folder")));
}

} // namespace
