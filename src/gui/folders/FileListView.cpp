#include "gui/folders/FileListView.h"

#include <QAction>
#include <algorithm>

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "core/run/FileOps.h"
#include "gui/base/DisplayName.h"
#include "gui/base/NameText.h"
#include "gui/base/PlainText.h"
#include "gui/folders/FileListModel.h"
#include "gui/folders/NewNameDelegate.h"

namespace brindle
{

namespace
{

std::string childPath(const std::string& folder, std::string_view name)
{
    std::string path = folder;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

/// Hands the name typed in place to the list, which renames the entry itself as bytes,
/// instead of letting the model rename it through its text.
class RenameDelegate : public QStyledItemDelegate
{
public:
    RenameDelegate(FileListView* list, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_list(list)
    {
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        auto* edit = qobject_cast<QLineEdit*>(editor);
        if (!edit)
            return;
        // A name typed into the New name column is a new name by hand, not a rename now.
        if (index.column() == colNewName) {
            QStyledItemDelegate::setModelData(editor, model, index);
            return;
        }
        const QByteArray from = model->data(index, FileListModel::NameBytesRole).toByteArray();
        const std::string fromBytes(from.constData(), static_cast<std::size_t>(from.size()));
        // The symbols that stood for odd bytes give those bytes back.
        const std::string to = bytesFromEditedName(fromBytes, edit->text());
        if (to != fromBytes)
            m_list->renameItem(fromBytes, to);
    }

    /// Selects the name before the extension, as file managers do, so that typing keeps it.
    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        QStyledItemDelegate::setEditorData(editor, index);
        auto* edit = qobject_cast<QLineEdit*>(editor);
        if (!edit || index.data(FileListModel::EntryTypeRole).toInt() == static_cast<int>(EntryType::Folder))
            return;
        const auto dot = edit->text().lastIndexOf(QLatin1Char('.'));
        if (dot <= 0)
            return;
        // The view selects the whole text once the editor is set up; this comes after it.
        QTimer::singleShot(0, edit, [edit, dot] { edit->setSelection(0, static_cast<int>(dot)); });
    }

private:
    FileListView* m_list;
};

} // namespace

FileListView::FileListView(QWidget* parent)
    : QWidget(parent)
    , m_model(new FileListModel(this))
{
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("slvList"));
    m_details = new QTreeView(this);
    m_details->setObjectName(QStringLiteral("slvDetails"));
    m_details->setRootIsDecorated(false);
    m_details->setItemsExpandable(false);
    m_details->setUniformRowHeights(true);
    m_details->setAllColumnsShowFocus(true);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("slvStatus"));
    m_status->setWordWrap(true);
    m_status->setMargin(4);
    m_status->hide();
    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("slvNote"));
    m_note->setWordWrap(true);
    m_note->setMargin(4);
    m_note->hide();
    m_selection = new QItemSelectionModel(m_model, this);
    for (QAbstractItemView* view :
        {static_cast<QAbstractItemView*>(m_list), static_cast<QAbstractItemView*>(m_details)}) {
        view->setModel(m_model);
        view->setSelectionModel(m_selection);
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
        view->setItemDelegate(new RenameDelegate(this, view));
        connect(view, &QAbstractItemView::clicked, this, &FileListView::clicked);
        connect(view, &QAbstractItemView::activated, this, &FileListView::itemActivated);
    }
    // A double click in the New name column types a new name there.
    connect(m_details, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.column() == colNewName && (m_model->flags(index) & Qt::ItemIsEditable))
            m_details->edit(index);
    });
    // Sorting is the model's: the header only says which column and which way.
    m_details->header()->setSortIndicator(colName, Qt::AscendingOrder);
    m_details->setSortingEnabled(true);
    m_list->setUniformItemSizes(true);
    m_list->setLayoutMode(QListView::Batched);
    m_list->setBatchSize(2000);
    connect(m_model, &FileListModel::loaded, this, &FileListView::modelLoaded);
    // The New name column is drawn with its changes marked, and shown second, beside the name.
    m_details->setItemDelegateForColumn(colNewName, new NewNameDelegate(m_details));
    connect(m_model, &QAbstractItemModel::columnsInserted, this, &FileListView::arrangeColumns);

    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->setSpacing(0);
    box->addWidget(m_status);
    box->addWidget(m_note);
    m_stack = new QStackedLayout;
    m_stack->addWidget(m_list);
    m_stack->addWidget(m_details);
    box->addLayout(m_stack, 1);
    setViewStyle(2);
}

void FileListView::setFolder(const std::string& path)
{
    m_folder = path;
    m_selectWhenLoaded.clear();
    // While suspended the folder is only noted; refresh() reads it.
    if (m_suspended)
        return;
    m_status->hide();
    m_model->setFolder(path);
}

void FileListView::modelLoaded()
{
    const QString error = m_model->errorText();
    setPlainLabel(m_status, error);
    m_status->setVisible(!error.isEmpty());
    if (!m_selectWhenLoaded.empty()) {
        selectName(std::string_view(m_selectWhenLoaded));
        m_selectWhenLoaded.clear();
    }
}

QString FileListView::statusText() const
{
    return m_model->errorText();
}

bool FileListView::isLoaded() const
{
    return !m_suspended && m_model->isLoaded();
}

void FileListView::setNaturalOrder(bool natural)
{
    m_model->setNaturalOrder(natural);
}

