#include <gtest/gtest.h>

#include <ostream>

#include "common/TempTree.h"
#include "core/settings/SettingsStore.h"

using namespace brindle;
using brindle::test::TempTree;

namespace
{

/// The message of a failed result, or "no error".
template <typename T> std::string errorOf(const Result<T>& result)
{
    return result.ok() ? "no error" : result.error().message;
}

/// A store with a few values of every kind, its file in a temporary folder.
struct StoreFixture : ::testing::Test {
    TempTree tree;
    SettingsStore store;
    std::vector<std::string> messages;

    StoreFixture()
    {
        store.iniFileName = "test.ini";
        store.startUpDir = tree.path() + "/";
        store.setBooleans({"flag=0", "sort=1", "third=0"});
        store.setFloats({"ratio=0.5"});
        store.setIntegers({"counterStart=0", "width=200"});
        store.setStrings({"path=", "example=filename.ext"});
        store.onMessage = [this](const std::string& m) { messages.push_back(m); };
    }
    void writeIni(const std::string& text) { tree.file("test.ini", text); }
    std::string iniText() const { return tree.read("test.ini"); }
};

TEST_F(StoreFixture, FirstStartKeepsDefaultsAndFirstSaveWritesAllSections)
{
    EXPECT_TRUE(store.loadValues().ok());
    EXPECT_FALSE(tree.exists("test.ini"));
    EXPECT_TRUE(store.getBoolean("sort").value());
    EXPECT_EQ(store.getString("example").value(), "filename.ext");
    EXPECT_EQ(store.getInteger("width").value(), 200);
    EXPECT_TRUE(store.saveValues().ok());
    EXPECT_EQ(iniText(),
        "[Booleans]\nflag=0\nsort=1\nthird=0\n[Floats]\nratio=0.5\n[Integers]\ncounterStart=0\n"
        "width=200\n[Strings]\npath=\nexample=filename.ext\n");
}

TEST_F(StoreFixture, LoadsEveryKind)
{
    writeIni("[booleans]\nflag=2\nsort=FALSE\nthird=-1\n[Floats]\nratio=1.25\n[Integers]\ncounterStart="
             "4294967301\n"
             "width=-7\n[Strings]\npath=\nexample=\"my file.txt\"\n");
    EXPECT_TRUE(store.loadValues().ok());
    EXPECT_TRUE(store.getBoolean("flag").value());
    EXPECT_FALSE(store.getBoolean("SORT").value());
    EXPECT_TRUE(store.getBoolean("third").value());
    EXPECT_DOUBLE_EQ(store.getFloat("ratio").value(), 1.25);
    EXPECT_EQ(store.getInteger("counterStart").value(), 5);
    EXPECT_EQ(store.getInteger("width").value(), -7);
    EXPECT_EQ(store.getString("path").value(), "");
    EXPECT_EQ(store.getString("example").value(), "my file.txt");
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(store.saveValues().ok());
    EXPECT_EQ(iniText(),
        "[booleans]\nflag=1\nsort=0\nthird=1\n[Floats]\nratio=1.25\n[Integers]\ncounterStart=5\n"
        "width=-7\n[Strings]\npath=\nexample=my file.txt\n");
}

/// A stored boolean text and what it loads as; "error" when the load must stop with the
/// boolean message.
struct BoolCase {
    std::string stored;
    std::string loaded;
};

void PrintTo(const BoolCase& c, std::ostream* os)
{
    *os << '"' << c.stored << "\" -> " << c.loaded;
}

class StoredBoolean : public StoreFixture, public ::testing::WithParamInterface<BoolCase>
{
};

TEST_P(StoredBoolean, LoadsAsTheRuleSays)
{
    const BoolCase& c = GetParam();
    writeIni("[Booleans]\nflag=" + c.stored + "\n");
    EXPECT_TRUE(store.setBoolean("flag", true).ok()); // the current value, kept when nothing is stored
    const std::string error = errorOf(store.loadValues());
    if (c.loaded == "error") {
        EXPECT_EQ(error, "'" + c.stored + "' is not a valid boolean value");
        EXPECT_TRUE(store.getBoolean("flag").value());
        return;
    }
    EXPECT_EQ(error, "no error");
    EXPECT_EQ(store.booleans()[0], "flag=" + c.loaded);
}

INSTANTIATE_TEST_SUITE_P(Texts, StoredBoolean,
    ::testing::Values(BoolCase {"1", "1"}, BoolCase {"0", "0"}, BoolCase {"2", "1"}, BoolCase {"-1", "1"},
        BoolCase {"0.0", "0"}, BoolCase {"-0", "0"}, BoolCase {"0.5", "1"}, BoolCase {"1e3", "1"},
        BoolCase {"TRUE", "1"}, BoolCase {"true", "1"}, BoolCase {"False", "0"}, BoolCase {" 0 ", "0"},
        BoolCase {"'false'", "0"}, BoolCase {"", "1"}, BoolCase {"yes", "error"}, BoolCase {"on", "error"},
        BoolCase {"0x0", "error"}, BoolCase {"nan", "error"}, BoolCase {"inf", "error"},
        BoolCase {"truely", "error"}, BoolCase {"1 0", "error"}));

/// A stored integer text and what counterStart (current value 0) loads as; a message is
/// expected when message is true.
struct IntCase {
    std::string stored;
    std::string loaded;
    bool message;
};

void PrintTo(const IntCase& c, std::ostream* os)
{
    *os << '"' << c.stored << "\" -> " << c.loaded << (c.message ? " with a message" : "");
}

class StoredInteger : public StoreFixture, public ::testing::WithParamInterface<IntCase>
{
};

TEST_P(StoredInteger, LoadsAsTheLow32BitsOrKeepsTheDefault)
{
    const IntCase& c = GetParam();
    writeIni("[Integers]\ncounterStart=" + c.stored + "\n");
    EXPECT_TRUE(store.loadValues().ok());
    EXPECT_EQ(store.integers()[0], "counterStart=" + c.loaded);
    if (c.message) {
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0],
            "Error reading Integer value \"Integers\\counterStart\". Value = \"" + c.stored
                + "\". Value set to 0");
    } else {
        EXPECT_TRUE(messages.empty()) << messages[0];
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, StoredInteger,
    ::testing::Values(IntCase {"42", "42", false}, IntCase {"+7", "7", false}, IntCase {"-0", "0", false},
        IntCase {" 12 ", "12", false}, IntCase {"'12'", "12", false}, IntCase {"", "0", false},
        IntCase {"4294967301", "5", false}, IntCase {"2147483648", "-2147483648", false},
        IntCase {"-2147483649", "2147483647", false}, IntCase {"9223372036854775807", "-1", false},
        IntCase {"-9223372036854775808", "0", false}, IntCase {"abc", "0", true},
        IntCase {"9223372036854775808", "0", true}, IntCase {"12x", "0", true}, IntCase {"1e3", "0", true},
        IntCase {"0x10", "0", true}, IntCase {"1.5", "0", true}, IntCase {"-", "0", true},
        IntCase {"1 2", "0", true}));

