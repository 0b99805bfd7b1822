#include <gtest/gtest.h>

#include <fstream>

#include "cli/CliTestUtil.h"
#include "common/RunProcess.h"
#include "common/TempTree.h"

using brindle::test::cli;
using brindle::test::ProcessResult;
using brindle::test::readFile;
using brindle::test::TempTree;

namespace
{

std::string data(const std::string& name)
{
    return std::string(BRINDLE_TEST_DATA) + "/" + name;
}

TEST(CliJobs, DescribePrintsOneLinePerJob)
{
    const ProcessResult r = cli({"--jobs", data("joblist/seven-jobs.xml"), "--describe"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, readFile(data("joblist/seven-jobs.describe.txt")));
    EXPECT_EQ(r.err, "");
}

TEST(CliJobs, PreviewsContinueTheCounter)
{
    const ProcessResult r = cli({"-j", data("joblist/seven-jobs.xml"), "--counter", "98", "--preview",
        "my_holiday photo.JPEG", "--preview", "x.TXT", "--preview", "README"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "IMG MY HOLIDAY PHOT098.jpeg\nIMG 099.txt\nIMG README\n");
}

TEST(CliJobs, PreviewWithNegativeCounterAndNoJobs)
{
    TempTree t;
    t.file("none.xml", "<brindlewick/>");
    const ProcessResult r = cli({"--jobs", t.at("none.xml"), "--counter=-3", "--preview", "Same.Name"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "Same.Name\n");
}

TEST(CliJobs, WriteJobsGivesTheSameBytes)
{
    TempTree t;
    const ProcessResult r = cli({"--jobs", data("joblist/example.xml"), "--write-jobs", t.at("copy.xml")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(t.read("copy.xml"), readFile(data("joblist/example.xml")));

    const ProcessResult bare
        = cli({"--jobs", data("joblist/example.xml"), "--write-jobs", t.at("bare.xml"), "--encoding", ""});
    EXPECT_EQ(bare.exitCode, 0);
    EXPECT_TRUE(
        t.read("bare.xml").starts_with("<?xml version=\"1.0\" standalone=\"yes\" ?>\r\n\r\n<brindlewick>"));

    const ProcessResult fails
        = cli({"--jobs", data("joblist/example.xml"), "--write-jobs", t.at("no/such/x.xml")});
    EXPECT_EQ(fails.exitCode, 1);
    EXPECT_EQ(fails.err, "brindlewick-cli: Unable to write to " + t.at("no/such/x.xml") + "\n");
}

TEST(CliJobs, EncodingIsAcceptedOnlyWhenAFileWrittenWithItReadsBack)
{
    TempTree t;
    for (const std::string name : {"latin-9x", "UTF8\"", "ucs-2", "IBM037", "UTF-16", "x&y"}) {
        const ProcessResult r = cli(
            {"--jobs", data("joblist/seven-jobs.xml"), "--write-jobs", t.at("out.xml"), "--encoding", name});
        EXPECT_EQ(r.exitCode, 2) << name;
        EXPECT_EQ(r.err,
            "brindlewick-cli: The encoding \"" + name
                + "\" cannot be used for job list files: a file written with it would not read back.\n")
            << name;
        EXPECT_FALSE(std::ifstream(t.at("out.xml")).good()) << name;
    }
    const std::string described = readFile(data("joblist/seven-jobs.describe.txt"));
    for (const std::string name : {"ISO-8859-7", "windows-1252", "", "US-ASCII", "EUC-KR", "iso-2022-jp"}) {
        const ProcessResult r = cli(
            {"--jobs", data("joblist/seven-jobs.xml"), "--write-jobs", t.at("out.xml"), "--encoding", name});
        EXPECT_EQ(r.exitCode, 0) << name << ": " << r.err;
        const ProcessResult again = cli({"--jobs", t.at("out.xml"), "--describe"});
        EXPECT_EQ(again.exitCode, 0) << name << ": " << again.err;
        EXPECT_EQ(again.out, described) << name;
    }
}

TEST(CliJobs, UnreadableJobListPrintsBothMessagesAndExits2)
{
    TempTree t;
    t.file("bad.xml", "<Brindlewick/>");
    const ProcessResult r = cli({"--jobs", t.at("bad.xml"), "--describe"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err,
        "brindlewick-cli: Root node element is not recognised. Loading aborted!\n"
        "brindlewick-cli: Failed to load jobs from file "
            + t.at("bad.xml")
            + "\n"
              "Please make sure that this is a Brindlewick Job List file or\n"
              "set the encoding of the XML file to a different value\n"
              "\n"
              "WARNING! To set the default encoding for XML files for Brindlewick\n"
              "please use the \"Settings->Character Encoding\" menu option\n");

    const ProcessResult missing = cli({"--jobs", t.at("missing.xml"), "--preview", "a"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.starts_with("brindlewick-cli: XML error: ")) << missing.err;
}

TEST(CliJobs, UsageErrorsExit2)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>> {
             {},
             {"--bogus"},
             {"--counter", "12x", "--preview", "a"},
             {"--counter", "2147483648", "--preview", "a"},
             {"--sort", "size", "/tmp"},
             {"--preview"},
             {"--describe", "/tmp"},
             {"--undo"},
             {"a", "b", "--describe"},
             {"--describe=yes"},
             {"-rx", "/tmp"},
             {"-r", "--co=1", "/tmp"},
             {"/tmp", "-m"},
         }) {
        const ProcessResult r = cli(args);
        EXPECT_EQ(r.exitCode, 2) << (args.empty() ? "" : args[0]);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("--help"), std::string::npos);
    }
}

/// The counter is an optional sign and digits, within 32 bits; anything else is bad usage.
TEST(CliJobs, CounterIsAnOptionalSignThenDigits)
{
    TempTree t;
    t.file("counter.xml",
        "<brindlewick><jobs><job type=\"jobCounter\" modifier=\"1\" int1=\"1\" int2=\"0\" str1=\"\" "
        "str2=\"\" /></jobs></brindlewick>");
    for (const auto& [value, preview] : std::vector<std::pair<std::string, std::string>> {
             {"+5", "a5\n"},
             {"007", "a7\n"},
             {"-0", "a0\n"},
             {"2147483647", "a2147483647\n"},
         }) {
        const ProcessResult r = cli({"-j", t.at("counter.xml"), "--counter=" + value, "--preview", "a"});
        EXPECT_EQ(r.exitCode, 0) << value << ": " << r.err;
        EXPECT_EQ(r.out, preview) << value;
    }
    EXPECT_EQ(cli({"-j", t.at("counter.xml"), "-c", "-2147483648", "--preview", "a"}).exitCode, 0);
    for (const std::string value : {"+-5", "-+5", "++5", "--5", "+", "-", "", " 5", "5 ", "0x10", "1e3",
             "5.0", "2147483648", "-2147483649", "99999999999999999999", "5\n"}) {
        const ProcessResult r = cli({"-j", t.at("counter.xml"), "--counter=" + value, "--preview", "a"});
        EXPECT_EQ(r.exitCode, 2) << "'" << value << "' gave " << r.out;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("the counter must be a whole number"), std::string::npos) << r.err;
    }
}

TEST(CliJobs, HelpAndVersion)
{
    const ProcessResult help = cli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("brindlewick-cli [OPTIONS] JOBS FOLDER..."), std::string::npos);
    EXPECT_NE(help.out.find("--write-jobs OUT"), std::string::npos);
    const ProcessResult version = cli({"-V"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_NE(version.out.find("2.02"), std::string::npos);
}

} // namespace
