#pragma once

#include <string>
#include <string_view>

namespace brindle
{

/// The longest name, in bytes, that Linux file systems take.
inline constexpr std::size_t kMaxNameBytes = 255;

/// Whether name can be the new name of an entry of a folder: not empty, not "." or "..",
/// no '/' and no NUL byte, at most kMaxNameBytes bytes. Anything else would leave the folder
/// or fail.
bool IsUsableName(std::string_view name);

/// An owned file descriptor, closed when it goes.
class TFd
{
public:
    TFd() = default;
    explicit TFd(int fd)
        : m_fd(fd)
    {
    }
    ~TFd();
    TFd(TFd&& other) noexcept
        : m_fd(other.release())
    {
    }
    TFd& operator=(TFd&& other) noexcept;
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    /// Closes now; returns 0 or the errno of close.
    int close();

private:
    int m_fd = -1;
};

/// Opens a folder to work in it, as the walk "makes a folder current": parentFd and path as
/// for openat. With followLink false a symbolic link is refused. The folder must be readable
/// and searchable. Returns the descriptor, or an invalid one with errno set.
TFd OpenFolder(int parentFd, const std::string& path, bool followLink);

/// Renames from to to inside the folder open as dirFd, never replacing an existing entry.
/// When to exists and is the entry itself under another letter case (a file system that
/// ignores case), the entry is renamed. Returns 0 or an errno value (EEXIST when to is taken).
int RenameNoReplace(int dirFd, const std::string& from, const std::string& to, bool isFolder);

/// Whether to names an entry of the folder dirFd other than from itself (RenameNoReplace would
/// fail with EEXIST). Returns 0 when to is free or is from under another letter case, EEXIST
/// when it is taken, or the errno of a lookup that failed.
int TargetTaken(int dirFd, const std::string& from, const std::string& to);

/// The steps RenameNoReplace takes where the file system cannot rename without replacing:
/// a file is linked under the new name (which fails when it is taken) and unlinked under the
/// old one; a folder, or a file that cannot be linked, is renamed after a check that the new
/// name is free. Returns 0 or an errno value.
int RenameNoReplaceFallback(int dirFd, const std::string& from, const std::string& to, bool isFolder);

/// The system's text for an errno value.
std::string ErrorText(int errorNumber);

} // namespace brindle
