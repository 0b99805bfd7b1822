#include <gtest/gtest.h>

#include "common/TestName.h"
#include "core/run/ClashKey.h"

namespace brindle
{
namespace
{

struct FoldCase {
    const char* in;
    const char* out;
    friend void PrintTo(const FoldCase& c, std::ostream* os) { *os << brindle::test::quoted(c.in); }
};

using UpCaseGreekTest = ::testing::TestWithParam<FoldCase>;

TEST_P(UpCaseGreekTest, Folds)
{
    EXPECT_EQ(upCaseGreek(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Table, UpCaseGreekTest,
    ::testing::Values(FoldCase {"abcxyz", "ABCXYZ"}, FoldCase {"Report-2004.txt", "REPORT-2004.TXT"},
        // Greek small letters, both sigmas, the accented letters of either case.
        FoldCase {"αβγδεζηθικλμνξοπρ", "ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡ"}, FoldCase {"στυφχψω", "ΣΤΥΦΧΨΩ"},
        FoldCase {"ς", "Σ"}, FoldCase {"σ", "Σ"}, FoldCase {"άέήίόύώ", "ΑΕΗΙΟΥΩ"}, FoldCase {"ϊϋ", "ΙΥ"},
        FoldCase {"ΆΈΉΊΌΎΏ", "ΑΕΗΙΟΥΩ"},
        // Upper-case letters stay; letters outside the table stay.
        FoldCase {"ΑΣΩ", "ΑΣΩ"}, FoldCase {"ΐΰΪΫ", "ΐΰΪΫ"}, FoldCase {"café", "CAFé"},
        FoldCase {"ßøü", "ßøü"},
        // Digits, punctuation, invalid bytes and a lone lead byte stay as they are.
        FoldCase {"0-9_.~", "0-9_.~"}, FoldCase {"a\xCE", "A\xCE"},
        FoldCase {"\xCE"
                  "a",
            "\xCE"
            "A"},
        FoldCase {"\xff\xfe"
                  "b",
            "\xff\xfe"
            "B"},
        FoldCase {"", ""}));

TEST(upCaseGreek, AccentAndFinalSigmaFoldToTheSameKey)
{
    EXPECT_EQ(upCaseGreek("λόγος.txt"), upCaseGreek("ΛΟΓΟΣ.TXT"));
    EXPECT_EQ(upCaseGreek("λογος"), upCaseGreek("λόγοσ"));
    EXPECT_NE(upCaseGreek("λογος"), upCaseGreek("λογοι"));
}

} // namespace
} // namespace brindle
