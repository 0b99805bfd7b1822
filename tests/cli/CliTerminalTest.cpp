// brindlewick-cli on a terminal (a pseudo-terminal): the simulation's marks in colour unless
// NO_COLOR says no, and a progress line for a long run that is erased before other output and
// at the end. Elsewhere (pipes) the output has no escape sequences, as the other tests check
// byte for byte.

#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "common/RunProcess.h"
#include "common/TempTree.h"
#include "common/TerminalProcess.h"

namespace brindle
{
namespace
{

using test::ProcessResult;
using test::runOnTerminal;
using test::runProcess;
using test::TempTree;
using test::TerminalResult;
using test::TerminalStep;
using namespace std::chrono_literals;

struct ColourCase {
    const char* name;
    std::vector<std::string> env;
    bool coloured;
    friend void PrintTo(const ColourCase& c, std::ostream* os) { *os << c.name; }
};

using CliColour = ::testing::TestWithParam<ColourCase>;

/// On a terminal the output is the same as through a pipe, but for the colour of each node
/// marked "~" (renamed) or "!" (the real run would fail), from its mark to the end of its line.
TEST_P(CliColour, MarksOnATerminal)
{
    const ColourCase& c = GetParam();
    TempTree t;
    t.file("A.TXT");
    t.file("b.txt");
    t.file("B.TXT");
    t.file("same");
    t.file("Sub/B");
    const std::vector<std::string> args = {BRINDLE_CLI, "-n", "--tree", "-r", "--lower", t.path()};
    const ProcessResult piped = runProcess(args, {}, c.env);
    EXPECT_EQ(piped.out.find('\033'), std::string::npos);
    const TerminalResult r = runOnTerminal(args, {}, c.env);
    EXPECT_EQ(r.exitCode, 1); // the clash

    std::string expected;
    std::istringstream lines(piped.out);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t mark = line.find_first_not_of(' ');
        const char* colour = !c.coloured || mark < 2 ? nullptr
            : line[mark] == '~'                      ? "\033[32m"
            : line[mark] == '!'                      ? "\033[1;31m"
                                                     : nullptr;
        expected += colour ? line.substr(0, mark) + colour + line.substr(mark) + "\033[0m\n" : line + "\n";
    }
    EXPECT_EQ(r.output, expected);
    // The tree has a renamed entry, a clash and an unchanged one at two depths.
    EXPECT_NE(piped.out.find("\n  ~ a.txt\n"), std::string::npos) << piped.out;
    EXPECT_NE(piped.out.find("\n  ! b.txt (was \"B.TXT\"): held by b.txt, which stays\n"), std::string::npos)
        << piped.out;
    EXPECT_NE(piped.out.find("\n    ~ b\n"), std::string::npos) << piped.out;
    EXPECT_NE(piped.out.find("\n  = same\n"), std::string::npos) << piped.out;
}

const ColourCase kColourCases[] = {
    {"Terminal", {"TERM=xterm-256color"}, true},
    {"NoColorEmptyCounts", {"TERM=xterm", "NO_COLOR="}, true},
    {"NoColorSet", {"TERM=xterm", "NO_COLOR=1"}, false},
    {"DumbTerminal", {"TERM=dumb"}, false},
};

INSTANTIATE_TEST_SUITE_P(CliTerminal, CliColour, ::testing::ValuesIn(kColourCases),
    [](const ::testing::TestParamInfo<ColourCase>& info) { return std::string(info.param.name); });

/// A run that takes longer than a second (here it waits for its answers) shows its counts on
/// one line, redrawn at most every tenth of a second and once more with a folder's final
/// counts, erased before each question and before the summary: taken out, the output is what
/// it is without a terminal.
TEST(CliTerminal, ProgressLineForALongRunIsErasedBeforeOtherOutput)
{
    TempTree t;
    for (const char* name : {"a", "b", "c"})
        t.file(std::string("Dir/") + name);
    const std::vector<TerminalStep> answers = {
        {"Rename file \"a\" to \"A\"?\n", 1200ms, "y\n"},
        {"Rename file \"b\" to \"B\"?\n", 150ms, "n\n"},
        {"Rename file \"c\" to \"C\"?\n", 150ms, "y\n"},
    };
    const TerminalResult r
        = runOnTerminal({BRINDLE_CLI, "-i", "--upper", t.at("Dir")}, answers, {"TERM=xterm", "NO_COLOR="});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.stepsMissed, 0u) << r.output;

    // Each showing of the line: a carriage return, the counts, erase to the end of the line;
    // its erasing: a carriage return and erase to the end.
    const std::regex shown("(\r(brindlewick-cli: [^\r\n\033]*)\033\\[K)+\r\033\\[K");
    std::vector<std::string> lines;
    for (std::sregex_iterator it(r.output.begin(), r.output.end(), shown), end; it != end; ++it)
        lines.push_back((*it)[2]);
    ASSERT_FALSE(lines.empty()) << r.output;
    // The questions all come before the first rename; the line then ends on the final counts,
    // against the two renames the answers left (the declined b is not among them).
    for (const std::string& line : lines)
        EXPECT_TRUE(
            std::regex_match(line, std::regex("brindlewick-cli: 1 folder, [0-2] of [02] renamed, 0 failed")))
            << line;
    EXPECT_EQ(lines.back(), "brindlewick-cli: 1 folder, 2 of 2 renamed, 0 failed");
    EXPECT_EQ(std::regex_replace(r.output, shown, ""),
        "Rename file \"a\" to \"A\"?\nRename file \"b\" to \"B\"?\nRename file \"c\" to \"C\"?\n"
        "Renamed 2 files and 0 folders.\n");
    EXPECT_EQ(t.list("Dir"), (std::vector<std::string> {"A", "C", "_brindlewick_undo.txt", "b"}));
}

/// A short run shows no progress line, and --quiet none at all.
TEST(CliTerminal, NoProgressLineForAShortRunOrWhenQuiet)
{
    TempTree t;
    t.file("Dir/a");
    t.file("Dir/b");
    const TerminalResult fast
        = runOnTerminal({BRINDLE_CLI, "--upper", "--name-only", t.at("Dir")}, {}, {"TERM=xterm"});
    EXPECT_EQ(fast.exitCode, 0);
    EXPECT_EQ(fast.output, "Renamed 2 files and 0 folders.\n");

    const std::vector<TerminalStep> answers = {
        {"Rename file \"A\" to \"a\"?\n", 1200ms, "y\n"},
        {"Rename file \"B\" to \"b\"?\n", 150ms, "y\n"},
    };
    const TerminalResult quiet
        = runOnTerminal({BRINDLE_CLI, "-q", "-i", "--lower", t.at("Dir")}, answers, {"TERM=xterm"});
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.stepsMissed, 0u) << quiet.output;
    EXPECT_EQ(quiet.output, "Rename file \"A\" to \"a\"?\nRename file \"B\" to \"b\"?\n");
    EXPECT_EQ(t.list("Dir"), (std::vector<std::string> {"_brindlewick_undo.txt", "a", "b"}));
}

} // namespace
} // namespace brindle
