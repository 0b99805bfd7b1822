#include "common/ScratchMount.h"

#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace brindle::test
{

namespace
{

/// Moves the process into a private mount namespace once. Returns 0 or an errno.
int privateNamespace()
{
    static const int result = [] {
        if (::unshare(CLONE_NEWNS) != 0)
            return errno;
        // Nothing mounted from here on propagates back to the namespace the process came from.
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return errno;
        return 0;
    }();
    return result;
}

std::string reason(const char* what, int e)
{
    return std::string(what) + " is not permitted here (" + std::strerror(e)
        + "); it needs root with CAP_SYS_ADMIN, as in CI";
}

} // namespace

ScratchMount::~ScratchMount()
{
    ::umount2(m_folder.c_str(), MNT_DETACH);
}

std::unique_ptr<ScratchMount> ScratchMount::tmpfs(
    const std::string& folder, const std::string& options, std::string& why)
{
    if (const int e = privateNamespace(); e != 0) {
        why = reason("a private mount namespace", e);
        return nullptr;
    }
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) != 0) {
        why = reason("mounting a tmpfs", errno);
        return nullptr;
    }
    return std::unique_ptr<ScratchMount>(new ScratchMount(folder));
}

std::unique_ptr<ScratchMount> ScratchMount::bind(const std::string& folder, std::string& why)
{
    if (const int e = privateNamespace(); e != 0) {
        why = reason("a private mount namespace", e);
        return nullptr;
    }
    if (::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0) {
        why = reason("a bind mount", errno);
        return nullptr;
    }
    return std::unique_ptr<ScratchMount>(new ScratchMount(folder));
}

int ScratchMount::makeReadOnly()
{
    return ::mount(nullptr, m_folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0
        ? 0
        : errno;
}

} // namespace brindle::test
