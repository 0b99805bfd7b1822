#include <gtest/gtest.h>

#include <unistd.h>

#include "common/TempTree.h"
#include "core/settings/IniFile.h"

using namespace brindle;
using brindle::test::TempTree;

namespace
{

TEST(IniFile, ReadsWithoutCaseBlanksOrQuotes)
{
    IniFile ini("unused");
    ini.setText("; comment\r\n[Strings]\r\n  Path  =  \"/a b/\"  \r\nq='x'\r\nmixed=\"x'\r\nbare\r\n"
                "empty=\r\n[strings]\r\npath=second\r\n[Other\r\nk=v\n");
    EXPECT_EQ(ini.readValue("STRINGS", "path"), "/a b/");
    EXPECT_EQ(ini.readValue("Strings", "q"), "x");
    EXPECT_EQ(ini.readValue("Strings", "mixed"), "\"x'");
    EXPECT_EQ(ini.readValue("Strings", "empty"), "");
    EXPECT_EQ(ini.readValue("Strings", "bare"), std::nullopt);
    EXPECT_EQ(ini.readValue("Strings", "missing"), std::nullopt);
    EXPECT_EQ(ini.readValue("Nowhere", "path"), std::nullopt);
    EXPECT_EQ(ini.readValue("other", "K"), "v"); // a header without its bracket
    EXPECT_EQ(ini.readString("Strings", "missing", "def"), "def");
    EXPECT_EQ(ini.readString("Strings", "empty", "def"), "");
}

TEST(IniFile, OnlyOnePairOfQuotesAndOnlyBlanksAndTabsAreDropped)
{
    IniFile ini("unused");
    ini.setText("[s]\na=\"\"x\"\"\nb=\t'  x  '\t\nc=\"\nd=''\ne=x = y\nf==\ng=\"a\" b \"c\"\n");
    EXPECT_EQ(ini.readValue("s", "a"), "\"x\"");
    EXPECT_EQ(ini.readValue("s", "b"), "  x  ");
    EXPECT_EQ(ini.readValue("s", "c"), "\"");
    EXPECT_EQ(ini.readValue("s", "d"), "");
    EXPECT_EQ(ini.readValue("s", "e"), "x = y"); // the value starts after the first "="
    EXPECT_EQ(ini.readValue("s", "f"), "=");
    EXPECT_EQ(ini.readValue("s", "g"), "a\" b \"c");
}

TEST(IniFile, LongValuesAreCutAt2047)
{
    IniFile ini("unused");
    ini.setText("[s]\nk=" + std::string(100000, 'v') + "\nu=" + std::string(2046, 'a') + "\xc3\xa9" + "\n"
        + "q=\"" + std::string(3000, 'q') + "\"\n");
    EXPECT_EQ(ini.readValue("s", "k")->size(), 2047u);
    EXPECT_EQ(*ini.readValue("s", "u"), std::string(2046, 'a')); // not inside the last character
    EXPECT_EQ(*ini.readValue("s", "q"), std::string(2047, 'q')); // quotes go first, then the cut
}

TEST(IniFile, WritingTouchesOnlyItsLine)
{
    IniFile ini("unused");
    const std::string text
        = "# hand-written\r\n[Foreign]\r\nkeep = me\r\n\r\n[Strings]\r\n; note\r\nPATH=/old\r\n"
          "other=1\r\n\r\n[Tail]\r\nx=y\r\n";
    ini.setText(text);
    ini.writeString("strings", "path", "/new");
    ini.writeString("Strings", "added", "v");
    ini.writeString("New", "k", "line\r\nbreak");
    EXPECT_EQ(ini.text(),
        "# hand-written\n[Foreign]\nkeep = me\n\n[Strings]\n; note\npath=/new\nother=1\n"
        "added=v\n\n[Tail]\nx=y\n[New]\nk=linebreak\n");
}

TEST(IniFile, LineEndsAreReadAlikeAndWrittenAsLf)
{
    IniFile ini("unused");
    ini.setText("[a]\r\nk=1\r\r\nm=x\ry\n[b]\nk=2\r");
    EXPECT_EQ(ini.readValue("a", "k"), "1");
    EXPECT_EQ(ini.readValue("a", "m"), "x\ry"); // a CR inside a line is no line end
    EXPECT_EQ(ini.readValue("b", "k"), "2");
    const std::string text = ini.text();
    EXPECT_EQ(text, "[a]\nk=1\nm=x\ry\n[b]\nk=2\n");
    ini.setText(text);
    EXPECT_EQ(ini.text(), text);
}

TEST(IniFile, LinesWithoutEqualsAndCommentsThatLookLikeKeysStay)
{
    IniFile ini("unused");
    ini.setText("[Booleans]\nsort\n;sort=0\n# sort=0\n  sort = 1 \nno line end");
    EXPECT_EQ(ini.readValue("Booleans", "sort"), "1");
    ini.writeString("Booleans", "SORT", "0");
    ini.writeString("Booleans", "log", "1");
    EXPECT_EQ(ini.text(), "[Booleans]\nsort\n;sort=0\n# sort=0\nSORT=0\nno line end\nlog=1\n");
}

TEST(IniFile, DuplicateSectionsAndKeysFirstWins)
{
    IniFile ini("unused");
    ini.setText("[a]\nk=1\nk=2\n[A]\nk=3\nonly=later\n");
    EXPECT_EQ(ini.readValue("a", "k"), "1");
    EXPECT_EQ(ini.readValue("a", "only"), std::nullopt); // a later section of the name is never read
    ini.writeString("a", "k", "9");
    ini.writeString("a", "only", "first");
    EXPECT_EQ(ini.text(), "[a]\nk=9\nk=2\nonly=first\n[A]\nk=3\nonly=later\n");
    EXPECT_EQ(ini.readValue("a", "only"), "first");
}

TEST(IniFile, HeaderWithoutBracketTakesItsKeys)
{
    IniFile ini("unused");
    ini.setText("[Booleans\nsort=0\n[ Strings ] trailing\npath=/p\n");
    EXPECT_EQ(ini.readValue("Booleans", "sort"), "0");
    EXPECT_EQ(ini.readValue("Strings", "path"), "/p");
    ini.writeString("Booleans", "log", "1");
    EXPECT_EQ(ini.text(), "[Booleans\nsort=0\nlog=1\n[ Strings ] trailing\npath=/p\n");
}

/// Values that reading would change (blanks at an end, a pair of quotes around them) are
/// written inside quotes; every other value is written as it is.
class IniValueRoundTrip : public ::testing::TestWithParam<std::pair<std::string, std::string>>
{
};

TEST_P(IniValueRoundTrip, ReadsBackWhatWasWritten)
{
    const auto& [value, line] = GetParam();
    IniFile ini("unused");
    ini.writeString("s", "k", value);
    EXPECT_EQ(ini.text(), "[s]\n" + line + "\n");
    IniFile again("unused");
    again.setText(ini.text());
    EXPECT_EQ(again.readValue("s", "k"), value);
}

INSTANTIATE_TEST_SUITE_P(Values, IniValueRoundTrip,
    ::testing::Values(std::pair<std::string, std::string> {"plain", "k=plain"},
        std::pair<std::string, std::string> {"", "k="},
        std::pair<std::string, std::string> {" lead", "k=\" lead\""},
        std::pair<std::string, std::string> {"trail\t", "k=\"trail\t\""},
        std::pair<std::string, std::string> {"   ", "k=\"   \""},
        std::pair<std::string, std::string> {"'x'", "k=\"'x'\""},
        std::pair<std::string, std::string> {"\"x\"", "k=\"\"x\"\""},
        std::pair<std::string, std::string> {"\"", "k=\""},
        std::pair<std::string, std::string> {"'x\"", "k='x\""},
        std::pair<std::string, std::string> {"in side", "k=in side"},
        std::pair<std::string, std::string> {"a=b", "k=a=b"},
        std::pair<std::string, std::string> {"caf\xc3\xa9 \xff", "k=caf\xc3\xa9 \xff"}));

TEST(IniFile, ByteOrderMarkIsKeptAndTheFirstHeaderStillFound)
{
    IniFile ini("unused");
    ini.setText("\xEF\xBB\xBF[Booleans]\r\nsort=0\r\n");
    EXPECT_EQ(ini.readValue("Booleans", "sort"), "0");
    ini.writeString("Booleans", "sort", "1");
    EXPECT_EQ(ini.text(), "\xEF\xBB\xBF[Booleans]\nsort=1\n");
}

TEST(IniFile, MissingFileStartsEmptyAndSaveCreatesIt)
{
    TempTree t;
    IniFile ini(t.at("new.ini"));
    ini.load();
    EXPECT_EQ(ini.text(), "");
    ini.writeString("Integers", "counterStart", "3");
    EXPECT_TRUE(ini.save().ok());
    EXPECT_EQ(t.read("new.ini"), "[Integers]\ncounterStart=3\n");
    EXPECT_EQ(t.list(), std::vector<std::string> {"new.ini"}); // no temporary file left
}

TEST(IniFile, UnwritableOrUnreadableFileIsNeverReplaced)
{
    TempTree t;
    auto saveMessage = [](const std::string& path) {
        IniFile ini(path);
        ini.load();
        ini.writeString("s", "k", "v");
        const Result<void> saved = ini.save();
        return saved.ok() ? std::string("saved") : saved.error().message;
    };
    // The folder does not exist.
    EXPECT_EQ(saveMessage(t.at("no/such.ini")), "Unable to write to " + t.at("no/such.ini"));
    // A folder stands where the file should be.
    t.dir("folder.ini");
    EXPECT_EQ(saveMessage(t.at("folder.ini")), "Unable to write to " + t.at("folder.ini"));
    EXPECT_TRUE(t.list("folder.ini").empty());
    // A link to itself exists but cannot be read: it is not replaced by a file of our own.
    t.symlink("loop.ini", "loop.ini");
    EXPECT_EQ(saveMessage(t.at("loop.ini")), "Unable to write to " + t.at("loop.ini"));
    char target[64] = {};
    ASSERT_GT(::readlink(t.at("loop.ini").c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "loop.ini");
    // A link to a file that is gone: no file is made where the link points.
    t.symlink("gone.ini", "dangling.ini");
    EXPECT_EQ(saveMessage(t.at("dangling.ini")), "Unable to write to " + t.at("dangling.ini"));
    EXPECT_FALSE(t.exists("gone.ini"));
}

TEST(IniFile, BinaryAndHugeInputDoNotBreakIt)
{
    TempTree t;
    std::string junk(20u << 20, '\0');
    for (std::size_t i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>((i * 7919u) % 256u);
    t.file("junk.ini", junk);
    IniFile ini(t.at("junk.ini"));
    ini.load();
    ini.writeString("Booleans", "sort", "1");
    EXPECT_TRUE(ini.save().ok());
    IniFile again(t.at("junk.ini"));
    again.load();
    EXPECT_EQ(again.readValue("Booleans", "sort"), "1");
    // Every byte that was there is still there: only the CRs at line ends went (a run of CRs
    // at the very end counts as a line end too), a final LF was added and the new section
    // follows.
    std::string expected;
    for (std::size_t i = 0; i < junk.size(); ++i) {
        std::size_t j = i;
        while (j < junk.size() && junk[j] == '\r')
            ++j;
        if (j > i && (j == junk.size() || junk[j] == '\n')) {
            i = j - 1; // the CRs before a line end
            continue;
        }
        expected += junk[i];
    }
    if (!expected.ends_with('\n'))
        expected += '\n';
    expected += "[Booleans]\nsort=1\n";
    EXPECT_TRUE(t.read("junk.ini") == expected);
}

} // namespace
