#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace brindle
{

struct FileFacts;

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
    /// What was read of the file for a template job or the sort by date taken; null until a
    /// plan needs it.
    std::shared_ptr<const FileFacts> facts;

    /// "dd/mm/yyyy hh:nn " followed by the name.
    std::string displayText() const;
};

/// Hidden means the name begins with a full stop.
inline bool isHiddenName(std::string_view name)
{
    return name.starts_with('.');
}

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

} // namespace brindle
