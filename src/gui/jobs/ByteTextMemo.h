#pragma once

#include <QObject>
#include <QString>

#include <string>
#include <vector>

namespace brindle
{

/// Remembers the byte strings shown in a dialog's text fields, so that a text the user did
/// not change goes back as the very bytes it came from, also when those bytes are not valid
/// in the encoding of file names and could not survive the trip through QString.
class ByteTextMemo
{
public:
    /// Remembers bytes as shown in field and returns the text to show.
    QString show(const QObject* field, const std::string& bytes);
    /// The bytes for the text of field: the bytes it was given when the text is still theirs,
    /// else the bytes of another field showing the same text (text copied across), else the
    /// text encoded afresh.
    std::string bytes(const QObject* field, const QString& text) const;

private:
    struct Entry {
        const QObject* field;
        QString text;
        std::string bytes;
    };
    std::vector<Entry> m_entries;
};

} // namespace brindle
