// The work of one name is bounded whatever the jobs hold: a regular expression has one budget
// for all its matches on a name, and the case-insensitive replace takes time linear in the name.

#include <thread>

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "core/jobs/Job.h"
#include "jobs/JobTestUtil.h"

using namespace brindle;
using brindle::test::makeJob;

namespace
{

std::string applyAll(const std::vector<Job>& jobs, std::string name, JobState& state)
{
    for (const Job& job : jobs)
        job.applyInPlace(name, state);
    return name;
}

TEST(NameBudget, ARegularExpressionThatWouldBacktrackOnEveryCharacterFailsTheName)
{
    // Each of 4,000 matches tries thousands of ways before the plain 'a' matches: under the
    // library's limit one by one, far beyond any name's budget together.
    // The replacement with case escapes matches in its own loop: the same budget holds there.
    for (const char* replacement : {"b", "\\U$0"}) {
        const std::vector<Job> jobs = {makeJob(jobInsert, posBegin, 0, 0, std::string(4000, 'a')),
            makeJob(jobReplace, replaceRegex, 1, 0, "(a|aa){1,18}!|a", replacement)};
        for (int twice = 0; twice < 2; ++twice) {
            JobState state;
            const std::string name = applyAll(jobs, "x.txt", state);
            EXPECT_EQ(state.failure, "the regular expression needs too much work on this name")
                << replacement;
            EXPECT_EQ(name, std::string(4000, 'a') + "x.txt");
        }
    }
}

TEST(NameBudget, EveryThreadStartsANameWithTheWholeBudget)
{
    // A new thread's first name through a replacement with case escapes is replaced like any.
    const Job job = makeJob(jobReplace, replaceRegex, 1, 0, "(\\w+)", "\\U$1");
    std::string first;
    std::thread([&] {
        JobState state;
        first = "abc";
        job.applyInPlace(first, state);
    }).join();
    EXPECT_EQ(first, "ABC");
}

struct BudgetCase {
    const char* label;
    std::string pattern;
    std::string replacement;
    std::string name;
    std::string expected;
    friend void PrintTo(const BudgetCase& c, std::ostream* os) { *os << c.label; }
};

using WithinBudget = ::testing::TestWithParam<BudgetCase>;

TEST_P(WithinBudget, OrdinaryPatternsOnTheLongestNamesStillWork)
{
    const Job job = makeJob(jobReplace, replaceRegex, 1, 0, GetParam().pattern, GetParam().replacement);
    JobState state;
    std::string name = GetParam().name;
    job.applyInPlace(name, state);
    EXPECT_EQ(state.failure, "");
    EXPECT_EQ(name, GetParam().expected);
}

std::string repeat(std::string_view s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

INSTANTIATE_TEST_SUITE_P(NameBudget, WithinBudget,
    ::testing::Values(BudgetCase {"EveryCharacter", ".", "x", std::string(4096, 'a'), std::string(4096, 'x')},
        BudgetCase {"WordsAndNumbers", "(\\w+)-(\\d+)", "$2_$1", repeat("photo-123 ", 400),
            repeat("123_photo ", 400)},
        BudgetCase {"Alternation", "(jpeg|jpg|png|gif)$", "img", std::string(250, 'n') + ".jpeg",
            std::string(250, 'n') + ".img"},
        BudgetCase {"BacktrackingOnAShortName", "^(a+)+b", "x", std::string(20, 'a') + "b", "x"}),
    [](const ::testing::TestParamInfo<BudgetCase>& info) { return info.param.label; });

/// The replace as it is defined: at each position, from the left, the find text compared
/// character by character on simple upper case (ASCII here), then past the match.
std::string naiveReplace(const std::string& name, const std::string& find, const std::string& repl)
{
    const auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    std::string out;
    std::size_t i = 0;
    while (i < name.size()) {
        bool match = name.size() - i >= find.size();
        for (std::size_t k = 0; match && k < find.size(); ++k)
            match = up(name[i + k]) == up(find[k]);
        if (match) {
            out += repl;
            i += find.size();
        } else {
            out += name[i++];
        }
    }
    return out;
}

TEST(NameBudget, CaseInsensitiveReplaceMatchesItsDefinitionOnRandomText)
{
    std::mt19937 rng(20261209);
    const std::string alphabet = "aAbB";
    const auto randomText = [&](std::size_t maxLength) {
        std::string s(std::uniform_int_distribution<std::size_t>(0, maxLength)(rng), ' ');
        for (char& c : s)
            c = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
        return s;
    };
    for (int round = 0; round < 5000; ++round) {
        const std::string name = randomText(24);
        std::string find = randomText(5);
        if (find.empty())
            find = "a";
        const Job job = makeJob(jobReplace, replaceText, 0, 0, find, "<>");
        std::int32_t counter = 0;
        ASSERT_EQ(job.apply(name, counter), name.empty() ? name : naiveReplace(name, find, "<>"))
            << name << " / " << find;
    }
}

struct FoldCase {
    const char* label;
    std::string name;
    std::string find;
    std::string expected;
    friend void PrintTo(const FoldCase& c, std::ostream* os) { *os << c.label; }
};

using CaseInsensitiveReplace = ::testing::TestWithParam<FoldCase>;

TEST_P(CaseInsensitiveReplace, ComparesCharactersOnTheirUpperCase)
{
    const Job job = makeJob(jobReplace, replaceText, 0, 0, GetParam().find, "_");
    std::int32_t counter = 0;
    EXPECT_EQ(job.apply(GetParam().name, counter), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(NameBudget, CaseInsensitiveReplace,
    ::testing::Values(FoldCase {"Overlapping", "aaaa", "AA", "__"}, FoldCase {"Partial", "aab", "AB", "a_"},
        FoldCase {"SelfOverlappingFind", "abababc", "ABABC", "ab_"},
        FoldCase {"Accented", "Caf\xC3\xA9 caf\xC3\x89", "CAF\xC3\xA9", "_ _"},
        FoldCase {"AsciiFindInUtf8Name", "\xC3\xA9t\xC3\xA9-ETE", "ete", "\xC3\xA9t\xC3\xA9-_"},
        FoldCase {"StrayByteOnlyMatchesItself",
            "a\xE9"
            "b\xE9",
            "\xE9"
            "B",
            "a_\xE9"},
        FoldCase {"NoMatch", "abc", "abcd", "abc"}),
    [](const ::testing::TestParamInfo<FoldCase>& info) { return info.param.label; });

} // namespace
