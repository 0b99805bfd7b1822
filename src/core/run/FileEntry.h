#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brindle
{

/// One entry found in a folder: its name, the name it has on disk after the run's rename step
/// (subfolders only; empty until then) and its modification time.
class FileEntry
{
public:
    FileEntry() = default;
    FileEntry(std::string name, double date)
        : name(std::move(name))
        , date(date)
    {
    }

    std::string name;
    std::string newName;
    /// Days since 1899-12-30 in local time, the fraction being the time of day, to two seconds.
    double date = 0.0;
    /// The caller's number for the entry, to find it again after a plan has sorted it (the
    /// file list's entry number). The listing leaves it 0; the plan and the run never read it.
    std::uint32_t tag = 0;

    /// "dd/mm/yyyy hh:nn " followed by the name.
    std::string displayText() const;
};

/// An entry list; the run keeps one per folder for subfolders and one for files.
using FileEntryList = std::vector<FileEntry>;

/// Names packed into one buffer, for the many entries of a folder that are only looked at
/// (hidden files, files outside the mask): each costs its bytes and one offset.
class NameList
{
public:
    void clear();
    void push_back(std::string_view name);
    std::size_t size() const { return m_ends.size(); }
    bool empty() const { return m_ends.empty(); }
    std::string_view operator[](std::size_t i) const;

private:
    std::string m_bytes;
    std::vector<std::uint32_t> m_ends;
};

/// A modification time as the entries carry it: local time, seconds cut to an even number,
/// as days since 1899-12-30.
double fileTimeToDate(std::time_t t);

/// A date as "dd/mm/yyyy hh:nn", or with seconds "dd/mm/yyyy hh:nn:ss".
std::string formatDate(double date, bool withSeconds = false);

/// The orders a listing can be sorted in.
enum class SortOrder : std::uint8_t { NameAsc, NameDesc, DateAsc, DateDesc };

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
    /// with Compare); returns the key's length.
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

/// A file mask: '*' stands for any run of characters, '?' for one character, letters match
/// whatever their case (simple case folding), and "*.*" matches every name.
class FileMask
{
public:
    explicit FileMask(std::string_view mask = "*.*");
    bool matches(std::string_view name) const;
    const std::string& text() const { return m_text; }

private:
    std::string m_text;
    bool m_all = false;
    std::vector<char32_t> m_pattern; // folded characters; kAnyRun and kAnyOne for the wildcards
};

/// What a listing reads besides the names.
struct ListingNeeds {
    /// Fill Date (one stat per entry); without it Date stays 0.
    bool dates = false;
};

/// Reads folder entries through a directory descriptor, with one buffer reused from folder to
/// folder. Symbolic links are never followed: a link is a file, whatever it points at.
class FolderLister
{
public:
    FolderLister();
    ~FolderLister();
    FolderLister(const FolderLister&) = delete;
    FolderLister& operator=(const FolderLister&) = delete;

    /// The subfolders of the folder open as dirFd, hidden ones included, "." and ".." left out,
    /// in the order the directory gives them. A folder that cannot be read yields an empty list.
    FileEntryList listSubfolders(int dirFd, ListingNeeds needs = {});

    /// The files of the folder that match the mask, leaving out hidden files (a name that
    /// starts with a full stop) and the undo file, in the order the directory gives them.
    FileEntryList listFiles(int dirFd, const FileMask& mask, ListingNeeds needs = {});

    /// Both listings from one read of the folder: listSubfolders into folders and listFiles
    /// into files; others (when not null) receives every other name of the folder (hidden
    /// files, files outside the mask, the undo file), which hold their names during a run.
    /// The run uses this, since reading a large folder is much of its work.
    void listFolder(int dirFd, const FileMask& mask, ListingNeeds needs, FileEntryList& folders,
        FileEntryList& files, NameList* others = nullptr);

private:
    template <typename Pick> void list(int dirFd, ListingNeeds needs, Pick pick);
    std::unique_ptr<char[]> m_buffer;
};

/// The two listings of the design, for a folder open as dirFd.
FileEntryList listSubfolders(int dirFd, ListingNeeds needs = {});
FileEntryList listFiles(int dirFd, const FileMask& mask, ListingNeeds needs = {});

} // namespace brindle
