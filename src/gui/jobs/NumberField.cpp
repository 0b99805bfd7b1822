#include "gui/jobs/NumberField.h"

#include <algorithm>

#include "core/base/Numbers.h"

namespace brindle
{

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

} // namespace brindle
