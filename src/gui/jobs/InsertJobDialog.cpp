#include "gui/jobs/InsertJobDialog.h"

#include <QMessageBox>

#include "gui/jobs/NumberField.h"
#include "ui_InsertJobDialog.h"

namespace brindle
{

InsertJobDialog::InsertJobDialog(QWidget* parent)
    : PositionJobDialog(parent)
    , ui(std::make_unique<Ui::InsertJobDialog>())
{
    ui->setupUi(this);
    initPosition({ui->rbBegin, ui->rbEnd, ui->rbAfterChar, ui->rbBeforeString, ui->rbAfterString,
                     ui->rbBeforeExt, ui->edtCharacterNumber, ui->edtBefore, ui->edtAfter},
        ui->btnOk, ui->btnCancel);
}

InsertJobDialog::~InsertJobDialog() = default;

void InsertJobDialog::loadJob(const Job& job)
{
    if (job.jobType != jobInsert)
        return;
    ui->edtString->setText(m_texts.show(ui->edtString, job.str1));
    loadPosition(job.modifier, job.int1, job.str2);
}

void InsertJobDialog::storeJob(Job& job) const
{
    job.str1 = m_texts.bytes(ui->edtString, ui->edtString->text());
    storePosition(job.modifier, job.int1, job.str2);
}

void InsertJobDialog::accept()
{
    // A job that inserts nothing would change no name: refused as the command line refuses it.
    if (ui->edtString->text().isEmpty()) {
        const QString text = QStringLiteral("Type the text to insert");
        if (showMessage)
            showMessage(this, text);
        else
            QMessageBox::warning(this, windowTitle(), text);
        ui->edtString->setFocus();
        return;
    }
    PositionJobDialog::accept();
}

} // namespace brindle
