#include "core/jobs/RegexReplace.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <vector>

#include "core/jobs/Utf8Chars.h"

namespace brindle
{

namespace
{

constexpr std::uint32_t kCompileOptions = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF
    | PCRE2_UCP
    // A callout before every item of the pattern counts the steps of a name's matching.
    | PCRE2_AUTO_CALLOUT
    // \C matches one byte and could cut a character in two.
    | PCRE2_NEVER_BACKSLASH_C;

constexpr std::uint32_t kSubstituteOptions = PCRE2_SUBSTITUTE_GLOBAL | PCRE2_SUBSTITUTE_EXTENDED
    | PCRE2_SUBSTITUTE_UNSET_EMPTY | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH;

/// Backtracking steps one match may take: plenty for a name, and a bound on the time a pattern
/// such as (a+)+$ can spend on one (the name is then left as it is).
constexpr std::uint32_t kMatchLimit = 1'000'000;

std::string errorText(int code)
{
    PCRE2_UCHAR buffer[256];
    const int n = pcre2_get_error_message(code, buffer, sizeof buffer);
    return n > 0 ? std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n))
                 : "error " + std::to_string(code);
}

/// A byte offset of text as the user counts: in characters.
std::size_t charOffset(std::string_view text, std::size_t byteOffset)
{
    return charCount(text.substr(0, std::min(byteOffset, text.size())));
}

/// The steps the name being matched on this thread may still take.
thread_local std::uint32_t t_stepsLeft = 0;

/// Called before every item of the pattern: one step of the name's budget. When none is left,
/// the whole substitution ends with PCRE2_ERROR_CALLOUT.
int countStep(pcre2_callout_block*, void*)
{
    if (t_stepsLeft == 0)
        return PCRE2_ERROR_CALLOUT;
    --t_stepsLeft;
    return 0;
}

pcre2_match_context* matchContext()
{
    static pcre2_match_context* const context = [] {
        pcre2_match_context* c = pcre2_match_context_create(nullptr);
        if (c) {
            pcre2_set_match_limit(c, kMatchLimit);
            pcre2_set_callout(c, &countStep, nullptr);
        }
        return c;
    }();
    return context;
}

/// A match data block and an output buffer for each thread, reused from name to name.
struct ThreadBuffers {
    pcre2_match_data* matchData = nullptr;
    std::uint32_t pairs = 0;
    std::string out;

    ThreadBuffers() = default;
    ThreadBuffers(const ThreadBuffers&) = delete;
    ThreadBuffers& operator=(const ThreadBuffers&) = delete;
    ~ThreadBuffers() { pcre2_match_data_free(matchData); }

    pcre2_match_data* withPairs(std::uint32_t need)
    {
        if (!matchData || pairs < need) {
            pcre2_match_data_free(matchData);
            matchData = pcre2_match_data_create(need, nullptr);
            pairs = matchData ? need : 0;
        }
        return matchData;
    }
};

ThreadBuffers& threadBuffers()
{
    static thread_local ThreadBuffers buffers;
    return buffers;
}

std::uint32_t captureCount(const pcre2_code* code)
{
    std::uint32_t count = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &count);
    return count;
}

/// Why the replacement cannot be used with code, or "" when it can. PCRE2 reads a replacement
/// only when something matches, so it is tried on a stand-in: a pattern with the same groups,
/// numbered and named alike, all of them empty, which matches the empty text. That finds group
/// references the pattern does not have, syntax errors and invalid UTF-8 before any name is seen.
std::string replacementError(const pcre2_code* code, std::string_view replacement)
{
    const std::uint32_t groups = captureCount(code);
    std::vector<std::string> names(groups + 1);
    std::uint32_t nameCount = 0;
    std::uint32_t entrySize = 0;
    PCRE2_SPTR table = nullptr;
    pcre2_pattern_info(code, PCRE2_INFO_NAMECOUNT, &nameCount);
    pcre2_pattern_info(code, PCRE2_INFO_NAMEENTRYSIZE, &entrySize);
    pcre2_pattern_info(code, PCRE2_INFO_NAMETABLE, &table);
    for (std::uint32_t i = 0; i < nameCount && table; ++i) {
        const PCRE2_SPTR entry = table + static_cast<std::size_t>(i) * entrySize;
        const std::uint32_t number = (static_cast<std::uint32_t>(entry[0]) << 8) | entry[1];
        if (number <= groups && names[number].empty())
            names[number] = reinterpret_cast<const char*>(entry + 2);
    }
    std::string standIn;
    for (std::uint32_t g = 1; g <= groups; ++g)
        standIn += names[g].empty() ? "()" : "(?<" + names[g] + ">)";

    int code2 = 0;
    PCRE2_SIZE at = 0;
    pcre2_code* probe = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(standIn.data()), standIn.size(),
        PCRE2_UTF | PCRE2_DUPNAMES, &code2, &at, nullptr);
    if (!probe)
        return {}; // cannot happen for names the pattern compiled with; the run will tell
    pcre2_match_data* md = pcre2_match_data_create(groups + 1, nullptr);
    char out[512];
    PCRE2_SIZE outLength = sizeof out;
    const int rc = pcre2_substitute(probe, reinterpret_cast<PCRE2_SPTR>(""), 0, 0,
        PCRE2_SUBSTITUTE_EXTENDED | PCRE2_SUBSTITUTE_UNSET_EMPTY | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH, md,
        nullptr, reinterpret_cast<PCRE2_SPTR>(replacement.data()), replacement.size(),
        reinterpret_cast<PCRE2_UCHAR*>(out), &outLength);
    pcre2_match_data_free(md);
    pcre2_code_free(probe);
    if (rc >= 0 || rc == PCRE2_ERROR_NOMEMORY)
        return {};
    std::string message = errorText(rc);
    // Syntax errors come with the offset in the replacement where they were found.
    if (outLength != PCRE2_UNSET)
        message += " at offset " + std::to_string(charOffset(replacement, outLength));
    return message + " of the replacement";
}

} // namespace

