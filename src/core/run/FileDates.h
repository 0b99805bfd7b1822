#pragma once

#include <ctime>
#include <string>

namespace brindle
{

/// A modification time as the entries carry it: local time, seconds cut to an even number,
/// as days since 1899-12-30.
double fileTimeToDate(std::time_t t);

/// A date as "dd/mm/yyyy hh:nn", or with seconds "dd/mm/yyyy hh:nn:ss".
std::string formatDate(double date, bool withSeconds = false);

} // namespace brindle
