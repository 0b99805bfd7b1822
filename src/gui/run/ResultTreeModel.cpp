#include "gui/run/ResultTreeModel.h"

#include <QIcon>

#include "gui/base/NameText.h"
#include "gui/base/PlainText.h"

namespace brindle
{

namespace
{

constexpr std::array<const char*, 9> kImageFiles {"folder", "folder_selected", "file", "folder_renamed",
    "folder_renamed_selected", "file_renamed", "folder_error", "folder_error_selected", "file_error"};

int iconSlot(const ResultNode& node)
{
    return static_cast<int>(node.state) * 2 + (node.kind == EntryKind::Folder ? 0 : 1);
}

/// What the real run would do with the node, in words.
QString resultText(ResultState state)
{
    switch (state) {
    case ResultState::Unchanged:
        return QStringLiteral("unchanged");
    case ResultState::Renamed:
        return QStringLiteral("would be renamed");
    case ResultState::Error:
        break;
    }
    return QStringLiteral("would fail");
}

} // namespace

const ImageList& resultIcons()
{
    static const ImageList images = [] {
        ImageList list;
        for (std::size_t i = 0; i < kImageFiles.size(); ++i)
            list[i] = QIcon(QStringLiteral(":/sim/%1.svg").arg(QLatin1String(kImageFiles[i]))).pixmap(16, 16);
        return list;
    }();
    return images;
}

ResultTreeModel::ResultTreeModel(QObject* parent)
    : QAbstractItemModel(parent)
{
    const ImageList& images = resultIcons();
    for (const ResultState state : {ResultState::Unchanged, ResultState::Renamed, ResultState::Error}) {
        for (const EntryKind kind : {EntryKind::Folder, EntryKind::File}) {
            ResultNode probe;
            probe.state = state;
            probe.kind = kind;
            QIcon icon;
            icon.addPixmap(images[static_cast<std::size_t>(probe.imageIndex())], QIcon::Normal);
            icon.addPixmap(images[static_cast<std::size_t>(probe.selectedIndex())], QIcon::Selected);
            m_icons[static_cast<std::size_t>(iconSlot(probe))] = icon;
        }
    }
}

void ResultTreeModel::setTree(std::shared_ptr<const ResultTree> tree)
{
    beginResetModel();
    m_tree = std::move(tree);
    endResetModel();
}

std::int32_t ResultTreeModel::nodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<std::int32_t>(index.internalId()) : -1;
}

QModelIndex ResultTreeModel::indexOf(std::int32_t node) const
{
    if (!m_tree || node < 0 || static_cast<std::size_t>(node) >= m_tree->size())
        return {};
    return createIndex(m_tree->indexInParent(node), 0, static_cast<quintptr>(node));
}

QModelIndex ResultTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!m_tree || m_tree->empty() || column < 0 || column >= columns || row < 0)
        return {};
    if (!parent.isValid())
        return row == 0 ? createIndex(0, column, quintptr(0)) : QModelIndex();
    const ResultNode& node = m_tree->node(nodeOf(parent));
    if (static_cast<std::size_t>(row) >= node.children.size())
        return {};
    return createIndex(row, column, static_cast<quintptr>(node.children[static_cast<std::size_t>(row)]));
}

QModelIndex ResultTreeModel::parent(const QModelIndex& child) const
{
    if (!m_tree || !child.isValid())
        return {};
    return indexOf(m_tree->node(nodeOf(child)).parent);
}

int ResultTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!m_tree || m_tree->empty())
        return 0;
    if (!parent.isValid())
        return 1;
    if (parent.column() != 0)
        return 0;
    return static_cast<int>(m_tree->node(nodeOf(parent)).children.size());
}

int ResultTreeModel::columnCount(const QModelIndex&) const
{
    return columns;
}

QVariant ResultTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case colOldName:
        return QStringLiteral("Old name");
    case colNewName:
        return QStringLiteral("New name");
    case colResult:
        return QStringLiteral("Result");
    case colReason:
        return QStringLiteral("Reason");
    default:
        return {};
    }
}

bool ResultTreeModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant ResultTreeModel::data(const QModelIndex& index, int role) const
{
    if (!m_tree || !index.isValid())
        return {};
    const std::int32_t n = nodeOf(index);
    const ResultNode& node = m_tree->node(n);
    const bool root = n == 0;
    switch (role) {
    case Qt::DisplayRole:
        // The root row holds the starting folder's path alone: it is never renamed.
        switch (index.column()) {
        case colOldName:
            return bytesToText(node.nameBefore());
        case colNewName:
            return root ? QString() : bytesToText(node.newName());
        case colResult:
            return root ? QString() : resultText(node.state);
        case colReason:
            return bytesToText(m_tree->reason(n));
        default:
            return {};
        }
    case Qt::ToolTipRole: {
        // The result in one line ("new (was \"old\")" for an error), then why it would fail.
        const std::string_view reason = m_tree->reason(n);
        if (reason.empty())
            return plainToolTip(bytesToText(node.text));
        return plainToolTip(bytesToText(node.text) + QLatin1Char('\n') + bytesToText(reason));
    }
    case Qt::DecorationRole:
        if (index.column() != colOldName)
            return {};
        return m_icons[static_cast<std::size_t>(iconSlot(node))];
    case imageIndexRole:
        return node.imageIndex();
    case selectedIndexRole:
        return node.selectedIndex();
    default:
        return {};
    }
}

Qt::ItemFlags ResultTreeModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace brindle
