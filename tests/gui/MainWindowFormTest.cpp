#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include <algorithm>

#include "GuiTestUtil.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

using MainWindowForm = MainWindowFixture;

struct TextCase {
    const char* control;
    const char* text; // caption; nullptr: not checked
    const char* toolTip; // hint; nullptr: not checked
};

// clang-format off
const TextCase kTexts[] = {
    {"lblTitle", "  A multiple file rename utility for Linux", nullptr},
    {"lblMask", "Match ...", nullptr},
    {"lblJobs", "... and do the following:", nullptr},
    {"lblSample", "Type a sample filename to test jobs:", nullptr},
    {"pnlDirectory", " Starting Directory", nullptr},
    {"lblFileExplorer", " File Explorer", nullptr},
    {"btnUp", nullptr, "Move job up"},
    {"btnDown", nullptr, "Move job down"},
    {"btnEdit", "Edit", "Edit Job"},
    {"btnRemove", "Delete", "Delete Job from List"},
    {"btnLower", nullptr, "Convert to Lower Case"},
    {"btnUpper", nullptr, "Convert to Upper Case"},
    {"btnNormal", nullptr, "Normalize Case (First Letter Upper)"},
    {"btnInsert", nullptr, "Insert Characters"},
    {"btnRemoveChars", nullptr, "Remove Characters"},
    {"btnReplace", nullptr, "Replace Characters"},
    {"btnCounter", nullptr, "Add a numeric Counter ('XXX')"},
    {"edtCounter", nullptr, "Starting Number for the Counter"},
    {"chkRecurseDirs", "Recurse into subdirectories", nullptr},
    {"chkRenameDirs", "Rename subdirectories too", nullptr},
    {"chkResetCounter", "Reset counter in every subdir", nullptr},
    {"chkSort", "Sort list before processing", nullptr},
    {"rbNameASC", "by Name A..Z", nullptr},
    {"rbNameDESC", "by Name Z..A", nullptr},
    {"rbDateASC", "by Date (oldest..newest)", nullptr},
    {"rbDateDESC", "by Date (newest..oldest)", nullptr},
    {"chkConfirm", "Confirm every change", nullptr},
    {"chkUndo", "Create Undo file", nullptr},
    {"chkLog", "Produce Log", nullptr},
    {"chkSimulation", "Simulation mode", nullptr},
    {"btnGo", "&Go", nullptr},
    {"btnUndo", "&Undo", "Undo Renaming in Current Dir"},
    {"btnExample", "...", "Check the result on the example string"},
    {"imgRefresh", nullptr, "Click to Refresh Directories"},
    {"btnBack", nullptr, "Back to Parent Folder"},
    {"btnLargeIcons", nullptr, "Large Icons"},
    {"btnSmallIcons", nullptr, "Small Icons"},
    {"btnList", nullptr, "List"},
    {"btnDetails", nullptr, "Details"},
};
// clang-format on

TEST_F(MainWindowForm, CaptionsAndHints)
{
    start();
    for (const TextCase& c : kTexts) {
        auto* widget = child<QWidget>(&win(), c.control);
        if (!widget)
            continue;
        if (c.text) {
            QString text;
            if (auto* label = qobject_cast<QLabel*>(widget))
                text = label->text();
            else if (auto* button = qobject_cast<QAbstractButton*>(widget))
                text = button->text();
            EXPECT_EQ(text.toStdString(), c.text) << c.control;
        }
        if (c.toolTip) {
            EXPECT_EQ(widget->toolTip().toStdString(), c.toolTip) << c.control;
        }
    }
}

/// The header bar of the job panel says what the program is in one line at the panel's
/// designed width.
TEST_F(MainWindowForm, HeaderIsOneLineAtTheDesignedWidth)
{
    start();
    auto* header = child<QLabel>(&win(), "lblTitle");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->heightForWidth(334), header->heightForWidth(4000)) << header->text().toStdString();
    EXPECT_EQ(header->height(), header->heightForWidth(4000));
}

