#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace brindle::test
{

/// One entry of a folder tree as the file system holds it.
struct TEntrySnapshot {
    char type = '?'; ///< 'f' plain file, 'd' folder, 'l' symbolic link, 'o' anything else
    std::string data; ///< a file's bytes, a link's target
    mode_t mode = 0; ///< permission bits
    ino_t inode = 0;

    /// Type, bytes and permissions; the inode is left out.
    bool SameAs(const TEntrySnapshot& other) const
    {
        return type == other.type && data == other.data && mode == other.mode;
    }
};

/// A whole tree, by path relative to its root (names are bytes, folders joined by "/").
using TTreeSnapshot = std::map<std::string, TEntrySnapshot>;

/// Walks root without following symbolic links and records every entry below it. skipName
/// (when not empty) leaves out every entry of that name, wherever it is.
TTreeSnapshot SnapshotTree(const std::string& root, const std::string& skipName = {});

/// Whether both trees hold the same paths with the same type, bytes and permissions.
bool SameTree(const TTreeSnapshot& a, const TTreeSnapshot& b);

/// The first differences between two trees, one a line, for a failure message ("" if none).
std::string TreeDifference(const TTreeSnapshot& before, const TTreeSnapshot& after, std::size_t limit = 10);

/// The multiset of what the tree holds, names left out: "f:" + bytes of every plain file,
/// "l:" + target of every link, "d" for every folder, sorted.
std::vector<std::string> ContentMultiset(const TTreeSnapshot& tree);

/// The folders of a tree (root included as ""), deepest first.
std::vector<std::string> FoldersDeepestFirst(const TTreeSnapshot& tree);

} // namespace brindle::test
