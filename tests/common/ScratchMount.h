#pragma once

#include <memory>
#include <string>

namespace brindle::test
{

/// A file system mounted for one test: a small tmpfs, or a folder bound read-only onto
/// itself. The first mount moves the test process into a mount namespace of its own, so the
/// mounts are seen only by it and the programs it starts, and vanish with it. Unmounted when
/// it goes.
class ScratchMount
{
public:
    ~ScratchMount();
    ScratchMount(const ScratchMount&) = delete;
    ScratchMount& operator=(const ScratchMount&) = delete;

    /// Mounts a tmpfs on folder with the given options ("size=256k,nr_inodes=64"). Null, with
    /// the reason in why, when mounting is not permitted here.
    static std::unique_ptr<ScratchMount> tmpfs(
        const std::string& folder, const std::string& options, std::string& why);

    /// Binds folder onto itself, still writable. makeReadOnly turns it read-only later.
    static std::unique_ptr<ScratchMount> bind(const std::string& folder, std::string& why);

    /// Remounts a bound folder read-only; returns 0 or an errno.
    int makeReadOnly();

private:
    explicit ScratchMount(std::string folder)
        : m_folder(std::move(folder))
    {
    }
    std::string m_folder;
};

} // namespace brindle::test
