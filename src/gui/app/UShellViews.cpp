#include "app/UShellViews.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QStackedLayout>
#include <QStyledItemDelegate>
#include <QTimer>

#include "base/UFileUtil.h"
#include "base/UNameText.h"
#include "run/UFileOps.h"

namespace brindle
{

namespace
{

/// Icons of the desktop's theme with those of the widget style where the theme has none: the
/// model's own provider knows only the theme, and a desktop without one would show no icons.
QFileIconProvider* iconProvider()
{
    static QFileIconProvider provider;
    return &provider;
}

} // namespace

// ---- folder tree

TShellTreeView::TShellTreeView(QWidget* parent)
    : QTreeView(parent)
{
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    setAnimated(false);
    buildModel();
}

void TShellTreeView::buildModel()
{
    auto* model = new QFileSystemModel(this);
    // The tree is read when it is shown and again on request, not watched.
    model->setOption(QFileSystemModel::DontWatchForChanges, true);
    model->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot | QDir::NoSymLinks);
    model->setReadOnly(true);
    model->setIconProvider(iconProvider());
    model->setRootPath(QStringLiteral("/"));
    QFileSystemModel* old = m_model;
    QItemSelectionModel* oldSelection = selectionModel();
    m_model = model;
    setModel(model);
    for (int c = 1; c < model->columnCount(); ++c)
        hideColumn(c);
    connect(
        selectionModel(), &QItemSelectionModel::currentChanged, this, &TShellTreeView::currentFolderChanged);
    delete oldSelection;
    delete old;
}

bool TShellTreeView::setPath(const std::string& path)
{
    const std::string clean = AbsolutePath(path);
    if (clean.empty() || !IsExistingFolder(clean))
        return false;
    // The tree can show the folder only when its text leads back to these very bytes: the file
    // system model leaves out names that are not valid in the encoding of file names.
    const QString text = BytesToText(clean);
    if (TextToBytes(text) != clean)
        return false;
    return selectText(text);
}

bool TShellTreeView::selectText(const QString& path)
{
    const QModelIndex index = m_model->index(path);
    if (!index.isValid())
        return false;
    setCurrentIndex(index);
    scrollTo(index);
    m_keepSelectionInView = true;
    return true;
}

void TShellTreeView::folderLoaded()
{
    // Once the view has laid out the rows that came in.
    if (m_keepSelectionInView)
        QTimer::singleShot(0, this, [this] {
            if (m_keepSelectionInView && currentIndex().isValid()) {
                executeDelayedItemsLayout();
                scrollTo(currentIndex());
            }
        });
}

void TShellTreeView::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    folderLoaded();
}

void TShellTreeView::mousePressEvent(QMouseEvent* event)
{
    m_keepSelectionInView = false;
    QTreeView::mousePressEvent(event);
}

void TShellTreeView::keyPressEvent(QKeyEvent* event)
{
    m_keepSelectionInView = false;
    QTreeView::keyPressEvent(event);
}

void TShellTreeView::wheelEvent(QWheelEvent* event)
{
    m_keepSelectionInView = false;
    QTreeView::wheelEvent(event);
}

std::string TShellTreeView::path() const
{
    const QString text = pathText();
    return text.isEmpty() ? std::string() : TextToBytes(text);
}

QString TShellTreeView::pathText() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? m_model->filePath(index) : QString();
}

void TShellTreeView::refresh()
{
    QString current = pathText();
    if (current.isEmpty())
        return;
    const bool wasExpanded = isExpanded(currentIndex());
    buildModel();
    // The folder may have gone: take the nearest folder above it that is still there.
    while (!QFileInfo(current).isDir() && current != QLatin1String("/"))
        current = QFileInfo(current).path();
    if (selectText(current) && wasExpanded)
        expand(currentIndex());
}

void TShellTreeView::currentFolderChanged()
{
    const QString text = pathText();
    if (!text.isEmpty())
        emit pathChanged(text);
}

// ---- file list

namespace
{

/// Hands the name typed in place to the list, which renames the entry itself as bytes,
/// instead of letting the model rename it through its text.
class TRenameDelegate : public QStyledItemDelegate
{
public:
    TRenameDelegate(TShellListView* list, QObject* parent)
        : QStyledItemDelegate(parent)
        , m_list(list)
    {
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        auto* edit = qobject_cast<QLineEdit*>(editor);
        if (!edit)
            return;
        const QString from = model->data(index, Qt::EditRole).toString();
        const QString to = edit->text();
        if (to != from)
            m_list->renameItem(from, to);
    }

private:
    TShellListView* m_list;
};

} // namespace

TShellListView::TShellListView(QWidget* parent)
    : QWidget(parent)
{
    m_list = new QListView(this);
    m_list->setObjectName(QStringLiteral("slvList"));
    m_details = new QTreeView(this);
    m_details->setObjectName(QStringLiteral("slvDetails"));
    m_details->setRootIsDecorated(false);
    m_details->setItemsExpandable(false);
    m_details->setSortingEnabled(true);
    m_details->setUniformRowHeights(true);
    m_details->setAllColumnsShowFocus(true);
    for (QAbstractItemView* view :
        {static_cast<QAbstractItemView*>(m_list), static_cast<QAbstractItemView*>(m_details)}) {
        view->setSelectionMode(QAbstractItemView::SingleSelection);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
        view->setItemDelegate(new TRenameDelegate(this, view));
        connect(view, &QAbstractItemView::clicked, this, &TShellListView::clicked);
        connect(view, &QAbstractItemView::activated, this, &TShellListView::itemActivated);
    }
    m_stack = new QStackedLayout(this);
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_stack->addWidget(m_list);
    m_stack->addWidget(m_details);
    buildModel();
    setViewStyle(2);
}

