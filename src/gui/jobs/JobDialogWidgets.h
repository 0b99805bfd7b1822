#pragma once

#include <QObject>
#include <QSpinBox>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gui/base/NameText.h"

class QDialog;
class QWidget;

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

/// The common frame of the job dialogs: a fixed size and no buttons in the title bar.
void setFixedDialogFrame(QDialog* dialog);

/// Emits focusIn whenever the watched widget receives the keyboard focus, so that a focus
/// handler can be connected like any other handler.
class FocusWatcher : public QObject
{
    Q_OBJECT
public:
    /// Watches widget; the watcher is a child of it and goes with it.
    explicit FocusWatcher(QWidget* widget);

signals:
    void focusIn();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace brindle
