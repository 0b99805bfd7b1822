#include "core/jobs/Job.h"

#include <unicode/utf8.h>

#include <cstdint>
#include <vector>

#include "core/base/LazyIcu.h"
#include "core/jobs/Utf8Chars.h"
#include "core/jobs/Graphemes.h"
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
        name.insert(byteOffsetOfGrapheme(name, n), text);
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
    const auto before = static_cast<std::int64_t>(graphemeCount(std::string_view(name).substr(0, p)));
    const std::size_t from = before < m ? 0 : byteOffsetOfGrapheme(name, before - m);
    name.erase(from, p - from);
}

/// Removes count characters starting at byte offset from, stopping at the end of the name.
void eraseChars(std::string& name, std::size_t from, std::int64_t count)
{
    if (count <= 0 || from >= name.size())
        return;
    const std::string_view rest = std::string_view(name).substr(from);
    name.erase(from, byteOffsetOfGrapheme(rest, count));
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
            const auto len = static_cast<std::int64_t>(graphemeCount(name));
            name.resize(m >= len ? 0 : byteOffsetOfGrapheme(name, len - m));
        }
        break;
    case posAfterChar: {
        const std::int64_t n = job.int2;
        if (n < 0 || n >= static_cast<std::int64_t>(graphemeCount(name)))
            break;
        eraseChars(name, byteOffsetOfGrapheme(name, n), m);
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
    if (isAscii(s)) {
        for (std::size_t i = 0; i < s.size(); ++i) {
            const char c = s[i];
            const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
            out.push_back({static_cast<unsigned char>(upper), static_cast<std::uint32_t>(i)});
        }
        return;
    }
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
            key = static_cast<std::uint32_t>(lazy::u_toupper(cp));
        }
        out.push_back({key, static_cast<std::uint32_t>(i)});
        i += len;
    }
}

/// Replaces every occurrence of find in name, compared character by character on their simple
/// upper-case forms, left to right and not overlapping. Knuth-Morris-Pratt: time linear in the
/// lengths of name and find, whatever they hold.
void replaceIgnoringCase(std::string& name, std::string_view find, std::string_view repl)
{
    // Reused between calls: a run passes many names through the same job.
    static thread_local std::vector<FoldedChar> nameChars;
    static thread_local std::vector<FoldedChar> findChars;
    static thread_local std::vector<std::uint32_t> border;
    foldChars(name, nameChars);
    foldChars(find, findChars);
    const std::size_t n = nameChars.size();
    const std::size_t m = findChars.size();
    if (m == 0 || m > n)
        return;
    // border[i]: the length of the longest proper prefix of find[0..i] that is also its suffix.
    border.assign(m, 0);
    for (std::size_t i = 1, k = 0; i < m; ++i) {
        while (k > 0 && findChars[i].key != findChars[k].key)
            k = border[k - 1];
        if (findChars[i].key == findChars[k].key)
            ++k;
        border[i] = static_cast<std::uint32_t>(k);
    }
    const auto endOf = [&](std::size_t i) { return i + 1 < n ? nameChars[i + 1].start : name.size(); };
    std::string out;
    std::size_t done = 0; // bytes of name already in out
    bool changed = false;
    for (std::size_t i = 0, k = 0; i < n; ++i) {
        while (k > 0 && nameChars[i].key != findChars[k].key)
            k = border[k - 1];
        if (nameChars[i].key == findChars[k].key)
            ++k;
        if (k == m) {
            const std::size_t from = nameChars[i + 1 - m].start;
            out.append(name, done, from - done);
            out.append(repl);
            done = endOf(i);
            changed = true;
            k = 0; // matches do not overlap
        }
    }
    if (!changed)
        return;
    out.append(name, done);
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

void replaceIn(const Job& job, std::string& name, const RegexSlot& regex, std::string& failure)
{
    if (name.empty())
        return;
    if (job.modifier == replaceRegex) {
        regex.get(job.str1, job.str2, job.int1 == 1)->apply(name, failure);
        return;
    }
    if (job.modifier != replaceText)
        return;
    if (job.int1 == 1)
        replaceExact(name, job.str1, job.str2);
    else
        replaceIgnoringCase(name, job.str1, job.str2);
}

/// A replace job on the part of the name its scope (Int2) names: the whole name, the name before
/// the extension, or the extension; the extension is found before anything changes.
void applyReplace(const Job& job, std::string& name, const RegexSlot& regex, std::string& failure)
{
    if (job.str1.empty() || name.empty())
        return;
    if (job.int2 != scopeFilename && job.int2 != scopeExtension) {
        replaceIn(job, name, regex, failure);
        return;
    }
    const std::size_t ext = extensionStart(name);
    const std::size_t from = job.int2 == scopeFilename ? 0 : ext;
    const std::size_t to = job.int2 == scopeFilename ? ext : name.size();
    std::string part = name.substr(from, to - from);
    replaceIn(job, part, regex, failure);
    name.replace(from, to - from, part);
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
        applyReplace(*this, name, m_regex, state.failure);
        break;
    case jobTemplate:
        applyTemplate(*this, *m_template.get(str1), name, state);
        break;
    case jobCounter: {
        // The counter never wraps from 2147483647 to -2147483648: a name after the largest
        // value fails instead, so no two names of a run share a number unnoticed.
        if (state.counterSpent) {
            state.failure = "the counter cannot go past " + std::to_string(INT32_MAX);
            return;
        }
        const std::string number = zeroPaddedNumber(counterValue, int1);
        if (counterValue == INT32_MAX)
            state.counterSpent = true;
        else
            ++counterValue;
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
        text += int1 == 1 ? " (match case)" : " (ignore case)";
        if (int2 == scopeFilename)
            text += " in filename only";
        else if (int2 == scopeExtension)
            text += " in extension only";
        return text;
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
