#include "gui/jobs/CounterJobDialog.h"

#include "gui/jobs/NumberField.h"
#include "ui_CounterJobDialog.h"

namespace brindle
{

CounterJobDialog::CounterJobDialog(QWidget* parent)
    : PositionJobDialog(parent)
    , ui(std::make_unique<Ui::CounterJobDialog>())
{
    ui->setupUi(this);
    initPosition({ui->rbBegin, ui->rbEnd, ui->rbAfterChar, ui->rbBeforeString, ui->rbAfterString,
                     ui->rbBeforeExt, ui->edtCharacterNumber, ui->edtBefore, ui->edtAfter},
        ui->btnOk, ui->btnCancel);
}

CounterJobDialog::~CounterJobDialog() = default;

void CounterJobDialog::loadJob(const Job& job)
{
    if (job.jobType != jobCounter)
        return;
    ui->edtCharacterCount->setValue(job.int1);
    loadPosition(job.modifier, job.int2, job.str1);
}

void CounterJobDialog::storeJob(Job& job) const
{
    job.int1 = spinValue(ui->edtCharacterCount);
    storePosition(job.modifier, job.int2, job.str1);
}

} // namespace brindle
