#include "core/jobs/NameTemplate.h"

#include <locale.h>

#include <algorithm>
#include <ctime>
#include <optional>

#include "core/jobs/NumberText.h"
#include "core/jobs/Utf8Chars.h"

namespace brindle
{

namespace
{

struct TokenInfo {
    std::string_view name;
    TemplateToken token;
    /// Why an entry has no value for it.
    std::string_view missing;
};

/// The tokens of the file and the folder; the metadata tokens are those of kFactNames.
constexpr TokenInfo kTokens[] = {
    {"name", TemplateToken::Name, "no name before the extension"},
    {"ext", TemplateToken::Ext, "no extension"},
    {"folder", TemplateToken::Folder, "no folder"},
    {"counter", TemplateToken::Counter, ""},
    {"modified", TemplateToken::Modified, "no modification time"},
    {"created", TemplateToken::Created, "no creation time"},
    {"taken", TemplateToken::Taken, "no date taken"},
};

/// The alternative a token's name stands for.
std::optional<NameTemplate::Alternative> findToken(std::string_view name)
{
    for (const TokenInfo& t : kTokens) {
        if (t.name == name)
            return NameTemplate::Alternative {t.token, Fact::Count, {}};
    }
    for (const FactName& f : kFactNames) {
        if (f.token == name)
            return NameTemplate::Alternative {TemplateToken::Fact, f.fact, {}};
    }
    return std::nullopt;
}

/// The name of a token and why an entry has no value for it.
std::pair<std::string_view, std::string_view> describe(const NameTemplate::Alternative& a)
{
    if (a.token == TemplateToken::Fact && a.fact < Fact::Count)
        return {factName(a.fact).token, factName(a.fact).missing};
    for (const TokenInfo& t : kTokens) {
        if (t.token == a.token)
            return {t.name, t.missing};
    }
    return {"\"...\"", ""};
}

bool isDate(TemplateToken t)
{
    return t == TemplateToken::Modified || t == TemplateToken::Created || t == TemplateToken::Taken;
}

bool takesWidth(const NameTemplate::Alternative& a)
{
    return a.token == TemplateToken::Counter
        || (a.token == TemplateToken::Fact && (a.fact == Fact::Track || a.fact == Fact::Disc));
}

/// The date conversions a format may use: those that need no time zone.
constexpr std::string_view kDateConversions = "aAbBdefFHIjmMpSTyY%";

/// The default format of a date.
constexpr std::string_view kDefaultDateFormat = "%Y-%m-%d";

/// Byte offset where the extension of name begins, by the extension rule of the jobs.
std::size_t extensionStart(std::string_view name)
{
    const std::size_t p = name.find_last_of(".\\:");
    return (p != std::string_view::npos && name[p] == '.') ? p : name.size();
}

std::int64_t daysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d)
{
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

/// A date in format; the names of days and months in English whatever the user's locale, so
/// that the window and the command line give the same names.
std::string formatDate(const CivilTime& c, std::string_view format)
{
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    std::tm tm {};
    tm.tm_year = c.year - 1900;
    tm.tm_mon = c.month - 1;
    tm.tm_mday = c.day;
    tm.tm_hour = c.hour;
    tm.tm_min = c.minute;
    tm.tm_sec = c.second;
    const std::int64_t days = daysFromCivil(c.year, c.month, c.day);
    tm.tm_wday = static_cast<int>(((days % 7) + 11) % 7); // 1970-01-01 was a Thursday
    tm.tm_yday = static_cast<int>(days - daysFromCivil(c.year, 1, 1));
    std::string out;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%' || i + 1 == format.size()) {
            out += format[i];
            continue;
        }
        const char conversion = format[++i];
        if (conversion == 'f') {
            out += c.fraction.empty() ? "0" : c.fraction;
            continue;
        }
        // The numbers, as strftime writes them, without its call: a folder of photos formats
        // every date again after each edit of the template.
        const auto number = [&out](int value, int width) {
            char digits[12];
            int n = 0;
            for (unsigned v = static_cast<unsigned>(value); n == 0 || v > 0; v /= 10)
                digits[n++] = static_cast<char>('0' + v % 10);
            for (; n < width; ++n)
                digits[n] = '0';
            while (n > 0)
                out += digits[--n];
        };
        if (conversion == 'Y' && c.year >= 0) {
            number(c.year, 1);
            continue;
        }
        if (const std::size_t k = std::string_view("mdHMSj").find(conversion); k != std::string_view::npos) {
            const int values[] = {c.month, c.day, c.hour, c.minute, c.second, tm.tm_yday + 1};
            if (values[k] >= 0) {
                number(values[k], k == 5 ? 3 : 2);
                continue;
            }
        }
        const char field[3] = {'%', conversion, '\0'};
        char buffer[64];
        const std::size_t n = ::strftime_l(buffer, sizeof buffer, field, &tm, cLocale);
        out.append(buffer, n);
    }
    return out;
}

