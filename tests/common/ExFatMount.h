#pragma once

#include <memory>
#include <string>

namespace brindle::test
{

/// A small exFAT file system mounted through FUSE (exfat-fuse) for one test: an image file
/// made with mkfs.exfat in a scratch folder, mounted from the file itself where exfat-fuse
/// takes it, else through a loop device (which goes again with the mount). Unmounted when it
/// goes.
class ExFatMount
{
public:
    ~ExFatMount();
    ExFatMount(const ExFatMount&) = delete;
    ExFatMount& operator=(const ExFatMount&) = delete;

    /// Makes and mounts the file system in scratch (an empty folder). Null, with the reason in
    /// why, when /dev/fuse, the exFAT tools or a way to mount are missing.
    static std::unique_ptr<ExFatMount> make(const std::string& scratch, std::string& why);

    /// The folder the file system is mounted on.
    const std::string& path() const { return m_mountPoint; }

private:
    explicit ExFatMount(std::string mountPoint)
        : m_mountPoint(std::move(mountPoint))
    {
    }
    std::string m_mountPoint;
};

} // namespace brindle::test