TEST_F(StoreFixture, BadStoredNumbersShowMessagesAndKeepDefaults)
{
    writeIni("[Integers]\ncounterStart=abc\nwidth=99999999999999999999\n[Floats]\nratio=x1\n");
    EXPECT_TRUE(store.loadValues().ok());
    EXPECT_EQ(store.getInteger("counterStart").value(), 0);
    EXPECT_EQ(store.getInteger("width").value(), 200);
    EXPECT_DOUBLE_EQ(store.getFloat("ratio").value(), 0.5);
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0], "Error reading Float value \"Floats\\ratio\". Value = \"x1\". Value set to 0.5");
    EXPECT_EQ(messages[1],
        "Error reading Integer value \"Integers\\counterStart\". Value = \"abc\". Value set to 0");
    EXPECT_EQ(messages[2],
        "Error reading Integer value \"Integers\\width\". Value = \"99999999999999999999\". Value set to "
        "200");
}

TEST_F(StoreFixture, WithoutAMessageCallbackABadNumberIsStillSkipped)
{
    store.onMessage = nullptr;
    writeIni("[Integers]\ncounterStart=abc\nwidth=9\n");
    EXPECT_TRUE(store.loadValues().ok());
    EXPECT_EQ(store.getInteger("counterStart").value(), 0);
    EXPECT_EQ(store.getInteger("width").value(), 9);
}

