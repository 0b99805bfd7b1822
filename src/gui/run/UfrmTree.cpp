#include "run/UfrmTree.h"

#include <QIcon>

#include "run/URenameRun.h"
#include "run/UResultTreeModel.h"
#include "ui_UfrmTree.h"

namespace brindle
{

TfrmTree::TfrmTree(QWidget* owner)
    : QWidget(owner)
    , ui(std::make_unique<Ui::TfrmTree>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    m_model = new TResultTreeModel(this);
    ui->tvSim->setModel(m_model);
    ui->btnExpand->setIcon(QIcon(QStringLiteral(":/sim/expand_all.svg")));
    ui->btnExpandOneLevel->setIcon(QIcon(QStringLiteral(":/sim/expand_level.svg")));
    // The legend: folders unchanged, renamed, in error; then the same for files.
    const TImageList& images = ImageList1();
    ui->Image1->setPixmap(images[0]);
    ui->Image2->setPixmap(images[3]);
    ui->Image3->setPixmap(images[6]);
    ui->Image4->setPixmap(images[2]);
    ui->Image5->setPixmap(images[5]);
    ui->Image6->setPixmap(images[8]);
    // Room between one picture's label and the next picture.
    for (QLabel* label : {ui->Label3, ui->Label4, ui->Label6, ui->Label7})
        label->setContentsMargins(0, 0, 10, 0);
    ui->layoutKey->setColumnStretch(ui->layoutKey->columnCount(), 1);
    resize(380, 315);
    connect(ui->btnExpand, &QToolButton::clicked, this, &TfrmTree::btnExpandClick);
    connect(ui->btnExpandOneLevel, &QToolButton::clicked, this, &TfrmTree::btnExpandOneLevelClick);
}

TfrmTree::~TfrmTree() = default;

QTreeView* TfrmTree::TreeView() const
{
    return ui->tvSim;
}

void TfrmTree::BeginSimulation(std::shared_ptr<const TResultTree> tree)
{
    // The run fills the tree; the view shows it when it is complete.
    m_model->SetTree(nullptr);
    m_pending = std::move(tree);
    ui->lblResult->setText(QStringLiteral("..."));
}

void TfrmTree::EndSimulation(const TRunStats& stats)
{
    m_model->SetTree(std::move(m_pending));
    btnExpandOneLevelClick();
    ui->lblResult->setText(QString::fromStdString(SimulationResultText(stats)));
    if (!isVisible())
        show();
    raise();
    activateWindow();
}

void TfrmTree::btnExpandClick()
{
    ui->tvSim->setUpdatesEnabled(false);
    ui->tvSim->expandAll();
    ui->tvSim->setUpdatesEnabled(true);
}

void TfrmTree::btnExpandOneLevelClick()
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
