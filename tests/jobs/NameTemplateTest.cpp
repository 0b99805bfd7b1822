#include <gtest/gtest.h>

#include <ctime>
#include <random>

#include "common/TestName.h"
#include "core/jobs/Job.h"
#include "core/jobs/NameTemplate.h"
#include "core/jobs/RenameSession.h"
#include "jobs/JobTestUtil.h"

using namespace brindle;
using brindle::test::makeJob;

namespace
{

// ---- parsing ----

struct ParseCase {
    const char* label;
    const char* text;
    /// The error as error() gives it; empty for a template that parses.
    const char* error;
};

std::ostream& operator<<(std::ostream& os, const ParseCase& c)
{
    return os << c.label;
}

class TemplateParse : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(TemplateParse, AcceptsOrRefusesWithTheOffset)
{
    const NameTemplate t = NameTemplate::parse(GetParam().text);
    EXPECT_EQ(t.error(), GetParam().error);
}

// clang-format off
const ParseCase kParse[] = {
    {"PlainText", "holiday", ""},
    {"Empty", "", ""},
    {"Token", "{taken}", ""},
    {"TokenWithFormat", "{taken:%Y%m%d_%H%M%S}", ""},
    {"Alternatives", "{taken|created|modified:%Y-%m-%d}", ""},
    {"QuotedLast", "{artist|\"Unknown artist\"}", ""},
    {"QuotedHoldsBracesAndBars", "{artist|\"a|b}:c\"}", ""},
    {"EmptyQuoted", "{album|\"\"}", ""},
    {"EscapedBraces", "{{x}} {name}", ""},
    {"Widths", "{counter:3} {track:2} {disc:1}", ""},
    {"FractionAndPercent", "{taken:%H%M%S.%f 100%%}", ""},
    {"UnknownToken", "IMG {foo}", "unknown token {foo} at offset 5"},
    {"UnknownTokenAfterUtf8", "été {foo}", "unknown token {foo} at offset 5"},
    {"UnclosedBrace", "a {name", "a \"{\" without its \"}\" at offset 2"},
    {"UnclosedAfterBar", "{name|", "a \"{\" without its \"}\" at offset 0"},
    {"LoneClosing", "a}b", "a lone \"}\" (write \"}}\" for a brace) at offset 1"},
    {"EmptyToken", "{}", "an empty token at offset 1"},
    {"EmptyAlternative", "{name||ext}", "an empty token at offset 6"},
    {"QuotedNotLast", "{\"x\"|name}", "a quoted text must be the last alternative at offset 5"},
    {"UnclosedQuote", "{artist|\"abc}", "a quoted text without its closing quote at offset 8"},
    {"FormatOnText", "{artist:x}", "{artist} takes no format at offset 8"},
    {"FormatOnNameInAlternatives", "{taken|name:%Y}", "{name} takes no format at offset 12"},
    {"DateAndNumber", "{taken|counter:3}", "a date and a number cannot share a format at offset 15"},
    {"WidthZero", "{counter:0}", "the width must be a whole number from 1 to 255 at offset 9"},
    {"WidthTooLarge", "{counter:256}", "the width must be a whole number from 1 to 255 at offset 9"},
    {"WidthNotNumber", "{track:x}", "the width must be a whole number from 1 to 255 at offset 7"},
    {"UnknownDateField", "{taken:%Y%Q}", "an unknown date field \"%Q\" at offset 9"},
    {"ZoneNeedsAZone", "{modified:%z}", "an unknown date field \"%z\" at offset 10"},
    {"PercentAtEnd", "{taken:%Y%}", "an unknown date field \"%\" at offset 9"},
    {"EmptyDateFormat", "{taken:}", "an empty date format at offset 7"},
    {"GarbageAfterQuote", "{artist|\"x\"y}", "\"|\", \":\" or \"}\" expected after a token at offset 11"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(NameTemplate, TemplateParse, ::testing::ValuesIn(kParse),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.label); });

TEST(NameTemplate, NeedFollowsTheTokens)
{
    EXPECT_EQ(NameTemplate::parse("{name}-{ext}-{folder}-{counter}").need(), FactsNeed::None);
    EXPECT_EQ(NameTemplate::parse("{modified}").need(), FactsNeed::Dates);
    EXPECT_EQ(NameTemplate::parse("{created|modified}").need(), FactsNeed::Dates);
    EXPECT_EQ(NameTemplate::parse("{taken}").need(), FactsNeed::Contents);
    EXPECT_EQ(NameTemplate::parse("{modified} {artist}").need(), FactsNeed::Contents);
    EXPECT_TRUE(NameTemplate::parse("a{counter:2}").usesCounter());
    EXPECT_FALSE(NameTemplate::parse("a{{counter}}").usesCounter());
}

// ---- filling ----

/// Facts as a photo and a song would give them, for the fill table.
FileFacts sampleFacts()
{
    FileFacts f;
    f.contentsRead = true;
    f.modified = TimeValue {*CivilTime::parse("2020-02-29 23:05:07"), "file modification time"};
    f.taken = TimeValue {*CivilTime::parse("2024:07:14 10:22:33"), "Exif.Photo.DateTimeOriginal"};
    f.taken->time.fraction = "25";
    f.offer(Fact::Make, "Canon", "Exif.Image.Make");
    f.offer(Fact::Model, " EOS/R5 \n", "Exif.Image.Model");
    f.offer(Fact::Artist, "AC/DC", "ID3v2 ARTIST");
    f.offer(Fact::Title, "Back\tin Black", "ID3v2 TITLE");
    f.offer(Fact::Track, "7", "ID3v2 TRACKNUMBER");
    return f;
}

struct FillCase {
    const char* label;
    const char* text;
    const char* name;
    bool withFile;
    /// The filled template, or the failure when fails.
    const char* expected;
    bool fails = false;
};

std::ostream& operator<<(std::ostream& os, const FillCase& c)
{
    return os << c.label;
}

class TemplateFill : public ::testing::TestWithParam<FillCase>
{
};

TEST_P(TemplateFill, GivesTheValuesOrTheReason)
{
    const FillCase& c = GetParam();
    const FileFacts facts = sampleFacts();
    const EntryFacts entry {"Holiday 2024", &facts};
    const NameTemplate t = NameTemplate::parse(c.text);
    ASSERT_EQ(t.error(), "");
    std::string out;
    std::string failure;
    const bool ok = t.fill(c.name, c.withFile ? &entry : nullptr, 41, out, failure);
    EXPECT_EQ(ok, !c.fails);
    EXPECT_EQ(c.fails ? failure : out, c.expected);
}

// clang-format off
const FillCase kFill[] = {
    {"NameAndExt", "{name}_{ext}", "IMG_1234.JPG", true, "IMG_1234_JPG"},
    {"NameOfDottedName", "{name}", "archive.tar.gz", true, "archive.tar"},
    {"ExtMissing", "{ext}", "README", true, "no extension", true},
    {"ExtMissingWithQuoted", "{ext|\"none\"}", "README", true, "none"},
    {"Folder", "{folder}", "a.jpg", true, "Holiday 2024"},
    {"Counter", "{counter}", "a", true, "41"},
    {"CounterWidth", "{counter:4}", "a", true, "0041"},
    {"TakenDefault", "{taken}", "a.jpg", true, "2024-07-14"},
    {"TakenFull", "{taken:%Y%m%d_%H%M%S}", "a.jpg", true, "20240714_102233"},
    {"TakenFraction", "{taken:%S.%f}", "a.jpg", true, "33.25"},
    {"TakenNames", "{taken:%a %d %b %Y, day %j}", "a.jpg", true, "Sun 14 Jul 2024, day 196"},
    {"ModifiedLeapDay", "{modified:%F %T}", "a.jpg", true, "2020-02-29 23:05:07"},
    {"SlashInDateBecomesUnderscore", "{taken:%d/%m}", "a.jpg", true, "14_07"},
    {"CreatedMissingFallsBack", "{created|modified:%Y}", "a.jpg", true, "2020"},
    {"CreatedMissing", "{created}", "a.jpg", true, "no creation time", true},
    {"CameraValuesMadeFit", "{make} {model}", "a.jpg", true, "Canon EOS_R5"},
    {"SlashInTag", "{artist} - {title}", "a.mp3", true, "AC_DC - Backin Black"},
    {"TrackPadded", "{track:2} {title}", "a.mp3", true, "07 Backin Black"},
    {"AlbumMissing", "{album}", "a.mp3", true, "no album tag", true},
    {"AlbumQuoted", "{album|\"Unknown/album\"}", "a.mp3", true, "Unknown_album"},
    {"FirstReasonWins", "{lens|iso}", "a.jpg", true, "no lens", true},
    {"EmptyQuotedIsAValue", "x{lens|\"\"}y", "a.jpg", true, "xy"},
    {"Braces", "{{{name}}}", "a.jpg", true, "{a}"},
    {"BareNameHasNoDate", "{taken}", "a.jpg", false, "no date taken (no file)", true},
    {"BareNameHasItsParts", "{name}.{ext}", "a.jpg", false, "a.jpg"},
    {"BareNameHasNoFolder", "{folder}", "a.jpg", false, "no folder", true},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(NameTemplate, TemplateFill, ::testing::ValuesIn(kFill),
    [](const ::testing::TestParamInfo<FillCase>& info) { return std::string(info.param.label); });

// The numeric date fields are written without strftime: on random dates of the calendar they
// must read as strftime writes them.
TEST(NameTemplate, NumericDateFieldsMatchStrftime)
{
    const NameTemplate t = NameTemplate::parse("{taken:%Y|%m|%d|%H|%M|%S|%j|%y}");
    ASSERT_EQ(t.error(), "");
    std::mt19937 random(26);
    for (int i = 0; i < 2000; ++i) {
        FileFacts facts;
        CivilTime& c = facts.taken.emplace().time;
        c.year = std::uniform_int_distribution(1, 9999)(random);
        c.month = std::uniform_int_distribution(1, 12)(random);
        c.day = std::uniform_int_distribution(1, 28)(random);
        c.hour = std::uniform_int_distribution(0, 23)(random);
        c.minute = std::uniform_int_distribution(0, 59)(random);
        c.second = std::uniform_int_distribution(0, 59)(random);
        std::tm tm {};
        tm.tm_year = c.year - 1900;
        tm.tm_mon = c.month - 1;
        tm.tm_mday = c.day;
        tm.tm_hour = c.hour;
        tm.tm_min = c.minute;
        tm.tm_sec = c.second;
        tm.tm_isdst = -1;
        std::tm withDay = tm;
        ::timegm(&withDay); // tm_yday
        tm.tm_yday = withDay.tm_yday;
        char expected[64];
        std::strftime(expected, sizeof expected, "%Y|%m|%d|%H|%M|%S|%j|%y", &tm);
        const EntryFacts entry {"folder", &facts};
        std::string out;
        std::string failure;
        ASSERT_TRUE(t.fill("a.jpg", &entry, 0, out, failure)) << failure;
        ASSERT_EQ(out, expected) << c.text();
    }
}

TEST(NameTemplate, TheProblemOfAnUnreadableFileIsPartOfTheReason)
{
    FileFacts facts;
    facts.contentsRead = true;
    facts.problem = "cannot open the file: Permission denied";
    facts.modified = TimeValue {*CivilTime::parse("2020-01-01"), "file modification time"};
    const EntryFacts entry {"f", &facts};
    std::string out;
    std::string failure;
    EXPECT_FALSE(NameTemplate::parse("{artist}").fill("a.mp3", &entry, 0, out, failure));
    EXPECT_EQ(failure, "no artist tag (cannot open the file: Permission denied)");
    EXPECT_FALSE(NameTemplate::parse("{taken}").fill("a.jpg", &entry, 0, out, failure));
    EXPECT_EQ(failure, "no date taken (cannot open the file: Permission denied)");
    EXPECT_TRUE(NameTemplate::parse("{taken|modified}").fill("a.jpg", &entry, 0, out, failure));
    EXPECT_EQ(out, "2020-01-01");
}

TEST(NameTemplate, WithoutTheFactsModuleNoOtherValueStandsIn)
{
    // Every file would otherwise get the stand-in: a broken installation must not look like
    // files without metadata.
    FileFacts facts;
    facts.contentsRead = true;
    facts.problem = std::string(kFactsUnavailable) + "brindlewick-facts.so: cannot open shared object file";
    facts.modified = TimeValue {*CivilTime::parse("2020-01-01"), "file modification time"};
    const EntryFacts entry {"f", &facts};
    std::string out;
    std::string failure;
    EXPECT_FALSE(NameTemplate::parse("{make|\"none\"}").fill("a.jpg", &entry, 0, out, failure));
    EXPECT_EQ(failure, "no camera make (" + facts.problem + ")");
    EXPECT_FALSE(NameTemplate::parse("{taken|modified}").fill("a.jpg", &entry, 0, out, failure));
    // Values that need no contents are still there.
    EXPECT_TRUE(NameTemplate::parse("{modified} {name}").fill("a.jpg", &entry, 0, out, failure));
    EXPECT_EQ(out, "2020-01-01 a");
}

TEST(NameTemplate, SourcesNameEachValueAndWhereItCameFrom)
{
    const FileFacts facts = sampleFacts();
    const EntryFacts entry {"Trip", &facts};
    const std::vector<std::string> lines
        = NameTemplate::parse("{taken:%Y} {make} {lens|\"-\"} {counter:3} {name} {taken:%H}")
              .sources("IMG.JPG", &entry);
    const std::vector<std::string> expected = {
        "taken: 2024-07-14 10:22:33 from Exif.Photo.DateTimeOriginal",
        "make: Canon from Exif.Image.Make",
        "lens: no lens",
        "name: IMG from the name",
    };
    EXPECT_EQ(lines, expected);
}

// Any text whose braces are written twice fills to itself, made fit for a name.
TEST(NameTemplate, EscapedTextFillsToItself)
{
    std::mt19937 random(20240714);
    const std::string alphabet = "ab{}|:\"%/ .\t\x01\xC3\xA9";
    for (int round = 0; round < 500; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i)
            text += alphabet[random() % alphabet.size()];
        std::string escaped;
        for (const char c : text) {
            escaped += c;
            if (c == '{' || c == '}')
                escaped += c;
        }
        const NameTemplate t = NameTemplate::parse(escaped);
        ASSERT_EQ(t.error(), "") << brindle::test::quoted(escaped);
        std::string out;
        std::string failure;
        ASSERT_TRUE(t.fill("n", nullptr, 0, out, failure));
        EXPECT_EQ(out, text) << brindle::test::quoted(escaped);
    }
}

// ---- the job ----

struct JobCase {
    const char* label;
    Job job;
    const char* name;
    const char* expected;
};

std::ostream& operator<<(std::ostream& os, const JobCase& c)
{
    return os << c.label;
}

class TemplateJob : public ::testing::TestWithParam<JobCase>
{
};

TEST_P(TemplateJob, PlacesTheFilledTemplate)
{
    const FileFacts facts = sampleFacts();
    const EntryFacts entry {"Trip", &facts};
    JobState state {5, {}, false, &entry};
    std::string name = GetParam().name;
    GetParam().job.applyInPlace(name, state);
    EXPECT_EQ(state.failure.empty() ? name : state.failure, GetParam().expected);
}

// clang-format off
const JobCase kJobs[] = {
    {"InPlaceKeepsExtension", makeJob(jobTemplate, 6, 0, 0, "{taken} {counter:3}"), "IMG_1.JPG", "2024-07-14 005.JPG"},
    {"InPlaceWithoutExtension", makeJob(jobTemplate, 6, 0, 0, "{folder}"), "README", "Trip"},
    {"InPlaceOfDottedName", makeJob(jobTemplate, 6, 0, 0, "x"), "a.tar.gz", "x.gz"},
    {"AtTheBeginning", makeJob(jobTemplate, 0, 0, 0, "{make}_"), "a.jpg", "Canon_a.jpg"},
    {"AtTheEnd", makeJob(jobTemplate, 1, 0, 0, "_{make}"), "a.jpg", "a.jpg_Canon"},
    {"AfterCharacter", makeJob(jobTemplate, 2, 1, 0, "{counter}"), "ab.jpg", "a5b.jpg"},
    {"BeforeString", makeJob(jobTemplate, 3, 0, 0, "{make}", "."), "a.jpg", "aCanon.jpg"},
    {"BeforeExtension", makeJob(jobTemplate, 5, 0, 0, " {taken:%Y}"), "a.jpg", "a 2024.jpg"},
    {"MissingValueFails", makeJob(jobTemplate, 6, 0, 0, "{album}"), "a.mp3", "no album tag"},
    {"EmptyResultInPlaceFails", makeJob(jobTemplate, 6, 0, 0, "{lens|\"\"}"), "a.jpg", "the template gives an empty name"},
    {"BadTemplateChangesNothing", makeJob(jobTemplate, 6, 0, 0, "{nope}"), "a.jpg", "a.jpg"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(NameTemplate, TemplateJob, ::testing::ValuesIn(kJobs),
    [](const ::testing::TestParamInfo<JobCase>& info) { return std::string(info.param.label); });

TEST(NameTemplate, CounterAdvancesOnlyForNamesMade)
{
    const FileFacts facts = sampleFacts();
    const EntryFacts entry {"Trip", &facts};
    const Job counted = makeJob(jobTemplate, 6, 0, 0, "{counter}");
    const Job failing = makeJob(jobTemplate, 6, 0, 0, "{counter} {album}");
    JobState state {1, {}, false, &entry};
    std::string name = "a.jpg";
    counted.applyInPlace(name, state);
    EXPECT_EQ(state.counter, 2);
    name = "b.jpg";
    failing.applyInPlace(name, state);
    EXPECT_EQ(state.counter, 2);
    EXPECT_EQ(state.failure, "no album tag");
    const Job plain = makeJob(jobTemplate, 6, 0, 0, "{name}");
    JobState other {1, {}, false, &entry};
    plain.applyInPlace(name, other);
    EXPECT_EQ(other.counter, 1);
}

TEST(NameTemplate, InvalidTemplateStopsTheRunWithItsMessage)
{
    RenameSession session;
    session.jobs = {makeJob(jobLower), makeJob(jobTemplate, 6, 0, 0, "IMG {foo}")};
    EXPECT_EQ(session.invalidJobMessage(), "Invalid template in job 2: unknown token {foo} at offset 5");
    session.jobs[1].str1 = "{name}";
    EXPECT_EQ(session.invalidJobMessage(), "");
    EXPECT_EQ(session.factsNeed(), FactsNeed::None);
    session.jobs[1].str1 = "{modified}";
    EXPECT_EQ(session.factsNeed(), FactsNeed::Dates);
    session.jobs[1].str1 = "{taken}";
    EXPECT_EQ(session.factsNeed(), FactsNeed::Contents);
}

} // namespace
