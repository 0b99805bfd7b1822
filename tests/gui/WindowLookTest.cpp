// The first start and the look: the details at a size that shows the New name column, the
// defaults that protect a first rename, colours from the palette (a dark one stays readable),
// every icon-only button named, no labels over each other at any width, odd names marked.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QCheckBox>
#include <QDir>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleFactory>
#include <QToolButton>

#include "RunWindowUtil.h"
#include "gui/base/DisplayName.h"
#include "gui/folders/FileListView.h"
#include "gui/folders/NewNamePreview.h"
#include "gui/folders/PlanSummaryBar.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

class WindowLook : public RunWindowFixture
{
};

TEST_F(WindowLook, FirstStartShowsTheDetailsWithUndoAndNaturalOrderOn)
{
    start();
    EXPECT_EQ(win().viewStyle(), 3);
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_EQ(win().size(), QSize(1100, 700).boundedTo(screen));
    EXPECT_TRUE(child<QCheckBox>(&win(), "chkUndo")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(&win(), "chkNaturalSort")->isChecked());
    // The job list dialogs start at home, never in the program's folder.
    EXPECT_EQ(win().openDir(), QDir::homePath().toStdString());
    EXPECT_EQ(win().saveDir(), QDir::homePath().toStdString());
}

TEST_F(WindowLook, SortDirectionIsKept)
{
    start();
    check("rbNameDESC");
    restart();
    EXPECT_TRUE(child<QRadioButton>(&win(), "rbNameDESC")->isChecked());
    check("rbDateDESC");
    restart();
    EXPECT_TRUE(child<QRadioButton>(&win(), "rbDateDESC")->isChecked());
}

TEST_F(WindowLook, TitleNamesTheFolder)
{
    m_tree.dir("work/Photos");
    startIn("work/Photos");
    EXPECT_EQ(win().windowTitle(), QStringLiteral("Photos \u2014 Brindlewick"));
    ASSERT_TRUE(win().setTreePath("/"));
    EXPECT_EQ(win().windowTitle(), QStringLiteral("/ \u2014 Brindlewick"));
}

TEST_F(WindowLook, EveryIconOnlyButtonHasANameAndATip)
{
    start();
    int checked = 0;
    for (QToolButton* button : win().findChildren<QToolButton*>()) {
        if (button->objectName().startsWith(QLatin1String("qt_")) || !button->text().isEmpty())
            continue;
        ++checked;
        EXPECT_FALSE(button->accessibleName().isEmpty()) << button->objectName().toStdString();
        EXPECT_FALSE(button->toolTip().isEmpty()) << button->objectName().toStdString();
    }
    EXPECT_GE(checked, 10);
}

/// The file panel's header bar: its caption, then the controls on the bar side by side, none over
/// another or over the caption, from 800 pixels wide on.
TEST_F(WindowLook, HeaderBarsNeverOverlap)
{
    start();
    for (int width : {800, 900, 1024, 1100, 1400, 1920}) {
        win().resize(width, 700);
        QApplication::processEvents();
        for (const char* name : {"lblFileExplorer"}) {
            auto* bar = child<QLabel>(&win(), name);
            std::vector<QRect> rects;
            for (QWidget* w : bar->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (w->isVisible())
                    rects.push_back(w->geometry());
            }
            QFont bold = bar->font();
            bold.setBold(true);
            const QRect caption(0, 0, QFontMetrics(bold).horizontalAdvance(bar->text()) + 6, bar->height());
            ASSERT_FALSE(rects.empty()) << name;
            for (std::size_t i = 0; i < rects.size(); ++i) {
                EXPECT_FALSE(rects[i].intersects(caption)) << name << " at " << width;
                for (std::size_t j = i + 1; j < rects.size(); ++j)
                    EXPECT_FALSE(rects[i].intersects(rects[j])) << name << " at " << width;
                EXPECT_TRUE(bar->rect().contains(rects[i])) << name << " at " << width;
            }
        }
    }
}

/// Under Fusion with a dark palette the captions of the window are light on dark: every label
/// and check box draws text that differs clearly from its background.
TEST_F(WindowLook, DarkPaletteStaysReadable)
{
    QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"));
    ASSERT_TRUE(fusion);
    const QPalette old = QApplication::palette();
    // Setting a style deletes the one before: only its name is kept.
    const QString oldStyle = QApplication::style()->name();
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::AlternateBase, QColor(0x33, 0x33, 0x33));
    dark.setColor(QPalette::Text, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0x7a, 0xc0));
    dark.setColor(QPalette::HighlightedText, QColor(0xff, 0xff, 0xff));
    QApplication::setStyle(fusion);
    QApplication::setPalette(dark);
    for (const char* f : {"IMG_4711.JPG", "IMG_4712.JPG", "summer_beach.jpeg", "notes.txt"})
        m_tree.file(std::string("work/Holiday 2026/") + f);
    startIn("work/Holiday 2026");
    Job lower = Job::create(jobLower);
    lower.modifier = scopeExtension;
    lower.int1 = 1;
    Job insert = Job::create(jobInsert);
    insert.str1 = "Holiday ";
    loadJobs({lower, insert});
    waitFor([&] { return win().preview()->isCurrent() && win().planSummary()->isVisible(); });
    // Each caption: the lightest and the darkest pixels of its picture differ clearly.
    for (const char* name :
        {"lblTitle", "pnlDirectory", "lblFileExplorer", "lblMask", "chkUndo", "chkSimulation", "rbNameASC"}) {
        auto* w = win().findChild<QWidget*>(QString::fromUtf8(name));
        ASSERT_TRUE(w) << name;
        const QImage image = w->grab().toImage();
        int lightest = 0;
        int darkest = 255;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const int l = image.pixelColor(x, y).lightness();
                lightest = std::max(lightest, l);
                darkest = std::min(darkest, l);
            }
        }
        EXPECT_GE(lightest - darkest, 120) << name;
        // No caption is drawn dark on the dark window.
        EXPECT_GE(lightest, 180) << name;
    }
    if (const char* shot = std::getenv("BRINDLE_SCREENSHOT")) {
        win().resize(1100, 700);
        QApplication::processEvents();
        win().grab().save(QString::fromUtf8(shot));
    }
    finish();
    QApplication::setPalette(old);
    QApplication::setStyle(oldStyle);
}

