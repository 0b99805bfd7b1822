#include <gtest/gtest.h>

#include <cstdlib>

#include "app/UAppDir.h"
#include "app/UErrors.h"
#include "common/TempTree.h"
#include "settings/UAppSettings.h"
#include "settings/UIniFile.h"
#include "settings/zmRegVal.h"

using namespace brindle;
using brindle::test::TempTree;

namespace
{

// ---- The INI layer ----

TEST(IniFile, ReadsWithoutCaseBlanksOrQuotes)
{
    TIniFile ini("unused");
    ini.SetText("; comment\r\n[Strings]\r\n  Path  =  \"/a b/\"  \r\nq='x'\r\nmixed=\"x'\r\nbare\r\n"
                "empty=\r\n[strings]\r\npath=second\r\n[Other\r\nk=v\n");
    EXPECT_EQ(ini.ReadValue("STRINGS", "path"), "/a b/");
    EXPECT_EQ(ini.ReadValue("Strings", "q"), "x");
    EXPECT_EQ(ini.ReadValue("Strings", "mixed"), "\"x'");
    EXPECT_EQ(ini.ReadValue("Strings", "empty"), "");
    EXPECT_EQ(ini.ReadValue("Strings", "bare"), std::nullopt);
    EXPECT_EQ(ini.ReadValue("Strings", "missing"), std::nullopt);
    EXPECT_EQ(ini.ReadValue("Nowhere", "path"), std::nullopt);
    EXPECT_EQ(ini.ReadValue("other", "K"), "v"); // a header without its bracket
    EXPECT_EQ(ini.ReadString("Strings", "missing", "def"), "def");
    EXPECT_EQ(ini.ReadString("Strings", "empty", "def"), "");
}

TEST(IniFile, LongValuesAreCutAt2047)
{
    TIniFile ini("unused");
    ini.SetText("[s]\nk=" + std::string(100000, 'v') + "\nu=" + std::string(2046, 'a') + "\xc3\xa9" + "\n");
    EXPECT_EQ(ini.ReadValue("s", "k")->size(), 2047u);
    EXPECT_EQ(*ini.ReadValue("s", "u"), std::string(2046, 'a')); // not inside the last character
}

TEST(IniFile, WritingTouchesOnlyItsLine)
{
    TIniFile ini("unused");
    const std::string text
        = "# hand-written\r\n[Foreign]\r\nkeep = me\r\n\r\n[Strings]\r\n; note\r\nPATH=/old\r\n"
          "other=1\r\n\r\n[Tail]\r\nx=y\r\n";
    ini.SetText(text);
    ini.WriteString("strings", "path", "/new");
    ini.WriteString("Strings", "added", "v");
    ini.WriteString("New", "k", "line\r\nbreak");
    EXPECT_EQ(ini.Text(),
        "# hand-written\n[Foreign]\nkeep = me\n\n[Strings]\n; note\npath=/new\nother=1\n"
        "added=v\n\n[Tail]\nx=y\n[New]\nk=linebreak\n");
}

TEST(IniFile, DuplicateSectionsAndKeysFirstWins)
{
    TIniFile ini("unused");
    ini.SetText("[a]\nk=1\nk=2\n[A]\nk=3\n");
    EXPECT_EQ(ini.ReadValue("a", "k"), "1");
    ini.WriteString("a", "k", "9");
    EXPECT_EQ(ini.Text(), "[a]\nk=9\nk=2\n[A]\nk=3\n");
}

TEST(IniFile, BinaryAndHugeInputDoNotBreakIt)
{
    TempTree t;
    std::string junk(20u << 20, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>((i * 7919u) % 256u);
    t.file("junk.ini", junk);
    TIniFile ini(t.at("junk.ini"));
    ini.Load();
    ini.WriteString("Booleans", "sort", "1");
    ini.Save();
    TIniFile again(t.at("junk.ini"));
    again.Load();
    EXPECT_EQ(again.ReadValue("Booleans", "sort"), "1");
}

// ---- The settings store ----

/// A store with a few values of every kind, its file in a temporary folder.
struct StoreFixture : ::testing::Test {
    TempTree tree;
    TzmRegVal store;
    std::vector<std::string> messages;

    StoreFixture()
    {
        store.IniFileName = "test.ini";
        store.StartUpDir = tree.path() + "/";
        store.SetBooleans({"flag=0", "sort=1", "third=0"});
        store.SetFloats({"ratio=0.5"});
        store.SetIntegers({"counterStart=0", "width=200"});
        store.SetStrings({"path=", "example=filename.ext"});
        store.OnMessage = [this](const std::string& m) { messages.push_back(m); };
    }
    void writeIni(const std::string& text) { tree.file("test.ini", text); }
    std::string iniText() const { return tree.read("test.ini"); }
};

TEST_F(StoreFixture, FirstStartKeepsDefaultsAndFirstSaveWritesAllSections)
{
    store.LoadValues();
    EXPECT_FALSE(tree.exists("test.ini"));
    EXPECT_TRUE(store.GetBoolean("sort"));
    EXPECT_EQ(store.GetString("example"), "filename.ext");
    store.SaveValues();
    EXPECT_EQ(iniText(),
        "[Booleans]\nflag=0\nsort=1\nthird=0\n[Floats]\nratio=0.5\n[Integers]\ncounterStart=0\n"
        "width=200\n[Strings]\npath=\nexample=filename.ext\n");
}

TEST_F(StoreFixture, LoadsEveryKind)
{
    writeIni("[booleans]\nflag=2\nsort=FALSE\nthird=-1\n[Floats]\nratio=1.25\n[Integers]\ncounterStart="
             "4294967301\n"
             "width=-7\n[Strings]\npath=\nexample=\"my file.txt\"\n");
    store.LoadValues();
    EXPECT_TRUE(store.GetBoolean("flag"));
    EXPECT_FALSE(store.GetBoolean("SORT"));
    EXPECT_TRUE(store.GetBoolean("third"));
    EXPECT_DOUBLE_EQ(store.GetFloat("ratio"), 1.25);
    EXPECT_EQ(store.GetInteger("counterStart"), 5);
    EXPECT_EQ(store.GetInteger("width"), -7);
    EXPECT_EQ(store.GetString("path"), "");
    EXPECT_EQ(store.GetString("example"), "my file.txt");
    EXPECT_TRUE(messages.empty());
    store.SaveValues();
    EXPECT_NE(iniText().find("flag=1\nsort=0\nthird=1\n"), std::string::npos);
}

TEST_F(StoreFixture, BadIntegerShowsMessageAndKeepsDefault)
{
    writeIni("[Integers]\ncounterStart=abc\nwidth=99999999999999999999\n[Floats]\nratio=x1\n");
    store.LoadValues();
    EXPECT_EQ(store.GetInteger("counterStart"), 0);
    EXPECT_EQ(store.GetInteger("width"), 200);
    EXPECT_DOUBLE_EQ(store.GetFloat("ratio"), 0.5);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], "Error reading Float value \"Floats\\ratio\". Value = \"x1\". Value set to 0.5");
    EXPECT_EQ(messages[1],
        "Error reading Integer value \"Integers\\counterStart\". Value = \"abc\". Value set to 0");
    EXPECT_EQ(messages[2],
        "Error reading Integer value \"Integers\\width\". Value = \"99999999999999999999\". Value set to "
        "200");
}

