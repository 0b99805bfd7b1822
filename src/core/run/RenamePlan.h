#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/jobs/RenameSession.h"
#include "core/jobs/Job.h"
#include "core/run/FileEntry.h"
#include "core/run/ManualNames.h"
#include "core/run/NameCollator.h"

namespace brindle
{

class FactsCache;

/// How the file system of a folder compares names: byte for byte, or with letter case folded
/// (by Unicode's simple case folding, by exFAT's up-case table, or as FAT folds a-z).
enum class NameCase : std::uint8_t { Exact, Folding, ExFat, Fat };

/// How a run decides the comparison of each folder: from the folder itself, or forced (tests,
/// and a user who knows better than the probe).
enum class NameCaseRule : std::uint8_t { Detect, Exact, Folding };

/// Whether the file system of the folder open as dirFd folds letter case, and by which rule.
/// probe is a name of an entry of the folder holding an ASCII letter whose case-swapped twin
/// the listing does not hold (or empty): the twin is looked up, and found it can only be the
/// probe itself, which answers for every file system (inode numbers do not: FUSE file systems
/// give one file other numbers under other cases). Without a probe, the folder's case-folding
/// flag (ext4, f2fs) and the file system's type decide. The rule comes from the file system's
/// type, FUSE ones by their subtype in the mount table (exFAT, FAT).
NameCase detectNameCase(int dirFd, std::string_view probe);

/// Whether a file system of this statfs type compares names without regard to letter case.
bool fileSystemFoldsCase(unsigned long type);

/// The key under which names clash on a file system that folds case: every letter's simple
/// case folding, then the clash key of the result tree (a-z upper-cased, Greek upper-cased and
/// without accents). Bytes outside any UTF-8 sequence stay as they are.
void foldedNameKey(std::string_view name, std::string& out);

/// The key under which names clash on a file system that compares them as nameCase says:
/// the name itself where it compares bytes, else the key of its folding rule.
void nameKey(NameCase nameCase, std::string_view name, std::string& out);

/// What a run does with one entry of a folder.
enum class Verdict : std::uint8_t {
    Unchanged, ///< the job list leaves the name as it is (or subfolders are not renamed)
    Renamed, ///< the entry gets its new name
    Declined, ///< the user answered No
    Failed, ///< the run cannot give it its new name (Failure says why); it stays
};

/// Why an entry fails.
enum class Failure : std::uint8_t {
    None,
    EmptyName,
    DotName, ///< "." or ".."
    Slash,
    Nul,
    TooLong, ///< more than 255 bytes
    UndoFileName,
    LineFeed, ///< the new or the old name holds a line feed while undo files are written
    Held, ///< an entry that stays holds the new name
    WantedFirst, ///< an entry earlier in the listing wants the same name
    JobFailed, ///< a job could not make the new name (RenamePlan::reason says why)
    Interrupted, ///< the folder holds a file left by an interrupted run (RenamePlan::leftover)
    NotOnFat, ///< a character exFAT and FAT do not take in a name (or a byte outside UTF-8)
};

/// One step of a folder's execution: an entry's own step (its rename, or only its turn when it
/// keeps its name), or the move of a cycle's first member to the temporary name.
struct PlanStep {
    std::uint32_t entry = 0;
    bool toTemporary = false;
};

/// The plan of one folder: every entry of the listing with its new name and the run's verdict,
/// and the order in which the renames can be made so that each target is free when its turn
/// comes. The real run, the simulation and the file list's preview use it alike, so what a
/// preview shows is what Go does.
///
/// Entries are numbered subfolders first, then files, in listing order (after sorting). A plan
/// needs no host and no folder: it is made from a listing, the jobs and a counter, so another
/// thread may make one from a copy of the jobs (the jobs, the collator and the clash keys only
/// read shared data).
///
/// Validation: a name is free when no entry of the folder holds it (hidden files and files
/// outside the mask included) once the entries before it in execution order have moved. An
/// entry whose new name is held by an entry that stays fails; of two entries wanting one name
/// the first in listing order gets it; an entry that fails stays, so an entry wanting its
/// name fails too. Every check costs the same per entry whatever the folder's size.
///
/// Order: entries keep their listing order, except that a rename into a name that another
/// entry still holds waits for that entry: a chain runs from its free end, and a cycle starts
/// by moving one member to a temporary name that no entry holds or wants.
class RenamePlan
{
public:
    /// The answer to a confirmation: rename, keep the name, or stop here (the run was
    /// cancelled): this entry and every later one are then left as they are, not even named.
    enum class Answer : std::uint8_t { Yes, No, Stop };