/// The parser's position in the text and its verdict.
class Parser
{
public:
    explicit Parser(std::string_view text)
        : m_text(text)
    {
    }

    bool parse(std::vector<NameTemplate::Part>& parts);
    std::string error() const
    {
        return m_message + " at offset " + std::to_string(charCount(m_text.substr(0, m_errorAt)));
    }

private:
    bool fail(std::string message, std::size_t at)
    {
        m_message = std::move(message);
        m_errorAt = at;
        return false;
    }
    bool parseToken(NameTemplate::Part& part);
    bool parseFormat(NameTemplate::Part& part, std::size_t formatAt);

    std::string_view m_text;
    std::size_t m_at = 0;
    std::string m_message;
    std::size_t m_errorAt = 0;
};

bool Parser::parse(std::vector<NameTemplate::Part>& parts)
{
    NameTemplate::Part part;
    while (m_at < m_text.size()) {
        const char c = m_text[m_at];
        if (c == '{' && m_at + 1 < m_text.size() && m_text[m_at + 1] == '{') {
            part.text += '{';
            m_at += 2;
        } else if (c == '}') {
            if (m_at + 1 >= m_text.size() || m_text[m_at + 1] != '}')
                return fail("a lone \"}\" (write \"}}\" for a brace)", m_at);
            part.text += '}';
            m_at += 2;
        } else if (c == '{') {
            if (!parseToken(part))
                return false;
            parts.push_back(std::move(part));
            part = NameTemplate::Part {};
        } else {
            part.text += c;
            ++m_at;
        }
    }
    if (!part.text.empty())
        parts.push_back(std::move(part));
    return true;
}

bool Parser::parseToken(NameTemplate::Part& part)
{
    const std::size_t open = m_at++;
    for (;;) {
        if (m_at >= m_text.size())
            return fail("a \"{\" without its \"}\"", open);
        if (!part.alternatives.empty() && part.alternatives.back().token == TemplateToken::Literal)
            return fail("a quoted text must be the last alternative", m_at);
        const std::size_t start = m_at;
        if (m_text[m_at] == '"') {
            const std::size_t close = m_text.find('"', m_at + 1);
            if (close == std::string_view::npos)
                return fail("a quoted text without its closing quote", start);
            part.alternatives.push_back({TemplateToken::Literal, Fact::Count,
                std::string(m_text.substr(m_at + 1, close - m_at - 1))});
            m_at = close + 1;
        } else {
            while (m_at < m_text.size() && m_text[m_at] != '|' && m_text[m_at] != ':' && m_text[m_at] != '}')
                ++m_at;
            const std::string_view name = m_text.substr(start, m_at - start);
            if (name.empty())
                return fail("an empty token", start);
            const std::optional<NameTemplate::Alternative> token = findToken(name);
            if (!token)
                return fail(std::string("unknown token {").append(name) + "}", start);
            part.alternatives.push_back(*token);
        }
        if (m_at >= m_text.size())
            return fail("a \"{\" without its \"}\"", open);
        const char next = m_text[m_at++];
        if (next == '}')
            return parseFormat(part, m_at);
        if (next == ':') {
            const std::size_t formatAt = m_at;
            const std::size_t close = m_text.find('}', m_at);
            if (close == std::string_view::npos)
                return fail("a \"{\" without its \"}\"", open);
            part.format = m_text.substr(m_at, close - m_at);
            part.hasFormat = true;
            m_at = close + 1;
            return parseFormat(part, formatAt);
        }
        if (next != '|')
            return fail("\"|\", \":\" or \"}\" expected after a token", m_at - 1);
    }
}

