#include "core/run/ResultTree.h"

#include <algorithm>
#include <functional>

#include "core/run/ClashKey.h"

namespace brindle
{

namespace
{

/// What an error node's text holds around its old name, after its new name.
constexpr std::string_view kWasOpen = " (was \"";
constexpr std::string_view kWasClose = "\")";

void markError(ResultNode& node, std::string_view oldName)
{
    node.state = ResultState::Error;
    node.oldName = oldName;
    node.text.append(kWasOpen).append(oldName).append(kWasClose);
}

} // namespace

std::string_view ResultNode::newName() const
{
    const std::string_view all = text;
    if (state != ResultState::Error)
        return all;
    return all.substr(0, all.size() - kWasOpen.size() - oldName.size() - kWasClose.size());
}

std::string_view ResultNode::nameBefore() const
{
    return state == ResultState::Unchanged ? std::string_view(text) : std::string_view(oldName);
}

int ResultNode::imageIndex() const
{
    const int base = kind == EntryKind::Folder ? 0 : 2;
    return base + 3 * static_cast<int>(state);
}

int ResultNode::selectedIndex() const
{
    return imageIndex() + (kind == EntryKind::Folder ? 1 : 0);
}

void ResultTree::clear()
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

std::int32_t ResultTree::setRoot(std::string_view path)
{
    clear();
    ResultNode root;
    root.text = path;
    root.kind = EntryKind::Folder;
    m_nodes.push_back(std::move(root));
    m_indexInParent.push_back(0);
    return 0;
}

std::int32_t ResultTree::indexInParent(std::int32_t index) const
{
    return m_indexInParent[static_cast<std::size_t>(index)];
}

void ResultTree::rebuildKeys(std::int32_t parent)
{
    m_keysParent = parent;
    m_keyCount = 0;
    const auto& children = m_nodes[static_cast<std::size_t>(parent)].children;
    std::size_t slots = 16;
    while (slots < children.size() * 2 + 2)
        slots *= 2;
    m_slotHash.assign(slots, 0);
    m_slotNode.assign(slots, -1);
    for (std::int32_t child : children) {
        std::uint64_t hash;
        containsKey(m_nodes[static_cast<std::size_t>(child)].text, hash);
        addKey(hash, child);
    }
}

// Whether a child of the current folder has the same key as text; hash receives the key's hash.
bool ResultTree::containsKey(std::string_view text, std::uint64_t& hash)
{
    upCaseGreekInto(text, m_key);
    hash = std::hash<std::string_view> {}(m_key);
    const std::size_t mask = m_slotHash.size() - 1;
    for (std::size_t s = hash & mask; m_slotNode[s] >= 0; s = (s + 1) & mask) {
        if (m_slotHash[s] == hash) {
            upCaseGreekInto(m_nodes[static_cast<std::size_t>(m_slotNode[s])].text, m_otherKey);
            if (m_otherKey == m_key)
                return true;
        }
    }
    return false;
}

void ResultTree::addKey(std::uint64_t hash, std::int32_t node)
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

void ResultTree::placeKey(std::uint64_t hash, std::int32_t node)
{
    const std::size_t mask = m_slotHash.size() - 1;
    std::size_t s = hash & mask;
    while (m_slotNode[s] >= 0)
        s = (s + 1) & mask;
    m_slotHash[s] = hash;
    m_slotNode[s] = node;
}

std::int32_t ResultTree::addNode(std::int32_t parent, std::string_view oldName, std::string_view newName,
    EntryKind kind, bool* clash, bool refused)
{
    if (parent != m_keysParent)
        rebuildKeys(parent);
    const auto index = static_cast<std::int32_t>(m_nodes.size());
    ResultNode node;
    node.kind = kind;
    node.parent = parent;
    node.text = newName;
    // The key goes into the set under the node's final text: a clashing node's text carries
    // its old name, and later entries are compared with that text, as with every earlier child.
    m_nodes.push_back(std::move(node));
    auto& children = m_nodes[static_cast<std::size_t>(parent)].children;
    m_indexInParent.push_back(static_cast<std::int32_t>(children.size()));
    children.push_back(index);
    ResultNode& added = m_nodes.back();

    std::uint64_t hash;
    const bool clashed = containsKey(newName, hash) && !refused;
    if (clashed || refused) {
        markError(added, oldName);
        upCaseGreekInto(added.text, m_key);
        hash = std::hash<std::string_view> {}(m_key);
    } else if (newName != oldName) {
        added.state = ResultState::Renamed;
        added.oldName = oldName;
    }
    addKey(hash, index);
    if (clash)
        *clash = clashed;
    return index;
}

std::int32_t ResultTree::addPlannedNode(std::int32_t parent, std::string_view oldName,
    std::string_view newName, EntryKind kind, ResultState state, std::string_view reason)
{
    const auto index = static_cast<std::int32_t>(m_nodes.size());
    ResultNode node;
    node.kind = kind;
    node.parent = parent;
    node.state = state;
    node.text = newName;
    if (state == ResultState::Renamed)
        node.oldName = oldName;
    if (state == ResultState::Error) {
        markError(node, oldName);
        if (!reason.empty()) {
            m_reasonNodes.push_back(index);
            m_reasons.emplace_back(reason);
        }
    }
    m_nodes.push_back(std::move(node));
    auto& children = m_nodes[static_cast<std::size_t>(parent)].children;
    m_indexInParent.push_back(static_cast<std::int32_t>(children.size()));
    children.push_back(index);
    // The clash keys of the designed check no longer match this folder's children.
    m_keysParent = -1;
    return index;
}

std::string_view ResultTree::reason(std::int32_t index) const
{
    const auto it = std::lower_bound(m_reasonNodes.begin(), m_reasonNodes.end(), index);
    if (it == m_reasonNodes.end() || *it != index)
        return {};
    return m_reasons[static_cast<std::size_t>(it - m_reasonNodes.begin())];
}

template <typename Visit> void ResultTree::walk(Visit visit) const
{
    // Depth-first, children in order, without recursion.
    std::vector<std::pair<std::int32_t, std::size_t>> stack; // node, depth
    stack.emplace_back(0, 0);
    while (!stack.empty()) {
        const auto [index, depth] = stack.back();
        stack.pop_back();
        const ResultNode& n = m_nodes[static_cast<std::size_t>(index)];
        visit(index, n, depth);
        for (auto it = n.children.rbegin(); it != n.children.rend(); ++it)
            stack.emplace_back(*it, depth + 1);
    }
}

namespace
{

/// One line of the tree's text: indent, mark, text and "/" for a folder, then an error's
/// reason; the root bare.
void appendLine(
    std::string& out, std::int32_t index, const ResultNode& n, std::size_t depth, std::string_view reason)
{
    if (index != 0) {
        out.append(2 * depth, ' ');
        out += n.state == ResultState::Unchanged ? '=' : n.state == ResultState::Renamed ? '~' : '!';
        out += ' ';
    }
    out += n.text;
    if (index != 0 && n.kind == EntryKind::Folder)
        out += '/';
    if (!reason.empty())
        out.append(": ").append(reason);
    out += '\n';
}

} // namespace

std::string ResultTree::toText() const
{
    std::string out;
    if (m_nodes.empty())
        return out;
    // The exact size first, so the text is built without moving it.
    std::size_t size = 0;
    walk([&](std::int32_t index, const ResultNode& n, std::size_t depth) {
        size += n.text.size() + 1 + (index == 0 ? 0 : 2 * depth + 2 + (n.kind == EntryKind::Folder ? 1 : 0));
        if (const std::string_view why = reason(index); !why.empty())
            size += 2 + why.size();
    });
    out.reserve(size);
    walk([&](std::int32_t index, const ResultNode& n, std::size_t depth) {
        appendLine(out, index, n, depth, reason(index));
    });
    return out;
}

void ResultTree::writeText(const std::function<void(std::string_view)>& out) const
{
    if (m_nodes.empty())
        return;
    // Lines are gathered into blocks of about 64 KiB, one buffer for the whole tree.
    std::string block;
    walk([&](std::int32_t index, const ResultNode& n, std::size_t depth) {
        appendLine(block, index, n, depth, reason(index));
        if (block.size() >= 65536) {
            out(block);
            block.clear();
        }
    });
    if (!block.empty())
        out(block);
}

} // namespace brindle
