#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QPixmap>

#include <array>
#include <cstdint>
#include <memory>

#include "core/run/ResultTree.h"

namespace brindle
{

/// The nine 16 by 16 node images of the simulated result, by index: folder unchanged 0 (1 while
/// selected), file unchanged 2, folder renamed 3 (4), file renamed 5, folder in error 6 (7),
/// file in error 8.
using ImageList = std::array<QPixmap, 9>;

/// The node images, drawn once.
const ImageList& resultIcons();

/// A read-only item model over the tree a simulation built: one row per node, the root as the
/// only top-level row, the children in the order the run added them; the columns old name (with
/// the node's picture), new name, what the run would do, and why it would fail. It reads the
/// tree as it is, so it costs nothing to fill; setTree swaps trees in one reset.
class ResultTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    /// The image index shown normally and the one shown while selected (int).
    static constexpr int imageIndexRole = Qt::UserRole + 1;
    static constexpr int selectedIndexRole = Qt::UserRole + 2;
    enum Column { colOldName, colNewName, colResult, colReason, columns };

    explicit ResultTreeModel(QObject* parent = nullptr);

    /// Shows tree (none: an empty model). The tree must not change while it is shown.
    void setTree(std::shared_ptr<const ResultTree> tree);
    const ResultTree* tree() const { return m_tree.get(); }

    /// The tree node an index stands for; -1 for an invalid index.
    std::int32_t nodeOf(const QModelIndex& index) const;
    /// The index of a tree node.
    QModelIndex indexOf(std::int32_t node) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::shared_ptr<const ResultTree> m_tree;
    /// One icon per kind and state, with the selected picture for the selected mode.
    std::array<QIcon, 6> m_icons;
};

} // namespace brindle
