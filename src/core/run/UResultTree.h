#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/URenameSession.h"

namespace brindle
{

/// How a node of the simulated result came out.
enum class TResultState : std::uint8_t { Unchanged, Renamed, Error };

/// One node of the simulated result: a folder or a file under its new name.
struct TResultNode {
    /// The new name; for an error, the new name followed by " (was \"old name\")". The root
    /// node holds the starting folder's path.
    std::string Text;
    TEntryKind Kind = TEntryKind::File;
    TResultState State = TResultState::Unchanged;
    /// The parent's index in the tree; -1 for the root.
    std::int32_t Parent = -1;
    /// The children's indices, in the order the run added them: subfolders first, then files.
    std::vector<std::int32_t> Children;

    /// The image index shown normally: folder 0/3/6, file 2/5/8 for unchanged/renamed/error.
    int ImageIndex() const;
    /// The image index shown while the node is selected: folder 1/4/7, file as ImageIndex.
    int SelectedIndex() const;
};

/// The tree a simulation builds: the starting folder as the root, below each folder first its
/// subfolders and then its matching files, under their new names, with name clashes marked.
///
/// Two names of one folder clash when their UpCaseGreek keys are equal; the clash is marked
/// on the later of the two. The check keeps a hash set of the keys of the folder that is
/// being filled, so each node costs the same whatever the folder's size. The set is rebuilt
/// from the folder's children whenever nodes are added to another folder, so adding in any
/// order gives the result of comparing with every earlier child.
class TResultTree
{
public:
    TResultTree() = default;

    /// Removes every node.
    void Clear();
    /// Removes every node and adds the root with the starting folder's path (unchanged folder
    /// images); returns its index, 0.
    std::int32_t SetRoot(std::string_view path);

    /// Appends a child for an entry of the folder node parent, named oldName before and
    /// newName after the run; marks it unchanged, renamed or error: a clash, or (refused) a new
    /// name the real run would refuse. An error node's text is the new name followed by
    /// " (was \"old name\")". Returns the new node's index; clash tells whether it clashed.
    std::int32_t AddNode(std::int32_t parent, std::string_view oldName, std::string_view newName,
        TEntryKind kind, bool* clash = nullptr, bool refused = false);

    /// Appends a child whose outcome is already known (a folder's plan): unchanged, renamed, or
    /// an error with its reason ("held by c.txt, which stays"), whose text is the new name
    /// followed by " (was \"old name\")". No clash check of its own: the plan made it.
    std::int32_t AddPlannedNode(std::int32_t parent, std::string_view oldName, std::string_view newName,
        TEntryKind kind, TResultState state, std::string_view reason = {});

    /// Why the real run would fail on the node; empty for a node without error.
    std::string_view Reason(std::int32_t index) const;

    bool Empty() const { return m_nodes.empty(); }
    std::size_t Size() const { return m_nodes.size(); }
    const TResultNode& Node(std::int32_t index) const { return m_nodes[static_cast<std::size_t>(index)]; }
    /// The node's position among its parent's children (0 for the root).
    std::int32_t IndexInParent(std::int32_t index) const;

    /// The tree as text: one node a line, two blanks of indent per depth, then for every node
    /// but the root a mark ("=" unchanged, "~" renamed, "!" error) and a blank, then the text,
    /// a folder's text followed by "/", and after an error with a reason ": " and the reason.
    std::string ToText() const;
    /// The same text handed to out line by line (each with its line end), so a deep tree's
    /// text, whose indent grows with the depth, is never held whole.
    void WriteText(const std::function<void(std::string_view)>& out) const;

private:
    template <typename Visit> void walk(Visit visit) const;
    void rebuildKeys(std::int32_t parent);
    bool containsKey(std::string_view text, std::uint64_t& hash);
    void addKey(std::uint64_t hash, std::int32_t node);
    void placeKey(std::uint64_t hash, std::int32_t node);

    std::vector<TResultNode> m_nodes;
    std::vector<std::int32_t> m_indexInParent;
    // The reasons of error nodes, few among many: by node index, in increasing order.
    std::vector<std::int32_t> m_reasonNodes;
    std::vector<std::string> m_reasons;

    // The clash keys of m_keysParent's children: an open-addressing table of (hash, node)
    // with the key recomputed from the node's text when two hashes are equal.
    std::int32_t m_keysParent = -1;
    std::vector<std::uint64_t> m_slotHash;
    std::vector<std::int32_t> m_slotNode;
    std::size_t m_keyCount = 0;
    std::string m_key;
    std::string m_otherKey;
};

} // namespace brindle
