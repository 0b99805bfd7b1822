#include <gtest/gtest.h>

#include <optional>

#include "core/base/Numbers.h"
#include "common/TestName.h"

using namespace brindle;

namespace
{

// Every number the program reads (command line, settings, job list files, number fields) goes
// through these two: a sign, then digits, within the bounds; anything else is no number.
struct NumberCase {
    const char* text;
    std::optional<std::int64_t> int64;
    std::optional<std::int32_t> int32;
    friend void PrintTo(const NumberCase& c, std::ostream* os) { *os << brindle::test::quoted(c.text); }
};

using StrictNumbers = ::testing::TestWithParam<NumberCase>;

TEST_P(StrictNumbers, AreASignAndDigitsWithinTheBounds)
{
    EXPECT_EQ(parseInt64(GetParam().text), GetParam().int64);
    EXPECT_EQ(parseInt32(GetParam().text), GetParam().int32);
}

constexpr std::nullopt_t kNone = std::nullopt;

INSTANTIATE_TEST_SUITE_P(Texts, StrictNumbers,
    ::testing::Values(NumberCase {"0", 0, 0}, NumberCase {"-0", 0, 0}, NumberCase {"+42", 42, 42},
        NumberCase {"-17", -17, -17}, NumberCase {"0000000000000000000000007", 7, 7},
        NumberCase {"2147483647", 2147483647, 2147483647},
        NumberCase {"-2147483648", -2147483648LL, -2147483647 - 1},
        NumberCase {"2147483648", 2147483648LL, kNone}, NumberCase {"-2147483649", -2147483649LL, kNone},
        NumberCase {"9223372036854775807", 9223372036854775807LL, kNone},
        NumberCase {"-9223372036854775808", -9223372036854775807LL - 1, kNone},
        NumberCase {"9223372036854775808", kNone, kNone}, NumberCase {"-9223372036854775809", kNone, kNone},
        NumberCase {"99999999999999999999", kNone, kNone}, NumberCase {"", kNone, kNone},
        NumberCase {"+", kNone, kNone}, NumberCase {"-", kNone, kNone}, NumberCase {"+-1", kNone, kNone},
        NumberCase {" 1", kNone, kNone}, NumberCase {"1 ", kNone, kNone}, NumberCase {"0x10", kNone, kNone},
        NumberCase {"1e3", kNone, kNone}, NumberCase {"1.0", kNone, kNone},
        NumberCase {"\xD9\xA1", kNone, kNone}));

} // namespace
