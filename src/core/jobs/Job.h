#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/jobs/RegexReplace.h"
#include "core/jobs/TemplateSlot.h"
#include "core/meta/FactsNeed.h"

namespace brindle
{

/// The kind of a rename job. The ordinal is stored in job list files by name.
enum JobType : std::uint8_t {
    jobNone = 0,
    jobLower = 1,
    jobUpper = 2,
    jobNormal = 3,
    jobInsert = 4,
    jobRemove = 5,
    jobReplace = 6,
    jobCounter = 7,
    /// A name made from a template of tokens filled from the file (see NameTemplate).
    jobTemplate = 8,
};

/// Modifier codes of the case kinds.
enum CaseScope : std::int32_t { scopeAll = 0, scopeFilename = 1, scopeExtension = 2 };
/// Modifier codes of the insert, remove and counter kinds.
enum Position : std::int32_t {
    posBegin = 0,
    posEnd = 1,
    posAfterChar = 2,
    posBeforeString = 3,
    posAfterString = 4,
    /// Just before the extension as the extension rule splits the name; at the end without one.
    posBeforeExt = 5,
    /// In place of the name before the extension (template jobs only); the extension stays.
    posInPlaceOfName = 6,
};
/// Modifier codes of the replace kind.
enum ReplaceMode : std::int32_t { replaceText = 0, replaceRegex = 1 };

/// The kind names as written in job list files, by ordinal.
inline constexpr std::array<std::string_view, 9> kJobTypeNames = {
    "jobNone",
    "jobLower",
    "jobUpper",
    "jobNormal",
    "jobInsert",
    "jobRemove",
    "jobReplace",
    "jobCounter",
    "jobTemplate",
};

/// The characters that start a word for normalised case.
inline constexpr std::string_view nameSeparators = " -.";

/// The longest name the jobs of a list may make on the way to a new name: a name that grows
/// past it fails.
inline constexpr std::size_t kMaxWorkingNameBytes = 4096;

struct EntryFacts;

/// What the jobs of a list carry from name to name and from job to job while they name
/// entries.
struct JobState {
    /// Read and advanced by counter jobs.
    std::int32_t counter = 0;
    /// Why the name being made cannot be given, in a few words ("no date taken"); set by the
    /// job that finds it. The jobs after it leave the name alone, and the entry keeps its name.
    std::string failure;
    /// The counter gave its largest value, 2147483647: a counter job after it fails rather than
    /// wrap to -2147483648.
    bool counterSpent = false;
    /// The entry being named, for the jobs that name it from what it is (template jobs); null
    /// for a bare name such as a typed sample.
    const EntryFacts* entry = nullptr;
};

/// One rename step. Nothing validates the fields: every value a job list file can carry is
/// held as it is, and apply and description give a defined result for each.
///
/// Insert keeps N in Int1 and its anchor in Str2; remove and counter keep N in Int2 and the
/// anchor in Str1. Job list files store the fields by name, so this assignment is fixed.
///
/// A replace job works on the part of the name its Int2 names, with the case kinds' scope codes:
/// 1 the name before the extension, 2 the extension; any other value the whole name (the field
/// was unused before, so stored lists keep their meaning).
///
/// Case jobs convert ASCII letters only unless Int1 is 1: then every letter, by Unicode's full
/// case mapping. A replace job with Modifier replaceRegex takes Str1 as a regular expression and
/// Str2 as its replacement (see RegexReplace), compiled at its first use.
class Job
{
public:
    JobType jobType = jobNone;
    std::int32_t modifier = 0;
    std::int32_t int1 = 0;
    std::int32_t int2 = 0;
    std::string str1;
    std::string str2;

    /// A job of the given kind with every parameter at zero or empty.
    static Job create(JobType kind);

    /// The one-line text shown for the job in the job list.
    std::string description() const;

    /// The name transformed by this job. Counter jobs take counterValue and advance it by one,
    /// whether or not the name changes; one that finds the counter at 2147483647 takes it and
    /// leaves it there (applyInPlace with a JobState then fails the next counter job).
    std::string apply(std::string_view name, std::int32_t& counterValue) const;

    /// Apply, working on name in place.
    void applyInPlace(std::string& name, std::int32_t& counterValue) const;

    /// Apply, working on name in place, unless an earlier job of the list failed; a job that
    /// cannot make the name sets state.failure.
    void applyInPlace(std::string& name, JobState& state) const;

    /// Why a regular-expression replace cannot run (its pattern does not compile, or its
    /// replacement does not fit the pattern), with the character offset; empty for every other job.
    /// Such a job leaves names unchanged.
    std::string regexError() const;

    /// Why a template job's template cannot be used ("unknown token {foo} at offset 3"); empty
    /// for every other job. Such a job leaves names unchanged.
    std::string templateError() const;

    /// What a template job reads of each entry it names: nothing, the file's dates, or its
    /// contents' metadata too. Nothing for every other job.
    FactsNeed factsNeed() const;

    /// The kind whose name equals text, ASCII letters compared without case; jobNone if none.
    static JobType kindFromName(std::string_view text);

    bool operator==(const Job&) const = default;

private:
    /// The compiled regular expression of a replace job, shared by the copies of the job.
    RegexSlot m_regex;
    /// The parsed template of a template job, likewise.
    TemplateSlot m_template;
};

/// The kind name of a job type ("jobUpper"); empty for an ordinal above 8.
std::string_view jobTypeName(JobType kind);

} // namespace brindle
