#include "core/run/RenamePlan.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include <unicode/utf8.h>

#include "core/base/LazyIcu.h"
#include "core/jobs/Utf8Chars.h"
#include "core/jobs/NameTemplate.h"
#include "core/run/ClashKey.h"
#include "core/run/EntryFactsReading.h"
#include "core/run/FileOps.h"
#include "core/run/FileSystemCase.h"
#include "core/run/UndoFile.h"

#ifndef FS_CASEFOLD_FL
#define FS_CASEFOLD_FL 0x40000000
#endif

namespace brindle
{

namespace
{

// File system types that compare names without regard to letter case (statfs f_type).
constexpr unsigned long kFoldingTypes[] = {
    0x4d44, // FAT (msdos, vfat)
    0x2011BAB0, // exFAT
    0x5346544e, // NTFS (ntfs-3g reports fuseblk; the kernel's ntfs)
    0x7366746e, // NTFS (ntfs3)
    0x4244, // HFS
    0x482b, // HFS+
    0xFF534D42, // CIFS
    0xFE534D42, // SMB2
    0x517B, // SMB
};

std::string swapAsciiCase(std::string_view name)
{
    std::string out(name);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

/// A seed for the temporary name: it need not be secret, only unlikely to be chosen by two runs
/// at once; every candidate is checked against the folder anyway.
std::uint64_t temporarySeed()
{
    static thread_local std::uint64_t calls = 0;
    const auto now = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return now ^ (static_cast<std::uint64_t>(::getpid()) << 32) ^ (++calls * 0x9E3779B97F4A7C15ull);
}

std::uint64_t splitMix(std::uint64_t& state)
{
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

} // namespace

bool fileSystemFoldsCase(unsigned long type)
{
    return std::find(std::begin(kFoldingTypes), std::end(kFoldingTypes), type) != std::end(kFoldingTypes);
}

NameCase detectNameCase(int dirFd, std::string_view probe)
{
    // The rule a folding file system compares by, from its type.
    const auto folding = [dirFd] {
        switch (foldRuleOf(dirFd)) {
        case FoldRule::ExFat:
            return NameCase::ExFat;
        case FoldRule::Fat:
            return NameCase::Fat;
        case FoldRule::Generic:
        case FoldRule::Unknown:
            break;
        }
        return NameCase::Folding;
    };
    // 1. The probe: the entry's name with its ASCII letters' case swapped, a name the listing
    //    does not hold. Found, the file system found the entry under it: it folds case. Not
    //    found, it does not.
    const std::string name(probe);
    const std::string twin = swapAsciiCase(name);
    if (!name.empty() && twin != name) {
        struct stat st;
        if (::fstatat(dirFd, twin.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            return folding();
        if (errno == ENOENT)
            return NameCase::Exact;
    }
    // 2. A folder with the case-folding flag (ext4, f2fs, tmpfs).
    int flags = 0;
    if (::ioctl(dirFd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL) != 0)
        return NameCase::Folding;
    // 3. A file system that always folds.
    return foldRuleOf(dirFd) == FoldRule::Unknown ? NameCase::Exact : folding();
}

void foldedNameKey(std::string_view name, std::string& out)
{
    bool ascii = true;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        upCaseGreekInto(name, out);
        return;
    }
    // Every letter's simple case folding first (so É and é are one), then the designed key
    // (which upper-cases a-z and the Greek letters and drops the Greek accents).
    std::string folded;
    folded.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t len = charLen(name, i);
        if (len == 1) {
            folded += name[i];
            ++i;
            continue;
        }
        UChar32 cp;
        std::int32_t at = static_cast<std::int32_t>(i);
        U8_NEXT_UNSAFE(reinterpret_cast<const std::uint8_t*>(name.data()), at, cp);
        const UChar32 f = lazy::u_foldCase(cp, U_FOLD_CASE_DEFAULT);
        char buffer[4];
        std::int32_t n = 0;
        U8_APPEND_UNSAFE(reinterpret_cast<std::uint8_t*>(buffer), n, f);
        folded.append(buffer, static_cast<std::size_t>(n));
        i += len;
    }
    upCaseGreekInto(folded, out);
}

void nameKey(NameCase nameCase, std::string_view name, std::string& out)
{
    switch (nameCase) {
    case NameCase::Exact:
        out.assign(name);
        return;
    case NameCase::Folding:
        foldedNameKey(name, out);
        return;
    case NameCase::ExFat:
        exFatNameKey(name, out);
        return;
    case NameCase::Fat:
        fatNameKey(name, out);
        return;
    }
}

Failure refusedName(std::string_view newName, std::string_view oldName, bool undo)
{
    if (newName.empty())
        return Failure::EmptyName;
    if (newName == "." || newName == "..")
        return Failure::DotName;
    if (newName.find('/') != std::string_view::npos)
        return Failure::Slash;
    if (newName.find('\0') != std::string_view::npos)
        return Failure::Nul;
    if (newName.size() > kMaxNameBytes)
        return Failure::TooLong;
    if (newName == kUndoFileName)
        return Failure::UndoFileName;
    // The undo file holds one name a line: a name with a line feed could not be given back.
    if (undo
        && (newName.find('\n') != std::string_view::npos || oldName.find('\n') != std::string_view::npos))
        return Failure::LineFeed;
    return Failure::None;
}

std::string_view refusalText(Failure failure)
{
    switch (failure) {
    case Failure::EmptyName:
        return "an empty name";
    case Failure::DotName:
        return "the name \".\" or \"..\", which stands for a folder";
    case Failure::Slash:
        return "a name with \"/\", which would leave the folder";
    case Failure::Nul:
        return "a name with a NUL byte";
    case Failure::TooLong:
        return "a name longer than 255 bytes";
    case Failure::UndoFileName:
        return "the name of the undo file";
    case Failure::LineFeed:
        return "a line feed, which the undo file cannot record";
    case Failure::NotOnFat:
        return "a character this file system does not take (\" * : < > ? \\ | or a control character, or a "
               "byte outside UTF-8)";
    case Failure::None:
    case Failure::Held:
    case Failure::WantedFirst:
    case Failure::JobFailed:
    case Failure::Interrupted:
        break;
    }
    return {};
}

// ---- the index table ----

void RenamePlan::IndexTable::reset(std::size_t count)
{
    std::size_t slots = 16;
    while (slots < count * 2)
        slots *= 2;
    m_slots.assign(slots, 0);
    m_tags.assign(slots, 0);
}

template <typename KeyOf> std::uint32_t RenamePlan::IndexTable::find(std::string_view key, KeyOf keyOf) const
{
    const std::size_t hash = std::hash<std::string_view> {}(key);
    const auto tag = static_cast<std::uint8_t>(hash >> 56);
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t s = hash & mask; m_slots[s] != 0; s = (s + 1) & mask) {
        if (m_tags[s] == tag && keyOf(m_slots[s] - 1) == key)
            return m_slots[s] - 1;
    }
    return kNone;
}

template <typename KeyOf>
std::uint32_t RenamePlan::IndexTable::insert(std::string_view key, std::uint32_t index, KeyOf keyOf)
{
    const std::size_t hash = std::hash<std::string_view> {}(key);
    const auto tag = static_cast<std::uint8_t>(hash >> 56);
    const std::size_t mask = m_slots.size() - 1;
    std::size_t s = hash & mask;
    for (; m_slots[s] != 0; s = (s + 1) & mask) {
        if (m_tags[s] == tag && keyOf(m_slots[s] - 1) == key)
            return m_slots[s] - 1;
    }
    m_slots[s] = index + 1;
    m_tags[s] = tag;
    return kNone;
}

// ---- the plan ----

void RenamePlan::setListing(FileEntryList dirs, FileEntryList files, NameList others)
{
    m_dirs = std::move(dirs);
    m_files = std::move(files);
    m_others = std::move(others);
    m_state.assign(size(), State {});
    m_steps.clear();
    m_temporary.clear();
    m_cycles = 0;
    // A cycle's temporary name is the run's own: found in the listing, it belongs to a run
    // that was stopped in the middle of a cycle, and its entry's record is in the undo file.
    m_leftover.clear();
    for (const FileEntryList* list : {&m_dirs, &m_files}) {
        for (const FileEntry& e : *list) {
            if (m_leftover.empty() && isTemporaryName(e.name))
                m_leftover = e.name;
        }
    }
    for (std::size_t i = 0; m_leftover.empty() && i < m_others.size(); ++i) {
        if (isTemporaryName(m_others[i]))
            m_leftover = m_others[i];
    }
}

const FileEntry& RenamePlan::entry(std::size_t i) const
{
    return i < m_dirs.size() ? m_dirs[i] : m_files[i - m_dirs.size()];
}

std::string_view RenamePlan::newName(std::size_t i) const
{
    const FileEntry& e = entry(i);
    return m_state[i].verdict == Verdict::Unchanged ? std::string_view(e.name) : std::string_view(e.newName);
}

std::string_view RenamePlan::oldName(std::uint32_t i) const
{
    return i < size() ? std::string_view(entry(i).name) : m_others[i - size()];
}

std::string_view RenamePlan::oldKey(std::uint32_t i) const
{
    return m_nameCase == NameCase::Exact ? oldName(i) : m_oldKeys[i];
}

std::string_view RenamePlan::newKey(std::uint32_t i) const
{
    return m_nameCase == NameCase::Exact ? newName(i) : m_newKeys[i];
}

void RenamePlan::sort(const Options& options, const NameCollator* collator)
{
    if (!options.sort)
        return;
    if (options.sortOrder == SortOrder::TakenAsc || options.sortOrder == SortOrder::TakenDesc)
        readEntryFacts(options.dirFd, FactsNeed::Contents, options.factsCache, m_dirs, m_files);
    const NameCollator& c = collator ? *collator : NameCollator::user(options.naturalSort);
    sortEntries(m_dirs, options.sortOrder, c);
    sortEntries(m_files, options.sortOrder, c);
}

bool RenamePlan::name(const std::vector<Job>& jobs, std::int32_t& counter, const Options& options,
    const Confirm& confirm, bool* counterSpent)
{
    m_state.assign(size(), State {});
    m_jobFailures.clear();
    FactsNeed need = FactsNeed::None;
    for (const Job& job : jobs)
        need = need | job.factsNeed();
    readEntryFacts(options.dirFd, need, options.factsCache, m_dirs, m_files);
    JobState state {counter, {}, counterSpent && *counterSpent};
    const auto giveBack = [&] {
        counter = state.counter;
        if (counterSpent)
            *counterSpent = state.counterSpent;
    };
    EntryFacts entryFacts;
    entryFacts.folderName = options.folderName;
    std::string name;
    for (std::size_t i = 0; i < size(); ++i) {
        const EntryKind entryKind = kind(i);
        if (entryKind == EntryKind::Folder && !options.renameDirs)
            continue;
        FileEntry& e = i < m_dirs.size() ? m_dirs[i] : m_files[i - m_dirs.size()];
        if (m_manual && m_manual->onlyChosen() && !m_manual->chosen(e.name))
            continue;
        State& s = m_state[i];
        s.named = true;
        name = e.name;
        entryFacts.facts = e.facts.get();
        state.entry = &entryFacts;
        for (const Job& job : jobs)
            job.applyInPlace(name, state);
        if (const std::string* manual = m_manual ? m_manual->manualName(e.name) : nullptr) {
            // The name given by hand stands, whatever the jobs made of the entry.
            state.failure.clear();
            name = *manual;
            s.manual = true;
        }
        if (!state.failure.empty()) {
            // The entry keeps its name.
            e.newName = e.name;
            fail(static_cast<std::uint32_t>(i), Failure::JobFailed, kNone);
            m_jobFailures.emplace_back(static_cast<std::uint32_t>(i), std::move(state.failure));
            state.failure.clear();
            continue;
        }
        if (name == e.name)
            continue;
        e.newName = name;
        const Answer answer = confirm ? confirm(e, entryKind, e.newName) : Answer::Yes;
        if (answer == Answer::Stop) {
            // Stopped before this entry: it and the rest keep their names, unexamined.
            e.newName.clear();
            for (std::size_t k = i; k < size(); ++k)
                m_state[k] = State {};
            giveBack();
            return false;
        }
        s.verdict = answer == Answer::Yes ? Verdict::Renamed : Verdict::Declined;
    }
    giveBack();
    return true;
}

void RenamePlan::fail(std::uint32_t i, Failure failure, std::uint32_t other)
{
    State& s = m_state[i];
    s.verdict = Verdict::Failed;
    s.failure = failure;
    s.other = other;
}

bool RenamePlan::moving(std::uint32_t i) const
{
    return i < size() && m_state[i].verdict == Verdict::Renamed;
}

std::uint32_t RenamePlan::sharedWith(std::uint32_t holder) const
{
    const auto it = std::lower_bound(
        m_shared.begin(), m_shared.end(), std::pair<std::uint32_t, std::uint32_t>(holder, 0));
    return it != m_shared.end() && it->first == holder ? it->second : kNone;
}

void RenamePlan::validate(const Options& options)
{
    m_nameCase = options.nameCase;
    refuseInterrupted();
    refuseNames(options.undo);
    makeClashKeys();
    findHolders(options.undo);
    std::vector<std::uint32_t> failed;
    failHeldTargets(failed);
    giveEachNameOnce(failed);
    failWantingFailed(std::move(failed));
}

void RenamePlan::refuseInterrupted()
{
    // 0. A folder with a file left by an interrupted run is left as it is until that run is
    //    undone: a new run would replace the undo file that knows the file's own name, and the
    //    file would stay under the hidden temporary name with no record left.
    if (m_leftover.empty())
        return;
    for (std::uint32_t i = 0; i < size(); ++i) {
        if (m_state[i].verdict == Verdict::Renamed)
            fail(i, Failure::Interrupted, kNone);
    }
}

namespace
{

/// Whether exFAT and FAT refuse name: they store names as UTF-16 and take no control
/// character and none of " * : < > ? \ |.
bool refusedOnFat(std::string_view name)
{
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t len = charLen(name, i);
        const auto c = static_cast<unsigned char>(name[i]);
        if (len == 1
            && (c < 0x20 || c >= 0x80
                || std::string_view("\"*:<>?\\|").find(static_cast<char>(c)) != std::string_view::npos))
            return true;
        i += len;
    }
    return false;
}

} // namespace

void RenamePlan::refuseNames(bool undo)
{
    // 1. Names no entry can have, or that the undo file cannot record.
    const bool fat = m_nameCase == NameCase::ExFat || m_nameCase == NameCase::Fat;
    for (std::uint32_t i = 0; i < size(); ++i) {
        if (m_state[i].verdict != Verdict::Renamed)
            continue;
        Failure f = refusedName(newName(i), entry(i).name, undo);
        if (f == Failure::None && fat && refusedOnFat(newName(i)))
            f = Failure::NotOnFat;
        if (f != Failure::None)
            fail(i, f, kNone);
    }
}

void RenamePlan::makeClashKeys()
{
    // 2. The clash keys, where the file system folds case; otherwise the names themselves.
    m_oldKeys.clear();
    m_newKeys.clear();
    if (m_nameCase == NameCase::Exact)
        return;
    const auto count = static_cast<std::uint32_t>(size());
    std::string key;
    for (std::uint32_t i = 0; i < count + m_others.size(); ++i) {
        nameKey(m_nameCase, oldName(i), key);
        m_oldKeys.push_back(key);
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        key.clear();
        if (m_state[i].verdict == Verdict::Renamed)
            nameKey(m_nameCase, newName(i), key);
        m_newKeys.push_back(key);
    }
}

void RenamePlan::findHolders(bool undo)
{
    // 3. Who holds each name now: every entry and every other name of the folder. While undo
    //    files are written, the undo file's name is held too, even before the file is made.
    const bool folding = m_nameCase != NameCase::Exact;
    const auto count = static_cast<std::uint32_t>(size());
    const auto oldKeyOf = [this](std::uint32_t i) { return oldKey(i); };
    m_holders.reset(count + m_others.size() + 1);
    m_shared.clear();
    for (std::uint32_t i = 0; i < count + m_others.size(); ++i) {
        if (const std::uint32_t first = m_holders.insert(oldKey(i), i, oldKeyOf); first != kNone)
            m_shared.emplace_back(first, i);
    }
    if (undo) {
        std::string key;
        nameKey(m_nameCase, kUndoFileName, key);
        if (m_holders.find(key, oldKeyOf) == kNone) {
            const auto undoIndex = static_cast<std::uint32_t>(count + m_others.size());
            m_others.push_back(kUndoFileName);
            if (folding)
                m_oldKeys.push_back(key);
            m_holders.insert(oldKey(undoIndex), undoIndex, oldKeyOf);
        }
    }
    std::sort(m_shared.begin(), m_shared.end());
}

void RenamePlan::failHeldTargets(std::vector<std::uint32_t>& failed)
{
    // 4. A target held by what stays: an entry that keeps its name, an entry already failed,
    //    another name of the folder. A key held twice (only where the keys fold more than the
    //    file system) is never free.
    const auto oldKeyOf = [this](std::uint32_t i) { return oldKey(i); };
    for (std::uint32_t i = 0; i < size(); ++i) {
        if (!moving(i))
            continue;
        const std::uint32_t h = m_holders.find(newKey(i), oldKeyOf);
        if (h == kNone)
            continue;
        if (const std::uint32_t twin = m_shared.empty() ? kNone : sharedWith(h); twin != kNone) {
            fail(i, Failure::Held, h != i ? h : twin);
            failed.push_back(i);
        } else if (h == i) {
            m_state[i].self = true; // a change of letter case only: the entry itself
        } else if (!moving(h)) {
            fail(i, Failure::Held, h);
            failed.push_back(i);
        } else {
            m_state[i].other = h; // waits for h to move
        }
    }
}

void RenamePlan::giveEachNameOnce(std::vector<std::uint32_t>& failed)
{
    // 5. Each name to one entry: to the entry that has it already under another case, then to
    //    the first in listing order.
    const auto count = static_cast<std::uint32_t>(size());
    const auto newKeyOf = [this](std::uint32_t i) { return newKey(i); };
    m_wanted.reset(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (moving(i) && m_state[i].self)
            m_wanted.insert(newKey(i), i, newKeyOf);
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!moving(i) || m_state[i].self)
            continue;
        if (const std::uint32_t w = m_wanted.insert(newKey(i), i, newKeyOf); w != kNone) {
            fail(i, m_state[w].self ? Failure::Held : Failure::WantedFirst, w);
            failed.push_back(i);
        }
    }
}

