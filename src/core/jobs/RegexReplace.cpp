#include "core/jobs/RegexReplace.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <vector>

#include "core/jobs/CaseMapping.h"
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

/// Whether a match ended because the name's budget or one of the library's limits ran out.
bool limitReached(int rc)
{
    return rc == PCRE2_ERROR_CALLOUT || rc == PCRE2_ERROR_MATCHLIMIT || rc == PCRE2_ERROR_DEPTHLIMIT
        || rc == PCRE2_ERROR_HEAPLIMIT || rc == PCRE2_ERROR_JIT_STACKLIMIT;
}

constexpr const char* kTooMuchWork = "the regular expression needs too much work on this name";

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

constexpr std::string_view kWordClassBody = "\\p{L}\\p{N}\\p{Mn}\\p{Pc}";

using Piece = RegexReplace::Piece;

/// Whether the replacement holds a case escape (\U, \L, \u, \l, \E) outside an escaped backslash.
bool hasCaseEscape(std::string_view r)
{
    for (std::size_t i = 0; i + 1 < r.size(); ++i) {
        if (r[i] != '\\')
            continue;
        const char d = r[++i];
        if (d == 'U' || d == 'L' || d == 'u' || d == 'l' || d == 'E')
            return true;
    }
    return false;
}

bool isNameChar(char c, bool first)
{
    return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (!first && c >= '0' && c <= '9');
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void appendCodePoint(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

/// Splits a replacement with case escapes into pieces: text, group references and the escapes.
/// Returns why it cannot, or "" (the replacement has passed PCRE2's own check before).
std::string splitReplacement(const pcre2_code* code, std::string_view r, std::vector<Piece>& pieces)
{
    const auto text = [&pieces]() -> std::string& {
        if (pieces.empty() || pieces.back().kind != Piece::Kind::Text)
            pieces.push_back({});
        return pieces.back().text;
    };
    const auto group = [&](std::string_view ref) -> std::string {
        std::uint32_t number = 0;
        if (!ref.empty() && ref[0] >= '0' && ref[0] <= '9') {
            for (const char c : ref) {
                if (c < '0' || c > '9' || number > 65535)
                    return "invalid group reference ${" + std::string(ref) + "}";
                number = number * 10 + static_cast<std::uint32_t>(c - '0');
            }
        } else {
            const std::string name(ref);
            const int n = pcre2_substring_number_from_name(code, reinterpret_cast<PCRE2_SPTR>(name.c_str()));
            if (n < 0)
                return "unknown group name " + name;
            number = static_cast<std::uint32_t>(n);
        }
        pieces.push_back({Piece::Kind::Group, {}, number});
        return {};
    };
    for (std::size_t i = 0; i < r.size();) {
        const char c = r[i];
        if (c == '\\') {
            if (i + 1 >= r.size())
                return "a backslash ends the replacement";
            const char d = r[i + 1];
            i += 2;
            switch (d) {
            case 'U':
                pieces.push_back({Piece::Kind::Upper, {}, 0});
                continue;
            case 'L':
                pieces.push_back({Piece::Kind::Lower, {}, 0});
                continue;
            case 'E':
                pieces.push_back({Piece::Kind::End, {}, 0});
                continue;
            case 'u':
                pieces.push_back({Piece::Kind::UpperFirst, {}, 0});
                continue;
            case 'l':
                pieces.push_back({Piece::Kind::LowerFirst, {}, 0});
                continue;
            case 'n':
                text() += '\n';
                continue;
            case 't':
                text() += '\t';
                continue;
            case 'r':
                text() += '\r';
                continue;
            case 'a':
                text() += '\a';
                continue;
            case 'f':
                text() += '\f';
                continue;
            case 'e':
                text() += '\x1b';
                continue;
            case 'x': {
                std::uint32_t cp = 0;
                if (i < r.size() && r[i] == '{') {
                    const std::size_t close = r.find('}', i);
                    if (close == std::string_view::npos || close == i + 1)
                        return "invalid \\x{...} in the replacement";
                    for (std::size_t k = i + 1; k < close; ++k) {
                        const int h = hexValue(r[k]);
                        if (h < 0 || cp > 0x10FFFF)
                            return "invalid \\x{...} in the replacement";
                        cp = cp * 16 + static_cast<std::uint32_t>(h);
                    }
                    i = close + 1;
                } else {
                    for (int k = 0; k < 2 && i < r.size() && hexValue(r[i]) >= 0; ++k)
                        cp = cp * 16 + static_cast<std::uint32_t>(hexValue(r[i++]));
                }
                if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                    return "invalid \\x{...} in the replacement";
                appendCodePoint(text(), cp);
                continue;
            }
            default:
                if ((d >= '0' && d <= '9') || isNameChar(d, true))
                    return std::string("\\") + d + " cannot be combined with case escapes in the replacement";
                // Any other character stands for itself, a whole UTF-8 sequence included.
                const std::size_t len = charLen(r, i - 1);
                text().append(r.substr(i - 1, len));
                i += len - 1;
                continue;
            }
        }
        if (c == '$') {
            if (i + 1 >= r.size())
                return "a dollar sign ends the replacement";
            const char d = r[i + 1];
            if (d == '$') {
                text() += '$';
                i += 2;
                continue;
            }
            if (d == '{') {
                const std::size_t close = r.find('}', i + 2);
                if (close == std::string_view::npos)
                    return "missing } in the replacement";
                const std::string_view ref = r.substr(i + 2, close - i - 2);
                if (ref.find(':') != std::string_view::npos)
                    return "${...:...} cannot be combined with case escapes in the replacement";
                if (std::string e = group(ref); !e.empty())
                    return e;
                i = close + 1;
                continue;
            }
            std::size_t end = i + 1;
            if (d >= '0' && d <= '9') {
                while (end < r.size() && r[end] >= '0' && r[end] <= '9')
                    ++end;
            } else {
                while (end < r.size() && isNameChar(r[end], end == i + 1))
                    ++end;
            }
            if (end == i + 1)
                return "invalid $ in the replacement";
            if (std::string e = group(r.substr(i + 1, end - i - 1)); !e.empty())
                return e;
            i = end;
            continue;
        }
        text() += c;
        ++i;
    }
    return {};
}

/// text with its case changed as a case job with every letter changes it: the whole text as one
/// word, a byte outside UTF-8 as itself.
std::string mapped(std::string_view text, CaseChange change)
{
    return unicodeCase(text, change, {});
}

} // namespace

std::string widenWordEscapes(std::string_view pattern)
{
    const std::string wordClass = "[" + std::string(kWordClassBody) + "]";
    const std::string lookBehindWord = "(?<=" + wordClass + ")";
    const std::string lookBehindNot = "(?<!" + wordClass + ")";
    const std::string lookAheadWord = "(?=" + wordClass + ")";
    const std::string lookAheadNot = "(?!" + wordClass + ")";
    std::string out;
    out.reserve(pattern.size() + 16);
    bool inClass = false;
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        if (c == '\\' && i + 1 < pattern.size()) {
            const char d = pattern[i + 1];
            if (d == 'Q') {
                // Quoted text runs to \E (or the end) and is copied as it is.
                const std::size_t end = pattern.find("\\E", i + 2);
                const std::size_t stop = end == std::string_view::npos ? pattern.size() : end + 2;
                out.append(pattern.substr(i, stop - i));
                i = stop;
                continue;
            }
            if (!inClass && d == 'w') {
                out += wordClass;
            } else if (!inClass && d == 'W') {
                out += "[^" + std::string(kWordClassBody) + "]";
            } else if (!inClass && d == 'b') {
                out += "(?:" + lookBehindWord + lookAheadNot + "|" + lookBehindNot + lookAheadWord + ")";
            } else if (!inClass && d == 'B') {
                out += "(?:" + lookBehindWord + lookAheadWord + "|" + lookBehindNot + lookAheadNot + ")";
            } else if (inClass && d == 'w') {
                out += kWordClassBody;
            } else {
                out += c;
                out += d;
            }
            i += 2;
            continue;
        }
        if (!inClass && c == '(' && pattern.substr(i, 3) == "(?#") {
            const std::size_t end = pattern.find(')', i);
            const std::size_t stop = end == std::string_view::npos ? pattern.size() : end + 1;
            out.append(pattern.substr(i, stop - i));
            i = stop;
            continue;
        }
        if (!inClass && c == '[') {
            // A ']' right after "[" or "[^" belongs to the class.
            inClass = true;
            out += c;
            ++i;
            if (i < pattern.size() && pattern[i] == '^')
                out += pattern[i++];
            if (i < pattern.size() && pattern[i] == ']')
                out += pattern[i++];
            continue;
        }
        if (inClass && c == '[' && i + 1 < pattern.size() && pattern[i + 1] == ':') {
            // A POSIX class such as [:alpha:] inside the class.
            const std::size_t end = pattern.find(":]", i + 2);
            if (end != std::string_view::npos) {
                out.append(pattern.substr(i, end + 2 - i));
                i = end + 2;
                continue;
            }
        }
        if (inClass && c == ']')
            inClass = false;
        out += c;
        ++i;
    }
    return out;
}