void TShellListView::buildModel()
{
    auto* model = new QFileSystemModel(this);
    model->setFilter(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    // Editable so that items can be renamed in place; the delegate does the renaming.
    model->setReadOnly(false);
    model->setIconProvider(iconProvider());
    auto* selection = new QItemSelectionModel(model, this);
    QFileSystemModel* old = m_model;
    QItemSelectionModel* oldSelection = m_selection;
    m_model = model;
    m_selection = selection;
    m_list->setModel(model);
    m_details->setModel(model);
    m_list->setSelectionModel(selection);
    m_details->setSelectionModel(selection);
    m_details->sortByColumn(0, Qt::AscendingOrder);
    connect(model, &QFileSystemModel::directoryLoaded, this, [this](const QString& path) {
        if (path == m_folder)
            m_loaded = true;
    });
    delete oldSelection;
    delete old;
    if (!m_folder.isEmpty())
        setFolder(m_folder);
}

void TShellListView::setFolder(const QString& path)
{
    // While suspended the folder is only noted; refresh() reads it.
    if (m_suspended) {
        m_folder = path;
        m_loaded = false;
        return;
    }
    if (path != m_folder || !m_loaded)
        m_loaded = false;
    m_folder = path;
    const QModelIndex root = m_model->setRootPath(path);
    m_list->setRootIndex(root);
    m_details->setRootIndex(root);
    m_model->sort(0, Qt::AscendingOrder);
}

QString TShellListView::folder() const
{
    return m_folder;
}

void TShellListView::setViewStyle(int style)
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
        m_details->header()->resizeSection(0, 220);
        m_details->header()->resizeSection(1, 80);
        m_details->header()->resizeSection(2, 110);
        m_details->header()->resizeSection(3, 140);
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
    m_list->setUniformItemSizes(style != 0);
}

QAbstractItemView* TShellListView::currentView() const
{
    return m_style == 3 ? static_cast<QAbstractItemView*>(m_details)
                        : static_cast<QAbstractItemView*>(m_list);
}

std::optional<std::string> TShellListView::selectedName() const
{
    const QModelIndexList rows = selectedItems();
    if (rows.isEmpty())
        return std::nullopt;
    const std::string path = TextToBytes(m_model->filePath(rows.front()));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool TShellListView::selectName(const QString& name)
{
    const QModelIndex index = m_model->index(QDir(m_folder).filePath(name));
    if (!index.isValid() || index.parent() != m_list->rootIndex())
        return false;
    m_selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return true;
}

QModelIndexList TShellListView::selectedItems() const
{
    QModelIndexList items;
    for (const QModelIndex& index : m_selection->selectedIndexes()) {
        if (index.column() == 0)
            items.push_back(index);
    }
    return items;
}

void TShellListView::editSelected()
{
    const QModelIndexList rows = selectedItems();
    if (!rows.isEmpty())
        currentView()->edit(rows.front());
}

bool TShellListView::renameItem(const QString& from, const QString& to)
{
    const std::string folderBytes = TextToBytes(m_folder);
    const std::string oldPath = TextToBytes(QDir(m_folder).filePath(from));
    const std::size_t slash = oldPath.rfind('/');
    const std::string oldName = slash == std::string::npos ? oldPath : oldPath.substr(slash + 1);
    const std::string newName = TextToBytes(to);
    struct stat st;
    const bool isFolder = ::lstat(oldPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    std::string error;
    if (!RenameInFolder(folderBytes, oldName, newName, error)) {
        emit renameFailed(QStringLiteral("Cannot rename %1 to %2: %3")
                              .arg(from, to, BytesToText(error)));
        return false;
    }
    emit itemRenamed(isFolder);
    return true;
}

void TShellListView::refresh()
{
    // A new model reads the folder again: not loaded until it says so.
    m_loaded = false;
    const bool wasSuspended = m_suspended;
    m_suspended = false;
    buildModel();
    if (wasSuspended)
        m_stack->currentWidget()->show();
}

void TShellListView::suspend()
{
    // A model without a folder takes the place of the one that may still be reading.
    const QString folder = m_folder;
    m_folder.clear();
    buildModel();
    m_folder = folder;
    m_loaded = false;
    m_suspended = true;
    m_stack->currentWidget()->hide();
}

void TShellListView::itemActivated(const QModelIndex& index)
{
    if (!index.isValid())
        return;
    const QFileInfo info = m_model->fileInfo(index);
    // Links to folders are never entered, as the renaming never enters them.
    if (info.isDir() && !info.isSymLink())
        emit folderOpened(m_model->filePath(index));
}

} // namespace brindle
