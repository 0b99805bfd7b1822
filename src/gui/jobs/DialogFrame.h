#pragma once

class QDialog;

namespace brindle
{

/// The common frame of the job dialogs: a fixed size and no buttons in the title bar.
void setFixedDialogFrame(QDialog* dialog);

} // namespace brindle