    /// Asked for each changed name, in listing order, when the run confirms renames.
    using Confirm = std::function<Answer(const FileEntry& entry, EntryKind kind, std::string_view newName)>;

    /// What the plan's steps depend on besides the listing and the jobs.
    struct Options {
        bool renameDirs = false; ///< subfolders get new names too
        bool sort = true;
        SortOrder sortOrder = SortOrder::NameAsc;
        bool naturalSort = false;
        /// Undo files are written: names with a line feed are refused, the undo file's name
        /// stays free.
        bool undo = false;
        NameCase nameCase = NameCase::Exact;
        /// The folder the listing is of, open, for jobs that read the entries' files and for
        /// the sort by date taken; -1 when there is none (the entries then have no facts).
        int dirFd = -1;
        /// The folder's own name, for a template's {folder}.
        std::string folderName;
        /// Keeps the facts read from one plan to the next (may be null).
        FactsCache* factsCache = nullptr;
    };

    RenamePlan() = default;

    /// 1. The listing: the subfolders, the files that match the mask, and every other name of
    ///    the folder, which hold their names throughout.
    void setListing(FileEntryList dirs, FileEntryList files, NameList others);
    /// 2. Sorts subfolders and files when sorting is on (collator null: the user's).
    void sort(const Options& options, const NameCollator* collator = nullptr);
    /// The names given by hand for this folder's entries (null: none), kept by pointer until
    /// the plan is named; they override the jobs in step 3.
    void setManualNames(const FolderNames* names) { m_manual = names; }
    /// 3. The new names, subfolders (when renamed) before files, each through the job list,
    ///    counter advancing for every name computed; confirm (when set) is asked for each
    ///    changed name. A manual name replaces what the jobs make of its entry (the counter
    ///    still advances, so the other entries keep their numbers). Returns false when confirm
    ///    said Stop. counterSpent (when given) carries from folder to folder that the counter
    ///    gave its largest value.
    bool name(const std::vector<Job>& jobs, std::int32_t& counter, const Options& options,
        const Confirm& confirm = {}, bool* counterSpent = nullptr);
    /// 4. The verdicts: refused names, held targets, names wanted twice, and what follows.
    void validate(const Options& options);
    /// 5. The steps.
    void order();
    /// 1 to 5 in one call, for a caller that has nothing to do in between.
    void compute(FileEntryList dirs, FileEntryList files, NameList others, const Options& options,
        const std::vector<Job>& jobs, std::int32_t& counter, const Confirm& confirm = {});

    std::size_t size() const { return m_dirs.size() + m_files.size(); }
    std::size_t dirCount() const { return m_dirs.size(); }
    EntryKind kind(std::size_t i) const { return i < m_dirs.size() ? EntryKind::Folder : EntryKind::File; }
    const FileEntry& entry(std::size_t i) const;
    /// Whether a new name was computed for the entry (subfolders only when they are renamed).
    bool named(std::size_t i) const { return m_state[i].named; }
    /// The name the job list gives (the entry's own when unchanged).
    std::string_view newName(std::size_t i) const;
    /// Whether the new name is the entry's own under another letter case (a folding file
    /// system gives it to the entry itself).
    bool caseOnly(std::size_t i) const { return m_state[i].self; }
    Verdict verdict(std::size_t i) const { return m_state[i].verdict; }
    /// Whether the entry's new name was given by hand.
    bool manual(std::size_t i) const { return m_state[i].manual; }
    Failure failure(std::size_t i) const { return m_state[i].failure; }
    /// Why the entry fails, in a few words ("held by c.txt, which stays"); empty otherwise.
    std::string reason(std::size_t i) const;
    /// Whether the failure is a refused name (or a name no job could make) rather than a
    /// taken one.
    bool refused(std::size_t i) const;
    /// A cycle's temporary name found in the folder (a file an interrupted run left there, to
    /// be given back by undo), or empty. Nothing in such a folder is renamed: every entry that
    /// was to get a new name fails with Failure::Interrupted.
    const std::string& leftover() const { return m_leftover; }

    /// Every entry once, in execution order, and before a cycle's first member its move to
    /// temporaryName().
    const std::vector<PlanStep>& steps() const { return m_steps; }
    /// The temporary name of the folder's cycles (one at a time), or empty when there is none.
    const std::string& temporaryName() const { return m_temporary; }
    /// How many cycles the steps break.
    std::size_t cycleCount() const { return m_cycles; }

