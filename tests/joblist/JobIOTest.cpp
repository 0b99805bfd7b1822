#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "common/ProcessLimits.h"
#include "common/TempTree.h"
#include "core/joblist/EncodingList.h"
#include "core/joblist/JobListFile.h"
#include "core/joblist/JobXml.h"
#include "core/joblist/XmlText.h"
#include "jobs/JobTestUtil.h"

using namespace brindle;
using brindle::test::makeJob;
using brindle::test::TempTree;

namespace
{

std::string golden(const std::string& name)
{
    std::ifstream in(std::string(BRINDLE_TEST_DATA) + "/joblist/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<Job> exampleJobs()
{
    return {makeJob(jobUpper), makeJob(jobReplace, 0, 0, 0, "R&D", "R and D")};
}

/// A job list file around one job line, with the given declaration.
std::string fileWith(const std::string& declaration, const std::string& body)
{
    return declaration + "\r\n\r\n<brindlewick>\r\n  <jobs>\r\n" + body + "  </jobs>\r\n</brindlewick>\r\n";
}

Result<std::vector<Job>> loadText(const std::string& text)
{
    return loadJobsFromXmlBytes(text, "test.xml");
}

TEST(JobListWriter, ExampleIsExactToTheByte)
{
    EXPECT_EQ(jobsToXml(exampleJobs(), "ISO-8859-1"), golden("example.xml"));
}

TEST(JobListWriter, EmptyListWithoutEncoding)
{
    const std::string bytes = jobsToXml({}, "");
    EXPECT_EQ(bytes, golden("empty-no-encoding.xml"));
    EXPECT_TRUE(bytes.starts_with("<?xml version=\"1.0\" standalone=\"yes\" ?>\r\n"));
}

TEST(JobListWriter, AsXmlKeepsEveryFieldAndEscapes)
{
    const Job job = makeJob(jobCounter, -7, 2147483647, -2147483647 - 1, "a<b>\"c'&\t\r\nd", "\x7f\x80\xff");
    EXPECT_EQ(jobAsXml(job, "> "),
        "> <job type=\"jobCounter\" modifier=\"-7\" int1=\"2147483647\" int2=\"-2147483648\" "
        "str1=\"a&lt;b&gt;&quot;c&apos;&amp;d\" str2=\"\x7f\x80\xff\" />");
}

TEST(JobListWriter, SaveWritesFileAndReplacesOldOne)
{
    TempTree t;
    t.file("jobs.xml", "old contents");
    ASSERT_TRUE(saveJobsToXml(t.at("jobs.xml"), exampleJobs(), "ISO-8859-1").ok());
    EXPECT_EQ(t.read("jobs.xml"), golden("example.xml"));
    EXPECT_EQ(t.list(), std::vector<std::string> {"jobs.xml"}); // no temporary file left
}

TEST(JobListWriter, FailedSaveLeavesOldFileAndNothingElse)
{
    TempTree t;
    t.file("jobs.xml", "old contents");
    // A file size limit makes the write fail half-way, as a full disk would.
    const std::vector<Job> many(500, makeJob(jobInsert, 0, 0, 0, std::string(100, 'x')));
    bool saved = true;
    {
        brindle::test::FileSizeLimit small(4096);
        saved = saveJobsToXml(t.at("jobs.xml"), many, "ISO-8859-1").ok();
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(t.read("jobs.xml"), "old contents");
    EXPECT_EQ(t.list(), std::vector<std::string> {"jobs.xml"});

    EXPECT_FALSE(saveJobsToXml(t.at("missing/jobs.xml"), many, "").ok());
    t.dir("folder");
    EXPECT_FALSE(saveJobsToXml(t.at("folder"), many, "").ok());
}

TEST(JobListReader, ReadsBackWhatWasWritten)
{
    const std::vector<Job> jobs = {
        makeJob(jobLower, 1),
        makeJob(jobInsert, 2, 5, 9, "x", "anchor"),
        makeJob(jobRemove, 4, 3, 6, "&amp;", "<b>"),
        makeJob(jobReplace, 1, 1, 0, "a'b\"c", "&lt;"),
        makeJob(jobCounter, 77, -1, 2147483647, "", ""),
    };
    const Result<std::vector<Job>> loaded = loadText(jobsToXml(jobs, "ISO-8859-1"));
    ASSERT_TRUE(loaded.ok()) << loaded.error().message;
    EXPECT_EQ(loaded.value(), jobs);
    // The literal text "&amp;" is not decoded a second time.
    EXPECT_EQ(loaded.value()[2].str1, "&amp;");
    EXPECT_EQ(loaded.value()[3].str2, "&lt;");
}

// The fields the newer jobs use travel through a file as any other value: every-letter case
// (Int1 1), a regular expression with its replacement, and the position before the extension.
TEST(JobListReader, NewerJobFieldsRoundTripThroughAFile)
{
    const std::vector<Job> jobs = {
        makeJob(jobUpper, 0, 1),
        makeJob(jobNormal, 1, 1),
        makeJob(jobReplace, 1, 0, 0, R"((?<t>\w+) - (\w+)&<>'")", R"(\U${t}\E $$2 \l$2)"),
        makeJob(jobReplace, 1, 1, 0, "é+(?=\\.)", "\\u$0"),
        makeJob(jobInsert, 5, 0, 0, "_v2"),
        makeJob(jobRemove, 5, 2),
        makeJob(jobCounter, 5, 3),
        makeJob(jobTemplate, 6, 0, 0, "{name}-{counter:3}"),
        makeJob(jobTemplate, 3, 0, 0, "{{{name|\"x & y\"}}}", "-"),
    };
    TempTree t;
    ASSERT_TRUE(saveJobsToXml(t.at("new.xml"), jobs, "ISO-8859-1").ok());
    const std::string text = t.read("new.xml");
    EXPECT_NE(text.find(R"(<job type="jobUpper" modifier="0" int1="1" int2="0" str1="" str2="" />)"),
        std::string::npos);
    EXPECT_NE(text.find(R"(<job type="jobInsert" modifier="5" int1="0" int2="0" str1="_v2" str2="" />)"),
        std::string::npos);
    EXPECT_NE(
        text.find(
            R"(<job type="jobTemplate" modifier="6" int1="0" int2="0" str1="{name}-{counter:3}" str2="" />)"),
        std::string::npos);
    const Result<std::vector<Job>> loaded = loadJobsFromXml(t.at("new.xml"));
    ASSERT_TRUE(loaded.ok()) << loaded.error().message;
    ASSERT_EQ(loaded.value(), jobs);
    // The jobs read back rename as the jobs written.
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        std::int32_t a = 3, b = 3;
        EXPECT_EQ(loaded.value()[i].apply("Track - ARTIST é.straße", a),
            jobs[i].apply("Track - ARTIST é.straße", b));
    }
    EXPECT_EQ(loaded.value()[2].description(),
        R"(Replace regex "(?<t>\w+) - (\w+)&<>'"" with "\U${t}\E $$2 \l$2" (ignore case))");
}

TEST(JobListReader, ControlBytesAreDroppedOnSaving)
{
    const Result<std::vector<Job>> loaded
        = loadText(jobsToXml(std::vector {makeJob(jobInsert, 0, 0, 0, "a\tb\r\nc")}, ""));
    ASSERT_TRUE(loaded.ok());
    EXPECT_EQ(loaded.value().at(0).str1, "abc");
}

// Under every label, a job string that is valid UTF-8 reads back exactly; a byte that is not
// part of a UTF-8 sequence is written as the character of the same number and reads back as it.
using EveryLabel = ::testing::TestWithParam<std::string>;

TEST_P(EveryLabel, ValidTextReadsBackExactlyAndStrayBytesAsTheirCharacters)
{
    std::string ascii;
    for (int b = 0x20; b < 0x80; ++b)
        ascii += static_cast<char>(b);
    std::string bytes, asCharacters;
    for (int b = 0x80; b <= 0xFF; ++b) {
        bytes += static_cast<char>(b);
        asCharacters += static_cast<char>(0xC0 | (b >> 6));
        asCharacters += static_cast<char>(0x80 | (b & 0x3F));
    }
    const std::vector<Job> jobs = {
        makeJob(
            jobReplace, 0, 0, 0, ascii, "caf\xc3\xa9 \xce\xb1\xce\xb2 \xe6\x97\xa5\xe6\x9c\xac \xe2\x82\xac"),
        makeJob(
            jobInsert, 0, 0, 0, "\xf0\x9f\x98\x80 \xc2\x85 \xef\xbf\xbd \xed\x9f\xbf", "&#xE9; &amp; plain"),
        makeJob(jobRemove, 0, 0, 0, bytes, "a\xe9z"),
    };
    const Result<std::vector<Job>> loaded = loadText(jobsToXml(jobs, GetParam()));
    ASSERT_TRUE(loaded.ok()) << loaded.error().message;
    ASSERT_EQ(loaded.value().size(), 3u);
    EXPECT_EQ(loaded.value()[0], jobs[0]);
    EXPECT_EQ(loaded.value()[1], jobs[1]);
    EXPECT_EQ(loaded.value()[2].str1, asCharacters);
    EXPECT_EQ(loaded.value()[2].str2, "a\xc3\xa9z");
}

INSTANTIATE_TEST_SUITE_P(JobListReader, EveryLabel,
    ::testing::Values("", "UTF-8", "ISO-8859-1", "ISO-8859-2", "ISO-8859-3", "ISO-8859-4", "ISO-8859-5",
        "ISO-8859-6", "ISO-8859-7", "ISO-8859-8", "ISO-8859-9", "ISO-8859-10", "ISO-2022-JP", "EUC-KR",
        "iso-8859-1", "US-ASCII", "windows-1252"),
    [](const auto& info) {
        std::string n = info.param.empty() ? "none" : info.param;
        for (char& c : n)
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return n;
    });

// Each job string goes into the file in the declared encoding; a character the encoding cannot
// hold is written as a character reference.
TEST(JobListWriter, StringsAreWrittenInTheDeclaredEncoding)
{
    struct Case {
        std::string encoding, str, written;
    };
    const Case cases[] = {
        {"ISO-8859-1", "caf\xc3\xa9 \xe2\x82\xac", "caf\xe9 &#x20AC;"},
        {"ISO-8859-7", "\xce\xb1\xce\xb2", "\xe1\xe2"},
        {"ISO-8859-7", "\xc3\xa9", "&#xE9;"},
        {"UTF-8", "\xe2\x82\xac", "\xe2\x82\xac"},
        {"", "\xe9", "\xc3\xa9"},
        {"ISO-8859-1", "\xe9", "\xe9"},
        {"ISO-8859-7", "\xe9", "&#xE9;"},
        {"US-ASCII", "\xc3\xa9\xf0\x9f\x98\x80", "&#xE9;&#x1F600;"},
        {"EUC-KR", "\xed\x95\x9c", "\xc7\xd1"},
        {"ISO-2022-JP", "\xe6\x97\xa5 \xe2\x82\xac", "\x1b$BF|\x1b(B &#x20AC;"},
        {"ISO-8859-1",
            "a\xef\xbf\xbf"
            "b",
            "ab"},
        {"no-such-encoding", "\xc3\xa9", "&#xE9;"},
    };
    for (const Case& c : cases) {
        const std::string line = jobsToXml(std::vector {makeJob(jobInsert, 0, 0, 0, c.str)}, c.encoding);
        EXPECT_NE(line.find("str1=\"" + c.written + "\" str2"), std::string::npos)
            << c.encoding << ": " << line;
    }
}

// Files written by other programs read as their label says: every value comes out as UTF-8,
// references included.
TEST(JobListReader, DecodesDeclaredEncodings)
{
    struct Case {
        std::string declaration, attr, expected;
    };
    const Case cases[] = {
        {"<?xml version=\"1.0\"?>", "caf\xc3\xa9", "caf\xc3\xa9"},
        {"<?xml version=\"1.0\"?>", "&#233;&#x20AC;", "\xc3\xa9\xe2\x82\xac"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-7\"?>", "\xe1&#946;", "\xce\xb1\xce\xb2"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "&#xE9;", "\xc3\xa9"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "\xe9&#x20AC;", "\xc3\xa9\xe2\x82\xac"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-5\"?>", "\xb6", "\xd0\x96"},
        {"<?xml version=\"1.0\" encoding=\"EUC-KR\"?>", "\xc7\xd1", "\xed\x95\x9c"},
        {"<?xml version=\"1.0\" encoding=\"ISO-2022-JP\"?>", "\x1b$BF|\x1b(B", "\xe6\x97\xa5"},
        // Bytes that do not decode under the label are read as the characters of their numbers.
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "caf\xc3\xa9 \xe9", "caf\xc3\xa9 \xc3\xa9"},
    };
    for (const Case& c : cases) {
        const Result<std::vector<Job>> loaded
            = loadText(fileWith(c.declaration, "    <job type=\"jobInsert\" str1=\"" + c.attr + "\" />\r\n"));
        ASSERT_TRUE(loaded.ok()) << c.declaration << ": " << loaded.error().message;
        ASSERT_EQ(loaded.value().size(), 1u);
        EXPECT_EQ(loaded.value()[0].str1, c.expected) << c.declaration << " " << c.attr;
    }
}

// Earlier versions wrote UTF-8 bytes under the default label "ISO-8859-1": such a file (every
// byte above 0x7F part of a UTF-8 sequence) reads as UTF-8; real one-byte text still reads as
// its label says.
TEST(JobListReader, Utf8WrittenUnderAOneByteLabelByEarlierVersionsReadsAsMeant)
{
    struct Case {
        std::string encoding, attr, expected;
    };
    const Case cases[] = {
        {"ISO-8859-1", "caf\xc3\xa9 \xce\xb1", "caf\xc3\xa9 \xce\xb1"},
        {"windows-1252", "\xe2\x82\xac", "\xe2\x82\xac"},
        {"ISO-8859-1", "caf\xe9", "caf\xc3\xa9"},
        {"ISO-8859-1", "caf\xc3\xa9 \xe9", "caf\xc3\x83\xc2\xa9 \xc3\xa9"},
        {"ISO-8859-7", "\xe1", "\xce\xb1"},
        {"EUC-KR", "\xc7\xd1", "\xed\x95\x9c"},
    };
    for (const Case& c : cases) {
        const Result<std::vector<Job>> loaded
            = loadText(fileWith("<?xml version=\"1.0\" encoding=\"" + c.encoding + "\"?>",
                "    <job type=\"jobInsert\" str1=\"" + c.attr + "\" />\r\n"));
        ASSERT_TRUE(loaded.ok()) << c.encoding << ": " << loaded.error().message;
        ASSERT_EQ(loaded.value().size(), 1u);
        EXPECT_EQ(loaded.value()[0].str1, c.expected) << c.encoding << " " << c.attr;
    }
    // What this version writes is never taken for such a file: text whose Latin-1 bytes would
    // form UTF-8 is written with references and reads back exactly.
    const std::vector<Job> mojibake = {makeJob(jobInsert, 0, 0, 0, "\xc3\x83\xc2\xa9 cafe")};
    const std::string written = jobsToXml(mojibake, "ISO-8859-1");
    EXPECT_NE(written.find("&#xC3;&#xA9; cafe"), std::string::npos) << written;
    const Result<std::vector<Job>> back = loadText(written);
    ASSERT_TRUE(back.ok()) << back.error().message;
    ASSERT_EQ(back.value().size(), 1u);
    EXPECT_EQ(back.value()[0], mojibake[0]);
}

TEST(JobListReader, AttributeRulesAndSkippedJobs)
{
    const std::string body
        = "    <job str2=\"b\" int2=\"7\" extra=\"x\" type=\"JOBUPPER\" modifier=\"-5\" />\r\n"
          "    <job type=\"jobNone\" modifier=\"1\" />\r\n"
          "    <job type=\"jobSideways\" />\r\n"
          "    <job modifier=\"1\" />\r\n"
          "    <job type=\"jobRemove\" modifier=\"abc\" int1=\"2147483648\" int2=\"+3\" />\r\n"
          "    <job type=\"jobInsert\" int1=\" 4\" int2=\"-2147483648\"><job type=\"jobLower\"/></job>\r\n"
          "    text <!-- comment --> <other type=\"jobLower\"/>\r\n";
    const Result<std::vector<Job>> loaded = loadText(fileWith("<?xml version=\"1.0\"?>", body));
    ASSERT_TRUE(loaded.ok()) << loaded.error().message;
    ASSERT_EQ(loaded.value().size(), 3u);
    EXPECT_EQ(loaded.value()[0], makeJob(jobUpper, -5, 0, 7, "", "b"));
    EXPECT_EQ(loaded.value()[1], makeJob(jobRemove, 0, 0, 3));
    EXPECT_EQ(loaded.value()[2], makeJob(jobInsert, 0, 0, -2147483647 - 1));
}

TEST(JobListReader, EveryJobsElementCountsAndOnlyThere)
{
    const std::string text
        = "<brindlewick><job type=\"jobLower\"/>"
          "<jobs><job type=\"jobUpper\"/></jobs><other><jobs><job type=\"jobNormal\"/></jobs></other>"
          "<jobs><job type=\"jobCounter\"/><job type=\"jobLower\"/></jobs></brindlewick>";
    const Result<std::vector<Job>> loaded = loadText(text);
    ASSERT_TRUE(loaded.ok());
    ASSERT_EQ(loaded.value().size(), 3u);
    EXPECT_EQ(loaded.value()[0].jobType, jobUpper);
    EXPECT_EQ(loaded.value()[1].jobType, jobCounter);
    EXPECT_EQ(loaded.value()[2].jobType, jobLower);

    const Result<std::vector<Job>> none = loadText("<brindlewick><other/></brindlewick>");
    EXPECT_TRUE(none.ok());
    EXPECT_TRUE(none.value().empty());
}

TEST(JobListReader, MessagesOfFailedLoads)
{
    struct Case {
        std::string text, message;
    };
    const Case cases[] = {
        {"", "XML Document is Empty. Loading Aborted!"},
        {" \r\n\t ", "XML Document is Empty. Loading Aborted!"},
        {"\xef\xbb\xbf", "XML Document is Empty. Loading Aborted!"},
        {"\xef\xbb\xbf \r\n", "XML Document is Empty. Loading Aborted!"},
        {"\xff\xfe", "XML Document is Empty. Loading Aborted!"},
        {"\xfe\xff", "XML Document is Empty. Loading Aborted!"},
        {"<?xml version=\"1.0\"?>\r\n<!-- nothing -->\r\n", "XML DocumentElement is nil. Loading Aborted!"},
        {"<Brindlewick><jobs/></Brindlewick>", "Root node element is not recognised. Loading aborted!"},
        {"<x:brindlewick xmlns:x=\"urn:x\"/>", "Root node element is not recognised. Loading aborted!"},
        {"<jobs/>", "Root node element is not recognised. Loading aborted!"},
    };
    for (const Case& c : cases) {
        const Result<std::vector<Job>> loaded = loadText(c.text);
        // A failed load holds no jobs at all: only the message.
        ASSERT_FALSE(loaded.ok()) << c.text;
        EXPECT_EQ(loaded.error().message, c.message) << c.text;
    }
    const std::string parserErrors[] = {
        "<brindlewick><jobs>",
        "<brindlewick><jobs></brindlewick>",
        "<?xml version=\"1.0\" encoding=\"NO-SUCH-CHARSET\"?><brindlewick/>",
        std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
        "<brindlewick a=\"1\" a=\"2\"/>",
    };
    for (const std::string& text : parserErrors) {
        const Result<std::vector<Job>> loaded = loadText(text);
        ASSERT_FALSE(loaded.ok());
        EXPECT_TRUE(loaded.error().message.starts_with("XML error: ")) << loaded.error().message;
        EXPECT_GT(loaded.error().message.size(), std::string("XML error: ").size());
    }
}

TEST(JobListReader, MissingFileAndFolder)
{
    TempTree t;
    const Result<std::vector<Job>> missing = loadJobsFromXml(t.at("nope.xml"));
    ASSERT_FALSE(missing.ok());
    EXPECT_TRUE(missing.error().message.starts_with("XML error: ")) << missing.error().message;
    EXPECT_NE(missing.error().message.find(t.at("nope.xml")), std::string::npos);
    const Result<std::vector<Job>> folder = loadJobsFromXml(t.path());
    ASSERT_FALSE(folder.ok());
    EXPECT_TRUE(folder.error().message.starts_with("XML error: "));
}

TEST(JobListReader, HugeAndTruncatedInput)
{
    // A job string no job may have: refused with the file, not read.
    const std::string big(4 * 1024 * 1024, 'q');
    const Result<std::vector<Job>> loaded
        = loadText(jobsToXml(std::vector {makeJob(jobInsert, 0, 0, 0, big)}, "ISO-8859-1"));
    ASSERT_FALSE(loaded.ok());
    EXPECT_EQ(loaded.error().message, "A job string of the job list file is longer than 4096 bytes");

    const std::string full = jobsToXml(exampleJobs(), "ISO-8859-1");
    for (std::size_t cut = 1; cut < full.size(); cut += 7) {
        const Result<std::vector<Job>> part = loadText(full.substr(0, cut));
        ASSERT_FALSE(part.ok()) << cut;
        EXPECT_FALSE(part.error().message.empty());
    }
}

TEST(JobListReader, LoadFailureMessageHasSixLines)
{
    EXPECT_EQ(loadFailureMessage("/x/a b.xml"),
        "Failed to load jobs from file /x/a b.xml\r\n"
        "Please make sure that this is a Brindlewick Job List file or\r\n"
        "set the encoding of the XML file to a different value\r\n"
        "\r\n"
        "WARNING! To set the default encoding for XML files for Brindlewick\r\n"
        "please use the \"Settings->Character Encoding\" menu option");
}

TEST(XmlUtil, EscapeUnescapeAttrAndFirstWord)
{
    EXPECT_EQ(
        xmlEscape(std::string("a&<>'\"\x01\x1f\x20\x7f\x80", 11)), "a&amp;&lt;&gt;&apos;&quot; \x7f\x80");
    EXPECT_EQ(xmlEscape(std::string("\0x", 2)), "x");
    EXPECT_EQ(xmlUnescape("&amp;lt;"), "<");
    EXPECT_EQ(xmlUnescape("&amp;amp;"), "&");
    EXPECT_EQ(xmlUnescape("&amp;amp;amp;gt;x&quot;"), ">x\"");
    EXPECT_EQ(xmlUnescape("&&amp;;&apos"), "&&;&apos");
    EXPECT_EQ(xmlUnescape("&lt;&amp;gt;"), "<>");
    EXPECT_EQ(attributeText("str1", "v"), "str1=\"v\" ");
    EXPECT_EQ(intAttributeText("int1", -3), "int1=\"-3\" ");
    EXPECT_EQ(firstWord("ISO-8859-1 (Latin-1 West European Languages)"), "ISO-8859-1");
    EXPECT_EQ(firstWord("windows-1252 Western"), "windows-1252");
    EXPECT_EQ(firstWord("UTF-8"), "UTF-8");
    EXPECT_EQ(firstWord(" lead"), "");
    EXPECT_EQ(firstWord(""), "");
}

TEST(EncodingList, FirstMatchingItemWins)
{
    EXPECT_EQ(encodingItemIndex("ISO-8859-1"), 0);
    EXPECT_EQ(encodingItemIndex("iso-8859-2"), 1);
    EXPECT_EQ(encodingItemIndex("ISO"), 0);
    EXPECT_EQ(encodingItemIndex("ISO-8859-10"), 9);
    EXPECT_EQ(encodingItemIndex("euc-kr"), 11);
    EXPECT_EQ(encodingItemIndex("UTF-8"), -1);
    EXPECT_EQ(encodingItemIndex(""), -1);
}

} // namespace
