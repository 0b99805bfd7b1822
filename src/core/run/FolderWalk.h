#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/base/Fd.h"
#include "core/base/SysError.h"
#include "core/run/FileEntry.h"

namespace brindle
{

/// How many folders of the path from a walk's starting folder down a FolderWalk holds open at
/// most; those above are opened again through ".." when the walk comes back to them.
inline constexpr std::size_t kHeldFolders = 16;

/// One folder on the path of a FolderWalk.
struct WalkFrame {
    /// The folder, while it is held open; only the deepest kHeldFolders frames hold one.
    Fd fd;
    /// The folder's identity, to check that ".." leads back to it.
    dev_t dev = 0;
    ino_t ino = 0;
    /// The folder as the walk entered it: the starting folder's path, then a bare name.
    std::string name;
    /// The subfolders to walk, and the next one to enter.
    FileEntryList subfolders;
    std::size_t next = 0;
};

/// Opens again the folder of parent, whose descriptor the walk let go, through ".." of child
/// (held open); ESTALE when ".." is not the folder it was (a folder was moved meanwhile).
SysError reopenParent(const WalkFrame& child, WalkFrame& parent);

/// The frame of the folder open as fd, with its identity.
WalkFrame makeWalkFrame(Fd fd, std::string name, FileEntryList subfolders);

/// The path of a walk through a folder tree, from its starting folder down to the folder at
/// hand, kept as a stack instead of on the call stack, so a tree of any depth needs no more
/// call stack than a flat one, and holding at most kHeldFolders descriptors. The run walks with
/// it (each folder before its subfolders) and undo (each folder after them). Data is what the
/// walker keeps besides for each folder.
template <typename Data> class FolderWalk
{
public:
    struct Frame : WalkFrame {
        Data data {};
    };

    bool empty() const { return m_frames.empty(); }
    /// How many folders the path holds; the starting folder is at depth 0.
    std::size_t size() const { return m_frames.size(); }
    Frame& top() { return m_frames.back(); }
    void clear() { m_frames.clear(); }

    /// Puts the folder open as fd on the path below the top one, with the subfolders to walk
    /// from it; lets go of the descriptor of the folder kHeldFolders above it.
    void push(Fd fd, std::string name, FileEntryList subfolders, Data data = {})
    {
        Frame frame;
        static_cast<WalkFrame&>(frame) = makeWalkFrame(std::move(fd), std::move(name), std::move(subfolders));
        frame.data = std::move(data);
        m_frames.push_back(std::move(frame));
        if (m_frames.size() > kHeldFolders)
            m_frames[m_frames.size() - 1 - kHeldFolders].fd.close();
    }

    /// Takes the top folder off the path. When the folder above it was let go, it is opened
    /// again (reopenParent); the error of that says the walk cannot go on safely from the
    /// folder now on top, which has no descriptor.
    SysError pop()
    {
        Frame child = std::move(m_frames.back());
        m_frames.pop_back();
        if (m_frames.empty() || m_frames.back().fd.valid())
            return {};
        return reopenParent(child, m_frames.back());
    }

    /// The path of the top folder, the frames' names joined by "/" (with child appended when
    /// it is not empty).
    std::string path(std::string_view child = {}) const
    {
        std::string out;
        for (const Frame& f : m_frames)
            appendName(out, f.name);
        appendName(out, child);
        return out;
    }

    /// The same path relative to the starting folder ("" for the starting folder itself).
    std::string relativePath() const
    {
        std::string out;
        for (std::size_t i = 1; i < m_frames.size(); ++i)
            out.append(out.empty() ? "" : "/").append(m_frames[i].name);
        return out;
    }

private:
    static void appendName(std::string& path, std::string_view name)
    {
        if (name.empty())
            return;
        if (!path.empty() && !path.ends_with('/'))
            path += '/';
        path += name;
    }

    std::vector<Frame> m_frames;
};

} // namespace brindle
