#pragma once

#include <QWidget>

#include <memory>

#include "jobs/URenameSession.h"
#include "run/UResultTree.h"

class QTreeView;

namespace Ui
{
class TfrmTree;
}

namespace brindle
{

class TResultTreeModel;

/// The simulated result: the folder tree as it would look after the run, each folder and file
/// under its new name, marked unchanged, renamed or in error (a name clash), with a legend and
/// the result line. Destroyed when closed; the next simulation opens a new one.
class TfrmTree : public QWidget
{
    Q_OBJECT

public:
    explicit TfrmTree(QWidget* owner);
    ~TfrmTree() override;

    /// The start of a simulation: the tree is emptied and the result line reset; tree is the
    /// tree the run fills, shown once the run is over.
    void BeginSimulation(std::shared_ptr<const TResultTree> tree);
    /// The end of a simulation: the filled tree shown with its first level expanded, the
    /// result line set and the window brought to the front.
    void EndSimulation(const TRunStats& stats);

    QTreeView* TreeView() const;
    TResultTreeModel& Model() const { return *m_model; }

public slots:
    /// Expands every node, in one update.
    void btnExpandClick();
    /// Collapses everything, expands the root by one level and selects it, in one update.
    void btnExpandOneLevelClick();

private:
    std::unique_ptr<Ui::TfrmTree> ui;
    TResultTreeModel* m_model = nullptr;
    std::shared_ptr<const TResultTree> m_pending;
};

} // namespace brindle
