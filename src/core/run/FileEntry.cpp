#include "core/run/FileEntry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numeric>

#include <unicode/ucol.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include "core/jobs/Utf8Text.h"
#include "core/run/ClashKey.h"

namespace brindle
{

namespace
{

// Days from 1970-01-01 to 1899-12-30, the day the dates count from.
constexpr std::int64_t kDaysTo1970 = 25569;

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

void appendTwoDigits(std::string& out, unsigned v)
{
    out += static_cast<char>('0' + (v / 10) % 10);
    out += static_cast<char>('0' + v % 10);
}

// Pattern values of the two wildcards; folded characters are below 0x110100.
constexpr char32_t kAnyRun = 0xFFFFFFFF;
constexpr char32_t kAnyOne = 0xFFFFFFFE;

/// The folded character at byte i of s and its length; a byte outside any UTF-8 sequence is a
/// character of its own that matches only itself.
inline char32_t foldedCharAt(std::string_view s, std::size_t i, std::size_t& len)
{
    const auto c0 = static_cast<unsigned char>(s[i]);
    if (c0 < 0x80) {
        len = 1;
        return (c0 >= 'A' && c0 <= 'Z') ? c0 + ('a' - 'A') : c0;
    }
    len = charLen(s, i);
    if (len == 1)
        return 0x110000u + c0;
    UChar32 cp;
    std::int32_t at = static_cast<std::int32_t>(i);
    U8_NEXT_UNSAFE(reinterpret_cast<const std::uint8_t*>(s.data()), at, cp);
    return static_cast<char32_t>(u_foldCase(cp, U_FOLD_CASE_DEFAULT));
}

std::string icuLocaleOf(std::string_view posix)
{
    const std::size_t cut = posix.find_first_of(".@");
    std::string_view base = posix.substr(0, cut);
    if (base == "C" || base == "POSIX")
        return {};
    return std::string(base);
}

} // namespace

// ---- dates ----

double fileTimeToDate(std::time_t t)
{
    std::tm tm {};
    if (!::localtime_r(&t, &tm))
        return 0.0;
    const std::int64_t days = daysFromCivil(tm.tm_year + 1900LL, static_cast<unsigned>(tm.tm_mon + 1),
                                  static_cast<unsigned>(tm.tm_mday))
        + kDaysTo1970;
    const int seconds = tm.tm_hour * 3600 + tm.tm_min * 60 + (tm.tm_sec & ~1);
    return static_cast<double>(days) + seconds / 86400.0;
}

std::string formatDate(double date, bool withSeconds)
{
    auto days = static_cast<std::int64_t>(std::floor(date));
    auto seconds = static_cast<std::int64_t>(std::llround((date - static_cast<double>(days)) * 86400.0));
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    std::int64_t y;
    unsigned m, d;
    civilFromDays(days - kDaysTo1970, y, m, d);
    std::string out;
    out.reserve(24);
    appendTwoDigits(out, d);
    out += '/';
    appendTwoDigits(out, m);
    out += '/';
    if (y < 0) {
        out += '-';
        y = -y;
    }
    std::string year = std::to_string(y);
    if (year.size() < 4)
        out.append(4 - year.size(), '0');
    out += year;
    out += ' ';
    appendTwoDigits(out, static_cast<unsigned>(seconds / 3600));
    out += ':';
    appendTwoDigits(out, static_cast<unsigned>(seconds / 60 % 60));
    if (withSeconds) {
        out += ':';
        appendTwoDigits(out, static_cast<unsigned>(seconds % 60));
    }
    return out;
}

std::string FileEntry::displayText() const
{
    std::string out = formatDate(date);
    out += ' ';
    out += name;
    return out;
}

// ---- collation and sorting ----

struct NameCollator::Impl {
    // Set up once and only read afterwards: ICU's read-only calls may share it between threads.
    UCollator* collator = nullptr;
};

NameCollator::NameCollator(std::string_view localeName, bool natural)
    : m_impl(std::make_unique<Impl>())
{
    UErrorCode status = U_ZERO_ERROR;
    const std::string icuName = icuLocaleOf(localeName);
    m_impl->collator = ucol_open(icuName.c_str(), &status);
    if (U_FAILURE(status) || !m_impl->collator) {
        status = U_ZERO_ERROR;
        m_impl->collator = ucol_open("", &status);
    }
    if (m_impl->collator) {
        // Secondary strength: letters and accents count, letter case does not.
        ucol_setStrength(m_impl->collator, UCOL_SECONDARY);
        status = U_ZERO_ERROR;
        ucol_setAttribute(m_impl->collator, UCOL_NUMERIC_COLLATION, natural ? UCOL_ON : UCOL_OFF, &status);
    }
}

NameCollator::~NameCollator()
{
    if (m_impl->collator)
        ucol_close(m_impl->collator);
}

std::string NameCollator::userLocaleName()
{
    for (const char* var : {"LC_ALL", "LC_COLLATE", "LANG"}) {
        const char* value = std::getenv(var);
        if (value && *value)
            return value;
    }
    return {};
}

const NameCollator& NameCollator::user(bool natural)
{
    if (natural) {
        static const NameCollator naturalCollator(userLocaleName(), true);
        return naturalCollator;
    }
    static const NameCollator collator(userLocaleName());
    return collator;
}

int NameCollator::compare(std::string_view a, std::string_view b) const
{
    if (!m_impl->collator)
        return a.compare(b);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r = ucol_strcollUTF8(m_impl->collator, a.data(),
        static_cast<std::int32_t>(a.size()), b.data(), static_cast<std::int32_t>(b.size()), &status);
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

std::size_t NameCollator::appendSortKey(std::string_view name, std::string& out) const
{
    if (!m_impl->collator) {
        out.append(name);
        return name.size();
    }
    // UTF-8 to UTF-16, a byte outside any sequence becoming U+FFFD. The buffer is the
    // thread's own, so a plan made on another thread can sort with the same collator.
    static thread_local std::u16string u;
    u.resize(name.size() + 1);
    std::int32_t len16 = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(u.data(), static_cast<std::int32_t>(u.size()), &len16, name.data(),
        static_cast<std::int32_t>(name.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status))
        len16 = 0;
    const std::size_t start = out.size();
    std::size_t room = name.size() * 4 + 16;
    for (;;) {
        out.resize(start + room);
        const std::int32_t need = ucol_getSortKey(m_impl->collator, u.data(), len16,
            reinterpret_cast<std::uint8_t*>(out.data() + start), static_cast<std::int32_t>(room));
        if (need <= 0) {
            out.resize(start);
            return 0;
        }
        if (static_cast<std::size_t>(need) <= room) {
            // Leave the closing zero byte out; keys never hold another zero byte.
            out.resize(start + static_cast<std::size_t>(need) - 1);
            return static_cast<std::size_t>(need) - 1;
        }
        room = static_cast<std::size_t>(need);
    }
}

int compareByNameAsc(const FileEntry& a, const FileEntry& b, const NameCollator& collator)
{
    return collator.compare(a.name, b.name);
}

int compareByNameDesc(const FileEntry& a, const FileEntry& b, const NameCollator& collator)
{
    return -compareByNameAsc(a, b, collator);
}

int compareByDateAsc(const FileEntry& a, const FileEntry& b)
{
    return a.date < b.date ? -1 : a.date > b.date ? 1 : 0;
}

int compareByDateDesc(const FileEntry& a, const FileEntry& b)
{
    return -compareByDateAsc(a, b);
}

void sortEntries(FileEntryList& list, SortOrder order, const NameCollator& collator)
{
    if (list.size() < 2)
        return;
    switch (order) {
    case SortOrder::DateAsc:
        std::sort(
            list.begin(), list.end(), [](const FileEntry& a, const FileEntry& b) { return a.date < b.date; });
        return;
    case SortOrder::DateDesc:
        std::sort(
            list.begin(), list.end(), [](const FileEntry& a, const FileEntry& b) { return a.date > b.date; });
        return;
    case SortOrder::NameAsc:
    case SortOrder::NameDesc:
        break;
    }
    // By name: one sort key per entry, made once, then a sort of indices on the keys. Each index
    // carries the first 16 bytes of its key, which decide most comparisons without a look at
    // the keys themselves (in a large folder, each such look is a cache miss). Keys hold no
    // zero byte, so zero padding keeps a shorter key first.
    std::string keys;
    keys.reserve(list.size() * 24);
    std::vector<std::uint32_t> start(list.size() + 1);
    for (std::size_t i = 0; i < list.size(); ++i) {
        start[i] = static_cast<std::uint32_t>(keys.size());
        collator.appendSortKey(list[i].name, keys);
    }
    start[list.size()] = static_cast<std::uint32_t>(keys.size());
    struct Keyed {
        std::uint64_t high;
        std::uint64_t low;
        std::uint32_t index;
    };
    const auto word = [&](std::uint32_t i, std::size_t at) {
        std::uint64_t w = 0;
        for (std::size_t k = 0; k < 8; ++k) {
            const std::size_t pos = start[i] + at + k;
            w = (w << 8) | (pos < start[i + 1] ? static_cast<unsigned char>(keys[pos]) : 0u);
        }
        return w;
    };
    std::vector<Keyed> keyed(list.size());
    for (std::uint32_t i = 0; i < list.size(); ++i)
        keyed[i] = {word(i, 0), word(i, 8), i};
    const auto rest = [&](std::uint32_t i) {
        const std::size_t len = start[i + 1] - start[i];
        return len > 16 ? std::string_view(keys).substr(start[i] + 16, len - 16) : std::string_view();
    };
    const auto less = [&](const Keyed& a, const Keyed& b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        return rest(a.index) < rest(b.index);
    };
    if (order == SortOrder::NameAsc)
        std::sort(keyed.begin(), keyed.end(), less);
    else
        std::sort(keyed.begin(), keyed.end(), [&](const Keyed& a, const Keyed& b) { return less(b, a); });
    std::vector<std::uint32_t> perm(list.size());
    for (std::size_t i = 0; i < keyed.size(); ++i)
        perm[i] = keyed[i].index;
    std::vector<Keyed>().swap(keyed);
    // Put the entries in place along the cycles of the permutation: position i receives the
    // entry from perm[i]. No second list is made.
    for (std::size_t i = 0; i < perm.size(); ++i) {
        if (perm[i] == i)
            continue;
        FileEntry held = std::move(list[i]);
        std::size_t at = i;
        while (perm[at] != i) {
            const std::size_t from = perm[at];
            list[at] = std::move(list[from]);
            perm[at] = static_cast<std::uint32_t>(at);
            at = from;
        }
        list[at] = std::move(held);
        perm[at] = static_cast<std::uint32_t>(at);
    }
}

// ---- masks ----

FileMask::FileMask(std::string_view mask)
    : m_text(mask)
    , m_all(mask == "*.*" || mask == "*")
{
    for (std::size_t i = 0; i < mask.size();) {
        std::size_t len = 1;
        if (mask[i] == '*')
            m_pattern.push_back(kAnyRun);
        else if (mask[i] == '?')
            m_pattern.push_back(kAnyOne);
        else
            m_pattern.push_back(foldedCharAt(mask, i, len));
        i += len;
    }
}

bool FileMask::matches(std::string_view name) const
{
    if (m_all)
        return true;
    // Wildcard match with one backtracking point: on a mismatch the last '*' takes one more
    // character. Linear in the name for each '*', without recursion.
    const std::size_t plen = m_pattern.size();
    std::size_t p = 0;
    std::size_t s = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starS = 0;
    while (s < name.size()) {
        std::size_t len;
        const char32_t c = foldedCharAt(name, s, len);
        if (p < plen && (m_pattern[p] == kAnyOne || m_pattern[p] == c)) {
            ++p;
            s += len;
        } else if (p < plen && m_pattern[p] == kAnyRun) {
            starP = p++;
            starS = s;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            std::size_t skip;
            foldedCharAt(name, starS, skip);
            starS += skip;
            s = starS;
        } else {
            return false;
        }
    }
    while (p < plen && m_pattern[p] == kAnyRun)
        ++p;
    return p == plen;
}

// ---- listing ----

namespace
{
constexpr std::size_t kDirBufferSize = 256 * 1024;

struct RawEntry {
    const char* name;
    std::size_t length;
    unsigned char type;
};
} // namespace

FolderLister::FolderLister()
    : m_buffer(new char[kDirBufferSize])
{
}

FolderLister::~FolderLister() = default;

template <typename Pick> void FolderLister::list(int dirFd, ListingNeeds needs, Pick pick)
{
    if (::lseek(dirFd, 0, SEEK_SET) < 0)
        return;
    for (;;) {
        const ssize_t got = ::getdents64(dirFd, m_buffer.get(), kDirBufferSize);
        if (got <= 0)
            return;
        for (ssize_t at = 0; at < got;) {
            const auto* e = reinterpret_cast<const struct dirent64*>(m_buffer.get() + at);
            at += e->d_reclen;
            const std::string_view name(e->d_name);
            bool isDir = e->d_type == DT_DIR;
            bool haveStat = false;
            struct stat st;
            if (e->d_type == DT_UNKNOWN) {
                // The file system does not say: ask, without following a link.
                if (::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                    continue;
                haveStat = true;
                isDir = S_ISDIR(st.st_mode);
            }
            FileEntryList* out = pick(name, isDir);
            if (!out)
                continue;
            double date = 0.0;
            if (needs.dates) {
                if (haveStat || ::fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                    date = fileTimeToDate(st.st_mtim.tv_sec);
            }
            out->emplace_back(std::string(name), date);
        }
    }
}

namespace
{
inline bool keepFolder(std::string_view name, bool isDir)
{
    return isDir && name != "." && name != "..";
}

inline bool keepFile(std::string_view name, bool isDir, const FileMask& mask)
{
    return !isDir && !name.starts_with('.') && name != kUndoFileName && mask.matches(name);
}
} // namespace

FileEntryList FolderLister::listSubfolders(int dirFd, ListingNeeds needs)
{
    FileEntryList out;
    list(dirFd, needs,
        [&](std::string_view name, bool isDir) { return keepFolder(name, isDir) ? &out : nullptr; });
    return out;
}

FileEntryList FolderLister::listFiles(int dirFd, const FileMask& mask, ListingNeeds needs)
{
    FileEntryList out;
    list(dirFd, needs,
        [&](std::string_view name, bool isDir) { return keepFile(name, isDir, mask) ? &out : nullptr; });
    return out;
}

void FolderLister::listFolder(int dirFd, const FileMask& mask, ListingNeeds needs, FileEntryList& folders,
    FileEntryList& files, NameList* others)
{
    folders.clear();
    files.clear();
    if (others)
        others->clear();
    list(dirFd, needs, [&](std::string_view name, bool isDir) -> FileEntryList* {
        if (keepFolder(name, isDir))
            return &folders;
        if (keepFile(name, isDir, mask))
            return &files;
        if (others && name != "." && name != "..")
            others->push_back(name);
        return nullptr;
    });
}

void NameList::clear()
{
    m_bytes.clear();
    m_ends.clear();
}

void NameList::push_back(std::string_view name)
{
    m_bytes.append(name);
    m_ends.push_back(static_cast<std::uint32_t>(m_bytes.size()));
}

std::string_view NameList::operator[](std::size_t i) const
{
    const std::uint32_t start = i == 0 ? 0 : m_ends[i - 1];
    return std::string_view(m_bytes).substr(start, m_ends[i] - start);
}

FileEntryList listSubfolders(int dirFd, ListingNeeds needs)
{
    return FolderLister().listSubfolders(dirFd, needs);
}

FileEntryList listFiles(int dirFd, const FileMask& mask, ListingNeeds needs)
{
    return FolderLister().listFiles(dirFd, mask, needs);
}

} // namespace brindle
