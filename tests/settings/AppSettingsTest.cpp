#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>

#include "common/TempTree.h"
#include "core/settings/AppSettings.h"

using namespace brindle;
using brindle::test::TempTree;

namespace
{

/// A window of fixed placement, as the main window adapts itself to the store.
struct FixedForm : IPlacedForm {
    std::string formName() const override { return kMainFormName; }
    bool getPlacement(FormPlacement& p) const override
    {
        p = {10, 20, 800, 600, 0};
        return true;
    }
    void setLeft(std::int32_t) override { }
    void setTop(std::int32_t) override { }
    void setWidth(std::int32_t) override { }
    void setHeight(std::int32_t) override { }
    void setWindowState(std::int32_t) override { }
};

/// The application's store with its settings file in a temporary folder, and an application
/// folder beside it.
struct AppSettingsFixture : ::testing::Test {
    TempTree tree;
    SettingsStore store;
    std::string appDir;

    AppSettingsFixture()
    {
        tree.dir("app");
        appDir = tree.at("app") + "/";
        initAppSettingsStore(store, tree.path() + "/");
    }
    /// Start-up: load the file, then the options.
    AppOptions load()
    {
        EXPECT_TRUE(store.loadValues().ok());
        AppOptions o;
        EXPECT_TRUE(loadSettings(store, o, appDir).ok());
        return o;
    }
    /// Close (or the start of a run): the options into the store, the store into the file.
    void save(const AppOptions& o)
    {
        EXPECT_TRUE(saveSettings(o, store).ok());
        EXPECT_TRUE(store.saveValues().ok());
    }
    /// A new start of the program: a fresh store reads the file.
    AppOptions restart()
    {
        store = SettingsStore();
        initAppSettingsStore(store, tree.path() + "/");
        return load();
    }
};

TEST_F(AppSettingsFixture, StoreHoldsEveryKeyWithItsDefaultInOrder)
{
    EXPECT_EQ(store.iniPath(), tree.path() + "/brindle.ini");
    EXPECT_EQ(store.booleans(),
        (std::vector<std::string> {"recurseDirs=0", "renameDirs=0", "resetCounter=0", "sort=1", "confirm=0",
            "undo=1", "log=0", "simulation=0", "naturalSort=1"}));
    EXPECT_TRUE(store.floats().empty());
    EXPECT_EQ(store.integers(),
        (std::vector<std::string> {"counterStart=0", "viewStyle=3", "stvWidth=200", "sortOrder=0"}));
    std::vector<std::string> strings
        = {"path=", "openDir=", "saveDir=", "example=filename.ext", "encoding=ISO-8859-1", "filemask=*.*"};
    for (int i = 0; i < 10; ++i)
        strings.push_back("filemask" + std::to_string(i) + "=");
    EXPECT_EQ(store.Strings(), strings);
}

TEST_F(AppSettingsFixture, FirstStartDefaultsAndTheFileWritten)
{
    const AppOptions o = load();
    EXPECT_FALSE(o.recurseDirs || o.renameDirs || o.resetCounter || o.confirm || o.log || o.simulation);
    // A first rename can be undone, and a2 comes before a10.
    EXPECT_TRUE(o.sort && o.undo && o.naturalSort);
    EXPECT_EQ(o.counterStart, 0);
    EXPECT_EQ(o.viewStyle, 3);
    EXPECT_EQ(o.sortOrder, 0);
    EXPECT_EQ(o.stvWidth, 200);
    EXPECT_EQ(o.path, "");
    EXPECT_EQ(o.filemask, "*.*");
    EXPECT_TRUE(o.filemaskHistory.empty());
    EXPECT_EQ(o.example, "filename.ext");
    EXPECT_EQ(o.encoding, "ISO-8859-1");
    EXPECT_EQ(o.openDir, appDir);
    EXPECT_EQ(o.saveDir, appDir);
    EXPECT_FALSE(tree.exists("brindle.ini"));

    // Close: the settings, then the placement.
    save(o);
    EXPECT_TRUE(store.saveFormPlacement(FixedForm()).ok());
    std::string expected
        = "[Booleans]\nrecurseDirs=0\nrenameDirs=0\nresetCounter=0\nsort=1\nconfirm=0\nundo=1\n"
          "log=0\nsimulation=0\nnaturalSort=1\n[Integers]\ncounterStart=0\nviewStyle=3\nstvWidth=200\n"
          "sortOrder=0\n["
          "Strings]\n"
          "path=\nopenDir="
        + appDir + "\nsaveDir=" + appDir + "\nexample=filename.ext\nencoding=ISO-8859-1\nfilemask=*.*\n";
    for (int i = 0; i < 10; ++i)
        expected += "filemask" + std::to_string(i) + "=\n";
    expected += "[frmMain]\nLeft=10\nTop=20\nWidth=800\nHeight=600\nWinState=0\n";
    EXPECT_EQ(tree.read("brindle.ini"), expected);
}

TEST_F(AppSettingsFixture, LoadRules)
{
    tree.dir("jobs");
    tree.file("brindle.ini",
        "[Integers]\nstvWidth=10\nviewStyle=3\ncounterStart=-4\nsortOrder=1\n[Strings]\nopenDir="
            + tree.at("jobs") + "/\nsaveDir=/no/such/folder\nfilemask0=\nfilemask1=*.txt\nfilemask3=*.jpg\n"
            + "encoding=\npath=/no/such/folder\n[Booleans]\nundo=1\nsimulation=1\n");
    const AppOptions o = load();
    EXPECT_EQ(o.stvWidth, 50);
    EXPECT_EQ(o.viewStyle, 3);
    EXPECT_EQ(o.counterStart, -4);
    EXPECT_EQ(o.openDir, tree.at("jobs") + "/");
    EXPECT_EQ(o.saveDir, appDir);
    EXPECT_EQ(o.filemaskHistory, (std::vector<std::string> {"*.txt", "*.jpg"}));
    EXPECT_EQ(o.encoding, ""); // taken as it is
    EXPECT_EQ(o.path, "/no/such/folder"); // the folder tree decides what it can select
    EXPECT_TRUE(o.undo && o.simulation);
    EXPECT_TRUE(o.sort); // absent: the default
    EXPECT_EQ(o.sortOrder, 1); // Z..A kept
}

/// A stored folder panel width and the width it loads as.
class StoredPanelWidth : public AppSettingsFixture, public ::testing::WithParamInterface<std::pair<int, int>>
{
};

TEST_P(StoredPanelWidth, IsAtLeast50)
{
    tree.file("brindle.ini", "[Integers]\nstvWidth=" + std::to_string(GetParam().first) + "\n");
    EXPECT_EQ(load().stvWidth, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Widths, StoredPanelWidth,
    ::testing::Values(std::pair {10, 50}, std::pair {49, 50}, std::pair {50, 50}, std::pair {51, 51},
        std::pair {300, 300}, std::pair {-2147483647 - 1, 50}));

TEST_F(AppSettingsFixture, FolderThatIsAFileOrGoneFallsBackToTheAppFolder)
{
    tree.file("plain.txt");
    tree.dir("gone");
    tree.file(
        "brindle.ini", "[Strings]\nopenDir=" + tree.at("plain.txt") + "\nsaveDir=" + tree.at("gone") + "\n");
    EXPECT_EQ(load().saveDir, tree.at("gone"));
    ::rmdir(tree.at("gone").c_str());
    const AppOptions o = restart();
    EXPECT_EQ(o.openDir, appDir);
    EXPECT_EQ(o.saveDir, appDir);
}

TEST_F(AppSettingsFixture, NoStaleHistoryEntryComesBack)
{
    tree.file("brindle.ini", "[Strings]\nfilemask0=\nfilemask1=*.txt\n");
    AppOptions o = load();
    ASSERT_EQ(o.filemaskHistory, std::vector<std::string> {"*.txt"});
    save(o);
    EXPECT_NE(tree.read("brindle.ini").find("filemask0=*.txt\nfilemask1=\n"), std::string::npos);
    EXPECT_EQ(restart().filemaskHistory, std::vector<std::string> {"*.txt"});
}

TEST_F(AppSettingsFixture, ShorterHistoryClearsTheKeysAboveIt)
{
    AppOptions o = load();
    for (const char* mask : {"*.a", "*.b", "*.c", "*.d"})
        rememberFileMask(o.filemaskHistory, mask);
    save(o);
    o.filemaskHistory = {"*.x"};
    save(o);
    const std::string text = tree.read("brindle.ini");
    EXPECT_NE(
        text.find("filemask0=*.x\nfilemask1=\nfilemask2=\nfilemask3=\nfilemask4=\n"), std::string::npos);
    EXPECT_EQ(restart().filemaskHistory, std::vector<std::string> {"*.x"});
}

TEST_F(AppSettingsFixture, EmptyMaskIsRecordedSavedAndSkippedAtTheNextStart)
{
    AppOptions o = load();
    rememberFileMask(o.filemaskHistory, "*.txt");
    o.filemask = "";
    rememberFileMask(o.filemaskHistory, o.filemask);
    EXPECT_EQ(o.filemaskHistory, (std::vector<std::string> {"", "*.txt"}));
    save(o);
    EXPECT_NE(tree.read("brindle.ini").find("filemask=\nfilemask0=\nfilemask1=*.txt\n"), std::string::npos);
    const AppOptions back = restart();
    EXPECT_EQ(back.filemask, "");
    EXPECT_EQ(back.filemaskHistory, std::vector<std::string> {"*.txt"});
}

TEST_F(AppSettingsFixture, ElevenMasksAcrossRestartsKeepTheTenNewest)
{
    for (int i = 0; i < 11; ++i) {
        AppOptions o = restart();
        o.filemask = "*." + std::to_string(i);
        rememberFileMask(o.filemaskHistory, o.filemask);
        save(o);
    }
    const AppOptions o = restart();
    ASSERT_EQ(o.filemaskHistory.size(), 10u);
    EXPECT_EQ(o.filemaskHistory.front(), "*.10");
    EXPECT_EQ(o.filemaskHistory.back(), "*.1");
    EXPECT_EQ(o.filemask, "*.10");
}

TEST_F(AppSettingsFixture, SettingsSurviveARestart)
{
    AppOptions o = load();
    o.recurseDirs = o.renameDirs = o.resetCounter = o.confirm = o.undo = o.log = o.simulation = true;
    o.naturalSort = true;
    o.sort = false;
    o.counterStart = 17;
    o.viewStyle = 0;
    o.stvWidth = 240;
    tree.dir("start dir ");
    o.path = tree.at("start dir ");
    o.openDir = tree.at("start dir ");
    o.example = " sample name.TXT";
    o.encoding = "EUC-KR";
    o.filemask = "'*.jpg'";
    o.filemaskHistory = {"'*.jpg'", "*.png "};
    save(o);

    const AppOptions back = restart();
    EXPECT_TRUE(back.recurseDirs && back.renameDirs && back.resetCounter && back.confirm && back.undo
        && back.log && back.simulation && back.naturalSort && !back.sort);
    EXPECT_EQ(back.counterStart, 17);
    EXPECT_EQ(back.viewStyle, 0);
    EXPECT_EQ(back.stvWidth, 240);
    EXPECT_EQ(back.path, tree.at("start dir ")); // a trailing blank of a folder name is kept
    EXPECT_EQ(back.openDir, tree.at("start dir "));
    EXPECT_EQ(back.saveDir, appDir);
    EXPECT_EQ(back.example, " sample name.TXT");
    EXPECT_EQ(back.encoding, "EUC-KR");
    EXPECT_EQ(back.filemask, "'*.jpg'");
    EXPECT_EQ(back.filemaskHistory, o.filemaskHistory);
}

TEST_F(AppSettingsFixture, AStartThatStopsOnABadBooleanKeepsWhatWasRead)
{
    tree.file("brindle.ini", "[Booleans]\nrecurseDirs=1\nsort=maybe\n[Strings]\nexample=kept.txt\n");
    EXPECT_FALSE(store.loadValues().ok());
    AppOptions o;
    EXPECT_TRUE(loadSettings(store, o, appDir).ok()); // the window still applies what the store holds
    EXPECT_TRUE(o.recurseDirs);
    EXPECT_TRUE(o.sort);
    EXPECT_EQ(o.example, "filename.ext");
    save(o); // the close writes over the bad value
    EXPECT_TRUE(restart().recurseDirs);
}

TEST_F(AppSettingsFixture, HugeAndBinarySettingsFilesLoadWithoutHarm)
{
    std::string text = "[Strings]\npath=" + std::string(100000, 'p') + "\n";
    for (int i = 0; i < 200000; ++i)
        text += "junk" + std::to_string(i) + std::string("\x01\xff=\0x\n", 6);
    text += "[Integers]\nstvWidth=\x80\x81\n[Booleans\nlog=1\n";
    tree.file("brindle.ini", text);
    std::vector<std::string> messages;
    store.onMessage = [&](const std::string& m) { messages.push_back(m); };
    AppOptions o = load();
    EXPECT_EQ(o.path, std::string(2047, 'p'));
    EXPECT_EQ(o.stvWidth, 200);
    EXPECT_TRUE(o.log);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
        "Error reading Integer value \"Integers\\stvWidth\". Value = \"\x80\x81\". Value set to 200");
    save(o);
    EXPECT_EQ(restart().path, std::string(2047, 'p'));
}

TEST(FileMaskHistory, RememberRule)
{
    std::vector<std::string> h;
    for (int i = 0; i < 10; ++i)
        rememberFileMask(h, "*." + std::to_string(i));
    EXPECT_EQ(h.size(), 10u);
    EXPECT_EQ(h.front(), "*.9");
    rememberFileMask(h, "*.new");
    EXPECT_EQ(h.size(), 10u);
    EXPECT_EQ(h.front(), "*.new");
    EXPECT_EQ(h.back(), "*.1"); // the oldest, "*.0", was dropped
    rememberFileMask(h, "*.5");
    EXPECT_EQ(h,
        (std::vector<std::string> {"*.5", "*.new", "*.9", "*.8", "*.7", "*.6", "*.4", "*.3", "*.2", "*.1"}));
    rememberFileMask(h, "*.5"); // already on top: nothing moves
    EXPECT_EQ(h[0], "*.5");
    EXPECT_EQ(h[1], "*.new");
    rememberFileMask(h, "*.1"); // the last one
    EXPECT_EQ(h,
        (std::vector<std::string> {"*.1", "*.5", "*.new", "*.9", "*.8", "*.7", "*.6", "*.4", "*.3", "*.2"}));

    std::vector<std::string> c;
    rememberFileMask(c, "*.TXT");
    rememberFileMask(c, "*.txt");
    rememberFileMask(c, "");
    rememberFileMask(c, "*.txt ");
    EXPECT_EQ(c, (std::vector<std::string> {"*.txt ", "", "*.txt", "*.TXT"}));
}

} // namespace
