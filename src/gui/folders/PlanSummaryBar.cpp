#include "gui/folders/PlanSummaryBar.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "gui/base/DisplayName.h"
#include "gui/folders/FileListModel.h"

namespace brindle
{

namespace
{

/// How many failures the question of Go names before "...".
constexpr std::size_t kReasonsNamed = 3;

QString count(std::size_t n)
{
    return QString::number(static_cast<qulonglong>(n));
}

} // namespace

PlanCounts countPlan(const NewNames& names)
{
    PlanCounts c;
    for (const EntryVerdict v : names.verdicts) {
        if (v == EntryVerdict::None)
            continue;
        ++c.entries;
        if (v == EntryVerdict::Renamed)
            ++c.renamed;
        else if (v == EntryVerdict::Error)
            ++c.failed;
    }
    c.clashes = names.clashes;
    return c;
}

QString planSummaryText(const PlanCounts& c)
{
    if (c.entries == 0)
        return {};
    QString text = QStringLiteral("%1 of %2 %3 %4 a new name")
                       .arg(count(c.renamed), count(c.entries),
                           c.entries == 1 ? QStringLiteral("file") : QStringLiteral("files"),
                           c.renamed == 1 ? QStringLiteral("gets") : QStringLiteral("get"));
    if (c.failed == 0)
        return text;
    text += QStringLiteral("; %1 cannot").arg(count(c.failed));
    QStringList kinds;
    if (c.clashes > 0)
        kinds << QStringLiteral("clashes: %1").arg(count(c.clashes));
    if (c.failed > c.clashes)
        kinds << QStringLiteral("other reasons: %1").arg(count(c.failed - c.clashes));
    return text + QStringLiteral(" (%1)").arg(kinds.join(QStringLiteral(", ")));
}

QString failureQuestion(const FileListModel& model)
{
    const std::shared_ptr<const NewNames>& names = model.newNames();
    const std::shared_ptr<const ListingTable> table = model.table();
    if (!names || !table)
        return {};
    const PlanCounts c = countPlan(*names);
    if (c.failed == 0)
        return {};
    QStringList reasons;
    for (const auto& [entry, reason] : names->reasons) {
        if (static_cast<std::size_t>(reasons.size()) == kReasonsNamed) {
            reasons << QStringLiteral("...");
            break;
        }
        reasons << QStringLiteral("%1 (wanted %2): %3")
                       .arg(nameForDisplay(table->entries.name(entry)), nameForDisplay(names->newName(entry)),
                           nameForDisplay(reason));
    }
    return QStringLiteral("%1 of %2 entries cannot be renamed: %3. Rename the other %4?")
        .arg(count(c.failed), count(c.entries), reasons.join(QStringLiteral("; ")), count(c.renamed));
}

PlanSummaryBar::PlanSummaryBar(FileListModel* model, QWidget* parent)
    : QLabel(parent)
    , m_model(model)
{
    setObjectName(QStringLiteral("lblPlanSummary"));
    setTextFormat(Qt::PlainText);
    setMargin(4);
    setFocusPolicy(Qt::TabFocus);
    hide();
}

void PlanSummaryBar::refresh()
{
    const std::shared_ptr<const NewNames>& names = m_model->newNames();
    m_counts = names ? countPlan(*names) : PlanCounts {};
    const QString text = planSummaryText(m_counts);
    setText(text);
    setVisible(!text.isEmpty());
    const bool failing = m_counts.failed > 0;
    // Red that reads on the palette's window colour, light or dark.
    QPalette pal = palette();
    const bool dark = parentWidget() && parentWidget()->palette().color(QPalette::Window).lightness() < 128;
    pal.setColor(QPalette::WindowText,
        failing ? (dark ? QColor(0xFF, 0x80, 0x80) : QColor(0xB0, 0x00, 0x00))
                : (parentWidget() ? parentWidget()->palette().color(QPalette::WindowText)
                                  : pal.color(QPalette::WindowText)));
    setPalette(pal);
    QFont f = font();
    f.setBold(failing);
    setFont(f);
    setCursor(failing || m_model->onlyFailures() ? Qt::PointingHandCursor : Qt::ArrowCursor);
    setToolTip(m_model->onlyFailures() ? QStringLiteral("Click to show every entry again")
            : failing ? QStringLiteral("Click to show only the entries that cannot be renamed")
                      : QString());
    // Nothing fails any more: the filter has nothing to show.
    if (!failing && m_model->onlyFailures())
        toggle();
}

void PlanSummaryBar::toggle()
{
    const bool only = !m_model->onlyFailures();
    if (only && m_counts.failed == 0)
        return;
    m_model->setOnlyFailures(only);
    emit onlyFailuresToggled(only);
    refresh();
}

void PlanSummaryBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        toggle();
    QLabel::mousePressEvent(event);
}

void PlanSummaryBar::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        toggle();
        return;
    }
    QLabel::keyPressEvent(event);
}

} // namespace brindle
