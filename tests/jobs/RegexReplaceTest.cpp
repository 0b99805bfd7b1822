#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "common/TestName.h"
#include "jobs/JobTestUtil.h"
#include "core/jobs/RegexReplace.h"
#include "core/jobs/RenameSession.h"
#include "core/jobs/Utf8Chars.h"

using namespace brindle;
using brindle::test::makeJob;
using brindle::test::quoted;

namespace
{

struct RegexCase {
    const char* pattern;
    const char* replacement;
    std::int32_t matchCase; // Int1
    std::string name;
    std::string expected;
    friend std::ostream& operator<<(std::ostream& os, const RegexCase& c)
    {
        return os << quoted(c.pattern) << " -> " << quoted(c.replacement) << " on " << quoted(c.name);
    }
};

using RegexReplaceTable = ::testing::TestWithParam<RegexCase>;

TEST_P(RegexReplaceTable, GivesTheNewName)
{
    const RegexCase& c = GetParam();
    std::int32_t counter = 0;
    EXPECT_EQ(
        makeJob(jobReplace, replaceRegex, c.matchCase, 0, c.pattern, c.replacement).apply(c.name, counter),
        c.expected);
}

// clang-format off
const RegexCase kRegexCases[] = {
    // The worked examples: swap two parts, capitalise.
    {R"((\w+) - (\w+))", "$2 - $1", 0, "track - artist.mp3", "artist - track.mp3"},
    {R"(^(\w))", R"(\U$1)", 0, "hello world.txt", "Hello world.txt"},
    // The forms of the replacement.
    {R"((\d+))", "<${1}>", 0, "a1b22", "a<1>b<22>"},
    {R"((?<y>\d{4})-(?<m>\d\d))", "${m}.${y}", 0, "2024-06 trip", "06.2024 trip"},
    {"x", "$$", 0, "axb", "a$b"},
    {R"(^(\w+))", R"(\L$1\E-X)", 0, "ABC DEF", "abc-X DEF"},
    {R"((\w+))", R"(\l$1)", 0, "ABC", "aBC"},
    {R"((\w+))", R"(\u$1)", 0, "été", "Été"},
    {R"((\w+))", R"(\U$1)", 0, "café", "CAFÉ"},
    {"(a)|b", "[$1]", 0, "ab", "[a][]"},
    // Case ignored unless Int1 is 1; letters of every script.
    {"a", "x", 0, "BANANA", "BxNxNx"},
    {"a", "x", 1, "BANANA", "BANANA"},
    {"a", "x", 2, "BANANA", "BxNxNx"},
    {"É", "e", 0, "café.txt", "cafe.txt"},
    {R"((\w+))", "[$1]", 0, "café-ΟΔΟΣ", "[café]-[ΟΔΟΣ]"},
    // Every match, left to right, never overlapping; empty matches as in Perl.
    {"aa", "b", 0, "aaa", "ba"},
    {"x*", "-", 0, "abc", "-a-b-c-"},
    {"a*", "-", 0, "baaac", "-b--c-"},
    {"^", "X", 0, "abc", "Xabc"},
    {"$", "!", 0, "abc", "abc!"},
    {R"(\.(?=[^.]*$))", "_", 0, "a.b.c", "a.b_c"},
    // Bytes that are not UTF-8 are never matched, cut or changed.
    {"b", "X", 0, "a\xc3" "b\xff", "a\xc3" "X\xff"},
    {".", "_", 0, "\xff\xc3\xa9\xc3", "\xff_\xc3"},
    {"\xc3\xa9", "e", 0, "\xe9\xc3\xa9", "\xe9" "e"},
    // What does not run leaves the name as it is.
    {"(abc", "x", 0, "abc", "abc"},
    {"a", "$3", 0, "abc", "abc"},
    {"", "x", 0, "abc", "abc"},
    {"^$", "x", 0, "", ""},
    {R"((a+)+$)", "x", 0, std::string(40, 'a') + "!", std::string(40, 'a') + "!"},
    // The new name may outgrow the 255 bytes a file name can have: the run refuses it later.
    {".", "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef", 0, std::string(255, 'a'),
        [] { std::string s; for (int i = 0; i < 255; ++i) s += "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef"; return s; }()},
    {"a", "bb", 0, std::string(250, 'a') + ".txt", std::string(500, 'b') + ".txt"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Cases, RegexReplaceTable, ::testing::ValuesIn(kRegexCases));

/// Random names of ASCII letters, UTF-8 letters of two to four bytes and stray bytes.
std::string randomName(std::mt19937& rng)
{
    static const char* const pieces[] = {"a", "B", "z", " ", "-", ".", "1", "é", "Σ", "€", "😀", "\x80",
        "\xc3", "\xe2\x82", "\xff", "\xed\xa0\x80", "\xf4\x90\x80\x80"};
    std::string name;
    for (std::size_t n = rng() % 16; n > 0; --n)
        name += pieces[rng() % std::size(pieces)];
    return name;
}

// A match never covers a byte outside a UTF-8 sequence and never cuts a character: wrapping
// every match of "." marks each whole character and leaves every stray byte as it was.
TEST(RegexReplaceProperty, MatchesAreWholeCharactersAndStrayBytesStay)
{
    std::mt19937 rng(1515);
    const Job wrap = makeJob(jobReplace, replaceRegex, 1, 0, ".", "<$0>");
    for (int round = 0; round < 3000; ++round) {
        const std::string name = randomName(rng);
        std::string expected;
        for (std::size_t i = 0; i < name.size();) {
            const std::size_t len = charLen(name, i);
            const bool stray = len == 1 && static_cast<unsigned char>(name[i]) >= 0x80;
            expected += stray ? name.substr(i, 1) : "<" + name.substr(i, len) + ">";
            i += len;
        }
        std::int32_t counter = 0;
        ASSERT_EQ(wrap.apply(name, counter), expected) << quoted(name);
    }
}

// Putting back what matched gives the name unchanged, whatever it holds and whatever matches.
TEST(RegexReplaceProperty, ReplacingMatchesByThemselvesChangesNothing)
{
    std::mt19937 rng(1516);
    const char* const patterns[] = {"x*", ".", R"(\w+)", R"(\W)", "(?i)é", R"(\X)", "[^a]*", R"(\b)", "$"};
    for (int round = 0; round < 1000; ++round) {
        const std::string name = randomName(rng);
        for (const char* pattern : patterns) {
            std::int32_t counter = 0;
            ASSERT_EQ(makeJob(jobReplace, replaceRegex, 0, 0, pattern, "$0").apply(name, counter), name)
                << pattern << " on " << quoted(name);
        }
    }
}

struct RegexErrorCase {
    std::string pattern;
    std::string replacement;
    std::string error;
    friend std::ostream& operator<<(std::ostream& os, const RegexErrorCase& c)
    {
        return os << quoted(c.pattern) << " -> " << quoted(c.replacement);
    }
};

using RegexError = ::testing::TestWithParam<RegexErrorCase>;

// The compiler's message with the offset in characters, as the dialog and Go show it.
TEST_P(RegexError, SaysWhyAndWhere)
{
    const RegexErrorCase& c = GetParam();
    EXPECT_EQ(makeJob(jobReplace, replaceRegex, 0, 0, c.pattern, c.replacement).regexError(), c.error);
    EXPECT_EQ(RegexReplace(c.pattern, c.replacement, false).error(), c.error);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, RegexError, ::testing::Values(
    RegexErrorCase{"(abc", "x", "missing closing parenthesis at offset 4"},
    RegexErrorCase{"éé(", "x", "missing closing parenthesis at offset 3"},
    RegexErrorCase{"a\\", "x", "\\ at end of pattern at offset 2"},
    RegexErrorCase{"\\C", "x", "using \\C is disabled by the application at offset 2"},
    RegexErrorCase{"a\xff", "x", "UTF-8 error: illegal byte (0xfe or 0xff) at offset 1"},
    RegexErrorCase{"(a)", "$2", "unknown substring at offset 2 of the replacement"},
    RegexErrorCase{"(?<n>a)", "${m}", "unknown substring at offset 4 of the replacement"},
    RegexErrorCase{"a", "${1", "expected closing curly bracket in replacement string at offset 3 of the replacement"},
    RegexErrorCase{"a", "\\k", "bad escape sequence in replacement string at offset 2 of the replacement"},
    RegexErrorCase{"a", "x\xff", "UTF-8 error: illegal byte (0xfe or 0xff) of the replacement"},
    RegexErrorCase{"(?<n>a)", "${n}$1$0${0}$$", ""},
    RegexErrorCase{"(a)|(b)", "${2:+two:one}", ""}));
// clang-format on

TEST(RegexError, OnlyRegularExpressionJobsWithAPatternHaveOne)
{
    EXPECT_EQ(makeJob(jobReplace, replaceText, 0, 0, "(", "").regexError(), "");
    EXPECT_EQ(makeJob(jobReplace, replaceRegex, 0, 0, "", "$9").regexError(), "");
    EXPECT_EQ(makeJob(jobInsert, replaceRegex, 0, 0, "(", "").regexError(), "");
    EXPECT_EQ(makeJob(jobReplace, 7, 0, 0, "(", "").regexError(), "");
}

TEST(RegexError, TheRunAndThePreviewNameTheFirstJobThatCannotRun)
{
    RenameSession s;
    s.jobs = {makeJob(jobReplace, replaceText, 0, 0, "(", "x"), makeJob(jobUpper),
        makeJob(jobReplace, replaceRegex, 0, 0, "(abc", "x"),
        makeJob(jobReplace, replaceRegex, 0, 0, "[", "")};
    EXPECT_EQ(s.invalidJobMessage(),
        "Invalid regular expression in job 3: missing closing parenthesis at offset 4");
    // The sample preview leaves the name unchanged for that job and applies the others.
    EXPECT_EQ(s.applyJobList("(abc"), "XABC");
    s.jobs.erase(s.jobs.begin() + 2, s.jobs.end());
    EXPECT_EQ(s.invalidJobMessage(), "");
}

// A job compiles its pattern at its first use and keeps it: copies share it, and a change of
// the pattern, the replacement or the case option compiles anew.
TEST(RegexSlot, CompilesOnceAndFollowsChanges)
{
    RegexSlot slot;
    const auto first = slot.get("(a)", "$1", false);
    EXPECT_EQ(slot.get("(a)", "$1", false), first);
    RegexSlot copy(slot);
    EXPECT_EQ(copy.get("(a)", "$1", false), first);
    EXPECT_NE(slot.get("(a)", "$1", true), first);
    EXPECT_NE(slot.get("(a)", "<$1>", true), first);
    EXPECT_NE(slot.get("(b)", "<$1>", true), first);
    // The copy kept what it had.
    EXPECT_EQ(copy.get("(a)", "$1", false), first);

    // A job edited after a name went through it uses the new values.
    Job job = makeJob(jobReplace, replaceRegex, 0, 0, "a", "x");
    std::int32_t counter = 0;
    EXPECT_EQ(job.apply("aA", counter), "xx");
    job.int1 = 1;
    EXPECT_EQ(job.apply("aA", counter), "xA");
    job.str2 = "y";
    EXPECT_EQ(job.apply("aA", counter), "yA");
}

// Threads working on copies of one job list, and on the very same jobs, get the names one
// thread gets.
TEST(RegexSlot, ThreadsGetTheSameNames)
{
    RenameSession session;
    session.jobs = {makeJob(jobReplace, replaceRegex, 0, 0, R"((\w+) - (\w+))", R"(\U$2\E - $1)"),
        makeJob(jobReplace, replaceRegex, 1, 0, R"(\d+)", "<$0>")};
    std::mt19937 rng(7);
    std::vector<std::string> names;
    for (int i = 0; i < 2000; ++i)
        names.push_back("track" + std::to_string(rng() % 1000) + " - artist " + randomName(rng));
    std::vector<std::string> expected;
    for (const std::string& n : names)
        expected.push_back(session.applyJobList(n));

    const std::vector<Job>& shared = session.jobs;
    std::vector<std::vector<std::string>> results(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([&, t] {
            const std::vector<Job> own = shared; // even threads use a copy, odd ones the shared jobs
            const std::vector<Job>& jobs = t % 2 ? shared : own;
            std::int32_t counter = 0;
            for (std::string n : names) {
                for (const Job& job : jobs)
                    job.applyInPlace(n, counter);
                results[t].push_back(n);
            }
        });
    }
    for (std::thread& th : threads)
        th.join();
    for (const auto& r : results)
        EXPECT_EQ(r, expected);
}

} // namespace
