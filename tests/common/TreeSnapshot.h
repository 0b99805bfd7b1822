#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace brindle::test
{

/// One entry of a folder tree as the file system holds it.
struct EntrySnapshot {
    char type = '?'; ///< 'f' plain file, 'd' folder, 'l' symbolic link, 'o' anything else
    std::string data; ///< a file's bytes, a link's target
    mode_t mode = 0; ///< permission bits
    ino_t inode = 0;

    /// Type, bytes and permissions; the inode is left out.
    bool sameAs(const EntrySnapshot& other) const
    {
        return type == other.type && data == other.data && mode == other.mode;
    }
};

/// A whole tree, by path relative to its root (names are bytes, folders joined by "/").
using TreeSnapshot = std::map<std::string, EntrySnapshot>;

/// Walks root without following symbolic links and records every entry below it. skipName
/// (when not empty) leaves out every entry of that name, wherever it is.
TreeSnapshot snapshotTree(const std::string& root, const std::string& skipName = {});

/// Whether both trees hold the same paths with the same type, bytes and permissions.
bool sameTree(const TreeSnapshot& a, const TreeSnapshot& b);

/// The first differences between two trees, one a line, for a failure message ("" if none).
std::string treeDifference(const TreeSnapshot& before, const TreeSnapshot& after, std::size_t limit = 10);

/// The multiset of what the tree holds, names left out: "f:" + bytes of every plain file,
/// "l:" + target of every link, "d" for every folder, sorted.
std::vector<std::string> contentMultiset(const TreeSnapshot& tree);

/// The folders of a tree (root included as ""), deepest first.
std::vector<std::string> foldersDeepestFirst(const TreeSnapshot& tree);

} // namespace brindle::test
