#include "core/run/TakenOrder.h"

#include <algorithm>
#include <vector>

#include "core/meta/FileFacts.h"

namespace brindle
{

namespace
{

/// The sort key of an entry: seconds of the wall clock, then the fraction's nanoseconds.
std::pair<std::int64_t, std::int64_t> takenKey(const FileEntry& e)
{
    const FileFacts* f = e.facts.get();
    const TimeValue* t = f ? (f->taken ? &*f->taken : f->modified ? &*f->modified : nullptr) : nullptr;
    if (!t)
        return {0, 0};
    std::int64_t nanos = 0;
    for (std::size_t i = 0; i < 9; ++i)
        nanos = nanos * 10 + (i < t->time.fraction.size() ? t->time.fraction[i] - '0' : 0);
    return {t->time.sortKey(), nanos};
}

} // namespace

void sortByDateTaken(FileEntryList& list, bool descending)
{
    struct Keyed {
        std::pair<std::int64_t, std::int64_t> key;
        FileEntry* entry;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(list.size());
    for (FileEntry& e : list)
        keyed.push_back({takenKey(e), &e});
    std::sort(keyed.begin(), keyed.end(), [descending](const Keyed& a, const Keyed& b) {
        if (a.key != b.key)
            return descending ? a.key > b.key : a.key < b.key;
        return a.entry->name < b.entry->name;
    });
    FileEntryList sorted;
    sorted.reserve(list.size());
    for (const Keyed& k : keyed)
        sorted.push_back(std::move(*k.entry));
    list.swap(sorted);
}

} // namespace brindle
