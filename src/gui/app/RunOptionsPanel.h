#pragma once

#include <QObject>

#include <cstdint>
#include <string>
#include <vector>

#include "core/run/RunHost.h"

class QAbstractButton;
class QComboBox;
class QSpinBox;

namespace brindle
{

struct AppOptions;

/// The controls of the run options in the main window's form.
struct RunOptionsControls {
    QComboBox* mask = nullptr;
    QSpinBox* counterStart = nullptr;
    QAbstractButton* recurse = nullptr;
    QAbstractButton* renameDirs = nullptr;
    QAbstractButton* resetCounter = nullptr;
    QAbstractButton* sort = nullptr;
    QAbstractButton* nameAsc = nullptr;
    QAbstractButton* nameDesc = nullptr;
    QAbstractButton* dateAsc = nullptr;
    QAbstractButton* dateDesc = nullptr;
    QAbstractButton* naturalSort = nullptr;
    QAbstractButton* confirm = nullptr;
    QAbstractButton* undo = nullptr;
    QAbstractButton* log = nullptr;
    QAbstractButton* simulation = nullptr;
    QAbstractButton* takenAsc = nullptr;
    QAbstractButton* takenDesc = nullptr;
};

/// The options of a run in the main window: the file mask with its history, the counter's
/// starting number, the option check boxes and the sort order. It gives the run options,
/// takes and gives the settings, and announces every change.
class RunOptionsPanel : public QObject
{
    Q_OBJECT

public:
    RunOptionsPanel(const RunOptionsControls& controls, QObject* parent);

    /// The options as the controls give them now; the starting folder is left empty.
    RunOptions options() const;
    /// The starting number of the counter; a text that is no whole number counts as 0.
    std::int32_t counterStart() const;
    /// Whether "Recurse into subdirectories" is on (undo follows it too).
    bool recurse() const;

    /// Puts the stored options, the mask and its history into the controls.
    void applySettings(const AppOptions& settings);
    /// Copies the controls into settings.
    void storeSettings(AppOptions& settings) const;

    /// Records the current mask in the history.
    void rememberMask();

signals:
    /// Any option, the mask or the counter's start changed.
    void changed();
    /// Simulation mode was switched (also when the settings are applied).
    void simulationChanged(bool simulation);
    /// Sorting before processing was switched (also when the settings are applied).
    void sortChanged(bool sort);
    /// Natural number order was switched.
    void naturalOrderChanged(bool natural);

private slots:
    /// Undo files and confirmation mean nothing in a simulation.
    void updateForSimulation();
    /// The sort orders mean something only while sorting.
    void updateForSort();

private:
    /// The mask history: the items of the mask box, as bytes.
    std::vector<std::string> maskHistory() const;
    void setMaskHistory(const std::vector<std::string>& history);

    RunOptionsControls m_controls;
};

} // namespace brindle
