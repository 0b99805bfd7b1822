#include "core/meta/FileFacts.h"

#include <cstdio>
#include <ctime>

namespace brindle
{

namespace
{

/// Days from 1970-01-01 to the given date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d)
{
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// The number of the count digits at text[at], or -1 when one of them is no digit.
int digitsAt(std::string_view text, std::size_t at, std::size_t count)
{
    if (at + count > text.size())
        return -1;
    int n = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!isDigit(text[i]))
            return -1;
        n = n * 10 + (text[i] - '0');
    }
    return n;
}

} // namespace

std::int64_t CivilTime::sortKey() const
{
    return daysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

std::string CivilTime::text() const
{
    char buffer[64];
    std::snprintf(
        buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
    return buffer;
}

bool CivilTime::valid() const
{
    static constexpr int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1])
        return false;
    if (month == 2 && day == 29 && !(year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)))
        return false;
    return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 60;
}

CivilTime CivilTime::fromUnix(std::int64_t seconds, std::int64_t nanoseconds)
{
    const auto t = static_cast<std::time_t>(seconds);
    std::tm tm {};
    CivilTime c;
    if (!::localtime_r(&t, &tm))
        return c;
    c.year = tm.tm_year + 1900;
    c.month = tm.tm_mon + 1;
    c.day = tm.tm_mday;
    c.hour = tm.tm_hour;
    c.minute = tm.tm_min;
    c.second = tm.tm_sec;
    if (nanoseconds > 0) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%09lld", static_cast<long long>(nanoseconds % 1000000000));
        c.fraction = buffer;
    }
    return c;
}

std::optional<CivilTime> CivilTime::parse(std::string_view text)
{
    // Leading blanks are allowed; "YYYY?MM?DD" where ? is ':' or '-', then optionally
    // " HH:MM:SS" or "THH:MM:SS".
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    CivilTime c;
    c.year = digitsAt(text, 0, 4);
    c.month = digitsAt(text, 5, 2);
    c.day = digitsAt(text, 8, 2);
    if (c.year < 0 || c.month < 0 || c.day < 0 || (text[4] != ':' && text[4] != '-') || text[7] != text[4])
        return std::nullopt;
    if (text.size() >= 19 && (text[10] == ' ' || text[10] == 'T') && text[13] == ':' && text[16] == ':') {
        c.hour = digitsAt(text, 11, 2);
        c.minute = digitsAt(text, 14, 2);
        c.second = digitsAt(text, 17, 2);
        if (c.hour < 0 || c.minute < 0 || c.second < 0)
            return std::nullopt;
        std::size_t at = 19;
        if (at < text.size() && text[at] == '.') {
            ++at;
            while (at < text.size() && isDigit(text[at]) && c.fraction.size() < 9)
                c.fraction += text[at++];
        }
    } else if (text.size() > 10 && text[10] != ' ' && text[10] != 'T') {
        return std::nullopt;
    }
    if (!c.valid())
        return std::nullopt;
    return c;
}

std::string nameSafeValue(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F)
            continue;
        out += ch == '/' ? '_' : ch;
    }
    const std::size_t first = out.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const std::size_t last = out.find_last_not_of(' ');
    return out.substr(first, last - first + 1);
}

void FileFacts::offer(Fact fact, std::string_view value, std::string_view source)
{
    FactValue& slot = this->value(fact);
    if (!slot.value.empty())
        return;
    std::string safe = nameSafeValue(value);
    if (safe.empty())
        return;
    slot.value = std::move(safe);
    slot.source = source;
}

void FileFacts::offerTaken(const CivilTime& time, std::string_view source)
{
    if (taken || !time.valid())
        return;
    taken = TimeValue {time, std::string(source)};
}

} // namespace brindle
