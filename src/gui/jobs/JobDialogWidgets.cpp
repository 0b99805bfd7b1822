#include "gui/jobs/JobDialogWidgets.h"

#include <QDialog>
#include <QEvent>
#include <QLayout>
#include <QSpinBox>

#include <algorithm>

#include "core/base/Numbers.h"

namespace brindle
{

QString ByteTextMemo::show(const QObject* field, const std::string& bytes)
{
    QString text = bytesToText(bytes);
    auto it
        = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.field == field; });
    if (it != m_entries.end())
        *it = Entry {field, text, bytes};
    else
        m_entries.push_back(Entry {field, text, bytes});
    return text;
}

std::string ByteTextMemo::bytes(const QObject* field, const QString& text) const
{
    for (const Entry& e : m_entries) {
        if (e.field == field && e.text == text)
            return e.bytes;
    }
    for (const Entry& e : m_entries) {
        if (e.text == text)
            return e.bytes;
    }
    return textToBytes(text);
}

std::optional<std::int64_t> fieldNumber(const QString& text)
{
    return parseInt64(text.trimmed().toStdString());
}

int spinValue(const QSpinBox* spin)
{
    const std::optional<std::int64_t> value = fieldNumber(spin->cleanText());
    if (!value)
        return spin->minimum();
    return static_cast<int>(std::clamp<std::int64_t>(*value, spin->minimum(), spin->maximum()));
}

namespace
{

/// The whole number a number field takes while it is typed: an optional sign and at most
/// eighteen digits.
std::optional<std::int64_t> typedNumber(const QString& text)
{
    const QString trimmed = text.trimmed();
    const bool sign = trimmed.startsWith(QLatin1Char('+')) || trimmed.startsWith(QLatin1Char('-'));
    if (trimmed.size() - (sign ? 1 : 0) > 18)
        return std::nullopt;
    return fieldNumber(trimmed);
}

} // namespace

NumberField::NumberField(QWidget* parent)
    : QSpinBox(parent)
{
}

QValidator::State NumberField::validate(QString& input, int& pos) const
{
    const QValidator::State state = QSpinBox::validate(input, pos);
    if (state != QValidator::Invalid)
        return state;
    // Outside the limits: kept as typed until the field is left.
    return typedNumber(input) ? QValidator::Intermediate : QValidator::Invalid;
}

void NumberField::fixup(QString& input) const
{
    // As spinValue reads it: a text that is no whole number is the lower limit.
    const std::optional<std::int64_t> typed = typedNumber(input);
    const std::int64_t value = typed ? std::clamp<std::int64_t>(*typed, minimum(), maximum()) : minimum();
    input = textFromValue(static_cast<int>(value));
}

void setFixedDialogFrame(QDialog* dialog)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    if (dialog->layout())
        dialog->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

FocusWatcher::FocusWatcher(QWidget* widget)
    : QObject(widget)
{
    widget->installEventFilter(this);
}

bool FocusWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        emit focusIn();
    return QObject::eventFilter(watched, event);
}

} // namespace brindle
