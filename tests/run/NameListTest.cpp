// Lists of old and new names (tab-separated, CSV, NUL-separated), names as lines of an editor
// with their escapes, and names as JSON.

#include <random>

#include <gtest/gtest.h>

#include "core/base/JsonText.h"
#include "core/run/NameListFile.h"
#include "core/run/NameText.h"

namespace brindle
{
namespace
{

struct ListCase {
    const char* label;
    std::string text;
    NameListFormat format;
    std::vector<std::string> pairs; ///< "old|new@line"; or the error message
    bool fails = false;
    friend void PrintTo(const ListCase& c, std::ostream* os) { *os << c.label; }
};

using NameListTest = ::testing::TestWithParam<ListCase>;

TEST_P(NameListTest, PairsOrTheLineThatFails)
{
    const ListCase& c = GetParam();
    const Result<std::vector<NamePair>> r = parseNameList(c.text, c.format);
    ASSERT_EQ(r.ok(), !c.fails);
    if (!r.ok()) {
        EXPECT_EQ(std::vector<std::string> {r.error().message}, c.pairs);
        return;
    }
    std::vector<std::string> got;
    for (const NamePair& p : r.value())
        got.push_back(p.oldName + "|" + p.newName + "@" + std::to_string(p.line));
    EXPECT_EQ(got, c.pairs);
}

INSTANTIATE_TEST_SUITE_P(Table, NameListTest,
    ::testing::Values(ListCase {"Tsv", "a\tb\nc d\te f\n", NameListFormat::Detect, {"a|b@1", "c d|e f@2"}},
        ListCase {"TsvExportedPlanKeepsTwoColumns", "a\tb\tRenamed\t\nc\tc\tFailed\theld by c\n",
            NameListFormat::Detect, {"a|b@1", "c|c@2"}},
        ListCase {"TsvCrLfAndBlankLines", "a\tb\r\n\r\n\nx\ty\r\n", NameListFormat::Tsv, {"a|b@1", "x|y@4"}},
        ListCase {"TsvOddBytesAsTheyAre", std::string("\xff\x01,\"q\"\t\xc3\xa9\\n\n"), NameListFormat::Tsv,
            {std::string("\xff\x01,\"q\"|\xc3\xa9\\n@1")}},
        ListCase {"TsvLineWithoutTab", "a\tb\nlonely\n", NameListFormat::Tsv,
            {"line 2: no tab between the old and the new name"}, true},
        ListCase {"Csv", "a,b\n\"c,d\",\"say \"\"hi\"\"\"\n", NameListFormat::Detect,
            {"a|b@1", "c,d|say \"hi\"@2"}},
        ListCase {"CsvQuotedLineFeedAndCrLf", "\"two\nlines\",x\r\ny,\"\"\r\n", NameListFormat::Csv,
            {"two\nlines|x@1", "y|@3"}},
        ListCase {"CsvMoreColumnsIgnored", "a,b,c\n", NameListFormat::Csv, {"a|b@1"}},
        ListCase {"CsvOneColumn", "a,b\n\nc\n", NameListFormat::Csv,
            {"line 3: one column where two are needed"}, true},
        ListCase {"CsvUnclosedQuote", "a,b\n\"c,d\n", NameListFormat::Csv,
            {"line 2: a quote that is not closed"}, true},
        ListCase {"Nul", std::string("a\0b\0new\nline\0\xfe\0", 15), NameListFormat::Nul,
            {"a|b@1", "new\nline|\xfe@2"}},
        ListCase {"NulOddCount", std::string("a\0b\0c\0", 6), NameListFormat::Nul,
            {"line 2: an old name without its new name"}, true}),
    [](const ::testing::TestParamInfo<ListCase>& info) { return info.param.label; });

struct EscapeCase {
    std::string name;
    std::string line;
};

using EscapeTest = ::testing::TestWithParam<EscapeCase>;

TEST_P(EscapeTest, WrittenAndReadBack)
{
    EXPECT_EQ(escapeName(GetParam().name), GetParam().line);
    EXPECT_EQ(unescapeLine(GetParam().line), GetParam().name);
    EXPECT_FALSE(isCommentLine(escapeName(GetParam().name)));
}

INSTANTIATE_TEST_SUITE_P(Table, EscapeTest,
    ::testing::Values(EscapeCase {"plain name.txt", "plain name.txt"}, EscapeCase {"a\\b", "a\\\\b"},
        EscapeCase {"two\nlines\tand tab", "two\\nlines\\tand tab"}, EscapeCase {"# notes", "\\# notes"},
        EscapeCase {"#", "\\#"}, EscapeCase {"mid # hash", "mid # hash"},
        EscapeCase {"caf\xc3\xa9 \xe2\x82\xac", "caf\xc3\xa9 \xe2\x82\xac"},
        EscapeCase {"bad\xff\xc3", "bad\\xff\\xc3"},
        EscapeCase {std::string("nul\0cr\r", 7), "nul\\x00cr\\x0d"},
        EscapeCase {"c1\xc2\x85sep\xe2\x80\xa8", "c1\\xc2\\x85sep\\xe2\\x80\\xa8"},
        EscapeCase {"del\x7f", "del\\x7f"}));

TEST(EscapeTest, AnUnknownEscapeKeepsItsBackslash)
{
    EXPECT_EQ(unescapeLine("a\\qb\\x4"), "a\\qb\\x4");
    EXPECT_EQ(unescapeLine("end\\"), "end\\");
    EXPECT_EQ(unescapeLine("\\X41\\x41"), "\\X41A");
}

TEST(EscapeTest, EveryByteStringComesBackAndMakesOneLineWithoutAComment)
{
    std::mt19937 rng(7);
    const std::string alphabet
        = std::string("ab#\\ \n\t\r\x01\x7f\xc3\xa9\xff\xe2\x80\xa8\xc2\x85", 18) + '\0';
    for (int round = 0; round < 5000; ++round) {
        std::string name;
        const int len = static_cast<int>(rng() % 12);
        for (int k = 0; k < len; ++k)
            name += alphabet[rng() % alphabet.size()];
        const std::string line = escapeName(name);
        ASSERT_EQ(unescapeLine(line), name) << line;
        ASSERT_EQ(line.find_first_of(std::string("\n\r\t\0", 4)), std::string::npos) << line;
        ASSERT_FALSE(isCommentLine(line)) << line;
    }
}

TEST(JsonTextTest, StringsEscapedAndNamesOutsideUtf8AsBytes)
{
    std::string out;
    appendJsonString(out, "say \"hi\"\\\n\x01");
    EXPECT_EQ(out, "\"say \\\"hi\\\"\\\\\\n\\u0001\"");
    const std::pair<std::string, std::string> names[] = {
        {"caf\xc3\xa9", "\"caf\xc3\xa9\""},
        {"a\xff", "[97,255]"},
        {"\xed\xa0\x80", "[237,160,128]"}, // a surrogate is no UTF-8
        {"\xc0\xaf", "[192,175]"}, // an overlong form neither
        {"\xf0\x9f\x98\x80", "\"\xf0\x9f\x98\x80\""},
        {"", "\"\""},
    };
    for (const auto& [name, json] : names) {
        out.clear();
        appendJsonName(out, name);
        EXPECT_EQ(out, json);
    }
}

} // namespace
} // namespace brindle
