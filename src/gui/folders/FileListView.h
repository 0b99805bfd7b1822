#pragma once

#include <QAbstractItemView>
#include <QWidget>

#include <optional>
#include <string>
#include <string_view>

class QAction;
class QItemSelectionModel;
class QLabel;
class QListView;
class QStackedLayout;
class QTreeView;

namespace brindle
{

class FileListModel;

/// The file list: the folders and files of one folder, in one of four view styles (0 large
/// icons, 1 small icons, 2 list, 3 details). Items may be renamed in place. The folder is
/// watched while shown.
class FileListView : public QWidget
{
    Q_OBJECT

public:
    explicit FileListView(QWidget* parent = nullptr);

    /// Shows the folder path (bytes), as the folder tree gives it.
    void setFolder(const std::string& path);
    /// The folder shown, as bytes; empty before the first setFolder.
    const std::string& folder() const { return m_folder; }

    /// 0 large icons, 1 small icons, 2 list, 3 details. Another value shows the list style.
    void setViewStyle(int style);
    int viewStyle() const { return m_style; }
    /// Names sorted in natural number order (as the run sorts them with that setting) or not.
    void setNaturalOrder(bool natural);

    /// The name of the selected item (the first one) as bytes, or none when nothing is selected.
    std::optional<std::string> selectedName() const;
    /// Selects the item of that name (bytes, or text) in the folder shown; false when it is
    /// not there.
    bool selectName(std::string_view name);
    bool selectName(const QString& name);
    /// Selects the item of that name (bytes) once the folder being read is there; at once when
    /// it is.
    void selectWhenLoaded(const std::string& name);
    /// Starts renaming the selected item in place.
    void editSelected();
    /// Renames the item from (bytes) in the folder shown to to (bytes); a failure is reported
    /// through renameFailed.
    bool renameItem(const std::string& from, const std::string& to);

    /// Reads the folder again from the file system (and ends a suspension); the selection stays.
    void refresh();
    /// Stops reading, watching and showing the folder until the next refresh(): a run is about
    /// to rename what the list holds, and reading a large folder meanwhile would slow it down.
    void suspend();
    bool isSuspended() const { return m_suspended; }
    /// Whether the folder shown has been read completely since the last setFolder or refresh.
    bool isLoaded() const;
    /// Why the folder cannot be shown, as the list says it; empty while it can.
    QString statusText() const;

    /// A note above the list (why the New name column is empty); empty hides it.
    void setNote(const QString& text);
    /// Adds an action to the context menu of the views.
    void addContextAction(QAction* action);
    QString note() const;
    /// Orders the list as the run takes its entries (on while sorting before processing),
    /// or by name.
    void setRunOrder(bool on);

    /// The view showing the current style (for tests and focus).
    QAbstractItemView* currentView() const;
    FileListModel* listModel() const { return m_model; }

protected:
    void resizeEvent(QResizeEvent* event) override;

signals:
    /// A click on an item or on the empty space of the list.
    void clicked();
    /// A folder of the list was opened (double click or Enter); path as bytes.
    void folderOpened(const std::string& path);
    /// An item renamed in place; folder is true when it was a folder.
    void itemRenamed(bool folder);
    /// An in-place renaming failed; the text says why.
    void renameFailed(const QString& message);

private:
    void itemActivated(const QModelIndex& index);
    void modelLoaded();
    /// The details' columns: Name and New name first, sharing the width.
    void arrangeColumns();
    /// The widths of Size, Type and Date for the list's width.
    void fitColumns();
    /// The selected rows, one index (column 0) each.
    QModelIndexList selectedItems() const;

    FileListModel* m_model = nullptr;
    QItemSelectionModel* m_selection = nullptr;
    QListView* m_list = nullptr;
    QTreeView* m_details = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_note = nullptr;
    QStackedLayout* m_stack = nullptr;
    std::string m_folder;
    /// Selected once the folder has been read again after a rename in place.
    std::string m_selectWhenLoaded;
    int m_style = 2;
    bool m_suspended = false;
};

} // namespace brindle
