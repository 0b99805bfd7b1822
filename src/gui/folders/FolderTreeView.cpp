#include "gui/folders/FolderTreeView.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>

#include "core/base/FileIo.h"
#include "gui/folders/FolderTreeModel.h"

namespace brindle
{

FolderTreeView::FolderTreeView(QWidget* parent)
    : QTreeView(parent)
    , m_model(new FolderTreeModel(this))
{
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    setAnimated(false);
    setModel(m_model);
    connect(
        selectionModel(), &QItemSelectionModel::currentChanged, this, &FolderTreeView::currentFolderChanged);
    connect(m_model, &FolderTreeModel::folderListed, this, &FolderTreeView::folderLoaded);
}

bool FolderTreeView::setPath(const std::string& path)
{
    const std::string clean = absolutePath(path);
    if (clean.empty() || !isExistingFolder(clean))
        return false;
    const QModelIndex index = m_model->indexOfPath(clean);
    if (!index.isValid())
        return false;
    setCurrentIndex(index);
    scrollTo(index);
    m_keepSelectionInView = true;
    return true;
}

void FolderTreeView::folderLoaded()
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

void FolderTreeView::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    folderLoaded();
}

void FolderTreeView::mousePressEvent(QMouseEvent* event)
{
    m_keepSelectionInView = false;
    QTreeView::mousePressEvent(event);
}

void FolderTreeView::keyPressEvent(QKeyEvent* event)
{
    m_keepSelectionInView = false;
    QTreeView::keyPressEvent(event);
}

void FolderTreeView::wheelEvent(QWheelEvent* event)
{
    m_keepSelectionInView = false;
    QTreeView::wheelEvent(event);
}

void FolderTreeView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end)
{
    // The selected folder, or one above it, has gone: the folder above the ones that go is
    // selected instead (the view would pick a neighbour).
    for (QModelIndex at = currentIndex(); at.isValid(); at = at.parent()) {
        if (at.parent() == parent && at.row() >= start && at.row() <= end) {
            setCurrentIndex(parent);
            break;
        }
    }
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
}

std::string FolderTreeView::path() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? m_model->pathOf(index) : std::string();
}

void FolderTreeView::refresh()
{
    if (!currentIndex().isValid())
        return;
    m_model->refresh();
}

void FolderTreeView::currentFolderChanged()
{
    const std::string bytes = path();
    if (!bytes.empty())
        emit pathChanged(bytes);
}

} // namespace brindle
