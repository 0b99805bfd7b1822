#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/run/FileEntry.h"

namespace brindle
{

/// The orders a listing can be sorted in.
enum class SortOrder : std::uint8_t {
    NameAsc,
    NameDesc,
    DateAsc,
    DateDesc,
    /// By the date a photo or video was taken, the modification time for a file without one
    /// (read from the entries' facts).
    TakenAsc,
    TakenDesc,
};

/// Compares names the way the user's language sorts them, letter case ignored and digits
/// compared one by one ("a10" before "a9"), or in natural order runs of digits compared by
/// their value ("a9" before "a10"). Backed by an ICU collator.
class NameCollator
{
public:
    /// The collator of a locale name such as "de_DE.UTF-8" or "sv"; "C", "POSIX" and "" give
    /// the root order. natural turns on ICU's numeric collation, nothing else changes.
    explicit NameCollator(std::string_view localeName, bool natural = false);
    ~NameCollator();
    NameCollator(const NameCollator&) = delete;
    NameCollator& operator=(const NameCollator&) = delete;

    /// The collation locale of the user: the first of LC_ALL, LC_COLLATE and LANG that is set
    /// and not empty.
    static std::string userLocaleName();
    /// One collator for userLocaleName(), made on first use; another for the natural order.
    static const NameCollator& user(bool natural = false);

    /// Negative, zero or positive as a sorts before, with or after b.
    int compare(std::string_view a, std::string_view b) const;

    /// Appends the sort key of name to out (keys compare with memcmp as the names compare
    /// with compare); returns the key's length.
    std::size_t appendSortKey(std::string_view name, std::string& out) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

/// The four comparison functions: negative, zero or positive.
int compareByNameAsc(
    const FileEntry& a, const FileEntry& b, const NameCollator& collator = NameCollator::user());
int compareByNameDesc(
    const FileEntry& a, const FileEntry& b, const NameCollator& collator = NameCollator::user());
int compareByDateAsc(const FileEntry& a, const FileEntry& b);
int compareByDateDesc(const FileEntry& a, const FileEntry& b);

/// Sorts the list in place in the given order. Entries whose keys are equal keep no
/// particular order.
void sortEntries(FileEntryList& list, SortOrder order, const NameCollator& collator = NameCollator::user());

} // namespace brindle
