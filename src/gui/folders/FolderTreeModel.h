#pragma once

#include <QAbstractItemModel>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gui/base/LatestTask.h"

namespace brindle
{

/// The folder tree's model: the folders of the file system from "/" down, read through the
/// core's listing of subfolders (bytes as they are, links never taken for folders) on a worker
/// thread as each folder is opened. Hidden folders are left out, except those on a path that
/// was asked for (setPath), which stay, like every folder on such a path. A folder read again
/// while it is being read takes the newer listing. Names of any bytes
/// are shown (see nameForDisplay) and kept as bytes, and so is every path.
class FolderTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    /// The exact name of a folder, QByteArray.
    static constexpr int NameBytesRole = Qt::UserRole + 1;

    explicit FolderTreeModel(QObject* parent = nullptr);
    ~FolderTreeModel() override;

    /// The folder of the absolute path (bytes, no "." or ".." in it, no trailing "/"), made at
    /// once with the folders above it when they have not been read yet; the folders above it
    /// are then read in the background. The caller makes sure it is a folder.
    QModelIndex indexOfPath(const std::string& path);
    /// The path of a folder, as bytes.
    std::string pathOf(const QModelIndex& index) const;
    /// Reads again every folder that has been read, keeping those still there.
    void refresh();
    /// Folders being read now (none: the tree is as the disk was when last read).
    int pending() const { return static_cast<int>(m_tasks.pending()); }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& index) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

signals:
    /// The subfolders of parent have been read (and merged in).
    void folderListed(const QModelIndex& parent);

private:
    struct Node;
    struct Listed;
    Node* nodeOf(const QModelIndex& index) const;
    QModelIndex indexOf(Node* node) const;
    Node* findChild(Node* parent, std::string_view name) const;
    Node* addChild(Node* parent, std::string name, bool pinned);
    void list(Node* node);
    void merge(const std::string& path, std::vector<Listed> listed, bool ok);

    std::unique_ptr<Node> m_top;
    /// One listing task per folder path: a folder read again while it is being read takes
    /// the newer listing. Last: waited for before anything else goes.
    LatestTask m_tasks;
};

} // namespace brindle