TEST_F(StoreFixture, BadBooleanStopsTheLoadAndClosesTheStore)
{
    writeIni("[Booleans]\nflag=1\nsort=yes\nthird=1\n[Strings]\nexample=loaded\n");
    try {
        store.LoadValues();
        FAIL() << "no error";
    } catch (const EBrindleError& e) {
        EXPECT_STREQ(e.what(), "'yes' is not a valid boolean value");
    }
    EXPECT_TRUE(store.GetBoolean("flag")); // read before the bad line
    EXPECT_FALSE(store.GetBoolean("third")); // after it: unchanged
    EXPECT_EQ(store.GetString("example"), "filename.ext"); // after it: unchanged
    // The store was closed: the next operation opens it afresh.
    writeIni("[Booleans]\nsort=0\n[Strings]\nexample=loaded\n");
    store.LoadValues();
    EXPECT_FALSE(store.GetBoolean("sort"));
    EXPECT_EQ(store.GetString("example"), "loaded");
}

TEST_F(StoreFixture, EmptyAndAbsentStrings)
{
    writeIni("[Strings]\nexample=\n");
    store.SetString("path", "/keep");
    store.LoadValues();
    EXPECT_EQ(store.GetString("example"), "");
    EXPECT_EQ(store.GetString("path"), "/keep");
    store.SetString("path", "");
    EXPECT_EQ(store.GetString("path"), "");
    EXPECT_EQ(store.Strings()[0], "path=");
}

