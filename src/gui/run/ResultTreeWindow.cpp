#include "gui/run/ResultTreeWindow.h"

#include <QHeaderView>
#include <QIcon>
#include <QScreen>
#include <QShortcut>

#include "core/run/RenameRun.h"
#include "gui/run/ResultTreeModel.h"
#include "ui_ResultTreeWindow.h"

namespace brindle
{

ResultTreeWindow::ResultTreeWindow(QWidget* owner)
    : QWidget(owner)
    , ui(std::make_unique<Ui::ResultTreeWindow>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    m_model = new ResultTreeModel(this);
    ui->tvSim->setModel(m_model);
    ui->btnExpand->setIcon(QIcon(QStringLiteral(":/sim/expand_all.svg")));
    ui->btnExpandOneLevel->setIcon(QIcon(QStringLiteral(":/sim/expand_level.svg")));
    // The legend: folders unchanged, renamed, in error; then the same for files.
    const ImageList& images = resultIcons();
    ui->imgFolderUnchanged->setPixmap(images[0]);
    ui->imgFolderRenamed->setPixmap(images[3]);
    ui->imgFolderError->setPixmap(images[6]);
    ui->imgFileUnchanged->setPixmap(images[2]);
    ui->imgFileRenamed->setPixmap(images[5]);
    ui->imgFileError->setPixmap(images[8]);
    // Room between one picture's label and the next picture.
    for (QLabel* label :
        {ui->lblFolderUnchanged, ui->lblFolderRenamed, ui->lblFileUnchanged, ui->lblFileRenamed})
        label->setContentsMargins(0, 0, 10, 0);
    ui->layoutKey->setColumnStretch(ui->layoutKey->columnCount(), 1);
    // Old name | New name | Result | Reason: the two names share most of the width, the reason
    // takes the rest. The widths are set, not measured: measuring would read every row.
    QHeaderView* header = ui->tvSim->header();
    header->setStretchLastSection(true);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(ResultTreeModel::colOldName, 250);
    header->resizeSection(ResultTreeModel::colNewName, 250);
    header->resizeSection(ResultTreeModel::colResult,
        ui->tvSim->fontMetrics().horizontalAdvance(QStringLiteral("would be renamed")) + 24);
    // Wide enough for both names and a reason, never larger than the screen.
    QSize size(1000, 600);
    if (const QScreen* screen = owner ? owner->screen() : this->screen())
        size = size.boundedTo(screen->availableGeometry().size());
    resize(size);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    connect(ui->btnExpand, &QToolButton::clicked, this, &ResultTreeWindow::btnExpandClick);
    connect(ui->btnExpandOneLevel, &QToolButton::clicked, this, &ResultTreeWindow::btnExpandOneLevelClick);
}

ResultTreeWindow::~ResultTreeWindow() = default;

QTreeView* ResultTreeWindow::treeView() const
{
    return ui->tvSim;
}

void ResultTreeWindow::beginSimulation(std::shared_ptr<const ResultTree> tree)
{
    // The run fills the tree; the view shows it when it is complete.
    m_model->setTree(nullptr);
    m_pending = std::move(tree);
    ui->lblResult->setText(QStringLiteral("..."));
}

void ResultTreeWindow::endSimulation(const RunStats& stats)
{
    m_model->setTree(std::move(m_pending));
    // The starting folder's path has the whole row: it is never renamed.
    ui->tvSim->setFirstColumnSpanned(0, QModelIndex(), true);
    btnExpandOneLevelClick();
    // Nothing was renamed: the summary says what the run would do.
    ui->lblResult->setText(QStringLiteral("%1 files and %2 directories would be renamed.")
                               .arg(stats.filesRenamed)
                               .arg(stats.foldersRenamed));
    if (!isVisible())
        show();
    raise();
    activateWindow();
}

void ResultTreeWindow::btnExpandClick()
{
    ui->tvSim->setUpdatesEnabled(false);
    ui->tvSim->expandAll();
    ui->tvSim->setUpdatesEnabled(true);
}

void ResultTreeWindow::btnExpandOneLevelClick()
{
    const QModelIndex root = m_model->index(0, 0);
    if (!root.isValid())
        return;
    ui->tvSim->setUpdatesEnabled(false);
    ui->tvSim->collapseAll();
    ui->tvSim->expand(root);
    ui->tvSim->setCurrentIndex(root);
    ui->tvSim->setUpdatesEnabled(true);
}

} // namespace brindle