RegexReplace::RegexReplace(std::string_view pattern, std::string_view replacement, bool matchCase)
    : m_pattern(pattern)
    , m_replacement(replacement)
    , m_matchCase(matchCase)
{
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    // The pattern as given is compiled first, so that an error's offset is one in the user's text.
    m_code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(m_pattern.data()), m_pattern.size(),
        kCompileOptions | (matchCase ? 0u : PCRE2_CASELESS), &errorCode, &errorOffset, nullptr);
    if (!m_code) {
        m_error = errorText(errorCode) + " at offset " + std::to_string(charOffset(m_pattern, errorOffset));
        return;
    }
    if (const std::string widened = widenWordEscapes(m_pattern); widened != m_pattern) {
        pcre2_code* wide = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(widened.data()), widened.size(),
            kCompileOptions | (matchCase ? 0u : PCRE2_CASELESS), &errorCode, &errorOffset, nullptr);
        // Should the rewritten pattern not compile (a construct the rewriting does not know), the
        // pattern as given is used.
        if (wide) {
            pcre2_code_free(m_code);
            m_code = wide;
        }
    }
    m_error = replacementError(m_code, m_replacement);
    if (m_error.empty() && hasCaseEscape(m_replacement)) {
        m_error = splitReplacement(m_code, m_replacement, m_pieces);
        if (!m_error.empty())
            m_error += " of the replacement";
    }
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
    if (!m_pieces.empty())
        return applyWithCase(name, failure);
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
    if (limitReached(rc)) {
        failure = kTooMuchWork;
        return false;
    }
    if (rc <= 0)
        return false;
    name.assign(out.data(), outLength);
    return true;
}

