// The job list reader and writer on arbitrary bytes.
// - Whatever the reader accepts must survive a save and a load under every encoding: written
//   again, read again and written once more, the bytes must not change.
// - The bytes taken as a job string must read back under every encoding as the writer promises:
//   UTF-8 characters as they are, a byte outside a UTF-8 sequence as the character of its
//   number, control bytes, U+FFFE and U+FFFF dropped.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/joblist/JobListFile.h"
#include "core/jobs/Utf8Chars.h"

using namespace brindle;

namespace
{

constexpr const char* kEncodings[]
    = {"ISO-8859-1", "", "UTF-8", "ISO-8859-7", "EUC-KR", "ISO-2022-JP", "US-ASCII"};

/// The text a job string reads back as.
std::string readBackForm(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = charLen(s, i);
        const auto c = static_cast<unsigned char>(s[i]);
        if (len == 1 && c >= 0x80) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (len == 1) {
            if (c >= 0x20)
                out += static_cast<char>(c);
        } else if (s.substr(i, len) != "\xEF\xBF\xBE" && s.substr(i, len) != "\xEF\xBF\xBF") {
            out.append(s, i, len);
        }
        i += len;
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Result<std::vector<Job>> first = loadJobsFromXmlBytes(bytes, "fuzz.xml");
    if (!first.ok() && first.error().message.empty())
        std::abort(); // a failed load always says why
    if (first.ok()) {
        for (const char* encoding : kEncodings) {
            const std::string written = jobsToXml(first.value(), encoding);
            const Result<std::vector<Job>> second = loadJobsFromXmlBytes(written, "again.xml");
            if (!second.ok() || second.value().size() != first.value().size())
                std::abort();
            if (jobsToXml(second.value(), encoding) != written)
                std::abort();
        }
    }
    // A byte outside UTF-8 reads back as two: half of the longest job string always fits.
    Job job = Job::create(jobInsert);
    job.str1 = std::string(bytes.substr(0, 2048));
    const std::string expected = readBackForm(job.str1);
    for (const char* encoding : kEncodings) {
        const Result<std::vector<Job>> loaded
            = loadJobsFromXmlBytes(jobsToXml(std::vector {job}, encoding), "string.xml");
        if (!loaded.ok() || loaded.value().size() != 1 || loaded.value()[0].str1 != expected)
            std::abort();
    }
    return 0;
}
