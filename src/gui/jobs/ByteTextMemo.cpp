#include "gui/jobs/ByteTextMemo.h"

#include <algorithm>

#include "gui/base/NameText.h"

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

} // namespace brindle