TEST_F(StoreFixture, ByNameErrors)
{
    auto message = [](auto&& f) {
        try {
            f();
        } catch (const EBrindleError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message([&] { store.GetBoolean("counterStart"); }), "Boolean Field \"counterStart\" not found");
    EXPECT_EQ(message([&] { store.SetBoolean("x", true); }), "Boolean Field \"x\" not found");
    EXPECT_EQ(message([&] { store.GetInteger("flag"); }), "Integer Field \"flag\" not found");
    EXPECT_EQ(message([&] { store.SetInteger("x", 1); }), "Integer Field \"x\" not found");
    EXPECT_EQ(message([&] { store.GetString("x"); }), "String Field \"x\" not found");
    EXPECT_EQ(message([&] { store.SetString("x", ""); }), "String Field \"x\" not found");
    store.SetIntegers({"a=1", "bad=12x"});
    EXPECT_EQ(
        message([&] { store.GetInteger("bad"); }), "Error in conversion of integer \"bad\", Value = \"12x\"");
    EXPECT_EQ(message([&] { store.SaveValues(); }), "Error in conversion of integer[1], Value = \"12x\"");
    EXPECT_EQ(message([&] { store.LoadValues(); }), "Error in conversion of integer[1], Value = \"12x\"");
}

TEST_F(StoreFixture, HandEditedFileSurvivesASave)
{
    const std::string text = "; my settings\r\n[Booleans]\r\n; keep sorting on\r\nsort=1\r\n\r\n[Plugins]\r\n"
                             "foo=bar\r\n\r\n[Strings]\r\nexample=x.txt\r\n";
    writeIni(text);
    store.LoadValues();
    store.SetBoolean("flag", true);
    store.SaveValues();
    EXPECT_EQ(iniText(),
        "; my settings\n[Booleans]\n; keep sorting on\nsort=1\nflag=1\nthird=0\n\n[Plugins]\n"
        "foo=bar\n\n[Strings]\nexample=x.txt\npath=\n[Floats]\nratio=0.5\n[Integers]\n"
        "counterStart=0\nwidth=200\n");
}

TEST_F(StoreFixture, UnwritableFileRaisesAndKeepsTheOldOne)
{
    store.StartUpDir = tree.path() + "/missing/";
    try {
        store.SaveValues();
        FAIL() << "no error";
    } catch (const EBrindleError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + tree.path() + "/missing/test.ini");
    }
    store.StartUpDir = tree.path() + "/";
    tree.dir("test.ini");
    EXPECT_THROW(store.SaveValues(), EBrindleError);
    EXPECT_TRUE(tree.list("test.ini").empty());
}

TEST_F(StoreFixture, RegistryModeLoadsAndSavesNothing)
{
    writeIni("[Booleans]\nflag=1\n");
    store.UseRegistry = true;
    store.LoadValues();
    EXPECT_FALSE(store.GetBoolean("flag"));
    store.SetBoolean("sort", false);
    store.SaveValues();
    EXPECT_EQ(iniText(), "[Booleans]\nflag=1\n");
}

TEST_F(StoreFixture, IniSectionPrefixesSections)
{
    store.IniSection = "App";
    store.SaveValues();
    EXPECT_TRUE(iniText().starts_with("[App\\Booleans]\nflag=0\n"));
}

/// A window that records what the store asks of it.
struct FakeForm : IPlacedForm {
    std::vector<std::string> calls;
    bool known = true;
    TFormPlacement placement {10, 20, 800, 600, 2};
    std::string FormName() const override { return "frmMain"; }
    bool GetPlacement(TFormPlacement& p) const override
    {
        p = placement;
        return known;
    }
    void SetLeft(std::int32_t v) override { calls.push_back("left " + std::to_string(v)); }
    void SetTop(std::int32_t v) override { calls.push_back("top " + std::to_string(v)); }
    void SetWidth(std::int32_t v) override { calls.push_back("width " + std::to_string(v)); }
    void SetHeight(std::int32_t v) override { calls.push_back("height " + std::to_string(v)); }
    void SetWindowState(std::int32_t v) override { calls.push_back("state " + std::to_string(v)); }
};