/// Checks the format against every alternative; a date without one gets the default.
bool Parser::parseFormat(NameTemplate::Part& part, std::size_t formatAt)
{
    bool date = false;
    bool width = false;
    for (const NameTemplate::Alternative& a : part.alternatives) {
        if (a.token == TemplateToken::Literal)
            continue;
        date = date || isDate(a.token);
        width = width || takesWidth(a);
        if (part.hasFormat && !isDate(a.token) && !takesWidth(a))
            return fail(std::string("{").append(describe(a).first) + "} takes no format", formatAt);
    }
    if (date && width)
        return fail("a date and a number cannot share a format", formatAt);
    if (!part.hasFormat) {
        if (date)
            part.format = kDefaultDateFormat;
        return true;
    }
    if (width) {
        const std::string& f = part.format;
        int n = 0;
        if (f.empty() || f.size() > 3
            || !std::all_of(f.begin(), f.end(), [](char c) { return c >= '0' && c <= '9'; })
            || (n = std::stoi(f)) < 1 || n > 255)
            return fail("the width must be a whole number from 1 to 255", formatAt);
        part.width = n;
        return true;
    }
    if (part.format.empty())
        return fail("an empty date format", formatAt);
    for (std::size_t i = 0; i < part.format.size(); ++i) {
        if (part.format[i] != '%')
            continue;
        if (i + 1 == part.format.size()
            || kDateConversions.find(part.format[i + 1]) == std::string_view::npos)
            return fail("an unknown date field \"%" + part.format.substr(i + 1, 1) + "\"", formatAt + i);
        ++i;
    }
    return true;
}

/// The value of one alternative for an entry, with where it comes from; empty with the reason
/// in missing when there is none.
struct Lookup {
    std::string value;
    std::string source;
    std::string missing;
    /// The value could not be looked for: the file facts module cannot be used.
    bool unavailable = false;
};

