// A job list file is read only as far as a job list can reach: no document type declaration
// (entities, external subsets), only a regular file opened without waiting, at most 16 MiB,
// bounded elements, attributes and job strings. Each crafted file is refused with its reason.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "common/TempTree.h"
#include "core/joblist/JobListFile.h"
#include "core/jobs/JobStringLimit.h"
#include "jobs/JobTestUtil.h"

using namespace brindle;
using brindle::test::makeJob;
using brindle::test::TempTree;

namespace
{

constexpr std::string_view kJobLine
    = "<job type=\"jobUpper\" modifier=\"0\" int1=\"0\" int2=\"0\" str1=\"\" str2=\"\" />";

std::string listOf(const std::string& body, const std::string& prolog = "<?xml version=\"1.0\"?>\r\n")
{
    return prolog + "<brindlewick><jobs>" + body + "</jobs></brindlewick>\r\n";
}

/// The text as UTF-16, little-endian with its byte order mark (ASCII only).
std::string utf16(std::string_view ascii)
{
    std::string out = "\xFF\xFE";
    for (const char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

std::string loadMessage(std::string_view bytes)
{
    const Result<std::vector<Job>> loaded = loadJobsFromXmlBytes(bytes, "crafted.xml");
    return loaded.ok() ? "loaded " + std::to_string(loaded.value().size()) : loaded.error().message;
}

struct CraftedCase {
    const char* label;
    std::string bytes;
    std::string message;
    friend void PrintTo(const CraftedCase& c, std::ostream* os) { *os << c.label; }
};

using CraftedJobList = ::testing::TestWithParam<CraftedCase>;

TEST_P(CraftedJobList, IsRefusedWithItsReason)
{
    EXPECT_EQ(loadMessage(GetParam().bytes), GetParam().message);
}

const std::string kDoctype(kMsgDoctypeRefused);

/// One entity of 1 KB used many times: each use would be expanded anew.
std::string entityManyTimes()
{
    std::string uses;
    for (int i = 0; i < 2000; ++i)
        uses += "&e;";
    return "<!DOCTYPE brindlewick [<!ENTITY e \"" + std::string(1024, 'x') + "\">]>"
        + listOf("<job type=\"jobInsert\" str1=\"" + uses + "\"/>", "");
}

std::string attributes(std::size_t count)
{
    std::string attrs;
    for (std::size_t i = 0; i < count; ++i)
        attrs += " a" + std::to_string(i) + "=\"\"";
    return "<job type=\"jobUpper\"" + attrs + "/>";
}

std::string jobs(std::size_t count)
{
    std::string body;
    for (std::size_t i = 0; i < count; ++i)
        body += "<job type=\"jobUpper\"/>";
    return body;
}

INSTANTIATE_TEST_SUITE_P(JobListLimits, CraftedJobList,
    ::testing::Values(CraftedCase {"InternalSubsetEntity", entityManyTimes(), kDoctype},
        CraftedCase {"NestedEntities",
            "<!DOCTYPE b [<!ENTITY a \"x\"><!ENTITY b \"&a;&a;&a;&a;\">]>"
                + listOf(std::string(kJobLine), ""),
            kDoctype},
        CraftedCase {"ExternalSubset",
            "<?xml version=\"1.0\"?><!DOCTYPE brindlewick SYSTEM \"/dev/zero\">"
                + listOf(std::string(kJobLine), ""),
            kDoctype},
        CraftedCase {"BareDoctype", "<!DOCTYPE brindlewick>" + listOf(std::string(kJobLine), ""), kDoctype},
        CraftedCase {"DoctypeInUtf16",
            utf16(
                "<?xml version=\"1.0\" encoding=\"UTF-16\"?><!DOCTYPE b [<!ENTITY e \"x\">]><brindlewick/>"),
            kDoctype},
        CraftedCase {"AttributesOverTheLimit", listOf(attributes(kMaxElementAttributes)),
            "An element of the job list file has more than 64 attributes"},
        CraftedCase {"AttributesOverTheLimitInUtf16",
            utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?>"
                + listOf(attributes(kMaxElementAttributes), "")),
            "An element of the job list file has more than 64 attributes"},
        CraftedCase {"ElementsOverTheLimit", listOf(jobs(kMaxJobListElements)),
            "The job list file has more than 50000 elements"},
        CraftedCase {"AttributesOverTheTotal",
            listOf(jobs(1) +
                [] {
                    std::string many;
                    for (std::size_t i = 0; i < kMaxJobListAttributes / 60 + 1; ++i)
                        many += "<x" + std::string(60, ' ') + [] {
                            std::string a;
                            for (int k = 0; k < 60; ++k)
                                a += " a" + std::to_string(k) + "=''";
                            return a;
                        }() + "/>";
                    return many;
                }()),
            "The job list file has more than 400000 attributes"},
        CraftedCase {"JobStringOverTheLimit",
            listOf("<job type=\"jobInsert\" str1=\"" + std::string(4097, 'x') + "\"/>"),
            "A job string of the job list file is longer than 4096 bytes"},
        CraftedCase {"JobStringOverTheLimitThroughReferences",
            listOf("<job type=\"jobInsert\" str2=\"" +
                [] {
                    std::string refs;
                    for (int i = 0; i < 1025; ++i)
                        refs += "&#x1F600;";
                    return refs;
                }()
                + "\"/>"),
            "A job string of the job list file is longer than 4096 bytes"},
        // What is allowed is read: the limits themselves, markup inside comments and CDATA
        // not counted.
        CraftedCase {"AtTheLimits",
            listOf("<job type=\"jobInsert\" str1=\"" + std::string(4096, 'x') + "\"/>"
                + attributes(kMaxElementAttributes - 1) + jobs(kMaxJobListElements - 4)),
            "loaded 49998"},
        // ISO-2022-JP writes '※' as the bytes '"' '(' between its shifts: not markup.
        CraftedCase {"TwoByteRunsOfIso2022",
            jobsToXml(std::vector {makeJob(jobInsert, 0, 0, 0,
                          [] {
                              std::string marks;
                              for (int i = 0; i < 200; ++i)
                                  marks += "\xE2\x80\xBB";
                              return marks;
                          }())},
                "ISO-2022-JP"),
            "loaded 1"},
        CraftedCase {"MarkupInCommentsAndCData",
            listOf("<!-- <a b='' c=''> <!DOCTYPE x> --><job type=\"jobUpper\"/><![CDATA[<x a='' b=''>]]>"),
            "loaded 1"}),
    [](const ::testing::TestParamInfo<CraftedCase>& info) { return info.param.label; });

TEST(JobListLimits, OnlyARegularFileOfAtMost16MiBIsRead)
{
    TempTree t;
    // A FIFO nobody writes to: refused at once, not waited on.
    ASSERT_EQ(::mkfifo(t.at("fifo.xml").c_str(), 0644), 0);
    const Result<std::vector<Job>> fifo = loadJobsFromXml(t.at("fifo.xml"));
    ASSERT_FALSE(fifo.ok());
    EXPECT_EQ(fifo.error().message,
        "XML error: Cannot read \"" + t.at("fifo.xml") + "\": it is not a regular file");
    // A link to an endless device: refused without reading it.
    t.symlink("/dev/zero", "zero.xml");
    const Result<std::vector<Job>> zero = loadJobsFromXml(t.at("zero.xml"));
    ASSERT_FALSE(zero.ok());
    EXPECT_EQ(zero.error().message,
        "XML error: Cannot read \"" + t.at("zero.xml") + "\": it is not a regular file");

    // 16 MiB read (jobs with the longest strings, a comment filling up), one byte more refused
    // unread (sparse).
    const Job longest = makeJob(jobInsert, 0, 0, 0, std::string(kMaxJobStringBytes, 'x'));
    const std::string line = jobsToXml(std::vector {longest}, "UTF-8");
    const std::string jobLine
        = line.substr(line.find("<job "), line.find("/>") + 2 - line.find("<job ")) + "\r\n";
    const std::size_t frame = listOf("<!---->").size();
    const std::size_t count = (kMaxJobListFileBytes - frame) / jobLine.size();
    std::string body;
    for (std::size_t i = 0; i < count; ++i)
        body += jobLine;
    body += "<!--" + std::string(kMaxJobListFileBytes - frame - body.size(), '.') + "-->";
    // More than the parser would look at by its own limits.
    const std::string exact = listOf(body);
    ASSERT_EQ(exact.size(), kMaxJobListFileBytes);
    t.file("exact.xml", exact);
    const Result<std::vector<Job>> atLimit = loadJobsFromXml(t.at("exact.xml"));
    ASSERT_TRUE(atLimit.ok()) << atLimit.error().message;
    EXPECT_EQ(atLimit.value(), std::vector<Job>(count, longest));
    t.file("over.xml", listOf(std::string(kJobLine)));
    ASSERT_EQ(::truncate(t.at("over.xml").c_str(), static_cast<off_t>(kMaxJobListFileBytes) + 1), 0);
    const Result<std::vector<Job>> over = loadJobsFromXml(t.at("over.xml"));
    ASSERT_FALSE(over.ok());
    EXPECT_EQ(over.error().message, kMsgJobListTooLarge);
    t.file("huge.xml");
    ASSERT_EQ(::truncate(t.at("huge.xml").c_str(), off_t {64} << 30), 0);
    const Result<std::vector<Job>> huge = loadJobsFromXml(t.at("huge.xml"));
    ASSERT_FALSE(huge.ok());
    EXPECT_EQ(huge.error().message, kMsgJobListTooLarge);
}

} // namespace
