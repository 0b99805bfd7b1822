#include "run/URenamePlan.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include "jobs/zmStringUtil.h"
#include "run/UFileOps.h"
#include "run/UGlobals.h"

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

bool FileSystemFoldsCase(unsigned long type)
{
    return std::find(std::begin(kFoldingTypes), std::end(kFoldingTypes), type) != std::end(kFoldingTypes);
}

TNameCase DetectNameCase(int dirFd, std::string_view probe)
{
    // 1. The probe: the entry's name with its ASCII letters' case swapped. Found as the same
    //    entry, the file system folds case; not found, it does not. A file with more than one
    //    link could be found under both names on any file system, so it proves nothing.
    const std::string name(probe);
    const std::string twin = swapAsciiCase(name);
    if (!name.empty() && twin != name) {
        struct stat a;
        struct stat b;
        if (::fstatat(dirFd, name.c_str(), &a, AT_SYMLINK_NOFOLLOW) == 0) {
            if (::fstatat(dirFd, twin.c_str(), &b, AT_SYMLINK_NOFOLLOW) != 0) {
                if (errno == ENOENT)
                    return TNameCase::Exact;
            } else if (a.st_dev != b.st_dev || a.st_ino != b.st_ino) {
                return TNameCase::Exact;
            } else if (S_ISDIR(a.st_mode) || a.st_nlink == 1) {
                return TNameCase::Folding;
            }
        }
    }
    // 2. A folder with the case-folding flag (ext4, f2fs, tmpfs).
    int flags = 0;
    if (::ioctl(dirFd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_CASEFOLD_FL) != 0)
        return TNameCase::Folding;
    // 3. A file system that always folds.
    struct statfs fs;
    if (::fstatfs(dirFd, &fs) == 0 && FileSystemFoldsCase(static_cast<unsigned long>(fs.f_type)))
        return TNameCase::Folding;
    return TNameCase::Exact;
}

void FoldedNameKey(std::string_view name, std::string& out)
{
    bool ascii = true;
    for (const char c : name) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) {
        UpCaseGreekInto(name, out);
        return;
    }
    // Every letter's simple case folding first (so É and é are one), then the designed key
    // (which upper-cases a-z and the Greek letters and drops the Greek accents).
    std::string folded;
    folded.reserve(name.size());
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t len = CharLen(name, i);
        if (len == 1) {
            folded += name[i];
            ++i;
            continue;
        }
        UChar32 cp;
        std::int32_t at = static_cast<std::int32_t>(i);
        U8_NEXT_UNSAFE(reinterpret_cast<const std::uint8_t*>(name.data()), at, cp);
        const UChar32 f = u_foldCase(cp, U_FOLD_CASE_DEFAULT);
        char buffer[4];
        std::int32_t n = 0;
        U8_APPEND_UNSAFE(reinterpret_cast<std::uint8_t*>(buffer), n, f);
        folded.append(buffer, static_cast<std::size_t>(n));
        i += len;
    }
    UpCaseGreekInto(folded, out);
}

TFailure RefusedName(std::string_view newName, std::string_view oldName, bool undo)
{
    if (newName.empty())
        return TFailure::EmptyName;
    if (newName == "." || newName == "..")
        return TFailure::DotName;
    if (newName.find('/') != std::string_view::npos)
        return TFailure::Slash;
    if (newName.find('\0') != std::string_view::npos)
        return TFailure::Nul;
    if (newName.size() > kMaxNameBytes)
        return TFailure::TooLong;
    if (newName == kUndoFileName)
        return TFailure::UndoFileName;
    // The undo file holds one name a line: a name with a line feed could not be given back.
    if (undo
        && (newName.find('\n') != std::string_view::npos || oldName.find('\n') != std::string_view::npos))
        return TFailure::LineFeed;
    return TFailure::None;
}

std::string_view RefusalText(TFailure failure)
{
    switch (failure) {
    case TFailure::EmptyName:
        return "an empty name";
    case TFailure::DotName:
        return "the name \".\" or \"..\", which stands for a folder";
    case TFailure::Slash:
        return "a name with \"/\", which would leave the folder";
    case TFailure::Nul:
        return "a name with a NUL byte";
    case TFailure::TooLong:
        return "a name longer than 255 bytes";
    case TFailure::UndoFileName:
        return "the name of the undo file";
    case TFailure::LineFeed:
        return "a line feed, which the undo file cannot record";
    case TFailure::None:
    case TFailure::Held:
    case TFailure::WantedFirst:
        break;
    }
    return {};
}

// ---- the index table ----

void TFolderPlan::TIndexTable::reset(std::size_t count)
{
    std::size_t slots = 16;
    while (slots < count * 2)
        slots *= 2;
    m_slots.assign(slots, 0);
    m_tags.assign(slots, 0);
}

template <typename KeyOf>
std::uint32_t TFolderPlan::TIndexTable::find(std::string_view key, KeyOf keyOf) const
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
std::uint32_t TFolderPlan::TIndexTable::insert(std::string_view key, std::uint32_t index, KeyOf keyOf)
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

