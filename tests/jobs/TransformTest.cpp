#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "jobs/JobTestUtil.h"
#include "jobs/URenameSession.h"
#include "jobs/zmStringUtil.h"

using namespace brindle;
using brindle::test::MakeJob;

namespace
{

struct TransformCase {
    const char* label;
    TJob job;
    std::string name;
    std::string expected;
    std::int32_t counter = 0;
};

std::ostream& operator<<(std::ostream& os, const TransformCase& c)
{
    return os << c.label;
}

class Transform : public ::testing::TestWithParam<TransformCase>
{
};

TEST_P(Transform, GivesTheNewName)
{
    const TransformCase& c = GetParam();
    std::int32_t counter = c.counter;
    EXPECT_EQ(c.job.Apply(c.name, counter), c.expected);
}

// clang-format off
const TransformCase kCaseJobs[] = {
    {"LowerFilename", MakeJob(jobLower, scopeFilename), "FileName.TXT", "filename.TXT"},
    {"LowerExtension", MakeJob(jobLower, scopeExtension), "FileName.TXT", "FileName.txt"},
    {"LowerAll", MakeJob(jobLower, scopeAll), "FileName.TXT", "filename.txt"},
    {"UpperAllAsciiOnly", MakeJob(jobUpper, scopeAll), "café.txt", "CAFé.TXT"},
    {"UpperLeavesGreek", MakeJob(jobUpper, scopeAll), "αβγ.txt", "αβγ.TXT"},
    {"NormalAll", MakeJob(jobNormal, scopeAll), "hello world-again.tar.gz", "Hello World-Again.Tar.Gz"},
    {"NormalFilename", MakeJob(jobNormal, scopeFilename), "hello world-again.tar.gz", "Hello World-Again.Tar.gz"},
    {"NormalExtension", MakeJob(jobNormal, scopeExtension), "MY FILE.TXT", "MY FILE.Txt"},
    {"NormalWholeUpper", MakeJob(jobNormal, scopeAll), "MY FILE.TXT", "My File.Txt"},
    {"NormalDigitFirst", MakeJob(jobNormal, scopeAll), "2nd-file", "2nd-File"},
    {"NormalUnderscoreIsNoSeparator", MakeJob(jobNormal, scopeAll), "my_file", "My_file"},
    {"NormalDoubleSeparator", MakeJob(jobNormal, scopeAll), "a--b  c", "A--B  C"},
    {"NormalAfterUtf8", MakeJob(jobNormal, scopeAll), "école.PDF", "école.Pdf"},
    {"NoDotExtensionUnchanged", MakeJob(jobUpper, scopeExtension), "readme", "readme"},
    {"NoDotFilenameIsAll", MakeJob(jobUpper, scopeFilename), "readme", "README"},
    {"DotProfileIsExtension", MakeJob(jobUpper, scopeFilename), ".profile", ".profile"},
    {"DotProfileExtension", MakeJob(jobUpper, scopeExtension), ".profile", ".PROFILE"},
    {"TrailingDot", MakeJob(jobUpper, scopeExtension), "name.", "name."},
    {"BackslashEndsSearch", MakeJob(jobUpper, scopeExtension), "c:\\dir.x\\file", "c:\\dir.x\\file"},
    {"ColonEndsSearch", MakeJob(jobUpper, scopeFilename), "a.b:c", "A.B:C"},
    {"CaseScopeOutOfRange", MakeJob(jobUpper, 3), "abc", "abc"},
    {"CaseScopeNegative", MakeJob(jobLower, -1), "ABC", "ABC"},
    {"InvalidBytesKept", MakeJob(jobUpper, scopeAll), "a\xff\xc3z", "A\xff\xc3Z"},
};

const TransformCase kInsertJobs[] = {
    {"Begin", MakeJob(jobInsert, posBegin, 0, 0, "IMG_"), "a.jpg", "IMG_a.jpg"},
    {"End", MakeJob(jobInsert, posEnd, 0, 0, "_x"), "a.jpg", "a.jpg_x"},
    {"AfterCharBeyond", MakeJob(jobInsert, posAfterChar, 10, 0, "X"), "abc", "abcX"},
    {"AfterCharZero", MakeJob(jobInsert, posAfterChar, 0, 0, "X"), "abc", "Xabc"},
    {"AfterCharNegative", MakeJob(jobInsert, posAfterChar, -4, 0, "X"), "abc", "Xabc"},
    {"AfterCharMiddle", MakeJob(jobInsert, posAfterChar, 2, 0, "X"), "abc", "abXc"},
    {"AfterCharMax", MakeJob(jobInsert, posAfterChar, INT_MAX, 0, "X"), "abc", "abcX"},
    {"AfterCharCountsUtf8", MakeJob(jobInsert, posAfterChar, 2, 0, "X"), "éèa", "éèXa"},
    {"AfterCharInvalidByteIsOne", MakeJob(jobInsert, posAfterChar, 1, 0, "X"), "\xe9t\xe9", "\xe9Xt\xe9"},
    {"BeforeString", MakeJob(jobInsert, posBeforeString, 0, 0, "X", "b"), "abcb", "aXbcb"},
    {"AfterString", MakeJob(jobInsert, posAfterString, 0, 0, "X", "b"), "abcb", "abXcb"},
    {"BeforeAbsent", MakeJob(jobInsert, posBeforeString, 0, 0, "X", "z"), "abc", "abc"},
    {"BeforeEmptyAnchor", MakeJob(jobInsert, posBeforeString, 0, 0, "X", ""), "abc", "abc"},
    {"AnchorCaseSensitive", MakeJob(jobInsert, posAfterString, 0, 0, "X", "B"), "abc", "abc"},
    {"AnchorNotInsideUtf8", MakeJob(jobInsert, posBeforeString, 0, 0, "X", "\xa9"), "\xc3\xa9", "\xc3\xa9"},
    {"AnchorLoneByteMatches", MakeJob(jobInsert, posBeforeString, 0, 0, "X", "\xa9"), "a\xa9", "aX\xa9"},
    {"EmptyText", MakeJob(jobInsert, posBegin, 0, 0, ""), "abc", "abc"},
    {"UnknownModifier", MakeJob(jobInsert, 6, 0, 0, "X"), "abc", "abc"},
    {"UsesInt1NotInt2", MakeJob(jobInsert, posAfterChar, 1, 2, "X"), "abc", "aXbc"},
};

const TransformCase kRemoveJobs[] = {
    {"BeginAll", MakeJob(jobRemove, posBegin, 5), "abc", ""},
    {"BeginSome", MakeJob(jobRemove, posBegin, 2), "abcde", "cde"},
    {"BeginZero", MakeJob(jobRemove, posBegin, 0), "abc", "abc"},
    {"BeginNegative", MakeJob(jobRemove, posBegin, -3), "abc", "abc"},
    {"EndFromFilename", MakeJob(jobRemove, posEnd, 3), "file.txt", "file."},
    {"EndAll", MakeJob(jobRemove, posEnd, 3), "abc", ""},
    {"EndNegative", MakeJob(jobRemove, posEnd, -1), "abc", "abc"},
    {"EndUtf8", MakeJob(jobRemove, posEnd, 1), "caf\xc3\xa9", "caf"},
    {"AfterChar", MakeJob(jobRemove, posAfterChar, 2, 2), "abcdef", "abef"},
    {"AfterCharToEnd", MakeJob(jobRemove, posAfterChar, 10, 4), "abcdef", "abcd"},
    {"AfterCharAtLength", MakeJob(jobRemove, posAfterChar, 1, 6), "abcdef", "abcdef"},
    {"AfterCharNegativeN", MakeJob(jobRemove, posAfterChar, 1, -1), "abcdef", "abcdef"},
    {"AfterCharZeroN", MakeJob(jobRemove, posAfterChar, 1, 0), "abcdef", "bcdef"},
    {"AfterCharMaxCount", MakeJob(jobRemove, posAfterChar, INT_MAX, INT_MAX), "abc", "abc"},
    {"AfterCharUsesInt2", MakeJob(jobRemove, posAfterChar, 1, 1), "aébc", "abc"},
    {"BeforeStringAll", MakeJob(jobRemove, posBeforeString, 2, 0, "c"), "abc", "c"},
    {"BeforeStringOne", MakeJob(jobRemove, posBeforeString, 1, 0, "c"), "abc", "ac"},
    {"BeforeStringExact", MakeJob(jobRemove, posBeforeString, 2, 0, "d"), "abcd", "ad"},
    {"BeforeStringEmptyAnchor", MakeJob(jobRemove, posBeforeString, 1, 0, ""), "abc", "abc"},
    {"BeforeStringAbsent", MakeJob(jobRemove, posBeforeString, 1, 0, "z"), "abc", "abc"},
    {"BeforeStringUtf8", MakeJob(jobRemove, posBeforeString, 1, 0, "x"), "aéx", "ax"},
    {"AfterString", MakeJob(jobRemove, posAfterString, 2, 0, "e"), "abcdef", "abcde"},
    {"AfterStringMiddle", MakeJob(jobRemove, posAfterString, 2, 0, "b"), "abcdef", "abef"},
    {"AfterStringAtEnd", MakeJob(jobRemove, posAfterString, 2, 0, "f"), "abcdef", "abcdef"},
    {"AfterStringMaxCount", MakeJob(jobRemove, posAfterString, INT_MAX, 0, "a"), "abc", "a"},
    {"UnknownModifier", MakeJob(jobRemove, 9, 1), "abc", "abc"},
};

const TransformCase kReplaceJobs[] = {
    {"IgnoreCase", MakeJob(jobReplace, replaceText, 0, 0, "A", "x"), "Banana", "Bxnxnx"},
    {"MatchCase", MakeJob(jobReplace, replaceText, 1, 0, "A", "x"), "Banana", "Banana"},
    {"MatchCaseHit", MakeJob(jobReplace, replaceText, 1, 0, "an", "AN"), "Banana", "BANANa"},
    {"NoOverlap", MakeJob(jobReplace, replaceText, 1, 0, "aa", "b"), "aaa", "ba"},
    {"NoRescan", MakeJob(jobReplace, replaceText, 0, 0, "a", "aa"), "aXa", "aaXaa"},
    {"ReplacementKeptAsTyped", MakeJob(jobReplace, replaceText, 2, 0, "TXT", "Txt"), "a.txt", "a.Txt"},
    {"ToEmpty", MakeJob(jobReplace, replaceText, 0, 0, " ", ""), "a b c", "abc"},
    {"EmptyFind", MakeJob(jobReplace, replaceText, 0, 0, "", "x"), "abc", "abc"},
    {"Regex", MakeJob(jobReplace, replaceRegex, 0, 0, "a", "x"), "abc", "xbc"},
    {"OtherMode", MakeJob(jobReplace, 7, 0, 0, "a", "x"), "abc", "abc"},
    {"IgnoreCaseBeyondAscii", MakeJob(jobReplace, replaceText, 0, 0, "É", "e"), "caf\xc3\xa9.txt", "cafe.txt"},
    {"IgnoreCaseGreek", MakeJob(jobReplace, replaceText, 0, 0, "σ", "s"), "ΣΑΣ", "sΑs"},
    {"IgnoreCaseKeepsRest", MakeJob(jobReplace, replaceText, 0, 0, "b", "-"), "ÀbÀB", "À-À-"},
    {"IgnoreCaseNotInsideUtf8", MakeJob(jobReplace, replaceText, 0, 0, "\xa9", "x"), "\xc3\xa9", "\xc3\xa9"},
    {"IgnoreCaseInvalidByte", MakeJob(jobReplace, replaceText, 0, 0, "\xe9", "e"), "caf\xe9\xc3\xa9", "cafe\xc3\xa9"},
    {"MatchCaseNotInsideUtf8", MakeJob(jobReplace, replaceText, 1, 0, "\xa9", "x"), "\xc3\xa9", "\xc3\xa9"},
};

// Int1 1: every letter by Unicode's full case mapping; Int1 0 (and any other value) A to Z only.
const TransformCase kEveryLetterJobs[] = {
    {"UpperAccented", MakeJob(jobUpper, scopeAll, 1), "café.txt", "CAFÉ.TXT"},
    {"UpperSharpS", MakeJob(jobUpper, scopeAll, 1), "straße", "STRASSE"},
    {"UpperSharpSKeepsExtension", MakeJob(jobUpper, scopeFilename, 1), "straße.txt", "STRASSE.txt"},
    {"UpperExtensionOnly", MakeJob(jobUpper, scopeExtension, 1), "straße.straße", "straße.STRASSE"},
    {"UpperInt1TwoIsAsciiOnly", MakeJob(jobUpper, scopeAll, 2), "café", "CAFé"},
    {"LowerGreekFinalSigma", MakeJob(jobLower, scopeAll, 1), "ΟΔΟΣ", "οδος"},
    {"LowerFinalSigmaBeforeExtension", MakeJob(jobLower, scopeAll, 1), "ΟΔΟΣ.TXT", "οδος.txt"},
    {"LowerFinalSigmaEveryWord", MakeJob(jobLower, scopeAll, 1), "ΣΑΣ ΟΔΟΣ-ΟΔΟΣ", "σας οδος-οδος"},
    {"LowerDottedCapitalI", MakeJob(jobLower, scopeAll, 1), "\xc4\xb0", "i\xcc\x87"},
    {"NormalAccented", MakeJob(jobNormal, scopeAll, 1), "ÉCOLE NORMALE.PDF", "École Normale.Pdf"},
    {"NormalGreek", MakeJob(jobNormal, scopeAll, 1), "ΟΔΟΣ-ΑΣ", "Οδος-Ας"},
    {"NormalTitleCaseDigraph", MakeJob(jobNormal, scopeAll, 1), "ǆUNGLA", "ǅungla"},
    {"NormalDigitFirst", MakeJob(jobNormal, scopeAll, 1), "2ND-ÉTÉ", "2nd-Été"},
    {"NormalFilenameOnly", MakeJob(jobNormal, scopeFilename, 1), "ÉTÉ.TXT", "Été.TXT"},
    {"InvalidBytesKept", MakeJob(jobUpper, scopeAll, 1), "é\xffß\xc3", "É\xffSS\xc3"},
    {"NormalAfterInvalidByte", MakeJob(jobNormal, scopeAll, 1), "\xffÉCOLE \xc3ÉTÉ", "\xffécole \xc3été"},
};

// Modifier 5: just before the extension, or at the end of a name without one.
const TransformCase kBeforeExtensionJobs[] = {
    {"Insert", MakeJob(jobInsert, posBeforeExt, 0, 0, "_v2"), "report.pdf", "report_v2.pdf"},
    {"InsertLastDotOnly", MakeJob(jobInsert, posBeforeExt, 0, 0, "X"), "a.tar.gz", "a.tarX.gz"},
    {"InsertNoExtension", MakeJob(jobInsert, posBeforeExt, 0, 0, "X"), "README", "READMEX"},
    {"InsertDotProfile", MakeJob(jobInsert, posBeforeExt, 0, 0, "X"), ".profile", "X.profile"},
    {"InsertTrailingDot", MakeJob(jobInsert, posBeforeExt, 0, 0, "X"), "name.", "nameX."},
    {"InsertBackslashEndsSearch", MakeJob(jobInsert, posBeforeExt, 0, 0, "X"), "c:\\dir.x\\file", "c:\\dir.x\\fileX"},
    {"InsertEmptyText", MakeJob(jobInsert, posBeforeExt, 0, 0, ""), "a.b", "a.b"},
    {"Remove", MakeJob(jobRemove, posBeforeExt, 2), "photo01.jpg", "photo.jpg"},
    {"RemoveMoreThanThere", MakeJob(jobRemove, posBeforeExt, 10), "ab.txt", ".txt"},
    {"RemoveNoExtension", MakeJob(jobRemove, posBeforeExt, 2), "README", "READ"},
    {"RemoveCountsCharacters", MakeJob(jobRemove, posBeforeExt, 1), "café.txt", "caf.txt"},
    {"RemoveNothingBefore", MakeJob(jobRemove, posBeforeExt, 3), ".profile", ".profile"},
    {"RemoveZero", MakeJob(jobRemove, posBeforeExt, 0), "ab.txt", "ab.txt"},
    {"RemoveNegative", MakeJob(jobRemove, posBeforeExt, -1), "ab.txt", "ab.txt"},
    {"Counter", MakeJob(jobCounter, posBeforeExt, 1), "Img 1234.jpg", "Img 12345.jpg", 5},
    {"CounterWidth3", MakeJob(jobCounter, posBeforeExt, 3), "Img 1234.jpg", "Img 1234005.jpg", 5},
    {"CounterNoExtension", MakeJob(jobCounter, posBeforeExt, 2), "Img", "Img07", 7},
};

const TransformCase kCounterJobs[] = {
    {"EndWidth2", MakeJob(jobCounter, posEnd, 2), "a", "a09", 9},
    {"EndWidth1", MakeJob(jobCounter, posEnd, 1), "a", "a10", 10},
    {"Negative", MakeJob(jobCounter, posBegin, 3), "", "0-3", -3},
    {"Begin", MakeJob(jobCounter, posBegin, 3), "x.jpg", "007x.jpg", 7},
    {"AfterCharUsesInt2", MakeJob(jobCounter, posAfterChar, 2, 1), "abc", "a05bc", 5},
    {"BeforeAnchorInStr1", MakeJob(jobCounter, posBeforeString, 1, 0, ".", "z"), "a.b", "a4.b", 4},
    {"MissingAnchor", MakeJob(jobCounter, posBeforeString, 1, 0, "z"), "a.b", "a.b", 4},
    {"WideIsCapped", MakeJob(jobCounter, posEnd, 100000), "", std::string(254, '0') + "1", 1},
    {"NegativeWidth", MakeJob(jobCounter, posEnd, -5), "a", "a12", 12},
    {"MinValue", MakeJob(jobCounter, posEnd, 1), "", "-2147483648", INT_MIN},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Case, Transform, ::testing::ValuesIn(kCaseJobs));
INSTANTIATE_TEST_SUITE_P(Insert, Transform, ::testing::ValuesIn(kInsertJobs));
INSTANTIATE_TEST_SUITE_P(Remove, Transform, ::testing::ValuesIn(kRemoveJobs));
INSTANTIATE_TEST_SUITE_P(Replace, Transform, ::testing::ValuesIn(kReplaceJobs));
INSTANTIATE_TEST_SUITE_P(Counter, Transform, ::testing::ValuesIn(kCounterJobs));
INSTANTIATE_TEST_SUITE_P(EveryLetter, Transform, ::testing::ValuesIn(kEveryLetterJobs));
INSTANTIATE_TEST_SUITE_P(BeforeExtension, Transform, ::testing::ValuesIn(kBeforeExtensionJobs));

// On ASCII names every-letter case jobs give exactly what the A-to-Z jobs give.
TEST(EveryLetter, AsciiNamesChangeAsTheAsciiJobsChangeThem)
{
    std::mt19937 rng(15);
    const std::string alphabet = "aZ b-c.DeF gh.IJ-k 09_";
    for (int round = 0; round < 2000; ++round) {
        std::string name;
        for (std::size_t n = rng() % 24; n > 0; --n)
            name += alphabet[rng() % alphabet.size()];
        for (TJobType kind : {jobLower, jobUpper, jobNormal}) {
            for (std::int32_t scope : {scopeAll, scopeFilename, scopeExtension}) {
                std::int32_t counter = 0;
                EXPECT_EQ(MakeJob(kind, scope, 1).Apply(name, counter),
                    MakeJob(kind, scope, 0).Apply(name, counter))
                    << name;
            }
        }
    }
}

TEST(Counter, AdvancesOnEveryApplicationAndWraps)
{
    std::int32_t counter = 9;
    const TJob missing = MakeJob(jobCounter, posBeforeString, 1, 0, "zz");
    EXPECT_EQ(missing.Apply("a", counter), "a");
    EXPECT_EQ(counter, 10);
    const TJob unknown = MakeJob(jobCounter, 42, 1);
    EXPECT_EQ(unknown.Apply("a", counter), "a");
    EXPECT_EQ(counter, 11);

    counter = INT_MAX;
    EXPECT_EQ(MakeJob(jobCounter, posEnd, 1).Apply("n", counter), "n2147483647");
    EXPECT_EQ(counter, INT_MIN);
}

TEST(Counter, OtherKindsLeaveIt)
{
    std::int32_t counter = 5;
    for (TJobType kind : {jobNone, jobLower, jobUpper, jobNormal, jobInsert, jobRemove, jobReplace})
        MakeJob(kind, 0, 1, 1, "a", "b").Apply("abc", counter);
    EXPECT_EQ(counter, 5);
}

TEST(JobList, AppliesEveryJobInOrderWithOneCounter)
{
    TRenameSession s;
    s.Jobs = {MakeJob(jobCounter, posEnd, 2), MakeJob(jobUpper), MakeJob(jobCounter, posBegin, 1)};
    s.CounterValue = 3;
    EXPECT_EQ(s.ApplyJobList("a"), "4A03");
    EXPECT_EQ(s.CounterValue, 5);
    EXPECT_EQ(s.ApplyJobList("b"), "6B05");
}

TEST(JobList, EmptyListAndUnknownKindsChangeNothing)
{
    TRenameSession s;
    EXPECT_EQ(s.ApplyJobList("My File.TXT"), "My File.TXT");
    TJob odd = MakeJob(jobNone, 1, 1, 1, "x", "y");
    odd.JobType = static_cast<TJobType>(200);
    s.Jobs = {MakeJob(jobNone, 1, 1, 1, "x", "y"), odd};
    EXPECT_EQ(s.ApplyJobList("My File.TXT"), "My File.TXT");
}

TEST(JobList, PreviewNameCountsByKind)
{
    TRenameSession s;
    EXPECT_EQ(s.PreviewName("a.TXT", TEntryKind::File), "a.TXT");
    EXPECT_EQ(s.Stats.FilesExamined, 1);
    EXPECT_EQ(s.Stats.FilesRenamed, 0);

    s.Jobs = {MakeJob(jobLower)};
    EXPECT_EQ(s.PreviewName("My File.TXT", TEntryKind::File), "my file.txt");
    EXPECT_EQ(s.PreviewName("dir", TEntryKind::Folder), "dir");
    EXPECT_EQ(s.PreviewName("DIR", TEntryKind::Folder), "dir");
    EXPECT_EQ(s.Stats.FilesExamined, 2);
    EXPECT_EQ(s.Stats.FilesRenamed, 1);
    EXPECT_EQ(s.Stats.FoldersExamined, 2);
    EXPECT_EQ(s.Stats.FoldersRenamed, 1);
    EXPECT_EQ(s.Stats.ErrorCount, 0);
}

TEST(Job, CreateGivesZeroesAndEmptyStrings)
{
    for (int k = 0; k <= 7; ++k) {
        const TJob j = TJob::Create(static_cast<TJobType>(k));
        EXPECT_EQ(j.JobType, k);
        EXPECT_EQ(j.Modifier, 0);
        EXPECT_EQ(j.Int1, 0);
        EXPECT_EQ(j.Int2, 0);
        EXPECT_TRUE(j.Str1.empty());
        EXPECT_TRUE(j.Str2.empty());
    }
}

TEST(Job, KindFromNameIgnoresAsciiCase)
{
    EXPECT_EQ(TJob::KindFromName("jobUpper"), jobUpper);
    EXPECT_EQ(TJob::KindFromName("JOBUPPER"), jobUpper);
    EXPECT_EQ(TJob::KindFromName("jobcounter"), jobCounter);
    EXPECT_EQ(TJob::KindFromName("jobNone"), jobNone);
    EXPECT_EQ(TJob::KindFromName("jobUpper "), jobNone);
    EXPECT_EQ(TJob::KindFromName(""), jobNone);
}

// Names of every length and shape pass through every kind without a character cut in two:
// a valid UTF-8 name stays valid UTF-8.
TEST(Job, NeverSplitsACharacter)
{
    const std::string names[]
        = {"", "é", "ab\xc3\xa9\xc3\xa9.t\xe2\x82\xacxt", "\xf0\x9f\x98\x80\xf0\x9f\x98\x80", "Ωμέγα.ΤΧΤ"};
    std::vector<TJob> jobs;
    for (int mod = 0; mod <= 4; ++mod) {
        for (int n = -1; n <= 6; ++n) {
            jobs.push_back(MakeJob(jobInsert, mod, n, 0, "x", "\xa9"));
            jobs.push_back(MakeJob(jobRemove, mod, n, n, "\x82"));
            jobs.push_back(MakeJob(jobRemove, mod, n, 1, "\xc3\xa9"));
            jobs.push_back(MakeJob(jobCounter, mod, n, n, "\x98"));
        }
    }
    jobs.push_back(MakeJob(jobReplace, 0, 0, 0, "\x98", "?"));
    jobs.push_back(MakeJob(jobReplace, 0, 1, 0, "\xa9", "?"));
    std::int32_t counter = 0;
    for (const std::string& name : names) {
        ASSERT_TRUE(IsValidUtf8(name));
        for (const TJob& job : jobs)
            EXPECT_TRUE(IsValidUtf8(job.Apply(name, counter))) << job.Description() << " on " << name;
    }
}

} // namespace
