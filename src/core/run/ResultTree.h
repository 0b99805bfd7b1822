#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/jobs/RenameSession.h"

namespace brindle
{

/// How a node of the simulated result came out.
enum class ResultState : std::uint8_t { Unchanged, Renamed, Error };

/// One node of the simulated result: a folder or a file under its new name.
struct ResultNode {
    /// The new name; for an error, the new name followed by " (was \"old name\")". The root
    /// node holds the starting folder's path.
    std::string text;
    /// The entry's name before the run, for a node renamed or in error; empty for the root and
    /// for a node whose name stays.
    std::string oldName;
    EntryKind kind = EntryKind::File;
    ResultState state = ResultState::Unchanged;
    /// The parent's index in the tree; -1 for the root.
    std::int32_t parent = -1;
    /// The children's indices, in the order the run added them: subfolders first, then files.
    std::vector<std::int32_t> children;

    /// The name after the run: the text without what an error adds to it.
    std::string_view newName() const;
    /// The name before the run (the text of a node whose name stays).
    std::string_view nameBefore() const;

    /// The image index shown normally: folder 0/3/6, file 2/5/8 for unchanged/renamed/error.
    int imageIndex() const;
    /// The image index shown while the node is selected: folder 1/4/7, file as imageIndex.
    int selectedIndex() const;
};

/// The tree a simulation builds: the starting folder as the root, below each folder first its
/// subfolders and then its matching files, under their new names, with name clashes marked.
///
/// Two names of one folder clash when their upCaseGreek keys are equal; the clash is marked
/// on the later of the two. The check keeps a hash set of the keys of the folder that is
/// being filled, so each node costs the same whatever the folder's size. The set is rebuilt
/// from the folder's children whenever nodes are added to another folder, so adding in any
/// order gives the result of comparing with every earlier child.
class ResultTree
{
public:
    ResultTree() = default;

    /// Removes every node.
    void clear();
    /// Removes every node and adds the root with the starting folder's path (unchanged folder
    /// images); returns its index, 0.
    std::int32_t setRoot(std::string_view path);

    /// Appends a child for an entry of the folder node parent, named oldName before and
    /// newName after the run; marks it unchanged, renamed or error: a clash, or (refused) a new
    /// name the real run would refuse. An error node's text is the new name followed by
    /// " (was \"old name\")". Returns the new node's index; clash tells whether it clashed.
    std::int32_t addNode(std::int32_t parent, std::string_view oldName, std::string_view newName,
        EntryKind kind, bool* clash = nullptr, bool refused = false);

    /// Appends a child whose outcome is already known (a folder's plan): unchanged, renamed, or
    /// an error with its reason ("held by c.txt, which stays"), whose text is the new name
    /// followed by " (was \"old name\")". No clash check of its own: the plan made it.
    std::int32_t addPlannedNode(std::int32_t parent, std::string_view oldName, std::string_view newName,
        EntryKind kind, ResultState state, std::string_view reason = {});

    /// Why the real run would fail on the node; empty for a node without error.
    std::string_view reason(std::int32_t index) const;

    bool empty() const { return m_nodes.empty(); }
    std::size_t size() const { return m_nodes.size(); }
    const ResultNode& node(std::int32_t index) const { return m_nodes[static_cast<std::size_t>(index)]; }
    /// The node's position among its parent's children (0 for the root).
    std::int32_t indexInParent(std::int32_t index) const;

    /// The tree as text: one node a line, two blanks of indent per depth, then for every node
    /// but the root a mark ("=" unchanged, "~" renamed, "!" error) and a blank, then the text,
    /// a folder's text followed by "/", and after an error with a reason ": " and the reason.
    std::string toText() const;
    /// The same text handed to out line by line (each with its line end), so a deep tree's
    /// text, whose indent grows with the depth, is never held whole.
    void writeText(const std::function<void(std::string_view)>& out) const;

private:
    template <typename Visit> void walk(Visit visit) const;
    void rebuildKeys(std::int32_t parent);
    bool containsKey(std::string_view text, std::uint64_t& hash);
    void addKey(std::uint64_t hash, std::int32_t node);
    void placeKey(std::uint64_t hash, std::int32_t node);

    std::vector<ResultNode> m_nodes;
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
