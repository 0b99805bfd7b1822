#pragma once

#include <QTreeView>
#include <QWidget>

#include <optional>
#include <string>

class QFileSystemModel;
class QItemSelectionModel;
class QListView;
class QStackedLayout;

namespace brindle
{

/// The folder tree: folders only, from the root of the file system down. It is not refreshed
/// automatically; refresh() reads it again.
class TShellTreeView : public QTreeView
{
    Q_OBJECT

public:
    explicit TShellTreeView(QWidget* parent = nullptr);

    /// Selects the folder path (bytes; a relative one is taken from the current folder) and
    /// shows it; false, and the selection kept, when it is not an existing folder that the tree
    /// can show (the file system model leaves out names that are not valid in the encoding of
    /// file names, and folders below them).
    bool setPath(const std::string& path);
    /// The selected folder as bytes; empty when nothing is selected.
    std::string path() const;
    /// The selected folder as the tree shows it; empty when nothing is selected.
    QString pathText() const;
    /// Reads the tree again from the file system and selects the same folder again, or the
    /// nearest one above it that still exists. Nothing happens when no folder is selected.
    void refresh();

signals:
    /// The selected folder changed; path is as the model gives it.
    void pathChanged(const QString& path);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void buildModel();
    /// Scrolls the selected folder back into view while the tree is still being filled in.
    void folderLoaded();
    bool selectText(const QString& path);
    void currentFolderChanged();

    QFileSystemModel* m_model = nullptr;
    /// The folders above a newly selected one are read in the background and push it down;
    /// until the user acts in the tree, it is scrolled back into view after each of them.
    bool m_keepSelectionInView = false;
};

/// The file list: the folders and files of one folder, in one of four view styles (0 large
/// icons, 1 small icons, 2 list, 3 details). Items may be renamed in place.
class TShellListView : public QWidget
{
    Q_OBJECT

public:
    explicit TShellListView(QWidget* parent = nullptr);

    /// Shows the folder path, as the folder tree gives it.
    void setFolder(const QString& path);
    /// The folder shown, as text; empty before the first setFolder.
    QString folder() const;

    /// 0 large icons, 1 small icons, 2 list, 3 details. Another value shows the list style.
    void setViewStyle(int style);
    int viewStyle() const { return m_style; }

    /// The name of the selected item (the first one) as bytes, or none when nothing is selected.
    std::optional<std::string> selectedName() const;
    /// Selects the item of that name (as text) in the folder shown; false when it is not there.
    bool selectName(const QString& name);
    /// Starts renaming the selected item in place.
    void editSelected();
    /// Renames the item called from (text) in the folder shown to the name typed; a failure
    /// is reported through renameFailed.
    bool renameItem(const QString& from, const QString& to);

    /// Reads the folder again from the file system (and ends a suspension).
    void refresh();
    /// Stops reading and showing the folder until the next refresh(): a run is about to rename
    /// what the list holds, and reading a large folder meanwhile would slow the run down.
    void suspend();
    bool isSuspended() const { return m_suspended; }
    /// Whether the folder shown has been read completely since the last setFolder or refresh.
    bool isLoaded() const { return m_loaded; }

    /// The view showing the current style (for tests and focus).
    QAbstractItemView* currentView() const;

signals:
    /// A click on an item or on the empty space of the list.
    void clicked();
    /// A folder of the list was opened (double click or Enter); path as the model gives it.
    void folderOpened(const QString& path);
    /// An item renamed in place; folder is true when it was a folder.
    void itemRenamed(bool folder);
    /// An in-place renaming failed; the text says why.
    void renameFailed(const QString& message);

private:
    void buildModel();
    void itemActivated(const QModelIndex& index);
    /// The selected items, one index (column 0) each.
    QModelIndexList selectedItems() const;

    QFileSystemModel* m_model = nullptr;
    QItemSelectionModel* m_selection = nullptr;
    QListView* m_list = nullptr;
    QTreeView* m_details = nullptr;
    QStackedLayout* m_stack = nullptr;
    QString m_folder;
    int m_style = 2;
    bool m_loaded = false;
    bool m_suspended = false;
};

} // namespace brindle
