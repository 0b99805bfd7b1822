#pragma once

#include <QLabel>

#include <cstddef>

namespace brindle
{

struct NewNames;
class FileListModel;

/// What a plan of one folder comes to: the entries it holds, those that get a new name, those
/// the run fails on and, of these, those that clash with another name.
struct PlanCounts {
    std::size_t entries = 0;
    std::size_t renamed = 0;
    std::size_t failed = 0;
    std::size_t clashes = 0;
};

PlanCounts countPlan(const NewNames& names);

/// The summary line: "118 of 120 files get a new name; 2 cannot (clashes: 2)".
QString planSummaryText(const PlanCounts& counts);

/// The question Go asks when entries of the plan fail: "2 of 120 entries cannot be renamed:
/// <the first reasons>. Rename the other 118?"; each reason names the entry, the name it wanted
/// and why, as the New name column's tool tip says it.
QString failureQuestion(const FileListModel& model);

/// The line under the file list that sums up the New name column: how many entries get a new
/// name and how many cannot, in the palette's warning colour when any fails. A click on it
/// shows only the entries that fail, a second click all of them again.
class PlanSummaryBar : public QLabel
{
    Q_OBJECT

public:
    explicit PlanSummaryBar(FileListModel* model, QWidget* parent = nullptr);

    /// Draws the line from the model's New name column (empty: hidden).
    void refresh();

signals:
    /// Only the entries that fail are shown (true), or all (false).
    void onlyFailuresToggled(bool only);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void toggle();

    FileListModel* m_model;
    PlanCounts m_counts;
};

} // namespace brindle
