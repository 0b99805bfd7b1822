// The template job on the command line: --template with its positions, --sort taken, and
// --preview of a file.

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "common/RunProcess.h"
#include "common/TempTree.h"

namespace brindle
{
namespace
{

using test::ProcessResult;
using test::runProcess;
using test::TempTree;

std::string bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string sample(const std::string& name)
{
    return bytesOf(std::string(BRINDLE_TEST_DATA) + "/meta/" + name);
}

std::string photoTaken(const std::string& exifDate)
{
    std::string bytes = sample("photo.jpg");
    bytes.replace(bytes.find("2024:07:14 10:22:33"), exifDate.size(), exifDate);
    return bytes;
}

/// The names in a folder, the undo file left out (whether one is written is another matter).
std::vector<std::string> namesIn(const TempTree& tree, const std::string& folder)
{
    std::vector<std::string> names = tree.list(folder);
    std::erase(names, "_brindlewick_undo.txt");
    return names;
}

ProcessResult cli(std::vector<std::string> args)
{
    args.insert(args.begin(), BRINDLE_CLI);
    return runProcess(args);
}

TEST(CliTemplate, PhotosRenamedByDateTakenInShootingOrder)
{
    TempTree tree;
    tree.file("Trip/IMG_0003.JPG", photoTaken("2024:07:14 09:00:00"));
    tree.file("Trip/IMG_0001.JPG", photoTaken("2024:07:14 11:00:00"));
    tree.file("Trip/IMG_0002.JPG", photoTaken("2024:07:13 18:30:00"));
    tree.file("Trip/notes.txt", "text");
    const ProcessResult r = cli({"--template", "Trip-{counter:3} {taken:%Y%m%d_%H%M}", "--lower",
        "--ext-only", "--sort", "taken", "-c", "1", "-m", "*.JPG", tree.at("Trip")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(namesIn(tree, "Trip"),
        (std::vector<std::string> {"Trip-001 20240713_1830.jpg", "Trip-002 20240714_0900.jpg",
            "Trip-003 20240714_1100.jpg", "notes.txt"}));
}

TEST(CliTemplate, AFileWithoutTheValueKeepsItsNameAndTheRunGoesOn)
{
    TempTree tree;
    tree.file("M/song.mp3", sample("song.mp3"));
    tree.file("M/other.mp3", sample("song.flac"));
    tree.file("M/plain.png", sample("plain.png"));
    const ProcessResult r = cli({"--template", "{track:2} {artist} - {album}", tree.at("M")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(namesIn(tree, "M"),
        (std::vector<std::string> {
            "03 The Brindles - Wick Sessions.mp3", "07 Flac Artist - Lossless.mp3", "plain.png"}));
    EXPECT_NE(r.out.find("Renamed 2 files and 0 folders; 1 failed."), std::string::npos) << r.out;
}

TEST(CliTemplate, SimulationShowsTheReason)
{
    TempTree tree;
    tree.file("D/report.pdf", sample("report.pdf"));
    tree.file("D/notes.txt", "x");
    const ProcessResult r = cli({"-n", "--template", "{title} by {author}", tree.at("D")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("report.pdf -> Annual Report: 2024_25 by Ada Brindle.pdf"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("! notes.txt: no title (not a photo, video, audio file or PDF)"), std::string::npos)
        << r.out;
}

struct OptionCase {
    const char* name;
    std::vector<std::string> args;
    int exitCode;
    /// Standard output, or the start of standard error's first line for a refusal.
    std::string expected;
};

class CliTemplateOptions : public ::testing::TestWithParam<OptionCase>
{
};

TEST_P(CliTemplateOptions, PlaceDescribeOrRefuse)
{
    const OptionCase& c = GetParam();
    const ProcessResult r = cli(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
    if (c.exitCode == 0)
        EXPECT_EQ(r.out, c.expected);
    else
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.expected);
}

// clang-format off
const OptionCase kOptions[] = {
    {"InPlaceByDefault", {"--template", "{name}-{counter:2}", "-c", "7", "--preview", "a.b.txt"}, 0, "a.b-07.txt\n"},
    {"AtTheEnd", {"--template", "_{counter}", "--at-end", "--preview", "a.txt"}, 0, "a.txt_0\n"},
    {"BeforeString", {"--template", "{ext}", "--before", "b", "--preview", "ab.c"}, 0, "acb.c\n"},
    {"AfterChar", {"--template", "{counter}", "--after-char", "1", "--preview", "ab"}, 0, "a0b\n"},
    {"Describe", {"--template", "{taken} {counter:3}", "--describe"}, 0, "Template \"{taken} {counter:3}\" in place of the name\n"},
    {"DescribeBeforeExt", {"--template", "{iso}", "--before-ext", "--describe"}, 0, "Template \"{iso}\" before the extension\n"},
    {"BadTemplate", {"--template", "IMG {foo}", "--preview", "a"}, 2, "brindlewick-cli: invalid template in --template \"IMG {foo}\": unknown token {foo} at offset 5"},
    {"EmptyTemplate", {"--template", "", "--preview", "a"}, 2, "brindlewick-cli: --template TEMPLATE must not be empty"},
    {"InPlaceAfterInsert", {"--insert", "x", "--in-place", "--preview", "a"}, 2, "brindlewick-cli: --in-place does not fit the job before it, --insert \"x\": it goes after --template"},
    {"TwoPositions", {"--template", "x", "--at-end", "--in-place", "--preview", "a"}, 2, "brindlewick-cli: --in-place: the job before it, --template \"x\", already has --at-end"},
    {"UnknownSort", {"--sort", "shot", "--lower", "--preview", "a"}, 2, "brindlewick-cli: unknown sort order: shot (name, name-desc, natural, natural-desc, date, date-desc, taken, taken-desc or none)"},
    {"BareNameHasNoDate", {"--template", "{taken}", "--preview", "no-such-file.jpg"}, 1, "brindlewick-cli: no-such-file.jpg: no date taken (no file)"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(CliTemplate, CliTemplateOptions, ::testing::ValuesIn(kOptions),
    [](const ::testing::TestParamInfo<OptionCase>& info) { return std::string(info.param.name); });

TEST(CliTemplate, PreviewOfAFileUsesItsValues)
{
    TempTree tree;
    tree.file("Shots/IMG_1.JPG", sample("photo.jpg"));
    const ProcessResult r = cli({"--template", "{taken:%Y-%m-%d %H.%M.%S.%f} {folder} {make} {model}",
        "--preview", tree.at("Shots/IMG_1.JPG"), "--preview", "IMG_2.JPG"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(
        r.out, tree.at("Shots/") + "2024-07-14 10.22.33.25 Shots Brindle_Optics Wick 1.JPG\nIMG_2.JPG\n");
    EXPECT_EQ(r.err, "brindlewick-cli: IMG_2.JPG: no date taken (no file)\n");
}

TEST(CliTemplate, AJobListFileKeepsTheTemplateJob)
{
    TempTree tree;
    const ProcessResult written = cli(
        {"--template", "{artist|\"Unknown\"} - {title}", "--at-start", "--write-jobs", tree.at("t.xml")});
    ASSERT_EQ(written.exitCode, 0) << written.err;
    EXPECT_NE(
        tree.read("t.xml").find(
            R"(<job type="jobTemplate" modifier="0" int1="0" int2="0" str1="{artist|&quot;Unknown&quot;} - {title}" str2="" />)"),
        std::string::npos)
        << tree.read("t.xml");
    const ProcessResult read = cli({"--jobs", tree.at("t.xml"), "--describe"});
    EXPECT_EQ(read.out, "Template \"{artist|\"Unknown\"} - {title}\" at the beginning\n");
}

TEST(CliTemplate, AnInvalidTemplateInAJobListStopsTheRun)
{
    TempTree tree;
    tree.file("jobs.xml",
        "<?xml version=\"1.0\"?>\n<brindlewick><jobs><job type=\"jobTemplate\" modifier=\"6\" int1=\"0\" "
        "int2=\"0\" "
        "str1=\"{taken\" str2=\"\"/></jobs></brindlewick>\n");
    tree.file("F/a.jpg", sample("photo.jpg"));
    const ProcessResult r = cli({"--jobs", tree.at("jobs.xml"), tree.at("F")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "brindlewick-cli: Invalid template in job 1: a \"{\" without its \"}\" at offset 0\n");
    EXPECT_EQ(tree.list("F"), std::vector<std::string> {"a.jpg"});
}

TEST(CliTemplate, WithoutItsFactsModuleOnlyTheEntriesThatNeedFactsFail)
{
    // A copy of the program in a folder of its own has no module where it looks for one.
    TempTree tree;
    tree.file("bin/brindlewick-cli", bytesOf(BRINDLE_CLI));
    ASSERT_EQ(::chmod(tree.at("bin/brindlewick-cli").c_str(), 0755), 0);
    tree.file("F/a.jpg", sample("photo.jpg"));
    tree.file("F/b.txt", "text");
    const ProcessResult r = runProcess({tree.at("bin/brindlewick-cli"), "--template", "{make|\"none\"}",
        "--upper", "--no-undo-file", tree.at("F")});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("a.jpg"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("file facts cannot be read: " + tree.at("lib/")), std::string::npos) << r.err;
    EXPECT_EQ(tree.list("F"), (std::vector<std::string> {"NONE.TXT", "a.jpg"}));
}

} // namespace
} // namespace brindle