void TFolderPlan::SetListing(TBWFileList dirs, TBWFileList files, TNameList others)
{
    m_dirs = std::move(dirs);
    m_files = std::move(files);
    m_others = std::move(others);
    m_state.assign(Size(), TState {});
    m_steps.clear();
    m_temporary.clear();
    m_cycles = 0;
}

const TBWFile& TFolderPlan::Entry(std::size_t i) const
{
    return i < m_dirs.size() ? m_dirs[i] : m_files[i - m_dirs.size()];
}

std::string_view TFolderPlan::NewName(std::size_t i) const
{
    const TBWFile& e = Entry(i);
    return m_state[i].verdict == TVerdict::Unchanged ? std::string_view(e.Name) : std::string_view(e.NewName);
}

std::string_view TFolderPlan::oldName(std::uint32_t i) const
{
    return i < Size() ? std::string_view(Entry(i).Name) : m_others[i - Size()];
}

std::string_view TFolderPlan::oldKey(std::uint32_t i) const
{
    return m_nameCase == TNameCase::Exact ? oldName(i) : m_oldKeys[i];
}

std::string_view TFolderPlan::newKey(std::uint32_t i) const
{
    return m_nameCase == TNameCase::Exact ? NewName(i) : m_newKeys[i];
}

void TFolderPlan::Sort(const TOptions& options, const TNameCollator* collator)
{
    if (!options.sort)
        return;
    const TNameCollator& c = collator ? *collator : TNameCollator::User(options.naturalSort);
    SortEntries(m_dirs, options.sortOrder, c);
    SortEntries(m_files, options.sortOrder, c);
}

bool TFolderPlan::Name(
    const std::vector<TJob>& jobs, std::int32_t& counter, const TOptions& options, const TConfirm& confirm)
{
    m_state.assign(Size(), TState {});
    std::string name;
    for (std::size_t i = 0; i < Size(); ++i) {
        const TEntryKind kind = Kind(i);
        if (kind == TEntryKind::Folder && !options.renameDirs)
            continue;
        TBWFile& e = i < m_dirs.size() ? m_dirs[i] : m_files[i - m_dirs.size()];
        TState& s = m_state[i];
        s.named = true;
        name = e.Name;
        for (const TJob& job : jobs)
            job.ApplyInPlace(name, counter);
        if (name == e.Name)
            continue;
        e.NewName = name;
        const TAnswer answer = confirm ? confirm(e, kind, e.NewName) : TAnswer::Yes;
        if (answer == TAnswer::Stop) {
            // Stopped before this entry: it and the rest keep their names, unexamined.
            e.NewName.clear();
            for (std::size_t k = i; k < Size(); ++k)
                m_state[k] = TState {};
            return false;
        }
        s.verdict = answer == TAnswer::Yes ? TVerdict::Renamed : TVerdict::Declined;
    }
    return true;
}

void TFolderPlan::fail(std::uint32_t i, TFailure failure, std::uint32_t other)
{
    TState& s = m_state[i];
    s.verdict = TVerdict::Failed;
    s.failure = failure;
    s.other = other;
}

