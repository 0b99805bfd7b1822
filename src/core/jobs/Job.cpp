#include "core/jobs/Job.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <vector>

#include "core/jobs/Utf8Chars.h"
#include "core/jobs/CaseMapping.h"
#include "core/jobs/NameTemplate.h"
#include "core/jobs/NumberText.h"

namespace brindle
{

namespace
{

/// Byte offset where the extension part of a name begins: the last '.', '\' or ':' decides,
/// and only a full stop starts an extension. name.size() when there is none.
std::size_t extensionStart(std::string_view name)
{
    const std::size_t p = name.find_last_of(".\\:");
    return (p != std::string_view::npos && name[p] == '.') ? p : name.size();
}

void convertCase(JobType kind, std::string& s, std::size_t from, std::size_t to)
{
    switch (kind) {
    case jobLower:
        lowerCaseInPlace(s, from, to);
        break;
    case jobUpper:
        upperCaseInPlace(s, from, to);
        break;
    default:
        normalizeCaseInPlace(s, nameSeparators, from, to);
        break;
    }
}

/// The case change of every letter (Int1 1): the part [from, to) of name converted as one text.
void convertEveryLetter(JobType kind, std::string& name, std::size_t from, std::size_t to)
{
    const CaseChange change = kind == jobLower ? CaseChange::Lower
        : kind == jobUpper                     ? CaseChange::Upper
                                               : CaseChange::Normal;
    const std::string part
        = unicodeCase(std::string_view(name).substr(from, to - from), change, nameSeparators);
    name.replace(from, to - from, part);
}

void applyCase(JobType kind, std::int32_t scope, bool everyLetter, std::string& name)
{
    if (everyLetter) {
        // The extension is found before anything changes: a conversion may change lengths.
        const std::size_t ext = extensionStart(name);
        switch (scope) {
        case scopeAll:
            convertEveryLetter(kind, name, 0, name.size());
            break;
        case scopeFilename:
            convertEveryLetter(kind, name, 0, ext);
            break;
        case scopeExtension:
            convertEveryLetter(kind, name, ext, name.size());
            break;
        default:
            break;
        }
        return;
    }
    switch (scope) {
    case scopeAll:
        convertCase(kind, name, 0, name.size());
        break;
    case scopeFilename:
        convertCase(kind, name, 0, extensionStart(name));
        break;
    case scopeExtension:
        convertCase(kind, name, extensionStart(name), name.size());
        break;
    default:
        break;
    }
}

/// Places text into name as an insert job does: at the beginning, the end, after n
/// characters, or before or after the first occurrence of anchor.
void placeText(
    std::string& name, std::int32_t where, std::string_view text, std::int64_t n, std::string_view anchor)
{
    if (text.empty())
        return;
    switch (where) {
    case posBegin:
        name.insert(0, text);
        break;
    case posEnd:
        name.append(text);
        break;
    case posAfterChar:
        name.insert(byteOffsetOfChar(name, n), text);
        break;
    case posBeforeString:
    case posAfterString: {
        const std::size_t p = findWhole(name, anchor);
        if (p == std::string::npos)
            break;
        name.insert(where == posBeforeString ? p : p + anchor.size(), text);
        break;
    }
    case posBeforeExt:
        name.insert(extensionStart(name), text);
        break;
    default:
        break;
    }
}

/// Removes up to m characters just before byte offset p; with fewer before it, all of them.
void eraseBefore(std::string& name, std::size_t p, std::int64_t m)
{
    if (m <= 0)
        return;
    const auto before = static_cast<std::int64_t>(charCount(std::string_view(name).substr(0, p)));
    const std::size_t from = before < m ? 0 : byteOffsetOfChar(name, before - m);
    name.erase(from, p - from);
}

/// Removes count characters starting at byte offset from, stopping at the end of the name.
void eraseChars(std::string& name, std::size_t from, std::int64_t count)
{
    if (count <= 0 || from >= name.size())
        return;
    const std::string_view rest = std::string_view(name).substr(from);
    name.erase(from, byteOffsetOfChar(rest, count));
}

void applyRemove(const Job& job, std::string& name)
{
    const std::int64_t m = job.int1;
    switch (job.modifier) {
    case posBegin:
        eraseChars(name, 0, m);
        break;
    case posEnd:
        if (m > 0) {
            const auto len = static_cast<std::int64_t>(charCount(name));
            name.resize(m >= len ? 0 : byteOffsetOfChar(name, len - m));
        }
        break;
    case posAfterChar: {
        const std::int64_t n = job.int2;
        if (n < 0 || n >= static_cast<std::int64_t>(charCount(name)))
            break;
        eraseChars(name, byteOffsetOfChar(name, n), m);
        break;
    }
    case posBeforeString: {
        const std::size_t p = findWhole(name, job.str1);
        if (p != std::string::npos)
            eraseBefore(name, p, m);
        break;
    }
    case posAfterString: {
        const std::size_t p = findWhole(name, job.str1);
        if (p != std::string::npos)
            eraseChars(name, p + job.str1.size(), m);
        break;
    }
    case posBeforeExt:
        eraseBefore(name, extensionStart(name), m);
        break;
    default:
        break;
    }
}

/// One character of a case-insensitive comparison: its simple upper-case code point, or, for a
/// byte outside any UTF-8 sequence, a value above the code space that matches only that byte.
struct FoldedChar {
    std::uint32_t key;
    std::uint32_t start;
};

void foldChars(std::string_view s, std::vector<FoldedChar>& out)
{
    out.clear();
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = charLen(s, i);
        const auto c0 = static_cast<unsigned char>(s[i]);
        std::uint32_t key;
        if (len == 1 && c0 >= 0x80) {
            key = 0x110000u + c0;
        } else {
            UChar32 cp;
            std::int32_t at = static_cast<std::int32_t>(i);
            U8_NEXT_UNSAFE(reinterpret_cast<const std::uint8_t*>(s.data()), at, cp);
            key = static_cast<std::uint32_t>(u_toupper(cp));
        }
        out.push_back({key, static_cast<std::uint32_t>(i)});
        i += len;
    }
}

inline char asciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}

