#include <gtest/gtest.h>

#include "common/TempTree.h"
#include "core/run/FileDates.h"
#include "core/run/FileEntry.h"

namespace brindle
{
namespace
{

using test::localTime;

TEST(EntryDate, CountsDaysFrom1899AndCutsSecondsToTwo)
{
    const double date = fileTimeToDate(localTime(2004, 3, 5, 9, 7, 13));
    // 5 March 2004 is day 38051; 9:07:12 is the time of day after the cut to two seconds.
    EXPECT_DOUBLE_EQ(date, 38051.0 + (9 * 3600 + 7 * 60 + 12) / 86400.0);
    EXPECT_EQ(formatDate(date, true), "05/03/2004 09:07:12");
    EXPECT_EQ(FileEntry("report.txt", date).displayText(), "05/03/2004 09:07 report.txt");
}

TEST(EntryDate, FormatsEdgesOfTheDay)
{
    EXPECT_EQ(formatDate(fileTimeToDate(localTime(1999, 12, 31, 23, 59, 59)), true), "31/12/1999 23:59:58");
    EXPECT_EQ(formatDate(fileTimeToDate(localTime(2000, 2, 29, 0, 0, 0)), true), "29/02/2000 00:00:00");
    EXPECT_EQ(formatDate(0.0), "30/12/1899 00:00");
    EXPECT_EQ(formatDate(2.5), "01/01/1900 12:00");
}

} // namespace
} // namespace brindle
