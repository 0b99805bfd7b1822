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
class TBWFile
{
public:
    TBWFile() = default;
    TBWFile(std::string name, double date)
        : Name(std::move(name))
        , Date(date)
    {
    }

    std::string Name;
    std::string NewName;
    /// Days since 1899-12-30 in local time, the fraction being the time of day, to two seconds.
    double Date = 0.0;

    /// "dd/mm/yyyy hh:nn " followed by the name.
    std::string DisplayText() const;
};

/// An entry list; the run keeps one per folder for subfolders and one for files.
using TBWFileList = std::vector<TBWFile>;

/// Names packed into one buffer, for the many entries of a folder that are only looked at
/// (hidden files, files outside the mask): each costs its bytes and one offset.
class TNameList
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
double FileTimeToDate(std::time_t t);

/// A date as "dd/mm/yyyy hh:nn", or with seconds "dd/mm/yyyy hh:nn:ss".
std::string FormatDate(double date, bool withSeconds = false);

/// The orders a listing can be sorted in.
enum class TSortOrder : std::uint8_t { NameAsc, NameDesc, DateAsc, DateDesc };

/// Compares names the way the user's language sorts them, letter case ignored and digits
/// compared one by one ("a10" before "a9"), or in natural order runs of digits compared by
/// their value ("a9" before "a10"). Backed by an ICU collator.
class TNameCollator
{
public:
    /// The collator of a locale name such as "de_DE.UTF-8" or "sv"; "C", "POSIX" and "" give
    /// the root order. natural turns on ICU's numeric collation, nothing else changes.
    explicit TNameCollator(std::string_view localeName, bool natural = false);
    ~TNameCollator();
    TNameCollator(const TNameCollator&) = delete;
    TNameCollator& operator=(const TNameCollator&) = delete;

    /// The collation locale of the user: the first of LC_ALL, LC_COLLATE and LANG that is set
    /// and not empty.
    static std::string UserLocaleName();
    /// One collator for UserLocaleName(), made on first use; another for the natural order.
    static const TNameCollator& User(bool natural = false);

    /// Negative, zero or positive as a sorts before, with or after b.
    int Compare(std::string_view a, std::string_view b) const;

    /// Appends the sort key of name to out (keys compare with memcmp as the names compare
    /// with Compare); returns the key's length.
    std::size_t AppendSortKey(std::string_view name, std::string& out) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

/// The four comparison functions: negative, zero or positive.
int CompareByNameAsc(
    const TBWFile& a, const TBWFile& b, const TNameCollator& collator = TNameCollator::User());
int CompareByNameDesc(
    const TBWFile& a, const TBWFile& b, const TNameCollator& collator = TNameCollator::User());
int CompareByDateAsc(const TBWFile& a, const TBWFile& b);
int CompareByDateDesc(const TBWFile& a, const TBWFile& b);

/// Sorts the list in place in the given order. Entries whose keys are equal keep no
/// particular order.
void SortEntries(TBWFileList& list, TSortOrder order, const TNameCollator& collator = TNameCollator::User());

/// A file mask: '*' stands for any run of characters, '?' for one character, letters match
/// whatever their case (simple case folding), and "*.*" matches every name.
class TFileMask
{
public:
    explicit TFileMask(std::string_view mask = "*.*");
    bool Matches(std::string_view name) const;
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
    bool m_all = false;
    std::vector<char32_t> m_pattern; // folded characters; kAnyRun and kAnyOne for the wildcards
};

/// What a listing reads besides the names.
struct TListingNeeds {
    /// Fill Date (one stat per entry); without it Date stays 0.
    bool dates = false;
};

/// Reads folder entries through a directory descriptor, with one buffer reused from folder to
/// folder. Symbolic links are never followed: a link is a file, whatever it points at.
class TFolderLister
{
public:
    TFolderLister();
    ~TFolderLister();
    TFolderLister(const TFolderLister&) = delete;
    TFolderLister& operator=(const TFolderLister&) = delete;

    /// The subfolders of the folder open as dirFd, hidden ones included, "." and ".." left out,
    /// in the order the directory gives them. A folder that cannot be read yields an empty list.
    TBWFileList ListSubfolders(int dirFd, TListingNeeds needs = {});

    /// The files of the folder that match the mask, leaving out hidden files (a name that
    /// starts with a full stop) and the undo file, in the order the directory gives them.
    TBWFileList ListFiles(int dirFd, const TFileMask& mask, TListingNeeds needs = {});

    /// Both listings from one read of the folder: ListSubfolders into folders and ListFiles
    /// into files; others (when not null) receives every other name of the folder (hidden
    /// files, files outside the mask, the undo file), which hold their names during a run.
    /// The run uses this, since reading a large folder is much of its work.
    void ListFolder(int dirFd, const TFileMask& mask, TListingNeeds needs, TBWFileList& folders,
        TBWFileList& files, TNameList* others = nullptr);

private:
    template <typename Pick> void list(int dirFd, TListingNeeds needs, Pick pick);
    std::unique_ptr<char[]> m_buffer;
};

/// The two listings of the design, for a folder open as dirFd.
TBWFileList ListSubfolders(int dirFd, TListingNeeds needs = {});
TBWFileList ListFiles(int dirFd, const TFileMask& mask, TListingNeeds needs = {});

} // namespace brindle