void RenamePlan::failWantingFailed(std::vector<std::uint32_t> failed)
{
    // 6. An entry that fails keeps its name, so the entry that wanted that name fails too, and
    //    so on along the chain: each entry fails at most once.
    const auto newKeyOf = [this](std::uint32_t i) { return newKey(i); };
    while (!failed.empty()) {
        const std::uint32_t x = failed.back();
        failed.pop_back();
        const std::uint32_t w = m_wanted.find(oldKey(x), newKeyOf);
        if (w == kNone || w == x || !moving(w))
            continue;
        fail(w, Failure::Held, x);
        failed.push_back(w);
    }
}

std::string interruptedRunMessage(std::string_view folder, std::string_view leftover)
{
    std::string message(folder);
    message.append(" holds a file left by an interrupted run (")
        .append(leftover)
        .append("). Undo that run first. Nothing in this directory is renamed. Operation will continue");
    return message;
}

bool isTemporaryName(std::string_view name)
{
    if (name.size() != kTemporaryPrefix.size() + 8 || !name.starts_with(kTemporaryPrefix))
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kTemporaryPrefix.size()), name.end(),
        [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

void RenamePlan::pickTemporaryName()
{
    const auto oldKeyOf = [this](std::uint32_t i) { return oldKey(i); };
    const auto newKeyOf = [this](std::uint32_t i) { return newKey(i); };
    std::uint64_t state = temporarySeed();
    std::string key;
    static constexpr char kHex[] = "0123456789abcdef";
    for (;;) {
        std::uint64_t bits = splitMix(state);
        m_temporary = kTemporaryPrefix;
        for (int k = 0; k < 8; ++k, bits >>= 4)
            m_temporary += kHex[bits & 15];
        nameKey(m_nameCase, m_temporary, key);
        if (m_holders.find(key, oldKeyOf) == kNone && m_wanted.find(key, newKeyOf) == kNone)
            return;
    }
}

void RenamePlan::order()
{
    const auto count = static_cast<std::uint32_t>(size());
    // The entry holding i's new name now, when it is another one (that then moves too), as
    // validation found it.
    const auto waitsFor = [&](std::uint32_t i) { return m_state[i].other; };
    m_steps.clear();
    m_steps.reserve(count);
    m_cycles = 0;
    for (State& s : m_state)
        s.done = false;
    std::vector<std::uint32_t> path;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (m_state[i].done)
            continue;
        if (m_state[i].verdict != Verdict::Renamed) {
            m_steps.push_back({i, false});
            m_state[i].done = true;
            continue;
        }
        // Follow the entries whose names are wanted: each name is wanted by one entry at most
        // and each entry wants one name, so the way ends at a free name (a chain) or comes
        // back to i (a cycle).
        path.clear();
        path.push_back(i);
        std::uint32_t j = waitsFor(i);
        while (j != kNone && j != i && !m_state[j].done) {
            path.push_back(j);
            j = waitsFor(j);
        }
        const bool cycle = j == i;
        if (cycle) {
            // The first member steps aside to the temporary name; the others then follow one
            // another from the end, and the first member takes its name last.
            if (m_temporary.empty())
                pickTemporaryName();
            ++m_cycles;
            m_steps.push_back({i, true});
        }
        for (std::size_t k = path.size(); k-- > (cycle ? 1u : 0u);) {
            m_steps.push_back({path[k], false});
            m_state[path[k]].done = true;
        }
        if (cycle) {
            m_steps.push_back({i, false});
            m_state[i].done = true;
        }
    }
}