TEST_F(StoreFixture, BadBooleanStopsTheLoadAndClosesTheStore)
{
    writeIni("[Booleans]\nflag=1\nsort=yes\nthird=1\n[Strings]\nexample=loaded\n");
    EXPECT_EQ(errorOf(store.loadValues()), "'yes' is not a valid boolean value");
    EXPECT_TRUE(store.getBoolean("flag").value()); // read before the bad line
    EXPECT_TRUE(store.getBoolean("sort").value()); // the bad line: unchanged
    EXPECT_FALSE(store.getBoolean("third").value()); // after it: unchanged
    EXPECT_EQ(store.getString("example").value(), "filename.ext"); // after it: unchanged
    // The store was closed: the next operation opens it afresh and reads the file as it is now.
    writeIni("[Booleans]\nsort=0\n[Strings]\nexample=loaded\n");
    EXPECT_TRUE(store.loadValues().ok());
    EXPECT_FALSE(store.getBoolean("sort").value());
    EXPECT_EQ(store.getString("example").value(), "loaded");
    // A save after a stopped load writes what the lists hold, and nothing of the failed load.
    writeIni("[Booleans]\nflag=1\nsort=yes\n");
    EXPECT_FALSE(store.loadValues().ok());
    EXPECT_TRUE(store.saveValues().ok());
    EXPECT_TRUE(iniText().starts_with("[Booleans]\nflag=1\nsort=0\nthird=0\n[Floats]"));
}

TEST_F(StoreFixture, EmptyAndAbsentStrings)
{
    writeIni("[Strings]\nexample=\n");
    EXPECT_TRUE(store.setString("path", "/keep").ok());
    EXPECT_TRUE(store.loadValues().ok());
    EXPECT_EQ(store.getString("example").value(), "");
    EXPECT_EQ(store.Strings()[1], "example=");
    EXPECT_EQ(store.getString("path").value(), "/keep");
    EXPECT_TRUE(store.setString("path", "").ok());
    EXPECT_EQ(store.getString("path").value(), "");
    EXPECT_EQ(store.Strings()[0], "path=");
    EXPECT_EQ(store.Strings().size(), 2u);
}

TEST_F(StoreFixture, EmptyNumbersKeepTheirCurrentValue)
{
    writeIni("[Booleans]\nsort=\n[Integers]\nwidth=\n[Floats]\nratio=''\n");
    EXPECT_TRUE(store.loadValues().ok());
    EXPECT_TRUE(store.getBoolean("sort").value());
    EXPECT_EQ(store.getInteger("width").value(), 200);
    EXPECT_DOUBLE_EQ(store.getFloat("ratio").value(), 0.5);
    EXPECT_TRUE(messages.empty());
}

TEST_F(StoreFixture, ValuesKeepTheirBlanksAndQuotesAcrossASave)
{
    EXPECT_TRUE(store.setString("example", " two  blanks ").ok());
    EXPECT_TRUE(store.setString("path", "'/quoted folder'").ok());
    EXPECT_TRUE(store.saveValues().ok());
    EXPECT_TRUE(store.setString("example", "").ok());
    EXPECT_TRUE(store.setString("path", "").ok());
    EXPECT_TRUE(store.loadValues().ok());
    EXPECT_EQ(store.getString("example").value(), " two  blanks ");
    EXPECT_EQ(store.getString("path").value(), "'/quoted folder'");
}