/// How much of the picture of a widget is navy: clearly blue, with little red or green.
int navyPixels(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.blue() >= 80 && c.blue() - std::max(c.red(), c.green()) >= 60)
                ++count;
        }
    }
    return count;
}

/// The check boxes that simulation mode disables are drawn as disabled; enabled, they are in
/// the palette's colours, never a fixed navy that a dark palette would hide.
TEST_F(MainWindowForm, DisabledCheckBoxesLookDisabled)
{
    start();
    check("chkSimulation", false);
    for (const char* name : {"chkUndo", "chkConfirm"}) {
        auto* box = child<QCheckBox>(&win(), name);
        ASSERT_TRUE(box->isEnabled()) << name;
        EXPECT_EQ(navyPixels(box), 0) << name << " is navy while enabled";
    }
    check("chkSimulation", true);
    for (const char* name : {"chkUndo", "chkConfirm"}) {
        auto* box = child<QCheckBox>(&win(), name);
        ASSERT_FALSE(box->isEnabled()) << name;
        EXPECT_EQ(navyPixels(box), 0) << name << " keeps its navy text while disabled";
        // Written in the colour of disabled text, like any disabled check box.
        QCheckBox plain(box->text());
        plain.setFont(box->font());
        plain.setChecked(box->isChecked());
        plain.setEnabled(false);
        plain.resize(box->size());
        EXPECT_EQ(box->grab().toImage().convertToFormat(QImage::Format_RGB32),
            plain.grab().toImage().convertToFormat(QImage::Format_RGB32))
            << name;
    }
    EXPECT_EQ(navyPixels(child<QCheckBox>(&win(), "chkSimulation")), 0);
}

TEST_F(MainWindowForm, MenusHoldTheirItemsInOrder)
{
    start();
    auto items = [&](const char* menu) {
        std::vector<std::string> result;
        for (QAction* a : child<QMenu>(&win(), menu)->actions())
            result.push_back(a->isSeparator() ? "-" : a->text().toStdString());
        return result;
    };
    EXPECT_EQ(child<QMenu>(&win(), "cmFile")->title(), QStringLiteral("&File"));
    EXPECT_EQ(items("cmFile"),
        (std::vector<std::string> {"&Open Job List", "&Recent Job Lists", "&Save Job List",
            "Save Job List &As...", "C&lear Job List", "-", "Edit New Names as Text...", "Import New Names...",
            "Export Plan...", "-", "&Place Brindlewick in Send To...", "-", "E&xit"}));
    EXPECT_EQ(child<QMenu>(&win(), "cmSettings")->title(), QStringLiteral("&Settings"));
    EXPECT_EQ(items("cmSettings"), std::vector<std::string> {"&Character Encoding for XML job files..."});
    EXPECT_EQ(items("cmView"), std::vector<std::string> {"&Log Window"});
    EXPECT_EQ(items("cmHelp"),
        (std::vector<std::string> {"&Quick Help (HTML)", "Brindlewick &Home Page...", "-", "&About"}));
}

TEST_F(MainWindowForm, NoSpeedButtonIsBlank)
{
    start();
    const QList<QToolButton*> buttons = win().findChildren<QToolButton*>();
    ASSERT_GE(buttons.size(), 18);
    for (QToolButton* button : buttons) {
        if (button->objectName().startsWith(QLatin1String("qt_")))
            continue;
        // A caption, or a glyph that really draws.
        const bool glyph = !button->icon().pixmap(16, 16).isNull();
        EXPECT_TRUE(glyph || !button->text().isEmpty()) << button->objectName().toStdString();
        if (button->text().isEmpty() || button->text() == QLatin1String("..."))
            continue;
        EXPECT_TRUE(glyph) << button->objectName().toStdString();
    }
    EXPECT_FALSE(win().windowIcon().isNull());
}

} // namespace