void RenamePlan::compute(FileEntryList dirs, FileEntryList files, NameList others, const Options& options,
    const std::vector<Job>& jobs, std::int32_t& counter, const Confirm& confirm)
{
    setListing(std::move(dirs), std::move(files), std::move(others));
    sort(options);
    name(jobs, counter, options, confirm);
    validate(options);
    order();
}

bool RenamePlan::refused(std::size_t i) const
{
    const Failure f = m_state[i].failure;
    return f != Failure::None && f != Failure::Held && f != Failure::WantedFirst;
}

std::string RenamePlan::reason(std::size_t i) const
{
    const State& s = m_state[i];
    if (s.verdict != Verdict::Failed)
        return {};
    if (s.failure == Failure::JobFailed) {
        const auto it = std::lower_bound(m_jobFailures.begin(), m_jobFailures.end(), i,
            [](const auto& f, std::size_t entry) { return f.first < entry; });
        return it != m_jobFailures.end() && it->first == i ? it->second : std::string();
    }
    if (s.failure == Failure::Interrupted)
        return "the folder holds a file left by an interrupted run (" + m_leftover + "); undo that run first";
    if (refused(i))
        return std::string(refusalText(s.failure));
    std::string out;
    const std::string_view other = otherName(s.other);
    if (s.failure == Failure::WantedFirst) {
        out.append("also the new name of ").append(other).append(", which comes first");
        return out;
    }
    out.append("held by ").append(other);
    if (s.other < size() && m_state[s.other].verdict == Verdict::Failed)
        out.append(", whose own rename fails");
    else if (s.other < size() && m_state[s.other].self)
        out.append(", which keeps it");
    else
        out.append(", which stays");
    return out;
}

} // namespace brindle
