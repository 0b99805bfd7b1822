#include "gui/app/RunOptionsPanel.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QSpinBox>

#include <initializer_list>

#include "core/base/Numbers.h"
#include "core/settings/AppSettings.h"
#include "gui/base/NameText.h"

namespace brindle
{

RunOptionsPanel::RunOptionsPanel(const RunOptionsControls& controls, QObject* parent)
    : QObject(parent)
    , m_controls(controls)
{
    const RunOptionsControls& c = m_controls;
    connect(c.simulation, &QAbstractButton::toggled, this, &RunOptionsPanel::updateForSimulation);
    connect(c.sort, &QAbstractButton::toggled, this, &RunOptionsPanel::updateForSort);
    connect(c.naturalSort, &QAbstractButton::toggled, this, &RunOptionsPanel::naturalOrderChanged);
    // What the New name column shows depends on these.
    for (QAbstractButton* option : std::initializer_list<QAbstractButton*> {c.renameDirs, c.sort,
             c.naturalSort, c.undo, c.nameAsc, c.nameDesc, c.dateAsc, c.dateDesc, c.takenAsc, c.takenDesc})
        connect(option, &QAbstractButton::toggled, this, &RunOptionsPanel::changed);
    connect(c.mask, &QComboBox::currentTextChanged, this, &RunOptionsPanel::changed);
    connect(c.counterStart, &QSpinBox::valueChanged, this, &RunOptionsPanel::changed);
}

RunOptions RunOptionsPanel::options() const
{
    const RunOptionsControls& c = m_controls;
    RunOptions o;
    o.mask = textToBytes(c.mask->currentText());
    o.recurse = c.recurse->isChecked();
    o.renameDirs = c.renameDirs->isChecked();
    o.resetCounter = c.resetCounter->isChecked();
    o.sort = c.sort->isChecked();
    o.sortOrder = c.nameDesc->isChecked() ? SortOrder::NameDesc
        : c.dateAsc->isChecked()          ? SortOrder::DateAsc
        : c.dateDesc->isChecked()         ? SortOrder::DateDesc
        : c.takenAsc->isChecked()         ? SortOrder::TakenAsc
        : c.takenDesc->isChecked()        ? SortOrder::TakenDesc
                                          : SortOrder::NameAsc;
    o.naturalSort = c.naturalSort->isChecked();
    o.confirm = c.confirm->isChecked();
    o.undo = c.undo->isChecked();
    o.log = c.log->isChecked();
    o.simulation = c.simulation->isChecked();
    o.counterStart = counterStart();
    return o;
}

std::int32_t RunOptionsPanel::counterStart() const
{
    return parseInt32(m_controls.counterStart->cleanText().trimmed().toStdString()).value_or(0);
}

bool RunOptionsPanel::recurse() const
{
    return m_controls.recurse->isChecked();
}

void RunOptionsPanel::applySettings(const AppOptions& settings)
{
    const RunOptionsControls& c = m_controls;
    c.recurse->setChecked(settings.recurseDirs);
    c.renameDirs->setChecked(settings.renameDirs);
    c.resetCounter->setChecked(settings.resetCounter);
    c.sort->setChecked(settings.sort);
    c.confirm->setChecked(settings.confirm);
    c.undo->setChecked(settings.undo);
    c.log->setChecked(settings.log);
    c.simulation->setChecked(settings.simulation);
    c.naturalSort->setChecked(settings.naturalSort);
    const std::int64_t order = settings.sortOrder;
    (order == 1          ? c.nameDesc
            : order == 2 ? c.dateAsc
            : order == 3 ? c.dateDesc
                         : c.nameAsc)
        ->setChecked(true);
    // Said also when a box kept its state, so that whoever follows them starts right.
    updateForSort();
    updateForSimulation();
    setMaskHistory(settings.filemaskHistory);
    c.mask->setEditText(bytesToText(settings.filemask));
    c.counterStart->setValue(static_cast<std::int32_t>(settings.counterStart));
}

void RunOptionsPanel::storeSettings(AppOptions& settings) const
{
    const RunOptionsControls& c = m_controls;
    settings.recurseDirs = c.recurse->isChecked();
    settings.renameDirs = c.renameDirs->isChecked();
    settings.resetCounter = c.resetCounter->isChecked();
    settings.sort = c.sort->isChecked();
    settings.confirm = c.confirm->isChecked();
    settings.undo = c.undo->isChecked();
    settings.log = c.log->isChecked();
    settings.simulation = c.simulation->isChecked();
    settings.naturalSort = c.naturalSort->isChecked();
    settings.sortOrder = c.nameDesc->isChecked() ? 1
        : c.dateAsc->isChecked()                 ? 2
        : c.dateDesc->isChecked()                ? 3
                                                 : 0;
    settings.filemask = textToBytes(c.mask->currentText());
    settings.filemaskHistory = maskHistory();
    settings.counterStart = counterStart();
}

void RunOptionsPanel::rememberMask()
{
    std::vector<std::string> history = maskHistory();
    rememberFileMask(history, textToBytes(m_controls.mask->currentText()));
    setMaskHistory(history);
}

void RunOptionsPanel::updateForSimulation()
{
    const bool simulation = m_controls.simulation->isChecked();
    m_controls.undo->setEnabled(!simulation);
    m_controls.confirm->setEnabled(!simulation);
    emit simulationChanged(simulation);
}

void RunOptionsPanel::updateForSort()
{
    const RunOptionsControls& c = m_controls;
    const bool sort = c.sort->isChecked();
    for (QAbstractButton* order : {c.nameAsc, c.nameDesc, c.dateAsc, c.dateDesc, c.takenAsc, c.takenDesc})
        order->setEnabled(sort);
    c.naturalSort->setEnabled(sort);
    emit sortChanged(sort);
}

std::vector<std::string> RunOptionsPanel::maskHistory() const
{
    std::vector<std::string> history;
    for (int i = 0; i < m_controls.mask->count(); ++i)
        history.push_back(textToBytes(m_controls.mask->itemText(i)));
    return history;
}

void RunOptionsPanel::setMaskHistory(const std::vector<std::string>& history)
{
    // Changing the items must not change the text being typed.
    QComboBox* mask = m_controls.mask;
    const QString text = mask->currentText();
    mask->clear();
    for (const std::string& item : history)
        mask->addItem(bytesToText(item));
    mask->setCurrentIndex(-1);
    mask->setEditText(text);
}

} // namespace brindle