TEST_F(StoreFixture, PlacementRoundTripAndOrder)
{
    FakeForm form;
    store.RestoreFormPlacement(form);
    EXPECT_TRUE(form.calls.empty()); // first start: nothing stored, nothing applied

    store.SaveFormPlacement(form);
    EXPECT_EQ(iniText(), "[frmMain]\nLeft=10\nTop=20\nWidth=800\nHeight=600\nWinState=2\n");
    store.RestoreFormPlacement(form);
    EXPECT_EQ(
        form.calls, (std::vector<std::string> {"left 10", "top 20", "width 800", "height 600", "state 2"}));

    form.calls.clear();
    writeIni("[frmMain]\nLeft=-5\nTop=7\nWidth=300\nHeight=200\nWinState=0\n");
    store.RestoreFormPlacement(form, false);
    EXPECT_EQ(form.calls, (std::vector<std::string> {"state 0", "left -5", "top 7"}));

    form.calls.clear();
    writeIni("[frmMain]\nLeft=1\nTop=2\nWinState=9\n");
    store.RestoreFormPlacement(form);
    EXPECT_EQ(form.calls, (std::vector<std::string> {"left 1", "top 2"}));

    form.calls.clear();
    form.known = false;
    writeIni("");
    store.SaveFormPlacement(form);
    EXPECT_EQ(iniText(), "");
}

// ---- The application settings ----

struct AppSettingsFixture : ::testing::Test {
    TempTree tree;
    TzmRegVal store;
    std::string appDir;

    AppSettingsFixture()
    {
        tree.dir("app");
        appDir = tree.at("app") + "/";
        InitAppSettingsStore(store, tree.path() + "/");
    }
    TAppOptions load()
    {
        store.LoadValues();
        TAppOptions o;
        LoadSettings(store, o, appDir);
        return o;
    }
};

TEST_F(AppSettingsFixture, FirstStartDefaultsAndFile)
{
    const TAppOptions o = load();
    EXPECT_FALSE(
        o.recurseDirs || o.renameDirs || o.resetCounter || o.confirm || o.undo || o.log || o.simulation);
    EXPECT_TRUE(o.sort);
    EXPECT_EQ(o.counterStart, 0);
    EXPECT_EQ(o.viewStyle, 2);
    EXPECT_EQ(o.stvWidth, 200);
    EXPECT_EQ(o.filemask, "*.*");
    EXPECT_TRUE(o.filemaskHistory.empty());
    EXPECT_EQ(o.example, "filename.ext");
    EXPECT_EQ(o.encoding, "ISO-8859-1");
    EXPECT_EQ(o.openDir, appDir);
    EXPECT_EQ(o.saveDir, appDir);

    SaveSettings(o, store);
    store.SaveValues();
    FakeForm form;
    store.SaveFormPlacement(form);
    std::string expected
        = "[Booleans]\nrecurseDirs=0\nrenameDirs=0\nresetCounter=0\nsort=1\nconfirm=0\nundo=0\n"
          "log=0\nsimulation=0\n[Integers]\ncounterStart=0\nviewStyle=2\nstvWidth=200\n[Strings]\n"
          "path=\nopenDir="
        + appDir + "\nsaveDir=" + appDir + "\nexample=filename.ext\nencoding=ISO-8859-1\nfilemask=*.*\n";
    for (int i = 0; i < 10; ++i)
        expected += "filemask" + std::to_string(i) + "=\n";
    expected += "[frmMain]\nLeft=10\nTop=20\nWidth=800\nHeight=600\nWinState=2\n";
    EXPECT_EQ(tree.read("brindle.ini"), expected);
}

TEST_F(AppSettingsFixture, LoadRules)
{
    tree.dir("jobs");
    tree.file("brindle.ini",
        "[Integers]\nstvWidth=10\nviewStyle=3\ncounterStart=-4\n[Strings]\nopenDir=" + tree.at("jobs")
            + "/\nsaveDir=/no/such/folder\nfilemask0=\nfilemask1=*.txt\nfilemask3=*.jpg\n"
            + "encoding=\n[Booleans]\nundo=1\nsimulation=1\n");
    const TAppOptions o = load();
    EXPECT_EQ(o.stvWidth, 50);
    EXPECT_EQ(o.viewStyle, 3);
    EXPECT_EQ(o.counterStart, -4);
    EXPECT_EQ(o.openDir, tree.at("jobs") + "/");
    EXPECT_EQ(o.saveDir, appDir);
    EXPECT_EQ(o.filemaskHistory, (std::vector<std::string> {"*.txt", "*.jpg"}));
    EXPECT_EQ(o.encoding, "");
    EXPECT_TRUE(o.undo && o.simulation);

    tree.file("brindle.ini", "[Integers]\nstvWidth=300\n");
    EXPECT_EQ(load().stvWidth, 300);
}

