#include "run/UResultTreeModel.h"

#include <QIcon>

#include "base/UNameText.h"

namespace brindle
{

namespace
{

constexpr std::array<const char*, 9> kImageFiles {"folder", "folder_selected", "file", "folder_renamed",
    "folder_renamed_selected", "file_renamed", "folder_error", "folder_error_selected", "file_error"};

int iconSlot(const TResultNode& node)
{
    return static_cast<int>(node.State) * 2 + (node.Kind == TEntryKind::Folder ? 0 : 1);
}

} // namespace

const TImageList& ImageList1()
{
    static const TImageList images = [] {
        TImageList list;
        for (std::size_t i = 0; i < kImageFiles.size(); ++i)
            list[i] = QIcon(QStringLiteral(":/sim/%1.svg").arg(QLatin1String(kImageFiles[i]))).pixmap(16, 16);
        return list;
    }();
    return images;
}

TResultTreeModel::TResultTreeModel(QObject* parent)
    : QAbstractItemModel(parent)
{
    const TImageList& images = ImageList1();
    for (const TResultState state : {TResultState::Unchanged, TResultState::Renamed, TResultState::Error}) {
        for (const TEntryKind kind : {TEntryKind::Folder, TEntryKind::File}) {
            TResultNode probe;
            probe.State = state;
            probe.Kind = kind;
            QIcon icon;
            icon.addPixmap(images[static_cast<std::size_t>(probe.ImageIndex())], QIcon::Normal);
            icon.addPixmap(images[static_cast<std::size_t>(probe.SelectedIndex())], QIcon::Selected);
            m_icons[static_cast<std::size_t>(iconSlot(probe))] = icon;
        }
    }
}

void TResultTreeModel::SetTree(std::shared_ptr<const TResultTree> tree)
{
    beginResetModel();
    m_tree = std::move(tree);
    endResetModel();
}

std::int32_t TResultTreeModel::NodeOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<std::int32_t>(index.internalId()) : -1;
}

QModelIndex TResultTreeModel::IndexOf(std::int32_t node) const
{
    if (!m_tree || node < 0 || static_cast<std::size_t>(node) >= m_tree->Size())
        return {};
    return createIndex(m_tree->IndexInParent(node), 0, static_cast<quintptr>(node));
}

QModelIndex TResultTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!m_tree || m_tree->Empty() || column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row == 0 ? createIndex(0, 0, quintptr(0)) : QModelIndex();
    const TResultNode& node = m_tree->Node(NodeOf(parent));
    if (static_cast<std::size_t>(row) >= node.Children.size())
        return {};
    return createIndex(row, 0, static_cast<quintptr>(node.Children[static_cast<std::size_t>(row)]));
}

QModelIndex TResultTreeModel::parent(const QModelIndex& child) const
{
    if (!m_tree || !child.isValid())
        return {};
    return IndexOf(m_tree->Node(NodeOf(child)).Parent);
}

int TResultTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!m_tree || m_tree->Empty())
        return 0;
    if (!parent.isValid())
        return 1;
    if (parent.column() != 0)
        return 0;
    return static_cast<int>(m_tree->Node(NodeOf(parent)).Children.size());
}

int TResultTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool TResultTreeModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant TResultTreeModel::data(const QModelIndex& index, int role) const
{
    if (!m_tree || !index.isValid())
        return {};
    const TResultNode& node = m_tree->Node(NodeOf(index));
    switch (role) {
    case Qt::DisplayRole:
        return BytesToText(node.Text);
    case Qt::ToolTipRole: {
        // An error's tooltip says why the real run would fail there.
        const std::string_view reason = m_tree->Reason(NodeOf(index));
        if (reason.empty())
            return BytesToText(node.Text);
        return BytesToText(node.Text) + QLatin1Char('\n') + BytesToText(reason);
    }
    case Qt::DecorationRole:
        return m_icons[static_cast<std::size_t>(iconSlot(node))];
    case ImageIndexRole:
        return node.ImageIndex();
    case SelectedIndexRole:
        return node.SelectedIndex();
    default:
        return {};
    }
}

Qt::ItemFlags TResultTreeModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace brindle
