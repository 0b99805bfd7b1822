#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace brindle::test
{

/// A fresh temporary folder that builds files and folders on request and removes everything
/// it holds when it goes, read-only folders included. Paths given to it are relative to it.
class TempTree
{
public:
    /// In base when given, else in $TMPDIR or /tmp.
    explicit TempTree(const std::string& base = {});
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    /// The folder's absolute path, without a trailing "/".
    const std::string& path() const { return m_root; }
    /// path() + "/" + rel.
    std::string at(const std::string& rel) const;

    /// Creates a file (and the folders above it) holding content; with mtime, dated so.
    void file(const std::string& rel, const std::string& content = {}, std::optional<std::time_t> mtime = {});
    /// Creates a folder and the folders above it; with mtime, dated so.
    void dir(const std::string& rel, std::optional<std::time_t> mtime = {});
    /// Creates a symbolic link rel pointing at target.
    void symlink(const std::string& target, const std::string& rel);

    bool exists(const std::string& rel) const;
    std::string read(const std::string& rel) const;
    /// The names in a folder (not "." and ".."), sorted bytewise.
    std::vector<std::string> list(const std::string& rel = {}) const;

private:
    std::string m_root;
};

/// A folder on a memory file system (/dev/shm) when there is a writable one, else "" (the
/// default place): for tests that sync many small files and do not test the disk.
std::string memoryTempBase();

/// A local time as a time_t.
std::time_t localTime(int year, int month, int day, int hour, int minute, int second = 0);

} // namespace brindle::test