void FileListView::setViewStyle(int style)
{
    m_style = style;
    switch (style) {
    case 0: // large icons
        m_list->setViewMode(QListView::IconMode);
        m_list->setIconSize(QSize(32, 32));
        m_list->setGridSize(QSize(96, 72));
        m_list->setWordWrap(true);
        m_stack->setCurrentWidget(m_list);
        break;
    case 1: // small icons: rows from left to right
        m_list->setViewMode(QListView::ListMode);
        m_list->setFlow(QListView::LeftToRight);
        m_list->setWrapping(true);
        m_list->setIconSize(QSize(16, 16));
        m_list->setGridSize(QSize(160, 22));
        m_list->setWordWrap(false);
        m_stack->setCurrentWidget(m_list);
        break;
    case 3: // details
        m_stack->setCurrentWidget(m_details);
        arrangeColumns();
        break;
    default: // list: columns from top to bottom
        m_list->setViewMode(QListView::ListMode);
        m_list->setFlow(QListView::TopToBottom);
        m_list->setWrapping(true);
        m_list->setIconSize(QSize(16, 16));
        m_list->setGridSize(QSize());
        m_list->setWordWrap(false);
        m_stack->setCurrentWidget(m_list);
        break;
    }
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
}

void FileListView::addContextAction(QAction* action)
{
    for (QAbstractItemView* view :
        {static_cast<QAbstractItemView*>(m_list), static_cast<QAbstractItemView*>(m_details)}) {
        view->setContextMenuPolicy(Qt::ActionsContextMenu);
        view->addAction(action);
    }
}

void FileListView::arrangeColumns()
{
    // Name, New name, then Size, Type and Date; the two names share what the others leave.
    QHeaderView* header = m_details->header();
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(40);
    header->setSectionResizeMode(colName, QHeaderView::Stretch);
    for (const int column : {colSize, colType, colDate})
        header->setSectionResizeMode(column, QHeaderView::Interactive);
    if (m_model->columnCount() > colNewName) {
        header->setSectionResizeMode(colNewName, QHeaderView::Stretch);
        header->moveSection(header->visualIndex(colNewName), 1);
    }
    fitColumns();
}

void FileListView::fitColumns()
{
    // Size, Type and Date at their usual widths, but never more than about two fifths of a
    // narrow list together: the names come first.
    const int width = m_details->width();
    QHeaderView* header = m_details->header();
    header->resizeSection(colSize, std::min(80, width * 12 / 100));
    header->resizeSection(colType, std::min(110, width * 13 / 100));
    header->resizeSection(colDate, std::min(140, width * 17 / 100));
}

void FileListView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_style == 3)
        fitColumns();
}

void FileListView::selectWhenLoaded(const std::string& name)
{
    if (isLoaded() && selectName(std::string_view(name)))
        return;
    m_selectWhenLoaded = name;
}

void FileListView::setNote(const QString& text)
{
    setPlainLabel(m_note, text);
    m_note->setVisible(!text.isEmpty());
}

QString FileListView::note() const
{
    return m_note->text();
}

void FileListView::setRunOrder(bool on)
{
    // Column -1 is the model's run order; the header then shows no column's arrow.
    m_details->sortByColumn(on ? -1 : colName, Qt::AscendingOrder);
}

QAbstractItemView* FileListView::currentView() const
{
    return m_style == 3 ? static_cast<QAbstractItemView*>(m_details)
                        : static_cast<QAbstractItemView*>(m_list);
}

std::optional<std::string> FileListView::selectedName() const
{
    const QModelIndexList rows = selectedItems();
    if (rows.isEmpty())
        return std::nullopt;
    return std::string(m_model->nameAt(rows.front().row()));
}

bool FileListView::selectName(std::string_view name)
{
    const int row = m_model->rowOf(name);
    if (row < 0)
        return false;
    const QModelIndex index = m_model->index(row, colName);
    m_selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    currentView()->scrollTo(index);
    return true;
}

bool FileListView::selectName(const QString& name)
{
    return selectName(std::string_view(textToBytes(name)));
}

QModelIndexList FileListView::selectedItems() const
{
    QModelIndexList items;
    for (const QModelIndex& index : m_selection->selectedIndexes()) {
        if (index.column() == colName)
            items.push_back(index);
    }
    return items;
}

void FileListView::editSelected()
{
    const QModelIndexList rows = selectedItems();
    if (!rows.isEmpty())
        currentView()->edit(rows.front());
}

bool FileListView::renameItem(const std::string& from, const std::string& to)
{
    const int row = m_model->rowOf(from);
    const bool isFolder = row >= 0 && m_model->typeAt(row) == EntryType::Folder;
    if (const Result<void> renamed = renameInFolder(m_folder, from, to); !renamed.ok()) {
        emit renameFailed(
            QStringLiteral("Cannot rename %1 to %2: %3")
                .arg(nameForDisplay(from), nameForDisplay(to), bytesToText(renamed.error().message)));
        return false;
    }
    // Read again at once rather than when the watch says so, and keep the entry selected.
    m_selectWhenLoaded = to;
    m_model->reload();
    emit itemRenamed(isFolder);
    return true;
}

void FileListView::refresh()
{
    const bool wasSuspended = m_suspended;
    m_suspended = false;
    if (wasSuspended) {
        m_stack->currentWidget()->show();
        m_model->setFolder(m_folder);
    } else if (m_model->folder() != m_folder) {
        m_model->setFolder(m_folder);
    } else {
        m_model->reload();
    }
}

void FileListView::suspend()
{
    m_model->stop();
    m_suspended = true;
    m_status->hide();
    m_stack->currentWidget()->hide();
}

void FileListView::itemActivated(const QModelIndex& index)
{
    if (!index.isValid() || index.column() == colNewName)
        return;
    // Links to folders are never entered, as the renaming never enters them.
    if (m_model->typeAt(index.row()) == EntryType::Folder)
        emit folderOpened(childPath(m_folder, m_model->nameAt(index.row())));
}

} // namespace brindle