RegexReplace::RegexReplace(std::string_view pattern, std::string_view replacement, bool matchCase)
    : m_pattern(pattern)
    , m_replacement(replacement)
    , m_matchCase(matchCase)
{
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    m_code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(m_pattern.data()), m_pattern.size(),
        kCompileOptions | (matchCase ? 0u : PCRE2_CASELESS), &errorCode, &errorOffset, nullptr);
    if (!m_code) {
        m_error = errorText(errorCode) + " at offset " + std::to_string(charOffset(m_pattern, errorOffset));
        return;
    }
    m_error = replacementError(m_code, m_replacement);
    if (!m_error.empty()) {
        pcre2_code_free(m_code);
        m_code = nullptr;
        return;
    }
    // Where the library has no JIT for this machine, the interpreter matches instead.
    pcre2_jit_compile(m_code, PCRE2_JIT_COMPLETE);
}

RegexReplace::~RegexReplace()
{
    pcre2_code_free(m_code);
}

bool RegexReplace::isFor(std::string_view pattern, std::string_view replacement, bool matchCase) const
{
    return matchCase == m_matchCase && pattern == m_pattern && replacement == m_replacement;
}

bool RegexReplace::apply(std::string& name) const
{
    std::string failure;
    return apply(name, failure);
}

bool RegexReplace::apply(std::string& name, std::string& failure) const
{
    if (!m_code)
        return false;
    ThreadBuffers& buffers = threadBuffers();
    pcre2_match_data* md = buffers.withPairs(captureCount(m_code) + 1);
    if (!md)
        return false;
    std::string& out = buffers.out;
    if (out.size() < name.size() * 2 + 64)
        out.resize(name.size() * 2 + 64);
    int rc = 0;
    PCRE2_SIZE outLength = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        outLength = out.size();
        // One budget for every match of the name: global substitution matches again after
        // each match, and each of those calls has the library's limits afresh.
        t_stepsLeft = kStepBudget;
        // The replacement was checked for valid UTF-8 when the job was compiled; the name needs
        // no check, as invalid-UTF matching takes any bytes.
        rc = pcre2_substitute(m_code, reinterpret_cast<PCRE2_SPTR>(name.data()), name.size(), 0,
            kSubstituteOptions | PCRE2_NO_UTF_CHECK, md, matchContext(),
            reinterpret_cast<PCRE2_SPTR>(m_replacement.data()), m_replacement.size(),
            reinterpret_cast<PCRE2_UCHAR*>(out.data()), &outLength);
        if (rc != PCRE2_ERROR_NOMEMORY)
            break;
        out.resize(outLength + 1); // the length asked for, and room for the closing zero
    }
    if (rc == PCRE2_ERROR_CALLOUT || rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT
        || rc == PCRE2_ERROR_HEAPLIMIT || rc == PCRE2_ERROR_JIT_STACKLIMIT) {
        failure = "the regular expression needs too much work on this name";
        return false;
    }
    if (rc <= 0)
        return false;
    name.assign(out.data(), outLength);
    return true;
}

RegexSlot::RegexSlot(const RegexSlot& other) noexcept
    : m_compiled(other.m_compiled.load())
{
}

RegexSlot& RegexSlot::operator=(const RegexSlot& other) noexcept
{
    if (this != &other)
        m_compiled.store(other.m_compiled.load());
    return *this;
}

RegexSlot::~RegexSlot() = default;

std::shared_ptr<const RegexReplace> RegexSlot::get(
    std::string_view pattern, std::string_view replacement, bool matchCase) const
{
    std::shared_ptr<const RegexReplace> compiled = m_compiled.load(std::memory_order_acquire);
    if (compiled && compiled->isFor(pattern, replacement, matchCase))
        return compiled;
    compiled = std::make_shared<const RegexReplace>(pattern, replacement, matchCase);
    m_compiled.store(compiled, std::memory_order_release);
    return compiled;
}

} // namespace brindle
