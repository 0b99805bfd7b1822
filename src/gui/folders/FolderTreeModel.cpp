#include "gui/folders/FolderTreeModel.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QFileIconProvider>
#include <QIcon>
#include <QPainter>

#include <algorithm>

#include "gui/base/DisplayName.h"
#include "gui/base/PlainText.h"
#include "core/run/FolderReader.h"
#include "core/run/FolderListing.h"
#include "core/run/NameCollator.h"

namespace brindle
{

struct FolderTreeModel::Node {
    std::string name;
    /// Collation key: siblings are in the order of (key, name).
    std::string key;
    Node* parent = nullptr;
    int row = 0;
    std::vector<std::unique_ptr<Node>> children;
    enum class State : std::uint8_t { Unread, Reading, Read } state = State::Unread;
    /// On a path that was asked for: kept though the listing leaves it out (hidden, a link).
    bool pinned = false;
};

struct FolderTreeModel::Listed {
    std::string name;
    std::string key;
};

namespace
{

bool before(std::string_view keyA, std::string_view nameA, std::string_view keyB, std::string_view nameB)
{
    const int c = keyA.compare(keyB);
    return c != 0 ? c < 0 : nameA < nameB;
}

const QIcon& folderIcon(bool marked)
{
    static const QIcon plain = QFileIconProvider().icon(QAbstractFileIconProvider::Folder);
    static const QIcon withMark = [] {
        QIcon out;
        for (const int size : {16, 22, 32}) {
            QPixmap pixmap = plain.pixmap(size, size);
            if (pixmap.isNull())
                pixmap = QPixmap(size, size);
            QPainter painter(&pixmap);
            painter.setRenderHint(QPainter::Antialiasing);
            const qreal r = size * 0.28;
            painter.setPen(QPen(Qt::white, 1));
            painter.setBrush(QColor(0xC0, 0x10, 0x10));
            painter.drawEllipse(QPointF(size - r - 0.5, size - r - 0.5), r, r);
            out.addPixmap(pixmap);
        }
        return out;
    }();
    return marked ? withMark : plain;
}

} // namespace

FolderTreeModel::FolderTreeModel(QObject* parent)
    : QAbstractItemModel(parent)
    , m_top(std::make_unique<Node>())
{
    // The one top folder, "/".
    auto root = std::make_unique<Node>();
    root->parent = m_top.get();
    m_top->children.push_back(std::move(root));
    m_top->state = Node::State::Read;
}

FolderTreeModel::~FolderTreeModel() = default;

FolderTreeModel::Node* FolderTreeModel::nodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : m_top.get();
}

QModelIndex FolderTreeModel::indexOf(Node* node) const
{
    if (!node || node == m_top.get())
        return {};
    return createIndex(node->row, 0, node);
}

QModelIndex FolderTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const Node* p = nodeOf(parent);
    if (column != 0 || row < 0 || static_cast<std::size_t>(row) >= p->children.size())
        return {};
    return createIndex(row, 0, p->children[static_cast<std::size_t>(row)].get());
}

QModelIndex FolderTreeModel::parent(const QModelIndex& index) const
{
    const Node* n = nodeOf(index);
    return n == m_top.get() ? QModelIndex() : indexOf(n->parent);
}

int FolderTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(nodeOf(parent)->children.size());
}

int FolderTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool FolderTreeModel::hasChildren(const QModelIndex& parent) const
{
    const Node* n = nodeOf(parent);
    // A folder not read yet may hold folders: it shows that it can be opened.
    return n->state != Node::State::Read || !n->children.empty();
}

bool FolderTreeModel::canFetchMore(const QModelIndex& parent) const
{
    return nodeOf(parent)->state == Node::State::Unread;
}

void FolderTreeModel::fetchMore(const QModelIndex& parent)
{
    Node* n = nodeOf(parent);
    if (n->state == Node::State::Unread)
        list(n);
}

