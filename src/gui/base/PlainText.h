#pragma once

#include <QMessageBox>
#include <QString>

class QLabel;
class QWidget;

namespace brindle
{

/// Text that holds a name, a path, an undo line or a job string is shown as the characters it
/// holds, never as markup: Qt takes a text that starts like a tag ("<img src=...>", "<b>") for
/// rich text wherever the format is left to it, and would load images, fake a message's
/// content or draw "&amp;" as "&". Every message box, tool tip and label of the windows that
/// can show outside text goes through these.

/// A tool tip that shows text exactly, line ends and runs of blanks included.
QString plainToolTip(const QString& text);

/// Sets text on a label that shows it as plain text.
void setPlainLabel(QLabel* label, const QString& text);

/// A modal message box with plain text and the buttons given; returns the button chosen.
QMessageBox::StandardButton execPlainMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
    const QString& text, QMessageBox::StandardButtons buttons,
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

} // namespace brindle
