#include <gtest/gtest.h>

#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>

#include "GuiTestUtil.h"
#include "core/base/FileIo.h"
#include "jobs/JobTestUtil.h"
#include "core/joblist/JobListFile.h"

using namespace brindle;
using namespace brindle::test;

namespace
{

const char* const kCheckBoxes[] = {"chkRecurseDirs", "chkRenameDirs", "chkResetCounter", "chkSort",
    "chkConfirm", "chkUndo", "chkLog", "chkSimulation"};

class SettingsWindow : public MainWindowFixture
{
protected:
    QCheckBox* check(const char* name) { return child<QCheckBox>(&win(), name); }
    QComboBox* mask() { return child<QComboBox>(&win(), "cmbFileMask"); }

    std::vector<std::string> maskItems()
    {
        std::vector<std::string> items;
        for (int i = 0; i < mask()->count(); ++i)
            items.push_back(mask()->itemText(i).toStdString());
        return items;
    }

    /// The section headers of the settings file, in order.
    std::vector<std::string> sections()
    {
        std::vector<std::string> result;
        for (const std::string& line : lines(m_tree.read("settings/brindle.ini"))) {
            if (!line.empty() && line.front() == '[')
                result.push_back(line);
        }
        return result;
    }

    bool iniHas(const std::string& line)
    {
        const std::vector<std::string> all = lines(m_tree.read("settings/brindle.ini"));
        return std::find(all.begin(), all.end(), line) != all.end();
    }
};

TEST_F(SettingsWindow, FirstStartShowsTheDefaultsAndTheFirstCloseWritesThem)
{
    start();
    // A first rename can be undone.
    for (const char* name : kCheckBoxes)
        EXPECT_EQ(check(name)->isChecked(), std::string(name) == "chkSort" || std::string(name) == "chkUndo")
            << name;
    EXPECT_EQ(child<QSpinBox>(&win(), "edtCounter")->value(), 0);
    EXPECT_EQ(win().viewStyle(), 3);
    EXPECT_EQ(win().dirPanelWidth(), 200);
    EXPECT_EQ(mask()->currentText(), QStringLiteral("*.*"));
    EXPECT_EQ(mask()->count(), 0);
    EXPECT_EQ(child<QLineEdit>(&win(), "edtExample")->text(), QStringLiteral("filename.ext"));
    EXPECT_EQ(win().encoding(), "ISO-8859-1");
    EXPECT_EQ(win().openDir(), QDir::homePath().toStdString());
    EXPECT_EQ(win().saveDir(), QDir::homePath().toStdString());
    EXPECT_TRUE(child<QRadioButton>(&win(), "rbNameASC")->isChecked());
    EXPECT_EQ(child<QPushButton>(&win(), "btnGo")->text(), QStringLiteral("&Go"));
    EXPECT_TRUE(m_dialogs.messages.empty());
    finish();
    EXPECT_EQ(sections(), (std::vector<std::string> {"[Booleans]", "[Integers]", "[Strings]", "[frmMain]"}));
    EXPECT_TRUE(iniHas("sort=1"));
    EXPECT_TRUE(iniHas("stvWidth=200"));
}

TEST_F(SettingsWindow, OptionsWrittenAtCloseComeBackAtTheNextStart)
{
    m_tree.dir("work/lists");
    m_tree.dir("work/start");
    start();
    for (const char* name : kCheckBoxes)
        check(name)->setChecked(std::string(name) != "chkSort");
    child<QSpinBox>(&win(), "edtCounter")->setValue(42);
    click("btnDetails");
    child<QLineEdit>(&win(), "edtExample")->setText(QStringLiteral("Sample Name.TXT"));
    ASSERT_TRUE(win().setTreePath(m_tree.at("work/start")));
    mask()->setEditText(QStringLiteral("*.jpg"));
    win().rememberFileMask();
    mask()->setEditText(QStringLiteral("*.TXT"));
    win().rememberFileMask();
    mask()->setEditText(QStringLiteral("*.jpg"));
    win().rememberFileMask(); // already there: moves to the top, no second copy
    mask()->setEditText(QStringLiteral("a*"));
    // The window fits the 800-pixel test screen: the file list keeps the room it needs.
    child<QSplitter>(&win(), "splitterFolders")->setSizes({200, 500});
    ASSERT_EQ(win().dirPanelWidth(), 200);
    m_dialogs.openAnswers.push_back(QString::fromStdString(m_tree.at("work/lists/none.xml")));
    m_tree.file("work/lists/none.xml", jobsToXml(std::vector<Job> {}, ""));
    child<QAction>(&win(), "cmOpenJobList")->trigger();

    restart();
    for (const char* name : kCheckBoxes)
        EXPECT_EQ(check(name)->isChecked(), std::string(name) != "chkSort") << name;
    // The dependent controls follow the loaded check boxes.
    EXPECT_FALSE(child<QRadioButton>(&win(), "rbNameASC")->isEnabled());
    EXPECT_FALSE(child<QRadioButton>(&win(), "rbDateDESC")->isEnabled());
    EXPECT_FALSE(check("chkUndo")->isEnabled());
    EXPECT_FALSE(check("chkConfirm")->isEnabled());
    EXPECT_EQ(child<QPushButton>(&win(), "btnGo")->text(), QStringLiteral("&Simulate"));
    EXPECT_EQ(child<QSpinBox>(&win(), "edtCounter")->value(), 42);
    EXPECT_EQ(win().viewStyle(), 3);
    EXPECT_EQ(child<QLineEdit>(&win(), "edtExample")->text(), QStringLiteral("Sample Name.TXT"));
    EXPECT_EQ(win().selectedPath(), m_tree.at("work/start"));
    EXPECT_EQ(mask()->currentText(), QStringLiteral("a*"));
    EXPECT_EQ(maskItems(), (std::vector<std::string> {"*.jpg", "*.TXT"}));
    EXPECT_EQ(win().dirPanelWidth(), 200);
    EXPECT_EQ(win().openDir(), m_tree.at("work/lists") + "/");
    EXPECT_TRUE(m_dialogs.messages.empty());

    // Unchecking again is kept as well.
    check("chkSimulation")->setChecked(false);
    EXPECT_EQ(child<QPushButton>(&win(), "btnGo")->text(), QStringLiteral("&Go"));
    EXPECT_TRUE(check("chkUndo")->isEnabled());
    restart();
    EXPECT_FALSE(check("chkSimulation")->isChecked());
}

TEST_F(SettingsWindow, WindowPlacementComesBack)
{
    start();
    win().move(40, 50);
    win().resize(700, 500);
    QApplication::processEvents();
    const QPoint pos = win().pos();
    const QSize size = win().size();
    restart();
    EXPECT_EQ(win().pos(), pos);
    EXPECT_EQ(win().size(), size);
    EXPECT_TRUE(iniHas("Width=" + std::to_string(size.width())));
    EXPECT_TRUE(iniHas("WinState=0"));
}

TEST_F(SettingsWindow, StoredMaximisedStateIsApplied)
{
    m_tree.file("settings/brindle.ini", "[frmMain]\nLeft=10\nTop=20\nWidth=900\nHeight=500\nWinState=2\n");
    start();
    EXPECT_TRUE(win().isMaximized());
}

/// A placement in the settings file that no screen can show.
struct PlacementCase {
    const char* label;
    std::string placement;
    friend void PrintTo(const PlacementCase& c, std::ostream* os) { *os << c.label; }
};

class CraftedPlacement : public SettingsWindow, public ::testing::WithParamInterface<PlacementCase>
{
};

TEST_P(CraftedPlacement, IsBroughtOntoTheScreen)
{
    m_tree.file("settings/brindle.ini", "[frmMain]\n" + GetParam().placement + "WinState=0\n");
    start();
    QApplication::processEvents();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect placed(win().pos(), win().size());
    EXPECT_TRUE(area.contains(placed))
        << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
}

INSTANTIATE_TEST_SUITE_P(Settings, CraftedPlacement,
    ::testing::Values(PlacementCase {"Huge", "Left=0\nTop=0\nWidth=16777215\nHeight=16777215\n"},
        PlacementCase {"Largest", "Left=2147483647\nTop=-2147483648\nWidth=2147483647\nHeight=2147483647\n"},
        PlacementCase {"FarAway", "Left=-100000\nTop=90000\nWidth=400\nHeight=300\n"},
        PlacementCase {"NegativeSize", "Left=10\nTop=10\nWidth=-5\nHeight=-2147483648\n"}),
    [](const ::testing::TestParamInfo<PlacementCase>& info) { return info.param.label; });

TEST_F(SettingsWindow, APlacementThatFitsIsKeptExactly)
{
    m_tree.file("settings/brindle.ini", "[frmMain]\nLeft=30\nTop=40\nWidth=700\nHeight=550\nWinState=0\n");
    start();
    EXPECT_EQ(win().pos(), QPoint(30, 40));
    EXPECT_EQ(win().size(), QSize(700, 550));
}

struct WidthCase {
    int stored;
    int shown;
    friend void PrintTo(const WidthCase& c, std::ostream* os) { *os << "stored " << c.stored; }
};

class FolderPanelWidth : public SettingsWindow, public ::testing::WithParamInterface<WidthCase>
{
};

TEST_P(FolderPanelWidth, IsAtLeastFifty)
{
    m_tree.file("settings/brindle.ini", "[Integers]\nstvWidth=" + std::to_string(GetParam().stored) + "\n");
    start();
    EXPECT_EQ(win().dirPanelWidth(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Widths, FolderPanelWidth,
    ::testing::Values(WidthCase {10, 50}, WidthCase {50, 50}, WidthCase {200, 200}));

TEST_F(SettingsWindow, BadBooleanIsReportedAndTheRestOfTheStartStillHappens)
{
    m_tree.file("settings/brindle.ini",
        "[Booleans]\nrecurseDirs=1\nrenameDirs=yes\nlog=1\n[Integers]\ncounterStart=9\n[Strings]\nexample=x."
        "y\n");
    m_tree.file(
        "settings/brindle_job_config.xml", jobsToXml(std::vector<Job> {makeJob(jobUpper)}, "ISO-8859-1"));
    start();
    ASSERT_EQ(m_dialogs.messages.size(), 1u);
    EXPECT_EQ(m_dialogs.messages[0], QStringLiteral("'yes' is not a valid boolean value"));
    // What was read before the bad value is applied; what comes after keeps its default.
    EXPECT_TRUE(check("chkRecurseDirs")->isChecked());
    EXPECT_FALSE(check("chkRenameDirs")->isChecked());
    EXPECT_FALSE(check("chkLog")->isChecked());
    EXPECT_EQ(child<QSpinBox>(&win(), "edtCounter")->value(), 0);
    // The kept job list is loaded all the same.
    EXPECT_EQ(rows(), std::vector<std::string> {makeJob(jobUpper).description()});
}

TEST_F(SettingsWindow, BadIntegerShowsItsMessageAndKeepsTheDefault)
{
    m_tree.file("settings/brindle.ini", "[Integers]\ncounterStart=abc\nviewStyle=0\n");
    start();
    ASSERT_EQ(m_dialogs.messages.size(), 1u);
    EXPECT_EQ(m_dialogs.messages[0],
        QStringLiteral(
            "Error reading Integer value \"Integers\\counterStart\". Value = \"abc\". Value set to 0"));
    EXPECT_EQ(child<QSpinBox>(&win(), "edtCounter")->value(), 0);
    EXPECT_EQ(win().viewStyle(), 0);
}

TEST_F(SettingsWindow, StoredFoldersThatAreGoneArePassedOverQuietly)
{
    m_tree.file("settings/brindle.ini",
        "[Strings]\npath=" + m_tree.at("work/deleted") + "\nopenDir=" + m_tree.at("work/gone")
            + "/\nsaveDir=" + m_tree.at("work") + "/\n");
    start();
    EXPECT_TRUE(m_dialogs.messages.empty());
    EXPECT_NE(win().selectedPath(), m_tree.at("work/deleted"));
    EXPECT_EQ(win().openDir(), QDir::homePath().toStdString());
    EXPECT_EQ(win().saveDir(), m_tree.at("work") + "/");
    child<QAction>(&win(), "cmOpenJobList")->trigger();
    ASSERT_EQ(m_dialogs.openRequests.size(), 1u);
    EXPECT_EQ(m_dialogs.openRequests[0].folder, QDir::homePath());
}

TEST_F(SettingsWindow, CommandLineFolderReplacesTheStoredOne)
{
    m_tree.dir("work/stored");
    m_tree.dir("work/given");
    m_tree.file("settings/brindle.ini", "[Strings]\npath=" + m_tree.at("work/stored") + "\n");
    start();
    EXPECT_EQ(win().selectedPath(), m_tree.at("work/stored"));
    restart({m_tree.at("work/given")});
    EXPECT_EQ(win().selectedPath(), m_tree.at("work/given"));
}

TEST_F(SettingsWindow, EncodingChosenIsWrittenAtOnce)
{
    start();
    m_dialogs.thenOk([](QDialog& dialog) { child<QComboBox>(&dialog, "cbXMLEncoding")->setCurrentIndex(1); });
    child<QAction>(&win(), "cmCharacterEncoding")->trigger();
    ASSERT_TRUE(m_tree.exists("settings/brindle.ini"));
    EXPECT_TRUE(iniHas("encoding=ISO-8859-2"));
    const std::string written = m_tree.read("settings/brindle.ini");

    // Cancel writes nothing, whatever was picked.
    m_dialogs.thenCancel(
        [](QDialog& dialog) { child<QComboBox>(&dialog, "cbXMLEncoding")->setCurrentIndex(4); });
    check("chkLog")->setChecked(true);
    child<QAction>(&win(), "cmCharacterEncoding")->trigger();
    EXPECT_EQ(m_tree.read("settings/brindle.ini"), written);
    EXPECT_EQ(win().encoding(), "ISO-8859-2");

    // The next start opens the dialog on the stored name.
    restart();
    m_dialogs.thenOk(
        [](QDialog& dialog) { EXPECT_EQ(child<QComboBox>(&dialog, "cbXMLEncoding")->currentIndex(), 1); });
    child<QAction>(&win(), "cmCharacterEncoding")->trigger();
    EXPECT_EQ(win().encoding(), "ISO-8859-2");
}

TEST_F(SettingsWindow, UnwritableSettingsFileIsReportedOnceAndTheWindowStillCloses)
{
    // A folder in the place of the file cannot be replaced, whoever runs the test.
    m_tree.dir("settings/brindle.ini");
    start();
    addJob("btnLower");
    EXPECT_TRUE(m_dialogs.messages.empty());
    win().close();
    QApplication::processEvents();
    EXPECT_FALSE(win().isVisible());
    // The values and the placement fail for one cause: one message.
    ASSERT_EQ(m_dialogs.messages.size(), 1u);
    EXPECT_EQ(m_dialogs.messages[0].toStdString(), "Unable to write to " + iniPath());
    // The kept job list, in a file of its own, is still written.
    EXPECT_EQ(m_tree.read("settings/brindle_job_config.xml"), jobsToXml(win().session().jobs, "ISO-8859-1"));
    m_win.reset();
}

TEST_F(SettingsWindow, ReadOnlySettingsFolderIsReportedAndTheWindowStillCloses)
{
    if (::geteuid() == 0)
        GTEST_SKIP()
            << "root writes into read-only folders; the folder-in-place-of-the-file test covers this";
    start();
    ASSERT_EQ(::chmod(m_tree.at("settings").c_str(), 0500), 0);
    win().close();
    QApplication::processEvents();
    ::chmod(m_tree.at("settings").c_str(), 0700);
    EXPECT_FALSE(win().isVisible());
    ASSERT_EQ(m_dialogs.messages.size(), 2u);
    EXPECT_EQ(m_dialogs.messages[0].toStdString(), "Unable to write to " + iniPath());
    EXPECT_EQ(m_dialogs.messages[1].toStdString(), "Unable to write to " + keptPath());
    m_win.reset();
}

} // namespace
