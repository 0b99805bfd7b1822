#include "core/run/FileDates.h"

#include <cmath>
#include <cstdint>

namespace brindle
{

namespace
{

// Days from 1970-01-01 to 1899-12-30, the day the dates count from.
constexpr std::int64_t kDaysTo1970 = 25569;

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

void appendTwoDigits(std::string& out, unsigned v)
{
    out += static_cast<char>('0' + (v / 10) % 10);
    out += static_cast<char>('0' + v % 10);
}

} // namespace

double fileTimeToDate(std::time_t t)
{
    std::tm tm {};
    if (!::localtime_r(&t, &tm))
        return 0.0;
    const std::int64_t days = daysFromCivil(tm.tm_year + 1900LL, static_cast<unsigned>(tm.tm_mon + 1),
                                  static_cast<unsigned>(tm.tm_mday))
        + kDaysTo1970;
    const int seconds = tm.tm_hour * 3600 + tm.tm_min * 60 + (tm.tm_sec & ~1);
    return static_cast<double>(days) + seconds / 86400.0;
}

std::string formatDate(double date, bool withSeconds)
{
    auto days = static_cast<std::int64_t>(std::floor(date));
    auto seconds = static_cast<std::int64_t>(std::llround((date - static_cast<double>(days)) * 86400.0));
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    std::int64_t y;
    unsigned m, d;
    civilFromDays(days - kDaysTo1970, y, m, d);
    std::string out;
    out.reserve(24);
    appendTwoDigits(out, d);
    out += '/';
    appendTwoDigits(out, m);
    out += '/';
    if (y < 0) {
        out += '-';
        y = -y;
    }
    std::string year = std::to_string(y);
    if (year.size() < 4)
        out.append(4 - year.size(), '0');
    out += year;
    out += ' ';
    appendTwoDigits(out, static_cast<unsigned>(seconds / 3600));
    out += ':';
    appendTwoDigits(out, static_cast<unsigned>(seconds / 60 % 60));
    if (withSeconds) {
        out += ':';
        appendTwoDigits(out, static_cast<unsigned>(seconds % 60));
    }
    return out;
}

} // namespace brindle