void replaceIgnoringCase(std::string& name, std::string_view find, std::string_view repl)
{
    std::string out;
    if (isAscii(name) && isAscii(find)) {
        const std::size_t n = name.size();
        const std::size_t m = find.size();
        std::size_t i = 0;
        bool changed = false;
        while (i < n) {
            bool match = n - i >= m;
            for (std::size_t k = 0; match && k < m; ++k)
                match = asciiUpper(name[i + k]) == asciiUpper(find[k]);
            if (match) {
                if (!changed) {
                    out.assign(name, 0, i);
                    changed = true;
                }
                out.append(repl);
                i += m;
            } else {
                if (changed)
                    out.push_back(name[i]);
                ++i;
            }
        }
        if (changed)
            name.swap(out);
        return;
    }
    // Reused between calls: a run passes many names through the same job.
    static thread_local std::vector<FoldedChar> nameChars;
    static thread_local std::vector<FoldedChar> findChars;
    foldChars(name, nameChars);
    foldChars(find, findChars);
    const std::size_t n = nameChars.size();
    const std::size_t m = findChars.size();
    auto startOf = [&](std::size_t k) { return k < n ? nameChars[k].start : name.size(); };
    std::size_t i = 0;
    while (i < n) {
        bool match = n - i >= m;
        for (std::size_t k = 0; match && k < m; ++k)
            match = nameChars[i + k].key == findChars[k].key;
        if (match) {
            out.append(repl);
            i += m;
        } else {
            out.append(name, startOf(i), startOf(i + 1) - startOf(i));
            ++i;
        }
    }
    name.swap(out);
}

void replaceExact(std::string& name, std::string_view find, std::string_view repl)
{
    std::size_t p = findWhole(name, find);
    if (p == std::string::npos)
        return;
    std::string out;
    std::size_t done = 0;
    for (; p != std::string::npos; p = findWhole(name, find, done)) {
        out.append(name, done, p - done);
        out.append(repl);
        done = p + find.size();
    }
    out.append(name, done);
    name.swap(out);
}

void applyReplace(const Job& job, std::string& name, const RegexSlot& regex)
{
    if (job.str1.empty() || name.empty())
        return;
    if (job.modifier == replaceRegex) {
        regex.get(job.str1, job.str2, job.int1 == 1)->apply(name);
        return;
    }
    if (job.modifier != replaceText)
        return;
    if (job.int1 == 1)
        replaceExact(name, job.str1, job.str2);
    else
        replaceIgnoringCase(name, job.str1, job.str2);
}

std::string quoted(std::string_view s)
{
    std::string r;
    r.reserve(s.size() + 2);
    r += '"';
    r += s;
    r += '"';
    return r;
}

/// The tail of a position kind's description ("at the beginning", "after the 3rd character",
/// ...); empty for a modifier outside the position codes.
std::string positionText(std::int32_t modifier, std::int32_t n, std::string_view anchor, bool startVerb)
{
    switch (modifier) {
    case posBegin:
        return startVerb ? " at the beginning" : " from the beginning";
    case posEnd:
        return startVerb ? " at the end" : " from the end";
    case posAfterChar:
        return " after the " + ordinalSuffix(n) + " character";
    case posBeforeString:
        return " before string " + quoted(anchor);
    case posAfterString:
        return " after string " + quoted(anchor);
    case posBeforeExt:
        return " before the extension";
    default:
        return {};
    }
}

bool isPosition(std::int32_t modifier)
{
    return modifier >= posBegin && modifier <= posBeforeExt;
}

/// A template job: the filled-in template in place of the name before the extension, or placed
/// as an insert job places its text (N in Int1, the anchor in Str2).
void applyTemplate(const Job& job, const NameTemplate& tmpl, std::string& name, JobState& state)
{
    if (!tmpl.error().empty())
        return;
    std::string value;
    if (!tmpl.fill(name, state.entry, state.counter, value, state.failure))
        return;
    if (job.modifier == posInPlaceOfName) {
        const std::size_t ext = extensionStart(name);
        // A template that gives nothing would leave only the extension: a hidden name, or none.
        if (value.empty()) {
            state.failure = "the template gives an empty name";
            return;
        }
        name.replace(0, ext, value);
    } else {
        placeText(name, job.modifier, value, job.int1, job.str2);
    }
    if (tmpl.usesCounter())
        state.counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(state.counter) + 1u);
}

} // namespace

