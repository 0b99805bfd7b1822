// New names by hand on the command line: from a list file (tab-separated, CSV, NUL-separated),
// from an editor (a script stands in for the user), files named as arguments or on standard
// input. Every one goes through the folder's plan: clashes fail with their reason, undo gives
// everything back.

#include <sys/stat.h>

#include <fstream>

#include <gtest/gtest.h>

#include "cli/EditSession.h"
#include "cli/CliTestUtil.h"
#include "common/RunProcess.h"
#include "common/TempTree.h"

namespace brindle
{
namespace
{

using test::cli;
using test::ProcessResult;
using test::TempTree;
using Strings = std::vector<std::string>;
using namespace std::string_literals;

/// Files in the folder d, each holding its own name.
void filesInD(TempTree& t, const Strings& names)
{
    for (const std::string& name : names)
        t.file("d/" + name, name);
}

struct ListCase {
    const char* label;
    std::string list;
    Strings extra; ///< options besides --from-list
    friend void PrintTo(const ListCase& c, std::ostream* os) { *os << c.label; }
};

using CliFromList = ::testing::TestWithParam<ListCase>;

// In each form: a swap, a name with a byte outside UTF-8, a name the folder does not hold
// (reported, not fatal), a new name held by a file that stays (fails with its reason).
TEST_P(CliFromList, SwapOddBytesMissingAndHeld)
{
    const ListCase& c = GetParam();
    TempTree t;
    filesInD(t, {"a", "b", "caf\xc3\xa9", "odd\xff", "keep", "x"});
    t.file("names", c.list);
    Strings args = {"-u", "--from-list", t.at("names")};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    args.push_back(t.at("d"));
    const ProcessResult r = cli(args);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("1 name of the list is not there"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("  ghost (line "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Cannot rename keep to x"), std::string::npos) << r.err;
    EXPECT_EQ(
        t.list("d"), (Strings {"_brindlewick_undo.txt", "a", "b", "caf\xc3\xa9 2", "keep", "new\xfe", "x"}));
    EXPECT_EQ(t.read("d/a"), "b");
    EXPECT_EQ(t.read("d/b"), "a");
    EXPECT_EQ(t.read("d/new\xfe"), "odd\xff");

    const ProcessResult u = cli({"--undo", "-q", t.at("d")});
    EXPECT_EQ(u.exitCode, 0) << u.err;
    EXPECT_EQ(t.list("d"), (Strings {"a", "b", "caf\xc3\xa9", "keep", "odd\xff", "x"}));
    EXPECT_EQ(t.read("d/a"), "a");
}

INSTANTIATE_TEST_SUITE_P(Forms, CliFromList,
    ::testing::Values(
        ListCase {"Tab", "a\tb\nb\ta\ncaf\xc3\xa9\tcaf\xc3\xa9 2\nodd\xff\tnew\xfe\nghost\ty\nkeep\tx\n", {}},
        ListCase {"TabCrLf",
            "a\tb\r\nb\ta\r\ncaf\xc3\xa9\tcaf\xc3\xa9 2\r\nodd\xff\tnew\xfe\r\nghost\ty\r\nkeep\tx\r\n", {}},
        ListCase {
            "Csv", "a,b\n\"b\",\"a\"\ncaf\xc3\xa9,caf\xc3\xa9 2\nodd\xff,new\xfe\nghost,y\nkeep,x\n", {}},
        ListCase {
            "Nul", "a\0b\0b\0a\0caf\xc3\xa9\0caf\xc3\xa9 2\0odd\xff\0new\xfe\0ghost\0y\0keep\0x\0"s, {"-0"}}),
    [](const ::testing::TestParamInfo<ListCase>& info) { return info.param.label; });

TEST(CliFromListMore, PathsBelowTheFolderWithRecurseAndJobsForTheRest)
{
    TempTree t;
    t.file("d/top.TXT");
    t.file("d/sub/one.TXT");
    t.file("d/sub/two.TXT");
    // The new name may repeat the old name's folder.
    t.file("names", "sub/one.TXT,sub/First.txt\n./top.TXT,Top.txt\n");
    const ProcessResult r
        = cli({"-q", "--no-undo-file", "-r", "--lower", "--from-list", t.at("names"), t.at("d")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(t.list("d"), (Strings {"Top.txt", "sub"}));
    EXPECT_EQ(t.list("d/sub"), (Strings {"First.txt", "two.txt"}));

    // Without -r a path is not looked for below the folder.
    t.file("names2", "sub/two.txt\tno\n");
    const ProcessResult flat = cli({"-q", "--no-undo-file", "--from-list", t.at("names2"), t.at("d")});
    EXPECT_NE(flat.err.find("paths below the folder need --recurse"), std::string::npos) << flat.err;
    EXPECT_EQ(t.list("d/sub"), (Strings {"First.txt", "two.txt"}));

    // A list that cannot be read is refused before anything is renamed.
    t.file("bad", "a\tb\nno tab here\n");
    const ProcessResult bad = cli({"--from-list", t.at("bad"), t.at("d")});
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(
        bad.err, "brindlewick-cli: " + t.at("bad") + ": line 2: no tab between the old and the new name\n");
}

/// An editor script: each round runs the next sed program on the file, after keeping a copy of
/// what it was shown as shown.N.
std::string editorScript(TempTree& t, const Strings& rounds)
{
    std::string script = "#!/bin/sh\nd=" + t.path()
        + "\nn=$(cat \"$d/round\" 2>/dev/null || echo 0)\n"
          "cp \"$1\" \"$d/shown.$n\"\necho $((n + 1)) > \"$d/round\"\ncase $n in\n";
    for (std::size_t i = 0; i < rounds.size(); ++i)
        script += std::to_string(i) + ") " + rounds[i] + " ;;\n";
    script += "*) exit 3 ;;\nesac\n";
    t.file("editor.sh", script);
    ::chmod(t.at("editor.sh").c_str(), 0755);
    return t.at("editor.sh");
}

/// --edit on the folder d with options, the editor (in VISUAL) running rounds from round 0.
ProcessResult edit(TempTree& t, Strings options, const Strings& rounds)
{
    ::unlink(t.at("round").c_str());
    options.insert(options.end(), {"--edit", t.at("d")});
    return cli(options, {}, {"VISUAL=" + editorScript(t, rounds)});
}

TEST(CliEdit, ASwapTypedInTheEditor)
{
    TempTree t;
    t.file("d/a.txt", "a");
    t.file("d/b.txt", "b");
    t.file("d/c.txt", "c");
    const std::string editor = editorScript(t, {"sed -i 's/^a.txt$/b.txt/; t; s/^b.txt$/a.txt/' \"$1\""});
    const ProcessResult r = cli({"-u", "-q", "--edit", t.at("d")}, {}, {"VISUAL=", "EDITOR=" + editor});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(t.read("d/a.txt"), "b");
    EXPECT_EQ(t.read("d/b.txt"), "a");
    EXPECT_EQ(t.read("d/c.txt"), "c");
    EXPECT_EQ(t.read("round"), "1\n");
    const std::string shown = t.read("shown.0");
    EXPECT_NE(shown.find("\na.txt\nb.txt\nc.txt\n"), std::string::npos) << shown;
    EXPECT_EQ(cli({"--undo", "-q", t.at("d")}).exitCode, 0);
    EXPECT_EQ(t.read("d/a.txt"), "a");
}

TEST(CliEdit, AClashComesBackWithItsReasonAndTheSecondRoundFixesIt)
{
    TempTree t;
    filesInD(t, {"1.JPG", "2.JPG", "3.JPG"});
    // The jobs propose lower case; the user then gives 2's name to 1, which fails, then fixes it.
    const ProcessResult r = edit(t, {"-q", "--no-undo-file", "--lower"},
        {"sed -i 's/^1.jpg$/2.jpg/' \"$1\"", "sed -i '/^# 2.JPG/{n;s/.*/two.jpg/}' \"$1\""});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(t.read("round"), "2\n");
    const std::string second = t.read("shown.1");
    EXPECT_NE(second.find("# 1 name fails"), std::string::npos) << second;
    EXPECT_NE(second.find("\n2.jpg\n# 2.JPG: also the new name of 1.JPG, which comes first\n2.jpg\n3.jpg\n"),
        std::string::npos)
        << second;
    EXPECT_EQ(t.list("d"), (Strings {"2.jpg", "3.jpg", "two.jpg"}));
    EXPECT_EQ(t.read("d/2.jpg"), "1.JPG");
}

TEST(CliEdit, UnchangedOrEmptiedCancelsAndARemovedLineKeepsItsName)
{
    TempTree t;
    filesInD(t, {"a", "b", "c", "d", "e"});
    const Strings all = {"a", "b", "c", "d", "e"};
    const ProcessResult same = edit(t, {"--no-undo-file"}, {"true"});
    EXPECT_EQ(same.exitCode, 0) << same.err;
    EXPECT_EQ(same.err, "brindlewick-cli: cancelled; nothing renamed\n");
    const ProcessResult emptied = edit(t, {"--no-undo-file"}, {"sed -i '/^[^#]/d' \"$1\""});
    EXPECT_EQ(emptied.err, "brindlewick-cli: cancelled; nothing renamed\n");
    EXPECT_EQ(t.list("d"), all);

    // b removed (it keeps its name, never deleted), d changed.
    const ProcessResult edited = edit(t, {"-q", "--no-undo-file"}, {"sed -i '/^b$/d; s/^d$/D/' \"$1\""});
    EXPECT_EQ(edited.exitCode, 0) << edited.err;
    EXPECT_EQ(t.list("d"), (Strings {"D", "a", "b", "c", "e"}));

    // A line added cannot be matched to an entry: nothing is renamed.
    const ProcessResult added = edit(t, {"-q", "--no-undo-file"}, {"sed -i 's/^a$/X\\nY/' \"$1\""});
    EXPECT_EQ(added.exitCode, 1);
    EXPECT_NE(added.err.find("lines 1 to 2 of the edited names stand where 1 name was"), std::string::npos)
        << added.err;
    EXPECT_EQ(t.list("d"), (Strings {"D", "a", "b", "c", "e"}));
}

TEST(CliEdit, OddNamesAreEscapedAndComeBackByteForByte)
{
    TempTree t;
    filesInD(t, {"#tag", "back\\slash", "bad\xff", "new\nline", "tab\there"});
    const ProcessResult r = edit(t, {"-q", "--no-undo-file"}, {"sed -i '/^# /!s/$/_1/' \"$1\""});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const std::string shown = t.read("shown.0");
    for (const char* line : {"\\#tag", "back\\\\slash", "bad\\xff", "new\\nline", "tab\\there"})
        EXPECT_NE(shown.find(std::string("\n") + line + "\n"), std::string::npos) << line << " in " << shown;
    EXPECT_EQ(t.list("d"), (Strings {"#tag_1", "back\\slash_1", "bad\xff_1", "new\nline_1", "tab\there_1"}));
}

TEST(CliEdit, WithYesWhatGoesThroughIsRenamedAndTheFailureReported)
{
    TempTree t;
    filesInD(t, {"a", "b", "c"});
    const ProcessResult r = edit(t, {"-q", "--no-undo-file", "-y"}, {"sed -i 's/^a$/c/; s/^b$/B/' \"$1\""});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Cannot rename a to c"), std::string::npos) << r.err;
    EXPECT_EQ(t.read("round"), "1\n");
    EXPECT_EQ(t.list("d"), (Strings {"B", "a", "c"}));

    const ProcessResult usage = cli({"--edit", "-r", t.at("d")});
    EXPECT_EQ(usage.exitCode, 2);
}

TEST(CliFiles, OnlyTheFilesGivenAreRenamedAndTheirFoldersStillCount)
{
    TempTree t;
    filesInD(t, {"A.TXT", "a.txt", "B.TXT", "C.TXT"});
    t.file("e/D.TXT");
    // A.TXT's new name is held by a.txt, which is not given and stays.
    const ProcessResult r
        = cli({"-q", "--no-undo-file", "--lower", t.at("d/A.TXT"), t.at("d/C.TXT"), t.at("e/D.TXT")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("Cannot rename A.TXT to a.txt: held by a.txt, which stays"), std::string::npos)
        << r.err;
    EXPECT_EQ(t.list("d"), (Strings {"A.TXT", "B.TXT", "a.txt", "c.txt"}));
    EXPECT_EQ(t.list("e"), (Strings {"d.txt"}));

    // A simulation says the same and changes nothing.
    const ProcessResult sim = cli({"-n", "--upper", t.at("d/c.txt")});
    EXPECT_EQ(sim.exitCode, 0) << sim.err;
    EXPECT_NE(sim.out.find("c.txt -> C.TXT"), std::string::npos) << sim.out;
    EXPECT_EQ(t.list("d"), (Strings {"A.TXT", "B.TXT", "a.txt", "c.txt"}));
}

TEST(CliFiles, NamesOnStandardInputOneALineOrNulSeparated)
{
    TempTree t;
    for (const std::string name : {"X.JPG", "Y.JPG", "two\nLINES.JPG", "Z.JPG"})
        t.file("d/" + name);
    const std::string d = t.at("d") + "/";
    const ProcessResult nul = cli({"-q", "--no-undo-file", "--lower", "--stdin", "-0"},
        d + "X.JPG" + '\0' + d + "two\nLINES.JPG" + '\0');
    EXPECT_EQ(nul.exitCode, 0) << nul.err;
    EXPECT_EQ(t.list("d"), (Strings {"Y.JPG", "Z.JPG", "two\nlines.jpg", "x.jpg"}));
    const ProcessResult lines
        = cli({"-q", "--no-undo-file", "--lower", "--stdin"}, d + "Y.JPG\n\n" + d + "Z.JPG\n");
    EXPECT_EQ(lines.exitCode, 0) << lines.err;
    EXPECT_EQ(t.list("d"), (Strings {"two\nlines.jpg", "x.jpg", "y.jpg", "z.jpg"}));
    // Files without a job have nothing to do.
    EXPECT_EQ(cli({"--stdin"}, d + "x.jpg\n").exitCode, 2);
}

struct MatchCase {
    const char* label;
    Strings written;
    Strings edited;
    std::vector<std::size_t> match; ///< npos: removed; empty: refused
    friend void PrintTo(const MatchCase& c, std::ostream* os) { *os << c.label; }
};

using MatchEditedLinesTest = ::testing::TestWithParam<MatchCase>;

TEST_P(MatchEditedLinesTest, EachWrittenLineToItsEditedLine)
{
    const MatchCase& c = GetParam();
    std::vector<std::size_t> match;
    std::string why;
    const bool ok = matchEditedLines(c.written, c.edited, match, why);
    EXPECT_EQ(ok, !c.match.empty()) << why;
    if (ok)
        EXPECT_EQ(match, c.match);
    else
        EXPECT_FALSE(why.empty());
}

constexpr std::size_t kRemoved = static_cast<std::size_t>(-1);

INSTANTIATE_TEST_SUITE_P(Table, MatchEditedLinesTest,
    ::testing::Values(MatchCase {"SameCountIsLineByLine", {"a", "b", "c"}, {"b", "a", "x"}, {0, 1, 2}},
        MatchCase {"OneRemoved", {"a", "b", "c"}, {"a", "c"}, {0, kRemoved, 1}},
        MatchCase {"ScatteredRemovedAndChanged", {"a", "b", "c", "d", "e"}, {"A", "b", "d"},
            {0, 1, kRemoved, 2, kRemoved}},
        MatchCase {"AllButOneRemoved", {"a", "b", "c"}, {"b"}, {kRemoved, 0, kRemoved}},
        MatchCase {"LineAdded", {"a", "b"}, {"a", "x", "b"}, {}},
        MatchCase {"ChangedAndRemovedInOneStretch", {"a", "b", "c", "d"}, {"a", "x", "d"}, {}}),
    [](const ::testing::TestParamInfo<MatchCase>& info) { return info.param.label; });

} // namespace
} // namespace brindle
