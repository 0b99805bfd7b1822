#include "common/ExFatMount.h"

#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace brindle::test
{

namespace
{

bool runQuietly(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

/// The words of a command's first line of output, or "" when it fails.
std::string firstLine(const std::string& command)
{
    FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return {};
    char buffer[256] = {};
    const bool read = std::fgets(buffer, sizeof buffer, pipe) != nullptr;
    const int status = ::pclose(pipe);
    std::string line = read && status == 0 ? buffer : "";
    while (!line.empty() && (line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    return line;
}

} // namespace

ExFatMount::~ExFatMount()
{
    if (::umount2(m_mountPoint.c_str(), 0) != 0 && !runQuietly("fusermount -u '" + m_mountPoint + "'"))
        ::umount2(m_mountPoint.c_str(), MNT_DETACH);
}

std::unique_ptr<ExFatMount> ExFatMount::make(const std::string& scratch, std::string& why)
{
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        why = "/dev/fuse is missing or not usable: FUSE file systems cannot be mounted here";
        return nullptr;
    }
    if (!runQuietly("command -v mkfs.exfat") || !runQuietly("command -v mount.exfat-fuse")) {
        why = "mkfs.exfat or mount.exfat-fuse is missing (the exfatprogs and exfat-fuse packages)";
        return nullptr;
    }
    const std::string image = scratch + "/exfat.img";
    const std::string mountPoint = scratch + "/mnt";
    {
        const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 || ::ftruncate(fd, 32 << 20) != 0) {
            why = "cannot make the image file";
            if (fd >= 0)
                ::close(fd);
            return nullptr;
        }
        ::close(fd);
    }
    if (!runQuietly("mkfs.exfat '" + image + "'") || ::mkdir(mountPoint.c_str(), 0755) != 0) {
        why = "mkfs.exfat failed";
        return nullptr;
    }
    // 1. From the file itself: exfat-fuse takes it where it does not insist on a block device
    //    (not as root).
    if (runQuietly("mount.exfat-fuse '" + image + "' '" + mountPoint + "'"))
        return std::unique_ptr<ExFatMount>(new ExFatMount(mountPoint));
    // 2. Through a loop device, let go at once: the kernel frees it when the mount goes.
    const std::string loop = firstLine("losetup -f --show '" + image + "'");
    if (loop.empty()) {
        why = "exfat-fuse needs a block device here and no loop device can be set up";
        return nullptr;
    }
    const bool mounted = runQuietly("mount.exfat-fuse '" + loop + "' '" + mountPoint + "'");
    runQuietly("losetup -d '" + loop + "'");
    if (!mounted) {
        why = "mount.exfat-fuse failed on " + loop;
        return nullptr;
    }
    return std::unique_ptr<ExFatMount>(new ExFatMount(mountPoint));
}

} // namespace brindle::test
