#include <gtest/gtest.h>

#include <climits>
#include <random>

#include <unicode/ubrk.h>
#include <unicode/utext.h>

#include "jobs/JobTestUtil.h"
#include "core/jobs/RenameSession.h"
#include "core/jobs/Utf8Chars.h"
#include "core/jobs/Graphemes.h"

using namespace brindle;
using brindle::test::makeJob;

namespace
{

struct TransformCase {
    const char* label;
    Job job;
    std::string name;
    std::string expected;
    std::int32_t counter = 0;
    friend std::ostream& operator<<(std::ostream& os, const TransformCase& c) { return os << c.label; }
};

using Transform = ::testing::TestWithParam<TransformCase>;

TEST_P(Transform, GivesTheNewName)
{
    const TransformCase& c = GetParam();
    std::int32_t counter = c.counter;
    EXPECT_EQ(c.job.apply(c.name, counter), c.expected);
}

// clang-format off
const TransformCase kCaseJobs[] = {
    {"LowerFilename", makeJob(jobLower, scopeFilename), "FileName.TXT", "filename.TXT"},
    {"LowerExtension", makeJob(jobLower, scopeExtension), "FileName.TXT", "FileName.txt"},
    {"LowerAll", makeJob(jobLower, scopeAll), "FileName.TXT", "filename.txt"},
    {"UpperAllAsciiOnly", makeJob(jobUpper, scopeAll), "café.txt", "CAFé.TXT"},
    {"UpperLeavesGreek", makeJob(jobUpper, scopeAll), "αβγ.txt", "αβγ.TXT"},
    {"NormalAll", makeJob(jobNormal, scopeAll), "hello world-again.tar.gz", "Hello World-Again.Tar.Gz"},
    {"NormalFilename", makeJob(jobNormal, scopeFilename), "hello world-again.tar.gz", "Hello World-Again.Tar.gz"},
    {"NormalExtension", makeJob(jobNormal, scopeExtension), "MY FILE.TXT", "MY FILE.Txt"},
    {"NormalWholeUpper", makeJob(jobNormal, scopeAll), "MY FILE.TXT", "My File.Txt"},
    {"NormalDigitFirst", makeJob(jobNormal, scopeAll), "2nd-file", "2nd-File"},
    {"NormalUnderscoreIsNoSeparator", makeJob(jobNormal, scopeAll), "my_file", "My_file"},
    {"NormalDoubleSeparator", makeJob(jobNormal, scopeAll), "a--b  c", "A--B  C"},
    {"NormalAfterUtf8", makeJob(jobNormal, scopeAll), "école.PDF", "école.Pdf"},
    {"NoDotExtensionUnchanged", makeJob(jobUpper, scopeExtension), "readme", "readme"},
    {"NoDotFilenameIsAll", makeJob(jobUpper, scopeFilename), "readme", "README"},
    {"DotProfileIsExtension", makeJob(jobUpper, scopeFilename), ".profile", ".profile"},
    {"DotProfileExtension", makeJob(jobUpper, scopeExtension), ".profile", ".PROFILE"},
    {"TrailingDot", makeJob(jobUpper, scopeExtension), "name.", "name."},
    {"BackslashEndsSearch", makeJob(jobUpper, scopeExtension), "c:\\dir.x\\file", "c:\\dir.x\\file"},
    {"ColonEndsSearch", makeJob(jobUpper, scopeFilename), "a.b:c", "A.B:C"},
    {"CaseScopeOutOfRange", makeJob(jobUpper, 3), "abc", "abc"},
    {"CaseScopeNegative", makeJob(jobLower, -1), "ABC", "ABC"},
    {"InvalidBytesKept", makeJob(jobUpper, scopeAll), "a\xff\xc3z", "A\xff\xc3Z"},
};

const TransformCase kInsertJobs[] = {
    {"Begin", makeJob(jobInsert, posBegin, 0, 0, "IMG_"), "a.jpg", "IMG_a.jpg"},
    {"End", makeJob(jobInsert, posEnd, 0, 0, "_x"), "a.jpg", "a.jpg_x"},
    {"AfterCharBeyond", makeJob(jobInsert, posAfterChar, 10, 0, "X"), "abc", "abcX"},
    {"AfterCharZero", makeJob(jobInsert, posAfterChar, 0, 0, "X"), "abc", "Xabc"},
    {"AfterCharNegative", makeJob(jobInsert, posAfterChar, -4, 0, "X"), "abc", "Xabc"},
    {"AfterCharMiddle", makeJob(jobInsert, posAfterChar, 2, 0, "X"), "abc", "abXc"},
    {"AfterCharMax", makeJob(jobInsert, posAfterChar, INT_MAX, 0, "X"), "abc", "abcX"},
    {"AfterCharCountsUtf8", makeJob(jobInsert, posAfterChar, 2, 0, "X"), "éèa", "éèXa"},
    {"AfterCharInvalidByteIsOne", makeJob(jobInsert, posAfterChar, 1, 0, "X"), "\xe9t\xe9", "\xe9Xt\xe9"},
    {"BeforeString", makeJob(jobInsert, posBeforeString, 0, 0, "X", "b"), "abcb", "aXbcb"},
    {"AfterString", makeJob(jobInsert, posAfterString, 0, 0, "X", "b"), "abcb", "abXcb"},
    {"BeforeAbsent", makeJob(jobInsert, posBeforeString, 0, 0, "X", "z"), "abc", "abc"},
    {"BeforeEmptyAnchor", makeJob(jobInsert, posBeforeString, 0, 0, "X", ""), "abc", "abc"},
    {"AnchorCaseSensitive", makeJob(jobInsert, posAfterString, 0, 0, "X", "B"), "abc", "abc"},
    {"AnchorNotInsideUtf8", makeJob(jobInsert, posBeforeString, 0, 0, "X", "\xa9"), "\xc3\xa9", "\xc3\xa9"},
    {"AnchorLoneByteMatches", makeJob(jobInsert, posBeforeString, 0, 0, "X", "\xa9"), "a\xa9", "aX\xa9"},
    {"EmptyText", makeJob(jobInsert, posBegin, 0, 0, ""), "abc", "abc"},
    {"UnknownModifier", makeJob(jobInsert, 6, 0, 0, "X"), "abc", "abc"},
    {"UsesInt1NotInt2", makeJob(jobInsert, posAfterChar, 1, 2, "X"), "abc", "aXbc"},
};

const TransformCase kRemoveJobs[] = {
    {"BeginAll", makeJob(jobRemove, posBegin, 5), "abc", ""},
    {"BeginSome", makeJob(jobRemove, posBegin, 2), "abcde", "cde"},
    {"BeginZero", makeJob(jobRemove, posBegin, 0), "abc", "abc"},
    {"BeginNegative", makeJob(jobRemove, posBegin, -3), "abc", "abc"},
    {"EndFromFilename", makeJob(jobRemove, posEnd, 3), "file.txt", "file."},
    {"EndAll", makeJob(jobRemove, posEnd, 3), "abc", ""},
    {"EndNegative", makeJob(jobRemove, posEnd, -1), "abc", "abc"},
    {"EndUtf8", makeJob(jobRemove, posEnd, 1), "caf\xc3\xa9", "caf"},
    {"AfterChar", makeJob(jobRemove, posAfterChar, 2, 2), "abcdef", "abef"},
    {"AfterCharToEnd", makeJob(jobRemove, posAfterChar, 10, 4), "abcdef", "abcd"},
    {"AfterCharAtLength", makeJob(jobRemove, posAfterChar, 1, 6), "abcdef", "abcdef"},
    {"AfterCharNegativeN", makeJob(jobRemove, posAfterChar, 1, -1), "abcdef", "abcdef"},
    {"AfterCharZeroN", makeJob(jobRemove, posAfterChar, 1, 0), "abcdef", "bcdef"},
    {"AfterCharMaxCount", makeJob(jobRemove, posAfterChar, INT_MAX, INT_MAX), "abc", "abc"},
    {"AfterCharUsesInt2", makeJob(jobRemove, posAfterChar, 1, 1), "aébc", "abc"},
    {"BeforeStringAll", makeJob(jobRemove, posBeforeString, 2, 0, "c"), "abc", "c"},
    {"BeforeStringOne", makeJob(jobRemove, posBeforeString, 1, 0, "c"), "abc", "ac"},
    {"BeforeStringExact", makeJob(jobRemove, posBeforeString, 2, 0, "d"), "abcd", "ad"},
    {"BeforeStringEmptyAnchor", makeJob(jobRemove, posBeforeString, 1, 0, ""), "abc", "abc"},
    {"BeforeStringAbsent", makeJob(jobRemove, posBeforeString, 1, 0, "z"), "abc", "abc"},
    {"BeforeStringUtf8", makeJob(jobRemove, posBeforeString, 1, 0, "x"), "aéx", "ax"},
    {"AfterString", makeJob(jobRemove, posAfterString, 2, 0, "e"), "abcdef", "abcde"},
    {"AfterStringMiddle", makeJob(jobRemove, posAfterString, 2, 0, "b"), "abcdef", "abef"},
    {"AfterStringAtEnd", makeJob(jobRemove, posAfterString, 2, 0, "f"), "abcdef", "abcdef"},
    {"AfterStringMaxCount", makeJob(jobRemove, posAfterString, INT_MAX, 0, "a"), "abc", "a"},
    {"UnknownModifier", makeJob(jobRemove, 9, 1), "abc", "abc"},
};

const TransformCase kReplaceJobs[] = {
    {"IgnoreCase", makeJob(jobReplace, replaceText, 0, 0, "A", "x"), "Banana", "Bxnxnx"},
    {"MatchCase", makeJob(jobReplace, replaceText, 1, 0, "A", "x"), "Banana", "Banana"},
    {"MatchCaseHit", makeJob(jobReplace, replaceText, 1, 0, "an", "AN"), "Banana", "BANANa"},
    {"NoOverlap", makeJob(jobReplace, replaceText, 1, 0, "aa", "b"), "aaa", "ba"},
    {"NoRescan", makeJob(jobReplace, replaceText, 0, 0, "a", "aa"), "aXa", "aaXaa"},
    {"ReplacementKeptAsTyped", makeJob(jobReplace, replaceText, 2, 0, "TXT", "Txt"), "a.txt", "a.Txt"},
    {"ToEmpty", makeJob(jobReplace, replaceText, 0, 0, " ", ""), "a b c", "abc"},
    {"EmptyFind", makeJob(jobReplace, replaceText, 0, 0, "", "x"), "abc", "abc"},
    {"Regex", makeJob(jobReplace, replaceRegex, 0, 0, "a", "x"), "abc", "xbc"},
    {"OtherMode", makeJob(jobReplace, 7, 0, 0, "a", "x"), "abc", "abc"},
    {"IgnoreCaseBeyondAscii", makeJob(jobReplace, replaceText, 0, 0, "É", "e"), "caf\xc3\xa9.txt", "cafe.txt"},
    {"IgnoreCaseGreek", makeJob(jobReplace, replaceText, 0, 0, "σ", "s"), "ΣΑΣ", "sΑs"},
    {"IgnoreCaseKeepsRest", makeJob(jobReplace, replaceText, 0, 0, "b", "-"), "ÀbÀB", "À-À-"},
    {"IgnoreCaseNotInsideUtf8", makeJob(jobReplace, replaceText, 0, 0, "\xa9", "x"), "\xc3\xa9", "\xc3\xa9"},
    {"IgnoreCaseInvalidByte", makeJob(jobReplace, replaceText, 0, 0, "\xe9", "e"), "caf\xe9\xc3\xa9", "cafe\xc3\xa9"},
    {"MatchCaseNotInsideUtf8", makeJob(jobReplace, replaceText, 1, 0, "\xa9", "x"), "\xc3\xa9", "\xc3\xa9"},
    // Int2: the scope, as the case jobs have it.
    {"RegexWholeNameTakesExtension", makeJob(jobReplace, replaceRegex, 1, scopeAll, "^(.+) - (.+)$", "$2 - $1"), "Adele - Hello.mp3", "Hello.mp3 - Adele"},
    {"RegexFilenameOnly", makeJob(jobReplace, replaceRegex, 1, scopeFilename, "^(.+) - (.+)$", "$2 - $1"), "Adele - Hello.mp3", "Hello - Adele.mp3"},
    {"TextFilenameOnly", makeJob(jobReplace, replaceText, 0, scopeFilename, "a", "b"), "aa.a", "bb.a"},
    {"TextExtensionOnly", makeJob(jobReplace, replaceText, 0, scopeExtension, "jpeg", "jpg"), "jpeg.JPEG", "jpeg.jpg"},
    {"ExtensionOnlyWithoutExtension", makeJob(jobReplace, replaceText, 0, scopeExtension, "a", "b"), "aaa", "aaa"},
    {"FilenameOnlyWithoutExtension", makeJob(jobReplace, replaceText, 0, scopeFilename, "a", "b"), "aaa", "bbb"},
    {"FilenameOnlyLastDot", makeJob(jobReplace, replaceText, 1, scopeFilename, ".", "_"), "a.tar.gz", "a_tar.gz"},
    {"RegexExtensionAnchors", makeJob(jobReplace, replaceRegex, 1, scopeExtension, "^\\.", "_"), "a.b", "a_b"},
    {"OtherScopeIsWholeName", makeJob(jobReplace, replaceText, 0, 7, "a", "b"), "a.a", "b.b"},
};

// Positions and counts are user-perceived characters: a combining mark stays with its letter.
// "e\xcc\x81" is e and a combining acute accent; "\xc3\xa9" the precomposed é.
const TransformCase kGraphemeJobs[] = {
    {"RemoveFirstDecomposed", makeJob(jobRemove, posBegin, 1), "e\xcc\x81" "cole.txt", "cole.txt"},
    {"RemoveFirstPrecomposed", makeJob(jobRemove, posBegin, 1), "\xc3\xa9" "cole.txt", "cole.txt"},
    {"RemoveLastDecomposed", makeJob(jobRemove, posEnd, 1), "cafe\xcc\x81", "caf"},
    {"RemoveAfterCharDecomposed", makeJob(jobRemove, posAfterChar, 1, 3), "cafe\xcc\x81s", "cafs"},
    {"RemoveBeforeStringDecomposed", makeJob(jobRemove, posBeforeString, 1, 0, "-"), "cafe\xcc\x81-1", "caf-1"},
    {"RemoveBeforeExtensionDecomposed", makeJob(jobRemove, posBeforeExt, 2), "ae\xcc\x81o\xcc\x88.txt", "a.txt"},
    {"RemoveAfterStringDecomposed", makeJob(jobRemove, posAfterString, 1, 0, "-"), "x-e\xcc\x81y", "x-y"},
    {"InsertAfterDecomposed", makeJob(jobInsert, posAfterChar, 1, 0, "X"), "e\xcc\x81" "cole", "e\xcc\x81Xcole"},
    {"InsertAfterTwoMarks", makeJob(jobInsert, posAfterChar, 1, 0, "X"), "a\xcc\x81\xcc\xa3" "b", "a\xcc\x81\xcc\xa3Xb"},
    {"CounterAfterDecomposed", makeJob(jobCounter, posAfterChar, 2, 1), "e\xcc\x81t", "e\xcc\x81" "07t", 7},
    {"HangulJamoAreOne", makeJob(jobRemove, posBegin, 1), "\xe1\x84\x80\xe1\x85\xa1" "b", "b"},
    {"FlagIsOne", makeJob(jobRemove, posBegin, 1), "\xf0\x9f\x87\xab\xf0\x9f\x87\xb7.png", ".png"},
    {"StrayByteIsOneBeforeAMark", makeJob(jobRemove, posBegin, 1), "\xff\xcc\x81" "a", "\xcc\x81" "a"},
    {"StrayByteBetweenClusters", makeJob(jobRemove, posBegin, 2), "e\xcc\x81\xff" "a", "a"},
    {"AsciiByteForByte", makeJob(jobRemove, posAfterChar, 2, 1), "abcd", "ad"},
    {"CrLfInAsciiNameIsTwo", makeJob(jobRemove, posBegin, 1), "\r\nx", "\nx"},
};

// Int1 1: every letter by Unicode's full case mapping; Int1 0 (and any other value) A to Z only.
const TransformCase kEveryLetterJobs[] = {
    {"UpperAccented", makeJob(jobUpper, scopeAll, 1), "café.txt", "CAFÉ.TXT"},
    {"UpperSharpS", makeJob(jobUpper, scopeAll, 1), "straße", "STRASSE"},
    {"UpperSharpSKeepsExtension", makeJob(jobUpper, scopeFilename, 1), "straße.txt", "STRASSE.txt"},
    {"UpperExtensionOnly", makeJob(jobUpper, scopeExtension, 1), "straße.straße", "straße.STRASSE"},
    {"UpperInt1TwoIsAsciiOnly", makeJob(jobUpper, scopeAll, 2), "café", "CAFé"},
    {"LowerGreekFinalSigma", makeJob(jobLower, scopeAll, 1), "ΟΔΟΣ", "οδος"},
    {"LowerFinalSigmaBeforeExtension", makeJob(jobLower, scopeAll, 1), "ΟΔΟΣ.TXT", "οδος.txt"},
    {"LowerFinalSigmaEveryWord", makeJob(jobLower, scopeAll, 1), "ΣΑΣ ΟΔΟΣ-ΟΔΟΣ", "σας οδος-οδος"},
    {"LowerDottedCapitalI", makeJob(jobLower, scopeAll, 1), "\xc4\xb0", "i\xcc\x87"},
    {"NormalAccented", makeJob(jobNormal, scopeAll, 1), "ÉCOLE NORMALE.PDF", "École Normale.Pdf"},
    {"NormalGreek", makeJob(jobNormal, scopeAll, 1), "ΟΔΟΣ-ΑΣ", "Οδος-Ας"},
    {"NormalTitleCaseDigraph", makeJob(jobNormal, scopeAll, 1), "ǆUNGLA", "ǅungla"},
    {"NormalDigitFirst", makeJob(jobNormal, scopeAll, 1), "2ND-ÉTÉ", "2nd-Été"},
    {"NormalFilenameOnly", makeJob(jobNormal, scopeFilename, 1), "ÉTÉ.TXT", "Été.TXT"},
    {"InvalidBytesKept", makeJob(jobUpper, scopeAll, 1), "é\xffß\xc3", "É\xffSS\xc3"},
    {"NormalAfterInvalidByte", makeJob(jobNormal, scopeAll, 1), "\xffÉCOLE \xc3ÉTÉ", "\xffécole \xc3été"},
};

// Modifier 5: just before the extension, or at the end of a name without one.
const TransformCase kBeforeExtensionJobs[] = {
    {"Insert", makeJob(jobInsert, posBeforeExt, 0, 0, "_v2"), "report.pdf", "report_v2.pdf"},
    {"InsertLastDotOnly", makeJob(jobInsert, posBeforeExt, 0, 0, "X"), "a.tar.gz", "a.tarX.gz"},
    {"InsertNoExtension", makeJob(jobInsert, posBeforeExt, 0, 0, "X"), "README", "READMEX"},
    {"InsertDotProfile", makeJob(jobInsert, posBeforeExt, 0, 0, "X"), ".profile", "X.profile"},
    {"InsertTrailingDot", makeJob(jobInsert, posBeforeExt, 0, 0, "X"), "name.", "nameX."},
    {"InsertBackslashEndsSearch", makeJob(jobInsert, posBeforeExt, 0, 0, "X"), "c:\\dir.x\\file", "c:\\dir.x\\fileX"},
    {"InsertEmptyText", makeJob(jobInsert, posBeforeExt, 0, 0, ""), "a.b", "a.b"},
    {"Remove", makeJob(jobRemove, posBeforeExt, 2), "photo01.jpg", "photo.jpg"},
    {"RemoveMoreThanThere", makeJob(jobRemove, posBeforeExt, 10), "ab.txt", ".txt"},
    {"RemoveNoExtension", makeJob(jobRemove, posBeforeExt, 2), "README", "READ"},
    {"RemoveCountsCharacters", makeJob(jobRemove, posBeforeExt, 1), "café.txt", "caf.txt"},
    {"RemoveNothingBefore", makeJob(jobRemove, posBeforeExt, 3), ".profile", ".profile"},
    {"RemoveZero", makeJob(jobRemove, posBeforeExt, 0), "ab.txt", "ab.txt"},
    {"RemoveNegative", makeJob(jobRemove, posBeforeExt, -1), "ab.txt", "ab.txt"},
    {"Counter", makeJob(jobCounter, posBeforeExt, 1), "Img 1234.jpg", "Img 12345.jpg", 5},
    {"CounterWidth3", makeJob(jobCounter, posBeforeExt, 3), "Img 1234.jpg", "Img 1234005.jpg", 5},
    {"CounterNoExtension", makeJob(jobCounter, posBeforeExt, 2), "Img", "Img07", 7},
};

const TransformCase kCounterJobs[] = {
    {"EndWidth2", makeJob(jobCounter, posEnd, 2), "a", "a09", 9},
    {"EndWidth1", makeJob(jobCounter, posEnd, 1), "a", "a10", 10},
    {"Negative", makeJob(jobCounter, posBegin, 3), "", "-03", -3},
    {"Begin", makeJob(jobCounter, posBegin, 3), "x.jpg", "007x.jpg", 7},
    {"AfterCharUsesInt2", makeJob(jobCounter, posAfterChar, 2, 1), "abc", "a05bc", 5},
    {"BeforeAnchorInStr1", makeJob(jobCounter, posBeforeString, 1, 0, ".", "z"), "a.b", "a4.b", 4},
    {"MissingAnchor", makeJob(jobCounter, posBeforeString, 1, 0, "z"), "a.b", "a.b", 4},
    {"WideIsCapped", makeJob(jobCounter, posEnd, 100000), "", std::string(254, '0') + "1", 1},
    {"NegativeWidth", makeJob(jobCounter, posEnd, -5), "a", "a12", 12},
    {"MinValue", makeJob(jobCounter, posEnd, 1), "", "-2147483648", INT_MIN},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Case, Transform, ::testing::ValuesIn(kCaseJobs));
INSTANTIATE_TEST_SUITE_P(Insert, Transform, ::testing::ValuesIn(kInsertJobs));
INSTANTIATE_TEST_SUITE_P(Remove, Transform, ::testing::ValuesIn(kRemoveJobs));
INSTANTIATE_TEST_SUITE_P(Replace, Transform, ::testing::ValuesIn(kReplaceJobs));
INSTANTIATE_TEST_SUITE_P(Counter, Transform, ::testing::ValuesIn(kCounterJobs));
INSTANTIATE_TEST_SUITE_P(EveryLetter, Transform, ::testing::ValuesIn(kEveryLetterJobs));
INSTANTIATE_TEST_SUITE_P(BeforeExtension, Transform, ::testing::ValuesIn(kBeforeExtensionJobs));
INSTANTIATE_TEST_SUITE_P(Grapheme, Transform, ::testing::ValuesIn(kGraphemeJobs));

// On valid UTF-8 the characters are exactly ICU's grapheme clusters, also where the quick way
// for code points that stand alone meets the break rules (marks, jamo, flags, emoji sequences).
TEST(Grapheme, ValidUtf8CountsAsIcuBreaksIt)
{
    static const char* const kPieces[]
        = {"a", ".", "\r", "\n", "\xc3\xa9", "\xcc\x81", "\xcc\xa3", "\xe1\x84\x80", "\xe1\x85\xa1",
            "\xe1\x86\xa8", "\xea\xb0\x80", "\xf0\x9f\x87\xab", "\xf0\x9f\x87\xb7", "\xe2\x80\x8d",
            "\xf0\x9f\x91\xa8", "\xef\xb8\x8f", "\xe0\xa4\x95", "\xe0\xa4\x83", "\xd8\x80", "\xce\xb1"};
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> length(1, 10);
    UErrorCode status = U_ZERO_ERROR;
    UBreakIterator* breaks = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
    ASSERT_TRUE(U_SUCCESS(status));
    for (int round = 0; round < 3000; ++round) {
        std::string name;
        for (int k = length(rng); k > 0; --k)
            name += kPieces[piece(rng)];
        // ASCII alone goes byte by byte: a carriage return then a line feed are two there.
        if (isAscii(name))
            continue;
        UText* text = utext_openUTF8(nullptr, name.data(), static_cast<std::int64_t>(name.size()), &status);
        ubrk_setUText(breaks, text, &status);
        std::vector<std::size_t> icu;
        for (std::int32_t b = ubrk_next(breaks); b != UBRK_DONE; b = ubrk_next(breaks))
            icu.push_back(static_cast<std::size_t>(b));
        utext_close(text);
        ASSERT_EQ(graphemeCount(name), icu.size()) << ::testing::PrintToString(name);
        for (std::size_t n = 0; n < icu.size(); ++n)
            ASSERT_EQ(byteOffsetOfGrapheme(name, static_cast<std::int64_t>(n + 1)), icu[n])
                << ::testing::PrintToString(name);
    }
    ubrk_close(breaks);
}

// Names without combining sequences count as before: every code point (or stray byte) one
// character, whatever mix of scripts and odd bytes they hold.
TEST(Grapheme, NamesWithoutCombiningMarksCountCodePoints)
{
    static const char* const kPieces[] = {"a", "Z", ".", " ", "\xc3\xa9", "\xc3\x9f", "\xce\xa9",
        "\xe4\xb8\xad", "\xff", "\xc3", "\xf0\x9f\x98\x80", "\xea\xb0\x80"};
    std::mt19937 rng(20261209);
    std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> length(0, 12);
    for (int round = 0; round < 2000; ++round) {
        std::string name;
        for (int k = length(rng); k > 0; --k)
            name += kPieces[piece(rng)];
        ASSERT_EQ(graphemeCount(name), charCount(name)) << ::testing::PrintToString(name);
        for (std::int64_t n = -1; n <= static_cast<std::int64_t>(charCount(name)) + 1; ++n)
            ASSERT_EQ(byteOffsetOfGrapheme(name, n), byteOffsetOfChar(name, n))
                << ::testing::PrintToString(name);
    }
}

// On ASCII names every-letter case jobs give exactly what the A-to-Z jobs give.
TEST(EveryLetter, AsciiNamesChangeAsTheAsciiJobsChangeThem)
{
    std::mt19937 rng(15);
    const std::string alphabet = "aZ b-c.DeF gh.IJ-k 09_";
    for (int round = 0; round < 2000; ++round) {
        std::string name;
        for (std::size_t n = rng() % 24; n > 0; --n)
            name += alphabet[rng() % alphabet.size()];
        for (JobType kind : {jobLower, jobUpper, jobNormal}) {
            for (std::int32_t scope : {scopeAll, scopeFilename, scopeExtension}) {
                std::int32_t counter = 0;
                EXPECT_EQ(makeJob(kind, scope, 1).apply(name, counter),
                    makeJob(kind, scope, 0).apply(name, counter))
                    << name;
            }
        }
    }
}

TEST(Counter, AdvancesOnEveryApplicationAndNeverWraps)
{
    std::int32_t counter = 9;
    const Job missing = makeJob(jobCounter, posBeforeString, 1, 0, "zz");
    EXPECT_EQ(missing.apply("a", counter), "a");
    EXPECT_EQ(counter, 10);
    const Job unknown = makeJob(jobCounter, 42, 1);
    EXPECT_EQ(unknown.apply("a", counter), "a");
    EXPECT_EQ(counter, 11);

    counter = INT_MAX;
    EXPECT_EQ(makeJob(jobCounter, posEnd, 1).apply("n", counter), "n2147483647");
    // It stays at the largest value rather than wrap to -2147483648.
    EXPECT_EQ(counter, INT_MAX);
}

TEST(Counter, OtherKindsLeaveIt)
{
    std::int32_t counter = 5;
    for (JobType kind : {jobNone, jobLower, jobUpper, jobNormal, jobInsert, jobRemove, jobReplace})
        makeJob(kind, 0, 1, 1, "a", "b").apply("abc", counter);
    EXPECT_EQ(counter, 5);
}

TEST(JobList, AppliesEveryJobInOrderWithOneCounter)
{
    RenameSession s;
    s.jobs = {makeJob(jobCounter, posEnd, 2), makeJob(jobUpper), makeJob(jobCounter, posBegin, 1)};
    s.counterValue = 3;
    EXPECT_EQ(s.applyJobList("a"), "4A03");
    EXPECT_EQ(s.counterValue, 5);
    EXPECT_EQ(s.applyJobList("b"), "6B05");
}

TEST(JobList, EmptyListAndUnknownKindsChangeNothing)
{
    RenameSession s;
    EXPECT_EQ(s.applyJobList("My File.TXT"), "My File.TXT");
    Job odd = makeJob(jobNone, 1, 1, 1, "x", "y");
    odd.jobType = static_cast<JobType>(200);
    s.jobs = {makeJob(jobNone, 1, 1, 1, "x", "y"), odd};
    EXPECT_EQ(s.applyJobList("My File.TXT"), "My File.TXT");
}

TEST(JobList, PreviewNameCountsByKind)
{
    RenameSession s;
    EXPECT_EQ(s.previewName("a.TXT", EntryKind::File), "a.TXT");
    EXPECT_EQ(s.stats.filesExamined, 1);
    EXPECT_EQ(s.stats.filesRenamed, 0);

    s.jobs = {makeJob(jobLower)};
    EXPECT_EQ(s.previewName("My File.TXT", EntryKind::File), "my file.txt");
    EXPECT_EQ(s.previewName("dir", EntryKind::Folder), "dir");
    EXPECT_EQ(s.previewName("DIR", EntryKind::Folder), "dir");
    EXPECT_EQ(s.stats.filesExamined, 2);
    EXPECT_EQ(s.stats.filesRenamed, 1);
    EXPECT_EQ(s.stats.foldersExamined, 2);
    EXPECT_EQ(s.stats.foldersRenamed, 1);
    EXPECT_EQ(s.stats.errorCount, 0);
}

TEST(Job, CreateGivesZeroesAndEmptyStrings)
{
    for (int k = 0; k <= 7; ++k) {
        const Job j = Job::create(static_cast<JobType>(k));
        EXPECT_EQ(j.jobType, k);
        EXPECT_EQ(j.modifier, 0);
        EXPECT_EQ(j.int1, 0);
        EXPECT_EQ(j.int2, 0);
        EXPECT_TRUE(j.str1.empty());
        EXPECT_TRUE(j.str2.empty());
    }
}

TEST(Job, KindFromNameIgnoresAsciiCase)
{
    EXPECT_EQ(Job::kindFromName("jobUpper"), jobUpper);
    EXPECT_EQ(Job::kindFromName("JOBUPPER"), jobUpper);
    EXPECT_EQ(Job::kindFromName("jobcounter"), jobCounter);
    EXPECT_EQ(Job::kindFromName("jobNone"), jobNone);
    EXPECT_EQ(Job::kindFromName("jobUpper "), jobNone);
    EXPECT_EQ(Job::kindFromName(""), jobNone);
}

// Names of every length and shape pass through every kind without a character cut in two:
// a valid UTF-8 name stays valid UTF-8.
TEST(Job, NeverSplitsACharacter)
{
    const std::string names[]
        = {"", "é", "ab\xc3\xa9\xc3\xa9.t\xe2\x82\xacxt", "\xf0\x9f\x98\x80\xf0\x9f\x98\x80", "Ωμέγα.ΤΧΤ"};
    std::vector<Job> jobs;
    for (int mod = 0; mod <= 4; ++mod) {
        for (int n = -1; n <= 6; ++n) {
            jobs.push_back(makeJob(jobInsert, mod, n, 0, "x", "\xa9"));
            jobs.push_back(makeJob(jobRemove, mod, n, n, "\x82"));
            jobs.push_back(makeJob(jobRemove, mod, n, 1, "\xc3\xa9"));
            jobs.push_back(makeJob(jobCounter, mod, n, n, "\x98"));
        }
    }
    jobs.push_back(makeJob(jobReplace, 0, 0, 0, "\x98", "?"));
    jobs.push_back(makeJob(jobReplace, 0, 1, 0, "\xa9", "?"));
    std::int32_t counter = 0;
    for (const std::string& name : names) {
        ASSERT_TRUE(isValidUtf8(name));
        for (const Job& job : jobs)
            EXPECT_TRUE(isValidUtf8(job.apply(name, counter))) << job.description() << " on " << name;
    }
}

} // namespace
