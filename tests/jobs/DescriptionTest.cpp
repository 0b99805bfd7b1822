#include <gtest/gtest.h>

#include "jobs/JobTestUtil.h"
#include "core/jobs/Utf8Chars.h"
#include "core/jobs/CaseMapping.h"
#include "core/jobs/NumberText.h"

using namespace brindle;
using brindle::test::makeJob;

namespace
{

struct DescriptionCase {
    const char* label;
    Job job;
    std::string expected;
    friend std::ostream& operator<<(std::ostream& os, const DescriptionCase& c) { return os << c.label; }
};

using Description = ::testing::TestWithParam<DescriptionCase>;

TEST_P(Description, ReadsAsTabled)
{
    EXPECT_EQ(GetParam().job.description(), GetParam().expected);
}

// clang-format off
const DescriptionCase kDescriptions[] = {
    {"None", makeJob(jobNone, 3, 4, 5, "a", "b"), "<none>"},
    {"Lower0", makeJob(jobLower, 0), "Convert all characters to lower case"},
    {"Lower1", makeJob(jobLower, 1), "Convert filename to lower case"},
    {"Lower2", makeJob(jobLower, 2), "Convert extension to lower case"},
    {"Upper0", makeJob(jobUpper, 0), "Convert all characters to upper case"},
    {"Upper1", makeJob(jobUpper, 1), "Convert filename to upper case"},
    {"Upper2", makeJob(jobUpper, 2), "Convert extension to upper case"},
    {"Normal0", makeJob(jobNormal, 0), "Normalize case of all characters"},
    {"Normal1", makeJob(jobNormal, 1), "Normalize case of filename only"},
    {"Normal2", makeJob(jobNormal, 2), "Normalize case of extension only"},
    {"Normal3", makeJob(jobNormal, 3), ""},
    {"InsertBegin", makeJob(jobInsert, 0, 0, 0, "IMG_"), "Insert \"IMG_\" at the beginning"},
    {"InsertEnd", makeJob(jobInsert, 1, 0, 0, "_x"), "Append \"_x\" at the end"},
    {"InsertAfterChar", makeJob(jobInsert, 2, 3, 9, "x"), "Insert \"x\" after the 3rd character"},
    {"InsertBefore", makeJob(jobInsert, 3, 0, 0, "x", "a&b"), "Insert \"x\" before string \"a&b\""},
    {"InsertAfter", makeJob(jobInsert, 4, 0, 0, "", ""), "Insert \"\" after string \"\""},
    {"InsertBeforeExtension", makeJob(jobInsert, 5, 0, 0, "X"), "Insert \"X\" before the extension"},
    {"InsertOther", makeJob(jobInsert, 6, 0, 0, "x"), ""},
    {"RemoveBegin", makeJob(jobRemove, 0, 3), "Remove 3 characters from the beginning"},
    {"RemoveEnd", makeJob(jobRemove, 1, 3), "Remove 3 characters from the end"},
    {"RemoveAfterChar", makeJob(jobRemove, 2, 1, 3), "Remove 1 character after the 3rd character"},
    {"RemoveBeforeEmpty", makeJob(jobRemove, 3, 1, 0, ""), "Remove 1 character before string \"\""},
    {"RemoveAfterString", makeJob(jobRemove, 4, 0, 0, "-"), "Remove 0 characters after string \"-\""},
    {"RemoveNegative", makeJob(jobRemove, -1, 1), ""},
    {"RemoveBeforeExtension", makeJob(jobRemove, 5, 3, 9, "x"), "Remove 3 characters before the extension"},
    {"RemoveOneBeforeExtension", makeJob(jobRemove, 5, 1), "Remove 1 character before the extension"},
    {"RemoveOther", makeJob(jobRemove, 6, 1), ""},
    {"ReplaceIgnore", makeJob(jobReplace, 0, 0, 0, "a", "b"), "Replace \"a\" with \"b\" (ignore case)"},
    {"ReplaceMatch", makeJob(jobReplace, 0, 1, 0, "a", "b"), "Replace \"a\" with \"b\" (match case)"},
    {"ReplaceOtherInt", makeJob(jobReplace, 0, 2, 0, "a", "b"), "Replace \"a\" with \"b\" (ignore case)"},
    {"ReplaceRegex", makeJob(jobReplace, 1, 1, 0, "a.*", ""), "Replace regex \"a.*\" with \"\" (match case)"},
    {"ReplaceOtherMode", makeJob(jobReplace, 2, 0, 0, "a", "b"), " (ignore case)"},
    {"ReplaceFilenameOnly", makeJob(jobReplace, 0, 1, 1, "a", "b"), "Replace \"a\" with \"b\" (match case) in filename only"},
    {"ReplaceRegexExtensionOnly", makeJob(jobReplace, 1, 0, 2, "a", "b"), "Replace regex \"a\" with \"b\" (ignore case) in extension only"},
    {"ReplaceOtherScope", makeJob(jobReplace, 0, 0, 9, "a", "b"), "Replace \"a\" with \"b\" (ignore case)"},
    {"CounterBegin", makeJob(jobCounter, 0, 3), "Add a counter of 3 characters at the beginning"},
    {"CounterEnd", makeJob(jobCounter, 1, 1), "Add a counter of 1 character at the end"},
    {"Counter22nd", makeJob(jobCounter, 2, 3, 22), "Add a counter of 3 characters after the 22nd character"},
    {"Counter12nd", makeJob(jobCounter, 2, 3, 12), "Add a counter of 3 characters after the 12nd character"},
    {"CounterBefore", makeJob(jobCounter, 3, 2, 0, "."), "Add a counter of 2 characters before string \".\""},
    {"CounterAfter", makeJob(jobCounter, 4, 2, 0, "_"), "Add a counter of 2 characters after string \"_\""},
    {"CounterBeforeExtension", makeJob(jobCounter, 5, 3), "Add a counter of 3 characters before the extension"},
    {"CounterOther", makeJob(jobCounter, 6, 2), ""},
    {"UpperAllLetters", makeJob(jobUpper, 0, 1), "Convert all characters to upper case (all letters)"},
    {"LowerExtensionAllLetters", makeJob(jobLower, 2, 1), "Convert extension to lower case (all letters)"},
    {"NormalFilenameAllLetters", makeJob(jobNormal, 1, 1), "Normalize case of filename only (all letters)"},
    {"UpperInt1Two", makeJob(jobUpper, 0, 2), "Convert all characters to upper case"},
    {"UpperOtherScopeAllLetters", makeJob(jobUpper, 3, 1), ""},
    {"TemplateInPlace", makeJob(jobTemplate, 6, 0, 0, "{taken:%Y-%m-%d} {counter:3}"),
        "Template \"{taken:%Y-%m-%d} {counter:3}\" in place of the name"},
    {"TemplateBegin", makeJob(jobTemplate, 0, 0, 0, "{artist} - "), "Template \"{artist} - \" at the beginning"},
    {"TemplateEnd", makeJob(jobTemplate, 1, 0, 0, "_{make}"), "Template \"_{make}\" at the end"},
    {"TemplateAfterChar", makeJob(jobTemplate, 2, 3, 9, "{year}"), "Template \"{year}\" after the 3rd character"},
    {"TemplateBeforeString", makeJob(jobTemplate, 3, 0, 0, "{year}", "-"), "Template \"{year}\" before string \"-\""},
    {"TemplateBeforeExtension", makeJob(jobTemplate, 5, 0, 0, "{iso}"), "Template \"{iso}\" before the extension"},
    {"TemplateOther", makeJob(jobTemplate, 7, 0, 0, "{iso}"), ""},
    {"InsertInPlaceIsNoPosition", makeJob(jobInsert, 6, 0, 0, "x"), ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(AllKinds, Description, ::testing::ValuesIn(kDescriptions));

TEST(Description, KindAboveEightIsEmpty)
{
    Job job = makeJob(jobLower);
    job.jobType = static_cast<JobType>(9);
    EXPECT_EQ(job.description(), "");
}

TEST(StringUtil, PluralizeAndOrdinal)
{
    EXPECT_EQ(pluralize(1, "character"), "1 character");
    EXPECT_EQ(pluralize(0, "character"), "0 characters");
    EXPECT_EQ(pluralize(-2, "character"), "-2 characters");
    EXPECT_EQ(pluralize(-1, "character"), "-1 characters");
    EXPECT_EQ(ordinalSuffix(1), "1st");
    EXPECT_EQ(ordinalSuffix(11), "11st");
    EXPECT_EQ(ordinalSuffix(12), "12nd");
    EXPECT_EQ(ordinalSuffix(13), "13rd");
    EXPECT_EQ(ordinalSuffix(104), "104th");
    EXPECT_EQ(ordinalSuffix(0), "0th");
    EXPECT_EQ(ordinalSuffix(-2147483647 - 1), "-2147483648th");
}

TEST(StringUtil, zeroPaddedNumber)
{
    // The sign comes before the zeros, and the width counts it.
    EXPECT_EQ(zeroPaddedNumber(-5, 4), "-005");
    EXPECT_EQ(zeroPaddedNumber(-5, 3), "-05");
    EXPECT_EQ(zeroPaddedNumber(-5, 1), "-5");
    EXPECT_EQ(zeroPaddedNumber(-2147483647 - 1, 12), "-02147483648");
    EXPECT_EQ(zeroPaddedNumber(7, 3), "007");
    EXPECT_EQ(zeroPaddedNumber(1234, 2), "1234");
    EXPECT_EQ(zeroPaddedNumber(0, 0), "0");
    EXPECT_EQ(zeroPaddedNumber(5, 256).size(), 255u);
}

TEST(StringUtil, CharactersAreUtf8SequencesOrSingleBytes)
{
    EXPECT_EQ(charCount("abc"), 3u);
    EXPECT_EQ(charCount("\xc3\xa9"), 1u); // é
    EXPECT_EQ(charCount("\xe2\x82\xac"), 1u); // €
    EXPECT_EQ(charCount("\xf0\x9f\x98\x80"), 1u); // emoji
    EXPECT_EQ(charCount("\xc3"), 1u); // truncated sequence
    EXPECT_EQ(charCount("\xc0\xaf"), 2u); // overlong form
    EXPECT_EQ(charCount("\xed\xa0\x80"), 3u); // surrogate
    EXPECT_EQ(charCount("\xf4\x90\x80\x80"), 4u); // beyond U+10FFFF
    EXPECT_EQ(charCount("\xe2\x82"), 2u); // cut short
    EXPECT_EQ(byteOffsetOfChar("a\xc3\xa9z", 2), 3u);
    EXPECT_EQ(byteOffsetOfChar("abc", 99), 3u);
    EXPECT_EQ(byteOffsetOfChar("abc", -1), 0u);
    EXPECT_FALSE(isCharBoundary("\xc3\xa9", 1));
    EXPECT_TRUE(isCharBoundary("\xa9\xa9", 1));
    EXPECT_EQ(findWhole("\xc3\xa9\xa9", "\xa9"), 2u);
}

TEST(StringUtil, CaseChangesAsciiOnly)
{
    EXPECT_EQ(lowerCase("ÀBC\xff"), "Àbc\xff");
    EXPECT_EQ(upperCase("àbc"), "àBC");
    EXPECT_EQ(normalizeCase("", " -."), "");
    EXPECT_EQ(normalizeCase(".txt", " -."), ".Txt");
}

} // namespace