TEST_F(AppSettingsFixture, NoStaleHistoryEntryComesBack)
{
    tree.file("brindle.ini", "[Strings]\nfilemask0=\nfilemask1=*.txt\n");
    TAppOptions o = load();
    ASSERT_EQ(o.filemaskHistory, std::vector<std::string> {"*.txt"});
    SaveSettings(o, store);
    store.SaveValues();
    EXPECT_EQ(load().filemaskHistory, std::vector<std::string> {"*.txt"});
    EXPECT_NE(tree.read("brindle.ini").find("filemask0=*.txt\nfilemask1=\n"), std::string::npos);
}

TEST_F(AppSettingsFixture, SettingsSurviveARestart)
{
    TAppOptions o = load();
    o.recurseDirs = o.log = true;
    o.sort = false;
    o.counterStart = 17;
    o.viewStyle = 0;
    o.stvWidth = 240;
    o.path = "/tmp";
    o.example = "sample name.TXT";
    o.encoding = "EUC-KR";
    o.filemask = "*.jpg";
    o.filemaskHistory = {"*.jpg", "*.png"};
    SaveSettings(o, store);
    store.SaveValues();

    TzmRegVal next;
    InitAppSettingsStore(next, tree.path() + "/");
    next.LoadValues();
    TAppOptions back;
    LoadSettings(next, back, appDir);
    EXPECT_TRUE(back.recurseDirs && back.log && !back.sort);
    EXPECT_EQ(back.counterStart, 17);
    EXPECT_EQ(back.viewStyle, 0);
    EXPECT_EQ(back.stvWidth, 240);
    EXPECT_EQ(back.path, "/tmp");
    EXPECT_EQ(back.example, "sample name.TXT");
    EXPECT_EQ(back.encoding, "EUC-KR");
    EXPECT_EQ(back.filemask, "*.jpg");
    EXPECT_EQ(back.filemaskHistory, o.filemaskHistory);
}

TEST(FileMaskHistory, RememberRule)
{
    std::vector<std::string> h;
    for (int i = 0; i < 10; ++i)
        RememberFileMask(h, "*." + std::to_string(i));
    EXPECT_EQ(h.size(), 10u);
    EXPECT_EQ(h.front(), "*.9");
    RememberFileMask(h, "*.new");
    EXPECT_EQ(h.size(), 10u);
    EXPECT_EQ(h.front(), "*.new");
    EXPECT_EQ(h.back(), "*.1"); // the oldest, "*.0", was dropped
    RememberFileMask(h, "*.5");
    EXPECT_EQ(h.size(), 10u);
    EXPECT_EQ(h[0], "*.5");
    EXPECT_EQ(h[1], "*.new");
    EXPECT_EQ(std::count(h.begin(), h.end(), "*.5"), 1);

    std::vector<std::string> c;
    RememberFileMask(c, "*.TXT");
    RememberFileMask(c, "*.txt");
    RememberFileMask(c, "");
    EXPECT_EQ(c, (std::vector<std::string> {"", "*.txt", "*.TXT"}));
}

// ---- The settings folder ----

TEST(SettingsDir, AppFolderWhenWritableElseUserConfig)
{
    TempTree t;
    EXPECT_EQ(ChooseSettingsDir("/opt/brindle/", true, true), "/opt/brindle/");

    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const char* oldHome = std::getenv("HOME");
    const std::string savedXdg = oldXdg ? oldXdg : "";
    const std::string savedHome = oldHome ? oldHome : "";
    ::setenv("XDG_CONFIG_HOME", t.at("xdg").c_str(), 1);
    EXPECT_EQ(ChooseSettingsDir("/opt/brindle/", false, false), t.at("xdg") + "/brindlewick/");
    EXPECT_FALSE(t.exists("xdg"));
    EXPECT_EQ(ChooseSettingsDir("/opt/brindle/", false, true), t.at("xdg") + "/brindlewick/");
    EXPECT_TRUE(t.exists("xdg/brindlewick"));

    ::setenv("XDG_CONFIG_HOME", "relative/path", 1); // not absolute: ignored
    ::setenv("HOME", t.path().c_str(), 1);
    EXPECT_EQ(ChooseSettingsDir("/opt/brindle/", false, true), t.path() + "/.config/brindlewick/");
    EXPECT_TRUE(t.exists(".config/brindlewick"));

    oldXdg ? ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1) : ::unsetenv("XDG_CONFIG_HOME");
    oldHome ? ::setenv("HOME", savedHome.c_str(), 1) : ::unsetenv("HOME");
}

TEST(SettingsDir, AppDirIsTheExecutablesFolder)
{
    const std::string dir = GetAppDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(std::string(BRINDLE_TEST_EXE_DIR "/").starts_with(dir) || dir == BRINDLE_TEST_EXE_DIR "/");
}

} // namespace
