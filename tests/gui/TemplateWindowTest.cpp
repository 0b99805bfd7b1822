// The template job in the window: its dialog with the token menu and the live sample, the New
// name column with the source of every value, the sample field with the values of the file
// clicked, the sort by date taken, and a run.

#include <gtest/gtest.h>

#include <QTextDocumentFragment>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>

#include <fstream>
#include <sstream>

#include "RunWindowUtil.h"
#include "gui/folders/FileListModel.h"
#include "gui/folders/FileListView.h"
#include "gui/folders/NewNamePreview.h"
#include "jobs/JobTestUtil.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

std::string sample(const std::string& name)
{
    std::ifstream in(std::string(BRINDLE_TEST_DATA) + "/meta/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string photoTaken(const std::string& exifDate)
{
    std::string bytes = sample("photo.jpg");
    bytes.replace(bytes.find("2024:07:14 10:22:33"), exifDate.size(), exifDate);
    return bytes;
}

/// The action of the token menu whose text begins with token.
QAction* tokenAction(QDialog& dialog, const QString& token)
{
    for (QAction* group : child<QToolButton>(&dialog, "btnTokens")->menu()->actions()) {
        for (QAction* action : group->menu()->actions()) {
            if (action->text().startsWith(token + QLatin1Char('\t')))
                return action;
        }
    }
    return nullptr;
}

class TemplateWindow : public RunWindowFixture
{
protected:
    FileListView* slv() { return child<FileListView>(&win(), "slv"); }
    FileListModel* model() { return slv()->listModel(); }
    bool settled()
    {
        return waitFor([&] { return slv()->isLoaded() && win().preview()->isCurrent(); });
    }
    int rowOf(const std::string& name)
    {
        for (int row = 0; row < model()->rowCount(); ++row) {
            if (model()->nameAt(row) == name)
                return row;
        }
        return -1;
    }
    QString newNameCell(const std::string& name, int role = Qt::DisplayRole)
    {
        return model()->index(rowOf(name), colNewName).data(role).toString();
    }
};

TEST_F(TemplateWindow, DialogRefusesABadTemplateOffersTokensAndShowsASample)
{
    m_tree.file("work/IMG_1.JPG", sample("photo.jpg"));
    startIn();
    addJob("btnTemplate", [](QDialog& dialog) {
        EXPECT_TRUE(child<QRadioButton>(&dialog, "rbInPlace")->isChecked());
        auto* edit = child<QLineEdit>(&dialog, "edtTemplate");
        auto* sampleLine = child<QLabel>(&dialog, "lblSample");
        edit->setText(QStringLiteral("{foo}"));
        EXPECT_EQ(sampleLine->text(), QStringLiteral("Invalid template: unknown token {foo} at offset 1"));
        child<QPushButton>(&dialog, "btnOk")->click();
        EXPECT_TRUE(dialog.isVisible());
        edit->clear();
        QAction* taken = tokenAction(dialog, QStringLiteral("{taken:%Y-%m-%d}"));
        ASSERT_TRUE(taken);
        taken->trigger();
        edit->insert(QStringLiteral(" "));
        tokenAction(dialog, QStringLiteral("{counter:3}"))->trigger();
        EXPECT_EQ(edit->text(), QStringLiteral("{taken:%Y-%m-%d} {counter:3}"));
        // The sample is a typed name: it has no date taken.
        EXPECT_EQ(sampleLine->text(),
            QStringLiteral("Sample: filename.ext (keeps its name: no date taken (no file))"));
    });
    EXPECT_EQ(m_dialogs.messages,
        std::vector<QString> {QStringLiteral("Invalid template: unknown token {foo} at offset 1")});
    ASSERT_EQ(win().session().jobs.size(), 1u);
    EXPECT_EQ(win().session().jobs[0],
        makeJob(jobTemplate, posInPlaceOfName, 0, 0, "{taken:%Y-%m-%d} {counter:3}"));
    EXPECT_EQ(rows().at(0), "Template \"{taken:%Y-%m-%d} {counter:3}\" in place of the name");

    // A click on a file: the sample field and then the dialog use that file's values.
    ASSERT_TRUE(settled());
    slv()->selectName(std::string_view("IMG_1.JPG"));
    emit slv()->clicked();
    EXPECT_EQ(child<QLineEdit>(&win(), "edtExample")->text(), QStringLiteral("IMG_1.JPG"));
    EXPECT_EQ(child<QLabel>(&win(), "lblSampleResult")->text(), QStringLiteral("Result: 2024-07-14 000.JPG"));
    selectRow(0);
    m_dialogs.thenOk([](QDialog& dialog) {
        child<QRadioButton>(&dialog, "rbEnd")->setChecked(true);
        EXPECT_EQ(
            child<QLabel>(&dialog, "lblSample")->text(), QStringLiteral("Sample: IMG_1.JPG2024-07-14 000"));
    });
    click("btnEdit");
    EXPECT_EQ(win().session().jobs[0].modifier, posEnd);
}

TEST_F(TemplateWindow, ColumnNamesTheSourcesSortsByDateTakenAndGoRenames)
{
    m_tree.file("work/a.jpg", photoTaken("2024:01:01 09:00:00"));
    m_tree.file("work/b.jpg", photoTaken("2021:05:05 12:00:00"));
    m_tree.file("work/c.jpg", photoTaken("2023:03:03 08:30:00"));
    m_tree.file("work/notes.txt", "text");
    startIn();
    check("chkSimulation", false);
    check("chkSort");
    child<QRadioButton>(&win(), "rbTakenASC")->setChecked(true);
    child<QSpinBox>(&win(), "edtCounter")->setValue(1);
    loadJobs({makeJob(jobTemplate, posInPlaceOfName, 0, 0, "{counter:2} {taken:%Y%m%d}")});
    ASSERT_TRUE(settled());
    EXPECT_EQ(newNameCell("b.jpg"), QStringLiteral("01 20210505.jpg"));
    EXPECT_EQ(newNameCell("c.jpg"), QStringLiteral("02 20230303.jpg"));
    EXPECT_EQ(newNameCell("a.jpg"), QStringLiteral("03 20240101.jpg"));
    // The tool tips are rich text made from plain text.
    const QString tip = QTextDocumentFragment::fromHtml(newNameCell("a.jpg", Qt::ToolTipRole)).toPlainText();
    EXPECT_TRUE(tip.contains(QStringLiteral("taken: 2024-01-01 09:00:00 from Exif.Photo.DateTimeOriginal")))
        << tip.toStdString();
    const QString failed
        = QTextDocumentFragment::fromHtml(newNameCell("notes.txt", Qt::ToolTipRole)).toPlainText();
    EXPECT_TRUE(failed.contains(QStringLiteral("no date taken (not a photo, video, audio file or PDF)")))
        << failed.toStdString();
    // Go asks first, as notes.txt cannot be renamed.
    m_dialogs.answers = {true};
    go();
    std::vector<std::string> names = work();
    std::erase(names, "_brindlewick_undo.txt");
    EXPECT_EQ(names,
        (std::vector<std::string> {"01 20210505.jpg", "02 20230303.jpg", "03 20240101.jpg", "notes.txt"}));
}

} // namespace
