#include "jobs/UJobDialogUtil.h"

#include <QDialog>
#include <QEvent>
#include <QFile>
#include <QLayout>
#include <QSpinBox>

#include <algorithm>

namespace brindle
{

QString BytesToText(const std::string& bytes)
{
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string TextToBytes(const QString& text)
{
    return QFile::encodeName(text).toStdString();
}

QString TByteTextMemo::show(const QObject* field, const std::string& bytes)
{
    QString text = BytesToText(bytes);
    auto it
        = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry& e) { return e.field == field; });
    if (it != m_entries.end())
        *it = Entry {field, text, bytes};
    else
        m_entries.push_back(Entry {field, text, bytes});
    return text;
}

std::string TByteTextMemo::bytes(const QObject* field, const QString& text) const
{
    for (const Entry& e : m_entries) {
        if (e.field == field && e.text == text)
            return e.bytes;
    }
    for (const Entry& e : m_entries) {
        if (e.text == text)
            return e.bytes;
    }
    return TextToBytes(text);
}

int SpinValue(const QSpinBox* spin)
{
    bool ok = false;
    const qlonglong value = spin->cleanText().trimmed().toLongLong(&ok);
    if (!ok)
        return spin->minimum();
    return static_cast<int>(std::clamp<qlonglong>(value, spin->minimum(), spin->maximum()));
}

namespace
{

/// Whether text is a whole number: an optional sign, then one to eighteen digits (a qlonglong
/// holds every such number, so it can be brought into the limits exactly).
bool isWholeNumber(const QString& text)
{
    qsizetype digits = 0;
    if (!text.isEmpty() && (text.front() == QLatin1Char('+') || text.front() == QLatin1Char('-')))
        digits = 1;
    const qsizetype count = text.size() - digits;
    if (count < 1 || count > 18)
        return false;
    for (qsizetype i = digits; i < text.size(); ++i) {
        if (text[i] < QLatin1Char('0') || text[i] > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

TNumberField::TNumberField(QWidget* parent)
    : QSpinBox(parent)
{
}

QValidator::State TNumberField::validate(QString& input, int& pos) const
{
    const QValidator::State state = QSpinBox::validate(input, pos);
    if (state != QValidator::Invalid)
        return state;
    // Outside the limits: kept as typed until the field is left.
    return isWholeNumber(input.trimmed()) ? QValidator::Intermediate : QValidator::Invalid;
}

void TNumberField::fixup(QString& input) const
{
    // As SpinValue reads it: a text that is no whole number is the lower limit.
    const QString text = input.trimmed();
    const qlonglong value
        = isWholeNumber(text) ? std::clamp<qlonglong>(text.toLongLong(), minimum(), maximum()) : minimum();
    input = textFromValue(static_cast<int>(value));
}

void SetFixedDialogFrame(QDialog* dialog)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    if (dialog->layout())
        dialog->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

TFocusWatcher::TFocusWatcher(QWidget* widget)
    : QObject(widget)
{
    widget->installEventFilter(this);
}

bool TFocusWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        emit focusIn();
    return QObject::eventFilter(watched, event);
}

} // namespace brindle