void TFolderPlan::Validate(const TOptions& options)
{
    m_nameCase = options.nameCase;
    const bool folding = m_nameCase == TNameCase::Folding;
    const auto count = static_cast<std::uint32_t>(Size());

    // 1. Names no entry can have, or that the undo file cannot record.
    for (std::uint32_t i = 0; i < count; ++i) {
        if (m_state[i].verdict != TVerdict::Renamed)
            continue;
        const TFailure f = RefusedName(NewName(i), Entry(i).Name, options.undo);
        if (f != TFailure::None)
            fail(i, f, kNone);
    }

    // 2. The clash keys, where the file system folds case; otherwise the names themselves.
    m_oldKeys.clear();
    m_newKeys.clear();
    std::string key;
    if (folding) {
        for (std::uint32_t i = 0; i < count + m_others.size(); ++i) {
            FoldedNameKey(oldName(i), key);
            m_oldKeys.push_back(key);
        }
        for (std::uint32_t i = 0; i < count; ++i) {
            key.clear();
            if (m_state[i].verdict == TVerdict::Renamed)
                FoldedNameKey(NewName(i), key);
            m_newKeys.push_back(key);
        }
    }

    // 3. Who holds each name now: every entry and every other name of the folder. While undo
    //    files are written, the undo file's name is held too, even before the file is made.
    const auto oldKeyOf = [this](std::uint32_t i) { return oldKey(i); };
    const auto newKeyOf = [this](std::uint32_t i) { return newKey(i); };
    m_holders.reset(count + m_others.size() + 1);
    m_shared.clear();
    for (std::uint32_t i = 0; i < count + m_others.size(); ++i) {
        if (const std::uint32_t first = m_holders.insert(oldKey(i), i, oldKeyOf); first != kNone)
            m_shared.emplace_back(first, i);
    }
    if (options.undo) {
        if (folding)
            FoldedNameKey(kUndoFileName, key);
        else
            key = kUndoFileName;
        if (m_holders.find(key, oldKeyOf) == kNone) {
            const auto undoIndex = static_cast<std::uint32_t>(count + m_others.size());
            m_others.push_back(kUndoFileName);
            if (folding)
                m_oldKeys.push_back(key);
            m_holders.insert(oldKey(undoIndex), undoIndex, oldKeyOf);
        }
    }
    std::sort(m_shared.begin(), m_shared.end());
    const auto sharedWith = [this](std::uint32_t holder) {
        const auto it = std::lower_bound(
            m_shared.begin(), m_shared.end(), std::pair<std::uint32_t, std::uint32_t>(holder, 0));
        return it != m_shared.end() && it->first == holder ? it->second : kNone;
    };
    const auto moving
        = [this, count](std::uint32_t i) { return i < count && m_state[i].verdict == TVerdict::Renamed; };

    // 4. A target held by what stays: an entry that keeps its name, an entry already failed,
    //    another name of the folder. A key held twice (only where the keys fold more than the
    //    file system) is never free.
    std::vector<std::uint32_t> work;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!moving(i))
            continue;
        const std::uint32_t h = m_holders.find(newKey(i), oldKeyOf);
        if (h == kNone)
            continue;
        if (const std::uint32_t twin = m_shared.empty() ? kNone : sharedWith(h); twin != kNone) {
            fail(i, TFailure::Held, h != i ? h : twin);
            work.push_back(i);
        } else if (h == i) {
            m_state[i].self = true; // a change of letter case only: the entry itself
        } else if (!moving(h)) {
            fail(i, TFailure::Held, h);
            work.push_back(i);
        } else {
            m_state[i].other = h; // waits for h to move
        }
    }

    // 5. Each name to one entry: to the entry that has it already under another case, then to
    //    the first in listing order.
    m_wanted.reset(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (moving(i) && m_state[i].self)
            m_wanted.insert(newKey(i), i, newKeyOf);
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!moving(i) || m_state[i].self)
            continue;
        if (const std::uint32_t w = m_wanted.insert(newKey(i), i, newKeyOf); w != kNone) {
            fail(i, m_state[w].self ? TFailure::Held : TFailure::WantedFirst, w);
            work.push_back(i);
        }
    }

    // 6. An entry that fails keeps its name, so the entry that wanted that name fails too, and
    //    so on along the chain: each entry fails at most once.
    while (!work.empty()) {
        const std::uint32_t x = work.back();
        work.pop_back();
        const std::uint32_t w = m_wanted.find(oldKey(x), newKeyOf);
        if (w == kNone || w == x || !moving(w))
            continue;
        fail(w, TFailure::Held, x);
        work.push_back(w);
    }
}

bool IsTemporaryName(std::string_view name)
{
    if (name.size() != kTemporaryPrefix.size() + 8 || !name.starts_with(kTemporaryPrefix))
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(kTemporaryPrefix.size()), name.end(),
        [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

void TFolderPlan::pickTemporaryName()
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
        if (m_nameCase == TNameCase::Folding)
            FoldedNameKey(m_temporary, key);
        else
            key = m_temporary;
        if (m_holders.find(key, oldKeyOf) == kNone && m_wanted.find(key, newKeyOf) == kNone)
            return;
    }
}

void TFolderPlan::Order()
{
    const auto count = static_cast<std::uint32_t>(Size());
    // The entry holding i's new name now, when it is another one (that then moves too), as
    // validation found it.
    const auto waitsFor = [&](std::uint32_t i) { return m_state[i].other; };
    m_steps.clear();
    m_steps.reserve(count);
    m_cycles = 0;
    for (TState& s : m_state)
        s.done = false;
    std::vector<std::uint32_t> path;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (m_state[i].done)
            continue;
        if (m_state[i].verdict != TVerdict::Renamed) {
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

void TFolderPlan::Compute(TBWFileList dirs, TBWFileList files, TNameList others, const TOptions& options,
    const std::vector<TJob>& jobs, std::int32_t& counter, const TConfirm& confirm)
{
    SetListing(std::move(dirs), std::move(files), std::move(others));
    Sort(options);
    Name(jobs, counter, options, confirm);
    Validate(options);
    Order();
}

bool TFolderPlan::Refused(std::size_t i) const
{
    const TFailure f = m_state[i].failure;
    return f != TFailure::None && f != TFailure::Held && f != TFailure::WantedFirst;
}

std::string TFolderPlan::Reason(std::size_t i) const
{
    const TState& s = m_state[i];
    if (s.verdict != TVerdict::Failed)
        return {};
    if (Refused(i))
        return std::string(RefusalText(s.failure));
    std::string out;
    const std::string_view other = otherName(s.other);
    if (s.failure == TFailure::WantedFirst) {
        out.append("also the new name of ").append(other).append(", which comes first");
        return out;
    }
    out.append("held by ").append(other);
    if (s.other < Size() && m_state[s.other].verdict == TVerdict::Failed)
        out.append(", whose own rename fails");
    else if (s.other < Size() && m_state[s.other].self)
        out.append(", which keeps it");
    else
        out.append(", which stays");
    return out;
}

} // namespace brindle
