// Random job lists applied to random names. Nothing may crash, and a name that is valid UTF-8
// passed through jobs whose strings are valid UTF-8 must come out valid UTF-8: no job ever cuts
// a character in two.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "jobs/URenameSession.h"
#include "jobs/zmStringUtil.h"

using namespace brindle;

namespace
{

class Reader
{
public:
    Reader(const std::uint8_t* data, std::size_t size)
        : m_p(data)
        , m_end(data + size)
    {
    }
    bool empty() const { return m_p >= m_end; }
    std::uint8_t byte() { return empty() ? 0 : *m_p++; }
    std::int32_t int32()
    {
        // Mostly small values, sometimes any 32-bit value.
        const std::uint8_t tag = byte();
        if (tag < 200)
            return static_cast<std::int32_t>(tag % 40) - 10;
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = (v << 8) | byte();
        return static_cast<std::int32_t>(v);
    }
    std::string text()
    {
        const std::size_t len = byte() % 24;
        std::string s;
        for (std::size_t i = 0; i < len && !empty(); ++i)
            s += static_cast<char>(byte());
        return s;
    }

private:
    const std::uint8_t* m_p;
    const std::uint8_t* m_end;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Reader in(data, size);
    TRenameSession session;
    session.CounterValue = in.int32();
    bool utf8Jobs = true;
    const int jobCount = in.byte() % 8;
    for (int i = 0; i < jobCount; ++i) {
        TJob job = TJob::Create(static_cast<TJobType>(in.byte() % 9));
        job.Modifier = in.int32();
        job.Int1 = in.int32();
        job.Int2 = in.int32();
        job.Str1 = in.text();
        job.Str2 = in.text();
        utf8Jobs = utf8Jobs && IsValidUtf8(job.Str1) && IsValidUtf8(job.Str2);
        if (job.Description().size() > 1000)
            std::abort();
        session.Jobs.push_back(std::move(job));
    }
    while (!in.empty()) {
        const std::string name = in.text();
        const std::int32_t before = session.CounterValue;
        const std::string result = session.PreviewName(name, TEntryKind::File);
        if (utf8Jobs && IsValidUtf8(name) && !IsValidUtf8(result))
            std::abort();
        if (session.Jobs.empty() && (result != name || session.CounterValue != before))
            std::abort();
    }
    return 0;
}
