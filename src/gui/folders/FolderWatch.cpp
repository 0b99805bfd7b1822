#include "gui/folders/FolderWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <cerrno>

namespace brindle
{

namespace
{
constexpr std::uint32_t kEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_ATTRIB
    | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
}

FolderWatch::FolderWatch(QObject* parent)
    : QObject(parent)
{
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &FolderWatch::readEvents);
    }
}

FolderWatch::~FolderWatch()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FolderWatch::watch(const std::string& path)
{
    clear();
    if (m_fd < 0)
        return false;
    m_wd = ::inotify_add_watch(m_fd, path.c_str(), kEvents);
    return m_wd >= 0;
}

void FolderWatch::clear()
{
    if (m_wd >= 0)
        ::inotify_rm_watch(m_fd, m_wd);
    m_wd = -1;
}

void FolderWatch::readEvents()
{
    alignas(struct inotify_event) char buffer[16 * 1024];
    bool seen = false;
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got <= 0)
            break;
        for (ssize_t at = 0; at < got;) {
            const auto* e = reinterpret_cast<const struct inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(struct inotify_event) + e->len);
            // Events of a watch given up before (another folder shown since) are old news.
            if (e->wd != m_wd)
                continue;
            seen = true;
            if (e->mask & IN_IGNORED)
                m_wd = -1;
        }
    }
    if (seen)
        emit changed();
}

} // namespace brindle