TEST_F(StoreFixture, ByNameErrors)
{
    EXPECT_EQ(errorOf(store.getBoolean("counterStart")), "Boolean Field \"counterStart\" not found");
    EXPECT_EQ(errorOf(store.setBoolean("x", true)), "Boolean Field \"x\" not found");
    EXPECT_EQ(errorOf(store.getInteger("flag")), "Integer Field \"flag\" not found");
    EXPECT_EQ(errorOf(store.setInteger("x", 1)), "Integer Field \"x\" not found");
    EXPECT_EQ(errorOf(store.getString("x")), "String Field \"x\" not found");
    EXPECT_EQ(errorOf(store.setString("x", "")), "String Field \"x\" not found");
    EXPECT_EQ(errorOf(store.getFloat("x")), "Float Field \"x\" not found");
    EXPECT_EQ(store.Strings(), (std::vector<std::string> {"path=", "example=filename.ext"})); // unchanged
    store.setIntegers({"a=1", "bad=12x"});
    EXPECT_EQ(errorOf(store.getInteger("bad")), "Error in conversion of integer \"bad\", Value = \"12x\"");
    EXPECT_EQ(errorOf(store.saveValues()), "Error in conversion of integer[1], Value = \"12x\"");
    EXPECT_EQ(errorOf(store.loadValues()), "Error in conversion of integer[1], Value = \"12x\"");
    store.setFloats({"f=zz"});
    EXPECT_EQ(errorOf(store.loadValues()), "Error in conversion of float[0], Value = \"zz\"");
    EXPECT_FALSE(tree.exists("test.ini")); // the failed save wrote nothing
}

TEST_F(StoreFixture, ByNameAccessIgnoresCaseAndTheFirstLineCounts)
{
    store.setStrings({"Path=/first", "PATH=/second"});
    EXPECT_EQ(store.getString("path").value(), "/first");
    EXPECT_TRUE(store.setString("pAtH", "/new").ok());
    EXPECT_EQ(store.Strings(), (std::vector<std::string> {"Path=/new", "PATH=/second"}));
    EXPECT_TRUE(store.setInteger("WIDTH", -9000000000).ok());
    EXPECT_EQ(store.getInteger("width").value(), -9000000000);
    EXPECT_TRUE(store.setFloat("ratio", 0.1).ok());
    EXPECT_EQ(store.floats()[0], "ratio=0.1");
}

TEST_F(StoreFixture, HandEditedFileSurvivesASave)
{
    const std::string text = "; my settings\r\n[Booleans]\r\n; keep sorting on\r\nsort=1\r\n\r\n[Plugins]\r\n"
                             "foo=bar\r\n\r\n[Strings]\r\nexample=x.txt\r\n";
    writeIni(text);
    EXPECT_TRUE(store.loadValues().ok());
    EXPECT_TRUE(store.setBoolean("flag", true).ok());
    EXPECT_TRUE(store.saveValues().ok());
    EXPECT_EQ(iniText(),
        "; my settings\n[Booleans]\n; keep sorting on\nsort=1\nflag=1\nthird=0\n\n[Plugins]\n"
        "foo=bar\n\n[Strings]\nexample=x.txt\npath=\n[Floats]\nratio=0.5\n[Integers]\n"
        "counterStart=0\nwidth=200\n");
}

TEST_F(StoreFixture, UnwritableFileFailsAndKeepsTheOldOne)
{
    store.startUpDir = tree.path() + "/missing/";
    EXPECT_EQ(errorOf(store.saveValues()), "Unable to write to " + tree.path() + "/missing/test.ini");
    store.startUpDir = tree.path() + "/";
    tree.dir("test.ini");
    EXPECT_EQ(errorOf(store.saveValues()), "Unable to write to " + tree.path() + "/test.ini");
    EXPECT_TRUE(tree.list("test.ini").empty());
    EXPECT_EQ(tree.list(), std::vector<std::string> {"test.ini"}); // no temporary file left behind
}

