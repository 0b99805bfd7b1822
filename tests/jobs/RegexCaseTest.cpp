// The case escapes of a regular-expression replacement and the word escapes of its pattern,
// against what perl gives for the same substitutions (the table in tests/data/regex, taken
// from perl 5.36 once), and against the case jobs.

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <sstream>

#include "common/TestName.h"
#include "jobs/JobTestUtil.h"
#include "core/jobs/CaseMapping.h"
#include "core/jobs/RegexReplace.h"
#include "core/jobs/RenameSession.h"

using namespace brindle;
using brindle::test::makeJob;
using brindle::test::quoted;

namespace
{

struct PerlRow {
    std::string subject;
    std::string pattern;
    std::string replacement;
    std::string perl;
};

std::vector<PerlRow> perlRows()
{
    std::ifstream in(BRINDLE_TEST_DATA "/regex/perl-case-escapes.tsv");
    std::vector<PerlRow> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        PerlRow row;
        std::getline(fields, row.subject, '\t');
        std::getline(fields, row.pattern, '\t');
        std::getline(fields, row.replacement, '\t');
        std::getline(fields, row.perl, '\t');
        rows.push_back(row);
    }
    return rows;
}

std::string replaced(const std::string& pattern, const std::string& replacement, const std::string& name,
    std::int32_t matchCase = 1)
{
    std::int32_t counter = 0;
    return makeJob(jobReplace, replaceRegex, matchCase, 0, pattern, replacement).apply(name, counter);
}

TEST(RegexCaseEscapes, GiveWhatPerlGives)
{
    const std::vector<PerlRow> rows = perlRows();
    ASSERT_GE(rows.size(), 20u);
    for (const PerlRow& r : rows) {
        EXPECT_EQ(replaced(r.pattern, r.replacement, r.subject), r.perl)
            << "s/" << r.pattern << "/" << r.replacement << "/g on " << quoted(r.subject);
    }
}

TEST(RegexCaseEscapes, AgreeWithTheCaseJobsOnEveryLetter)
{
    // \U and \L over a whole name give what --upper and --lower give, for names of every script.
    for (const std::string name : {"straße", "ǅemal", "ﬁle", "ΟΔΟΣ", "İstanbul", "ıi", "Ǉ ǈ ǉ", "ŉ", "ΐ"}) {
        EXPECT_EQ(replaced("^(.+)$", R"(\U$1)", name), unicodeCase(name, CaseChange::Upper, {})) << name;
        EXPECT_EQ(replaced("^(.+)$", R"(\L$1)", name), unicodeCase(name, CaseChange::Lower, {})) << name;
    }
}

TEST(RegexCaseEscapes, KeepBytesThatAreNotUtf8AndTheRestOfTheName)
{
    EXPECT_EQ(replaced("(b+)", R"(\U$1)",
                  "a\xff"
                  "bb\xfe"),
        "a\xff"
        "BB\xfe");
    EXPECT_EQ(replaced("x", R"(\Uy)", "axbx"), "aYbY");
    // Escaped backslash and dollar stay literal; a case escape after them still works.
    EXPECT_EQ(replaced("(a)", R"(\\\$\u$1)", "a"), R"(\$A)");
}

TEST(RegexCaseEscapes, EmptyMatchesAdvanceAsPcre2Does)
{
    // An empty match at every position, and a non-empty one where it can: as without escapes.
    for (const char* pattern : {"x*", "", "(?=b)", "\\b"}) {
        const std::string plain = replaced(pattern, "-", "abxb");
        EXPECT_EQ(replaced(pattern, R"(\U-)", "abxb"), plain) << pattern;
    }
}

TEST(RegexCaseEscapes, ConditionalGroupsWithCaseEscapesAreRefused)
{
    EXPECT_NE(makeJob(jobReplace, replaceRegex, 1, 0, "(a)", R"(\U${1:-x})").regexError(), "");
    // Without a case escape they are PCRE2's.
    EXPECT_EQ(makeJob(jobReplace, replaceRegex, 1, 0, "(a)?b", "${1:-x}").regexError(), "");
    EXPECT_EQ(replaced("(a)?b", "${1:-x}", "b"), "x");
}

struct WordCase {
    const char* pattern;
    std::string name;
    std::string expected;
    friend std::ostream& operator<<(std::ostream& os, const WordCase& c)
    {
        return os << quoted(c.pattern) << " on " << quoted(c.name);
    }
};

using RegexWordEscapes = ::testing::TestWithParam<WordCase>;

TEST_P(RegexWordEscapes, CoverCombiningMarks)
{
    EXPECT_EQ(replaced(GetParam().pattern, "<$0>", GetParam().name), GetParam().expected);
}

// The decomposed "é" is "e" followed by U+0301.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Table, RegexWordEscapes, ::testing::Values(
    WordCase {R"(^\w+)", "e\xcc\x81" "cole.txt", "<e\xcc\x81" "cole>.txt"},
    WordCase {R"(\W)", "e\xcc\x81t\xc3\xa9-x", "e\xcc\x81t\xc3\xa9<->x"},
    WordCase {R"(\b\w)", "e\xcc\x81t\xc3\xa9 x", "<e>\xcc\x81t\xc3\xa9 <x>"},
    WordCase {R"(\B.)", "ab", "a<b>"},
    WordCase {R"([\w]+)", "e\xcc\x81-e", "<e\xcc\x81>-<e>"},
    WordCase {R"([^\w]+)", "e\xcc\x81-e", "e\xcc\x81<->e"},
    WordCase {"\\w_", "a_b_", "<a_><b_>"},
    // Quoted and escaped text is not rewritten.
    WordCase {R"(\Q\w\E)", "a\\wb", "a<\\w>b"},
    WordCase {R"(\\w)", "a\\wb", "a<\\w>b"},
    WordCase {R"((?#\w)a)", "ba", "b<a>"},
    WordCase {R"([[:alpha:]\w]+)", "ab1", "<ab1>"}));
// clang-format on

TEST(CounterBounds, TheCounterNeverPassesTheLargestValue)
{
    RenameSession session;
    session.jobs = {makeJob(jobCounter, posEnd, 1)};
    session.counterValue = INT32_MAX - 1;
    std::string failure;
    EXPECT_EQ(session.applyJobList("a", &failure), "a2147483646");
    EXPECT_EQ(session.applyJobList("a", &failure), "a2147483647");
    EXPECT_EQ(failure, "");
    // The next name keeps its name, with the reason, and so does every later one.
    EXPECT_EQ(session.applyJobList("a", &failure), "a");
    EXPECT_EQ(failure, "the counter cannot go past 2147483647");
    failure.clear();
    EXPECT_EQ(session.applyJobList("b", &failure), "b");
    EXPECT_NE(failure, "");
    // A list without a counter job is not affected.
    session.jobs = {makeJob(jobInsert, posBegin, 0, 0, "x")};
    EXPECT_EQ(session.applyJobList("b"), "xb");
}

TEST(CounterBounds, TheSmallestValueCountsUp)
{
    RenameSession session;
    session.jobs = {makeJob(jobCounter, posEnd, 12)};
    session.counterValue = INT32_MIN;
    EXPECT_EQ(session.applyJobList("a"), "a-02147483648");
    EXPECT_EQ(session.applyJobList("a"), "a-02147483647");
}

} // namespace