    /// The subfolders, for the walk down (taken away from the plan).
    FileEntryList takeDirs() { return std::move(m_dirs); }

private:
    struct State {
        /// The entry a failure names (the holder, or the earlier entry wanting the name); for
        /// an entry to be renamed, the entry that holds its new name until it moves.
        std::uint32_t other = kNone;
        Verdict verdict = Verdict::Unchanged;
        Failure failure = Failure::None;
        bool named : 1 = false;
        bool self : 1 = false; // the new name is the entry's own under another letter case
        bool done : 1 = false; // placed in the steps
        bool manual : 1 = false; // the new name was given by hand
    };
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    /// An open-addressing table of entry indices, keyed by the names (or clash keys) the
    /// plan's function gives for an index: 5 bytes a slot, at most half of them used. Each slot
    /// keeps 8 bits of its key's hash, so a probe looks at an entry's name only when those
    /// agree: in a large folder each look at a name is a cache miss.
    class IndexTable
    {
    public:
        void reset(std::size_t count);
        template <typename KeyOf> std::uint32_t find(std::string_view key, KeyOf keyOf) const;
        /// Adds index under key unless the key is there: returns the index that holds it, or
        /// kNone when index was added.
        template <typename KeyOf>
        std::uint32_t insert(std::string_view key, std::uint32_t index, KeyOf keyOf);

    private:
        std::vector<std::uint32_t> m_slots; // index + 1; 0 is empty
        std::vector<std::uint8_t> m_tags; // the top 8 bits of the key's hash
    };

    std::string_view oldName(std::uint32_t i) const;
    std::string_view oldKey(std::uint32_t i) const;
    std::string_view newKey(std::uint32_t i) const;
    std::string_view otherName(std::uint32_t i) const { return oldName(i); }
    void fail(std::uint32_t i, Failure failure, std::uint32_t other);
    /// Whether entry i is to get its new name (not unchanged, declined or failed).
    bool moving(std::uint32_t i) const;
    /// The second holder of the old key holder holds, or kNone.
    std::uint32_t sharedWith(std::uint32_t holder) const;
    // The steps of validate, in order; failed collects the entries that fail on a taken name,
    // whose own names then stay taken.
    void refuseInterrupted();
    void refuseNames(bool undo);
    void makeClashKeys();
    void findHolders(bool undo);
    void failHeldTargets(std::vector<std::uint32_t>& failed);
    void giveEachNameOnce(std::vector<std::uint32_t>& failed);
    void failWantingFailed(std::vector<std::uint32_t> failed);
    void pickTemporaryName();

    FileEntryList m_dirs;
    FileEntryList m_files;
    NameList m_others;
    std::vector<State> m_state;
    NameCase m_nameCase = NameCase::Exact;
    // Clash keys where the file system folds case: of every old name (entries, then others)
    // and of every new name that is to be given.
    NameList m_oldKeys;
    NameList m_newKeys;
    IndexTable m_holders; // old key -> the entry or other name holding it
    IndexTable m_wanted; // new key -> the entry that gets it
    // Old keys held by two names at once (possible only where the keys fold more than the
    // file system does): the first holder and the second.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_shared;
    // Why a job could not name an entry, by entry, in ascending order of entry.
    std::vector<std::pair<std::uint32_t, std::string>> m_jobFailures;
    std::vector<PlanStep> m_steps;
    const FolderNames* m_manual = nullptr;
    std::string m_temporary;
    std::size_t m_cycles = 0;
    std::string m_leftover;
};

/// The text of a failure that needs no other entry (a refused name); empty for Held and
/// WantedFirst.
std::string_view refusalText(Failure failure);

/// Why the run refuses newName for an entry named oldName (undo: while undo files are
/// written), or None.
Failure refusedName(std::string_view newName, std::string_view oldName, bool undo);

/// The prefix of the temporary names that break cycles.
inline constexpr std::string_view kTemporaryPrefix = ".brindlewick-tmp-";

/// Whether name has the form of a cycle's temporary name: the prefix and eight hex digits.
bool isTemporaryName(std::string_view name);

/// The message of a folder that a run leaves as it is because it holds leftover, a file left
/// by an interrupted run: "<folder> holds a file left by an interrupted run (<leftover>). Undo
/// that run first. Nothing in this directory is renamed. Operation will continue".
std::string interruptedRunMessage(std::string_view folder, std::string_view leftover);

} // namespace brindle
