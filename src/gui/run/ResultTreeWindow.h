#pragma once

#include <QWidget>

#include <memory>

#include "core/jobs/RenameSession.h"
#include "core/run/ResultTree.h"

class QTreeView;

namespace Ui
{
class ResultTreeWindow;
}

namespace brindle
{

class ResultTreeModel;

/// The simulated result: the folder tree as it would look after the run, each folder and file
/// under its new name, marked unchanged, renamed or in error (a name clash), with a legend and
/// the result line. Destroyed when closed; the next simulation opens a new one.
class ResultTreeWindow : public QWidget
{
    Q_OBJECT

public:
    explicit ResultTreeWindow(QWidget* owner);
    ~ResultTreeWindow() override;

    /// The start of a simulation: the tree is emptied and the result line reset; tree is the
    /// tree the run fills, shown once the run is over.
    void beginSimulation(std::shared_ptr<const ResultTree> tree);
    /// The end of a simulation: the filled tree shown with its first level expanded, the
    /// result line set and the window brought to the front.
    void endSimulation(const RunStats& stats);

    QTreeView* treeView() const;
    ResultTreeModel& model() const { return *m_model; }

public slots:
    /// Expands every node, in one update.
    void btnExpandClick();
    /// Collapses everything, expands the root by one level and selects it, in one update.
    void btnExpandOneLevelClick();

private:
    std::unique_ptr<Ui::ResultTreeWindow> ui;
    ResultTreeModel* m_model = nullptr;
    std::shared_ptr<const ResultTree> m_pending;
};

} // namespace brindle
