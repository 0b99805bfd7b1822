#include "gui/base/PlainText.h"

#include <QLabel>
#include <QTextDocument>

namespace brindle
{

QString plainToolTip(const QString& text)
{
    if (text.isEmpty())
        return text;
    // Escaped into rich text of its own, so the tool tip's format detection has nothing to guess.
    return Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}

void setPlainLabel(QLabel* label, const QString& text)
{
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
}

QMessageBox::StandardButton execPlainMessageBox(QWidget* parent, QMessageBox::Icon icon, const QString& title,
    const QString& text, QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, QString(), buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    const int chosen = box.exec();
    return box.clickedButton() ? box.standardButton(box.clickedButton())
                               : static_cast<QMessageBox::StandardButton>(chosen);
}

} // namespace brindle
