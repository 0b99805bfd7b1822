// The job list reader on arbitrary bytes. Whatever it accepts must survive a save and a load:
// written again, read again and written once more, the bytes must not change.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "joblist/UJobIO.h"

using namespace brindle;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const TJobListLoad first = LoadJobsFromXmlBytes(bytes, "fuzz.xml");
    if (!first.ok) {
        if (first.message.empty())
            std::abort(); // a failed load always says why
        return 0;
    }
    for (const char* encoding : {"ISO-8859-1", ""}) {
        const std::string written = JobsToXml(first.jobs, encoding);
        const TJobListLoad second = LoadJobsFromXmlBytes(written, "again.xml");
        if (!second.ok || second.jobs.size() != first.jobs.size())
            std::abort();
        if (JobsToXml(second.jobs, encoding) != written)
            std::abort();
    }
    return 0;
}
