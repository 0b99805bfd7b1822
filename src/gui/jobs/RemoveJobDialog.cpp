#include "gui/jobs/RemoveJobDialog.h"

#include "gui/jobs/NumberField.h"
#include "ui_RemoveJobDialog.h"

namespace brindle
{

RemoveJobDialog::RemoveJobDialog(QWidget* parent)
    : PositionJobDialog(parent)
    , ui(std::make_unique<Ui::RemoveJobDialog>())
{
    ui->setupUi(this);
    initPosition({ui->rbBegin, ui->rbEnd, ui->rbAfterChar, ui->rbBeforeString, ui->rbAfterString,
                     ui->rbBeforeExt, ui->edtCharacterNumber, ui->edtBefore, ui->edtAfter},
        ui->btnOk, ui->btnCancel);
}

RemoveJobDialog::~RemoveJobDialog() = default;

void RemoveJobDialog::loadJob(const Job& job)
{
    if (job.jobType != jobRemove)
        return;
    ui->edtCharacterCount->setValue(job.int1);
    loadPosition(job.modifier, job.int2, job.str1);
}

void RemoveJobDialog::storeJob(Job& job) const
{
    job.int1 = spinValue(ui->edtCharacterCount);
    storePosition(job.modifier, job.int2, job.str1);
}

} // namespace brindle
