#include "run/UResultTree.h"

#include <algorithm>
#include <functional>

#include "run/UGlobals.h"

namespace brindle
{

int TResultNode::ImageIndex() const
{
    const int base = Kind == TEntryKind::Folder ? 0 : 2;
    return base + 3 * static_cast<int>(State);
}

int TResultNode::SelectedIndex() const
{
    return ImageIndex() + (Kind == TEntryKind::Folder ? 1 : 0);
}

void TResultTree::Clear()
{
    m_nodes.clear();
    m_indexInParent.clear();
    m_reasonNodes.clear();
    m_reasons.clear();
    m_keysParent = -1;
    m_slotHash.clear();
    m_slotNode.clear();
    m_keyCount = 0;
}

std::int32_t TResultTree::SetRoot(std::string_view path)
{
    Clear();
    TResultNode root;
    root.Text = path;
    root.Kind = TEntryKind::Folder;
    m_nodes.push_back(std::move(root));
    m_indexInParent.push_back(0);
    return 0;
}

std::int32_t TResultTree::IndexInParent(std::int32_t index) const
{
    return m_indexInParent[static_cast<std::size_t>(index)];
}

void TResultTree::rebuildKeys(std::int32_t parent)
{
    m_keysParent = parent;
    m_keyCount = 0;
    const auto& children = m_nodes[static_cast<std::size_t>(parent)].Children;
    std::size_t slots = 16;
    while (slots < children.size() * 2 + 2)
        slots *= 2;
    m_slotHash.assign(slots, 0);
    m_slotNode.assign(slots, -1);
    for (std::int32_t child : children) {
        std::uint64_t hash;
        containsKey(m_nodes[static_cast<std::size_t>(child)].Text, hash);
        addKey(hash, child);
    }
}

// Whether a child of the current folder has the same key as text; hash receives the key's hash.
bool TResultTree::containsKey(std::string_view text, std::uint64_t& hash)
{
    UpCaseGreekInto(text, m_key);
    hash = std::hash<std::string_view> {}(m_key);
    const std::size_t mask = m_slotHash.size() - 1;
    for (std::size_t s = hash & mask; m_slotNode[s] >= 0; s = (s + 1) & mask) {
        if (m_slotHash[s] == hash) {
            UpCaseGreekInto(m_nodes[static_cast<std::size_t>(m_slotNode[s])].Text, m_otherKey);
            if (m_otherKey == m_key)
                return true;
        }
    }
    return false;
}

void TResultTree::addKey(std::uint64_t hash, std::int32_t node)
{
    if ((m_keyCount + 1) * 2 > m_slotHash.size()) {
        // Grow: re-insert the existing entries into a table twice the size.
        std::vector<std::uint64_t> oldHash;
        std::vector<std::int32_t> oldNode;
        oldHash.swap(m_slotHash);
        oldNode.swap(m_slotNode);
        m_slotHash.assign(oldHash.size() * 2, 0);
        m_slotNode.assign(oldNode.size() * 2, -1);
        for (std::size_t i = 0; i < oldHash.size(); ++i) {
            if (oldNode[i] >= 0)
                placeKey(oldHash[i], oldNode[i]);
        }
    }
    placeKey(hash, node);
    ++m_keyCount;
}

void TResultTree::placeKey(std::uint64_t hash, std::int32_t node)
{
    const std::size_t mask = m_slotHash.size() - 1;
    std::size_t s = hash & mask;
    while (m_slotNode[s] >= 0)
        s = (s + 1) & mask;
    m_slotHash[s] = hash;
    m_slotNode[s] = node;
}

std::int32_t TResultTree::AddNode(std::int32_t parent, std::string_view oldName, std::string_view newName,
    TEntryKind kind, bool* clash, bool refused)
{
    if (parent != m_keysParent)
        rebuildKeys(parent);
    const auto index = static_cast<std::int32_t>(m_nodes.size());
    TResultNode node;
    node.Kind = kind;
    node.Parent = parent;
    node.Text = newName;
    // The key goes into the set under the node's final text: a clashing node's text carries
    // its old name, and later entries are compared with that text, as with every earlier child.
    m_nodes.push_back(std::move(node));
    auto& children = m_nodes[static_cast<std::size_t>(parent)].Children;
    m_indexInParent.push_back(static_cast<std::int32_t>(children.size()));
    children.push_back(index);
    TResultNode& added = m_nodes.back();

    std::uint64_t hash;
    const bool clashed = containsKey(newName, hash) && !refused;
    if (clashed || refused) {
        added.State = TResultState::Error;
        added.Text.append(" (was \"").append(oldName).append("\")");
        UpCaseGreekInto(added.Text, m_key);
        hash = std::hash<std::string_view> {}(m_key);
    } else {
        added.State = newName == oldName ? TResultState::Unchanged : TResultState::Renamed;
    }
    addKey(hash, index);
    if (clash)
        *clash = clashed;
    return index;
}

std::int32_t TResultTree::AddPlannedNode(std::int32_t parent, std::string_view oldName,
    std::string_view newName, TEntryKind kind, TResultState state, std::string_view reason)
{
    const auto index = static_cast<std::int32_t>(m_nodes.size());
    TResultNode node;
    node.Kind = kind;
    node.Parent = parent;
    node.State = state;
    node.Text = newName;
    if (state == TResultState::Error) {
        node.Text.append(" (was \"").append(oldName).append("\")");
        if (!reason.empty()) {
            m_reasonNodes.push_back(index);
            m_reasons.emplace_back(reason);
        }
    }
    m_nodes.push_back(std::move(node));
    auto& children = m_nodes[static_cast<std::size_t>(parent)].Children;
    m_indexInParent.push_back(static_cast<std::int32_t>(children.size()));
    children.push_back(index);
    // The clash keys of the designed check no longer match this folder's children.
    m_keysParent = -1;
    return index;
}

std::string_view TResultTree::Reason(std::int32_t index) const
{
    const auto it = std::lower_bound(m_reasonNodes.begin(), m_reasonNodes.end(), index);
    if (it == m_reasonNodes.end() || *it != index)
        return {};
    return m_reasons[static_cast<std::size_t>(it - m_reasonNodes.begin())];
}

template <typename Visit> void TResultTree::walk(Visit visit) const
{
    // Depth-first, children in order, without recursion.
    std::vector<std::pair<std::int32_t, std::size_t>> stack; // node, depth
    stack.emplace_back(0, 0);
    while (!stack.empty()) {
        const auto [index, depth] = stack.back();
        stack.pop_back();
        const TResultNode& n = m_nodes[static_cast<std::size_t>(index)];
        visit(index, n, depth);
        for (auto it = n.Children.rbegin(); it != n.Children.rend(); ++it)
            stack.emplace_back(*it, depth + 1);
    }
}

namespace
{

/// One line of the tree's text: indent, mark, text and "/" for a folder, then an error's
/// reason; the root bare.
void appendLine(
    std::string& out, std::int32_t index, const TResultNode& n, std::size_t depth, std::string_view reason)
{
    if (index != 0) {
        out.append(2 * depth, ' ');
        out += n.State == TResultState::Unchanged ? '=' : n.State == TResultState::Renamed ? '~' : '!';
        out += ' ';
    }
    out += n.Text;
    if (index != 0 && n.Kind == TEntryKind::Folder)
        out += '/';
    if (!reason.empty())
        out.append(": ").append(reason);
    out += '\n';
}

} // namespace

std::string TResultTree::ToText() const
{
    std::string out;
    if (m_nodes.empty())
        return out;
    // The exact size first, so the text is built without moving it.
    std::size_t size = 0;
    walk([&](std::int32_t index, const TResultNode& n, std::size_t depth) {
        size += n.Text.size() + 1 + (index == 0 ? 0 : 2 * depth + 2 + (n.Kind == TEntryKind::Folder ? 1 : 0));
        if (const std::string_view reason = Reason(index); !reason.empty())
            size += 2 + reason.size();
    });
    out.reserve(size);
    walk([&](std::int32_t index, const TResultNode& n, std::size_t depth) {
        appendLine(out, index, n, depth, Reason(index));
    });
    return out;
}

void TResultTree::WriteText(const std::function<void(std::string_view)>& out) const
{
    if (m_nodes.empty())
        return;
    // Lines are gathered into blocks of about 64 KiB, one buffer for the whole tree.
    std::string block;
    walk([&](std::int32_t index, const TResultNode& n, std::size_t depth) {
        appendLine(block, index, n, depth, Reason(index));
        if (block.size() >= 65536) {
            out(block);
            block.clear();
        }
    });
    if (!block.empty())
        out(block);
}

} // namespace brindle