TEST_F(StoreFixture, RegistryModeLoadsAndSavesNothing)
{
    writeIni("[Booleans]\nflag=1\n");
    store.useRegistry = true;
    EXPECT_TRUE(store.loadValues().ok());
    EXPECT_FALSE(store.getBoolean("flag").value());
    EXPECT_TRUE(store.setBoolean("sort", false).ok());
    EXPECT_TRUE(store.saveValues().ok());
    EXPECT_EQ(iniText(), "[Booleans]\nflag=1\n");
}

TEST_F(StoreFixture, IniSectionPrefixesSections)
{
    store.iniSection = "App";
    writeIni("[App\\Integers]\nwidth=5\n[Integers]\nwidth=6\n");
    EXPECT_TRUE(store.loadValues().ok());
    EXPECT_EQ(store.getInteger("width").value(), 5);
    EXPECT_TRUE(store.saveValues().ok());
    EXPECT_TRUE(iniText().starts_with("[App\\Integers]\nwidth=5\ncounterStart=0\n[Integers]\nwidth=6\n"
                                      "[App\\Booleans]\nflag=0\n"));
}

TEST_F(StoreFixture, WithoutStartUpDirTheFileNameIsThePath)
{
    store.useStartUpDir = false;
    store.iniFileName = tree.at("elsewhere.ini");
    EXPECT_EQ(store.iniPath(), tree.at("elsewhere.ini"));
    EXPECT_TRUE(store.saveValues().ok());
    EXPECT_TRUE(tree.read("elsewhere.ini").starts_with("[Booleans]\n"));
    EXPECT_FALSE(tree.exists("test.ini"));
}

/// A window that records what the store asks of it.
struct FakeForm : IPlacedForm {
    std::vector<std::string> calls;
    bool known = true;
    FormPlacement placement {10, 20, 800, 600, 2};
    std::string formName() const override { return "frmMain"; }
    bool getPlacement(FormPlacement& p) const override
    {
        p = placement;
        return known;
    }
    void setLeft(std::int32_t v) override { calls.push_back("left " + std::to_string(v)); }
    void setTop(std::int32_t v) override { calls.push_back("top " + std::to_string(v)); }
    void setWidth(std::int32_t v) override { calls.push_back("width " + std::to_string(v)); }
    void setHeight(std::int32_t v) override { calls.push_back("height " + std::to_string(v)); }
    void setWindowState(std::int32_t v) override { calls.push_back("state " + std::to_string(v)); }
};

TEST_F(StoreFixture, PlacementFirstStartAndRoundTrip)
{
    FakeForm form;
    store.restoreFormPlacement(form);
    EXPECT_TRUE(form.calls.empty()); // first start: nothing stored, nothing applied
    EXPECT_FALSE(tree.exists("test.ini"));

    EXPECT_TRUE(store.saveFormPlacement(form).ok());
    EXPECT_EQ(iniText(), "[frmMain]\nLeft=10\nTop=20\nWidth=800\nHeight=600\nWinState=2\n");
    store.restoreFormPlacement(form);
    EXPECT_EQ(
        form.calls, (std::vector<std::string> {"left 10", "top 20", "width 800", "height 600", "state 2"}));

    // A save of the values keeps the placement, and the placement keeps the values.
    EXPECT_TRUE(store.saveValues().ok());
    form.placement = {-3, 4, 640, 480, 0};
    EXPECT_TRUE(store.saveFormPlacement(form).ok());
    EXPECT_EQ(iniText(),
        "[frmMain]\nLeft=-3\nTop=4\nWidth=640\nHeight=480\nWinState=0\n[Booleans]\nflag=0\nsort=1\n"
        "third=0\n[Floats]\nratio=0.5\n[Integers]\ncounterStart=0\nwidth=200\n[Strings]\npath=\n"
        "example=filename.ext\n");
}