bool RegexReplace::applyWithCase(std::string& name, std::string& failure) const
{
    // One budget for every match of the name, as for a substitution without case escapes.
    t_stepsLeft = kStepBudget;
    ThreadBuffers& buffers = threadBuffers();
    const std::uint32_t pairs = captureCount(m_code) + 1;
    pcre2_match_data* md = buffers.withPairs(pairs);
    if (!md)
        return false;
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(name.data());
    std::string out;
    // The case escapes as perl reads them: \U and \L map what follows until \E or the other one;
    // \u and \l map the first character of the text that follows, after \U or \L mapped it.
    const auto expand = [&](const PCRE2_SIZE* ov, int count) {
        enum class Mode : std::uint8_t { None, Upper, Lower } mode = Mode::None;
        enum class First : std::uint8_t { None, Upper, Lower } first = First::None;
        const auto append = [&](std::string_view text) {
            if (text.empty())
                return;
            std::string piece = mode == Mode::Upper ? mapped(text, CaseChange::Upper)
                : mode == Mode::Lower               ? mapped(text, CaseChange::Lower)
                                                    : std::string(text);
            if (first != First::None && !piece.empty()) {
                const std::size_t len = charLen(piece, 0);
                // Title case for \u, as perl's ucfirst: "ǆ" gives "ǅ", "ß" gives "Ss".
                piece.replace(0, len,
                    mapped(std::string_view(piece).substr(0, len),
                        first == First::Upper ? CaseChange::Normal : CaseChange::Lower));
                first = First::None;
            }
            out += piece;
        };
        for (const Piece& p : m_pieces) {
            switch (p.kind) {
            case Piece::Kind::Text:
                append(p.text);
                break;
            case Piece::Kind::Group:
                if (p.group < static_cast<std::uint32_t>(count) && ov[2 * p.group] != PCRE2_UNSET)
                    append(std::string_view(name).substr(
                        ov[2 * p.group], ov[2 * p.group + 1] - ov[2 * p.group]));
                break;
            case Piece::Kind::Upper:
                mode = Mode::Upper;
                break;
            case Piece::Kind::Lower:
                mode = Mode::Lower;
                break;
            case Piece::Kind::End:
                mode = Mode::None;
                break;
            case Piece::Kind::UpperFirst:
                first = First::Upper;
                break;
            case Piece::Kind::LowerFirst:
                first = First::Lower;
                break;
            }
        }
    };
    std::size_t copied = 0;
    std::size_t at = 0;
    std::uint32_t options = 0;
    bool replaced = false;
    while (at <= name.size()) {
        const int rc
            = pcre2_match(m_code, subject, name.size(), at, options | PCRE2_NO_UTF_CHECK, md, matchContext());
        if (rc == PCRE2_ERROR_NOMATCH) {
            if (options == 0 || at >= name.size())
                break;
            // No non-empty match where an empty one ended: step over one character.
            at += charLen(name, at);
            options = 0;
            continue;
        }
        if (rc < 0) {
            if (limitReached(rc))
                failure = kTooMuchWork;
            return false;
        }
        const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(md);
        if (ov[0] < copied || ov[1] < ov[0])
            return false; // \K moved the start: not a replace this code makes
        out.append(name, copied, ov[0] - copied);
        expand(ov, rc == 0 ? static_cast<int>(pairs) : rc);
        replaced = true;
        copied = ov[1];
        at = ov[1];
        options = ov[0] == ov[1] ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0;
    }
    if (!replaced)
        return false;
    out.append(name, copied);
    name.swap(out);
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
