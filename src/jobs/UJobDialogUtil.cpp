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