QVariant FolderTreeModel::data(const QModelIndex& index, int role) const
{
    const Node* n = nodeOf(index);
    if (n == m_top.get())
        return {};
    if (role == NameBytesRole)
        return QByteArray(n->name.data(), static_cast<qsizetype>(n->name.size()));
    const bool root = n->parent == m_top.get();
    if (role == Qt::DisplayRole)
        return root ? QStringLiteral("/") : nameForDisplay(n->name);
    NameFlags flags;
    nameForDisplay(n->name, &flags);
    const bool marked = flags.invalidUtf8 || flags.controlChars;
    if (role == Qt::DecorationRole)
        return folderIcon(marked);
    if (role == Qt::ToolTipRole && marked)
        return plainToolTip(QStringLiteral("%1\n%2").arg(flags.invalidUtf8
                ? QStringLiteral("The name is not valid UTF-8; its bytes:")
                : QStringLiteral("The name holds control characters; its bytes:"),
            escapedName(n->name)));
    if (role == Qt::ForegroundRole && marked)
        return QColor(0xA0, 0x00, 0x00);
    return {};
}

std::string FolderTreeModel::pathOf(const QModelIndex& index) const
{
    const Node* n = nodeOf(index);
    if (n == m_top.get())
        return {};
    std::vector<const Node*> chain;
    for (; n->parent != m_top.get(); n = n->parent)
        chain.push_back(n);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        path += '/';
        path += (*it)->name;
    }
    return path.empty() ? std::string("/") : path;
}

FolderTreeModel::Node* FolderTreeModel::findChild(Node* parent, std::string_view name) const
{
    for (const auto& child : parent->children) {
        if (child->name == name)
            return child.get();
    }
    return nullptr;
}

FolderTreeModel::Node* FolderTreeModel::addChild(Node* parent, std::string name, bool pinned)
{
    auto node = std::make_unique<Node>();
    NameCollator::user().appendSortKey(name, node->key);
    node->name = std::move(name);
    node->parent = parent;
    node->pinned = pinned;
    auto& c = parent->children;
    const auto at = std::lower_bound(c.begin(), c.end(), node,
        [](const auto& a, const auto& b) { return before(a->key, a->name, b->key, b->name); });
    const int row = static_cast<int>(at - c.begin());
    beginInsertRows(indexOf(parent), row, row);
    Node* added = c.insert(at, std::move(node))->get();
    for (std::size_t i = static_cast<std::size_t>(row); i < c.size(); ++i)
        c[i]->row = static_cast<int>(i);
    endInsertRows();
    return added;
}

QModelIndex FolderTreeModel::indexOfPath(const std::string& path)
{
    Node* n = m_top->children.front().get();
    std::vector<Node*> toRead;
    std::size_t start = 1;
    while (start < path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty())
            continue;
        if (n->state == Node::State::Unread)
            toRead.push_back(n);
        Node* child = findChild(n, part);
        if (!child)
            child = addChild(n, part, true);
        child->pinned = true;
        n = child;
    }
    for (Node* r : toRead)
        list(r);
    return indexOf(n);
}

void FolderTreeModel::list(Node* node)
{
    node->state = Node::State::Reading;
    const std::string path = pathOf(indexOf(node));
    m_tasks.start(
        [this, path](const TaskContext&) -> LatestTask::Done {
            std::vector<Listed> listed;
            const int fd = openFolderForListing(path);
            FileEntryList folders;
            // The run's own listing of subfolders: links are files, never folders.
            const bool ok = fd >= 0 && !FolderLister().listSubfolders(fd, folders).failed();
            if (fd >= 0)
                ::close(fd);
            if (ok) {
                const NameCollator collator(NameCollator::userLocaleName());
                listed.reserve(folders.size());
                for (FileEntry& f : folders) {
                    if (isHiddenName(f.name))
                        continue;
                    Listed l;
                    collator.appendSortKey(f.name, l.key);
                    l.name = std::move(f.name);
                    listed.push_back(std::move(l));
                }
                std::sort(listed.begin(), listed.end(),
                    [](const Listed& a, const Listed& b) { return before(a.key, a.name, b.key, b.name); });
            }
            return [this, path, listed = std::move(listed), ok]() mutable {
                merge(path, std::move(listed), ok);
            };
        },
        path);
}

