#pragma once

#include <QSpinBox>
#include <QString>

#include <cstdint>
#include <optional>

namespace brindle
{

/// The whole number in a number field's text (blanks around it ignored), read as the core reads
/// every number: a sign and digits within 64 bits; none for any other text.
std::optional<std::int64_t> fieldNumber(const QString& text);

/// The value of a number field: its text read as a whole number and brought into its limits;
/// a text that is no whole number reads as the lower limit.
int spinValue(const QSpinBox* spin);

/// A number field of the job dialogs: a spin edit that lets the user type any whole number,
/// also one outside its limits (a plain spin edit drops the digit that would cross the upper
/// limit, so 99999 would show as 9999), and brings it into the limits when the field loses the
/// focus or Enter is pressed (99999 becomes 65535, 0 becomes 1); a text that is no whole number
/// becomes the lower limit, as spinValue reads it.
class NumberField : public QSpinBox
{
    Q_OBJECT
public:
    explicit NumberField(QWidget* parent = nullptr);

    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
};

} // namespace brindle
