#pragma once

#include <QTreeView>

#include <string>

namespace brindle
{

class FolderTreeModel;

/// The folder tree: folders only, from the root of the file system down, every name whatever
/// its bytes. It is not refreshed automatically; refresh() reads it again.
class FolderTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit FolderTreeView(QWidget* parent = nullptr);

    /// Selects the folder path (bytes; a relative one is taken from the current folder) and
    /// shows it; false, and the selection kept, when it is not an existing folder.
    bool setPath(const std::string& path);
    /// The selected folder as bytes; empty when nothing is selected.
    std::string path() const;
    /// Reads the tree again from the file system; the selected folder stays selected, or, when
    /// it has gone, the folder above it. Nothing happens when no folder is selected.
    void refresh();
    FolderTreeModel* folderModel() const { return m_model; }

signals:
    /// The selected folder changed; path as bytes.
    void pathChanged(const std::string& path);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    /// Scrolls the selected folder back into view while the tree is still being filled in.
    void folderLoaded();
    void currentFolderChanged();

    FolderTreeModel* m_model = nullptr;
    /// The folders above a newly selected one are read in the background and push it down;
    /// until the user acts in the tree, it is scrolled back into view after each of them.
    bool m_keepSelectionInView = false;
};

} // namespace brindle
