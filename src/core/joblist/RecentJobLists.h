#pragma once

#include <string>
#include <vector>

#include "core/base/Result.h"

namespace brindle
{

/// The job list files used last, most recent first, kept as one path a line.
class RecentJobLists
{
public:
    static constexpr std::size_t kMaxEntries = 8;

    /// file: where the list is kept.
    explicit RecentJobLists(std::string file);

    /// Reads the kept list; a missing or unreadable file is an empty list.
    void load();
    const std::vector<std::string>& paths() const { return m_paths; }
    /// Puts path first (moving it there when listed), keeps kMaxEntries, and writes the list.
    /// A path with a line feed is not kept. Fails when the list cannot be written.
    Result<void> add(const std::string& path);
    /// Takes path out of the list and writes it.
    Result<void> remove(const std::string& path);

private:
    Result<void> write() const;

    std::string m_file;
    std::vector<std::string> m_paths;
};

} // namespace brindle