std::string_view jobTypeName(JobType kind)
{
    return kind < kJobTypeNames.size() ? kJobTypeNames[kind] : std::string_view();
}

Job Job::create(JobType kind)
{
    Job job;
    job.jobType = kind;
    return job;
}

JobType Job::kindFromName(std::string_view text)
{
    const std::string lowered = lowerCase(text);
    for (std::size_t k = 0; k < kJobTypeNames.size(); ++k) {
        if (lowerCase(kJobTypeNames[k]) == lowered)
            return static_cast<JobType>(k);
    }
    return jobNone;
}

std::string Job::apply(std::string_view name, std::int32_t& counterValue) const
{
    std::string result(name);
    applyInPlace(result, counterValue);
    return result;
}

void Job::applyInPlace(std::string& name, std::int32_t& counterValue) const
{
    JobState state {counterValue, {}};
    applyInPlace(name, state);
    counterValue = state.counter;
}

void Job::applyInPlace(std::string& name, JobState& state) const
{
    if (!state.failure.empty())
        return;
    std::int32_t& counterValue = state.counter;
    switch (jobType) {
    case jobLower:
    case jobUpper:
    case jobNormal:
        applyCase(jobType, modifier, int1 == 1, name);
        break;
    case jobInsert:
        placeText(name, modifier, str1, int1, str2);
        break;
    case jobRemove:
        applyRemove(*this, name);
        break;
    case jobReplace:
        applyReplace(*this, name, m_regex);
        break;
    case jobTemplate:
        applyTemplate(*this, *m_template.get(str1), name, state);
        break;
    case jobCounter: {
        const std::string number = zeroPaddedNumber(counterValue, int1);
        // A 32-bit counter wraps from 2147483647 to -2147483648.
        counterValue = static_cast<std::int32_t>(static_cast<std::uint32_t>(counterValue) + 1u);
        placeText(name, modifier, number, int2, str1);
        break;
    }
    default:
        break;
    }
    // A name is at most 255 bytes on disk; one that grows past this bound on its way is
    // stopped, so that no chain of jobs spends unbounded time or memory on it.
    if (name.size() > kMaxWorkingNameBytes)
        state.failure = "the new name grew longer than " + std::to_string(kMaxWorkingNameBytes) + " bytes";
}

std::string Job::regexError() const
{
    if (jobType != jobReplace || modifier != replaceRegex || str1.empty())
        return {};
    return m_regex.get(str1, str2, int1 == 1)->error();
}

std::string Job::templateError() const
{
    if (jobType != jobTemplate)
        return {};
    return m_template.get(str1)->error();
}

FactsNeed Job::factsNeed() const
{
    if (jobType != jobTemplate)
        return FactsNeed::None;
    const auto tmpl = m_template.get(str1);
    return tmpl->error().empty() ? tmpl->need() : FactsNeed::None;
}

std::string Job::description() const
{
    switch (jobType) {
    case jobNone:
        return "<none>";
    case jobLower:
    case jobUpper:
    case jobNormal: {
        static constexpr std::string_view kCase[3][3] = {
            {"Convert all characters to lower case", "Convert filename to lower case",
                "Convert extension to lower case"},
            {"Convert all characters to upper case", "Convert filename to upper case",
                "Convert extension to upper case"},
            {"Normalize case of all characters", "Normalize case of filename only",
                "Normalize case of extension only"},
        };
        if (modifier < scopeAll || modifier > scopeExtension)
            return {};
        return std::string(kCase[jobType - jobLower][modifier]) + (int1 == 1 ? " (all letters)" : "");
    }
    case jobInsert:
        if (!isPosition(modifier))
            return {};
        return (modifier == posEnd ? "Append " : "Insert ") + quoted(str1)
            + positionText(modifier, int1, str2, true);
    case jobRemove:
        if (!isPosition(modifier))
            return {};
        return "Remove " + pluralize(int1, "character") + positionText(modifier, int2, str1, false);
    case jobReplace: {
        std::string text;
        if (modifier == replaceText)
            text = "Replace " + quoted(str1) + " with " + quoted(str2);
        else if (modifier == replaceRegex)
            text = "Replace regex " + quoted(str1) + " with " + quoted(str2);
        return text + (int1 == 1 ? " (match case)" : " (ignore case)");
    }
    case jobCounter:
        if (!isPosition(modifier))
            return {};
        return "Add a counter of " + pluralize(int1, "character") + positionText(modifier, int2, str1, true);
    case jobTemplate:
        if (modifier == posInPlaceOfName)
            return "Template " + quoted(str1) + " in place of the name";
        if (!isPosition(modifier))
            return {};
        return "Template " + quoted(str1) + positionText(modifier, int1, str2, true);
    default:
        return {};
    }
}

} // namespace brindle