Lookup lookUp(const NameTemplate::Part& part, const NameTemplate::Alternative& a, std::string_view name,
    const EntryFacts* entry, std::int32_t counter)
{
    Lookup r;
    const FileFacts* facts = entry ? entry->facts : nullptr;
    const std::size_t ext = extensionStart(name);
    switch (a.token) {
    case TemplateToken::Literal:
        r.value = nameSafeValue(a.literal);
        r.source = r.value + " from the template";
        return r;
    case TemplateToken::Name:
        r.value = nameSafeValue(name.substr(0, ext));
        r.source = "the name";
        break;
    case TemplateToken::Ext:
        r.value = ext < name.size() ? nameSafeValue(name.substr(ext + 1)) : std::string();
        r.source = "the name";
        break;
    case TemplateToken::Folder:
        r.value = entry ? nameSafeValue(entry->folderName) : std::string();
        r.source = "the folder";
        break;
    case TemplateToken::Counter:
        r.value = zeroPaddedNumber(counter, part.width);
        r.source = "the counter";
        break;
    case TemplateToken::Modified:
    case TemplateToken::Created:
    case TemplateToken::Taken: {
        const std::optional<TimeValue>* time = nullptr;
        if (facts) {
            time = a.token == TemplateToken::Modified ? &facts->modified
                : a.token == TemplateToken::Created   ? &facts->created
                                                      : &facts->taken;
        }
        if (time && time->has_value()) {
            r.value = nameSafeValue(formatDate((*time)->time, part.format));
            r.source = (*time)->time.text() + " from " + (*time)->source;
        }
        break;
    }
    case TemplateToken::Fact: {
        if (facts && a.fact < Fact::Count && !facts->value(a.fact).value.empty()) {
            const FactValue& v = facts->value(a.fact);
            r.value = v.value;
            if (part.width > 0) {
                if (const auto n = std::string_view(v.value).find_first_not_of("0123456789");
                    n == std::string_view::npos && v.value.size() < static_cast<std::size_t>(part.width))
                    r.value.insert(0, static_cast<std::size_t>(part.width) - v.value.size(), '0');
            }
            r.source = v.value + " from " + v.source;
        }
        break;
    }
    }
    if (r.value.empty()) {
        r.missing = describe(a).second;
        const bool fromFile = isDate(a.token) || a.token == TemplateToken::Fact;
        if (fromFile && !facts)
            r.missing += " (no file)";
        else if ((a.token == TemplateToken::Fact || a.token == TemplateToken::Taken)
            && !facts->problem.empty()) {
            r.missing += " (" + facts->problem + ")";
            r.unavailable = facts->problem.starts_with(kFactsUnavailable);
        }
    } else if (r.source.starts_with("the ")) {
        r.source = r.value + " from " + r.source;
    }
    return r;
}

} // namespace

NameTemplate NameTemplate::parse(std::string_view text)
{
    NameTemplate t;
    t.m_text = text;
    Parser parser(text);
    if (!parser.parse(t.m_parts)) {
        t.m_error = parser.error();
        t.m_parts.clear();
        return t;
    }
    for (const Part& part : t.m_parts) {
        for (const Alternative& a : part.alternatives) {
            if (a.token == TemplateToken::Counter)
                t.m_usesCounter = true;
            else if (a.token == TemplateToken::Taken)
                t.m_need = t.m_need | FactsNeed::Contents;
            else if (isDate(a.token))
                t.m_need = t.m_need | FactsNeed::Dates;
            else if (a.token == TemplateToken::Fact)
                t.m_need = t.m_need | FactsNeed::Contents;
        }
    }
    return t;
}

bool NameTemplate::fill(std::string_view name, const EntryFacts* entry, std::int32_t counter,
    std::string& out, std::string& failure) const
{
    out.clear();
    for (const Part& part : m_parts) {
        out += part.text;
        if (part.alternatives.empty())
            continue;
        std::string firstMissing;
        bool found = false;
        for (const Alternative& a : part.alternatives) {
            Lookup r = lookUp(part, a, name, entry, counter);
            // Without the module no file has facts: the entry fails rather than be named as
            // one whose file carries none.
            if (r.unavailable) {
                failure = std::move(r.missing);
                return false;
            }
            if (!r.value.empty() || a.token == TemplateToken::Literal) {
                out += r.value;
                found = true;
                break;
            }
            if (firstMissing.empty())
                firstMissing = std::move(r.missing);
        }
        if (!found) {
            failure = std::move(firstMissing);
            return false;
        }
    }
    return true;
}

std::vector<std::string> NameTemplate::sources(std::string_view name, const EntryFacts* entry) const
{
    std::vector<std::string> lines;
    std::vector<Alternative> seen;
    for (const Part& part : m_parts) {
        for (const Alternative& a : part.alternatives) {
            if (a.token == TemplateToken::Literal || a.token == TemplateToken::Counter
                || std::find(seen.begin(), seen.end(), a) != seen.end())
                continue;
            seen.push_back(a);
            const Lookup r = lookUp(part, a, name, entry, 0);
            lines.push_back(std::string(describe(a).first) + ": " + (r.value.empty() ? r.missing : r.source));
        }
    }
    return lines;
}

} // namespace brindle