/// A stored placement section and the calls that restoring it (with size, or without) makes.
struct PlacementCase {
    std::string section;
    bool withSize;
    std::vector<std::string> calls;
};

void PrintTo(const PlacementCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(c.section) << (c.withSize ? " with size" : " without size");
}

class StoredPlacement : public StoreFixture, public ::testing::WithParamInterface<PlacementCase>
{
};

TEST_P(StoredPlacement, AppliedInTheRightOrder)
{
    const PlacementCase& c = GetParam();
    writeIni("[FRMMAIN]\n" + c.section);
    FakeForm form;
    store.restoreFormPlacement(form, c.withSize);
    EXPECT_EQ(form.calls, c.calls);
}

INSTANTIATE_TEST_SUITE_P(Sections, StoredPlacement,
    ::testing::Values(
        // Only Left and Top: the form moves, keeps its size and its state.
        PlacementCase {"Left=1\nTop=2\n", true, {"left 1", "top 2"}},
        // Maximised: the bounds first, then the state.
        PlacementCase {"Left=1\nTop=2\nWidth=3\nHeight=4\nWinState=2\n", true,
            {"left 1", "top 2", "width 3", "height 4", "state 2"}},
        PlacementCase {"Left=1\nTop=2\nWidth=3\nHeight=4\nWinState=1\n", true,
            {"left 1", "top 2", "width 3", "height 4", "state 1"}},
        // Normal: the state first, then the bounds.
        PlacementCase {"Left=1\nTop=2\nWidth=3\nHeight=4\nWinState=0\n", true,
            {"state 0", "left 1", "top 2", "width 3", "height 4"}},
        PlacementCase {
            "Left=-5\nTop=7\nWidth=300\nHeight=200\nWinState=0\n", false, {"state 0", "left -5", "top 7"}},
        // A state the windowing system does not know is not applied; the bounds are.
        PlacementCase {"Left=1\nTop=2\nWinState=9\n", true, {"left 1", "top 2"}},
        PlacementCase {"Width=3\nWinState=-2\n", true, {"width 3"}},
        PlacementCase {"WinState=4294967298\n", true, {"state 2"}},
        // The marker of an absent value, stored: nothing applied.
        PlacementCase {"Left=33554431\nTop=33554431\nWidth=33554431\nHeight=5\n", true, {"height 5"}},
        // Off every screen: applied unchanged.
        PlacementCase {"Left=-100000\nTop=100000\n", true, {"left -100000", "top 100000"}}));

TEST_F(StoreFixture, PlacementWithABadNumberShowsTheMessageAndSkipsIt)
{
    writeIni("[frmMain]\nLeft=abc\nTop=2\n");
    FakeForm form;
    store.restoreFormPlacement(form);
    EXPECT_EQ(form.calls, std::vector<std::string> {"top 2"});
    EXPECT_EQ(messages,
        std::vector<std::string> {
            "Error reading Integer value \"frmMain\\Left\". Value = \"abc\". Value set to 33554431"});
}

TEST_F(StoreFixture, PlacementThatCannotBeToldOrStoredWritesNothing)
{
    FakeForm form;
    form.known = false;
    writeIni("");
    EXPECT_TRUE(store.saveFormPlacement(form).ok());
    EXPECT_EQ(iniText(), "");

    form.known = true;
    store.useRegistry = true;
    EXPECT_TRUE(store.saveFormPlacement(form).ok());
    EXPECT_EQ(iniText(), "");
    writeIni("[frmMain]\nLeft=1\n");
    store.restoreFormPlacement(form);
    EXPECT_TRUE(form.calls.empty());

    store.useRegistry = false;
    store.startUpDir = tree.path() + "/missing/";
    EXPECT_EQ(
        errorOf(store.saveFormPlacement(form)), "Unable to write to " + tree.path() + "/missing/test.ini");
}

} // namespace