TEST_F(WindowLook, InsertRefusesEmptyText)
{
    start();
    m_dialogs.dialogHandlers.push_back([](QDialog& d) {
        child<QAbstractButton>(&d, "btnOk")->click();
        // Still open: it says what is missing.
        EXPECT_EQ(d.result(), 0);
        EXPECT_TRUE(d.isVisible());
        child<QLineEdit>(&d, "edtString")->setText(QStringLiteral("x"));
        child<QAbstractButton>(&d, "btnOk")->click();
        return d.result();
    });
    click("btnInsert");
    EXPECT_EQ(m_dialogs.messages, std::vector<QString> {QStringLiteral("Type the text to insert")});
    EXPECT_EQ(rows(), std::vector<std::string> {"Insert \"x\" at the beginning"});
}

TEST_F(WindowLook, ReplaceDialogKeepsItsScope)
{
    start();
    addJob("btnReplace", [](QDialog& d) {
        child<QLineEdit>(&d, "edtString1")->setText(QStringLiteral("^(.+) - (.+)$"));
        child<QLineEdit>(&d, "edtString2")->setText(QStringLiteral("$2 - $1"));
        child<QCheckBox>(&d, "chkRegex")->setChecked(true);
        child<QRadioButton>(&d, "rbFilename")->setChecked(true);
    });
    ASSERT_EQ(win().session().jobs.size(), 1u);
    EXPECT_EQ(win().session().jobs[0].int2, scopeFilename);
    EXPECT_EQ(
        rows().front(), "Replace regex \"^(.+) - (.+)$\" with \"$2 - $1\" (ignore case) in filename only");
    auto* sample = child<QLineEdit>(&win(), "edtExample");
    sample->setText(QStringLiteral("Adele - Hello.mp3"));
    click("btnExample");
    EXPECT_EQ(child<QLabel>(&win(), "lblSampleResult")->text(), QStringLiteral("Result: Hello - Adele.mp3"));
    // Edited again, the dialog shows the scope it has.
    selectRow(0);
    m_dialogs.thenCancel([](QDialog& d) { EXPECT_TRUE(child<QRadioButton>(&d, "rbFilename")->isChecked()); });
    click("btnEdit");
}

struct OddName {
    const char* label;
    std::string bytes;
    const char16_t* shown;
    bool marked;
};

void PrintTo(const OddName& c, std::ostream* os)
{
    *os << c.label;
}

class OddNames : public ::testing::TestWithParam<OddName>
{
};

TEST_P(OddNames, HiddenCharactersAreEscapedAndMarked)
{
    const OddName& c = GetParam();
    NameFlags flags;
    EXPECT_EQ(nameForDisplay(c.bytes, &flags), QString::fromUtf16(c.shown));
    EXPECT_EQ(flags.controlChars, c.marked);
    // Edited without change, the name gives its own bytes back.
    EXPECT_EQ(bytesFromEditedName(c.bytes, nameForDisplay(c.bytes)), c.bytes);
}

const OddName kOddNames[] = {
    {"RightToLeftOverride", "\xe2\x80\xaetxt.exe", u"\\u202Etxt.exe", true},
    {"LeftToRightMark",
        "a\xe2\x80\x8e"
        "b",
        u"a\\u200Eb", true},
    {"RightToLeftMark",
        "a\xe2\x80\x8f"
        "b",
        u"a\\u200Fb", true},
    {"Isolate",
        "\xe2\x81\xa6"
        "x\xe2\x81\xa9",
        u"\\u2066x\\u2069", true},
    {"ArabicLetterMark",
        "\xd8\x9c"
        "a",
        u"\\u061Ca", true},
    {"ZeroWidthSpace",
        "a\xe2\x80\x8b"
        "b",
        u"a\\u200Bb", true},
    {"ByteOrderMark",
        "\xef\xbb\xbf"
        "a",
        u"\\uFEFFa", true},
    {"TagCharacter", "a\xf3\xa0\x80\x81", u"a\\U000E0001", true},
    {"JoinersStayForEmoji", "\xf0\x9f\x91\xa8\xe2\x80\x8d\xf0\x9f\x91\xa9", u"\U0001F468\u200D\U0001F469",
        false},
    {"PlainAccents", "caf\xc3\xa9", u"caf\u00e9", false},
    {"LineFeedAsBefore", "a\nb", u"a\\nb", true},
};

INSTANTIATE_TEST_SUITE_P(Table, OddNames, ::testing::ValuesIn(kOddNames));

} // namespace