void FolderTreeModel::merge(const std::string& path, std::vector<Listed> listed, bool ok)
{
    // Find the folder again: it may have gone from the tree since it was asked for.
    Node* n = m_top->children.front().get();
    for (std::size_t start = 1; start < path.size();) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        n = findChild(n, std::string_view(path).substr(start, end - start));
        if (!n)
            return;
        start = end + 1;
    }
    n->state = Node::State::Read;
    const QModelIndex parentIndex = indexOf(n);
    auto& c = n->children;
    // 1. Remove the folders that are no longer there, last first so the rows stay right. A
    // folder on a path asked for stays while it exists, though the listing leaves it out.
    auto wanted = [&](const Node& child) {
        if (std::binary_search(listed.begin(), listed.end(), child,
                [](const auto& a, const auto& b) { return before(a.key, a.name, b.key, b.name); }))
            return true;
        if (!ok || !child.pinned)
            return false;
        struct stat st;
        return ::stat(pathOf(indexOf(const_cast<Node*>(&child))).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    };
    for (int row = static_cast<int>(c.size()) - 1; row >= 0;) {
        if (wanted(*c[static_cast<std::size_t>(row)])) {
            --row;
            continue;
        }
        int first = row;
        while (first > 0 && !wanted(*c[static_cast<std::size_t>(first - 1)]))
            --first;
        beginRemoveRows(parentIndex, first, row);
        c.erase(c.begin() + first, c.begin() + row + 1);
        for (std::size_t i = static_cast<std::size_t>(first); i < c.size(); ++i)
            c[i]->row = static_cast<int>(i);
        endRemoveRows();
        row = first - 1;
    }
    // 2. Add the new ones, each run of them in one step. Both lists are in the same order.
    std::size_t at = 0;
    for (std::size_t i = 0; i < listed.size();) {
        while (at < c.size() && before(c[at]->key, c[at]->name, listed[i].key, listed[i].name))
            ++at;
        if (at < c.size() && c[at]->name == listed[i].name) {
            ++i;
            ++at;
            continue;
        }
        std::size_t j = i;
        while (j < listed.size()
            && (at >= c.size() || before(listed[j].key, listed[j].name, c[at]->key, c[at]->name)))
            ++j;
        const int first = static_cast<int>(at);
        beginInsertRows(parentIndex, first, first + static_cast<int>(j - i) - 1);
        std::vector<std::unique_ptr<Node>> run;
        run.reserve(j - i);
        for (std::size_t k = i; k < j; ++k) {
            auto node = std::make_unique<Node>();
            node->name = std::move(listed[k].name);
            node->key = std::move(listed[k].key);
            node->parent = n;
            run.push_back(std::move(node));
        }
        c.insert(c.begin() + first, std::make_move_iterator(run.begin()), std::make_move_iterator(run.end()));
        for (std::size_t k = static_cast<std::size_t>(first); k < c.size(); ++k)
            c[k]->row = static_cast<int>(k);
        endInsertRows();
        at += j - i;
        i = j;
    }
    emit folderListed(parentIndex);
}

void FolderTreeModel::refresh()
{
    // Every folder read or being read so far, top down; "/" at least. A listing still on its
    // way may be older than the change that calls for the refresh: the new one replaces it.
    std::vector<Node*> read;
    std::vector<Node*> stack {m_top->children.front().get()};
    while (!stack.empty()) {
        Node* n = stack.back();
        stack.pop_back();
        if (n->state == Node::State::Unread)
            continue;
        read.push_back(n);
        for (const auto& child : n->children)
            stack.push_back(child.get());
    }
    for (Node* n : read)
        list(n);
}

} // namespace brindle
