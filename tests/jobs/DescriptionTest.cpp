#include <gtest/gtest.h>

#include "jobs/JobTestUtil.h"
#include "jobs/zmStringUtil.h"

using namespace brindle;
using brindle::test::MakeJob;

namespace
{

struct DescriptionCase {
    const char* label;
    TJob job;
    std::string expected;
};

std::ostream& operator<<(std::ostream& os, const DescriptionCase& c)
{
    return os << c.label;
}

class Description : public ::testing::TestWithParam<DescriptionCase>
{
};

TEST_P(Description, ReadsAsTabled)
{
    EXPECT_EQ(GetParam().job.Description(), GetParam().expected);
}

// clang-format off
const DescriptionCase kDescriptions[] = {
    {"None", MakeJob(jobNone, 3, 4, 5, "a", "b"), "<none>"},
    {"Lower0", MakeJob(jobLower, 0), "Convert all characters to lower case"},
    {"Lower1", MakeJob(jobLower, 1), "Convert filename to lower case"},
    {"Lower2", MakeJob(jobLower, 2), "Convert extension to lower case"},
    {"Upper0", MakeJob(jobUpper, 0), "Convert all characters to upper case"},
    {"Upper1", MakeJob(jobUpper, 1), "Convert filename to upper case"},
    {"Upper2", MakeJob(jobUpper, 2), "Convert extension to upper case"},
    {"Normal0", MakeJob(jobNormal, 0), "Normalize case of all characters"},
    {"Normal1", MakeJob(jobNormal, 1), "Normalize case of filename only"},
    {"Normal2", MakeJob(jobNormal, 2), "Normalize case of extension only"},
    {"Normal3", MakeJob(jobNormal, 3), ""},
    {"InsertBegin", MakeJob(jobInsert, 0, 0, 0, "IMG_"), "Insert \"IMG_\" at the beginning"},
    {"InsertEnd", MakeJob(jobInsert, 1, 0, 0, "_x"), "Append \"_x\" at the end"},
    {"InsertAfterChar", MakeJob(jobInsert, 2, 3, 9, "x"), "Insert \"x\" after the 3rd character"},
    {"InsertBefore", MakeJob(jobInsert, 3, 0, 0, "x", "a&b"), "Insert \"x\" before string \"a&b\""},
    {"InsertAfter", MakeJob(jobInsert, 4, 0, 0, "", ""), "Insert \"\" after string \"\""},
    {"InsertBeforeExtension", MakeJob(jobInsert, 5, 0, 0, "X"), "Insert \"X\" before the extension"},
    {"InsertOther", MakeJob(jobInsert, 6, 0, 0, "x"), ""},
    {"RemoveBegin", MakeJob(jobRemove, 0, 3), "Remove 3 characters from the beginning"},
    {"RemoveEnd", MakeJob(jobRemove, 1, 3), "Remove 3 characters from the end"},
    {"RemoveAfterChar", MakeJob(jobRemove, 2, 1, 3), "Remove 1 character after the 3rd character"},
    {"RemoveBeforeEmpty", MakeJob(jobRemove, 3, 1, 0, ""), "Remove 1 character before string \"\""},
    {"RemoveAfterString", MakeJob(jobRemove, 4, 0, 0, "-"), "Remove 0 characters after string \"-\""},
    {"RemoveNegative", MakeJob(jobRemove, -1, 1), ""},
    {"RemoveBeforeExtension", MakeJob(jobRemove, 5, 3, 9, "x"), "Remove 3 characters before the extension"},
    {"RemoveOneBeforeExtension", MakeJob(jobRemove, 5, 1), "Remove 1 character before the extension"},
    {"RemoveOther", MakeJob(jobRemove, 6, 1), ""},
    {"ReplaceIgnore", MakeJob(jobReplace, 0, 0, 0, "a", "b"), "Replace \"a\" with \"b\" (ignore case)"},
    {"ReplaceMatch", MakeJob(jobReplace, 0, 1, 0, "a", "b"), "Replace \"a\" with \"b\" (match case)"},
    {"ReplaceOtherInt", MakeJob(jobReplace, 0, 2, 0, "a", "b"), "Replace \"a\" with \"b\" (ignore case)"},
    {"ReplaceRegex", MakeJob(jobReplace, 1, 1, 0, "a.*", ""), "Replace regex \"a.*\" with \"\" (match case)"},
    {"ReplaceOtherMode", MakeJob(jobReplace, 2, 0, 0, "a", "b"), " (ignore case)"},
    {"CounterBegin", MakeJob(jobCounter, 0, 3), "Add a counter of 3 characters at the beginning"},
    {"CounterEnd", MakeJob(jobCounter, 1, 1), "Add a counter of 1 character at the end"},
    {"Counter22nd", MakeJob(jobCounter, 2, 3, 22), "Add a counter of 3 characters after the 22nd character"},
    {"Counter12nd", MakeJob(jobCounter, 2, 3, 12), "Add a counter of 3 characters after the 12nd character"},
    {"CounterBefore", MakeJob(jobCounter, 3, 2, 0, "."), "Add a counter of 2 characters before string \".\""},
    {"CounterAfter", MakeJob(jobCounter, 4, 2, 0, "_"), "Add a counter of 2 characters after string \"_\""},
    {"CounterBeforeExtension", MakeJob(jobCounter, 5, 3), "Add a counter of 3 characters before the extension"},
    {"CounterOther", MakeJob(jobCounter, 6, 2), ""},
    {"UpperAllLetters", MakeJob(jobUpper, 0, 1), "Convert all characters to upper case (all letters)"},
    {"LowerExtensionAllLetters", MakeJob(jobLower, 2, 1), "Convert extension to lower case (all letters)"},
    {"NormalFilenameAllLetters", MakeJob(jobNormal, 1, 1), "Normalize case of filename only (all letters)"},
    {"UpperInt1Two", MakeJob(jobUpper, 0, 2), "Convert all characters to upper case"},
    {"UpperOtherScopeAllLetters", MakeJob(jobUpper, 3, 1), ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(AllKinds, Description, ::testing::ValuesIn(kDescriptions));

TEST(Description, KindAboveSevenIsEmpty)
{
    TJob job = MakeJob(jobLower);
    job.JobType = static_cast<TJobType>(8);
    EXPECT_EQ(job.Description(), "");
}

TEST(StringUtil, PluralizeAndOrdinal)
{
    EXPECT_EQ(Pluralize(1, "character"), "1 character");
    EXPECT_EQ(Pluralize(0, "character"), "0 characters");
    EXPECT_EQ(Pluralize(-2, "character"), "-2 characters");
    EXPECT_EQ(Pluralize(-1, "character"), "-1 characters");
    EXPECT_EQ(OrdinalSuffix(1), "1st");
    EXPECT_EQ(OrdinalSuffix(11), "11st");
    EXPECT_EQ(OrdinalSuffix(12), "12nd");
    EXPECT_EQ(OrdinalSuffix(13), "13rd");
    EXPECT_EQ(OrdinalSuffix(104), "104th");
    EXPECT_EQ(OrdinalSuffix(0), "0th");
    EXPECT_EQ(OrdinalSuffix(-2147483647 - 1), "-2147483648th");
}

TEST(StringUtil, ZeroPaddedNumber)
{
    EXPECT_EQ(ZeroPaddedNumber(-5, 4), "00-5");
    EXPECT_EQ(ZeroPaddedNumber(7, 3), "007");
    EXPECT_EQ(ZeroPaddedNumber(1234, 2), "1234");
    EXPECT_EQ(ZeroPaddedNumber(0, 0), "0");
    EXPECT_EQ(ZeroPaddedNumber(5, 256).size(), 255u);
}

TEST(StringUtil, CharactersAreUtf8SequencesOrSingleBytes)
{
    EXPECT_EQ(CharCount("abc"), 3u);
    EXPECT_EQ(CharCount("\xc3\xa9"), 1u); // é
    EXPECT_EQ(CharCount("\xe2\x82\xac"), 1u); // €
    EXPECT_EQ(CharCount("\xf0\x9f\x98\x80"), 1u); // emoji
    EXPECT_EQ(CharCount("\xc3"), 1u); // truncated sequence
    EXPECT_EQ(CharCount("\xc0\xaf"), 2u); // overlong form
    EXPECT_EQ(CharCount("\xed\xa0\x80"), 3u); // surrogate
    EXPECT_EQ(CharCount("\xf4\x90\x80\x80"), 4u); // beyond U+10FFFF
    EXPECT_EQ(CharCount("\xe2\x82"), 2u); // cut short
    EXPECT_EQ(ByteOffsetOfChar("a\xc3\xa9z", 2), 3u);
    EXPECT_EQ(ByteOffsetOfChar("abc", 99), 3u);
    EXPECT_EQ(ByteOffsetOfChar("abc", -1), 0u);
    EXPECT_FALSE(IsCharBoundary("\xc3\xa9", 1));
    EXPECT_TRUE(IsCharBoundary("\xa9\xa9", 1));
    EXPECT_EQ(FindWhole("\xc3\xa9\xa9", "\xa9"), 2u);
}

TEST(StringUtil, CaseChangesAsciiOnly)
{
    EXPECT_EQ(LowerCase("ÀBC\xff"), "Àbc\xff");
    EXPECT_EQ(UpperCase("àbc"), "àBC");
    EXPECT_EQ(NormalizeCase("", " -."), "");
    EXPECT_EQ(NormalizeCase(".txt", " -."), ".Txt");
}

} // namespace
