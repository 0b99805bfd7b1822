#include "core/run/NameCollator.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "core/base/LazyIcu.h"
#include "core/run/TakenOrder.h"

namespace brindle
{

namespace
{

std::string icuLocaleOf(std::string_view posix)
{
    const std::size_t cut = posix.find_first_of(".@");
    std::string_view base = posix.substr(0, cut);
    if (base == "C" || base == "POSIX")
        return {};
    return std::string(base);
}

} // namespace

struct NameCollator::Impl {
    std::string icuName;
    bool natural = false;
    // Opened at the first comparison, so that a run that sorts nothing never loads ICU; then
    // only read: ICU's read-only calls may share it between threads.
    std::once_flag opening;
    UCollator* collator = nullptr;

    UCollator* opened();
};

UCollator* NameCollator::Impl::opened()
{
    std::call_once(opening, [this] {
        UErrorCode status = U_ZERO_ERROR;
        collator = lazy::ucol_open(icuName.c_str(), &status);
        if (U_FAILURE(status) || !collator) {
            status = U_ZERO_ERROR;
            collator = lazy::ucol_open("", &status);
        }
        if (collator) {
            // Secondary strength: letters and accents count, letter case does not.
            lazy::ucol_setStrength(collator, UCOL_SECONDARY);
            status = U_ZERO_ERROR;
            lazy::ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, natural ? UCOL_ON : UCOL_OFF, &status);
        }
    });
    return collator;
}

NameCollator::NameCollator(std::string_view localeName, bool natural)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->icuName = icuLocaleOf(localeName);
    m_impl->natural = natural;
}

NameCollator::~NameCollator()
{
    if (m_impl->collator)
        lazy::ucol_close(m_impl->collator);
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
    const UCollator* collator = m_impl->opened();
    if (!collator)
        return a.compare(b);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult r = lazy::ucol_strcollUTF8(collator, a.data(), static_cast<std::int32_t>(a.size()),
        b.data(), static_cast<std::int32_t>(b.size()), &status);
    return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

std::size_t NameCollator::appendSortKey(std::string_view name, std::string& out) const
{
    const UCollator* collator = m_impl->opened();
    if (!collator) {
        out.append(name);
        return name.size();
    }
    // UTF-8 to UTF-16, a byte outside any sequence becoming U+FFFD. The buffer is the
    // thread's own, so a plan made on another thread can sort with the same collator.
    static thread_local std::u16string u;
    u.resize(name.size() + 1);
    std::int32_t len16 = 0;
    UErrorCode status = U_ZERO_ERROR;
    lazy::u_strFromUTF8WithSub(u.data(), static_cast<std::int32_t>(u.size()), &len16, name.data(),
        static_cast<std::int32_t>(name.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status))
        len16 = 0;
    const std::size_t start = out.size();
    std::size_t room = name.size() * 4 + 16;
    for (;;) {
        out.resize(start + room);
        const std::int32_t need = lazy::ucol_getSortKey(collator, u.data(), len16,
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
    case SortOrder::TakenAsc:
    case SortOrder::TakenDesc:
        sortByDateTaken(list, order == SortOrder::TakenDesc);
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

} // namespace brindle
