#include "gui/jobs/DialogFrame.h"

#include <QDialog>
#include <QLayout>

namespace brindle
{

void setFixedDialogFrame(QDialog* dialog)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    if (dialog->layout())
        dialog->layout()->setSizeConstraint(QLayout::SetFixedSize);
}

} // namespace brindle
