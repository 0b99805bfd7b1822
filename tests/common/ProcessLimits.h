#pragma once

// Limits put on the test process for as long as an object lives: the file size, so that a
// write fails as on a full disk, and the file-system identity, so that permissions count.

#include <sys/fsuid.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

namespace brindle::test
{

/// The file size limit, lowered for as long as it lives, with the signal that would end the
/// process ignored, so that a write past it fails with EFBIG as a full disk would.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit low = m_saved;
        low.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &low);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit m_saved {
    };
    void (*m_handler)(int) = nullptr;
};

/// The file-system identity of this thread is an ordinary user's while it lives (as root:
/// nobody's), so that permissions count.
class AsUnprivileged
{
public:
    static constexpr uid_t kNobody = 65534;
    AsUnprivileged()
    {
        if (m_root) {
            ::setfsgid(kNobody);
            ::setfsuid(kNobody);
        }
    }
    ~AsUnprivileged()
    {
        if (m_root) {
            ::setfsuid(0);
            ::setfsgid(0);
        }
    }
    AsUnprivileged(const AsUnprivileged&) = delete;
    AsUnprivileged& operator=(const AsUnprivileged&) = delete;
    /// Whether permissions are checked now.
    static bool checked() { return static_cast<uid_t>(::setfsuid(static_cast<uid_t>(-1))) != 0; }

private:
    bool m_root = ::geteuid() == 0;
};

} // namespace brindle::test
