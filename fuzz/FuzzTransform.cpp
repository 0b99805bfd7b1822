// Random job lists applied to random names. Nothing may crash, and a name that is valid UTF-8
// passed through jobs whose strings are valid UTF-8 must come out valid UTF-8: no job ever cuts
// a character in two.
//
// An input whose first byte is 'R' is the regular-expression form: one replace job in regex
// mode whose pattern and replacement are made of regex pieces, applied alone to every name.
// There a match never covers a byte outside a UTF-8 sequence, so those bytes of the name all
// come out, in their order; and a replacement of "$0" gives every name back unchanged.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/jobs/RenameSession.h"
#include "core/jobs/Utf8Chars.h"

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

    /// A text of up to 12 pieces, each chosen by one byte from pieces.
    template <std::size_t N> std::string pieces(const char* const (&from)[N])
    {
        const std::size_t len = byte() % 13;
        std::string s;
        for (std::size_t i = 0; i < len && !empty(); ++i)
            s += from[byte() % N];
        return s;
    }

private:
    const std::uint8_t* m_p;
    const std::uint8_t* m_end;
};

const char* const kPatternPieces[] = {"a", "b", "\xc3\xa9", "\xce\xa3", ".", "*", "+", "?", "*?", "(", ")",
    "(?<n>", "|", "[a-z\xc3\xa9]", "[^a]", "\\w", "\\W", "\\d", "\\s", "\\b", "\\X", "^", "$", "{2}", "{0,3}",
    "(?i)", "(?=", "(?!", "(?<=a)", "\\1", "\\p{L}", "\xff", "\\", " ", "-", "\\."};
const char* const kReplacementPieces[] = {"$0", "$1", "$2", "${1}", "${n}", "$$", "\\U", "\\L", "\\E", "\\u",
    "\\l", "x", "\xc3\x9f", "${1:+a:b}", "${2:-z}", "\\x{3a3}", "\\", "\xff", "$"};

/// The bytes of s that are not part of a UTF-8 sequence, in order.
std::string strayBytes(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = charLen(s, i);
        if (len == 1 && static_cast<unsigned char>(s[i]) >= 0x80)
            out += s[i];
        i += len;
    }
    return out;
}

bool isSubsequence(std::string_view part, std::string_view whole)
{
    std::size_t at = 0;
    for (char c : whole) {
        if (at < part.size() && part[at] == c)
            ++at;
    }
    return at == part.size();
}

void regexForm(Reader& in)
{
    Job job = Job::create(jobReplace);
    job.modifier = replaceRegex;
    job.int1 = in.byte() % 2;
    job.str1 = in.pieces(kPatternPieces);
    const bool identity = in.byte() % 4 == 0;
    job.str2 = identity ? "$0" : in.pieces(kReplacementPieces);
    const bool runs = job.regexError().empty();
    if (job.description().size() > 1000)
        std::abort();
    std::int32_t counter = 0;
    while (!in.empty()) {
        const std::string name = in.text();
        const std::string result = job.apply(name, counter);
        if (!runs && result != name)
            std::abort();
        if (identity && result != name)
            std::abort();
        if (!isSubsequence(strayBytes(name), result))
            std::abort();
        if (isValidUtf8(name) && isValidUtf8(job.str2) && !isValidUtf8(result))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Reader in(data, size);
    if (size > 0 && data[0] == 'R') {
        in.byte();
        regexForm(in);
        return 0;
    }
    RenameSession session;
    session.counterValue = in.int32();
    bool utf8Jobs = true;
    const int jobCount = in.byte() % 8;
    for (int i = 0; i < jobCount; ++i) {
        Job job = Job::create(static_cast<JobType>(in.byte() % 9));
        job.modifier = in.int32();
        job.int1 = in.int32();
        job.int2 = in.int32();
        job.str1 = in.text();
        job.str2 = in.text();
        utf8Jobs = utf8Jobs && isValidUtf8(job.str1) && isValidUtf8(job.str2);
        if (job.description().size() > 1000)
            std::abort();
        session.jobs.push_back(std::move(job));
    }
    while (!in.empty()) {
        const std::string name = in.text();
        const std::int32_t before = session.counterValue;
        const std::string result = session.previewName(name, EntryKind::File);
        if (utf8Jobs && isValidUtf8(name) && !isValidUtf8(result))
            std::abort();
        if (session.jobs.empty() && (result != name || session.counterValue != before))
            std::abort();
    }
    return 0;
}
